// The small parts of the device library: the receive queue both buses keep, the "VID:PID"
// text of --usb-id, and the bus that shows one board chosen by its serial number.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "platform/usb/receive_queue.h"
#include "platform/usb/serial_filter.h"
#include "platform/usb/sim_bus.h"
#include "platform/usb/usb_ids.h"

namespace usb {
namespace {

TEST(ReceiveQueue, KeepsOrderAcrossTheWrapAndCountsWhatDidNotFit) {
    ReceiveQueue q(10);
    std::vector<std::uint8_t> in(25);
    std::iota(in.begin(), in.end(), 0);
    std::uint8_t out[16] = {};
    EXPECT_EQ(q.push(in.data(), 7), 7u);
    EXPECT_EQ(q.pop(out, 5), 5u);              // 5, 6 left at the end of the ring
    EXPECT_EQ(q.push(in.data() + 7, 12), 8u);  // wraps; 4 bytes lost
    EXPECT_EQ(q.size(), 10u);
    EXPECT_EQ(q.lost(), 4u);
    EXPECT_EQ(q.pop(out, 16), 10u);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 10),
              (std::vector<std::uint8_t>{5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(q.pop(out, 16), 0u);
    q.clear();
    EXPECT_EQ(q.lost(), 0u);
    EXPECT_EQ(q.push(in.data(), 10), 10u);
    EXPECT_EQ(q.lost(), 0u);
}

TEST(UsbIds, ParsesVidPidAndRefusesAnythingElse) {
    const struct {
        const char* text;
        std::optional<UsbId> id;
    } cases[] = {
        {"10c4:ea61", UsbId{0x10C4, 0xEA61}},
        {"10C4:EA61", UsbId{0x10C4, 0xEA61}},
        {"0x1234:0x5", UsbId{0x1234, 0x0005}},
        {"ffff:0", UsbId{0xFFFF, 0}},
        {"10c4", std::nullopt},
        {"10c4:", std::nullopt},
        {":ea61", std::nullopt},
        {"10c4:ea61:1", std::nullopt},
        {"10000:1", std::nullopt},
        {"g0c4:ea61", std::nullopt},
        {"-1:ea61", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_usb_id(c.text), c.id) << c.text;
    EXPECT_EQ(usb_id_text({0x10C4, 0xEA61}), "10c4:ea61");
    EXPECT_EQ(board_ids({{1, 2}, kBridgeId, {1, 2}}), (std::vector<UsbId>{kBridgeId, {1, 2}}));
}

struct Filter : ::testing::Test {
    platform::VirtualClock clock;
    SimBus sim{clock};
    simboard::SimBoard& add(const char* serial) {
        simboard::BoardConfig c;
        c.serial = serial;
        return sim.add_board(c);
    }
};

TEST_F(Filter, ShowsOnlyTheChosenBoardWhereverItIsListed) {
    add("A1");
    auto& b = add("B2");
    add("C3");
    SerialFilter f(sim, "B2");
    ASSERT_EQ(f.device_count(), 1u);
    std::string s;
    EXPECT_TRUE(f.serial_number(0, &s));
    EXPECT_EQ(s, "B2");
    EXPECT_EQ(f.usb_id(0), kBridgeId);
    EXPECT_FALSE(f.serial_number(1, &s));
    auto link = f.open(0);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->alive());
    b.unplug();  // the chosen board goes: the filter shows none, though others remain
    EXPECT_EQ(f.device_count(), 0u);
    EXPECT_FALSE(link->alive());
    EXPECT_EQ(f.open(0), nullptr);
    EXPECT_EQ(SerialFilter(sim, "ZZ").device_count(), 0u);
}

}  // namespace
}  // namespace usb
