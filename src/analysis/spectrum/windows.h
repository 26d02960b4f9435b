// The FFT window family: sums of cosines w[i] = a0 + sum a_k cos(2 pi k i / N), applied to
// fft_re in place. Each call also sets the window parameters tone_bins and dc_bins.
#pragma once

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

// Multiply fft_re[0 ... n - 1] by the window of length n; they do not touch the parameters.
void BlkHrsWin(SpectrumState& state, int n);
void TessikWin(SpectrumState& state, int n);
void QuellanWin(SpectrumState& state, int n);

}  // namespace analysis::spectrum
