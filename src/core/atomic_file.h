// Writing a file so that it is either complete or not there at all. The content goes to a new
// temporary file in the target's folder (created exclusively, so an existing file of that name,
// another writer's or a stale one, is never taken over), is flushed and closed, and only then
// renamed over the target. Any failure leaves an earlier target untouched and removes the
// temporary file. Every file the program writes goes through here.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string_view>

#include "core/status.h"

namespace core {

// Writes the file's content to the stream; false abandons the write.
using FileContent = std::function<bool(std::ostream&)>;

// Fault::FileError on failure, with step "create", "write" or "replace".
Status write_file_atomically(const std::filesystem::path& target, const FileContent& content);
Status write_file_atomically(const std::filesystem::path& target, std::string_view content);

}  // namespace core
