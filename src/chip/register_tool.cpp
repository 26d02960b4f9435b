#include "chip/register_tool.h"

#include "boardlink/transport/transport.h"
#include "chip/coef_loaders.h"
#include "chip/registers.h"
#include "core/system_types.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace chip {

namespace {

using core::Status;

int get_int(App& app, int ctrl) {
    int v = 0;
    app.ui.GetCtrlVal(app.shell.controlpanel, ctrl, &v);
    return v;
}
void set_int(App& app, int ctrl, int v) {
    app.ui.SetCtrlVal(app.shell.controlpanel, ctrl, v);
}

// The exchange's outcome without the transport's message, which it has shown already.
Status quiet(const char* step, const Status& s) {
    return s.ok() ? s : Status::failed(s.fault, step);
}

constexpr int kPortWordCtrls[3] = {CONTROL_PORTWORD1, CONTROL_PORTWORD2, CONTROL_PORTWORD3};

struct LoaderCommand {
    int command;
    WordFileKind kind;
};
constexpr LoaderCommand kLoaderCommands[] = {{WR_FIR_COEF, WordFileKind::Fir},
                                             {WR_IIR_COEF, WordFileKind::Iir},
                                             {WR_TBS_DATA, WordFileKind::Tbs}};

void next_if_separator(App& app) {
    const int p = app.shell.controlpanel;
    int index = 0, count = 0;
    app.ui.GetCtrlIndex(p, CONTROL_CMDLIST, &index);
    app.ui.GetNumListItems(p, CONTROL_CMDLIST, &count);
    if (get_int(app, CONTROL_CMDLIST) > 900 && index + 1 < count)
        app.ui.SetCtrlIndex(p, CONTROL_CMDLIST, index + 1);
}

}  // namespace

Status register_read(App& app) {
    int value = 0;
    const Status s = reg_read(app.port, get_int(app, CONTROL_REGLIST), &value);
    set_int(app, CONTROL_REGVALUE, value);
    return quiet("REG_read", s);
}

Status register_write(App& app) {
    return quiet("REG_write", reg_write(app.port, get_int(app, CONTROL_REGLIST),
                                        get_int(app, CONTROL_REGVALUE)));
}

Status send_command(App& app) {
    const int command = get_int(app, CONTROL_CMDLIST);
    for (const auto& l : kLoaderCommands)
        if (l.command == command) return load_word_file(app, l.kind);
    int d1 = get_int(app, CONTROL_CMDDATA1), d2 = get_int(app, CONTROL_CMDDATA2);
    const Status s = dsp_command(app.port, command, &d1, &d2, true);
    set_int(app, CONTROL_CMDRESULT1, d1);
    set_int(app, CONTROL_CMDRESULT2, d2);
    return quiet("DSP_command", s);
}

Status port_read(App& app, int words) {
    const int address = get_int(app, CONTROL_PORTADDR);
    Status first;
    for (int i = 0; i < 3; ++i) {
        int value = 0;
        if (i < words) {
            const Status s = boardlink::spi_read(app.port, address + 3 * i, &value);
            if (first.ok() && !s.ok()) first = s;
        }
        set_int(app, kPortWordCtrls[i], value);
    }
    return quiet("SPI_read", first);
}

Status port_write(App& app, int words) {
    int bytes[9];
    for (int i = 0; i < words; ++i)
        core::word_bytes(get_int(app, kPortWordCtrls[i]), bytes + 3 * i);
    return quiet("SPI_write",
                 boardlink::spi_write(app.port, 3 * words, get_int(app, CONTROL_PORTADDR), bytes));
}

void register_tool_callbacks(App& app) {
    auto& cb = app.callbacks;
    auto bind = [&app, &cb](const char* name, auto op) {
        ui::on_commit(cb, name, [&app, op] { shell::show_outcome(app.ui, op(app)); });
    };
    bind("spi_register_read", register_read);
    bind("spi_register_write", register_write);
    bind("spi_df_send_cmd", send_command);
    bind("spi_read_1word", [](App& a) { return port_read(a, 1); });
    bind("spi_write_1word", [](App& a) { return port_write(a, 1); });
    bind("spi_read_3words", [](App& a) { return port_read(a, 3); });
    bind("spi_write_3words", [](App& a) { return port_write(a, 3); });
    ui::on_commit(cb, "check_df_cmd", [&app] { next_if_separator(app); });
}

}  // namespace chip
