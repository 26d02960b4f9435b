// How reading a data file ended. Every reader result carries one of these with the line it
// concerns, so callers can word their own message; the readers show nothing themselves.
#pragma once

#include <string>

namespace chip {

enum class ReadError {
    None,          // every item line was read
    CannotOpen,    // the file could not be opened
    Folder,        // a folder: nothing was read
    NotAFile,      // a FIFO, a device or a socket: nothing was read
    TooLarge,      // larger than a file of the format can be: nothing was read
    CannotRead,    // reading failed part-way; the line is the last one read
    BadItem,       // an item line does not hold what the format expects; the line is that one
    TooManyItems,  // more items than the result can hold; the line is the first surplus item
};

// Why a file was refused before reading (Folder, NotAFile, TooLarge) as a clause: "it is not a
// regular file".
std::string refusal_reason(ReadError e);

}  // namespace chip
