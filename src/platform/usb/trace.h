// The bus trace: one JSON object per line for every device-library call that opens, closes,
// flushes or moves bytes, stamped with the program's clock. The library holds a null pointer
// when tracing is off, so an untraced call costs one test of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/clock/clock.h"

namespace usb {

class Trace {
  public:
    // Appends to the file; good() is false when it cannot be opened.
    Trace(const std::string& path, const platform::Clock& clock);
    bool good() const { return static_cast<bool>(out_); }

    // {"t":SECONDS,"op":"write","data":"fe01..."}; data is left out when empty.
    void record(const char* op, const std::uint8_t* data = nullptr, std::size_t n = 0);
    // Why the first line that could not be written was lost (a full disk, say); empty while
    // every line has reached the file. Lines after a lost one are not written, so the file
    // never holds a trace with a hole in it.
    const std::string& lost() const { return lost_; }

  private:
    std::ofstream out_;
    std::string lost_;
    const platform::Clock& clock_;
};

}  // namespace usb
