#include "recording/recorder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "boardlink/boards.h"
#include "boardlink/transport/record_stream.h"
#include "chip/acquisition.h"
#include "chip/registers.h"
#include "recording/channel_writer.h"

namespace recording {

namespace {

constexpr std::int64_t kMicros = 1000000;
// A stream that breaks this often in a row is a board that cannot stream: the recording ends.
constexpr int kMaxRestarts = 20;

std::int32_t sample_of(const std::uint8_t* r) {
    const std::uint32_t w = (std::uint32_t{r[1]} << 16) | (std::uint32_t{r[2]} << 8) | r[3];
    return static_cast<std::int32_t>(w << 8) >> 8;
}

class Session {
  public:
    Session(boardlink::Port& port, const RecordRequest& r, const ProgressSink& progress)
        : port_(port), r_(r), progress_(progress) {
        for (int c = 0; c < r.channels; ++c)
            writers_.push_back(std::make_unique<ChannelWriter>(r.out, r.names, c, r.rate));
        frame_.resize(static_cast<std::size_t>(r.channels));
    }

    RecordOutcome run() {
        const std::int64_t wanted =
            r_.seconds > 0 ? std::llround(r_.seconds * r_.rate) : std::int64_t{-1};
        int restarts = 0;
        while (out_.status && (wanted < 0 || out_.frames < wanted)) {
            const StreamResult s = stream(wanted < 0 ? -1 : wanted - out_.frames);
            if (s == StreamResult::Done || s == StreamResult::Failed) break;
            if (s == StreamResult::Stopped) {
                out_.stopped = true;
                break;
            }
            if (++restarts > kMaxRestarts) {
                out_.status = core::Status::failed(core::Fault::Overrun, "stream", "Record",
                                                   "The board's stream broke " +
                                                       std::to_string(kMaxRestarts) +
                                                       " times; the recording ends here.");
                break;
            }
        }
        for (auto& w : writers_) {
            core::Status s = w->finish();
            if (out_.status && !s) out_.status = s;
            out_.files.insert(out_.files.end(), w->files().begin(), w->files().end());
            out_.bytes += w->bytes();
        }
        return out_;
    }

  private:
    enum class StreamResult { Done, Broken, Stopped, Failed };

    std::int64_t now_us() const {
        return r_.utc_start_us + std::llround((port_.timer() - r_.clock_start) * kMicros);
    }

    // One capture of `frames` frames (-1: as many as one capture takes), into the writers.
    StreamResult stream(std::int64_t frames) {
        const std::int64_t most = INT_MAX / r_.channels;
        const std::int64_t count = frames < 0 ? most : std::min(frames, most);
        const bool stale =
            boardlink::sends_stale_first_word(chip::REG_read(port_, chip::REG_VERSION));
        const std::int64_t start = now_us();
        if (chip::start_capture(port_, static_cast<int>(count * r_.channels), r_.channels, 0) !=
            chip::StartEnd::Started) {
            out_.status = core::Status::failed(core::Fault::NoReply, "start", "Record",
                                               "The board did not start its stream.");
            return StreamResult::Failed;
        }
        // After a break the stream goes on at the clock's time, never before the last sample.
        std::int64_t run_start = start;
        if (out_.frames == 0) out_.first_sample_us = start;
        if (out_.frames > 0) {
            const std::int64_t expected = writers_.front()->next_time_us();
            run_start = std::max(start, expected);
            out_.gaps.push_back({expected, run_start});
            gap_pending_ = true;
        }
        for (auto& w : writers_)
            if (core::Status s = w->begin(run_start); !s) {
                out_.status = s;
                return StreamResult::Failed;
            }
        skip_ = stale ? 1 : 0;
        next_channel_ = 0;
        std::int64_t got = 0;
        const auto sink = [&](const std::uint8_t* records, int n) {
            for (int j = 0; j < n; ++j) {
                const std::uint8_t* rec = records + j * boardlink::kRecordBytes;
                if (skip_ > 0) {
                    --skip_;
                    continue;
                }
                const int ch = r_.channels > 1 ? (rec[0] >> 4) & 3 : 0;
                if (ch != next_channel_) return false;  // out of turn: records were lost
                frame_[ch] = sample_of(rec);
                if (++next_channel_ < r_.channels) continue;
                next_channel_ = 0;
                for (int c = 0; c < r_.channels; ++c)
                    if (core::Status s = writers_[c]->add(&frame_[c], 1); !s) {
                        out_.status = s;
                        return false;
                    }
                if (progress_) fresh_.insert(fresh_.end(), frame_.begin(), frame_.end());
                ++got;
                ++out_.frames;
            }
            if (progress_) {
                progress_({out_.frames / r_.rate, bytes(), out_.gaps.size(), fresh_, gap_pending_});
                fresh_.clear();
                gap_pending_ = false;
            }
            return true;
        };
        const boardlink::StreamEnd end =
            boardlink::read_records(port_, (count * r_.channels) + (stale ? 1 : 0), sink);
        if (!out_.status) {
            chip::cancel_capture(port_);
            return StreamResult::Failed;
        }
        switch (end) {
            case boardlink::StreamEnd::Complete:
                chip::stop_capture(port_, 0);
                return frames < 0 || got < frames ? StreamResult::Broken : StreamResult::Done;
            case boardlink::StreamEnd::Stopped:
                chip::cancel_capture(port_);
                return StreamResult::Stopped;
            case boardlink::StreamEnd::Silent:
            case boardlink::StreamEnd::Lost:
            case boardlink::StreamEnd::Refused:
                break;
        }
        chip::cancel_capture(port_);
        return StreamResult::Broken;
    }

    std::int64_t bytes() const {
        std::int64_t b = 0;
        for (const auto& w : writers_) b += w->bytes();
        return b;
    }

    boardlink::Port& port_;
    const RecordRequest& r_;
    const ProgressSink& progress_;
    std::vector<std::unique_ptr<ChannelWriter>> writers_;
    std::vector<std::int32_t> frame_;
    RecordOutcome out_;
    int skip_ = 0;
    int next_channel_ = 0;
    std::vector<std::int32_t> fresh_;
    bool gap_pending_ = false;
};

}  // namespace

RecordOutcome record(boardlink::Port& port, const RecordRequest& request,
                     const ProgressSink& progress) {
    RecordOutcome out;
    if (const std::string why = check_names(request.names, request.channels); !why.empty()) {
        out.status = core::Status::failed(core::Fault::BadInput, "names", "Record", why);
        return out;
    }
    if (!(request.rate > 0.0)) {
        out.status = core::Status::failed(core::Fault::NotAllowed, "rate", "Record",
                                          "Configure the board before recording.");
        return out;
    }
    Session session(port, request, progress);
    return session.run();
}

}  // namespace recording
