#include "mkboot/messages.h"

#include <array>

#include "chip/files/mkboot_inputs.h"
#include "mkboot/mkboot.h"

namespace mkboot {

namespace {

struct InputText {
    std::string_view label;        // how the messages name the file
    std::string_view open_suffix;  // what follows the path in the open error
    std::string_view item;         // what one item line holds
};

constexpr std::array<InputText, 6> kInputTexts = {{
    {"IOREG data file", " ***\n\n", "an 'addr data' pair of hex values"},
    {"FIR1 coeff file", ". ***\n\n", "a floating point number"},
    {"FIR2 coeff file", ". ***\n\n", "a floating point number"},
    {"IIR1 coeff file", ". ***\n\n", "a floating point number"},
    {"IIR2 coeff file", ". ***\n\n", "a floating point number"},
    {"TBS data file", ". ***\n\n", "a floating point number"},
}};

const InputText& text_of(InputFile file) {
    return kInputTexts[static_cast<std::size_t>(file)];
}

std::string reading_error(InputFile file, std::string_view path, const std::string& detail) {
    return "\n\n*** Error reading " + std::string(text_of(file).label) + " " + std::string(path) +
           ": " + detail + ". ***\n\n";
}

}  // namespace

std::string usage_text() {
    return "\n\nUsage:  mkboot <ioreg> [<fir1> <fir2> <iir1> <iir2> <tbsdata>]\n\n"
           "  'ioreg' is a file of register values in 'addr data' format.\n"
           "          'addr' and 'data' are hex values separated by a space.\n"
           "  'fir1' is a file of up to 256 floating point FIR coefficients.\n"
           "  'fir2' is a file of up to 256 floating point FIR coefficients.\n"
           "  'iir1' is a file of 3 floating point IIR 1st order coefficients.\n"
           "  'iir2' is a file of 5 floating point IIR 2nd order coefficients.\n"
           "  'tbsdata' is a file of up to 1025 floating point TBS data values.\n\n"
           "  Note: Coefficient and TBS data should be normalized to 1.0 for proper scaling.\n"
           "        If no files are specified, ROM coefficients and ROM TBS data are used.\n"
           "        All files use # in column 1 to designate comments.\n"
           "        Blank lines (without spaces) are skipped.\n\n";
}

std::string open_error(InputFile file, std::string_view path) {
    const InputText& t = text_of(file);
    return "\n\n*** Error opening " + std::string(t.label) + " " + std::string(path) +
           std::string(t.open_suffix);
}

std::string refused_error(InputFile file, std::string_view path, const std::string& reason) {
    return reading_error(file, path, reason);
}

std::string bad_line_error(InputFile file, std::string_view path, int line) {
    return reading_error(
        file, path, "line " + std::to_string(line) + " is not " + std::string(text_of(file).item));
}

std::string too_many_registers_error(std::string_view path, int line) {
    return reading_error(InputFile::Ioreg, path,
                         "more than " + std::to_string(chip::kRegisterCapacity) +
                             " register pairs (line " + std::to_string(line) + ")");
}

std::string too_few_values_error(InputFile file, std::string_view path, std::size_t needed,
                                 std::size_t found) {
    return reading_error(
        file, path,
        std::to_string(needed) + " coefficients needed, " + std::to_string(found) + " found");
}

std::string missing_partner_error(InputFile given, InputFile missing) {
    return "\n\n*** " + std::string(text_of(given).label) + " given without " +
           std::string(text_of(missing).label) +
           ": give both files of the pair or neither. Nothing was written. ***\n\n";
}

std::string output_error() {
    return "\n\n*** Error opening EPROM write file. ***\n\n";
}

std::string written_summary(const BootImageInputs& image, std::size_t bytes) {
    std::string text = "mkboot: wrote " + std::string(kOutputName) + ": " + std::to_string(bytes) +
                       " bytes, " + std::to_string(image.registers.size()) +
                       (image.registers.size() == 1 ? " register" : " registers");
    if (image.fir)
        text += ", FIR " + std::to_string(image.fir->first.size()) + " + " +
                std::to_string(image.fir->second.size());
    if (image.iir)
        text += ", IIR " + std::to_string(image.iir->first.size()) + " + " +
                std::to_string(image.iir->second.size());
    if (!image.fir && !image.iir && !image.tbs) text += ", ROM coefficients";
    text += image.tbs ? ", TBS " + std::to_string(image.tbs->size()) : ", ROM TBS";
    return text + "\n";
}

}  // namespace mkboot
