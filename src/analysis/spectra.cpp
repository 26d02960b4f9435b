#include "analysis/spectra.h"

#include "analysis/context.h"
#include "analysis/spectrum/averaging.h"
#include "analysis/spectrum/reference.h"
#include "dsp/dsp.h"

#include <span>
#include <vector>

namespace analysis {

using namespace spectrum;

void clear_spectra(const Context& cx) {
    spectrum::clean_average_buff(cx.spectra);
    cx.analysis.kept.clear();
    cx.analysis.data_ref.clear();
}

void keep_block(const Context& cx) {
    std::vector<std::span<const std::int32_t>> channels;
    for (int c = 0; c < cx.capture.NumberOfChannels && c < kChannels; ++c)
        channels.emplace_back(cx.analysis.data(c),
                              static_cast<std::size_t>(cx.analysis.ch_count[c]));
    cx.analysis.kept.add(channels);
}

int add_channel_spectrum(const Context& cx, int averaging_count, int channel) {
    if (channel < 0 || channel >= kChannels) return dsp::kInvalidCount;
    const AnalysisState& st = cx.analysis;
    return spectrum::ChannelFFT(cx.spectra, averaging_count, channel, st.data(channel),
                                st.ch_count[channel], st.window_index);
}

double reference_power_for_file(const Context& cx) {
    spectrum::getReferenceFFT(cx.spectra, cx.analysis.ch_count[0], cx.analysis.fs_code,
                              cx.analysis.window_index);
    return cx.spectra.ref_power;
}

void spectra_after_load(const Context& cx) {
    clear_spectra(cx);
    for (int c = 0; c < cx.capture.NumberOfChannels && c < kChannels; ++c)
        add_channel_spectrum(cx, 1, c);
    keep_block(cx);
}

}  // namespace analysis
