// Cache of work buffers for the mixed-radix transform, shared by all threads: repeated
// transforms (averaged spectra) reuse buffers instead of allocating them each time.
#pragma once

#include <cstddef>

namespace dsp {

inline constexpr std::size_t kFFTBufferBytes = 63936;
inline constexpr std::size_t kFFTBufferDoubles = kFFTBufferBytes / sizeof(double);
inline constexpr int kFFTBufferSlots = 4;

// A buffer of kFFTBufferBytes: a cached one when a slot holds one, otherwise a fresh one.
// nullptr when no memory is available.
double* FFTBufferAcquire();

// Gives a buffer back: into the first empty slot, or freed when every slot is full.
void FFTBufferRelease(double* buffer);

// A work buffer held for one scope (if wanted); get() is nullptr when none was wanted or no
// memory was available.
class FFTBufferLease {
  public:
    explicit FFTBufferLease(bool wanted = true) : buffer_(wanted ? FFTBufferAcquire() : nullptr) {}
    ~FFTBufferLease() { FFTBufferRelease(buffer_); }
    FFTBufferLease(const FFTBufferLease&) = delete;
    FFTBufferLease& operator=(const FFTBufferLease&) = delete;

    double* get() const { return buffer_; }

  private:
    double* buffer_;
};

}  // namespace dsp
