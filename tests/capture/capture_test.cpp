// One capture against the simulated board (and a scripted device for the cases a board
// produces only by accident), on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "boardlink/discovery.h"
#include "boardlink/transport/transport.h"
#include "capture/capture.h"
#include "capture/permission.h"
#include "capture/progress.h"
#include "chip/registers.h"
#include "chip/setup_config.h"
#include "scripted_bus.h"
#include "shell/startup.h"
#include "support/test_app.h"
#include "support/wire_app.h"
#include "uir_ids.h"

using testing_support::TestApp;

namespace {

constexpr const char* kNoResponse =
    "        No Response!|Please reconfig or reset the target board";

struct Capture : ::testing::Test {
    TestApp t;
    simboard::SimBoard* board = nullptr;

    void connect_and_configure(int code, int rate = 500, int channels_code = 0) {
        board = &t.add_board(code);
        t.start();
        auto& ui = t->ui;
        const int p = t->shell.setuppanel;
        ui.SetCtrlVal(p, SETUP_CONNECT, 1);
        boardlink::USB_port_init(*t);
        ASSERT_EQ(t->link.usb_opened, 1);
        ui.SetCtrlVal(p, SETUP_RATE, rate);
        if (code == 1 || code == 4 || code == 7 || code == 9 || code == 10)
            ui.SetCtrlVal(p, SETUP_CHANNELS, channels_code);
        chip::config_df(*t);
        ASSERT_EQ(t.frontend.messages().back(), "Done|Digital Filter configuration is completed.");
        t.frontend.popups.clear();
    }
    void set(int ctrl, int value) { t->ui.SetCtrlVal(t->shell.setuppanel, ctrl, value); }
    int dimmed(int ctrl) {
        int d = 0;
        t->ui.GetCtrlAttribute(t->shell.setuppanel, ctrl, ui::ATTR_DIMMED, &d);
        return d;
    }
    std::string caption() {
        std::string s;
        t->ui.GetCtrlAttribute(t->shell.setuppanel, SETUP_CAPTURE, ui::ATTR_LABEL_TEXT, &s);
        return s;
    }
    const simboard::LogEntry* capture_start() {
        for (const auto& e : board->log())
            if (e.kind == simboard::LogEntry::Kind::CaptureStart) return &e;
        return nullptr;
    }
};

}  // namespace

TEST(Records, DecodeAsTwosComplement24Bit) {
    const std::uint8_t a[] = {0xFF, 0xFF, 0xFF}, b[] = {0x80, 0x00, 0x00}, c[] = {0x7F, 0xFF, 0xFF};
    EXPECT_EQ(capture::decode_sample(a), -1);
    EXPECT_EQ(capture::decode_sample(b), -8388608);
    EXPECT_EQ(capture::decode_sample(c), 8388607);
}

TEST_F(Capture, FourChannelsWithoutSkipDropTheStaleFirstRecord) {
    connect_and_configure(4);
    set(SETUP_SAMPLES, 4096);
    set(SETUP_SKIP, 0);
    const double t0 = t.clock.now();
    ASSERT_EQ(capture::capture_data(*t), 0);
    const auto* start = capture_start();
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->a, 4096u);
    EXPECT_EQ(start->b, 4u);  // channel count code 0 goes out as 4
    EXPECT_EQ(start->c, 0u);
    // After the shift the records start with channel 0 and cycle through the four channels.
    for (int i = 0; i < 4096; ++i) ASSERT_EQ((t->capture.jarr[i] >> 4) & 3, i % 4) << i;
    EXPECT_EQ(t->capture.num_samples, 4096);
    // 1024 frames at 500 words/s take about 2 s of stream time.
    EXPECT_NEAR(t.clock.now() - t0, 2.05, 0.3);
    int progress = 0;
    t->ui.GetCtrlVal(t->shell.setuppanel, SETUP_PROGRESS, &progress);
    EXPECT_EQ(progress, 100);
    EXPECT_TRUE(t.frontend.popups.empty());
    bool stopped = false;  // FL_STOP follows the stream
    for (const auto& e : board->log())
        if (e.kind == simboard::LogEntry::Kind::Command && e.a == 0x09 && e.time > start->time)
            stopped = true;
    EXPECT_TRUE(stopped);
}

