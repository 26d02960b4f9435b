#include "chip/register_map.h"

namespace chip {

const char* const kRegisterNames[48] = {
    "CONFIG   ", "SDB_SCR  ", "STATUS   ", "SHADOW   ", "INTPRTY0 ", "INTPRTY1 ", "WDCTRL   ",
    "WDDAT    ", "MDICTRL  ", "MDICFG   ", "MDIDAT1  ", "MDIDAT2  ", "MDIDAT3  ", "MDIDAT4  ",
    "GPCFG0   ", "GPCFG1   ", "SPI2CTRL ", "SPI2CMD  ", "SPI2DAT  ", "TMODCFG  ", "TMODDAT  ",
    "IOREG21  ", "IOREG22  ", "SD_STAT  ", "SD_DATA  ", "SPI1CTRL ", "SPI1CMD  ", "SPI1DAT1 ",
    "SPI1DAT2 ", "DEB_DATA ", "DEB_STAT ", "BASENDPTR", "FILT_CFG ", "GAIN1    ", "GAIN2    ",
    "GAIN3    ", "GAIN4    ", "OFFSET1  ", "OFFSET2  ", "OFFSET3  ", "OFFSET4  ", "TIMEBRK  ",
    "TBS_CFG  ", "TBS_GAIN ", "SYSTEM1  ", "SYSTEM2  ", "VERSION  ", "SELFTEST ",
};

#define BLANK "         "
const char* const kPortNames[32] = {
    "SPICTRL  ", BLANK, BLANK, "SPICMD   ", BLANK, BLANK, "SPIDAT1  ", BLANK, BLANK,
    "SPIDAT2  ", BLANK, BLANK, "DEB_DATA ", BLANK, BLANK, "DEB_STAT ", BLANK, BLANK,
    "TEST3    ", BLANK, BLANK, "TEST2    ", BLANK, BLANK, "TEST1    ", BLANK, BLANK,
    "TEST0    ", BLANK, BLANK, BLANK,       BLANK,
};

const char* const kMiscNames[16] = {
    "DELAY(uS)", "WR_COEF  ", "WR_TBS   ", "FILT_STRT", BLANK, BLANK, BLANK, BLANK,
    BLANK,       BLANK,       BLANK,       BLANK,       BLANK, BLANK, BLANK, BLANK,
};
#undef BLANK

namespace {

constexpr PickItem kFourRegisters[] = {
    {"0x00  CONFIG", 0x00},   {"0x0E  GPCFG0", 0x0E},  {"0x0F  GPCFG1", 0x0F},
    {"0x10  SPI2CTRL", 0x10}, {"0x11  SPI2CMD", 0x11}, {"0x12  SPI2DAT", 0x12},
    {"0x20  FILTCFG", 0x20},  {"0x21  GAIN1", 0x21},   {"0x22  GAIN2", 0x22},
    {"0x23  GAIN3", 0x23},    {"0x24  GAIN4", 0x24},   {"0x25  OFFSET1", 0x25},
    {"0x26  OFFSET2", 0x26},  {"0x27  OFFSET3", 0x27}, {"0x28  OFFSET4", 0x28},
    {"0x29  TIMEBRK", 0x29},  {"0x2A  TBSCFG", 0x2A},  {"0x2B  TBSGAIN", 0x2B},
    {"0x2C  SYSTEM1", 0x2C},  {"0x2D  SYSTEM2", 0x2D}, {"0x2E  VERSION", 0x2E},
    {"0x2F  SELFTEST", 0x2F},
};

constexpr PickItem kSingleRegisters[] = {
    {"0x00  CONFIG", 0x00},  {"0x0E  GPCFG0", 0x0E},  {"0x20  FILTCFG", 0x20},
    {"0x21  GAIN", 0x21},    {"0x25  OFFSET", 0x25},  {"0x29  TIMEBRK", 0x29},
    {"0x2A  TBSCFG", 0x2A},  {"0x2B  TBSGAIN", 0x2B}, {"0x2C  SYSTEM1", 0x2C},
    {"0x2D  SYSTEM2", 0x2D}, {"0x2E  VERSION", 0x2E}, {"0x2F  SELFTEST", 0x2F},
};

constexpr PickItem kFourCommands[] = {
    {"NOP", 0},         {"WR_DFREG", 1},    {"RD_DFREG", 2},    {"WR_FIR_COEF", 3},
    {"WR_IIR_COEF", 4}, {"WR_ROM_COEF", 5}, {"WR_TBS_DATA", 6}, {"WR_ROM_TBS", 7},
    {"FL_START", 8},    {"FL_STOP", 9},
};

constexpr PickItem kSingleCommands[] = {
    {"NOP", 0},         {"WR_DFREG", 1},    {"RD_DFREG", 2}, {"WR_FIR_COEF", 3},
    {"WR_IIR_COEF", 4}, {"WR_ROM_COEF", 5}, {"FL_START", 8}, {"FL_STOP", 9},
};

constexpr PickItem kSingleMacroRegisters[] = {
    {"0x00  CONFIG", 0x00},           {"0x0E  GPCFG0", 0x0E},
    {"0x20  FILTCFG", 0x20},          {"0x21  GAIN", 0x21},
    {"0x25  OFFSET", 0x25},           {"0x29  TIMEBRK", 0x29},
    {"0x2A  TBSCFG", 0x2A},           {"0x2B  TBSGAIN", 0x2B},
    {"0x2C  SYSTEM1", 0x2C},          {"0x2D  SYSTEM2", 0x2D},
    {"0x2E  VERSION", 0x2E},          {"0x2F  SELFTEST", 0x2F},
    {"---- SPI Registers ----", 902}, {"0x00  SPICTRL", 0x40},
    {"0x03  SPICMD", 0x43},           {"0x06  SPI1DAT", 0x46},
    {"0x09  SPI2DAT", 0x49},          {"---- Misc. Commands ----", 903},
    {"0x00  DELAY (Sec)", 0x60},      {"0x05  WR_COEF", 0x61},
    {"0x07  WR_TBS", 0x62},           {"0x08  FILT_STRT", 0x63},
};

}  // namespace

std::span<const PickItem> four_channel_registers() {
    return kFourRegisters;
}
std::span<const PickItem> single_channel_registers() {
    return kSingleRegisters;
}
std::span<const PickItem> four_channel_commands() {
    return kFourCommands;
}
std::span<const PickItem> single_channel_commands() {
    return kSingleCommands;
}
std::span<const PickItem> single_channel_macro_registers() {
    return kSingleMacroRegisters;
}

namespace {

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

int register_address(const std::string& name) {
    auto strip = [](std::string s) {
        std::erase(s, '_');
        return s;
    };
    for (int a = 0; a < 48; ++a) {
        const std::string n = trimmed(kRegisterNames[a]);
        if (n == name || strip(n) == name) return a;
    }
    return -1;
}

std::vector<std::string> register_names() {
    std::vector<std::string> names;
    for (const char* padded : kRegisterNames)
        if (std::string n = trimmed(padded); !n.empty()) names.push_back(n);
    return names;
}

}  // namespace chip
