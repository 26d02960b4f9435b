// Programming, verifying and dumping the board's boot EEPROM one byte per frame. Each
// operation returns its outcome with the message the person is shown for it; the panel
// callbacks ask for the file and the addresses, run the operation and show that message.
#pragma once

#include <functional>
#include <string>

#include "core/status.h"

namespace debugtools {

struct Context;

// Told after every byte: bytes done, bytes in all, seconds left at the pace so far. Returning
// false stops the run before the next byte. May be empty.
using Progress = std::function<bool(int done, int total, double seconds_left)>;

// The step a failed write enable reports; the panel shows "Error enabling EEPROM write"
// before the run's own message for it.
inline constexpr const char* kStepWriteEnable = "EEPROM write enable";
// Attempts at one byte before programming gives up on it.
inline constexpr int kWriteAttempts = 127;

// Writes the data file's bytes from address 0, each read back and retried until it matches,
// printing one line per attempt. The file is checked whole before the first frame.
core::Status program_eeprom(const Context& cx, const std::string& path,
                            const Progress& progress = {});
// Compares the EEPROM with the data file, a mismatch read a second time, one line per byte.
core::Status verify_eeprom(const Context& cx, const std::string& path,
                           const Progress& progress = {});
// Reads [start, end) into the dump file, the addresses as the prompts answer them
// (hexadecimal). An answer that is no number leaves an empty file and no message.
core::Status dump_eeprom(const Context& cx, const std::string& path, const std::string& start,
                         const std::string& end, const Progress& progress = {});

// Shows an outcome's message (after the write-enable message its step calls for).
void show_eeprom_outcome(const Context& cx, const core::Status& s);

int write_eeprom_cmd_usb(const Context& cx);
int verify_eeprom_cmd_usb(const Context& cx);
int dump_eeprom_cmd(const Context& cx);

}  // namespace debugtools
