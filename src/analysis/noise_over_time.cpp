#include "analysis/noise_over_time.h"

#include "recording/archive_stream.h"
#include "recording/mseed_reader.h"

namespace analysis {

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
    // One channel at a time: an hour's windows need the channel's samples side by side.
    for (const std::string& code : list) {
        recording::ReadRequest request;
        request.channels = {code};
        recording::ReadStreams streams;
        if (core::Status s = recording::read_streams(path, request, &streams); !s) return s;
        ChannelPpsd c;
        c.code = code;
        c.start_us = streams.start_us;
        c.rate = streams.rate;
        c.cut_at_gap = streams.cut_at_gap;
        c.gap_at_us = streams.gap_at_us;
        digitizer::PpsdSettings s = settings;
        s.rate = streams.rate;
        c.ppsd = digitizer::probabilistic_psd(streams.samples.front(), s);
        got.channels.push_back(std::move(c));
    }
    *out = std::move(got);
    return core::Status::success();
}

}  // namespace analysis
