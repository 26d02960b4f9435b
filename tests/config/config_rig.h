// A started system with one simulated board connected, on the virtual clock, behind a bus
// that lets a test act just before each request reaches the board (to make the board fall
// silent after N requests, or to see what the host's state was while it talked).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock/clock.h"
#include "platform/simboard/sim_board.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "shell/startup.h"
#include "support/wire_app.h"
#include "uir_ids.h"

namespace config_test {

// Lets a test look at the system's state at the moment a message is shown.
struct ProbeFrontend : ui::HeadlessFrontend {
    std::function<void(const std::string& title)> on_message;
    void message(const std::string& title, const std::string& text) override {
        if (on_message) on_message(title);
        HeadlessFrontend::message(title, text);
    }
};

struct Rig {
    platform::VirtualClock clock;
    ProbeFrontend frontend;
    usb::SimBus sim{clock};
    testing_support::RecordingBus bus{sim, clock};
    simboard::SimBoard* board = nullptr;
    std::unique_ptr<App> app;

    // Starts the program and connects the board with this code through the connect toggle.
    explicit Rig(int code) {
        simboard::BoardConfig cfg;
        cfg.board_code = static_cast<std::uint8_t>(code);
        board = &sim.add_board(cfg);
        app =
            std::make_unique<App>(App::Options{clock, frontend, bus, SEISBENCH_TEST_RESOURCE_DIR});
        EXPECT_EQ(shell::startup(*app), 0);
        EXPECT_EQ(app->ui.UserSetValue(sp(), SETUP_CONNECT, 1), 0);
        EXPECT_EQ(app->link.usb_opened, 1);
    }

    int sp() const { return app->shell.setuppanel; }
    int get(int ctrl) const { return shell::get_int(app->ui, sp(), ctrl); }
    // Sets an input as the user would, so its callback runs.
    void set(int ctrl, int value) { ASSERT_EQ(app->ui.UserSetValue(sp(), ctrl, value), 0) << ctrl; }
    bool dimmed(int ctrl) const { return app->ui.control(sp(), ctrl)->dimmed; }
    bool capture_menu_dimmed() const {
        return app->ui.menu_item(app->shell.menu, MENUBAR_BOARD_CAPTURE)->dimmed;
    }
    void press_configure() { ASSERT_EQ(app->ui.UserCommit(sp(), SETUP_CONFIGURE), 0); }
    std::vector<std::string> messages() const { return frontend.messages(); }
};

// The board's log as short text, one operation a line, skipping the port traffic that carries
// it: "C 09 000000" command with data word 1, "W 20 FFF532" register write, "R 20" register
// read, "M 000201 230000" modulator word.
inline std::vector<std::string> operations(const simboard::SimBoard& board) {
    using K = simboard::LogEntry::Kind;
    std::vector<std::string> out;
    char line[32];
    for (const auto& e : board.log()) {
        switch (e.kind) {
            case K::Command:
                if (e.a == 0x01 || e.a == 0x02) continue;  // shown as the register access
                std::snprintf(line, sizeof line, "C %02X %06X", e.a, e.b);
                break;
            case K::RegisterWrite:
                std::snprintf(line, sizeof line, "W %02X %06X", e.a, e.b);
                break;
            case K::RegisterRead:
                std::snprintf(line, sizeof line, "R %02X", e.a);
                break;
            case K::ModulatorWord:
                std::snprintf(line, sizeof line, "M %06X %06X", e.a, e.b);
                break;
            default:
                continue;
        }
        out.emplace_back(line);
    }
    return out;
}

inline std::string C(int code, int data1 = 0) {
    char s[32];
    std::snprintf(s, sizeof s, "C %02X %06X", code, data1);
    return s;
}
inline std::string W(int reg, int value) {
    char s[32];
    std::snprintf(s, sizeof s, "W %02X %06X", reg, value);
    return s;
}
inline std::string R(int reg) {
    char s[32];
    std::snprintf(s, sizeof s, "R %02X", reg);
    return s;
}
inline std::string M(int command, int data) {
    char s[32];
    std::snprintf(s, sizeof s, "M %06X %06X", command, data);
    return s;
}

inline const char* const kNoResponseTitle = "No Response!";
inline const char* const kNoResponseText =
    "Please try again. If you have alreay tried twice, reset the target board";
inline const char* const kDoneTitle = "Done";
inline const char* const kDoneText = "Digital Filter configuration is completed.";

}  // namespace config_test
