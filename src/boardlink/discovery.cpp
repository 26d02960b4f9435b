#include "boardlink/discovery.h"

#include <string>

#include "boardlink/boards.h"
#include "boardlink/transport/transport.h"
#include "chip/register_map.h"
#include "chip/registers.h"
#include "debugtools/pins.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace boardlink {

namespace {

// Every setup-panel control that configures or commands the board.
constexpr int kBoardGroup[] = {
    SETUP_RESET,   SETUP_CHANNELS, SETUP_RATE,    SETUP_FILTER,  SETUP_CONFIGA,  SETUP_CONFIGB,
    SETUP_FIRROM,  SETUP_IIRROM,   SETUP_MUX,     SETUP_MODE,    SETUP_GAIN,     SETUP_PWDN,
    SETUP_C12,     SETUP_C13,      SETUP_C14,     SETUP_C16,     SETUP_GAIN1,    SETUP_GAIN2,
    SETUP_GAIN3,   SETUP_GAIN4,    SETUP_OFFSET1, SETUP_OFFSET2, SETUP_OFFSET3,  SETUP_OFFSET4,
    SETUP_GOREAD,  SETUP_GOWRITE,  SETUP_TBSMODE, SETUP_TBSFREQ, SETUP_TBSLEVEL, SETUP_TBSRATE,
    SETUP_TBSB,    SETUP_F11,      SETUP_F7,      SETUP_F6,      SETUP_TBSGAIN,  SETUP_CONFIGURE,
    SETUP_CAPTURE, SETUP_CAPTURE2,
};
constexpr int kCaptureControls[] = {SETUP_CAPTURE, SETUP_CAPTURE2};
constexpr int kBoardMenuItems[] = {MENUBAR_BOARD_FIRMWARE, MENUBAR_BOARD_EEPROM,
                                   MENUBAR_BOARD_CAPTURE};

const char* const kNotice = "Notice";
const char* const kNoBoard =
    "Can't find a target board. Please check connection \n If connection is good, Please "
    "cycle the power to the board";
const char* const kNotCustomer =
    "The firmware is not a customer version. \n Program the MCU with a customer version and "
    "then try again.";
const char* const kNoRegisters =
    "Can't access registers. \n Please disconnect USB and then check Chip Select of the "
    "Filter IC";
const char* const kBoardLost = "Can't find the target board any more. Please check connection\n";

void fill_list(App& app, int panel, int ctrl, std::span<const chip::PickItem> items) {
    app.ui.ClearListCtrl(panel, ctrl);
    for (const auto& it : items) app.ui.InsertListItem(panel, ctrl, -1, it.label, it.value);
}

void clear_indicators(App& app) {
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_BOARDNAME, "");
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_FIRMWARE, "");
}

void set_titles(App& app, const std::string& title) {
    app.ui.SetCtrlVal(app.shell.aboutpanel, ABOUT_CAPTION, title);
    app.ui.SetPanelAttribute(app.shell.mainpanel, ui::ATTR_TITLE, title);
}

void close_device(App& app) {
    app.usb.SI_Close(app.link.cyHandle);
}

// The control panel's lists of each chip family; an empty macro list leaves the panel's own.
struct ChipLists {
    std::span<const chip::PickItem> registers, commands, macro_registers;
};

ChipLists lists_of(ChipFamily family) {
    if (family == ChipFamily::FourChannel)
        return {chip::four_channel_registers(), chip::four_channel_commands(), {}};
    return {chip::single_channel_registers(), chip::single_channel_commands(),
            chip::single_channel_macro_registers()};
}

// The analysis panel's channel controls: a board with one channel offers channel 1 only.
void apply_analysis_profile(App& app, const ChannelFamily& f) {
    auto& ui = app.ui;
    const int ap = app.shell.analysispanel;
    const int dimmed = f.all_channels ? 0 : 1;
    if (!f.all_channels) {
        ui.SetCtrlVal(ap, ANALYSIS_STATCH, 0);
        ui.SetCtrlVal(ap, ANALYSIS_CH1, 1);
    }
    ui.SetCtrlAttribute(ap, ANALYSIS_STATCH, ui::ATTR_DIMMED, dimmed);
    for (int ctrl : {ANALYSIS_CH2, ANALYSIS_CH3, ANALYSIS_CH4}) {
        if (!f.all_channels) ui.SetCtrlVal(ap, ctrl, 0);
        ui.SetCtrlAttribute(ap, ctrl, ui::ATTR_DIMMED, dimmed);
    }
}

