#include "analysis/digitizer_results.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "analysis/digitizer/cross_spectra.h"
#include "analysis/digitizer/noise_models.h"
#include "analysis/digitizer/octave_smoothing.h"
#include "analysis/digitizer/self_noise.h"
#include "analysis/digitizer/stream_spectra.h"
#include "analysis/spectrum/windows.h"
#include "analysis/state.h"
#include "recording/archive_stream.h"

namespace analysis {

using namespace digitizer;

namespace {

// The self-noise figures and the model margin need a smoothed curve even when the plot shows
// the raw one.
constexpr int kCornerSmoothing = 3;
// The corner is the first crossing of 3 dB going up in frequency: on a curve smoothed over
// 1/3 octave the noise of a few blocks crosses early, and a whole octave (which biases a 1/f
// slope by 2 %) keeps the curve monotone.
constexpr int kCrossingSmoothing = 1;
// The tests compare up to four channels side by side.
constexpr int kMaxArchiveChannels = 4;
// The least sine RMS over residual RMS that counts as a tone fitted (10 dB).
constexpr double kMinFitRatio = 3.1623;

bool from_archive(const AnalysisState& st);

// An archive's results hold its own rate, so the capture's does not make them stale.
bool stale(const DigitizerResults& r, const AnalysisState& st, double fs) {
    const bool archive = from_archive(st);
    return !r.valid || r.generation != st.kept.generation() || !(r.options == st.digitizer) ||
           r.window_index != st.window_index || (!archive && r.fs != fs) ||
           r.fs_code != st.fs_code || r.fs_volt != st.fs_volt ||
           !(r.archive == (archive ? st.archive : ArchiveSource{}));
}

std::vector<int> analysed_channels(const DigitizerOptions& o, int available) {
    std::vector<int> list;
    for (int c : o.channels)
        if (c >= 0 && c < available && std::find(list.begin(), list.end(), c) == list.end())
            list.push_back(c);
    if (o.channels.empty())
        for (int c = 0; c < available; ++c) list.push_back(c);
    return list;
}

std::vector<double> scaled(std::vector<double> p, double factor) {
    for (double& v : p) v *= factor;
    return p;
}

double nv_per_root_hz(double v2_per_hz) {
    return 1e9 * std::sqrt(std::max(0.0, v2_per_hz));
}

// The quietest margin of a noise PSD below the low noise model, over the band's bins that the
// model covers (periods up to 100,000 s, frequencies up to 10 Hz).
std::optional<double> nlnm_margin(const std::vector<double>& smoothed, BinRange band, double df,
                                  double sensor) {
    std::optional<double> margin;
    for (int k = band.first; k <= band.last; ++k) {
        const double f = k * df;
        const double model = low_noise_model_db(1.0 / f);
        if (!std::isfinite(model) || !(smoothed[k] > 0.0)) continue;
        const double m = model - acceleration_db(smoothed[k], f, sensor);
        if (!margin || m < *margin) margin = m;
    }
    return margin;
}

// The white level is read in the band's top octave, where a 1/f rise has faded most; what
// is left of the rise there (corner / f at the octave's centre) is taken out again with each
// new corner, which converges in a few rounds.
std::optional<double> flicker_corner(const std::vector<double>& raw, const DigitizerResults& r,
                                     int bins) {
    const BinRange top = band_bins(r.band_hi / 2.0, r.band_hi, r.df, bins, r.band.first);
    const double top_level = median_density(raw, top);
    const double centre = 0.75 * r.band_hi;
    const std::vector<double> curve = smooth_octave(raw, kCrossingSmoothing);
    std::optional<double> corner;
    for (int round = 0; round < 4; ++round) {
        const double white = top_level / (1.0 + (corner ? *corner : 0.0) / centre);
        corner = corner_frequency(curve, r.band, r.df, white);
        if (!corner) break;
    }
    return corner;
}

struct NoiseCurve {
    double density_nv = 0.0, density_dbfs = 0.0, rms_uv = 0.0, dr_db = 0.0;
    std::vector<OctaveBand> octaves;
};

NoiseCurve noise_curve(const std::vector<double>& raw, const DigitizerResults& r,
                       double full_scale_rms) {
    NoiseCurve n;
    const double density = median_density(raw, r.band);
    const double rms = band_rms(raw, r.band, r.df);
    n.density_nv = nv_per_root_hz(density);
    n.density_dbfs = 10.0 * std::log10(density / (full_scale_rms * full_scale_rms));
    n.rms_uv = rms * 1e6;
    n.dr_db = dynamic_range_db(full_scale_rms, rms);
    n.octaves = octave_dynamic_range(raw, r.band, r.df, full_scale_rms);
    return n;
}

// Own noise of channel a: by three channels with the first two other listed ones, by two with
// the one other, none alone; cross-spectra smoothed over 1/fraction octave first.
std::vector<double> own_noise(const CrossSpectra& p, const std::vector<int>& list, int a,
                              int fraction) {
    std::vector<int> others;
    for (int c : list)
        if (c != a) others.push_back(c);
    if (others.size() >= 2) return three_channel_noise(p, a, others[0], others[1], fraction);
    if (others.size() == 1) return two_channel_noise(p, a, others[0], fraction);
    return {};
}

bool from_archive(const AnalysisState& st) {
    return !st.archive.path.empty() && st.archive.blocks_generation == st.kept.generation();
}

// The archive's channels through the Welch estimates a chunk at a time.
std::unique_ptr<StreamSpectra> archive_spectra(DigitizerResults& r, const ArchiveSource& a) {
    recording::ArchiveStream stream;
    ArchiveRead& read = r.archive_read;
    if (const core::Status s = stream.open(a.path, a.request); !s) {
        read.error = s.text;
        return nullptr;
    }
    const int channels = static_cast<int>(stream.channels().size());
    if (channels > kMaxArchiveChannels) {
        read.error =
            a.path + " holds " + std::to_string(channels) + " channels; name up to four of them.";
        return nullptr;
    }
    read.codes = stream.channels();
    r.fs = stream.rate();
    auto p = std::make_unique<StreamSpectra>(
        WelchSettings{r.options.segment, r.options.overlap, r.window_index, r.fs}, channels);
    const std::size_t chunk = std::max<std::size_t>(1 << 16, r.options.segment);
    recording::Chunk next;
    r.blocks = 0;
    for (;;) {
        if (const core::Status s = stream.next(chunk, &next); !s) {
            read.error = s.text;
            return nullptr;
        }
        if (next.length() == 0) break;
        if (read.samples == 0) read.start_us = next.start_us;
        if (next.after_gap || read.samples == 0) {
            p->gap();
            ++r.blocks;
        }
        read.samples += static_cast<std::int64_t>(next.length());
        std::vector<std::span<const std::int32_t>> piece(next.samples.begin(), next.samples.end());
        p->add(piece);
    }
    p->finish();
    read.gaps = stream.gaps();
    r.blocks_seen = r.blocks;
    return p;
}

void compute(DigitizerResults& r, const AnalysisState& st) {
    if (r.fs_code <= 0) return;
    std::unique_ptr<StreamSpectra> streamed;
    std::unique_ptr<CrossSpectra> spectra;
    int channels = 0;
    if (from_archive(st)) {
        streamed = archive_spectra(r, st.archive);
        if (!streamed) return;
        channels = streamed->spectra().channels();
    } else {
        const KeptBlocks& kept = st.kept;
        r.blocks = kept.kept();
        r.blocks_seen = kept.seen();
        if (kept.kept() == 0 || kept.channels() < 1 || !(r.fs > 0.0)) return;
        channels = kept.channels();
        spectra = std::make_unique<CrossSpectra>(
            WelchSettings{r.options.segment, r.options.overlap, r.window_index, r.fs}, channels);
        for (int b = 0; b < kept.kept(); ++b) {
            std::vector<std::span<const std::int32_t>> block;
            for (int c = 0; c < channels; ++c) block.push_back(kept.channel(b, c));
            spectra->add_block(block);
        }
    }
    const CrossSpectra& p = streamed ? streamed->spectra() : *spectra;
    if (p.segments() == 0) return;
    r.segments = p.segments();
    r.segment_length = p.segment_length();
    r.df = p.bin_width();
    r.band_lo = r.options.band_lo;
    r.band_hi = r.options.band_hi > 0.0 ? r.options.band_hi : 0.4 * r.fs;
    r.band = band_bins(r.band_lo, r.band_hi, r.df, p.bins(), p.first_clean_bin());
    r.channels = analysed_channels(r.options, channels);
    const double volts_per_code = r.fs_volt / 2.0 / r.fs_code;
    const double v2 = volts_per_code * volts_per_code;
    const double full_scale_rms = r.fs_volt / 2.0 / std::sqrt(2.0);
    const bool shared = r.channels.size() >= 2;
    if (shared)
        r.method = r.channels.size() >= 3
                       ? "three-channel correlation"
                       : "two-channel coherence (assumes both channels respond alike)";
    std::vector<std::vector<double>> raw_psd;
    for (int c = 0; c < channels; ++c) raw_psd.push_back(scaled(p.psd(c), v2));
    const int reference = r.channels.empty() ? -1 : r.channels.front();
    const int lobe = spectrum::window_tone_bins(r.window_index);
    for (int c : r.channels) {
        ChannelNoise& ch = r.ch[c];
        ch.listed = true;
        const NoiseCurve plain = noise_curve(raw_psd[c], r, full_scale_rms);
        ch.density_nv = plain.density_nv;
        ch.density_dbfs = plain.density_dbfs;
        ch.rms_uv = plain.rms_uv;
        ch.dr_db = plain.dr_db;
        ch.octaves = plain.octaves;
        const std::vector<double> smooth = smooth_octave(raw_psd[c], kCornerSmoothing);
        ch.corner_hz = flicker_corner(raw_psd[c], r, p.bins());
        ch.psd = smooth_octave(raw_psd[c], r.options.smooth);
        std::vector<double> self_smooth;
        if (shared) {
            // The figures rest on smoothed cross-spectra (see three_channel_noise); the curve
            // shown is smoothed only as asked.
            self_smooth = scaled(own_noise(p, r.channels, c, kCornerSmoothing), v2);
            const NoiseCurve own = noise_curve(self_smooth, r, full_scale_rms);
            ch.self_density_nv = own.density_nv;
            ch.self_dr_db = own.dr_db;
            ch.self_octaves = own.octaves;
            // The figures' smoothing is often the one asked for the curve: no second pass then.
            ch.self = r.options.smooth == kCornerSmoothing
                          ? self_smooth
                          : scaled(own_noise(p, r.channels, c, r.options.smooth), v2);
            ch.self_negative_bins = non_positive_bins(ch.self, r.band.first, r.band.last);
            if (c != reference) {
                int helper = -1;
                for (int h : r.channels)
                    if (h != c && h != reference) {
                        helper = h;
                        break;
                    }
                ch.response = relative_response(p, reference, c, helper);
                const ToneResponse t =
                    tone_response(p, reference, c, helper, r.band.first, r.band.last, lobe);
                if (t.bin >= 0 && std::abs(t.ratio) > 0.0) {
                    ch.relative = t.ratio;
                    ch.relative_hz = t.bin * r.df;
                }
            }
        }
        if (r.options.sensor > 0.0)
            ch.nlnm_margin_db = nlnm_margin(self_smooth.empty() ? smooth : self_smooth, r.band,
                                            r.df, r.options.sensor);
    }
    std::vector<std::vector<double>> listed;
    for (int c : r.channels) listed.push_back(raw_psd[c]);
    CrosstalkResult xt = crosstalk(listed, r.band, r.df, lobe);
    if (xt.driven >= 0) {
        // Back from positions in the list to channel indices.
        r.crosstalk.driven = r.channels[xt.driven];
        r.crosstalk.frequency = xt.frequency;
        r.crosstalk.levels.assign(static_cast<std::size_t>(channels), {});
        for (std::size_t i = 0; i < r.channels.size(); ++i)
            r.crosstalk.levels[r.channels[i]] = xt.levels[i];
    }
}

void compute_fits(DigitizerResults& r, const AnalysisState& st) {
    r.fits_done = true;
    const KeptBlocks& kept = st.kept;
    // A fit needs a block in memory; an archive's channels are not the kept blocks'.
    if (kept.kept() == 0 || r.fs_code <= 0 || !r.archive.path.empty()) return;
    const int last = kept.kept() - 1;
    for (int c : r.channels) {
        const auto samples = kept.channel(last, c);
        const std::vector<double> x(samples.begin(), samples.end());
        const auto start = peak_frequency(x);
        if (!start) continue;
        SineFitResult& f = r.fits[c];
        f.fit = fit_sine4(x, *start);
        // A "sine" that explains less than ten times the residual's power is noise fitted.
        if (!f.fit || !(f.fit->residual_rms > 0.0) ||
            f.fit->amplitude / std::sqrt(2.0) < kMinFitRatio * f.fit->residual_rms) {
            f.fit.reset();
            continue;
        }
        // IEEE 1241: SINAD from the residual; ENOB against the full-scale range of the codes.
        f.sinad_db = 20.0 * std::log10(f.fit->amplitude / std::sqrt(2.0) / f.fit->residual_rms);
        f.enob_bits = std::log2(2.0 * r.fs_code / (f.fit->residual_rms * std::sqrt(12.0)));
        f.amplitude_dbfs = 20.0 * std::log10(f.fit->amplitude / r.fs_code);
        f.frequency_hz = f.fit->frequency * r.fs;
    }
}

DigitizerResults& refreshed(AnalysisState& st, double fs) {
    DigitizerResults& r = st.digitizer_cache;
    if (!stale(r, st, fs)) return r;
    r = DigitizerResults{};
    r.generation = st.kept.generation();
    r.options = st.digitizer;
    r.window_index = st.window_index;
    r.fs = fs;
    r.fs_code = st.fs_code;
    r.fs_volt = st.fs_volt;
    r.valid = true;
    if (from_archive(st)) r.archive = st.archive;
    compute(r, st);
    return r;
}

}  // namespace

const DigitizerResults& digitizer_results(AnalysisState& st, double fs) {
    return refreshed(st, fs);
}

const DigitizerResults& digitizer_fits(AnalysisState& st, double fs) {
    DigitizerResults& r = refreshed(st, fs);
    if (!r.fits_done) compute_fits(r, st);
    return r;
}

}  // namespace analysis
