// Peterson's new low and high noise models of the Earth's ground acceleration (USGS Open-File
// Report 93-322, 1993), and a digitizer's noise seen through a flat-velocity seismometer, so the
// converter's self-noise can be set against the quietest and noisiest sites.
#pragma once

namespace analysis::digitizer {

// dB re 1 (m/s²)²/Hz at a period in seconds; NaN outside the models' 0.1 s to 100,000 s.
double low_noise_model_db(double period_s);
double high_noise_model_db(double period_s);

// A voltage PSD (V²/Hz) at frequency f as the ground acceleration PSD, dB re 1 (m/s²)²/Hz, for
// a sensor flat in velocity with sensitivity V/(m/s).
double acceleration_db(double v2_per_hz, double f_hz, double volts_per_m_per_s);

}  // namespace analysis::digitizer
