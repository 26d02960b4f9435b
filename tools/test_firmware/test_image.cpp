#include "test_image.h"

#include <algorithm>
#include <cstdio>

#include "boardlink/firmware/firmware_file.h"

namespace test_firmware {

namespace fw = boardlink::firmware;

namespace {

constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kEndRecord = 0x01;
constexpr std::uint8_t kErased = 0xFF;

void append_record(std::string& out, std::uint16_t address, std::uint8_t kind,
                   const std::uint8_t* data) {
    std::uint8_t n[fw::kRecordNumbers] = {static_cast<std::uint8_t>(fw::kDataBytes),
                                          static_cast<std::uint8_t>(address >> 8),
                                          static_cast<std::uint8_t>(address), kind};
    std::copy(data, data + fw::kDataBytes, n + 4);
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < fw::kRecordNumbers; ++i) sum += n[i];
    n[fw::kRecordNumbers - 1] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    char hex[4];
    for (std::size_t i = 0; i < fw::kRecordNumbers; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", n[i]);
        out += hex;
        out += i + 1 < fw::kRecordNumbers ? ' ' : '\n';
    }
}

}  // namespace

Bytes image_bytes(int code, std::size_t bytes) {
    const std::size_t size = std::min<std::size_t>(
        (bytes + fw::kDataBytes - 1) / fw::kDataBytes * fw::kDataBytes, fw::kImageEnd);
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + (i >> 8) + code);
    const std::string banner =
        "SEISBENCH TEST IMAGE - NOT MCU FIRMWARE - BOARD " + std::to_string(code);
    std::copy_n(banner.begin(), std::min(banner.size(), size), image.begin());
    return image;
}

std::string firmware_text(const Bytes& image) {
    std::string out;
    for (std::size_t a = 0; a + fw::kDataBytes <= image.size(); a += fw::kDataBytes)
        append_record(out, static_cast<std::uint16_t>(a), kDataRecord, image.data() + a);
    const Bytes blank(fw::kDataBytes, kErased);
    append_record(out, fw::kImageEnd, kEndRecord, blank.data());
    return out;
}

Bytes flash_after(const Bytes& image) {
    Bytes flash(fw::kImageEnd, kErased);
    std::copy(image.begin(), image.end(), flash.begin());
    return flash;
}

}  // namespace test_firmware
