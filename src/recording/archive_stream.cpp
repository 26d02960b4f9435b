#include "recording/archive_stream.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace recording {

namespace {

core::Status bad(const std::string& text) {
    return core::Status::failed(core::Fault::BadInput, "read", "Load Data Error", text);
}

// Consumed samples are dropped from the front of a buffer only once they are many, so a chunk
// costs a copy of itself and not of the whole buffer.
constexpr std::size_t kCompactAt = 1 << 16;

// The channel codes a file holds, from its record headers (no samples decoded).
core::Status codes_in(const std::string& file, std::vector<std::string>* codes) {
    MSFileParam* msfp = nullptr;
    MSRecord* msr = nullptr;
    int rc;
    while ((rc = ms_readmsr_r(&msfp, &msr, file.c_str(), 0, nullptr, nullptr, 1, 0, 0)) ==
           MS_NOERROR)
        if (std::find(codes->begin(), codes->end(), msr->channel) == codes->end())
            codes->push_back(msr->channel);
    ms_readmsr_r(&msfp, &msr, nullptr, 0, nullptr, nullptr, 0, 0, 0);
    if (rc != MS_ENDOFFILE) return not_miniseed(file, ms_errorstr(rc));
    std::sort(codes->begin(), codes->end());
    return core::Status::success();
}

}  // namespace

struct ArchiveStream::Channel {
    std::string code;
    std::vector<std::string> files;
    std::size_t file = 0;
    MSFileParam* msfp = nullptr;
    MSRecord* msr = nullptr;
    bool eof = false;
    // The stretch being read: its first sample's time, and samples [head, size) not yet passed
    // on, the first of them the stretch's sample number `index`.
    std::int64_t run_start_us = 0;
    bool started = false;
    std::int64_t index = 0;
    std::vector<std::int32_t> buf;
    std::size_t head = 0;
    // A record that did not follow on: the next stretch starts with it.
    bool broken = false;
    std::int64_t next_start_us = 0;
    std::vector<std::int32_t> next;

    std::size_t pending() const { return buf.size() - head; }
    void consume(std::size_t n) {
        head += n;
        index += static_cast<std::int64_t>(n);
        if (head == buf.size() || head >= kCompactAt) {
            buf.erase(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(head));
            head = 0;
        }
    }
    void close() { ms_readmsr_r(&msfp, &msr, nullptr, 0, nullptr, nullptr, 0, 0, 0); }
};

ArchiveStream::ArchiveStream() = default;

ArchiveStream::~ArchiveStream() {
    for (auto& c : streams_) c->close();
}

std::int64_t ArchiveStream::time_of(const Channel& c, std::size_t index) const {
    return c.run_start_us +
           std::llround(static_cast<double>(c.index + static_cast<std::int64_t>(index)) * 1e6 /
                        rate_);
}

core::Status ArchiveStream::open(const std::string& path, const ReadRequest& request) {
    std::vector<std::string> files;
    if (core::Status s = miniseed_files(path, request.channels, &files); !s) return s;
    std::map<std::string, std::vector<std::string>> by_code;
    for (const std::string& f : files) {
        const std::string code = sds_channel(std::filesystem::path(f).filename().string());
        if (!code.empty()) {
            by_code[code].push_back(f);
            continue;
        }
        // A single file may hold several channels; each reads it for its own records.
        std::vector<std::string> codes;
        if (core::Status s = codes_in(f, &codes); !s) return s;
        for (const std::string& c : codes) by_code[c].push_back(f);
    }
    channels_ = request.channels;
    if (channels_.empty())
        for (const auto& [code, list] : by_code) channels_.push_back(code);
    if (channels_.empty()) return bad("No miniSEED channels lie in " + path + ".");
    start_us_ = request.start_us;
    end_us_ = request.end_us;
    for (const std::string& code : channels_) {
        if (!by_code.count(code))
            return bad("No samples of channel " + code + " lie in " + path + ".");
        auto c = std::make_unique<Channel>();
        c->code = code;
        c->files = by_code[code];
        streams_.push_back(std::move(c));
    }
    for (auto& c : streams_) {
        core::Status s;
        if (!fill(*c, 1, &s)) return s;
        if (c->pending() == 0 && !c->broken)
            return bad("No samples of channel " + c->code + " lie in the window asked for.");
    }
    return core::Status::success();
}

