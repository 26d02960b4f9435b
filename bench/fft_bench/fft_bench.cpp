// Times ReFFT against FFTW's real-to-complex transform, planned once per length with
// FFTW_ESTIMATE (the reference of the targets) and with FFTW_MEASURE (the stronger one), and
// reports the largest deviation from FFTW relative to the largest bin.
//
//   fft_bench [lengths...]
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "dsp/dsp.h"
#include "dsp/factorize.h"
#include "dsp/mixed_radix.h"

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::micro>(b - a).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Repetitions for about half a second, at least 5, at most 2001.
int repetitions(double first_us) {
    return std::clamp(static_cast<int>(500000.0 / std::max(first_us, 1.0)), 5, 2001) | 1;
}

struct Path {
    const char* name;
    double target;  // ratio ours / FFTW aimed at
};

Path path_of(int n) {
    if ((n & (n - 1)) == 0) return {"split-radix", 1.2};
    if (dsp::detail::factorize(n).largest() <= dsp::detail::kMaxMixedFactor)
        return {"mixed-radix", 2.5};
    return {"chirp-z", 4.0};
}

void bench(int n) {
    std::mt19937 gen(n);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> input(n);
    for (double& v : input) v = dist(gen);

    // The first calls build the tables (ours) and warm both up.
    std::vector<double> x(input), y(n);
    const auto t0 = Clock::now();
    if (dsp::ReFFT(x.data(), y.data(), n) != 0) {
        std::printf("%9d  ReFFT failed\n", n);
        return;
    }
    const double first_us = micros(t0, Clock::now());
    double* in = fftw_alloc_real(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_complex* measured_out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    // Measuring runs transforms on the arrays it is given: planned before the input is set.
    fftw_plan measured = fftw_plan_dft_r2c_1d(n, in, measured_out, FFTW_MEASURE);
    std::copy(input.begin(), input.end(), in);
    fftw_execute(measured);
    const auto f0 = Clock::now();
    fftw_execute(plan);
    const double fftw_first_us = micros(f0, Clock::now());

    // Alternating runs, so that all see the same machine load.
    std::vector<double> ours, theirs, measured_us;
    for (int r = 0, reps = repetitions(first_us + fftw_first_us); r < reps; ++r) {
        std::copy(input.begin(), input.end(), x.begin());
        const auto a = Clock::now();
        dsp::ReFFT(x.data(), y.data(), n);
        const auto b = Clock::now();
        fftw_execute(plan);
        const auto c = Clock::now();
        fftw_execute(measured);
        const auto d = Clock::now();
        ours.push_back(micros(a, b));
        theirs.push_back(micros(b, c));
        measured_us.push_back(micros(c, d));
    }

    double largest = 0, worst = 0;
    for (int k = 0; k < n; ++k) {
        const int m = k <= n / 2 ? k : n - k;
        const double ref_re = out[m][0], ref_im = k <= n / 2 ? out[m][1] : -out[m][1];
        largest = std::max(largest, std::hypot(ref_re, ref_im));
        worst = std::max(worst, std::hypot(x[k] - ref_re, y[k] - ref_im));
    }
    fftw_destroy_plan(plan);
    fftw_destroy_plan(measured);
    fftw_free(in);
    fftw_free(out);
    fftw_free(measured_out);

    const Path path = path_of(n);
    const double ratio = median(ours) / median(theirs);
    std::printf("%9d  %-11s %11.2f %11.2f %7.2f %11.2f %7.2f %7.1f  %s %9.1e %12.0f\n", n,
                path.name, median(ours), median(theirs), ratio, median(measured_us),
                median(ours) / median(measured_us), path.target,
                ratio <= path.target ? "yes" : " NO", worst / largest, first_us);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> lengths = {1000, 1024, 4096, 999, 1009, 65536, 1000000, 1048576, 1048583};
    if (argc > 1) {
        lengths.clear();
        for (int i = 1; i < argc; ++i) lengths.push_back(std::atoi(argv[i]));
    }
    std::printf("%9s  %-11s %11s %11s %7s %11s %7s %7s %4s %9s %12s\n", "n", "path", "ReFFT us",
                "ESTIMATE us", "ratio", "MEASURE us", "ratio", "target", "met", "rel.err",
                "1st call us");
    for (const int n : lengths) bench(n);
    return 0;
}
