// firmware flash and sim flash as a script runs them: a generated image goes in and comes
// back out byte for byte; a broken copy is refused on the returned outcome.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "chipfiles/temp_dir.h"
#include "cli/cli.h"
#include "test_image.h"

namespace {

struct CliRun {
    int status = -1;
    std::vector<nlohmann::json> objects;
    std::string err;
};

CliRun run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--simulate", "--virtual-time", "--json"});
    std::ostringstream out, err;
    CliRun r;
    r.status = cli::run(args, SEISBENCH_TEST_RESOURCE_DIR, out, err);
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        r.objects.push_back(nlohmann::json::parse(line));
    r.err = err.str();
    return r;
}

}  // namespace

TEST(FirmwareCommand, ProgramsAGeneratedImageThatComesBackByteForByte) {
    testing_support::TempDir dir;
    const auto image = test_firmware::image_bytes(4, 0x2E00);
    const std::string fw = dir.write("fw.thx", test_firmware::firmware_text(image));
    const std::string out = dir.path("out.bin").string();
    const CliRun r = run({"--yes", "connect", "firmware flash --file " + fw, "sim flash " + out});
    ASSERT_EQ(r.status, cli::kOk) << r.err;
    EXPECT_EQ(r.objects[1]["records"], 184);
    EXPECT_EQ(dir.read("out.bin"), std::string(image.begin(), image.end()));
}

TEST(FirmwareCommand, RefusalsDecideOnTheOutcome) {
    testing_support::TempDir dir;
    const std::string whole = test_firmware::firmware_text(test_firmware::image_bytes(4, 1024));
    const std::string fw = dir.write("fw.thx", whole);
    const std::string cut = dir.write("cut.thx", whole.substr(0, whole.size() - 100));
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* fault;
        const char* step;
    } cases[] = {
        {{"--yes", "firmware flash --file " + cut},
         cli::kFailed,
         "bad_input",
         "check firmware file"},
        {{"firmware flash --file " + fw}, cli::kFailed, "cancelled", "confirm"},
        {{"--yes", "firmware flash --file " + dir.path("none.thx").string()},
         cli::kFailed,
         "bad_input",
         "open firmware file"},
        {{"firmware flash --file"}, cli::kUsage, nullptr, nullptr},
        {{"firmware erase"}, cli::kUsage, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        if (!c.fault) continue;
        ASSERT_EQ(r.objects.size(), 1u) << c.args.back();
        EXPECT_EQ(r.objects[0]["fault"], c.fault) << c.args.back();
        EXPECT_EQ(r.objects[0]["step"], c.step) << c.args.back();
    }
}
