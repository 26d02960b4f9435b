// The programs' real USB path, end to end: seisbench-cli and the libusb bus, unchanged, talk
// through the system's libusb and the kernel's usbdevfs interface (emulated by umockdev) to
// bridges with the simulated board behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/usb/libusb_host.h"
#include "tests/platform/usb/emulated/child_run.h"

namespace {

using usb_emulated::BridgeDevice;
using usb_emulated::BridgeOptions;
using usb_emulated::ChildResult;

// Long enough for any run here on a loaded machine; reaching it means a hang.
constexpr double kLimitSeconds = 180;

class EmulatedBus : public ::testing::Test {
  protected:
    BridgeDevice& plug(const std::string& serial, BridgeOptions options = {}) {
        simboard::BoardConfig board;
        board.serial = serial;
        return bus_.plug(board, options);
    }

    ChildResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), "./seisbench-cli");
        return usb_emulated::run_on_bus(bus_, args, kLimitSeconds);
    }

    usb_emulated::EmulatedBridge bus_;
};

// The JSON object of one command in a --json run's output.
nlohmann::json reply_of(const std::string& out, const std::string& command) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != '{') continue;
        const auto j = nlohmann::json::parse(line, nullptr, false);
        if (!j.is_discarded() && j.value("command", "") == command) return j;
    }
    return {};
}

bool saw(const std::vector<std::string>& log, const std::string& event) {
    return std::find(log.begin(), log.end(), event) != log.end();
}

std::string hex2(unsigned v) {
    char s[4];
    std::snprintf(s, sizeof s, "%02x", v);
    return s;
}

const std::vector<std::string> kCapture = {
    "--json", "connect", "configure --rate 4000 --channels 4", "capture --samples 65536"};

TEST_F(EmulatedBus, AFullRateCaptureArrivesWholeWhateverTheDeviceDoesOnTheWire) {
    struct Case {
        const char* what;
        BridgeOptions options;
    };
    const Case cases[] = {
        {"endpoints 0x82/0x02", {}},
        {"endpoints 0x81/0x01", {.in_endpoint = 0x81, .out_endpoint = 0x01}},
        {"a zero-length packet after every full one", {.zlp_after_full = true}},
        {"the IN endpoint halting in the middle", {.stall_in_after = 2000}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BridgeDevice& d = plug("SB000001" + std::to_string(++n), c.options);
        std::vector<std::string> args = {"--device", d.serial()};
        args.insert(args.end(), kCapture.begin(), kCapture.end());
        const ChildResult r = cli(args);
        ASSERT_FALSE(r.timed_out);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto capture = reply_of(r.out, "capture");
        EXPECT_EQ(capture.value("records", 0), 65536);
        EXPECT_EQ(capture.value("dropped", -1), 0);
        const auto log = d.log();
        // The serial driver is taken off the interface, and the reset request real bridges
        // refuse is refused without harm.
        EXPECT_TRUE(saw(log, "driver detached"));
        EXPECT_TRUE(saw(log, "stall 00 ffff"));
        EXPECT_TRUE(saw(log, "vendor 02 0002"));
        if (c.options.stall_in_after > 0) {
            const auto halt = std::find(log.begin(), log.end(), "stall in");
            EXPECT_NE(std::find(halt, log.end(), "clear halt " + hex2(c.options.in_endpoint)),
                      log.end());
        }
        // Closing ends the data path and gives the interface back to the serial driver.
        EXPECT_TRUE(saw(log, "vendor 02 0004"));
        EXPECT_EQ(log.back(), "driver attached");
    }
}

TEST_F(EmulatedBus, TwoBoardsAreListedByTheirSerialsAndTheOneNamedIsOpened) {
    BridgeDevice& first = plug("SB0000001");
    BridgeDevice& second = plug("SB0000002");
    const ChildResult list = cli({"--json", "devices"});
    ASSERT_EQ(list.status, 0) << list.err;
    const auto devices = reply_of(list.out, "devices")["devices"];
    std::vector<std::string> serials;
    for (const auto& d : devices) {
        serials.push_back(d.value("serial", ""));
        EXPECT_EQ(d.value("id", ""), "10c4:ea61");
    }
    std::sort(serials.begin(), serials.end());
    EXPECT_EQ(serials, (std::vector<std::string>{"SB0000001", "SB0000002"}));

    for (BridgeDevice* chosen : {&first, &second}) {
        const std::size_t before_first = first.log().size(), before_second = second.log().size();
        const ChildResult r = cli({"--device", chosen->serial(), "connect", "reg read VERSION"});
        ASSERT_EQ(r.status, 0) << r.err;
        const auto grew = [](BridgeDevice& d, std::size_t before) {
            const auto log = d.log();
            return std::find(log.begin() + static_cast<long>(before), log.end(), "claim 0") !=
                   log.end();
        };
        EXPECT_EQ(grew(first, before_first), chosen == &first);
        EXPECT_EQ(grew(second, before_second), chosen == &second);
    }
}

TEST_F(EmulatedBus, EepromProgrammingAndAFirmwareUpdateGoThrough) {
    BridgeDevice& d = plug("SB0000001");
    const std::string dir = ::testing::TempDir();
    const std::string eeprom = dir + "/emulated-eeprom.txt", firmware = dir + "/emulated-fw.thx";
    std::ofstream(eeprom) << "#\n7e\n01\n02\n03\n";
    ASSERT_EQ(std::system(("./make_test_firmware 4 --out " + firmware + " >/dev/null").c_str()), 0);

    const ChildResult r = cli({"--yes", "connect", "eeprom write " + eeprom,
                               "eeprom verify " + eeprom, "firmware flash --file " + firmware});
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("EEPROM verified successfully"), std::string::npos) << r.out;
    // The update's data writes fill whole packets: each is ended by a zero-length packet, or
    // the bridge would never hand it on.
    const auto log = d.log();
    const auto full = std::find(log.begin(), log.end(), "out 64");
    ASSERT_NE(full, log.end());
    EXPECT_EQ(*(full + 1), "zlp out");
}

