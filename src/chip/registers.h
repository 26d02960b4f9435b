// The three primitives every chip access is built on: read a filter register, write one,
// send a command word with two data words.
#pragma once

#include <cstdint>

#include "boardlink/transport/port.h"
#include "core/status.h"

namespace chip {

// Port registers (byte addresses).
inline constexpr int SPICTRL = 0x00;
inline constexpr int SPICMD = 0x03;
inline constexpr int SPIDAT1 = 0x06;
inline constexpr int SPIDAT2 = 0x09;

// Command words.
inline constexpr int NOP = 0x00;
inline constexpr int WR_DFREG = 0x01;
inline constexpr int RD_DFREG = 0x02;
inline constexpr int WR_FIR_COEF = 0x03;
inline constexpr int WR_IIR_COEF = 0x04;
inline constexpr int WR_ROM_COEF = 0x05;
inline constexpr int WR_TBS_DATA = 0x06;
inline constexpr int WR_ROM_TBS = 0x07;
inline constexpr int FL_START = 0x08;
inline constexpr int FL_STOP = 0x09;

// Filter registers used by the program.
inline constexpr int REG_CONFIG = 0x00;
inline constexpr int REG_GPCFG0 = 0x0E;
inline constexpr int REG_GPCFG1 = 0x0F;
inline constexpr int REG_SPI2CTRL = 0x10;
inline constexpr int REG_SPI2CMD = 0x11;
inline constexpr int REG_SPI2DAT = 0x12;
inline constexpr int REG_FILTCFG = 0x20;
inline constexpr int REG_GAIN1 = 0x21;
inline constexpr int REG_OFFSET1 = 0x25;
inline constexpr int REG_TBSCFG = 0x2A;
inline constexpr int REG_TBSGAIN = 0x2B;
inline constexpr int REG_VERSION = 0x2E;

// Inner forms: the outcome of each exchange. A failed read leaves 0 in *value and has shown
// the transport's message.
core::Status reg_read(boardlink::Port& port, int address, int* value);
core::Status reg_write(boardlink::Port& port, int address, int value);
// As DSP_command; a failed read-back is a failed command.
core::Status dsp_command(boardlink::Port& port, int command, int* data1, int* data2,
                         bool read_back);

int REG_read(boardlink::Port& port, int address);
std::uint8_t REG_write(boardlink::Port& port, int address, int value);
// data1 and data2 are in/out. With read_back 1 they receive SPIDAT1 and SPIDAT2; commands
// 0x13 and 0x14 return their second result in SPIDAT1.
std::uint8_t DSP_command(boardlink::Port& port, int command, int* data1, int* data2, int read_back);

}  // namespace chip
