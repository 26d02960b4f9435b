// A board that stops answering part-way through a configuration.
#include <gtest/gtest.h>

#include <algorithm>

#include "chip/registers.h"
#include "chip/setup_config.h"
#include "config_rig.h"

namespace config_test {
namespace {

using Ops = std::vector<std::string>;
using simboard::Faults;

const std::string kNoResponse = std::string(kNoResponseTitle) + "|" + kNoResponseText;
const std::string kDone = std::string(kDoneTitle) + "|" + kDoneText;

void preset(Rig& r) {
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_CONFIG, 0xFFFFFF), 1);
    ASSERT_EQ(chip::REG_write(r.app->port, chip::REG_FILTCFG, 0xFFFFFF), 1);
    r.set(SETUP_CONFIGA, 16);
    r.set(SETUP_RATE, 1000);
    r.set(SETUP_C16, 7);
    r.set(SETUP_GAIN2, 0x123456);
    r.board->clear_log();
}

// A configuration that runs through: what it did, and how many operations the board had
// logged before each of its requests.
struct GoodRun {
    Ops ops;
    std::vector<size_t> ops_before;
};

GoodRun good_run(int code) {
    Rig r(code);
    preset(r);
    GoodRun g;
    const int start = r.bus.requests;
    bool traffic_with_timers_on = false;
    r.bus.before_request = [&](int n) {
        if (n >= start) g.ops_before.push_back(operations(*r.board).size());
        traffic_with_timers_on |= !r.app->ui.timers_suspended();
    };
    r.press_configure();
    EXPECT_EQ(r.messages().back(), kDone);
    EXPECT_FALSE(traffic_with_timers_on);
    EXPECT_FALSE(r.app->ui.timers_suspended());
    g.ops = operations(*r.board);
    return g;
}

int count(const Ops& v, const std::string& s) {
    return static_cast<int>(std::count(v.begin(), v.end(), s));
}

// For every request of the sequence: the board falls silent from that request on. The
// sequence stops at the access that request belongs to, keeps what it wrote before, leaves
// capture locked and the timer callbacks resumed, and suspends them for all its traffic.
TEST(ConfigFailure, SilenceAtAnyRequestStopsAtThatAccess) {
    const GoodRun good = good_run(4);
    const int total = static_cast<int>(good.ops_before.size());
    ASSERT_EQ(total, 27);
    for (int fail_at = 0; fail_at < total; ++fail_at) {
        SCOPED_TRACE("silent from request " + std::to_string(fail_at));
        Rig r(4);
        preset(r);
        const int start = r.bus.requests;
        bool traffic_with_timers_on = false;
        r.bus.before_request = [&](int n) {
            if (n - start == fail_at) r.board->faults().silent_types = Faults::kAllTypes;
            traffic_with_timers_on |= !r.app->ui.timers_suspended();
        };
        bool resumed_before_message = false;
        r.frontend.on_message = [&](const std::string& title) {
            if (title == kNoResponseTitle) resumed_before_message = !r.app->ui.timers_suspended();
        };
        r.press_configure();

        // The failing access is the last thing that reached the board.
        const size_t n_ops = fail_at + 1 < total ? good.ops_before[fail_at + 1] : good.ops.size();
        const Ops expected(good.ops.begin(), good.ops.begin() + static_cast<long>(n_ops));
        EXPECT_EQ(operations(*r.board), expected);

        const Ops msgs = r.messages();
        ASSERT_FALSE(msgs.empty());
        EXPECT_EQ(msgs.back(), kNoResponse);
        EXPECT_EQ(count(msgs, kNoResponse), 1);
        EXPECT_EQ(count(msgs, kDone), 0);
        EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
        EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
        EXPECT_TRUE(r.capture_menu_dimmed());
        EXPECT_FALSE(traffic_with_timers_on);
        EXPECT_FALSE(resumed_before_message);
        EXPECT_FALSE(r.app->ui.timers_suspended());
    }
}

TEST(ConfigFailure, StepsBeforeTheFailureStayApplied) {
    Rig r(4);
    preset(r);
    // Requests 0..10 carry steps 1 to 4 and GPCFG0; GPCFG1 is request 11.
    const int start = r.bus.requests;
    r.bus.before_request = [&](int n) {
        if (n - start == 11) r.board->faults().silent_types = Faults::kAllTypes;
    };
    r.press_configure();
    EXPECT_EQ(r.messages(), (Ops{kNoResponse}));
    const auto& chip = r.board->chip();
    EXPECT_EQ(chip.reg(0x00), 0xF8F8DFu);  // CONFIG: mask, then selection A = 16
    EXPECT_EQ(chip.reg(0x20), 0xFFF050u);  // FILTCFG: rate 1000, four channels
    EXPECT_EQ(chip.reg(0x0E), 0xFF0000u);  // GPCFG0 written
    EXPECT_EQ(chip.reg(0x22), 0x400000u);  // gains untouched
    const Ops ops = operations(*r.board);
    EXPECT_EQ(ops.back(), W(0x0F, 0x0F0008));  // the failing write itself still acted
}

