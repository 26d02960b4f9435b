#include "core/user_files.h"

#include <unistd.h>

#include <cstdlib>

namespace core {

namespace fs = std::filesystem;

fs::path user_data_dir(const char* xdg_data_home, const char* home) {
    // The base directory rules ignore a relative XDG_DATA_HOME.
    if (xdg_data_home != nullptr && fs::path(xdg_data_home).is_absolute())
        return fs::path(xdg_data_home) / "seisbench";
    if (home != nullptr && *home != '\0') return fs::path(home) / ".local" / "share" / "seisbench";
    return {};
}

fs::path user_dir_for(const fs::path& resource_dir, const fs::path& executable_dir) {
    std::error_code ec;
    if (fs::equivalent(resource_dir, executable_dir, ec)) return {};
    return user_data_dir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

fs::path writable_folder(const fs::path& shipped_dir, const fs::path& user_dir,
                         const std::string& name) {
    const fs::path shipped = shipped_dir / name;
    if (user_dir.empty()) return shipped;
    const fs::path own = user_dir / name;
    std::error_code ec;
    if (fs::is_directory(own, ec)) return own;
    // Copied under a temporary name and renamed, so a copy cut short is never taken for a whole
    // one; two programs starting together both end with one complete folder.
    const fs::path temp = user_dir / (name + ".new" + std::to_string(::getpid()));
    fs::create_directories(user_dir, ec);
    if (!ec) fs::copy(shipped, temp, fs::copy_options::recursive, ec);
    if (!ec) fs::rename(temp, own, ec);
    std::error_code ignored;
    fs::remove_all(temp, ignored);
    return fs::is_directory(own, ignored) ? own : shipped;
}

fs::path user_or_shipped(const fs::path& shipped_dir, const fs::path& user_dir,
                         const std::string& name) {
    std::error_code ec;
    if (!user_dir.empty() && fs::is_regular_file(user_dir / name, ec)) return user_dir / name;
    return shipped_dir / name;
}

}  // namespace core