TEST_F(EmulatedBus, ABoardPulledOutDuringACaptureIsNamedLostWithoutAHang) {
    plug("SB0000001", {.unplug_after = 2000});
    const ChildResult r = cli(kCapture);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't find the target board any more"), std::string::npos) << r.err;
    EXPECT_EQ(reply_of(r.out, "capture").value("board_lost", false), true) << r.out;
}

TEST_F(EmulatedBus, TheLibusbBusFindsTheEndpointsInTheDescriptorsAndFollowsTheBridgesRules) {
    for (const std::uint8_t in : {0x81, 0x82}) {
        const std::uint8_t out = static_cast<std::uint8_t>(in & 0x0F);
        BridgeDevice& d =
            plug("SB000000" + std::to_string(in & 0x0F), {.in_endpoint = in, .out_endpoint = out});
        SCOPED_TRACE(d.serial());
        std::vector<std::string> notices;
        auto bus = usb::make_libusb_bus(usb::board_ids({}),
                                        [&](const std::string& s) { notices.push_back(s); });
        // The bus lists the boards in the host's order, which need not be the ports' order.
        std::uint32_t index = 0;
        for (std::string serial; index < bus->device_count(); ++index)
            if (bus->serial_number(index, &serial) && serial == d.serial()) break;
        ASSERT_LT(index, bus->device_count());
        {
            const auto link = bus->open(index);
            ASSERT_NE(link, nullptr);
            EXPECT_TRUE(link->alive());
        }
        const auto log = d.log();
        const std::vector<std::string> expected = {
            "driver detached",         "claim 0",        "stall 00 ffff",  "clear halt " + hex2(in),
            "clear halt " + hex2(out), "vendor 02 0002", "vendor 02 0004", "release 0",
            "driver attached"};
        EXPECT_EQ(log, expected);
        EXPECT_TRUE(notices.empty());
    }
}

}  // namespace
