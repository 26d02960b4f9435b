// Opening a file a person named for reading. Whatever the name stands for, opening it never
// blocks (a FIFO with no writer, a terminal), and only a regular file no larger than its format
// can ever be is handed on: a folder, a device, a socket or an oversized file is refused with
// the reason before a byte of it is read. Every reader opens its file here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <string>

namespace core {

enum class Refusal {
    None,
    CannotOpen,  // missing, or the user may not read it
    Folder,
    NotAFile,  // a FIFO, a device or a socket
    TooLarge,  // larger than its format's bound
};

// The reason as a clause for a message: "it is a folder".
std::string refusal_reason(Refusal r);

class InputFile {
  public:
    // max_bytes is the largest file the format can be.
    InputFile(const std::filesystem::path& path, std::uintmax_t max_bytes);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool ok() const { return refusal_ == Refusal::None; }
    Refusal refusal() const { return refusal_; }
    // Why it was refused, with the system's reason where there is one: "No such file or
    // directory", "it is a folder", "it is larger than 4194304 bytes, more than such a file
    // can be".
    const std::string& reason() const { return reason_; }
    // The file's stream; reads nothing when the file was refused.
    std::istream& stream() { return *stream_; }
    std::uintmax_t size() const { return size_; }
    // The whole file; false (and *text untouched) when it could not be read or grew past its
    // bound while being read.
    bool read_all(std::string* text);

  private:
    Refusal refusal_ = Refusal::None;
    std::string reason_;
    std::uintmax_t size_ = 0;
    std::uintmax_t max_bytes_ = 0;
    std::unique_ptr<std::streambuf> buf_;
    std::unique_ptr<std::istream> stream_;
};

}  // namespace core