// Turn_Capture_off leaves the capture button enabled; the channel ring changed after the
// configuration changes the request, not the rotation the chip delivers.
TEST_F(Capture, ChannelRingChangedAfterConfigureStillCaptures) {
    connect_and_configure(4);
    ASSERT_EQ(t->ui.UserSetValue(t->shell.setuppanel, SETUP_CHANNELS, 2), 0);
    ASSERT_EQ(dimmed(SETUP_CAPTURE), 0);
    set(SETUP_SAMPLES, 4096);
    ASSERT_EQ(capture::capture_data(*t), 0);
    EXPECT_TRUE(t.frontend.popups.empty()) << ::testing::PrintToString(t.frontend.messages());
    EXPECT_EQ(capture_start()->b, 2u);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ((t->capture.jarr[i] >> 4) & 3, i % 4) << i;
}

TEST_F(Capture, SingleChannelWithoutSkipKeepsTheFirstRecord) {
    connect_and_configure(2);
    set(SETUP_SAMPLES, 1000);
    ASSERT_EQ(capture::capture_data(*t), 0);
    EXPECT_EQ(capture_start()->b, 1u);
    EXPECT_NE(t->capture.iarr[0], 0);  // a converted sample, not a stale word
    EXPECT_NE(t->capture.iarr[999], 0);
    EXPECT_EQ(t->capture.iarr[1000], 0);
}

TEST_F(Capture, SkipWaitsForTheSkipReplyWithinItsLimitPlusFiveSeconds) {
    connect_and_configure(4);
    set(SETUP_SAMPLES, 400);
    set(SETUP_SKIP, 1000);
    ASSERT_EQ(capture::capture_data(*t), 0);
    EXPECT_EQ(capture_start()->c, 1000u);
    EXPECT_TRUE(t.frontend.popups.empty());

    // No skip reply and no records either: the wait runs out.
    board->faults().silent_types = simboard::Faults::type_bit(0x0C);
    board->faults().stall_after_records = 0;
    const double t0 = t.clock.now();
    EXPECT_EQ(capture::capture_data(*t), 1);
    const double waited = t.clock.now() - t0;
    EXPECT_GT(waited, 7.0);  // 2 s of skipping + 5 s, in whole seconds
    EXPECT_LT(waited, 9.0);
    EXPECT_EQ(
        t.frontend.messages(),
        (std::vector<std::string>{"        No Response!|Error occurs while skipping samples"}));
    EXPECT_EQ(dimmed(SETUP_CAPTURE), 1);
    EXPECT_EQ(dimmed(SETUP_CAPTURE2), 1);
    EXPECT_EQ(caption(), "Capture Data");
}

TEST_F(Capture, UnansweredCaptureRequestReportsBothMessagesAndLocks) {
    connect_and_configure(4);
    board->faults().silent_types = simboard::Faults::type_bit(0x03);
    board->faults().stall_after_records = 0;
    EXPECT_EQ(capture::capture_data(*t), 1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Error|Device doesn't respond to Capture Start Command.",
                                        kNoResponse}));
    EXPECT_EQ(dimmed(SETUP_CAPTURE), 1);
    int menu_dimmed = 0;
    t->ui.GetMenuBarAttribute(t->shell.menu, MENUBAR_BOARD_CAPTURE, ui::ATTR_DIMMED, &menu_dimmed);
    EXPECT_EQ(menu_dimmed, 1);
}

TEST_F(Capture, WrongCaptureReplyIsOutOfSync) {
    connect_and_configure(4);
    board->faults().wrong_types = simboard::Faults::type_bit(0x03);
    EXPECT_EQ(capture::capture_data(*t), 1);
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"        WARNING!!!|Command out of Sync", kNoResponse}));
    EXPECT_EQ(dimmed(SETUP_CAPTURE), 1);
}

