#include "mkboot/output_file.h"

#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace mkboot {

namespace {

// Tries a few random names; "x" opens only a file that does not exist yet, so another
// writer's temporary file is never taken over.
std::FILE* open_temporary(const std::filesystem::path& target, std::filesystem::path& name) {
    constexpr int kAttempts = 8;
    std::random_device random;
    for (int i = 0; i < kAttempts; ++i) {
        name = target;
        name += "." + std::to_string(random()) + ".tmp";
        if (std::FILE* f = std::fopen(name.string().c_str(), "wbx")) return f;
    }
    return nullptr;
}

}  // namespace

bool write_file_replacing(const std::filesystem::path& target, std::string_view content) {
    std::filesystem::path temporary;
    std::FILE* f = open_temporary(target, temporary);
    if (f == nullptr) return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    const bool closed = std::fclose(f) == 0;
    std::error_code ec;
    if (written && closed) {
        std::filesystem::rename(temporary, target, ec);
        if (!ec) return true;
    }
    std::filesystem::remove(temporary, ec);
    return false;
}

}  // namespace mkboot
