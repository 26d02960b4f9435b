// The macro file (".mac": four hexadecimal numbers per entry and line) and the names file of
// the external-macro buttons (one word per button).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "macros/entry.h"

namespace macros {

inline constexpr int kExternalMacros = 8;
inline constexpr int kMaxNameLength = 7;
inline constexpr const char* kMacroFolder = "macros";
inline constexpr const char* kNamesFile = "Mnames.txt";

// Either file is a few kilobytes; a larger one is neither, and is Unreadable unread.
inline constexpr std::uintmax_t kMaxMacroFileBytes = 1 << 20;

enum class ReadResult { Ok, Unreadable, TooLong };
// What the entries read are for. The editor's store keeps its end entry inside the table, so a
// file for it holds at most kMaxOperations. A run takes up to kEntries lines, all of the
// table, and reads no further.
enum class FileUse { Store, Run };
// Reads entries until the first line that does not hold four numbers of at most 32 bits, or
// whose kind is the end's (FFFFFFFF). For the store a file with more than kMaxOperations
// entries is refused (TooLong) and *table left as it was; the caller tells the person in its
// own words.
ReadResult read_macro_file(const std::string& path, Table* table, FileUse use = FileUse::Store);
// One line per entry up to the end entry; the file is replaced whole or not at all. False when
// it cannot be written.
bool write_macro_file(const std::string& path, const Table& table);

// The words of the names file in order (at most kExternalMacros); false when it cannot be read.
bool read_names(const std::string& path, std::vector<std::string>* names);
// One name per line, replacing the file whole or not at all.
bool write_names(const std::string& path, const std::vector<std::string>& names);

// A caption the names file can hold: one word of 1 to kMaxNameLength characters.
bool valid_name(const std::string& name);

}  // namespace macros
