// Welch estimates of the auto- and cross-spectra of up to four channels sampled together:
// segments of one length, overlapped, windowed, transformed, and averaged over every segment of
// every block added. One-sided densities in counts²/Hz: P_ij(f) = 2 E[conj(X_i) X_j] /
// (fs · Σw²), the DC and Nyquist bins not doubled. Segments never span two blocks, since
// blocks of a capture are not contiguous in time.
#pragma once

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace analysis::digitizer {

struct WelchSettings {
    int segment = 4096;     // points per segment; a shorter block sets it to its own length
    double overlap = 50.0;  // percent of a segment shared with the next, 0 to 95
    int window_index = 1;   // the analysis windows; 0 for none
    double fs = 1.0;        // samples per second
};

class CrossSpectra {
  public:
    CrossSpectra(const WelchSettings& settings, int channels);

    // One block: channels() arrays of the same length. The first block fixes the segment
    // length; a later block shorter than it, or arrays of unequal length, add nothing and
    // return false.
    bool add_block(std::span<const std::span<const std::int32_t>> block);

    int channels() const { return channels_; }
    int segment_length() const { return length_; }
    // Samples from one segment's start to the next's; 0 before any block.
    int step() const { return step_; }
    int segments() const { return segments_; }
    int bins() const { return length_ > 0 ? length_ / 2 + 1 : 0; }
    double bin_width() const { return length_ > 0 ? settings_.fs / length_ : 0.0; }
    double frequency(int bin) const { return bin * bin_width(); }
    // The first bin clear of a constant input's leakage through the window.
    int first_clean_bin() const { return first_clean_; }

    // P_ii, counts²/Hz; empty before any segment.
    std::vector<double> psd(int channel) const;
    // P_ij(bin) = E[conj(X_i) X_j], counts²/Hz; P_ji is its conjugate.
    std::complex<double> cross(int i, int j, int bin) const;

  private:
    int pair(int i, int j) const;

    WelchSettings settings_;
    int channels_;
    int length_ = 0;
    int step_ = 0;
    int first_clean_ = 1;
    int segments_ = 0;
    double scale_ = 0.0;  // 2 / (fs · Σw²)
    std::vector<double> window_;
    // Sums of conj(X_i) X_j over segments, pairs i <= j in row order, bins() each.
    std::vector<std::vector<std::complex<double>>> sums_;
    std::vector<std::vector<std::complex<double>>> spectra_;  // one segment's X per channel
    std::vector<double> work_re_, work_im_;
};

}  // namespace analysis::digitizer