void apply_profile(App& app, const BoardInfo& b) {
    auto& ui = app.ui;
    const int sp = app.shell.setuppanel, cp = app.shell.controlpanel;
    ui.SetCtrlVal(sp, SETUP_BOARDNAME, b.name);
    ui.SetCtrlVal(sp, SETUP_CHANNELS, b.channels->channel_code);
    ui.SetCtrlAttribute(sp, SETUP_CHANNELS, ui::ATTR_DIMMED, b.channels->code_editable ? 0 : 1);
    ui.SetCtrlAttribute(sp, SETUP_PWDN, ui::ATTR_DIMMED, b.power_down ? 0 : 1);
    const ChipLists lists = lists_of(b.chip);
    fill_list(app, cp, CONTROL_REGLIST, lists.registers);
    if (!lists.macro_registers.empty()) fill_list(app, cp, CONTROL_MACROREG, lists.macro_registers);
    fill_list(app, cp, CONTROL_CMDLIST, lists.commands);
    apply_analysis_profile(app, *b.channels);
    debugtools::apply_board_pins(app, b.pins->labels, b.pins->upper_pins_enabled,
                                 b.reference_design);
}

core::Status no_board(const char* step) {
    return core::Status::failed(core::Fault::NoBoard, step, kNotice, kNoBoard);
}

// After a failed SPI read: the four setup commands that would talk to the chip again.
void dim_board_commands(App& app) {
    for (int c : {SETUP_CONFIGURE, SETUP_GOREAD, SETUP_GOWRITE, SETUP_CAPTURE2})
        app.ui.SetCtrlAttribute(app.shell.setuppanel, c, ui::ATTR_DIMMED, 1);
}

// Opens the last device attached and asks it who it is.
core::Status open_and_identify(App& app, char* version, std::int8_t* code) {
    std::uint32_t count = 0;
    app.usb.SI_GetNumDevices(&count);
    if (count < 1) return no_board("SI_GetNumDevices");
    if (Open_Device(app.port, static_cast<int>(count) - 1) != 1) return no_board("Open_Device");
    char info[100] = {};
    if (USB_GetTargetInfo(app.port, info, version, code) == 0) {
        close_device(app);
        return no_board("USB_GetTargetInfo");
    }
    return core::Status::success();
}

}  // namespace

void set_all_dimmed(App& app) {
    app.capture.armed = false;
    for (int c : kBoardGroup) app.ui.SetCtrlAttribute(app.shell.setuppanel, c, ui::ATTR_DIMMED, 1);
    for (int m : kBoardMenuItems) app.ui.SetMenuBarAttribute(app.shell.menu, m, ui::ATTR_DIMMED, 1);
}

void set_all_undimmed(App& app) {
    app.capture.armed = false;
    auto is_capture = [](int c) {
        for (int k : kCaptureControls)
            if (k == c) return true;
        return false;
    };
    for (int c : kBoardGroup)
        app.ui.SetCtrlAttribute(app.shell.setuppanel, c, ui::ATTR_DIMMED, is_capture(c) ? 1 : 0);
    for (int m : kBoardMenuItems)
        app.ui.SetMenuBarAttribute(app.shell.menu, m, ui::ATTR_DIMMED,
                                   m == MENUBAR_BOARD_CAPTURE ? 1 : 0);
}

int check_register_access(App& app) {
    return chip_answers(chip::REG_read(app.port, chip::REG_VERSION)) ? 1 : 0;
}

