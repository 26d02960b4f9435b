#include "analysis/spectrum/converter_figures.h"

#include <cmath>

#include "analysis/spectrum/figures.h"

namespace analysis::spectrum {

namespace {

// Bits per dB of an ideal quantiser's full-scale sine, and its offset.
constexpr double kDbPerBit = 6.02;
constexpr double kSineOffsetDb = 1.76;
// Peak-to-peak span of Gaussian noise that holds 99.9 % of the samples, in deviations.
constexpr double kNoiseFreeSpan = 6.6;

std::optional<double> finite(double v) {
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

double or_nan(const std::optional<double>& v) {
    return v ? *v : std::nan("");
}

}  // namespace

SignalFigures signal_figures_layout() {
    using namespace figures;
    return {blank(kSignalDbfs), blank(kThd),  blank(kSinad), blank(kEnob),
            blank(kEnobFs),     blank(kSfdr), blank(kDr)};
}

SignalFigures signal_figures(const SignalMeasure& m) {
    SignalFigures out = signal_figures_layout();
    const bool tone = m.signal_power > 0.0 && (!m.largest_spur || m.fund_peak > *m.largest_spur);
    if (!tone) return out;
    const double dbfs =
        m.ref_power > 0.0 ? 10.0 * std::log10(m.signal_power / m.ref_power) : std::nan("");
    const double sinad = or_nan(m.snd);
    out[kFigSignalDbfs].value = finite(dbfs);
    out[kFigThd].value = finite(-or_nan(m.sd));
    out[kFigSinad].value = finite(sinad);
    out[kFigEnob].value = finite((sinad - kSineOffsetDb) / kDbPerBit);
    out[kFigEnobFs].value = finite((sinad - dbfs - kSineOffsetDb) / kDbPerBit);
    if (m.largest_spur)
        out[kFigSfdr].value = finite(10.0 * std::log10(m.fund_peak / *m.largest_spur));
    out[kFigDr].value = finite(or_nan(m.sn) - dbfs);
    return out;
}

CodeFigures code_figures_layout() {
    return {blank(figures::kEffectiveResolution), blank(figures::kNoiseFreeResolution)};
}

CodeFigures code_figures(double std_dev, int32_t fs_code) {
    CodeFigures out = code_figures_layout();
    if (!(std_dev > 0.0) || fs_code <= 0) return out;
    const double span = 2.0 * fs_code;
    out[kFigEffectiveResolution].value = finite(std::log2(span / std_dev));
    out[kFigNoiseFreeResolution].value = finite(std::log2(span / (kNoiseFreeSpan * std_dev)));
    return out;
}

}  // namespace analysis::spectrum
