// Writing the output so that it is either complete or not there: the text goes to a fresh
// temporary file beside the target, which is renamed over the target only once it was
// written and closed without error. A failure leaves an earlier target untouched and
// removes the temporary file.
#pragma once

#include <filesystem>
#include <string_view>

namespace mkboot {

bool write_file_replacing(const std::filesystem::path& target, std::string_view content);

}  // namespace mkboot
