#include "dsp/fft_buffer.h"

#include <mutex>
#include <new>

namespace dsp {

namespace {

class FFTBufferCache {
  public:
    FFTBufferCache() {
        for (double*& slot : slots_) slot = new (std::nothrow) double[kFFTBufferDoubles];
    }
    ~FFTBufferCache() { DestroyFFTBufferCache(); }
    FFTBufferCache(const FFTBufferCache&) = delete;
    FFTBufferCache& operator=(const FFTBufferCache&) = delete;

    double* take() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (double*& slot : slots_) {
                if (slot != nullptr) {
                    double* buffer = slot;
                    slot = nullptr;
                    return buffer;
                }
            }
        }
        return new (std::nothrow) double[kFFTBufferDoubles];
    }

    void give(double* buffer) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (double*& slot : slots_) {
                if (slot == nullptr) {
                    slot = buffer;
                    return;
                }
            }
        }
        delete[] buffer;
    }

  private:
    void DestroyFFTBufferCache() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (double*& slot : slots_) {
            delete[] slot;
            slot = nullptr;
        }
    }

    std::mutex mutex_;
    double* slots_[kFFTBufferSlots] = {};
};

// Built on first use (thread-safe one-time initialisation), destroyed at program exit.
FFTBufferCache& cache() {
    static FFTBufferCache instance;
    return instance;
}

}  // namespace

double* FFTBufferAcquire() {
    return cache().take();
}

void FFTBufferRelease(double* buffer) {
    if (buffer != nullptr) cache().give(buffer);
}

}  // namespace dsp
