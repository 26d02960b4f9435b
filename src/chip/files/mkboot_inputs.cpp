#include "chip/files/mkboot_inputs.h"

#include <algorithm>

#include "chip/files/number_scan.h"
#include "chip/files/read_items.h"

namespace chip {

RegisterFile read_register_stream(std::istream& in) {
    RegisterFile result;
    detail::read_items(in, kRegisterCapacity, detail::AtCapacity::Report, result,
                       [&result](std::string_view text, std::size_t index) {
                           RegisterPair pair;
                           if (!scan_hex(text, pair.address) || !scan_hex(text, pair.value)) {
                               return false;
                           }
                           result.pairs[index] = pair;
                           return true;
                       });
    return result;
}

RegisterFile read_register_file(const std::filesystem::path& path) {
    return detail::read_path<RegisterFile>(path, detail::max_file_bytes(kRegisterCapacity),
                                           read_register_stream);
}

ValueFile read_value_stream(std::istream& in, std::size_t limit) {
    ValueFile result;
    detail::read_items(in, std::min(limit, kTbsValueLimit), detail::AtCapacity::Stop, result,
                       [&result](std::string_view text, std::size_t index) {
                           return scan_decimal(text, result.values[index]);
                       });
    return result;
}

ValueFile read_value_file(const std::filesystem::path& path, std::size_t limit) {
    return detail::read_path<ValueFile>(
        path, detail::max_file_bytes(std::min(limit, kTbsValueLimit)),
        [limit](std::istream& in) { return read_value_stream(in, limit); });
}

}  // namespace chip
