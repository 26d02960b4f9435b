#include "chip/register_tool.h"

#include "boardlink/transport/transport.h"
#include "chip/coef_loaders.h"
#include "chip/registers.h"
#include "shell/app.h"
#include "uir_ids.h"

namespace chip {

namespace {

int get_int(App& app, int ctrl) {
    int v = 0;
    app.ui.GetCtrlVal(app.shell.controlpanel, ctrl, &v);
    return v;
}
void set_int(App& app, int ctrl, int v) {
    app.ui.SetCtrlVal(app.shell.controlpanel, ctrl, v);
}

void send_command(App& app) {
    const int command = get_int(app, CONTROL_CMDLIST);
    switch (command) {
        case WR_FIR_COEF:
            load_fir_coef(app);
            return;
        case WR_IIR_COEF:
            load_iir_coef(app);
            return;
        case WR_TBS_DATA:
            load_tbs_data(app);
            return;
        default:
            break;
    }
    int d1 = get_int(app, CONTROL_CMDDATA1), d2 = get_int(app, CONTROL_CMDDATA2);
    DSP_command(app, command, &d1, &d2, 1);
    set_int(app, CONTROL_CMDRESULT1, d1);
    set_int(app, CONTROL_CMDRESULT2, d2);
}

void next_if_separator(App& app) {
    const int p = app.shell.controlpanel;
    int index = 0, count = 0;
    app.ui.GetCtrlIndex(p, CONTROL_CMDLIST, &index);
    app.ui.GetNumListItems(p, CONTROL_CMDLIST, &count);
    if (get_int(app, CONTROL_CMDLIST) > 900 && index + 1 < count)
        app.ui.SetCtrlIndex(p, CONTROL_CMDLIST, index + 1);
}

}  // namespace

void register_tool_callbacks(App& app) {
    auto on_commit = [&app](const char* name, auto fn) {
        app.callbacks.add_ctrl(name, [&app, fn](int, int, int event, void*) {
            if (event == ui::EVENT_COMMIT) fn(app);
            return 0;
        });
    };
    on_commit("spi_register_read", [](App& a) {
        set_int(a, CONTROL_REGVALUE, REG_read(a, get_int(a, CONTROL_REGLIST)));
    });
    on_commit("spi_register_write", [](App& a) {
        REG_write(a, get_int(a, CONTROL_REGLIST), get_int(a, CONTROL_REGVALUE));
    });
    on_commit("check_df_cmd", next_if_separator);
    on_commit("spi_df_send_cmd", send_command);
    on_commit("spi_read_1word", [](App& a) {
        set_int(a, CONTROL_PORTWORD1, boardlink::SPI_read(a.port, 3, get_int(a, CONTROL_PORTADDR)));
        set_int(a, CONTROL_PORTWORD2, 0);
        set_int(a, CONTROL_PORTWORD3, 0);
    });
    on_commit("spi_write_1word", [](App& a) {
        int bytes[3];
        word_bytes(get_int(a, CONTROL_PORTWORD1), bytes);
        boardlink::SPI_write(a.port, 3, get_int(a, CONTROL_PORTADDR), bytes);
    });
    on_commit("spi_read_3words", [](App& a) {
        const int address = get_int(a, CONTROL_PORTADDR);
        set_int(a, CONTROL_PORTWORD1, boardlink::SPI_read(a.port, 3, address));
        set_int(a, CONTROL_PORTWORD2, boardlink::SPI_read(a.port, 3, address + 3));
        set_int(a, CONTROL_PORTWORD3, boardlink::SPI_read(a.port, 3, address + 6));
    });
    on_commit("spi_write_3words", [](App& a) {
        int bytes[9];
        word_bytes(get_int(a, CONTROL_PORTWORD1), bytes);
        word_bytes(get_int(a, CONTROL_PORTWORD2), bytes + 3);
        word_bytes(get_int(a, CONTROL_PORTWORD3), bytes + 6);
        boardlink::SPI_write(a.port, 9, get_int(a, CONTROL_PORTADDR), bytes);
    });
}

}  // namespace chip
