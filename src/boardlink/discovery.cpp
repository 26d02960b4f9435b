#include "boardlink/discovery.h"

#include <cstring>
#include <string>

#include "boardlink/boards.h"
#include "boardlink/transport.h"
#include "chip/register_map.h"
#include "chip/registers.h"
#include "shell/app.h"
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
}

void connect(App& app) {
    auto& ui = app.ui;
    auto& link = app.link;
    const int sp = app.shell.setuppanel;
    std::uint32_t count = 0;
    app.usb.SI_GetNumDevices(&count);
    bool opened = false;
    char info[100] = {}, version[100] = {};
    std::int8_t code = 0;
    if (count >= 1) opened = Open_Device(app, static_cast<int>(count) - 1) == 1;
    if (!opened || USB_GetTargetInfo(app, info, version, &code) == 0) {
        ui.SetCtrlVal(sp, SETUP_CONNECT, 0);
        link.usb_opened = 0;
        if (opened) close_device(app);
        ui.MessagePopup(kNotice, kNoBoard);
        return;
    }
    link.usb_opened = 1;
    set_all_undimmed(app);
    ui.SetCtrlVal(sp, SETUP_FIRMWARE, std::string(version));
    if (version[0] != 'V') {
        ui.MessagePopup(kNotice, kNotCustomer);
        ui.SuspendTimerCallbacks();
        close_device(app);
        set_all_dimmed(app);
        clear_indicators(app);
        ui.SetCtrlVal(sp, SETUP_CHANNELS, 0);
        ui.SetCtrlVal(sp, SETUP_CONNECT, 0);
        link.usb_opened = 0;
        link.board_id = 0;
        return;
    }
    link.board_id = code;
    check_register_access(app);
    if (const BoardInfo* b = find_board(code)) {
        apply_profile(app, *b);
    } else {
        ui.SetCtrlVal(sp, SETUP_BOARDNAME, kUnknownTarget);
        set_titles(app, "Korvane Seismic Evaluation - Unknown target");
    }
    if (check_register_access(app) == 0) ui.MessagePopup(kNotice, kNoRegisters);
    ui.ResumeTimerCallbacks();
}

void disconnect(App& app) {
    auto& ui = app.ui;
    ui.SuspendTimerCallbacks();
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CHANNELS, 0);
    app.link.usb_opened = 0;
    app.link.board_id = 0;
}

}  // namespace

void set_all_dimmed(App& app) {
    for (int c : kBoardGroup) app.ui.SetCtrlAttribute(app.shell.setuppanel, c, ui::ATTR_DIMMED, 1);
    for (int m : kBoardMenuItems) app.ui.SetMenuBarAttribute(app.shell.menu, m, ui::ATTR_DIMMED, 1);
}

void set_all_undimmed(App& app) {
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
    return (chip::REG_read(app, chip::REG_VERSION) & 0xF00000) == 0x700000 ? 1 : 0;
}

int USB_port_init(App& app) {
    if (app.link.usb_opened == 1)
        disconnect(app);
    else
        connect(app);
    return 0;
}

int timerfunc(App& app) {
    if (app.link.usb_opened != 1) return 0;
    std::uint32_t count = 0;
    app.usb.SI_GetNumDevices(&count);
    if (static_cast<int>(count) > 0) return 0;
    auto& ui = app.ui;
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    set_titles(app, "Korvane Seismic Evaluation");
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CHANNELS, 0);
    app.link.usb_opened = 0;
    app.link.board_id = 0;
    ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 0);
    ui.MessagePopup(kNotice, kBoardLost);
    return 0;
}

int reset_Board(App& app) {
    if (!app.ui.ConfirmPopup("Confirm", "Do you want to reset the target board?")) return 0;
    USB_softReset_target(app);
    // The board leaves the bus and comes back as a new device; the old handle is of no use.
    close_device(app);
    set_all_dimmed(app);
    clear_indicators(app);
    app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 0);
    app.link.usb_opened = 0;
    return 0;
}

void discovery_callbacks(App& app) {
    auto& cb = app.callbacks;
    auto on = [&app, &cb](const char* name, int event, int (*fn)(App&)) {
        cb.add_ctrl(name, [&app, event, fn](int, int, int e, void*) {
            if (e == event) fn(app);
            return 0;
        });
    };
    on("USB_port_init", ui::EVENT_COMMIT, USB_port_init);
    on("timerfunc", ui::EVENT_TIMER_TICK, timerfunc);
    on("reset_Board", ui::EVENT_COMMIT, reset_Board);
    cb.add_ctrl("data_source_select", [](int, int, int, void*) { return 0; });
}

}  // namespace boardlink
