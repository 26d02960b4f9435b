// connect, disconnect, reset, reg, cmd, port: the board link and the chip's register layer.
#include "cli/board_commands.h"

#include <cctype>
#include <cstdio>

#include "boardlink/discovery.h"
#include "boardlink/transport/transport.h"
#include "chip/coef_loaders.h"
#include "chip/register_map.h"
#include "chip/registers.h"
#include "cli/cli.h"
#include "cli/command.h"
#include "core/system_types.h"
#include "platform/ui/record.h"
#include "shell/app.h"
#include "shell/show_outcome.h"
#include "uir_ids.h"

namespace cli {

Result connect(Context& c) {
    App& app = c.app;
    if (app.link.usb_opened != 1) {
        // As a person would: the toggle goes on, then its commit runs.
        app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 1);
        const core::Status s = boardlink::connect_board(app);
        shell::show_outcome(app.ui, s);
        if (!s) return failure(s, "no board connected");
    }
    Result r;
    r.add("board", app.link.board_name, app.link.board_name);
    r.add("code", app.link.board_id, std::to_string(app.link.board_id));
    r.add("firmware", app.link.firmware, app.link.firmware);
    return r;
}

namespace {

bool address_arg(const std::string& text, long long hi, long long* v) {
    if (parse_number(text, 0, hi, v)) return true;
    const int a = chip::register_address(text);
    if (a < 0 || a > hi) return false;
    *v = a;
    return true;
}

// A word that is no number is meant as a register's name.
bool names_a_register(const std::string& text) {
    return !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) == 0 &&
           text[0] != '-' && text[0] != '+';
}

Result reg(Context& c, const std::vector<std::string>& a) {
    long long addr = 0, value = 0;
    const bool read = a.size() == 3 && a[1] == "read";
    const bool write = a.size() == 4 && a[1] == "write";
    if ((read || write) && names_a_register(a[2]) && chip::register_address(a[2]) < 0)
        return unknown_name("register", a[2], chip::register_names(),
                            " (ADDR 0..0x2F or a name such as VERSION)");
    if ((!read && !write) || !address_arg(a[2], 0x2F, &addr) ||
        (write && !parse_number(a[3], 0, 0xFFFFFF, &value)))
        return usage_error(
            "usage: reg read ADDR | reg write ADDR VALUE (ADDR 0..0x2F or a name, VALUE 24-bit)");
    Result f;
    if (!ensure_connected(c, &f)) return f;
    Result r;
    char name[8];
    std::snprintf(name, sizeof name, "0x%02llX", addr);
    r.add("address", name, name);
    if (read) {
        int v = 0;
        if (const core::Status s = chip::reg_read(c.app.port, static_cast<int>(addr), &v); !s)
            return failure(s, "register read failed");
        r.add("value", hex_word(v), hex_word(v));
    } else {
        const int v = static_cast<int>(value);
        if (const core::Status s = chip::reg_write(c.app.port, static_cast<int>(addr), v); !s)
            return failure(s, "register write not acknowledged");
        r.add("value", hex_word(v), hex_word(v));
    }
    return r;
}

Result cmd(Context& c, const std::vector<std::string>& a) {
    long long code = 0, d1 = 0, d2 = 0;
    if (a.size() < 2 || a.size() > 4 || !parse_number(a[1], 0, 0xFFFFFF, &code) ||
        (a.size() > 2 && !parse_number(a[2], 0, 0xFFFFFF, &d1)) ||
        (a.size() > 3 && !parse_number(a[3], 0, 0xFFFFFF, &d2)))
        return usage_error("usage: cmd CODE [DATA1 [DATA2]] (24-bit values)");
    Result f;
    if (!ensure_connected(c, &f)) return f;
    int w1 = static_cast<int>(d1), w2 = static_cast<int>(d2);
    if (const core::Status s =
            chip::dsp_command(c.app.port, static_cast<int>(code), &w1, &w2, true);
        !s)
        return failure(s, "command failed");
    Result r;
    r.add("code", hex_word(static_cast<int>(code)), hex_word(static_cast<int>(code)));
    r.add("result1", hex_word(w1), hex_word(w1));
    r.add("result2", hex_word(w2), hex_word(w2));
    return r;
}

