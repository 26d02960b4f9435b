#include "analysis/digitizer_tests.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/digitizer/noise_models.h"
#include "analysis/digitizer_results.h"
#include "analysis/fft_tests.h"
#include "analysis/spectrum/figures.h"

namespace analysis {

using namespace spectrum;

namespace {

// The models drawn under a seismic-context plot, in colours no channel has.
constexpr int kLowModelColour = 0x808080;
constexpr int kHighModelColour = 0xC0C0C0;

void set(Measurement& m, int index, const Figure& f, std::optional<double> value,
         std::string note = {}) {
    set_readout(m, index, Statistic{f.label, f.precision, value});
    ShownFigure& shown = m.figures[static_cast<std::size_t>(index)];
    shown.note = value ? std::string() : std::move(note);
}

std::optional<double> finite(double v) {
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

const ChannelNoise* listed(const DigitizerResults& r, int channel) {
    if (channel < 0 || channel >= kChannels || !r.ch[channel].listed) return nullptr;
    return &r.ch[channel];
}

// A spectrum as dB points on a log-frequency axis: bins at or below zero are left out, and so
// is bin 0 (no place on a log axis).
struct DbCurve {
    std::vector<double> x, y;
    double y_min = 0.0, y_max = 0.0;
};

DbCurve db_curve(const std::vector<double>& p, double df, int first,
                 double (*to_db)(double, double, double) = nullptr, double sensor = 0.0) {
    DbCurve c;
    for (int k = std::max(first, 1); k < static_cast<int>(p.size()); ++k) {
        if (!(p[k] > 0.0)) continue;
        const double f = k * df;
        const double v = to_db ? to_db(p[k], f, sensor) : 10.0 * std::log10(p[k]);
        c.x.push_back(f);
        c.y.push_back(v);
        if (c.y.size() == 1 || v < c.y_min) c.y_min = v;
        if (c.y.size() == 1 || v > c.y_max) c.y_max = v;
    }
    return c;
}

// The curves of a PSD or self-noise plot, each channel in turn, then, with a sensor, the
// models; the y axis spans every curve drawn, in whole 10 dB.
void noise_plots(const RunRequest& request, const DigitizerResults& r, bool self,
                 const PlotSink& plot) {
    if (!plot) return;
    const double sensor = r.options.sensor;
    std::vector<std::pair<int, DbCurve>> curves;
    for (int c = 0; c < kChannels; ++c) {
        const ChannelNoise* ch = listed(r, c);
        if (!request.enabled[c] || !ch) continue;
        const std::vector<double>& p = self ? ch->self : ch->psd;
        if (p.empty()) continue;
        curves.emplace_back(
            c, db_curve(p, r.df, r.band.first, sensor > 0.0 ? digitizer::acceleration_db : nullptr,
                        sensor));
    }
    DbCurve low, high;
    if (sensor > 0.0 && !curves.empty()) {
        for (double f : curves.front().second.x) {
            const double l = digitizer::low_noise_model_db(1.0 / f);
            const double h = digitizer::high_noise_model_db(1.0 / f);
            if (!std::isfinite(l)) continue;
            low.x.push_back(f);
            low.y.push_back(l);
            high.x.push_back(f);
            high.y.push_back(h);
        }
    }
    double lo = 0.0, hi = 0.0;
    bool any = false;
    for (const auto& [c, curve] : curves) {
        if (curve.y.empty()) continue;
        lo = any ? std::min(lo, curve.y_min) : curve.y_min;
        hi = any ? std::max(hi, curve.y_max) : curve.y_max;
        any = true;
    }
    if (!any) return;
    for (double v : low.y) lo = std::min(lo, v);
    for (double v : high.y) hi = std::max(hi, v);
    const PlotAxes axes{r.band.first * r.df, r.fs / 2.0, false, 10.0 * std::floor(lo / 10.0),
                        10.0 * std::ceil(hi / 10.0 + 1e-9)};
    bool first = true;
    for (const auto& [c, curve] : curves) {
        ChannelPlot p;
        p.channel = c;
        if (first) p.axes = axes;
        first = false;
        p.x = curve.x;
        p.y = curve.y;
        plot(p);
    }
    const struct {
        const DbCurve& curve;
        const char* name;
        int colour;
    } models[] = {{low, "NLNM", kLowModelColour}, {high, "NHNM", kHighModelColour}};
    for (const auto& model : models) {
        if (model.curve.x.empty()) continue;
        ChannelPlot p;
        p.channel = -1;
        p.legend = model.name;
        p.colour = model.colour;
        p.x = model.curve.x;
        p.y = model.curve.y;
        plot(p);
    }
}

}  // namespace

void psd_stats(const RunInputs& in, int channel, const std::array<int, kChannels>&,
               Measurement& m) {
    const DigitizerResults& r = digitizer_results(in.analysis, in.fs);
    const ChannelNoise* ch = listed(r, channel);
    using namespace figures;
    set(m, 0, kNoiseDensity, ch ? finite(ch->density_nv) : std::nullopt);
    set(m, 1, kNoiseDbfs, ch ? finite(ch->density_dbfs) : std::nullopt);
    set(m, 2, kNoiseRms, ch ? finite(ch->rms_uv) : std::nullopt);
    set(m, 3, kCorner, ch ? ch->corner_hz : std::nullopt, ch ? "none" : "");
    set(m, 4, kDr, ch ? finite(ch->dr_db) : std::nullopt);
    set(m, 5, kNlnmMargin, ch ? ch->nlnm_margin_db : std::nullopt);
}

void psd_run(const RunInputs& in, const RunRequest& request, Measurement& m, const PlotSink& plot) {
    psd_stats(in, request.stat_ch, request.enabled, m);
    noise_plots(request, digitizer_results(in.analysis, in.fs), false, plot);
}

void self_noise_stats(const RunInputs& in, int channel, const std::array<int, kChannels>&,
                      Measurement& m) {
    const DigitizerResults& r = digitizer_results(in.analysis, in.fs);
    const ChannelNoise* ch = listed(r, channel);
    using namespace figures;
    const bool reference = ch && !r.channels.empty() && r.channels.front() == channel;
    std::optional<double> gain, phase;
    if (ch && ch->relative) {
        gain = 20.0 * std::log10(std::abs(*ch->relative));
        phase = std::arg(*ch->relative) * 180.0 / std::numbers::pi;
    }
    set(m, 0, kSelfNoiseDensity, ch ? ch->self_density_nv : std::nullopt);
    set(m, 1, kNoiseDensity, ch ? finite(ch->density_nv) : std::nullopt);
    // Without a common tone the responses cannot be compared.
    const char* no_gain = reference ? "reference" : ch && !r.method.empty() ? "no common tone" : "";
    set(m, 2, kRelativeGain, gain, no_gain);
    set(m, 3, kRelativePhase, phase, no_gain);
    set(m, 4, kDr, ch ? ch->self_dr_db : std::nullopt);
    set(m, 5, kNlnmMargin, ch ? ch->nlnm_margin_db : std::nullopt);
}

void self_noise_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                    const PlotSink& plot) {
    self_noise_stats(in, request.stat_ch, request.enabled, m);
    noise_plots(request, digitizer_results(in.analysis, in.fs), true, plot);
}

void crosstalk_stats(const RunInputs& in, int channel, const std::array<int, kChannels>&,
                     Measurement& m) {
    const DigitizerResults& r = digitizer_results(in.analysis, in.fs);
    const auto& xt = r.crosstalk;
    std::optional<double> value;
    std::string note;
    bool bound = false;
    if (listed(r, channel) && xt.driven >= 0) {
        if (channel == xt.driven) {
            note = "driven";
        } else {
            value = finite(xt.levels[channel].db);
            bound = xt.levels[channel].upper_bound;
        }
    } else if (listed(r, channel)) {
        note = "no tone";
    }
    set(m, 0, figures::kCrosstalkLevel, value, note);
    m.figures[0].upper_bound = bound && value;
}

void crosstalk_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                   const PlotSink& plot) {
    crosstalk_stats(in, request.stat_ch, request.enabled, m);
    noise_plots(request, digitizer_results(in.analysis, in.fs), false, plot);
}

