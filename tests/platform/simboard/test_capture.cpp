// The capture stream: acknowledgement, skip reply, pacing on the clock, tags, count, the end
// at FL_STOP, the configuration it follows, and the stream faults.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "frames.h"

namespace simboard::test {
namespace {

const Bytes kCaptureAck{0xFE, 0x03, 0x00, 0x00, 0x00, 0x00, 0xFD};
const Bytes kSkipped{0xFE, 0x0C, 0x00, 0x00, 0x00, 0x00, 0xFD};

struct Record {
    std::uint8_t tag;
    std::int32_t sample;
};

std::vector<Record> records(const Bytes& b, std::size_t from = 0) {
    std::vector<Record> out;
    for (std::size_t i = from; i + 4 <= b.size(); i += 4) {
        std::int32_t v = b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3];
        if (v > 0x7FFFFF) v -= 0x1000000;
        out.push_back({b[i], v});
    }
    return out;
}

Bytes head(const Bytes& b, std::size_t n) {
    return Bytes(b.begin(), b.begin() + std::min(n, b.size()));
}

BoardConfig no_lead_in() {
    BoardConfig c;
    c.lead_in_record = false;
    return c;
}

TEST(Capture, FourChannelStreamIsPacedAndInterleaved) {
    Harness h;  // board 4: four channels at 500 words/s after power-on
    const Bytes first = h.exchange(capture(40, 4, 0));
    ASSERT_EQ(first.size(), 7u + 4u);
    EXPECT_EQ(head(first, 7), kCaptureAck);
    EXPECT_EQ(records(first, 7)[0].tag, 0x30);  // stale word ahead of the first frame
    h.clock.advance(0.0019);
    EXPECT_TRUE(h.take().empty());
    h.clock.advance(0.0001);
    const auto frame = records(h.take());
    ASSERT_EQ(frame.size(), 4u);
    for (std::uint8_t ch = 0; ch < 4; ++ch) EXPECT_EQ(frame[ch].tag, ch << 4);
    h.clock.advance(0.018);
    const auto rest = records(h.take());
    ASSERT_EQ(rest.size(), 36u);
    for (std::size_t i = 0; i < rest.size(); ++i) EXPECT_EQ(rest[i].tag, (i % 4) << 4);
    EXPECT_FALSE(h.board.streaming());
    h.clock.advance(1.0);
    EXPECT_TRUE(h.take().empty());
    const auto& end = h.board.log().back();
    EXPECT_EQ(end.kind, LogEntry::Kind::CaptureEnd);
    EXPECT_EQ(end.a, 41u);
}

TEST(Capture, RequestIsLogged) {
    Harness h;
    h.exchange(capture(0x01020304, 3, 0x0506));
    bool found = false;
    for (const auto& e : h.board.log()) {
        if (e.kind != LogEntry::Kind::CaptureStart) continue;
        found = true;
        EXPECT_EQ(e.a, 0x01020304u);
        EXPECT_EQ(e.b, 3u);
        EXPECT_EQ(e.c, 0x0506u);
    }
    EXPECT_TRUE(found);
}

TEST(Capture, CountNotAMultipleOfChannelsEndsMidFrame) {
    Harness h(no_lead_in());
    h.exchange(capture(6, 4, 0));
    h.clock.advance(1.0);
    const auto r = records(h.take());
    ASSERT_EQ(r.size(), 6u);
    EXPECT_EQ(r[5].tag, 0x10);
}

TEST(Capture, SingleChannelBoardHasNoLeadIn) {
    BoardConfig c;
    c.board_code = 2;
    Harness h(c);
    EXPECT_EQ(h.exchange(capture(5, 1, 0)), kCaptureAck);
    h.clock.advance(0.002);
    const auto r = records(h.take());
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].tag, 0x00);
}

TEST(Capture, SkipReplyComesAfterSkipTime) {
    Harness h;
    EXPECT_EQ(h.exchange(capture(8, 4, 1000)), kCaptureAck);  // no lead-in when skipping
    h.clock.advance(1.99);
    EXPECT_TRUE(h.take().empty());
    h.clock.advance(0.01);
    EXPECT_EQ(h.take(), kSkipped);
    h.clock.advance(0.002);
    EXPECT_EQ(records(h.take()).size(), 4u);
}

