// Signal-processing primitives: a discrete Fourier transform of any length and a few array
// statistics. Plain functions on caller-owned arrays of doubles; every function returns 0 or
// one of the negative status codes below.
#pragma once

#include <cstdint>

namespace dsp {

inline constexpr int kOutOfMemory = -20001;   // a temporary could not be allocated
inline constexpr int kInvalidCount = -20003;  // element count not positive
inline constexpr int kInvalidRange = -20101;  // lower end of a range not below the upper end

// Real-input DFT of all n bins, X[k] = sum x[i] e^(-j2pi ik/n), unscaled. On entry x holds the
// samples; on return x holds the real parts and y the imaginary parts (the upper half is the
// conjugate mirror of the lower half). Any n >= 1; kOutOfMemory when the tables or temporaries
// for n cannot be had (arrays untouched). Tables are kept per length for later calls, and the
// functions may be called from several threads at once.
int ReFFT(double x[], double y[], int n);

// The ReFFT of x[i] = samples[i] * window[i] (window null: the samples alone) in half-complex
// order, which is all a power spectrum or a phase needs: with h = *spectrum (x or y),
// Re X[k] = h[k] for 0 <= k <= n/2 and Im X[k] = h[n - k] for 0 < k < n - k; the imaginary
// parts of X[0] and, for even n, X[n/2] are 0. The figures are those of filling x and calling
// ReFFT. For a power-of-two n the products go straight into the transform's first pass and
// nothing is spread into a second array: two trips through memory less.
int WindowedHalfComplexReFFT(const std::int32_t samples[], const double window[], double x[],
                             double y[], int n, double** spectrum);

// Complex DFT in place, same convention as ReFFT.
int CxFFT(double re[], double im[], int n);

// Inverse complex DFT in place, scaled by 1/n.
int CxInvFFT(double re[], double im[], int n);

// (re1, im1)[i] <- (re1, im1)[i] * (re2, im2)[i].
int CxMultiply(double re1[], double im1[], const double re2[], const double im2[], int n);

// Largest and smallest element and their first indices, NaN elements skipped. All NaN: both
// extremes NaN, both indices -1.
int MaxMin1D(const double x[], int n, double* max, int* imax, double* min, int* imin);

// Counts of x over `intervals` equal bins covering [base, top]; axis receives the bin centres.
// A value equal to top falls in the last bin; values outside the range are ignored.
int Histogram(const double x[], int n, double base, double top, int counts[], double axis[],
              int intervals);

// Population mean and standard deviation / variance (divided by n).
int StdDev(const double x[], int n, double* mean, double* sd);
int Variance(const double x[], int n, double* mean, double* var);

// z[i] = x[i] * y[i].
int Mul1D(const double x[], const double y[], int n, double z[]);

// y[i] = x[i].
int Copy1D(const double x[], int n, double y[]);

// -1 for n <= 0, otherwise floor(log2 n).
int Log2(int n);

}  // namespace dsp
