// The FFT window family: sums of cosines w[i] = a0 + sum a_k cos(2 pi k i / N), applied to
// fft_re in place. Each call also sets the window parameters tone_bins and dc_bins.
#pragma once

#include <vector>

#include "analysis/spectrum/spectrum_state.h"

namespace analysis::spectrum {

inline constexpr int kWindowNone = 0;
inline constexpr int kWindowBlackmanHarris = 1;
inline constexpr int kWindowTessik = 2;
inline constexpr int kWindowQuellan = 3;

// Applies the window chosen by window_index to fft_re[0 ... n - 1] and sets tone_bins and
// dc_bins. 0 leaves the samples (tone_bins 2, dc_bins 2); an unknown index applies no window
// and leaves the parameters as they were.
void window(SpectrumState& state, int window_index, int n);

// Sets the parameters as window does and returns the coefficients of the chosen window of
// length n without applying them; nullptr for no window (index 0 or unknown). Lets a caller
// window the samples while it converts them.
const double* select_window(SpectrumState& state, int window_index, int n);

// The coefficients of window_index for length n as a plain array; empty for no window (index 0
// or unknown), which means all ones.
std::vector<double> window_coefficients(int window_index, int n);
// The number of cosine terms K (1 for no window): a constant input leaks into bins 0 ... K - 1
// of the windowed transform and nowhere else.
int window_terms(int window_index);
// Half-width of a tone's main lobe in bins, as window sets tone_bins.
int window_tone_bins(int window_index);

// Multiply fft_re[0 ... n - 1] by the window of length n; they do not touch the parameters.
void BlkHrsWin(SpectrumState& state, int n);
void TessikWin(SpectrumState& state, int n);
void QuellanWin(SpectrumState& state, int n);

}  // namespace analysis::spectrum
