// Everything mkboot prints: the usage text and one message per failure, each ready to be
// written to standard output as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mkboot/image.h"

namespace mkboot {

// The input files in command-line order.
enum class InputFile { Ioreg, Fir1, Fir2, Iir1, Iir2, Tbs };

std::string usage_text();

// The file cannot be opened (or read).
std::string open_error(InputFile file, std::string_view path);
// Item line `line` of the file does not scan.
// A file that is not one or too large to be one; reason is a clause ("it is a folder").
std::string refused_error(InputFile file, std::string_view path, const std::string& reason);
std::string bad_line_error(InputFile file, std::string_view path, int line);
// The register file holds more pairs than the image takes; `line` is the first surplus one.
std::string too_many_registers_error(std::string_view path, int line);
// An IIR file holds fewer coefficients than its stage needs.
std::string too_few_values_error(InputFile file, std::string_view path, std::size_t needed,
                                 std::size_t found);
// The first file of the FIR or IIR pair was given without the second.
std::string missing_partner_error(InputFile given, InputFile missing);
std::string output_error();
// The one line printed once the image is written: its size in bytes and what it holds.
std::string written_summary(const BootImageInputs& image, std::size_t bytes);

}  // namespace mkboot