// Only the read replies are lost: the filter step must not write CONFIG built on the zero a
// failed read yields, which would clear every bit its mask is meant to keep.
TEST(ConfigFailure, FailedReadBackStopsTheStepBeforeItWrites) {
    Rig r(4);
    preset(r);
    r.board->faults().silent_types = Faults::type_bit(0x02);
    r.press_configure();
    EXPECT_EQ(operations(*r.board), (Ops{C(0x09), C(0x05), C(0x07), C(0x09), R(0x00)}));
    EXPECT_EQ(r.board->chip().reg(0x00), 0xFFFFFFu);
    const Ops msgs = r.messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0], "        Time Out!|No return within 4 seconds");
    EXPECT_EQ(msgs[1], kNoResponse);
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
}

TEST(ConfigFailure, WrongReplyFailsTheFirstStepAtOnce) {
    Rig r(9);
    preset(r);
    r.board->faults().wrong_types = Faults::type_bit(0x01);
    const double t0 = r.clock.now();
    r.press_configure();
    EXPECT_EQ(operations(*r.board), (Ops{C(0x09)}));
    EXPECT_EQ(r.messages(), (Ops{kNoResponse}));
    EXPECT_LT(r.clock.now() - t0, 1.0);  // a wrong reply is not waited out
}

// A configuration that fails after one that succeeded takes capture away again: the chip is
// half configured.
TEST(ConfigFailure, FailedReconfigurationWithdrawsCapture) {
    Rig r(4);
    r.press_configure();
    ASSERT_EQ(r.messages(), (Ops{kDone}));
    ASSERT_FALSE(r.dimmed(SETUP_CAPTURE));
    r.board->faults().silent_types = Faults::kAllTypes;
    r.press_configure();
    EXPECT_EQ(r.messages().back(), kNoResponse);
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
    EXPECT_TRUE(r.dimmed(SETUP_CAPTURE2));
    EXPECT_TRUE(r.capture_menu_dimmed());
}

}  // namespace
}  // namespace config_test

namespace config_test {
namespace {

// The board falls silent at the first or the last request of each step (board 4: 27 requests
// in all): the outcome names that step, says the board did not answer and carries the
// message for the person, which configure itself does not show.
TEST(ConfigOutcome, EachStepsFailureNamesThatStep) {
    const struct {
        int first, last;
        const char* step;
    } steps[] = {
        {0, 0, "FL_STOP"},
        {1, 1, "set_filter_coefficients"},
        {2, 2, "WR_ROM_TBS"},
        {3, 9, "set_filter_parameters"},
        {10, 11, "set_modulator_parameters"},
        {12, 15, "set_correction_parameters"},
        {16, 23, "set_gainoffset_parameters"},
        {24, 25, "set_tbs_parameters"},
        {26, 26, "final FL_STOP"},
    };
    for (const auto& s : steps) {
        for (int at : {s.first, s.last}) {
            SCOPED_TRACE(std::string(s.step) + " silent from request " + std::to_string(at));
            Rig r(4);
            const int start = r.bus.requests;
            r.bus.before_request = [&](int n) {
                if (n - start == at) r.board->faults().silent_types = Faults::kAllTypes;
            };
            const core::Status st = chip::configure(*r.app);
            EXPECT_EQ(st.step, s.step);
            EXPECT_EQ(st.fault, core::Fault::NoReply);
            EXPECT_EQ(st.title, kNoResponseTitle);
            EXPECT_EQ(st.text, kNoResponseText);
            EXPECT_TRUE(r.messages().empty());
            EXPECT_TRUE(r.dimmed(SETUP_CAPTURE));
        }
    }
}

TEST(ConfigOutcome, WrongReplyAndSuccess) {
    Rig r(9);
    r.board->faults().wrong_types = Faults::type_bit(0x01);
    core::Status st = chip::configure(*r.app);
    EXPECT_EQ(st.fault, core::Fault::WrongReply);
    EXPECT_EQ(st.step, "FL_STOP");
    r.board->faults().wrong_types = 0;
    st = chip::configure(*r.app);
    EXPECT_TRUE(st.ok());
    EXPECT_EQ(st.title, kDoneTitle);
    EXPECT_EQ(st.text, kDoneText);
    EXPECT_FALSE(r.dimmed(SETUP_CAPTURE));
}

}  // namespace
}  // namespace config_test
