// firmware flash and sim flash as a script runs them: a generated image goes in and comes
// back out byte for byte; refusals are decided on the returned outcome.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "test_image.h"

namespace {

// Exit status and the last JSON object printed.
std::pair<int, nlohmann::json> run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--simulate", "--virtual-time", "--json"});
    std::ostringstream out, err;
    const int status = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, out, err);
    std::istringstream lines(out.str());
    nlohmann::json last;
    for (std::string line; std::getline(lines, line);) last = nlohmann::json::parse(line);
    return {status, last};
}

}  // namespace

TEST(FirmwareCommand, GeneratedImageGoesInAndComesBackByteForByte) {
    testing_support::TempDir dir;
    const auto image = test_firmware::image_bytes(4, 0x2E00);
    const std::string whole = test_firmware::firmware_text(image);
    const std::string fw = dir.write("fw.thx", whole);
    const std::string out = dir.path("out.bin").string();
    EXPECT_EQ(run({"--yes", "connect", "firmware flash --file " + fw, "sim flash " + out}).first,
              cli::kOk);
    EXPECT_EQ(dir.read("out.bin"), std::string(image.begin(), image.end()));

    const std::string cut = dir.write("cut.thx", whole.substr(0, whole.size() - 100));
    const struct {
        std::string command;
        bool yes;
        int status;
        const char* step;
    } cases[] = {
        {"firmware flash --file " + cut, true, cli::kFailed, "check firmware file"},
        {"firmware flash --file " + fw, false, cli::kFailed, "confirm"},
        {"firmware flash --file", true, cli::kUsage, nullptr},
    };
    for (const auto& c : cases) {
        const auto [status, last] = run(c.yes ? std::vector<std::string>{"--yes", c.command}
                                              : std::vector<std::string>{c.command});
        EXPECT_EQ(status, c.status) << c.command;
        if (c.step) {
            EXPECT_EQ(last["step"], c.step) << c.command;
        }
    }
}
