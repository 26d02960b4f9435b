#include "core/atomic_file.h"

#include <cstdio>
#include <string>
#include <system_error>

namespace core {

namespace {

// Names tried beside the target: "NAME.tmp", then "NAME.1.tmp" ... while earlier ones exist.
constexpr int kTemporaryNames = 16;

std::filesystem::path temporary_name(const std::filesystem::path& target, int attempt) {
    std::filesystem::path name = target;
    name += attempt == 0 ? ".tmp" : "." + std::to_string(attempt) + ".tmp";
    return name;
}

// A stream buffer over a C file, which alone of the standard's files can be created
// exclusively ("x").
class FileBuffer : public std::streambuf {
  public:
    explicit FileBuffer(std::FILE* f) : f_(f) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(c, f_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), f_));
    }

  private:
    std::FILE* f_;
};

Status failed(const char* step, const std::filesystem::path& target) {
    return Status::failed(Fault::FileError, step, {},
                          "File " + target.string() + " cannot be written.");
}

}  // namespace

Status write_file_atomically(const std::filesystem::path& target, const FileContent& content) {
    std::filesystem::path temporary;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < kTemporaryNames && f == nullptr; ++attempt) {
        temporary = temporary_name(target, attempt);
        f = std::fopen(temporary.string().c_str(), "wbx");
    }
    if (f == nullptr) return failed("create", target);

    bool written = false;
    {
        FileBuffer buffer(f);
        std::ostream out(&buffer);
        written = content(out) && out.flush().good();
    }
    written = std::fflush(f) == 0 && written;
    written = std::fclose(f) == 0 && written;
    std::error_code ec;
    if (written) {
        std::filesystem::rename(temporary, target, ec);
        if (!ec) return Status::success();
    }
    std::filesystem::remove(temporary, ec);
    return failed(written ? "replace" : "write", target);
}

Status write_file_atomically(const std::filesystem::path& target, std::string_view content) {
    return write_file_atomically(target, [content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return true;
    });
}

}  // namespace core
