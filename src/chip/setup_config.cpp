#include "chip/setup_config.h"

#include "capture/permission.h"
#include "chip/registers.h"
#include "shell/app.h"
#include "shell/panel_values.h"
#include "uir_ids.h"

namespace chip {

namespace {

int input(App& app, int ctrl) {
    return shell::get_int(app.ui, app.shell.setuppanel, ctrl);
}

std::uint8_t command(App& app, int code, int data1 = 0) {
    int d1 = data1, d2 = 0;
    if (data1 == 0) return DSP_command(app, code, &d1, &d1, 0);
    return DSP_command(app, code, &d1, &d2, 0);
}

// A read the transport reported as failed is a failed access: the zero it yields must not
// be written back as if it were the register's value.
bool read_register(App& app, int address, int* value) {
    const unsigned failures = app.link.read_failures;
    *value = REG_read(app, address);
    return app.link.read_failures == failures;
}

struct RateCode {
    int rate;
    int code;
};
constexpr RateCode kRateCodes[] = {
    {125, 0}, {200, 1}, {250, 2}, {333, 3}, {500, 4}, {1000, 5}, {2000, 6}, {4000, 7},
    {1, 8},   {5, 9},   {10, 10}, {20, 11}, {25, 12}, {40, 13},  {50, 14},  {100, 15},
};

}  // namespace

int rate_code(int rate) {
    for (const auto& r : kRateCodes)
        if (r.rate == rate) return r.code;
    return -1;
}

std::uint8_t set_filter_coefficients(App& app) {
    return command(app, WR_ROM_COEF, input(app, SETUP_FIRROM) | input(app, SETUP_IIRROM));
}

std::uint8_t set_filter_parameters(App& app) {
    if (!command(app, FL_STOP)) return 0;
    const int selections = input(app, SETUP_CONFIGA) + input(app, SETUP_CONFIGB);
    int config = 0;
    if (!read_register(app, REG_CONFIG, &config)) return 0;
    if (!REG_write(app, REG_CONFIG, (config & 0xF8F8CF) | selections)) return 0;
    const int rate = input(app, SETUP_RATE);
    app.capture.fs = rate;
    // The rate input offers only the sixteen rates; anything else would be a resource fault.
    const int code = rate_code(rate) < 0 ? 0 : rate_code(rate);
    const int fields = input(app, SETUP_FILTER) * 256 + code * 16 + input(app, SETUP_CHANNELS);
    int filtcfg = 0;
    if (!read_register(app, REG_FILTCFG, &filtcfg)) return 0;
    return REG_write(app, REG_FILTCFG, (filtcfg & 0xFFF000) | fields);
}

std::uint8_t set_modulator_parameters(App& app) {
    const int mux = input(app, SETUP_MUX), mode = input(app, SETUP_MODE);
    const int gain = input(app, SETUP_GAIN);
    switch (app.link.board_id) {
        case 1:
        case 7:
            if (!REG_write(app, REG_GPCFG0, 0xFF0000 + mode * 32 + gain * 4 + mux)) return 0;
            return REG_write(app, REG_GPCFG1, 0x0F0000 + input(app, SETUP_PWDN));
        case 4:
        case 9:
            if (!REG_write(app, REG_GPCFG0, 0xFF0000 + mode * 32 + gain * 4 + mux)) return 0;
            return REG_write(app, REG_GPCFG1, 0x0F0008);
        case 10: {
            if (!REG_write(app, REG_GPCFG0, 0xFF0000 | mode * 32 | gain * 4 | 3)) return 0;
            if (!REG_write(app, REG_GPCFG1, 0x0F0008)) return 0;
            const int w = (mux << 20) | (gain << 16);
            const int words[5] = {w, w, 0x400000, 0x8F0000, 0};
            for (int n = 1; n <= 5; ++n) {
                if (!REG_write(app, REG_SPI2DAT, words[n - 1])) return 0;
                if (!REG_write(app, REG_SPI2CMD, 0x000200 + n)) return 0;
                if (!REG_write(app, REG_SPI2CTRL, 0x3F0161)) return 0;
                if (!REG_write(app, REG_SPI2CTRL, 0x3F4162)) return 0;
            }
            return 1;
        }
        case 2:
        case 3:
        case 5:
        case 6:
        case 8:
            return REG_write(app, REG_GPCFG0,
                             0xFF0000 + ((mux >> 1) & 1) * 128 + mode * 2 + gain * 16 + (mux & 1));
        default:
            return 0;  // no board identified
    }
}

std::uint8_t set_correction_parameters(App& app) {
    if (!command(app, FL_STOP)) return 0;
    const int fields = input(app, SETUP_C16) * 65536 + input(app, SETUP_C14) * 16384 +
                       input(app, SETUP_C13) * 8192 + input(app, SETUP_C12) * 4096;
    int filtcfg = 0;
    if (!read_register(app, REG_FILTCFG, &filtcfg)) return 0;
    return REG_write(app, REG_FILTCFG, (filtcfg & 0x000FFF) | fields);
}

std::uint8_t set_gainoffset_parameters(App& app) {
    constexpr int kInputs[8] = {SETUP_GAIN1,   SETUP_GAIN2,   SETUP_GAIN3,   SETUP_GAIN4,
                                SETUP_OFFSET1, SETUP_OFFSET2, SETUP_OFFSET3, SETUP_OFFSET4};
    for (int i = 0; i < 8; ++i)
        if (!REG_write(app, REG_GAIN1 + i, input(app, kInputs[i]))) return 0;
    return 1;
}

std::uint8_t set_tbs_parameters(App& app) {
    const int cfg = input(app, SETUP_TBSRATE) * 65536 + input(app, SETUP_TBSMODE) * 32768 +
                    input(app, SETUP_TBSB) * 4096 + input(app, SETUP_F11) * 2048 +
                    input(app, SETUP_F7) * 128 + input(app, SETUP_F6) * 64;
    if (!REG_write(app, REG_TBSCFG, cfg)) return 0;
    return REG_write(app, REG_TBSGAIN, input(app, SETUP_TBSGAIN));
}

void read_gainoffset_parameters(App& app) {
    // All nine are read before any input changes; after a failed read the inputs keep what
    // the user had rather than zeros.
    int values[9];
    for (int i = 0; i < 9; ++i)
        if (!read_register(app, REG_FILTCFG + i, &values[i])) return;
    auto& ui = app.ui;
    const int p = app.shell.setuppanel;
    const int filtcfg = values[0];
    ui.SetCtrlVal(p, SETUP_C12, (filtcfg >> 12) & 1);
    ui.SetCtrlVal(p, SETUP_C13, (filtcfg >> 13) & 1);
    ui.SetCtrlVal(p, SETUP_C14, (filtcfg >> 14) & 1);
    ui.SetCtrlVal(p, SETUP_C16, (filtcfg >> 16) & 0x1F);
    constexpr int kInputs[8] = {SETUP_GAIN1,   SETUP_GAIN2,   SETUP_GAIN3,   SETUP_GAIN4,
                                SETUP_OFFSET1, SETUP_OFFSET2, SETUP_OFFSET3, SETUP_OFFSET4};
    for (int i = 0; i < 8; ++i) ui.SetCtrlVal(p, kInputs[i], values[i + 1]);
}

int config_df(App& app) {
    auto& ui = app.ui;
    ui.SuspendTimerCallbacks();
    const bool ok = command(app, FL_STOP) && set_filter_coefficients(app) &&
                    command(app, WR_ROM_TBS) && set_filter_parameters(app) &&
                    set_modulator_parameters(app) && set_correction_parameters(app) &&
                    set_gainoffset_parameters(app) && set_tbs_parameters(app) &&
                    command(app, FL_STOP);
    if (ok) {
        ui.MessagePopup("Done", "Digital Filter configuration is completed.");
        capture::enable_capture(app);
    } else {
        // The chip is left part-configured: no capture until a configuration succeeds.
        capture::lock_capture(app);
        ui.MessagePopup("No Response!",
                        "Please try again. If you have alreay tried twice, reset the target board");
    }
    ui.ResumeTimerCallbacks();
    return 0;
}

void apply_tbs_presets(TbsInputs& in) {
    switch (in.freq) {
        case 1:
            in.rate = 7, in.field_b = 4;
            break;
        case 2:
            in.rate = 4, in.field_b = 4;
            break;
        case 3:
            in.rate = 1, in.field_b = 4;
            break;
        default:
            break;
    }
    switch (in.level) {
        case 0:
            in.gain = 309490;
            break;
        case 1:
            in.gain = 275833;
            break;
        case 2:
            in.gain = 245836;
            break;
        case 3:
            in.gain = 219102;
            break;
        case 6:
            in.gain = 155112;
            break;
        default:
            break;
    }
    if (in.mode == 0) {
        in.lock = 0;
    } else if (in.mode == 1) {
        in.rate = 255;
        in.field_b = 4;
        in.gain = 30949;
        in.level = 20;
        in.lock = 1;
    }
}

int set_tbs_freq(App& app) {
    capture::Turn_Capture_off(app);
    TbsInputs in{input(app, SETUP_TBSMODE), input(app, SETUP_TBSFREQ), input(app, SETUP_TBSLEVEL),
                 input(app, SETUP_TBSRATE), input(app, SETUP_TBSB),    input(app, SETUP_TBSGAIN)};
    apply_tbs_presets(in);
    auto& ui = app.ui;
    const int p = app.shell.setuppanel;
    ui.SetCtrlVal(p, SETUP_TBSRATE, in.rate);
    ui.SetCtrlVal(p, SETUP_TBSB, in.field_b);
    ui.SetCtrlVal(p, SETUP_TBSGAIN, in.gain);
    ui.SetCtrlVal(p, SETUP_TBSLEVEL, in.level);
    if (in.lock >= 0) {
        ui.SetCtrlAttribute(p, SETUP_TBSFREQ, ui::ATTR_DIMMED, in.lock);
        ui.SetCtrlAttribute(p, SETUP_TBSLEVEL, ui::ATTR_DIMMED, in.lock);
    }
    return 0;
}

void setup_config_callbacks(App& app) {
    auto on_commit = [&app](const char* name, auto fn) {
        app.callbacks.add_ctrl(name, [&app, fn](int, int, int event, void*) {
            if (event == ui::EVENT_COMMIT) fn(app);
            return 0;
        });
    };
    on_commit("config_df", config_df);
    on_commit("wr_gainoffset_ioreg", set_gainoffset_parameters);
    on_commit("rd_gainoffset_ioreg", read_gainoffset_parameters);
    on_commit("set_tbs_freq", set_tbs_freq);
}

}  // namespace chip
