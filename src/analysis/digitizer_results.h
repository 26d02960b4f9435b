// The seismic digitizer battery over the kept blocks: noise PSDs and their figures, self-noise
// by correlation, relative responses, crosstalk and sine fits, computed once per set of blocks
// and options and kept until either changes. Plain results; the tests set them into
// measurements and the command line and report read the arrays.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/digitizer/crosstalk.h"
#include "analysis/digitizer/noise_figures.h"
#include "analysis/digitizer/sine_fit.h"
#include "recording/mseed_reader.h"

namespace analysis {

struct AnalysisState;
class KeptBlocks;

struct DigitizerOptions {
    int segment = 4096;
    double overlap = 50.0;      // percent
    double band_lo = 0.1;       // Hz
    double band_hi = 0.0;       // Hz; 0 for 0.4 fs
    int smooth = 0;             // fractional octave: 0 off, 3 or 6
    std::vector<int> channels;  // channel indices, the first the reference; empty: all
    double sensor = 0.0;        // V/(m/s); 0: no seismic context
    bool operator==(const DigitizerOptions&) const = default;
};

inline constexpr int kMinSegment = 16;
inline constexpr int kMaxSegment = 1 << 20;

// A recorded archive that the spectral tests read from start to end in chunks, in place of the
// kept blocks, so that hours of data are analysed without being loaded. It stands only while
// the blocks it was set over are kept: a capture or a load ends it.
struct ArchiveSource {
    std::string path;  // empty: the kept blocks
    recording::ReadRequest request;
    std::uint64_t blocks_generation = 0;
    bool operator==(const ArchiveSource&) const = default;
};

struct ArchiveRead {
    std::vector<std::string> codes;  // the channels read, in the order analysed
    std::int64_t start_us = 0;
    std::int64_t samples = 0;  // per channel
    std::vector<recording::Gap> gaps;
    std::string error;  // why the archive could not be read; empty when it was
};

struct ChannelNoise {
    bool listed = false;
    std::vector<double> psd;    // V²/Hz, smoothed as asked
    std::vector<double> self;   // own noise, V²/Hz, smoothed as asked; empty without
    double density_nv = 0.0;    // median over the band, nV/√Hz
    double density_dbfs = 0.0;  // the same in dB re the full-scale sine's power, per Hz
    double rms_uv = 0.0;
    std::optional<double> corner_hz;
    double dr_db = 0.0;
    std::vector<digitizer::OctaveBand> octaves;
    std::optional<double> self_density_nv;
    std::optional<double> self_dr_db;
    std::vector<digitizer::OctaveBand> self_octaves;
    int self_negative_bins = 0;
    std::optional<std::complex<double>> relative;  // H / H_reference at the common tone
    double relative_hz = 0.0;
    // H / H_reference per bin; meaningful where the common input stands above the noise.
    std::vector<std::complex<double>> response;
    // Quietest margin below the low noise model in the band (dB; positive: quieter than the
    // quietest Earth), from the self-noise when there is one; with a sensor only.
    std::optional<double> nlnm_margin_db;
};

struct SineFitResult {
    std::optional<digitizer::SineFit> fit;  // the last kept block's
    double sinad_db = 0.0, enob_bits = 0.0, amplitude_dbfs = 0.0, frequency_hz = 0.0;
};

struct DigitizerResults {
    // What the results were computed from.
    std::uint64_t generation = 0;
    DigitizerOptions options;
    int window_index = -1;
    double fs = 0.0;
    int fs_code = 0;
    double fs_volt = 0.0;
    bool valid = false;
    ArchiveSource archive;
    ArchiveRead archive_read;

    int blocks = 0, blocks_seen = 0, segments = 0, segment_length = 0;
    double df = 0.0;
    digitizer::BinRange band;
    double band_lo = 0.0, band_hi = 0.0;
    std::vector<int> channels;  // the channels analysed, the reference first
    std::string method;         // how the self-noise was estimated; empty when it was not
    std::array<ChannelNoise, 4> ch;
    digitizer::CrosstalkResult crosstalk;

    bool fits_done = false;
    std::array<SineFitResult, 4> fits;
};

// The results for the present blocks and settings, recomputed only when either changed.
const DigitizerResults& digitizer_results(AnalysisState& st, double fs);
// The sine fits too (they cost more than the spectra, so only the sine-fit test asks).
const DigitizerResults& digitizer_fits(AnalysisState& st, double fs);

// The frequency of bin k of the results' spectra.
inline double bin_frequency(const DigitizerResults& r, int k) {
    return k * r.df;
}

}  // namespace analysis
