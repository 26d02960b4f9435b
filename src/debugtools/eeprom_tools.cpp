#include "debugtools/eeprom_tools.h"

#include <cstdio>
#include <vector>

#include "core/atomic_file.h"
#include "debugtools/context.h"
#include "debugtools/eeprom_file.h"
#include "debugtools/eeprom_link.h"

namespace debugtools {

namespace {

const char* const kEepromError = "EEPROM Error";
const char* const kSelectData = "Select EEPROM Data File";
// The address prompts take at most four hexadecimal digits.
constexpr int kAddressDigits = 4;

std::string format(const char* fmt, auto... args) {
    char buf[160];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

int data_bytes(const std::vector<DataLine>& lines) {
    int n = 0;
    for (const auto& l : lines) n += l.value.has_value();
    return n;
}

// Paces a run: reports each byte done and says whether to go on.
class Pace {
  public:
    Pace(const Context& cx, const Progress& progress, int total)
        : cx_(cx), progress_(progress), total_(total), start_(cx.ui.Timer()) {}
    bool carry_on(int done) const {
        if (!progress_ || total_ == 0) return true;
        const double spent = cx_.ui.Timer() - start_;
        const double left = done > 0 ? spent / done * (total_ - done) : 0.0;
        return progress_(done, total_, left);
    }

  private:
    Context cx_;
    const Progress& progress_;
    int total_;
    double start_;
};

core::Status cancelled(const char* what, int done, int total) {
    std::string text = format("%s cancelled after %d of %d bytes.", what, done, total);
    if (done > 0) text += format("\nAddresses 0000 to %04X were done; the rest was not.", done - 1);
    return core::Status::failed(core::Fault::Cancelled, "cancel", "Cancelled", text);
}

core::Status program_error(const core::Status& cause) {
    return cause.with_message(kEepromError, "Error programming EEPROM.");
}

core::Status enable_failed(const core::Status& cause) {
    core::Status failed = program_error(cause);
    failed.step = kStepWriteEnable;
    return failed;
}

// Up to kWriteAttempts writes of the byte, each read back; success once it reads back right.
// An attempt whose write failed is the last; a failed read-back ends the run, as a read that
// yields 0 must not pass for a written 0.
core::Status write_byte(const Context& cx, int address, std::uint8_t value, bool* matched) {
    *matched = false;
    core::Status error;
    const int data = value;
    for (int attempt = 0; attempt < kWriteAttempts && !*matched && error; ++attempt) {
        // Every write clears the part's write-enable latch: a retry needs its own enable, or
        // it could never store anything.
        if (attempt > 0)
            if (core::Status s = eeprom_instruction(cx.port, kEepromWriteEnable); !s)
                return enable_failed(s);
        error = eeprom_write(cx.port, 1, address, &data);
        std::uint8_t back = 0;
        const core::Status read = eeprom_read(cx.port, 1, address, &back);
        cx.ui.Print(format("Address: %04x: eeprom_write: %02x  eeprom_readback: %02x\n", address,
                           value, back));
        if (!read) return read;
        *matched = back == value;
    }
    return error;
}

}  // namespace

core::Status program_eeprom(const Context& cx, const std::string& path, const Progress& progress) {
    std::vector<DataLine> lines;
    core::Status checked = read_data_file(path, &lines);
    if (checked) checked = check_bytes(path, lines);
    if (!checked)
        return checked.with_message(checked.title,
                                    checked.text + "\nNothing was written to the EEPROM.");
    const int total = data_bytes(lines);
    Pace pace(cx, progress, total);
    int address = 0;
    bool gave_up = false;
    for (const DataLine& line : lines) {
        // Every line read sends a write enable, comments and empty lines included.
        if (core::Status s = eeprom_instruction(cx.port, kEepromWriteEnable); !s)
            return enable_failed(s);
        if (!line.value) continue;
        if (!gave_up) {
            bool matched = false;
            const auto byte = static_cast<std::uint8_t>(*line.value);
            if (core::Status s = write_byte(cx, address, byte, &matched); !s)
                return s.step == kStepWriteEnable ? s : program_error(s);
            // The rest of the file is still read, with its write enables, but not written.
            gave_up = !matched;
        }
        ++address;
        if (!pace.carry_on(address)) return cancelled("EEPROM programming", address, total);
    }
    if (gave_up)
        return core::Status::failed(core::Fault::WrongReply, "read-back", "Timeout error",
                                    "Error Programming");
    return core::Status::success("Programming Complete", "EEPROM programming complete.");
}

core::Status verify_eeprom(const Context& cx, const std::string& path, const Progress& progress) {
    std::vector<DataLine> lines;
    if (core::Status s = read_data_file(path, &lines); !s)
        return s.with_message(s.title, s.text + "\nNothing was verified.");
    const int total = data_bytes(lines);
    Pace pace(cx, progress, total);
    // A value above FF never equals a byte read: it is reported as ERROR at its address.
    const char* const kLine = "Address: %04x  File: %02x  EEPROM: %02x  Status: %s\n";
    int address = 0;
    bool failed = false;
    for (const DataLine& line : lines) {
        if (!line.value) continue;
        std::uint8_t byte = 0;
        core::Status read = eeprom_read(cx.port, 1, address, &byte);
        // A byte that reads wrong once is read a second time before it counts as wrong.
        if (read && byte != *line.value) read = eeprom_read(cx.port, 1, address, &byte);
        const bool ok = read && byte == *line.value;
        cx.ui.Print(format(kLine, address, *line.value, byte, ok ? "OK" : "ERROR"));
        failed = failed || !ok;
        // A board that does not answer is not asked about the remaining bytes.
        if (!read) break;
        ++address;
        if (!pace.carry_on(address)) {
            cx.ui.Print("\n");
            return cancelled("EEPROM verification", address, total);
        }
    }
    cx.ui.Print("\n");
    if (failed)
        return core::Status::failed(core::Fault::WrongReply, "verify", "EEPROM Verify Error",
                                    "EEPROM verification error.");
    return core::Status::success("EEPROM Verify Successful", "EEPROM verified successfully.");
}

core::Status dump_eeprom(const Context& cx, const std::string& path, const std::string& start_text,
                         const std::string& end_text, const Progress& progress) {
    const auto start = scan_hex(start_text.substr(0, kAddressDigits));
    const auto end = scan_hex(end_text.substr(0, kAddressDigits));
    if (!start || !end) {
        // As a dump that never started: the chosen file is left empty, nothing is shown.
        (void)core::write_file_atomically(path, "");
        return core::Status::failed(core::Fault::BadInput, start ? "end address" : "start address");
    }
    // An end below the start is an empty range, as one equal to it.
    const int total = *end > *start ? static_cast<int>(*end - *start) : 0;
    Pace pace(cx, progress, total);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    for (std::uint32_t a = *start; a < *end; ++a) {
        std::uint8_t b = 0;
        // The read has shown why it failed; a dump with a hole in it is not written.
        if (core::Status s = eeprom_read(cx.port, 1, static_cast<int>(a), &b); !s)
            return s.with_message("EEPROM Dump Error",
                                  format("No byte was read at address %04X.\nThe file was not "
                                         "written.",
                                         a));
        bytes.push_back(b);
        if (!pace.carry_on(static_cast<int>(bytes.size())))
            return cancelled("EEPROM dump", static_cast<int>(bytes.size()), total);
    }
    if (core::Status w = core::write_file_atomically(path, dump_text(bytes)); !w)
        return w.with_message("EEPROM Dump Error", "The file " + path + " cannot be written.");
    return core::Status::success("EEPROM Dump Completed", "EEPROM contents written to file.");
}

void show_eeprom_outcome(const Context& cx, const core::Status& s) {
    if (s.step == kStepWriteEnable) cx.ui.MessagePopup(kEepromError, "Error enabling EEPROM write");
    if (!s.title.empty() || !s.text.empty()) cx.ui.MessagePopup(s.title, s.text);
}

namespace {

// The file dialogs of the EEPROM tools: no default folder or pattern, extension restricted.
bool select_file(const Context& cx, const char* title, int button, std::string* path) {
    return cx.ui.FileSelectPopup("", "", "", title, button, true, path) != ui::VAL_NO_FILE_SELECTED;
}

// Progress in the run-time's progress window, which offers to cancel.
Progress progress_window(const Context& cx, const char* title) {
    return [&cx, title](int done, int total, double left) {
        const int seconds = static_cast<int>(left + 0.5);
        return cx.ui.UpdateProgress(title,
                                    format("%d of %d bytes, %d min %02d s left", done, total,
                                           seconds / 60, seconds % 60),
                                    static_cast<double>(done) / total) == 0;
    };
}

void run_with_progress(const Context& cx, const char* title, auto operation) {
    const core::Status s = operation(progress_window(cx, title));
    cx.ui.EndProgress();
    show_eeprom_outcome(cx, s);
}

}  // namespace

int write_eeprom_cmd_usb(const Context& cx) {
    std::string path;
    if (!select_file(cx, kSelectData, ui::VAL_LOAD_BUTTON, &path)) return 0;
    run_with_progress(cx, "Programming EEPROM",
                      [&](const Progress& p) { return program_eeprom(cx, path, p); });
    return 0;
}

int verify_eeprom_cmd_usb(const Context& cx) {
    std::string path;
    if (!select_file(cx, kSelectData, ui::VAL_LOAD_BUTTON, &path)) return 0;
    run_with_progress(cx, "Verifying EEPROM",
                      [&](const Progress& p) { return verify_eeprom(cx, path, p); });
    return 0;
}

int dump_eeprom_cmd(const Context& cx) {
    std::string path, start, end;
    if (!select_file(cx, "Select EEPROM Dump File", ui::VAL_SAVE_BUTTON, &path)) return 0;
    // A cancelled prompt leaves its answer empty, which is no number.
    cx.ui.PromptPopup("EEPROM Start Address", "Start Address (in Hex)?", &start, kAddressDigits);
    if (scan_hex(start))
        cx.ui.PromptPopup("EEPROM End Address", "End Address (in Hex)?", &end, kAddressDigits);
    run_with_progress(cx, "Dumping EEPROM",
                      [&](const Progress& p) { return dump_eeprom(cx, path, start, end, p); });
    return 0;
}

}  // namespace debugtools