TEST(Capture, StreamFollowsRateAndChannelCount) {
    Harness h(no_lead_in());
    h.reg_write(0x20, 0x000072);  // 4000 words/s, two channels
    h.exchange(capture(16, 2, 0));
    h.clock.advance(0.00025);
    const auto r = records(h.take());
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].tag, 0x00);
    EXPECT_EQ(r[1].tag, 0x10);
    h.clock.advance(0.00175);
    EXPECT_EQ(records(h.take()).size(), 14u);

    h.reg_write(0x20, 0x000031);  // 333 words/s, one channel
    h.exchange(capture(10, 1, 0));
    h.clock.advance(0.003);
    EXPECT_EQ(records(h.take()).size(), 1u);
    h.clock.advance(0.027);
    EXPECT_EQ(records(h.take()).size(), 9u);
}

TEST(Capture, FilterStopEndsTheStream) {
    Harness h(no_lead_in());
    h.exchange(capture(1000, 4, 0));
    h.clock.advance(0.01);
    EXPECT_EQ(records(h.take()).size(), 20u);
    EXPECT_EQ(h.command(cmd::FL_STOP), (Bytes{0xFE, 0x01, 0, 0, 0, 0, 0xFD}));
    EXPECT_FALSE(h.board.streaming());
    h.clock.advance(1.0);
    EXPECT_TRUE(h.take().empty());
}

TEST(Capture, TestBitStreamReplacesInputs) {
    Harness h(no_lead_in());
    h.reg_write(0x20, 0x000041);  // one channel
    h.reg_write(0x2A, 0x070800);  // rate field 7, generator on
    h.reg_write(0x2B, 309490);
    h.exchange(capture(64, 1, 0));
    h.clock.advance(1.0);
    const auto r = records(h.take());
    ASSERT_EQ(r.size(), 64u);
    const double a = 309490.0 / 327679.0 * 8388607.0;
    for (std::size_t n = 0; n < r.size(); ++n) {
        EXPECT_EQ(r[n].sample, std::nearbyint(a * std::sin(2 * std::numbers::pi * n / 16.0))) << n;
    }
}

TEST(Capture, GainAndOffsetCorrection) {
    Harness h(no_lead_in());
    h.reg_write(0x20, 0x003041);  // gain and offset correction on, one channel
    h.reg_write(0x2A, 0x070800);
    h.reg_write(0x2B, 309490);
    h.reg_write(0x21, 0x200000);  // x 0.5
    h.reg_write(0x25, 0xFFFF9C);  // -100
    h.exchange(capture(16, 1, 0));
    h.clock.advance(1.0);
    const auto r = records(h.take());
    ASSERT_EQ(r.size(), 16u);
    const double a = 309490.0 / 327679.0 * 8388607.0;
    for (std::size_t n = 0; n < r.size(); ++n) {
        const double x = a * std::sin(2 * std::numbers::pi * n / 16.0);
        EXPECT_EQ(r[n].sample, std::nearbyint(x * 0.5 - 100.0)) << n;
    }
}

