// Writing a file so that it is either complete or not there at all. The content goes to a new
// temporary file of a unique name in the target's folder (created exclusively, so neither
// another writer's temporary nor one a killed run left behind is taken over or stands in the
// way), is flushed to disk and closed, and only then renamed over the target. Any failure
// leaves an earlier target untouched and removes the temporary file. The new file keeps the
// old one's permissions; a symbolic link keeps pointing at the file, which is replaced; a file
// the user may not write is not replaced. Every file the program writes goes through here.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string_view>

#include "core/status.h"

namespace core {

// Writes the file's content to the stream; false abandons the write.
using FileContent = std::function<bool(std::ostream&)>;

// Fault::FileError on failure, with step "create", "write" or "replace" and the reason in the
// message ("File X cannot be written: No space left on device.").
Status write_file_atomically(const std::filesystem::path& target, const FileContent& content);
Status write_file_atomically(const std::filesystem::path& target, std::string_view content);

}  // namespace core