Result port(Context& c, const std::vector<std::string>& a) {
    long long addr = 0;
    const bool read = a.size() >= 3 && a.size() <= 4 && a[1] == "read";
    const bool write = (a.size() == 4 || a.size() == 6) && a[1] == "write";
    if ((!read && !write) || !parse_number(a[2], 0, 0x1F, &addr))
        return usage_error("usage: port read ADDR [1|3] | port write ADDR WORD [WORD WORD]");
    long long count = 1;
    if (read && a.size() == 4 && (!parse_number(a[3], 1, 3, &count) || count == 2))
        return usage_error("usage: port read ADDR [1|3]");
    std::vector<int> words;
    for (size_t i = 3; write && i < a.size(); ++i) {
        long long w = 0;
        if (!parse_number(a[i], 0, 0xFFFFFF, &w))
            return usage_error("port words are 24-bit values");
        words.push_back(static_cast<int>(w));
    }
    Result f;
    if (!ensure_connected(c, &f)) return f;
    Result r;
    char name[8];
    std::snprintf(name, sizeof name, "0x%02llX", addr);
    r.add("address", name, name);
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    std::string text;
    if (read) {
        // Every word is read, as the panel's tool does; the first failure is the outcome.
        core::Status first;
        for (int i = 0; i < count; ++i) {
            int v = 0;
            const core::Status s =
                boardlink::spi_read(c.app.port, static_cast<int>(addr) + 3 * i, &v);
            if (first && !s) first = s;
            list.push_back(hex_word(v));
            text += (i ? " " : "") + hex_word(v);
        }
        if (!first) return failure(first, "port read failed");
    } else {
        int bytes[9];
        for (size_t i = 0; i < words.size(); ++i) {
            core::word_bytes(words[i], bytes + 3 * i);
            list.push_back(hex_word(words[i]));
            text += (i ? " " : "") + hex_word(words[i]);
        }
        const core::Status s = boardlink::spi_write(c.app.port, static_cast<int>(3 * words.size()),
                                                    static_cast<int>(addr), bytes);
        if (!s) return failure(s, "port write not acknowledged");
    }
    r.add("words", list, text);
    return r;
}

Result load(Context& c, const std::vector<std::string>& a) {
    static const std::pair<const char*, chip::WordFileKind> kinds[] = {
        {"fir", chip::WordFileKind::Fir},
        {"iir", chip::WordFileKind::Iir},
        {"tbs", chip::WordFileKind::Tbs}};
    const chip::WordFileKind* kind = nullptr;
    for (const auto& k : kinds)
        if (a.size() == 3 && a[1] == k.first) kind = &k.second;
    if (!kind) return usage_error("usage: load fir|iir|tbs FILE");
    Result f;
    if (!ensure_connected(c, &f)) return f;
    const core::Status s = chip::send_word_file(c.app, *kind, a[2]);
    show(c, s);
    if (!s)
        return failure(s, s.fault == core::Fault::BadInput ? "nothing was sent" : "load failed");
    Result r;
    r.add("file", a[2], a[2]);
    r.add("kind", a[1], a[1]);
    return r;
}

}  // namespace

void add_board_commands() {
    auto& m = commands();
    m["connect"] = {"connect", "find, open and identify the board",
                    [](Context& c, const std::vector<std::string>& a) {
                        return a.size() == 1 ? connect(c) : usage_error("usage: connect");
                    }};
    m["disconnect"] = {"disconnect", "close the board",
                       [](Context& c, const std::vector<std::string>& a) {
                           if (a.size() != 1) return usage_error("usage: disconnect");
                           App& app = c.app;
                           if (app.link.usb_opened == 1) {
                               app.ui.SetCtrlVal(app.shell.setuppanel, SETUP_CONNECT, 0);
                               shell::show_outcome(app.ui, boardlink::disconnect_board(app));
                           }
                           Result r;
                           r.add("connected", false, "no");
                           return r;
                       }};
    m["reset"] = {"reset", "restart the board's MCU (asks; answered yes with --yes)",
                  [](Context& c, const std::vector<std::string>& a) {
                      if (a.size() != 1) return usage_error("usage: reset");
                      Result f;
                      if (!ensure_connected(c, &f)) return f;
                      const core::Status s =
                          boardlink::reset_board(c.app, boardlink::confirm_reset(c.app));
                      shell::show_outcome(c.app.ui, s);
                      if (!s) return failure(s, "reset not confirmed");
                      Result r;
                      r.add("reset", true, "done");
                      return r;
                  }};
    m["reg"] = {"reg read ADDR | reg write ADDR VALUE", "read or write a filter register", reg};
    m["cmd"] = {"cmd CODE [DATA1 [DATA2]]", "send a command word; prints the two read-back words",
                cmd};
    m["load"] = {"load fir|iir|tbs FILE", "send a word file of FIR, IIR or TBS words", load};
    m["port"] = {"port read ADDR [COUNT] | port write ADDR WORD [WORD WORD]",
                 "read 1 or 3 port registers, or write 1 or 3 words", port};
}

}  // namespace cli
