#include "core/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <sstream>

namespace core {

std::string refusal_reason(Refusal r) {
    switch (r) {
        case Refusal::None:
            return {};
        case Refusal::CannotOpen:
            return "it cannot be opened";
        case Refusal::Folder:
            return "it is a folder";
        case Refusal::NotAFile:
            return "it is not a regular file (a FIFO, a device or a socket)";
        case Refusal::TooLarge:
            return "it is larger than such a file can be";
    }
    return {};
}

InputFile::InputFile(const std::filesystem::path& path, std::uintmax_t max_bytes)
    : max_bytes_(max_bytes) {
    // O_NONBLOCK keeps a FIFO without a writer from holding the open for ever; the kind of
    // file is checked on the open descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat st {};
    if (fd < 0) {
        refusal_ = Refusal::CannotOpen;
        reason_ = std::strerror(errno);
    } else if (::fstat(fd, &st) != 0) {
        refusal_ = Refusal::CannotOpen;
        reason_ = std::strerror(errno);
    } else if (S_ISDIR(st.st_mode)) {
        refusal_ = Refusal::Folder;
    } else if (!S_ISREG(st.st_mode)) {
        refusal_ = Refusal::NotAFile;
    } else if (static_cast<std::uintmax_t>(st.st_size) > max_bytes) {
        refusal_ = Refusal::TooLarge;
        reason_ = "it is larger than " + std::to_string(max_bytes) +
                  " bytes, more than such a file can be";
    }
    if (refusal_ != Refusal::None) {
        if (reason_.empty()) reason_ = refusal_reason(refusal_);
        if (fd >= 0) ::close(fd);
        buf_ = std::make_unique<std::stringbuf>();
    } else {
        size_ = static_cast<std::uintmax_t>(st.st_size);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        buf_ = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(fd, std::ios::in);
    }
    stream_ = std::make_unique<std::istream>(buf_.get());
}

InputFile::~InputFile() = default;

bool InputFile::read_all(std::string* text) {
    if (!ok()) return false;
    std::string all;
    all.reserve(static_cast<std::size_t>(size_));
    char chunk[65536];
    while (stream_->read(chunk, sizeof chunk) || stream_->gcount() > 0) {
        all.append(chunk, static_cast<std::size_t>(stream_->gcount()));
        if (all.size() > max_bytes_) return false;
    }
    if (stream_->bad()) return false;
    *text = std::move(all);
    return true;
}

}  // namespace core
