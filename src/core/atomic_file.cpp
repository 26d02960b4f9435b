#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace core {

namespace {

// A stream buffer straight onto a file descriptor: every short or failed write shows as a
// failed stream, none is lost in a buffer that is never checked.
class FdBuffer : public std::streambuf {
  public:
    explicit FdBuffer(int fd) : fd_(fd) { setp(buf_, buf_ + sizeof buf_); }
    ~FdBuffer() override = default;
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override {
        if (!drain()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

  private:
    bool drain() {
        for (const char* p = pbase(); p < pptr();) {
            const ssize_t n = ::write(fd_, p, static_cast<std::size_t>(pptr() - p));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error_ = n < 0 ? errno : EIO;
                return false;
            }
            p += n;
        }
        setp(buf_, buf_ + sizeof buf_);
        return true;
    }
    int fd_;
    int error_ = 0;
    char buf_[64 * 1024];
};

Status failed(const char* step, const std::filesystem::path& target, const std::string& why) {
    return Status::failed(
        Fault::FileError, step, {},
        "File " + target.string() + " cannot be written" + (why.empty() ? "." : ": " + why + "."));
}

// The file a save replaces: through a symbolic link to what it names, so the link stays.
std::filesystem::path resolved(const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec)) return target;
    std::filesystem::path to = std::filesystem::read_symlink(target, ec);
    if (ec) return target;
    if (to.is_relative()) to = target.parent_path() / to;
    return resolved(to);
}

}  // namespace

Status write_file_atomically(const std::filesystem::path& target, const FileContent& content) {
    const std::filesystem::path real = resolved(target);
    // An existing file keeps its permissions, and one the user may not write stays as it is:
    // that the folder lets a rename replace it is no permission to change it.
    struct stat old {};
    const bool exists = ::stat(real.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return failed("create", target, "it is not a regular file");
    if (exists && ::access(real.c_str(), W_OK) != 0)
        return failed("create", target, "it is read-only");

    // A unique name in the target's folder, so neither another writer's temporary nor one a
    // killed run left behind can stand in the way.
    const std::filesystem::path folder = real.parent_path().empty() ? "." : real.parent_path();
    std::string temporary = (folder / ("." + real.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return failed("create", target, std::strerror(errno));

    mode_t mode = old.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool written = ::fchmod(fd, mode) == 0;
    int error = written ? 0 : errno;
    if (written) {
        FdBuffer buffer(fd);
        std::ostream out(&buffer);
        written = content(out) && out.flush().good();
        if (!written) error = buffer.error();
    }
    if (written && ::fsync(fd) != 0) written = false, error = errno;
    if (::close(fd) != 0 && written) written = false, error = errno;
    if (written && ::rename(temporary.c_str(), real.c_str()) == 0) return Status::success();
    const int replace_error = written ? errno : 0;
    ::unlink(temporary.c_str());
    if (written) return failed("replace", target, std::strerror(replace_error));
    return failed("write", target, error ? std::strerror(error) : "");
}

Status write_file_atomically(const std::filesystem::path& target, std::string_view content) {
    return write_file_atomically(target, [content](std::ostream& out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return true;
    });
}

}  // namespace core
