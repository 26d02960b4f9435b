#include <utility>

#include "boardlink/transport/connection.h"
#include "platform/ui/runtime.h"
#include "shell/settings.h"
#include "uir_ids.h"

namespace shell {

void bind_settings(ui::Runtime& ui, int p, Settings& s, boardlink::Connection& link) {
    chip::SetupSettings& c = s.setup;
    const std::pair<int, int*> numbers[] = {
        {SETUP_CHANNELS, &c.channels},
        {SETUP_RATE, &c.rate},
        {SETUP_FILTER, &c.filter},
        {SETUP_CONFIGA, &c.config_a},
        {SETUP_CONFIGB, &c.config_b},
        {SETUP_FIRROM, &c.fir_rom},
        {SETUP_IIRROM, &c.iir_rom},
        {SETUP_MUX, &c.mux},
        {SETUP_MODE, &c.mode},
        {SETUP_GAIN, &c.gain},
        {SETUP_PWDN, &c.power_down},
        {SETUP_C12, &c.c12},
        {SETUP_C13, &c.c13},
        {SETUP_C14, &c.c14},
        {SETUP_C16, &c.c16},
        {SETUP_GAIN1, &c.gain1},
        {SETUP_GAIN2, &c.gain2},
        {SETUP_GAIN3, &c.gain3},
        {SETUP_GAIN4, &c.gain4},
        {SETUP_OFFSET1, &c.offset1},
        {SETUP_OFFSET2, &c.offset2},
        {SETUP_OFFSET3, &c.offset3},
        {SETUP_OFFSET4, &c.offset4},
        {SETUP_TBSMODE, &c.tbs_mode},
        {SETUP_TBSFREQ, &c.tbs_freq},
        {SETUP_TBSLEVEL, &c.tbs_level},
        {SETUP_TBSRATE, &c.tbs_rate},
        {SETUP_TBSB, &c.tbs_b},
        {SETUP_TBSGAIN, &c.tbs_gain},
        {SETUP_F11, &c.f11},
        {SETUP_F7, &c.f7},
        {SETUP_F6, &c.f6},
        {SETUP_SAMPLES, &s.capture.samples},
        {SETUP_SKIP, &s.capture.skip},
        {SETUP_AVERAGE, &s.capture.average},
        {SETUP_WINDOW, &s.analysis.window},
        {SETUP_FSCODE, &s.analysis.fs_code},
        {SETUP_LIMITBW, &s.analysis.limit_bw},
    };
    for (auto [ctrl, field] : numbers) ui.Bind(p, ctrl, field);
    ui.Bind(p, SETUP_FSVOLTS, &s.analysis.fs_volts);
    ui.Bind(p, SETUP_BOARDNAME, &link.board_name);
    ui.Bind(p, SETUP_FIRMWARE, &link.firmware);
}

}  // namespace shell
