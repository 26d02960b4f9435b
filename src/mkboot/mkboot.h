// mkboot: builds the boot-EEPROM image "mkboot.out" from a register file and optional
// FIR, IIR and TBS files.
//
//   mkboot ioreg [fir1 fir2 iir1 iir2 tbsdata]
//
// One, three, five or six paths in this order. Two or four paths (a FIR or IIR stage
// without its partner) are refused with a message and nothing is written, as is any input
// that cannot be opened or read; all inputs are read before the output is written, and the
// output replaces an earlier "mkboot.out" only once it is complete.
#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string>

namespace mkboot {

inline constexpr const char* kOutputName = "mkboot.out";

// Runs the tool on args (the paths, without the program name), writing kOutputName into
// out_dir, and to out the usage text, a message, or once the image is written one line of
// what it holds. Returns the exit status: 0 once the image is written, 1 after the usage text
// or an error.
int run(std::span<const std::string> args, const std::filesystem::path& out_dir, std::ostream& out);

}  // namespace mkboot
