#include "boardlink/firmware/flash_board.h"

#include <filesystem>
#include <string>

#include "boardlink/discovery.h"
#include "boardlink/firmware/firmware_file.h"
#include "boardlink/firmware/firmware_names.h"
#include "boardlink/firmware/update_requests.h"
#include "boardlink/transport/transport.h"
#include "core/input_file.h"
#include "core/user_files.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace boardlink {

namespace {

const char* const kNotice = "Notice";
const char* const kFileError = "File Error";
const char* const kUnknownTarget = "Unknown target.";
const char* const kNoUpdateMode =
    "Incorrect response from target board. \n Progrmaing MCU is terminated";
const char* const kEraseFailed = "Error while erasing a page. \n Progrmaing MCU is terminated";
const char* const kProgramFailed =
    "Incorrect while programming a page. \n Progrmaing MCU is terminated";
const char* const kNoDataReply =
    "No return from target board. \n Progrmaing MCU is terminated \n Please return the board to "
    "Factory";
const char* const kProgrammed =
    "MCU is successfully programmed. \n Please cycle the power to the board";
// The MCU's own start of update mode.
constexpr double kUpdateModeSettle = 0.5;

core::Status cannot_open(const std::string& shown) {
    return core::Status::failed(core::Fault::BadInput, "open firmware file", kFileError,
                                "File " + shown + " does not exist or can't be opened.");
}

// Reads and checks the whole file; the file is closed when this returns.
core::Status read_image(const std::string& path, const std::string& shown, firmware::Image* image) {
    core::InputFile file(path, firmware::kMaxFileBytes);
    if (file.refusal() == core::Refusal::CannotOpen) return cannot_open(shown);
    if (!file.ok())
        return core::Status::failed(core::Fault::BadInput, "open firmware file", kFileError,
                                    "File " + shown + " cannot be read: " + file.reason() +
                                        ". \n Nothing was sent to the board.");
    firmware::CheckResult checked = firmware::check_firmware(file.stream());
    if (file.stream().bad()) return cannot_open(shown);
    if (const auto& f = checked.fault) {
        return core::Status::failed(
            core::Fault::BadInput, "check firmware file", kFileError,
            "File " + shown + " is not a complete firmware image. \n Record " +
                std::to_string(f->record) + " (line " + std::to_string(f->line) +
                "): " + f->reason + ". \n Nothing was sent to the board.");
    }
    *image = std::move(checked.image);
    return core::Status::success();
}

// The main window's bar while the MCU is being programmed: records done of the image's.
class ProgressBar {
  public:
    ProgressBar(App& app, int total) : app_(app) {
        app_.ui.SetCtrlAttribute(panel(), MAIN_FLASHPROGRESS, ui::ATTR_MAX_VALUE,
                                 static_cast<double>(total > 0 ? total : 1));
        show(0);
        app_.ui.SetCtrlAttribute(panel(), MAIN_FLASHPROGRESS, ui::ATTR_VISIBLE, 1);
    }
    ~ProgressBar() { app_.ui.SetCtrlAttribute(panel(), MAIN_FLASHPROGRESS, ui::ATTR_VISIBLE, 0); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void show(int done) { app_.ui.SetCtrlVal(panel(), MAIN_FLASHPROGRESS, done); }

  private:
    int panel() const { return app_.shell.mainpanel; }
    App& app_;
};

// Update mode, then every record: erase at a page's start, announce, send the data.
core::Status program_image(App& app, const firmware::Image& image, const FlashOptions& o) {
    Port& port = app.port;
    const int total = static_cast<int>(image.records.size());
    if (core::Status s = enter_update(port); !s) return s.with_message(kNotice, kNoUpdateMode);
    port.delay(kUpdateModeSettle);
    ProgressBar bar(app, total);
    int done = 0;
    for (const firmware::Record& r : image.records) {
        if (firmware::begins_page(r.address))
            if (core::Status s = erase_page(port, r.address); !s)
                return s.with_message(kNotice, kEraseFailed);
        if (core::Status s = program_page(port, r.address); !s)
            return s.with_message(kNotice, kProgramFailed);
        if (core::Status s = program_data(port, r.data); !s)
            return s.with_message("ERROR!!!", kNoDataReply);
        bar.show(++done);
        if (o.progress) o.progress(done, total);
        // Asked to stop (Ctrl-C on the command line): between two records, saying what the
        // board is left with, since a half-programmed MCU boots into nothing.
        if (done < total && port.stop_requested && port.stop_requested())
            return core::Status::failed(
                core::Fault::Cancelled, "flash", "Firmware Update Stopped",
                "The update stopped after " + std::to_string(done) + " of " +
                    std::to_string(total) +
                    " records: the MCU is left in update mode. Flash the firmware again to "
                    "recover it.");
    }
    return core::Status::success();
}

}  // namespace

std::string firmware_path(App& app, const std::string& file) {
    if (!file.empty()) return file;
    const char* own_file = firmware::firmware_file_name(app.link.board_id);
    if (own_file == nullptr) return {};
    return core::user_or_shipped(app.shell.projectDir, app.shell.userDir, own_file).string();
}

bool confirm_flash(App& app, const std::string& file) {
    // A copy in the user's data folder is taken before the shipped file: say which one.
    const std::string path = firmware_path(app, file);
    return app.ui.ConfirmPopup("Confirm",
                               "Do you want to program the MCU? \n You must not turn off power "
                               "while programming!" +
                                   (path.empty() ? std::string() : "\n\nFile: " + path)) != 0;
}

core::Status flash_board(App& app, const FlashOptions& o) {
    if (!o.confirmed) return core::Status::failed(core::Fault::Cancelled, "confirm");
    // A code is only as good as the connection that reported it.
    const char* own_file = firmware::firmware_file_name(app.link.board_id);
    if (app.link.usb_opened != 1 || own_file == nullptr)
        return core::Status::failed(core::Fault::NoBoard, "board identifier", kNotice,
                                    kUnknownTarget);
    const std::string shown = o.file.empty() ? own_file : o.file;
    const std::string path = firmware_path(app, o.file);
    firmware::Image image;
    if (core::Status s = read_image(path, shown, &image); !s) return s;
    if (core::Status s = program_image(app, image, o); !s) return s;
    USB_softReset_target(app.port);
    board_restarted(app);
    return core::Status::success(kNotice, kProgrammed);
}

int Flash_Board(App& app) {
    shell::show_outcome(app.ui, flash_board(app, {confirm_flash(app), {}, {}}));
    return 0;
}

void firmware_callbacks(App& app) {
    app.callbacks.add_menu("flash_menu", [&app](int, int, void*, int) { Flash_Board(app); });
}

}  // namespace boardlink