TEST_F(Capture, StalledStreamFailsAfterMoreThanFiveWholeSeconds) {
    connect_and_configure(4);
    set(SETUP_SAMPLES, 4096);
    board->faults().stall_after_records = 1000;
    EXPECT_EQ(capture::capture_data(*t), 1);
    EXPECT_EQ(t.frontend.messages(), (std::vector<std::string>{kNoResponse}));
    EXPECT_EQ(dimmed(SETUP_CAPTURE), 1);
    EXPECT_EQ(caption(), "Capture Data");
}

// The inner capture names the part that failed and leaves the message to its caller; every
// one of these failures locks capture.
TEST_F(Capture, FailedBlockNamesItsStep) {
    connect_and_configure(4);
    const struct {
        const char* step;
        core::Fault fault;
        int samples, skip;
        std::uint32_t silent;
        const char* text;
    } cases[] = {
        {"USB_Write_CaptureStart", core::Fault::NoReply, 400, 0, simboard::Faults::type_bit(0x03),
         "Please reconfig or reset the target board"},
        {"wait_capture_reply", core::Fault::NoReply, 400, 1000, simboard::Faults::type_bit(0x0C),
         "Error occurs while skipping samples"},
        {"stream", core::Fault::NoReply, 400, 0, 0, "Please reconfig or reset the target board"},
    };
    for (const auto& c : cases) {
        capture::enable_capture(*t);
        set(SETUP_SAMPLES, c.samples);
        set(SETUP_SKIP, c.skip);
        board->faults().silent_types = c.silent;
        board->faults().stall_after_records = 0;
        const core::Status s = capture::capture_block(*t);
        EXPECT_EQ(s.step, c.step);
        EXPECT_EQ(s.fault, c.fault) << c.step;
        EXPECT_EQ(s.title, "        No Response!") << c.step;
        EXPECT_EQ(s.text, c.text) << c.step;
        EXPECT_EQ(dimmed(SETUP_CAPTURE), 1) << c.step;
        EXPECT_EQ(caption(), "Capture Data") << c.step;
    }
    // Only the capture request's own message was shown (once, by the request itself).
    EXPECT_EQ(t.frontend.messages(),
              (std::vector<std::string>{"Error|Device doesn't respond to Capture Start Command."}));
}

TEST_F(Capture, RecordsSplitAcrossReadsAreStoredWhole) {
    connect_and_configure(4);
    set(SETUP_SAMPLES, 2000);
    ASSERT_EQ(capture::capture_data(*t), 0);
    const std::vector<std::int32_t> whole(t->capture.iarr.begin(), t->capture.iarr.begin() + 2001);
    board->faults().split_records = true;
    ASSERT_EQ(capture::capture_data(*t), 0);
    // Same seed, same configuration: the second block continues the signal, so compare the
    // tags, and check every sample is a plausible converter code rather than a torn record.
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ((t->capture.jarr[i] >> 4) & 3, i % 4) << i;
        ASSERT_LT(std::abs(t->capture.iarr[i]), 8388608) << i;
    }
    EXPECT_EQ(whole.size(), 2001u);
    EXPECT_TRUE(t.frontend.popups.empty());
}

namespace {

// A scripted four-channel device: acknowledges everything and streams `records` records of
// channel-cycling tags, `burst` bytes per delivery.
struct ScriptedCapture : ::testing::Test {
    testing_support::ScriptedBus bus;
    platform::VirtualClock clock;
    ui::HeadlessFrontend frontend;
    std::unique_ptr<App> app;
    long long to_send = 0;
    long long sent = 0;
    double last_delivery = -1.0;

    // One delivery per poll step of the clock, as a paced stream arrives.
    bool due() {
        if (clock.now() <= last_delivery) return false;
        last_delivery = clock.now();
        return true;
    }

