// The desktop program's command line, where it finds its resources, and what it links.
#include <elf.h>
#include <link.h>

#include <algorithm>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "chipfiles/temp_dir.h"
#include "seisbench/launch.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

using seisbench::LaunchOptions;
using seisbench::parse_launch_options;

namespace {

bool parse(std::vector<std::string> args, LaunchOptions& o, std::string& error) {
    o = {};
    error.clear();
    return parse_launch_options(args, o, error);
}

// The DT_NEEDED entries of a 64-bit ELF file.
std::vector<std::string> needed_libraries(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), {});
    std::vector<std::string> out;
    if (bytes.size() < sizeof(Elf64_Ehdr)) return out;
    const auto* eh = reinterpret_cast<const Elf64_Ehdr*>(bytes.data());
    if (std::memcmp(eh->e_ident, ELFMAG, SELFMAG) != 0 || eh->e_ident[EI_CLASS] != ELFCLASS64)
        return out;
    const auto* sh = reinterpret_cast<const Elf64_Shdr*>(bytes.data() + eh->e_shoff);
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sh[i].sh_type != SHT_DYNAMIC) continue;
        const char* strtab = bytes.data() + sh[sh[i].sh_link].sh_offset;
        const auto* dyn = reinterpret_cast<const Elf64_Dyn*>(bytes.data() + sh[i].sh_offset);
        for (size_t k = 0; k < sh[i].sh_size / sizeof(Elf64_Dyn) && dyn[k].d_tag != DT_NULL; ++k)
            if (dyn[k].d_tag == DT_NEEDED) out.emplace_back(strtab + dyn[k].d_un.d_val);
    }
    return out;
}

bool is_qt5(const std::string& lib) {
    // libQt5*.so and the Qt 5 build of QCustomPlot (libQCustomPlot.so, without "Qt6").
    return lib.find("Qt5") != std::string::npos || lib.rfind("libQCustomPlot.so", 0) == 0;
}

}  // namespace

TEST(Launch, SimulateWithAndWithoutABoardCode) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));
    EXPECT_FALSE(o.simulate);
    ASSERT_TRUE(parse({"--simulate"}, o, error));
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.board_code, 4);
    // Codes outside the board table simulate a board that reports them (an unknown target).
    for (int code : {0, 7, 11, 255}) {
        ASSERT_TRUE(parse({"--simulate=" + std::to_string(code)}, o, error)) << code;
        EXPECT_TRUE(o.simulate);
        EXPECT_EQ(o.board_code, code);
    }
    ASSERT_TRUE(parse({"--help"}, o, error));
    EXPECT_TRUE(o.show_help);
    ASSERT_TRUE(parse({"--trace", "t.jsonl", "--simulate"}, o, error));
    EXPECT_EQ(o.trace, "t.jsonl");
    ASSERT_TRUE(parse({"--trace=u.jsonl"}, o, error));
    EXPECT_EQ(o.trace, "u.jsonl");
    ASSERT_TRUE(parse({"--limits", "lim.json"}, o, error));
    EXPECT_EQ(o.limits, "lim.json");
    ASSERT_TRUE(parse({"--limits=l2.json", "--simulate"}, o, error));
    EXPECT_EQ(o.limits, "l2.json");
    EXPECT_TRUE(seisbench::takes_value("--limits"));
}

TEST(Launch, ScriptedRunOptions) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--simulate", "--virtual-time", "--yes", "--script", "job.txt",
                       "--screenshot=shots", "--quit"},
                      o, error))
        << error;
    EXPECT_TRUE(o.virtual_time && o.yes && o.quit);
    EXPECT_EQ(o.script, "job.txt");
    EXPECT_EQ(o.screenshot, "shots");
    ASSERT_TRUE(parse({"--simulate", "--virtual-time=2026-12-08T10:00:00Z"}, o, error)) << error;
    EXPECT_EQ(o.virtual_utc_us, 1796724000LL * 1000000);
    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--virtual-time"}, "--virtual-time needs --simulate"},
        {{"--simulate", "--virtual-time=tomorrow"},
         "--virtual-time= takes a UTC time such as 2026-12-08T10:00:00"},
        {{"--script"}, "--script needs a file"},
        {{"--screenshot="}, "--screenshot needs a folder"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(parse(b.args, o, error)) << b.args[0];
        EXPECT_EQ(error, b.error);
    }
    for (const char* opt : {"--script", "--screenshot"}) EXPECT_TRUE(seisbench::takes_value(opt));
    for (const char* flag : {"--yes", "--quit", "--virtual-time"})
        EXPECT_TRUE(seisbench::is_launch_option(flag)) << flag;
}