core::Status connect_board(App& app) {
    auto& ui = app.ui;
    auto& link = app.link;
    const int sp = app.shell.setuppanel;
    char version[100] = {};
    std::int8_t code = 0;
    if (core::Status s = open_and_identify(app, version, &code); !s) {
        ui.SetCtrlVal(sp, SETUP_CONNECT, 0);
        link.usb_opened = 0;
        return s;
    }
    link.usb_opened = 1;
    set_all_undimmed(app);
    ui.SetCtrlVal(sp, SETUP_FIRMWARE, std::string(version));
    if (version[0] != 'V') {
        // Told while the version it speaks of is still shown, before the connection goes.
        ui.MessagePopup(kNotice, kNotCustomer);
        ui.SuspendTimerCallbacks();
        close_device(app);
        set_all_dimmed(app);
        clear_indicators(app);
        ui.SetCtrlVal(sp, SETUP_CHANNELS, 0);
        ui.SetCtrlVal(sp, SETUP_CONNECT, 0);
        link.usb_opened = 0;
        link.board_id = 0;
        return core::Status::failed(core::Fault::NotCustomer, "firmware version");
    }
    link.board_id = code;
    check_register_access(app);
    if (const BoardInfo* b = find_board(code)) {
        apply_profile(app, *b);
    } else {
        ui.SetCtrlVal(sp, SETUP_BOARDNAME, kUnknownTarget);
        set_titles(app, "Korvane Seismic Evaluation - Unknown target");
    }
    const bool registers = check_register_access(app) == 1;
    ui.ResumeTimerCallbacks();
    // The connection stays up when the chip does not answer; the person is told to look.
    return registers ? core::Status::success() : core::Status::success(kNotice, kNoRegisters);
}

core::Status disconnect_board(App& app) {
    auto& ui = app.ui;
    ui.SuspendTimerCallbacks();
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CHANNELS, 0);
    app.link.usb_opened = 0;
    app.link.board_id = 0;
    return core::Status::success();
}

core::Status check_board_present(App& app) {
    if (app.link.usb_opened != 1) return core::Status::success();
    std::uint32_t count = 0;
    app.usb.SI_GetNumDevices(&count);
    // A board that browned out comes back as a new device while the count stays up: the open
    // handle no longer answers, and everything sent on it would time out.
    std::uint32_t queued = 0, status = 0;
    const bool handle_works =
        app.usb.SI_CheckRXQueue(app.link.cyHandle, &queued, &status) == usb::SI_SUCCESS;
    if (static_cast<int>(count) > 0 && handle_works) return core::Status::success();
    auto& ui = app.ui;
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    set_titles(app, "Korvane Seismic Evaluation");
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CHANNELS, 0);
    app.link.usb_opened = 0;
    app.link.board_id = 0;
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 0);
    return core::Status::failed(core::Fault::NoBoard, "SI_GetNumDevices", kNotice, kBoardLost);
}

bool confirm_reset(App& app) {
    return app.ui.ConfirmPopup("Confirm", "Do you want to reset the target board?") != 0;
}

core::Status reset_board(App& app, bool confirmed) {
    if (!confirmed) return core::Status::failed(core::Fault::Cancelled, "confirm");
    USB_softReset_target(app.port);
    board_restarted(app);
    return core::Status::success();
}

void board_restarted(App& app) {
    // The board leaves the bus and comes back as a new device; the old handle is of no use.
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 0);
    app.link.usb_opened = 0;
}

int USB_port_init(App& app) {
    shell::show_outcome(app.ui,
                        app.link.usb_opened == 1 ? disconnect_board(app) : connect_board(app));
    return 0;
}

int timerfunc(App& app) {
    shell::show_outcome(app.ui, check_board_present(app));
    return 0;
}

int reset_Board(App& app) {
    shell::show_outcome(app.ui, reset_board(app, confirm_reset(app)));
    return 0;
}

void discovery_callbacks(App& app) {
    app.port.on_read_failure = [&app](const core::Status& s) {
        dim_board_commands(app);
        shell::show_outcome(app.ui, s);
    };
    auto& cb = app.callbacks;
    ui::on_commit(cb, "USB_port_init", [&app] { USB_port_init(app); });
    ui::on_event(cb, "timerfunc", ui::EVENT_TIMER_TICK, [&app] { timerfunc(app); });
    ui::on_commit(cb, "reset_Board", [&app] { reset_Board(app); });
    cb.add_ctrl("data_source_select", [](int, int, int, void*) { return 0; });
}

}  // namespace boardlink
