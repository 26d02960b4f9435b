// The analysis subsystem's process-wide state: settings mirrored from the setup panel, the
// per-channel sample arrays, what the panel shows and the zoom stack. Every array is sized for
// the largest record and allocated once, with the application.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/digitizer_results.h"
#include "analysis/kept_blocks.h"
#include "analysis/limits.h"
#include "analysis/measurement.h"
#include "analysis/noise_over_time.h"
#include "core/system_types.h"

namespace analysis {

inline constexpr int kChannels = 4;
inline constexpr int kZoomLevels = 100;

// Tests of the test selector.
enum Test : int {
    kTimeDomain = 0,
    kHistogram = 1,
    kSignalFft = 2,
    kNoiseFft = 3,
    kPhase = 4,
    kPsd = 5,
    kSelfNoise = 6,
    kCrosstalk = 7,
    kSineFit = 8,
};

struct AxisState {
    int xmode = 0;
    double xmin = 0.0, xmax = 0.0;
    int ymode = 0;
    double ymin = 0.0, ymax = 0.0;
};

struct AnalysisState {
    // Settings (num_samples, fs and NumberOfChannels live with the capture buffer).
    int window_index = 0;
    int fs_code = 0;
    double fs_volt = 0.0;
    int limit_bw = 0;

    // Signed 24-bit converter codes.
    int code_span = 0;
    int code_max = 0;
    int code_min = 0;

    // Channel c occupies entries [c * kBufferEntries, (c + 1) * kBufferEntries): at most 2^20
    // samples, and the data file also carries index n.
    std::vector<std::int32_t> ch_data = std::vector<std::int32_t>(kChannels * core::kBufferEntries);
    std::vector<std::int32_t> ch_tag = std::vector<std::int32_t>(kChannels * core::kBufferEntries);
    std::array<int, kChannels> ch_count = {1, 0, 0, 0};

    std::int32_t* data(int c) { return ch_data.data() + c * core::kBufferEntries; }
    std::int32_t* tag(int c) { return ch_tag.data() + c * core::kBufferEntries; }
    const std::int32_t* data(int c) const { return ch_data.data() + c * core::kBufferEntries; }
    const std::int32_t* tag(int c) const { return ch_tag.data() + c * core::kBufferEntries; }

    // A data file is read here first, so a bad file changes nothing: row i holds the tag and
    // sample of the four channels, eight entries.
    std::vector<std::int32_t> load_rows = std::vector<std::int32_t>(8 * core::kBufferEntries);

    // Work arrays of the code-domain tests: one channel's samples as doubles, the histogram's
    // codes and counts.
    std::vector<double> fft_re = std::vector<double>(core::kBufferEntries);
    std::vector<double> scratch = std::vector<double>(core::kBufferEntries);
    std::vector<std::int32_t> hist_counts = std::vector<std::int32_t>(core::kBufferEntries);

    std::array<int, kChannels> plot_colour = {};
    std::array<int, kChannels> plot_enabled = {};
    int stat_ch = 0;
    // The option switch's value per test.
    int harmonic_marks = 0;
    int noise_units = 0;
    int first_cycles = 0;  // time test: the x axis shows the first few cycles only
    // Each channel's trace on the graph (its plot handle; 0 for none), for the peak search.
    std::array<int, kChannels> plot_handle = {};

    std::array<AxisState, kZoomLevels> zoom_stack = {};
    int zoom_depth = 0;

    // The read-outs and errors of the last run, as the panel shows them.
    Measurement measurement;

    // Pass/fail limits of the read-outs; none unless loaded (--limits).
    Limits limits;

    // The blocks of the last capture run or load, the digitizer tests' options, and their
    // results for those blocks and options.
    KeptBlocks kept;
    DigitizerOptions digitizer;
    ArchiveSource archive;
    DigitizerResults digitizer_cache;
    // The last archive's noise over time (evaluate ppsd, the recording panel).
    NoiseOverTime noise_over_time;

    // The file the block was loaded from or saved to; empty for a capture not saved.
    std::string data_ref;
    // Production records: called when the panel shows a test on data it has not shown that
    // test for (the desktop program keeps the run); the block and test last kept.
    std::function<void(int test)> on_judged;
    std::pair<std::uint64_t, int> judged = {0, -1};
    // The earlier runs of a board, for the report: rows of time, kind, test and verdict.
    std::function<std::vector<std::vector<std::string>>(const std::string& serial)> earlier_runs;
};

}  // namespace analysis
