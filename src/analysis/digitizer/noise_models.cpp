#include "analysis/digitizer/noise_models.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>

namespace analysis::digitizer {

namespace {

// From the period in the first column up to the next row's, the model is A + B log10(T).
struct Segment {
    double period, a, b;
};

constexpr Segment kLow[] = {
    {0.10, -162.36, 5.64},    {0.17, -166.70, 0.00},    {0.40, -170.00, -8.30},
    {0.80, -166.40, 28.90},   {1.24, -168.60, 52.48},   {2.40, -159.98, 29.81},
    {4.30, -141.10, 0.00},    {5.00, -71.36, -99.77},   {6.00, -97.26, -66.49},
    {10.00, -132.18, -31.57}, {12.00, -205.27, 36.16},  {15.60, -37.65, -104.33},
    {21.90, -114.37, -47.10}, {31.60, -160.58, -16.28}, {45.00, -187.50, 0.00},
    {70.00, -216.47, 15.70},  {101.00, -185.00, 0.00},  {154.00, -168.34, -7.61},
    {328.00, -217.43, 11.90}, {600.00, -258.28, 26.60}, {10000.00, -346.88, 48.75},
    {100000.00, 0.0, 0.0},
};

constexpr Segment kHigh[] = {
    {0.10, -108.73, -17.23}, {0.22, -150.34, -80.50},  {0.32, -122.31, -23.87},
    {0.80, -116.85, 32.51},  {3.80, -108.48, 18.08},   {4.60, -74.66, -32.95},
    {6.30, 0.66, -127.18},   {7.90, -93.37, -22.42},   {15.40, 73.54, -162.98},
    {20.00, -151.52, 10.01}, {354.80, -206.66, 31.63}, {100000.00, 0.0, 0.0},
};

template <std::size_t N>
double model(const Segment (&table)[N], double period) {
    if (!(period >= table[0].period && period <= table[N - 1].period))
        return std::numeric_limits<double>::quiet_NaN();
    std::size_t i = 0;
    while (i + 2 < N && period >= table[i + 1].period) ++i;
    return table[i].a + table[i].b * std::log10(period);
}

}  // namespace

double low_noise_model_db(double period_s) {
    return model(kLow, period_s);
}

double high_noise_model_db(double period_s) {
    return model(kHigh, period_s);
}

double acceleration_db(double v2_per_hz, double f_hz, double volts_per_m_per_s) {
    const double w = 2.0 * std::numbers::pi * f_hz;
    return 10.0 * std::log10(v2_per_hz / (volts_per_m_per_s * volts_per_m_per_s) * w * w);
}

}  // namespace analysis::digitizer
