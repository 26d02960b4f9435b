#include "mkboot/image.h"

#include <array>
#include <utility>

#include "chip/files/conversion.h"

namespace mkboot {

namespace {

constexpr std::size_t kHeaderBytes = 16;
constexpr std::uint8_t kRegisterWrite = 0x01;
constexpr std::uint8_t kFirCoefficients = 0x02;
constexpr std::uint8_t kIirCoefficients = 0x03;
constexpr std::uint8_t kRomCoefficients = 0x04;
constexpr std::uint8_t kTbsData = 0x05;
constexpr std::uint8_t kRomTbs = 0x06;
constexpr std::uint32_t kRomCoefficientSelection = 0x002200;
constexpr std::array<std::uint8_t, 11> kClosingBlockA = {0x0B, 0x00, 0x30, 0x00, 0x00, 0x30,
                                                         0x03, 0x97, 0x80, 0xC2, 0xFF};
constexpr std::array<std::uint8_t, 12> kClosingBlockB = {0x22, 0x80, 0xD7, 0x40, 0x00, 0xD2,
                                                         0x06, 0x0E, 0x0D, 0x00, 0x30, 0x00};

class ImageWriter {
  public:
    void byte(std::uint8_t b) { bytes_.push_back(b); }
    void word(std::uint32_t w) {
        byte(static_cast<std::uint8_t>(w >> 16));
        byte(static_cast<std::uint8_t>(w >> 8));
        byte(static_cast<std::uint8_t>(w));
    }
    void coefficients(std::span<const double> values) {
        for (double x : values) word(chip::coefficient_word(x));
    }
    template <std::size_t N>
    void bytes(const std::array<std::uint8_t, N>& block) {
        bytes_.insert(bytes_.end(), block.begin(), block.end());
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> build_image(const BootImageInputs& inputs) {
    ImageWriter out;
    for (std::size_t i = 0; i < kHeaderBytes; ++i) out.byte(0x00);
    for (const chip::RegisterPair& pair : inputs.registers) {
        out.byte(kRegisterWrite);
        out.word(pair.address & 0xFF);
        out.word(pair.value & 0xFFFFFF);
    }
    if (inputs.fir) {
        out.byte(kFirCoefficients);
        out.word(static_cast<std::uint32_t>(inputs.fir->first.size()));
        out.word(static_cast<std::uint32_t>(inputs.fir->second.size()));
        out.coefficients(inputs.fir->first);
        out.coefficients(inputs.fir->second);
    }
    if (inputs.iir) {
        out.byte(kIirCoefficients);
        out.coefficients(inputs.iir->first);
        out.coefficients(inputs.iir->second);
    }
    if (!inputs.fir && !inputs.iir && !inputs.tbs) {
        out.byte(kRomCoefficients);
        out.word(kRomCoefficientSelection);
    }
    if (inputs.tbs) {
        out.byte(kTbsData);
        out.word(static_cast<std::uint32_t>(inputs.tbs->size()));
        for (double x : *inputs.tbs) out.word(chip::tbs_word(x));
    } else {
        out.byte(kRomTbs);
    }
    out.bytes(kClosingBlockA);
    out.bytes(kClosingBlockB);
    return out.take();
}

std::string image_text(std::span<const std::uint8_t> bytes) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * (2 + kLineEnd.size()));
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
        text += kLineEnd;
    }
    return text;
}

}  // namespace mkboot
