// The application object: owns the run-time, the clock and every subsystem's state, wired
// together. The programs build one in main; a test builds a fresh one in one line.
#pragma once

#include <string>

#include "analysis/context.h"
#include "boardlink/transport/connection.h"
#include "boardlink/transport/port.h"
#include "capture/buffer.h"
#include "debugtools/context.h"
#include "debugtools/debugger/context.h"
#include "macros/context.h"
#include "platform/clock/clock.h"
#include "platform/ui/callbacks.h"
#include "platform/ui/frontend.h"
#include "platform/ui/runtime.h"
#include "platform/usb/bus.h"
#include "platform/usb/device_library.h"
#include "records/keeper.h"
#include "shell/globals.h"
#include "shell/settings.h"

class App {
  public:
    struct Options {
        platform::Clock& clock;
        ui::Frontend& frontend;
        // Where boards are found: the simulated bus or real USB.
        usb::Bus& bus;
        // Folder holding the panel resources and the help file (the program's directory).
        std::string resource_dir;
    };

    explicit App(const Options& o);
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    platform::Clock& clock;
    ui::CallbackRegistry callbacks;
    ui::Runtime ui;
    shell::Globals shell;
    usb::DeviceLibrary usb;
    boardlink::Connection link;
    // The transport's view of the above: device library, connection, clock and settle delay.
    boardlink::Port port;
    // What the setup panel's inputs hold; bound to them once the panels are loaded.
    shell::Settings settings;
    capture::Buffer capture;
    // The averaged spectra and their work arrays, sized for the longest record.
    analysis::spectrum::SpectrumState spectra;
    analysis::AnalysisState analysis;
    macros::MacroState macros;
    debugger::DebuggerState debugger;
    // Where judged runs are kept: the local SQLite file unless told otherwise.
    records::RecordKeeper records;

    // Each subsystem sees the parts it works on and nothing more.
    operator analysis::Context() { return {ui, shell, capture, spectra, analysis, settings, link}; }
    operator macros::Context() { return {ui, shell, port, macros}; }
    operator debugger::Context() { return {ui, shell, port, debugger}; }
    operator debugtools::Context() { return {ui, shell, port}; }
};