void sine_fit_stats(const RunInputs& in, int channel, const std::array<int, kChannels>& enabled,
                    Measurement& m) {
    const DigitizerResults& r = digitizer_fits(in.analysis, in.fs);
    const SineFitResult* f = listed(r, channel) && r.fits[channel].fit ? &r.fits[channel] : nullptr;
    using namespace figures;
    const char* no_fit = listed(r, channel) && !f ? "no tone" : "";
    set(m, 0, kSinadFit, f ? finite(f->sinad_db) : std::nullopt, no_fit);
    set(m, 1, kEnobFit, f ? finite(f->enob_bits) : std::nullopt, no_fit);
    set(m, 2, kFitFrequency, f ? finite(f->frequency_hz) : std::nullopt, no_fit);
    set(m, 3, kFitAmplitude, f ? finite(f->amplitude_dbfs) : std::nullopt, no_fit);
    // Beside them the averaged spectrum's S/N+D, to compare the two methods.
    Measurement signal;
    lay_out(signal, kSignalFft);
    signal_stats(in, channel, enabled, signal);
    const ShownFigure& snd = signal.figures[kStatSND];
    set(m, 4, kSnd, snd.has_value() ? finite(snd.value) : std::nullopt);
}

void sine_fit_run(const RunInputs& in, const RunRequest& request, Measurement& m,
                  const PlotSink& plot) {
    std::array<int, kChannels> none{};
    sine_fit_stats(in, request.stat_ch, none, m);
    if (!plot) return;
    // Each channel's residual over its last kept block: what the sine does not explain.
    const DigitizerResults& r = digitizer_fits(in.analysis, in.fs);
    const KeptBlocks& kept = in.analysis.kept;
    for (int c = 0; c < kChannels; ++c) {
        if (!request.enabled[c] || !listed(r, c) || !r.fits[c].fit || kept.kept() == 0) continue;
        const auto samples = kept.channel(kept.kept() - 1, c);
        const digitizer::SineFit& f = *r.fits[c].fit;
        std::vector<double> residual(samples.size());
        const double w = 2.0 * std::numbers::pi * f.frequency;
        for (std::size_t i = 0; i < samples.size(); ++i)
            residual[i] = samples[i] -
                          (f.amplitude * std::cos(w * static_cast<double>(i) + f.phase) + f.offset);
        ChannelPlot p;
        p.channel = c;
        p.y = residual;
        p.axes = PlotAxes{0.0, static_cast<double>(samples.size()), true, 0.0, 0.0};
        plot(p);
    }
}

}  // namespace analysis
