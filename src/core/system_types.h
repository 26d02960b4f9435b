// Capacities, codes and word helpers every subsystem shares; standard library only.
#pragma once

#include <cstdint>

namespace core {

// Entries of the capture buffer and of each channel's arrays: the largest capture plus the
// four-channel chip's stale lead-in word.
inline constexpr int kBufferEntries = 1048577;
// The largest record count a capture may ask for.
inline constexpr int kMaxRecords = 1048576;

// Word-file capacities, in words (the chip's coefficient and TBS memories).
inline constexpr int kFirWordCapacity = 1024;
inline constexpr int kIirWordCapacity = 1024;
inline constexpr int kTbsWordCapacity = 2048;

// The setup panel's channel-count field holds 0 for four channels.
inline constexpr int channels_from_code(int code) {
    return code == 0 ? 4 : code;
}
inline constexpr int code_from_channels(int channels) {
    return channels == 4 ? 0 : channels;
}

// Chip words are 24 bits; host values are cut to their low 24 bits and never sign-extended.
inline constexpr int kWordMask = 0xFFFFFF;
inline constexpr int chip_word(long long value) {
    return static_cast<int>(value & kWordMask);
}
// Splits a host value into the three bytes of a chip word, most significant first.
inline void word_bytes(int value, int* out) {
    out[0] = (value >> 16) & 0xFF;
    out[1] = (value >> 8) & 0xFF;
    out[2] = value & 0xFF;
}
inline constexpr int word_from_bytes(std::uint8_t hi, std::uint8_t mid, std::uint8_t lo) {
    return hi * 65536 + mid * 256 + lo;
}
// A 24-bit two's-complement sample as a host integer.
inline constexpr std::int32_t sign_extend24(int word) {
    return word <= 0x7FFFFF ? word : word - 16777216;
}

}  // namespace core