bool ArchiveStream::fill(Channel& c, std::size_t n, core::Status* s) {
    while (!c.broken && !c.eof && c.pending() < n) {
        if (c.file >= c.files.size()) {
            c.eof = true;
            break;
        }
        const std::string& file = c.files[c.file];
        const int rc = ms_readmsr_r(&c.msfp, &c.msr, file.c_str(), 0, nullptr, nullptr, 1, 1, 0);
        if (rc == MS_ENDOFFILE) {
            c.close();
            ++c.file;
            continue;
        }
        if (rc != MS_NOERROR) {
            *s = not_miniseed(file, ms_errorstr(rc));
            return false;
        }
        const MSRecord& m = *c.msr;
        if (c.code != m.channel || m.sampletype != 'i' || m.numsamples <= 0) continue;
        if (rate_ == 0.0) rate_ = m.samprate;
        if (m.samprate != rate_) {
            *s = bad("Channel " + c.code +
                     " runs at another rate than the others; read the "
                     "channels apart.");
            return false;
        }
        const auto* data = static_cast<const std::int32_t*>(m.datasamples);
        std::size_t from = 0, to = static_cast<std::size_t>(m.numsamples);
        std::int64_t start = m.starttime;
        // The window cuts samples out of the records at its edges.
        if (start_us_ > start) from = std::min(to, samples_before(start_us_, start, rate_));
        if (end_us_ > 0) to = std::min(to, samples_before(end_us_, start, rate_));
        if (end_us_ > 0 && start >= end_us_) {
            c.eof = true;
            break;
        }
        if (from >= to) continue;
        start += std::llround(static_cast<double>(from) * 1e6 / rate_);
        if (!c.started) {
            c.started = true;
            c.run_start_us = start;
            c.index = 0;
        } else if (std::llabs(start - time_of(c, c.pending())) > std::llround(0.5e6 / rate_)) {
            c.broken = true;
            c.next_start_us = start;
            c.next.assign(data + from, data + to);
            break;
        }
        c.buf.insert(c.buf.end(), data + from, data + to);
    }
    return true;
}

core::Status ArchiveStream::next(std::size_t n, Chunk* out) {
    *out = Chunk{};
    if (streams_.empty() || n == 0) return core::Status::success();
    for (;;) {
        core::Status s;
        for (auto& c : streams_)
            if (!fill(*c, n, &s)) return s;
        bool stretch_ended = false;
        for (auto& c : streams_) {
            if (c->pending() > 0) continue;
            // A channel with nothing left ends what can be read side by side.
            if (!c->broken) return core::Status::success();
            stretch_ended = true;
        }
        if (stretch_ended) {
            std::int64_t from = INT64_MAX, to = INT64_MIN;
            for (auto& c : streams_) {
                from = std::min(from, time_of(*c, c->pending()));
                c->consume(c->pending());
                if (c->broken) {
                    c->broken = false;
                    c->run_start_us = c->next_start_us;
                    c->index = 0;
                    c->buf = std::move(c->next);
                    c->next.clear();
                    c->head = 0;
                }
                if (c->pending() > 0) to = std::max(to, time_of(*c, 0));
            }
            gaps_.push_back({from, to == INT64_MIN ? from : to});
            after_gap_ = true;
            continue;
        }
        // Channels recorded together start together; one that starts early gives up the
        // samples before the others'.
        std::int64_t latest = INT64_MIN;
        for (auto& c : streams_) latest = std::max(latest, time_of(*c, 0));
        bool emptied = false;
        for (auto& c : streams_) {
            const auto drop = static_cast<std::size_t>(std::max<std::int64_t>(
                0, std::llround(static_cast<double>(latest - time_of(*c, 0)) * rate_ / 1e6)));
            if (drop == 0) continue;
            c->consume(std::min(drop, c->pending()));
            emptied = emptied || c->pending() == 0;
        }
        if (emptied) continue;
        std::size_t length = n;
        for (auto& c : streams_) length = std::min(length, c->pending());
        out->start_us = time_of(*streams_.front(), 0);
        out->after_gap = after_gap_;
        after_gap_ = false;
        for (auto& c : streams_) {
            const auto first = c->buf.begin() + static_cast<std::ptrdiff_t>(c->head);
            out->samples.emplace_back(first, first + static_cast<std::ptrdiff_t>(length));
            c->consume(length);
        }
        return core::Status::success();
    }
}

}  // namespace recording
