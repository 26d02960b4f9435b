#include "support/test_app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "shell/startup.h"

namespace testing_support {

TestApp::TestApp(std::string resource_dir) {
    app = std::make_unique<App>(App::Options{clock, frontend, bus, std::move(resource_dir)});
}

simboard::SimBoard& TestApp::add_board(int code) {
    simboard::BoardConfig cfg;
    cfg.board_code = static_cast<std::uint8_t>(code);
    cfg.serial = "SIM" + std::to_string(code);
    return bus.add_board(cfg);
}

void TestApp::start() { ASSERT_EQ(shell::startup(*app), 0); }

std::string copy_resources_to_temp() {
    namespace fs = std::filesystem;
    std::random_device rd;
    fs::path dir = fs::temp_directory_path() / ("seisbench-res-" + std::to_string(rd()));
    fs::create_directories(dir);
    fs::copy(SEISBENCH_SOURCE_RESOURCE_DIR, dir,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    return dir.string();
}

}  // namespace testing_support