    void SetUp() override {
        bus.on_request = [this](const std::vector<std::uint8_t>& r,
                                testing_support::ScriptedBus& b) {
            if (r.size() != 15) return;
            switch (r[1]) {
                case 0x01:
                    b.reply({0xFE, 0x01, 0, 0, 0, 0, 0xFD});
                    break;
                case 0x02:
                    b.reply({0xFE, 0x02, 0, 0x76, 0x01, 0x10, 0xFD});
                    break;
                case 0x03:
                    b.reply({0xFE, 0x03, 0, 0, 0, 0, 0xFD});
                    break;
                default:
                    break;
            }
        };
        bus.refill = [this](testing_support::ScriptedBus& b) {
            if (!due()) return;
            for (int i = 0; i < 250 && sent < to_send; ++i, ++sent)
                b.reply({static_cast<std::uint8_t>((sent % 4) << 4), 0x00, 0x00, 0x01});
        };
        app =
            std::make_unique<App>(App::Options{clock, frontend, bus, SEISBENCH_TEST_RESOURCE_DIR});
        ASSERT_EQ(shell::startup(*app), 0);
        ASSERT_EQ(boardlink::Open_Device(app->port, 0), 1);
        capture::enable_capture(*app);
        app->capture.configured_channels = 4;  // as a four-channel configuration leaves it
    }
};

}  // namespace

// However much is queued at once, it is read in chunks of at most 1000 bytes and the capture
// completes; "USB buffer over-run!" comes only when bytes were really lost: the queue says so,
// or a channel is missing from the tags' round.
TEST_F(ScriptedCapture, OnlyRealLossIsAnOverRun) {
    const struct {
        const char* name;
        int per_delivery;           // records
        long long skip_channel_at;  // record after which one channel is missing; -1 none
        long long lost_at;          // record after which the queue reports loss; -1 none
        bool completes;
    } cases[] = {
        {"250 records at a time", 250, -1, -1, true},
        {"250 and 1 bytes queued", 251, -1, -1, true},
        {"a second of a four-channel stream at once", 16000, -1, -1, true},
        {"a channel missing", 1000, 3001, -1, false},
        {"the queue lost bytes", 1000, -1, 2000, false},
    };
    bus.delivery_limit = 1 << 20;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frontend.popups.clear();
        bus.largest_read = 0;
        sent = 0;
        to_send = 20001;
        app->ui.SetCtrlVal(app->shell.setuppanel, SETUP_SAMPLES, 20000);
        bus.refill = [this, &c](testing_support::ScriptedBus& b) {
            if (!due()) return;
            for (int i = 0; i < c.per_delivery && sent < to_send; ++i, ++sent) {
                const long long ch = sent + (c.skip_channel_at >= 0 && sent > c.skip_channel_at);
                b.reply({static_cast<std::uint8_t>((ch % 4) << 4), 0x00, 0x00, 0x01});
            }
            if (c.lost_at >= 0 && sent > c.lost_at) b.lost = true;
        };
        EXPECT_EQ(capture::capture_data(*app), c.completes ? 0 : 1);
        EXPECT_LE(bus.largest_read, 1000u);
        if (c.completes) {
            EXPECT_TRUE(frontend.popups.empty()) << ::testing::PrintToString(frontend.messages());
            for (int i = 0; i < 20000; ++i) ASSERT_EQ((app->capture.jarr[i] >> 4) & 3, (i + 1) % 4);
        } else {
            EXPECT_EQ(frontend.messages(),
                      (std::vector<std::string>{
                          "USB buffer over-run!|Please reconfig or reset the target board"}));
            int d = 0;
            app->ui.GetCtrlAttribute(app->shell.setuppanel, SETUP_CAPTURE, ui::ATTR_DIMMED, &d);
            EXPECT_EQ(d, 0);  // capture stays enabled
        }
        bus.pending.clear();
        bus.lost = false;
    }
}

