// Each channel's own noise, separated from an input shared by every channel, from averaged
// cross-spectra; and the channels' responses relative to one another. Channel i records
// X_i = H_i S + N_i with the N_i independent of S and of each other.
#pragma once

#include <complex>
#include <vector>

#include "analysis/digitizer/cross_spectra.h"

namespace analysis::digitizer {

// P_ij over every bin, its real and imaginary parts smoothed over 1/fraction octave (0: not).
std::vector<std::complex<double>> cross_curve(const CrossSpectra& p, int i, int j, int fraction);

// Three channels: N_aa = Re(P_aa − P_ba P_ac / P_bc). Real in expectation; a bin where the
// estimate falls to or below zero stays in (the count tells the caller), since dropping it
// would bias the median upward. With fraction > 0 the cross-spectra are smoothed over
// 1/fraction octave before the ratio is formed: a ratio of noisy estimates is biased by
// about P_aa / segments, and smoothing multiplies the segments by the bins averaged.
std::vector<double> three_channel_noise(const CrossSpectra& p, int a, int b, int c,
                                        int fraction = 0);
// Two channels: N_aa ≈ P_aa − |P_ab|, which holds only when both channels respond alike.
std::vector<double> two_channel_noise(const CrossSpectra& p, int a, int b, int fraction = 0);
int non_positive_bins(const std::vector<double>& psd, int first, int last);

// H_b / H_a per bin: P_cb / P_ca with a third channel c, or P_ab / P_aa with c < 0 (biased by
// a's own noise where the common input is weak).
std::vector<std::complex<double>> relative_response(const CrossSpectra& p, int a, int b, int c);

// The strongest common tone: the bin in [first, last] where |P_ab| is largest, and the ratio
// H_b / H_a over the tone's main lobe (bins ±half_width summed before dividing, so the
// window's shape cancels). No tone (bin -1) when that bin stands less than 20 dB above the
// median |P_ab|: a peak of the noise says nothing of the responses.
struct ToneResponse {
    int bin = -1;
    std::complex<double> ratio;
};
ToneResponse tone_response(const CrossSpectra& p, int a, int b, int c, int first, int last,
                           int half_width);

}  // namespace analysis::digitizer
