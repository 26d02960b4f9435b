#include "analysis/mseed_load.h"

#include <algorithm>
#include <filesystem>

#include "analysis/context.h"
#include "analysis/data_menu.h"
#include "core/system_types.h"

namespace analysis {

bool is_miniseed_path(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        // An archive holds day files; any other folder is no data to load.
        for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (!recording::sds_channel(it->path().filename().string()).empty()) return true;
        return false;
    }
    const std::string name = std::filesystem::path(path).filename().string();
    for (const char* ext : {".mseed", ".miniseed", ".ms"})
        if (name.size() > std::string(ext).size() &&
            name.compare(name.size() - std::string(ext).size(), std::string::npos, ext) == 0)
            return true;
    return !recording::sds_channel(name).empty();
}

MseedLoad load_miniseed(const Context& cx, const std::string& path,
                        recording::ReadRequest request) {
    MseedLoad out;
    // The channels share the sample count the capture field holds at most.
    const std::size_t channels_asked =
        request.channels.empty() ? kChannels : request.channels.size();
    request.max_samples = core::kMaxRecords / std::min<std::size_t>(channels_asked, kChannels);
    const core::Status s = recording::read_streams(path, request, &out.streams);
    if (!s) {
        cx.ui.MessagePopup(s.title, s.text);
        out.status = -1;
        return out;
    }
    recording::ReadStreams& r = out.streams;
    if (r.channels.size() > static_cast<std::size_t>(kChannels) || r.channels.size() == 3) {
        cx.ui.MessagePopup("Load Data Error",
                           path + " holds " + std::to_string(r.channels.size()) +
                               " channels; name 1, 2 or 4 of them (--channels).");
        out.status = -1;
        return out;
    }
    const int channels = static_cast<int>(r.channels.size());
    // Each channel's share of the total, as a capture of this many channels would hold.
    const int n = static_cast<int>(
        std::min<std::size_t>(r.samples.front().size(), core::kMaxRecords / channels));
    DataHeader h;
    h.num_samples = n * channels;
    h.fs = r.rate;
    h.window_index = cx.analysis.window_index;
    h.fs_code = cx.analysis.fs_code;
    h.fs_volt = cx.analysis.fs_volt;
    h.limit_bw = cx.analysis.limit_bw;
    h.channels = channels;
    std::int32_t* row = cx.analysis.load_rows.data();
    std::fill(row, row + 8 * (n + 1), 0);
    for (int i = 0; i < n; ++i, row += 8)
        for (int c = 0; c < channels; ++c) {
            row[2 * c] = c << 4;
            row[2 * c + 1] = r.samples[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
        }
    for (auto& s : r.samples) s.clear();
    out.samples = n;
    out.status = load_rows_into_block(cx, h, path);
    return out;
}

}  // namespace analysis
