#include "recording/mseed_reader.h"

#include <libmseed.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>

namespace recording {

namespace {

namespace fs = std::filesystem;

core::Status bad(const std::string& text) {
    return core::Status::failed(core::Fault::BadInput, "read", "Load Data Error", text);
}

// One channel's pieces, in time order.
struct Piece {
    std::int64_t start = 0;
    double rate = 0.0;
    std::vector<std::int32_t> samples;
};

}  // namespace

std::size_t samples_before(std::int64_t edge_us, std::int64_t start_us, double rate) {
    const double slack_us = std::min(100.0, 0.25e6 / rate);
    const double before = (static_cast<double>(edge_us - start_us) - slack_us) * rate / 1e6;
    return static_cast<std::size_t>(std::max(0.0, std::ceil(before)));
}

core::Status not_miniseed(const std::string& file, const char* reason) {
    return bad("File " + file + " is no miniSEED the program can read (" + reason + ").");
}

std::string sds_channel(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t dot; (dot = name.find('.', from)) != std::string::npos; from = dot + 1)
        parts.push_back(name.substr(from, dot - from));
    parts.push_back(name.substr(from));
    return parts.size() == 7 && parts[4] == "D" ? parts[3] : std::string();
}

core::Status miniseed_files(const std::string& path, const std::vector<std::string>& channels,
                            std::vector<std::string>* files) {
    files->clear();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        for (auto it = fs::recursive_directory_iterator(path, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            const std::string chan = sds_channel(it->path().filename().string());
            if (chan.empty()) continue;
            if (!channels.empty() &&
                std::find(channels.begin(), channels.end(), chan) == channels.end())
                continue;
            files->push_back(it->path().string());
        }
        // Day files of one stream sort by year and day.
        std::sort(files->begin(), files->end());
        return core::Status::success();
    }
    if (fs::exists(path, ec)) {
        files->push_back(path);
        return core::Status::success();
    }
    return core::Status::failed(core::Fault::FileError, "read", "Load Data Error",
                                "File " + path + " cannot be opened.");
}

core::Status read_streams(const std::string& path, const ReadRequest& r, ReadStreams* out) {
    std::vector<std::string> files;
    if (core::Status s = miniseed_files(path, r.channels, &files); !s) return s;
    std::map<std::string, std::vector<Piece>> pieces;
    // The library keeps only records wholly inside its window; a record holds at most about
    // 7,000 Steim-2 samples, so the window is widened by that much and cut to the sample below.
    const std::int64_t margin = 8000LL * 1000000;  // at 1 sample/s, the slowest rate recorded
    const hptime_t start = r.start_us > 0 ? r.start_us - margin : HPTERROR;
    const hptime_t end = r.end_us > 0 ? r.end_us + margin : HPTERROR;
    for (const std::string& file : files) {
        MSTraceGroup* group = nullptr;
        const int rc =
            ms_readtraces_timewin(&group, file.c_str(), -1, -1.0, -1.0, start, end, 0, 1, 1, 0);
        if (rc != MS_NOERROR) {
            mst_freegroup(&group);
            return not_miniseed(file, ms_errorstr(rc));
        }
        for (MSTrace* t = group ? group->traces : nullptr; t; t = t->next) {
            if (t->sampletype != 'i' || t->numsamples <= 0) continue;
            if (!r.channels.empty() &&
                std::find(r.channels.begin(), r.channels.end(), t->channel) == r.channels.end())
                continue;
            const auto* s = static_cast<const std::int32_t*>(t->datasamples);
            pieces[t->channel].push_back({t->starttime, t->samprate, {s, s + t->numsamples}});
        }
        mst_freegroup(&group);
    }
    if (pieces.empty()) return bad("No samples of the asked channels lie in " + path + ".");
    ReadStreams got;
    std::int64_t common_end = INT64_MAX;
    for (auto& [chan, list] : pieces) {
        std::sort(list.begin(), list.end(),
                  [](const Piece& a, const Piece& b) { return a.start < b.start; });
        if (got.channels.empty()) {
            got.rate = list.front().rate;
            got.start_us = list.front().start;
        }
        // Channels recorded together start together and run at one rate.
        if (list.front().rate != got.rate ||
            std::llabs(list.front().start - got.start_us) > std::llround(0.5e6 / got.rate))
            return bad("Channel " + chan +
                       " does not start with the others or runs at another "
                       "rate; load the channels apart.");
        std::vector<std::int32_t> joined;
        std::int64_t next = list.front().start;
        const double tick = 1e6 / got.rate;
        for (const Piece& p : list) {
            if (p.rate != got.rate || std::llabs(p.start - next) > std::llround(0.5 * tick)) {
                // A gap (or overlap) ends what can be analysed as one block.
                common_end = std::min(common_end, next);
                break;
            }
            joined.insert(joined.end(), p.samples.begin(), p.samples.end());
            next = p.start + std::llround(static_cast<double>(p.samples.size()) * tick);
        }
        got.channels.push_back(chan);
        got.samples.push_back(std::move(joined));
    }
    // The window cuts whole records; its edges cut samples.
    if (r.start_us > got.start_us) {
        const std::size_t drop = samples_before(r.start_us, got.start_us, got.rate);
        for (auto& s : got.samples) s.erase(s.begin(), s.begin() + std::min(drop, s.size()));
        got.start_us += std::llround(static_cast<double>(drop) * 1e6 / got.rate);
    }
    std::size_t length = SIZE_MAX;
    for (const auto& s : got.samples) length = std::min(length, s.size());
    if (r.end_us > got.start_us)
        length = std::min(length, samples_before(r.end_us, got.start_us, got.rate));
    if (common_end != INT64_MAX) {
        got.cut_at_gap = true;
        got.gap_at_us = common_end;
    }
    if (r.max_samples > 0 && length > r.max_samples) {
        length = r.max_samples;
        got.cut_at_capacity = true;
    }
    for (auto& s : got.samples) s.resize(length);
    *out = std::move(got);
    return core::Status::success();
}

}  // namespace recording
