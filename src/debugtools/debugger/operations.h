// The debugger's operations, each with its outcome: what the two panels and the command line
// call. Transfer failures have shown their "Debug Error" when these return; the messages an
// outcome carries (range, download, warning) are the caller's to show.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "debugtools/debugger/state.h"

namespace debugger {

struct Context;

enum class Memory { Program, Data };

// A plain command: RESET, HALT, CONTINUE, SINGLE_STEP.
core::Status simple_command(const Context& cx, int code);

// Sends the command of the state. words starts as the state's data words and receives the
// words read; on success the log lines: the command's name and word, one line per shown
// word, an empty line.
core::Status send_command(const Context& cx, const CommandPanelState& s, std::vector<int>& words,
                          std::vector<std::string>* log);

// "Address Error" / "Address range is invalid." when end < start or the range runs past
// the 14-bit address space.
core::Status check_dump_range(int start, int end);
// Reads start..end in chunks of 8, 2 or 1 words; each chunk's lines ("0x%04X 0x%06X") go to
// on_chunk as soon as they are read. A progress window shows the words read; its Cancel ends
// the dump with "Dump cancelled." (Fault::Cancelled), the lines read kept.
core::Status dump_memory(const Context& cx, Memory m, int start, int end,
                         const std::function<void(const std::vector<std::string>&)>& on_chunk);

// Writes a dump's lines to path, replacing the file whole. A dump that failed part-way keeps
// every line read, then a last line that says at which address and why it stopped; its outcome
// tells the person so. A file that cannot be written fails with "File Error".
core::Status save_dump(const std::string& path, Memory m, int start,
                       const std::vector<std::string>& lines, const core::Status& dumped);

// Downloads one image file, one word per block write; stops at the first failure.
core::Status download_image(const Context& cx, Memory m, const std::string& path);
// The completion message of a download of one file, or of both.
core::Status download_done(bool program, bool data);

// Runs to a breakpoint at b. still_on is the run toggle, read after pending events ran; each
// polled PC (nothing while the stack is empty) goes to show_pc. reached tells whether the
// core stopped at b, as its PC shows; the PC is then set back to b. A failure after the breakpoint
// word went in carries the warning that names b.
core::Status run_to_break(const Context& cx, int b, const std::function<bool()>& still_on,
                          const std::function<void(std::optional<int>)>& show_pc, bool* reached);

// A register write by selector value v: v mod 100 the write code, v div 100 the index;
// values are the three value fields (S, value, Lo).
core::Status write_register(const Context& cx, int v, int first, int second, int third);
// The selector value of a register name ("ACC0", "AR3", "MAR5", "IO12", "PC"...).
std::optional<int> selector_by_name(const std::string& name);
// Every name selector_by_name takes, indexed ones spelt out ("AR0" ... "AR7").
std::vector<std::string> register_names();
core::Status write_pc(const Context& cx, int value);

// Raw access to the two debugger registers: one 6-byte write without handshake, two reads.
core::Status test_write(const Context& cx, int deb_data, int deb_stat);
core::Status test_read(const Context& cx, int* deb_data, int* deb_stat);

}  // namespace debugger
