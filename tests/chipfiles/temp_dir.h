// A fresh directory under the system's temporary folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
  public:
    TempDir() {
        std::random_device random;
        for (int attempt = 0; attempt < 16; ++attempt) {
            path_ = std::filesystem::temp_directory_path() /
                    ("seisbench-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_)) return;
        }
        throw std::runtime_error("cannot create a temporary directory");
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path path(std::string_view name) const { return path_ / name; }

    // Writes content byte for byte and returns the file's full path.
    std::string write(std::string_view name, std::string_view content) const {
        std::ofstream out(path(name), std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return path(name).string();
    }

    std::string read(std::string_view name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
