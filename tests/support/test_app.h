// A fully wired system for tests: virtual clock, headless front-end, the real resources.
#pragma once

#include <memory>
#include <string>

#include "platform/clock/clock.h"
#include "platform/ui/headless_frontend.h"
#include "platform/usb/sim_bus.h"
#include "shell/app.h"

namespace testing_support {

struct TestApp {
    explicit TestApp(std::string resource_dir = SEISBENCH_TEST_RESOURCE_DIR);

    platform::VirtualClock clock;
    ui::HeadlessFrontend frontend;
    usb::SimBus bus{clock};
    std::unique_ptr<App> app;

    // Plugs in a simulated board of the given code.
    simboard::SimBoard& add_board(int code = 4);

    App& operator*() { return *app; }
    App* operator->() { return app.get(); }
    // Runs start-up (everything before the event loop); fails the test when it fails.
    void start();
};

// A copy of the resources in a fresh temporary folder, for tests that break one.
std::string copy_resources_to_temp();

}  // namespace testing_support
