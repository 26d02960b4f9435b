#include "analysis/exports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "analysis/context.h"
#include "analysis/readouts.h"
#include "analysis/spectra.h"
#include "core/atomic_file.h"

namespace analysis {

namespace {

core::Status no_block(const char* step) {
    return core::Status::failed(core::Fault::NotAllowed, step, "Export Error",
                                "There is no data to export: capture or load a block first.");
}

int block_channels(const Context& cx) {
    const int c = cx.capture.NumberOfChannels;
    return c >= 1 && c <= kChannels ? c : 0;
}

// "# seisbench KIND: samples=... channels=... fs=... window=... ..."
void settings_line(const Context& cx, std::ostream& out, const char* kind) {
    const AnalysisState& st = cx.analysis;
    char line[320];
    std::snprintf(line, sizeof line,
                  "# seisbench %s: samples=%d channels=%d fs=%.17g window=%d "
                  "full_scale_code=0x%06X full_scale_volts=%.17g limit_bw=%d averaged_blocks=%d\n",
                  kind, cx.capture.num_samples, block_channels(cx), cx.capture.fs, st.window_index,
                  static_cast<unsigned>(st.fs_code), st.fs_volt, st.limit_bw,
                  std::max(1, cx.settings.capture.average));
    out << line;
}

core::Status write(const std::string& path, const core::FileContent& content, const char* step) {
    core::Status s = core::write_file_atomically(path, content);
    if (s) return s;
    s.step = step;
    return s.with_message("Export Error", "File " + path + " cannot be written.");
}

}  // namespace

core::Status export_data_csv(const Context& cx, const std::string& path) {
    const int channels = block_channels(cx);
    if (channels == 0) return no_block("export_data");
    const AnalysisState& st = cx.analysis;
    int rows = 0;
    for (int c = 0; c < channels; ++c) rows = std::max(rows, st.ch_count[c]);
    const double volts_per_code = st.fs_code > 0 ? st.fs_volt / 2.0 / st.fs_code : 0.0;
    return write(
        path,
        [&](std::ostream& out) {
            settings_line(cx, out, "data");
            out << "index";
            for (int c = 1; c <= channels; ++c) out << ",ch" << c << "_code,ch" << c << "_volts";
            out << "\n";
            char cell[64];
            for (int i = 0; i < rows; ++i) {
                out << i;
                for (int c = 0; c < channels; ++c) {
                    if (i >= st.ch_count[c]) {
                        out << ",,";
                        continue;
                    }
                    const std::int32_t code = st.data(c)[i];
                    if (volts_per_code > 0.0)
                        std::snprintf(cell, sizeof cell, ",%d,%.10g", code, code * volts_per_code);
                    else
                        std::snprintf(cell, sizeof cell, ",%d,", code);
                    out << cell;
                }
                out << "\n";
            }
            return static_cast<bool>(out);
        },
        "export_data");
}

core::Status export_spectrum_csv(const Context& cx, const std::string& path) {
    const int channels = block_channels(cx);
    if (channels == 0) return no_block("export_spectrum");
    const AnalysisState& st = cx.analysis;
    const int n = st.ch_count[0];
    const double ref = reference_power_for_file(cx);
    return write(
        path,
        [&](std::ostream& out) {
            settings_line(cx, out, "spectrum");
            out << "frequency_hz";
            for (int c = 1; c <= channels; ++c) out << ",ch" << c << "_dbfs";
            out << "\n";
            char cell[64];
            for (int i = 0; n > 0 && i <= n / 2; ++i) {
                std::snprintf(cell, sizeof cell, "%.9g", cx.capture.fs * i / n);
                out << cell;
                for (int c = 0; c < channels; ++c) {
                    const double p = cx.spectra.avg_buff[c][i];
                    if (st.ch_count[c] != n || p <= 0.0 || ref <= 0.0) {
                        out << ",";
                        continue;
                    }
                    std::snprintf(cell, sizeof cell, ",%.9g", 10.0 * std::log10(p / ref));
                    out << cell;
                }
                out << "\n";
            }
            return static_cast<bool>(out);
        },
        "export_spectrum");
}

core::Status export_psd_csv(const Context& cx, const std::string& path) {
    if (block_channels(cx) == 0) return no_block("export_psd");
    const DigitizerResults& r = digitizer_view(cx, kSelfNoise);
    if (r.segments == 0 || r.channels.empty()) return no_block("export_psd");
    return write(
        path,
        [&](std::ostream& out) {
            char line[200];
            std::snprintf(line, sizeof line,
                          "# seisbench psd: segment=%d overlap=%g window=%d segments=%d blocks=%d "
                          "fs=%.17g smooth=%d\n",
                          r.segment_length, r.options.overlap, r.window_index, r.segments, r.blocks,
                          r.fs, r.options.smooth);
            out << line << "frequency_hz";
            for (int c : r.channels) out << ",ch" << c + 1 << "_psd_v2_per_hz";
            for (int c : r.channels)
                if (!r.ch[c].self.empty()) out << ",ch" << c + 1 << "_self_noise_v2_per_hz";
            out << "\n";
            const int bins = static_cast<int>(r.ch[r.channels.front()].psd.size());
            char cell[64];
            for (int k = std::max(1, r.band.first); k < bins; ++k) {
                std::snprintf(cell, sizeof cell, "%.9g", bin_frequency(r, k));
                out << cell;
                for (int c : r.channels) {
                    std::snprintf(cell, sizeof cell, ",%.9g", r.ch[c].psd[k]);
                    out << cell;
                }
                for (int c : r.channels) {
                    if (r.ch[c].self.empty()) continue;
                    std::snprintf(cell, sizeof cell, ",%.9g", r.ch[c].self[k]);
                    out << cell;
                }
                out << "\n";
            }
            return static_cast<bool>(out);
        },
        "export_psd");
}

}  // namespace analysis
