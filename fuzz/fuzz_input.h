#pragma once
// What the fuzz targets share: the input as text, and as a file for readers that take a path.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz {

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A file holding the input, in the temporary folder, removed on destruction. One name per
// process, so parallel fuzzing jobs do not share it.
class InputFile {
  public:
    InputFile(const std::uint8_t* data, std::size_t size, const std::string& suffix = ".txt")
        : path_(std::filesystem::temp_directory_path() /
                ("seisbench-fuzz-" + std::to_string(::getpid()) + suffix)) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ~InputFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace fuzz
