#include "analysis/noise_over_time.h"

#include "analysis/state.h"
#include "recording/archive_stream.h"
#include "recording/mseed_reader.h"

#include <cmath>

namespace analysis {

namespace {
constexpr std::size_t kChunk = 1 << 16;
}  // namespace

digitizer::PpsdSettings ppsd_settings(const AnalysisState& st) {
    digitizer::PpsdSettings s;
    s.window_index = st.window_index;
    s.volts_per_code = st.fs_code > 0 ? st.fs_volt / 2.0 / st.fs_code : 1.0;
    return s;
}

core::Status noise_over_time(const std::string& path, const std::vector<std::string>& codes,
                             const digitizer::PpsdSettings& settings, NoiseOverTime* out) {
    NoiseOverTime got;
    got.archive = path;
    got.settings = settings;
    std::vector<std::string> list = codes;
    if (list.empty()) {
        // Opening reads only the first record of each channel.
        recording::ArchiveStream probe;
        if (core::Status s = probe.open(path, {}); !s) return s;
        list = probe.channels();
    }
    // One channel at a time: its windows need only its own samples.
    for (const std::string& code : list) {
        recording::ReadRequest request;
        request.channels = {code};
        recording::ArchiveStream stream;
        if (core::Status s = stream.open(path, request); !s) return s;
        ChannelPpsd c;
        c.code = code;
        c.rate = stream.rate();
        digitizer::PpsdSettings s = settings;
        s.rate = stream.rate();
        digitizer::PpsdBuilder windows(s);
        std::vector<std::int32_t> held;
        std::int64_t held_start_us = 0;
        recording::Chunk chunk;
        bool first = true;
        for (;;) {
            if (core::Status e = stream.next(kChunk, &chunk); !e) return e;
            if (chunk.length() == 0) break;
            if (first) c.start_us = chunk.start_us;
            first = false;
            // A window never spans a break.
            if (chunk.after_gap) held.clear();
            if (held.empty()) held_start_us = chunk.start_us;
            held.insert(held.end(), chunk.samples[0].begin(), chunk.samples[0].end());
            while (windows.window() >= 2 && held.size() >= windows.window()) {
                windows.add_window({held.data(), windows.window()}, held_start_us);
                held.erase(held.begin(),
                           held.begin() + static_cast<std::ptrdiff_t>(windows.step()));
                held_start_us += std::llround(static_cast<double>(windows.step()) * 1e6 / s.rate);
            }
        }
        c.ppsd = windows.finish();
        c.gaps = stream.gaps();
        got.channels.push_back(std::move(c));
    }
    *out = std::move(got);
    return core::Status::success();
}

}  // namespace analysis