// The four-channel chip's stale first record may carry any tag; from the third record on a
// tag out of turn means lost records.
TEST_F(ScriptedCapture, StaleFirstTagIsNotJudgedALaterBreakIs) {
    const struct {
        const char* name;
        int first_tag;  // channel of the stale record
        int break_at;   // record whose channel skips one ahead; 0 none
        bool completes;
    } cases[] = {
        {"stale record of channel 2, then 0, 1, 2, 3 ...", 2, 0, true},
        {"stale record of channel 0, then 0, 1, 2, 3 ...", 0, 0, true},
        {"break between records 2 and 3", 3, 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frontend.popups.clear();
        sent = 0;
        to_send = 4000;
        app->ui.SetCtrlVal(app->shell.setuppanel, SETUP_SAMPLES, 3999);
        bus.refill = [this, &c](testing_support::ScriptedBus& b) {
            if (!due()) return;
            for (int i = 0; i < 250 && sent < to_send; ++i, ++sent) {
                const long long ch =
                    sent == 0 ? c.first_tag : sent - 1 + (c.break_at && sent >= c.break_at);
                b.reply({static_cast<std::uint8_t>((ch % 4) << 4), 0x00, 0x00,
                         static_cast<std::uint8_t>(sent == 0 ? 0xEE : 0x01)});
            }
        };
        EXPECT_EQ(capture::capture_data(*app), c.completes ? 0 : 1);
        if (c.completes) {
            EXPECT_TRUE(frontend.popups.empty()) << ::testing::PrintToString(frontend.messages());
            EXPECT_EQ(app->capture.iarr[0], 1);  // the stale word is gone
            for (int i = 0; i < 3999; ++i) ASSERT_EQ((app->capture.jarr[i] >> 4) & 3, i % 4);
        } else {
            EXPECT_EQ(frontend.messages(),
                      (std::vector<std::string>{
                          "USB buffer over-run!|Please reconfig or reset the target board"}));
        }
        bus.pending.clear();
    }
}

TEST_F(ScriptedCapture, RecordsBeyondTheBufferAreDroppedNotStored) {
    app->ui.SetCtrlVal(app->shell.setuppanel, SETUP_SAMPLES, core::kMaxRecords);
    to_send = core::kBufferEntries + 99;
    bus.refill = [this](testing_support::ScriptedBus& b) {
        // The last delivery carries 249 records past the request.
        if (!due()) return;
        for (int i = 0; i < 250 && sent < to_send; ++i, ++sent)
            b.reply({static_cast<std::uint8_t>((sent % 4) << 4), 0x00, 0x00, 0x02});
    };
    ASSERT_EQ(capture::capture_data(*app), 0);
    EXPECT_EQ(app->capture.dropped, sent - core::kBufferEntries);
    EXPECT_GT(app->capture.dropped, 0);
    EXPECT_EQ(app->capture.iarr[core::kMaxRecords - 1], 2);
}

namespace {

// A full-rate four-channel capture (4000 words/s, 64,000 bytes/s) during which the program
// stops polling once, for `pause` seconds, once a second of stream has gone by.
struct HeldUpCapture {
    testing_support::WireApp w;
    bool paused = false;

    int run(double pause, int records) {
        auto& board = w.add_board(4);
        w.start();
        w.connect();
        w->ui.SetCtrlVal(w->shell.setuppanel, SETUP_RATE, 4000);
        w->ui.SetCtrlVal(w->shell.setuppanel, SETUP_CHANNELS, 0);
        chip::config_df(*w);
        w->ui.SetCtrlVal(w->shell.setuppanel, SETUP_SAMPLES, records);
        w.frontend.popups.clear();
        w.bus.on_queue_look = [this, &board, pause] {
            if (paused || !board.streaming() || board.records_sent() < 16000) return;
            paused = true;
            w.clock.advance(pause);
        };
        return capture::capture_data(*w);
    }
};

}  // namespace

TEST(HeldUpHost, HalfASecondWithoutPollingLosesNothing) {
    HeldUpCapture steady, held;
    ASSERT_EQ(steady.run(0.0, 65536), 0);
    ASSERT_EQ(held.run(0.5, 65536), 0) << held.w.popups_text();
    EXPECT_TRUE(held.paused);
    EXPECT_TRUE(held.w.frontend.popups.empty()) << held.w.popups_text();
    const auto& a = steady.w->capture;
    const auto& b = held.w->capture;
    for (int i = 0; i < 65536; ++i) {
        ASSERT_EQ((b.jarr[i] >> 4) & 3, i % 4) << i;
        ASSERT_EQ(b.iarr[i], a.iarr[i]) << i;  // every record, in order
    }
}

TEST(HeldUpHost, PauseLongerThanTheQueueHoldsIsAnOverRun) {
    HeldUpCapture held;
    EXPECT_EQ(held.run(2.0, 65536), 1);
    EXPECT_EQ(held.w.frontend.messages(),
              (std::vector<std::string>{
                  "USB buffer over-run!|Please reconfig or reset the target board"}));
}

// A stop asked for mid-stream ends the stream within a chunk, whether it comes through the
// port's hook (Ctrl-C) or the progress window's Cancel: FL_STOP goes out while records still
// arrive, the queue is emptied, the block held before comes back and the next capture starts
// at once and reads clean records.
TEST_F(Capture, AStopMidStreamCancelsAndKeepsTheHeldBlock) {
    connect_and_configure(4);
    set(SETUP_SAMPLES, 1024);
    ASSERT_TRUE(capture::capture_block(*t).ok());
    const std::vector<std::int32_t> held(t->capture.iarr.begin(), t->capture.iarr.begin() + 1024);
    for (const bool from_window : {false, true}) {
        SCOPED_TRACE(from_window ? "progress window" : "port hook");
        int chunks = 0;
        if (from_window) {
            t.frontend.progress_updates = 0;
            t.frontend.cancel_progress_at = 3;
        } else {
            t->port.stop_requested = [&chunks] { return ++chunks > 3; };
        }
        set(SETUP_SAMPLES, 65536);
        board->clear_log();
        const core::Status s = capture::capture_block(*t);
        EXPECT_EQ(s.fault, core::Fault::Cancelled);
        EXPECT_EQ(s.text, "Capture cancelled.");
        if (from_window) {
            EXPECT_EQ(t.frontend.progress_updates, 3);
            EXPECT_EQ(t.frontend.last_progress.rfind("Capturing Data: block 1/1, ", 0), 0u)
                << t.frontend.last_progress;
            EXPECT_FALSE(t->port.stop_requested) << "the window's stop hook outlived the stream";
        } else {
            EXPECT_EQ(chunks, 4);
        }
        bool stopped = false;
        for (const auto& e : board->log())
            if (e.kind == simboard::LogEntry::Kind::Command && e.a == chip::FL_STOP) stopped = true;
        EXPECT_TRUE(stopped);
        EXPECT_EQ(t->capture.num_samples, 1024);
        EXPECT_TRUE(std::equal(held.begin(), held.end(), t->capture.iarr.begin()));
        EXPECT_EQ(dimmed(SETUP_CAPTURE), 0);
        EXPECT_EQ(caption(), "Capture Data");
        t.frontend.cancel_progress_at = -1;
        t->port.stop_requested = nullptr;
    }

    set(SETUP_SAMPLES, 2048);
    const core::Status again = capture::capture_block(*t);
    EXPECT_TRUE(again.ok()) << again.text;
    EXPECT_EQ(t->capture.num_samples, 2048);
}

// The progress text the window and the terminal share: the share done runs across the
// averaging loop's blocks and the time left is estimated from it.
TEST(CaptureProgressText, CountsAcrossBlocksAndEstimatesTheTimeLeft) {
    struct Case {
        capture::CaptureProgress p;
        double elapsed, fraction;
        const char* text;
    };
    for (const Case& c :
         {Case{{1, 4, 0, 16384}, 0.0, 0.0, "block 1/4, 0/16384 records"},
          Case{{2, 4, 8192, 16384}, 15.0, 0.375, "block 2/4, 8192/16384 records, 25 s left"},
          Case{{0, 0, 512, 1024}, 2.0, 0.5, "block 1/1, 512/1024 records, 2 s left"},
          Case{{4, 4, 16384, 16384}, 40.0, 1.0, "block 4/4, 16384/16384 records, 0 s left"}}) {
        EXPECT_DOUBLE_EQ(capture::fraction_done(c.p), c.fraction) << c.text;
        EXPECT_EQ(capture::describe(c.p, c.elapsed), c.text);
    }
}