TEST(Capture, SameSeedSameStreamAndCapturesDiffer) {
    Harness a, b;
    BoardConfig other;
    other.seed = 2;
    Harness c(other);
    auto run = [](Harness& h) {
        Bytes all = h.exchange(capture(2000, 4, 0));
        h.clock.advance(2.0);
        const Bytes rest = h.take();
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    const Bytes sa = run(a), sb = run(b), sc = run(c);
    ASSERT_EQ(sa.size(), 7u + 4u * 2001u);
    EXPECT_EQ(sa, sb);
    EXPECT_NE(sa, sc);
    EXPECT_NE(run(a), sa);
}

TEST(Capture, FullBufferStreamIsDeliveredWhole) {
    Harness h(no_lead_in());
    h.reg_write(0x20, 0x000070);  // 4000 words/s, four channels
    h.exchange(capture(1048576, 4, 0));
    std::size_t total = 0;
    std::size_t tag_errors = 0;
    for (int s = 0; s < 70; ++s) {
        h.clock.advance(1.0);
        const Bytes b = h.take();
        for (std::size_t i = 0; i < b.size(); i += 4) {
            tag_errors += b[i] != (((total + i / 4) % 4) << 4);
        }
        total += b.size() / 4;
    }
    EXPECT_EQ(total, 1048576u);
    EXPECT_EQ(tag_errors, 0u);
    EXPECT_FALSE(h.board.streaming());
}

TEST(CaptureFaults, StallAfterRecords) {
    Harness h;
    h.board.faults().stall_after_records = 10;
    h.take();
    h.exchange(capture(100, 4, 0));
    h.clock.advance(5.0);
    EXPECT_EQ(records(h.take()).size(), 9u);  // after the lead-in record
    EXPECT_EQ(h.board.records_sent(), 10u);
    EXPECT_TRUE(h.board.streaming());
    h.clock.advance(5.0);
    EXPECT_TRUE(h.take().empty());
}

TEST(CaptureFaults, BurstsOverrunTheHostQueue) {
    Harness h;
    h.board.faults().burst_records = 251;
    h.exchange(capture(1000, 4, 0));
    h.clock.advance(0.4);  // 801 records due: three bursts
    EXPECT_EQ(h.take().size(), 3u * 1004u);
    h.clock.advance(1.0);  // the tail of the stream is let out whole
    EXPECT_EQ(h.take().size(), 4u * (1001u - 753u));
}

TEST(CaptureFaults, SplitRecordsCutEveryDelivery) {
    Harness plain, split;
    split.board.faults().split_records = true;
    Bytes a = plain.exchange(capture(400, 4, 0));
    Bytes b = split.exchange(capture(400, 4, 0));
    EXPECT_NE((b.size() - 7) % 4, 0u);
    for (int i = 0; i < 25; ++i) {  // 0.18 s of a 0.2 s stream
        plain.clock.advance(0.0071);
        split.clock.advance(0.0071);
        const Bytes pa = plain.take(), pb = split.take();
        a.insert(a.end(), pa.begin(), pa.end());
        b.insert(b.end(), pb.begin(), pb.end());
        EXPECT_NE((b.size() - 7) % 4, 0u) << i;  // the delivery ended inside a record
    }
    plain.clock.advance(1.0);
    split.clock.advance(1.0);
    const Bytes ta = plain.take(), tb = split.take();
    a.insert(a.end(), ta.begin(), ta.end());
    b.insert(b.end(), tb.begin(), tb.end());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 7u + 4u * 401u);
}

TEST(CaptureFaults, MissingOrWrongCaptureReply) {
    Harness h(no_lead_in());
    h.board.faults().silent_types = Faults::type_bit(0x03);
    EXPECT_TRUE(h.exchange(capture(4, 4, 0)).empty());
    h.board.faults().silent_types = 0;
    h.board.faults().wrong_types = Faults::type_bit(0x03);
    EXPECT_EQ(h.exchange(capture(4, 4, 0)), (Bytes{0xFE, 0x04, 0, 0, 0, 0, 0xFD}));
}

TEST(CaptureFaults, MissingOrWrongSkipReply) {
    Harness h;
    h.board.faults().silent_types = Faults::type_bit(0x0C);
    h.exchange(capture(4, 4, 10));
    h.clock.advance(0.02);
    EXPECT_EQ(h.take(), Bytes());
    h.clock.advance(0.002);
    EXPECT_EQ(records(h.take()).size(), 4u);  // the records come all the same

    h.board.faults().silent_types = 0;
    h.board.faults().wrong_types = Faults::type_bit(0x0C);
    h.exchange(capture(4, 4, 10));
    h.clock.advance(0.02);
    EXPECT_EQ(h.take(), (Bytes{0xFE, 0x0D, 0, 0, 0, 0, 0xFD}));
}

}  // namespace
}  // namespace simboard::test
