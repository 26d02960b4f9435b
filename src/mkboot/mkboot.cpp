#include "mkboot/mkboot.h"

#include <array>

#include "chip/files/mkboot_inputs.h"
#include "core/atomic_file.h"
#include "mkboot/image.h"
#include "mkboot/messages.h"

namespace mkboot {

namespace {

constexpr std::size_t kMaxPaths = 6;

// The value files after the register file, in command-line order.
struct ValueInput {
    InputFile file;
    std::size_t limit;   // values read at most
    std::size_t needed;  // values the image takes at least
};

constexpr std::array<ValueInput, 5> kValueInputs = {{
    {InputFile::Fir1, chip::kFirValueLimit, 0},
    {InputFile::Fir2, chip::kFirValueLimit, 0},
    {InputFile::Iir1, chip::kIir1ValueLimit, chip::kIir1ValuesUsed},
    {InputFile::Iir2, chip::kIir2ValueLimit, chip::kIir2ValuesUsed},
    {InputFile::Tbs, chip::kTbsValueLimit, 0},
}};

// The message for a read that did not succeed, or an empty text.
template <typename Result>
std::string read_problem(InputFile file, const std::string& path, const Result& result) {
    switch (result.error) {
        case chip::ReadError::None:
            return {};
        case chip::ReadError::CannotOpen:
        case chip::ReadError::CannotRead:
            return open_error(file, path);
        case chip::ReadError::Folder:
        case chip::ReadError::NotAFile:
        case chip::ReadError::TooLarge:
            return refused_error(file, path, chip::refusal_reason(result.error));
        case chip::ReadError::BadItem:
            return bad_line_error(file, path, result.error_line);
        case chip::ReadError::TooManyItems:  // only the register file reports surplus items
            return too_many_registers_error(path, result.error_line);
    }
    return {};
}

}  // namespace

int run(std::span<const std::string> args, const std::filesystem::path& out_dir,
        std::ostream& out) {
    // Asked for, the usage is an answer; given instead of the inputs, it is an error.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << usage_text();
        return 0;
    }
    if (args.empty() || args.size() > kMaxPaths) {
        out << usage_text();
        return 1;
    }
    if (args.size() == 2 || args.size() == 4) {
        const bool fir = args.size() == 2;
        out << missing_partner_error(fir ? InputFile::Fir1 : InputFile::Iir1,
                                     fir ? InputFile::Fir2 : InputFile::Iir2);
        return 1;
    }

    const chip::RegisterFile registers = chip::read_register_file(args[0]);
    if (std::string problem = read_problem(InputFile::Ioreg, args[0], registers);
        !problem.empty()) {
        out << problem;
        return 1;
    }
    std::array<chip::ValueFile, kValueInputs.size()> values;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        const ValueInput& input = kValueInputs[i];
        const std::string& path = args[i + 1];
        values[i] = chip::read_value_file(path, input.limit);
        std::string problem = read_problem(input.file, path, values[i]);
        if (problem.empty() && values[i].count < input.needed) {
            problem = too_few_values_error(input.file, path, input.needed, values[i].count);
        }
        if (!problem.empty()) {
            out << problem;
            return 1;
        }
    }

    BootImageInputs image;
    image.registers = {registers.pairs.data(), registers.count};
    if (args.size() >= 3) {
        image.fir = FirStages{{values[0].values.data(), values[0].count},
                              {values[1].values.data(), values[1].count}};
    }
    if (args.size() >= 5) {
        image.iir = IirStages{std::span<const double, chip::kIir1ValuesUsed>(
                                  values[2].values.data(), chip::kIir1ValuesUsed),
                              std::span<const double, chip::kIir2ValuesUsed>(
                                  values[3].values.data(), chip::kIir2ValuesUsed)};
    }
    if (args.size() == kMaxPaths) {
        image.tbs = std::span<const double>(values[4].values.data(), values[4].count);
    }
    const std::vector<std::uint8_t> bytes = build_image(image);
    if (!core::write_file_atomically(out_dir / kOutputName, image_text(bytes))) {
        out << output_error();
        return 1;
    }
    out << written_summary(image, bytes.size());
    return 0;
}

}  // namespace mkboot