TEST(Launch, BadArgumentsAreRefusedWithAReason) {
    LaunchOptions o;
    std::string error;
    for (const char* bad : {"--simulate=256", "--simulate=", "--simulate=3x", "--simulate=-1",
                            "--simulate=99999999999"}) {
        EXPECT_FALSE(parse({bad}, o, error)) << bad;
        EXPECT_NE(error.find("board code"), std::string::npos) << bad;
    }
    EXPECT_FALSE(parse({"--simulated"}, o, error));
    EXPECT_EQ(error, "unknown argument \"--simulated\"");
    EXPECT_FALSE(parse({"extra"}, o, error));
    for (const char* bad : {"--trace", "--trace="}) {
        EXPECT_FALSE(parse({bad}, o, error)) << bad;
        EXPECT_EQ(error, "--trace needs a file");
    }
    EXPECT_FALSE(parse({"--limits"}, o, error));
    EXPECT_EQ(error, "--limits needs a file");
    EXPECT_TRUE(seisbench::is_launch_option("--simulate=3"));
    EXPECT_FALSE(seisbench::is_launch_option("-platform"));
}

TEST(Launch, DeviceAndUsbIdsChooseTheRealBoard) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--device", "SB42", "--usb-id", "1234:abcd", "--usb-id=0x1:0x2"}, o, error))
        << error;
    EXPECT_EQ(o.device, "SB42");
    EXPECT_EQ(o.usb_ids, (std::vector<usb::UsbId>{{0x1234, 0xABCD}, {1, 2}}));
    ASSERT_TRUE(parse({"--device=SB7"}, o, error));
    EXPECT_EQ(o.device, "SB7");
    const struct {
        std::vector<std::string> args;
        const char* error;
    } bad[] = {
        {{"--device"}, "--device needs a serial number"},
        {{"--device="}, "--device needs a serial number"},
        {{"--usb-id", "10c4"}, "bad USB id \"10c4\": give VID:PID in hexadecimal"},
        {{"--usb-id"}, "bad USB id \"\": give VID:PID in hexadecimal"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(parse(b.args, o, error)) << b.args[0];
        EXPECT_EQ(error, b.error);
    }
    for (const char* opt : {"--device", "--usb-id", "--trace"}) {
        EXPECT_TRUE(seisbench::is_launch_option(opt)) << opt;
        EXPECT_TRUE(seisbench::takes_value(opt)) << opt;
    }
    EXPECT_TRUE(seisbench::is_launch_option("--usb-id=1:2"));
    EXPECT_FALSE(seisbench::takes_value("--usb-id=1:2"));
}

// A limits file the program cannot use ends it with a usage error before any window opens.
TEST(Launch, BadLimitsFileIsAUsageError) {
    testing_support::TempDir dir;
    const std::string bad = dir.write("bad-limits.json", R"({"signal": {"SNR": {"min": 1}}})");
    const std::string command =
        std::string(SEISBENCH_EXECUTABLE) + " --limits " + bad + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

TEST(Launch, ResourcesBesideTheProgramOrInTheShareFolder) {
    namespace fs = std::filesystem;
    const fs::path root = testing_support::copy_resources_to_temp();
    // Installed layout: <prefix>/bin and <prefix>/share/seisbench.
    const fs::path prefix = root / "prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "seisbench");
    fs::copy_file(root / "main.uir", prefix / "share" / "seisbench" / "main.uir");
    EXPECT_EQ(fs::path(seisbench::find_resource_dir((prefix / "bin").string())),
              prefix / "share" / "seisbench");
    // Build tree: beside the program wins.
    EXPECT_EQ(fs::path(seisbench::find_resource_dir(root.string())), root);
    EXPECT_EQ(seisbench::find_resource_dir((root / "nowhere").string()), "");
    EXPECT_EQ(seisbench::find_resource_dir(SEISBENCH_TEST_RESOURCE_DIR),
              fs::path(SEISBENCH_TEST_RESOURCE_DIR).lexically_normal().string());
}

TEST(Launch, TheProgramLinksQt6AndNoQt5) {
    const auto needed = needed_libraries(SEISBENCH_EXECUTABLE);
    ASSERT_FALSE(needed.empty()) << SEISBENCH_EXECUTABLE;
    bool qcustomplot6 = false;
    for (const auto& lib : needed) {
        EXPECT_FALSE(is_qt5(lib)) << lib;
        qcustomplot6 |= lib.rfind("libQCustomPlotQt6.so", 0) == 0;
    }
    EXPECT_TRUE(qcustomplot6);
    // Real boards are reached through libusb.
    EXPECT_TRUE(std::any_of(needed.begin(), needed.end(), [](const std::string& lib) {
        return lib.rfind("libusb-1.0.so", 0) == 0;
    }));

    // Nor is any Qt 5 library loaded, directly or through another library, in this process,
    // which links the front-end library as the program does.
    std::vector<std::string> loaded;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            static_cast<std::vector<std::string>*>(data)->emplace_back(info->dlpi_name);
            return 0;
        },
        &loaded);
    bool qt6 = false;
    for (const auto& path : loaded) {
        const std::string name = std::filesystem::path(path).filename().string();
        EXPECT_FALSE(is_qt5(name)) << path;
        qt6 |= name.rfind("libQt6Widgets.so", 0) == 0;
    }
    EXPECT_TRUE(qt6);
}
