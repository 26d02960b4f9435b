#include "boardlink/boards.h"

namespace boardlink {

namespace {

constexpr PinLabelSet kFourChannelPins{{"MUX0", "MUX1", "GAIN0", "GAIN1", "GAIN2", "MODE0", "MODE1",
                                        "MODE2", "PWDN", "SW0", "SW1", "SW2"},
                                       true};
constexpr PinLabelSet kSingleChannelPins{
    {"MUX0", "MODE0", "MODE1", "MODE3", "GAIN0", "GAIN1", "GAIN2", "MUX1", "NC", "NC", "NC", "NC"},
    false};

constexpr ChannelFamily kFourChannels{0, true, true};
constexpr ChannelFamily kOneChannel{1, false, false};

using C = ChipFamily;
using W = ModulatorWiring;

constexpr BoardInfo kBoards[] = {
    {1, "RDK4810 RevC", C::FourChannel, W::PinsWithPowerDown, true, true, &kFourChannelPins,
     &kFourChannels},
    {2, "EVK4820 RevA", C::SingleChannel, W::SingleChannelPins, false, false, &kSingleChannelPins,
     &kOneChannel},
    {3, "EVK4820 RevB", C::SingleChannel, W::SingleChannelPins, false, false, &kSingleChannelPins,
     &kOneChannel},
    {4, "EVK4810 RevC", C::FourChannel, W::PinsFixedSwitches, false, false, &kFourChannelPins,
     &kFourChannels},
    {5, "EVK4820 RevC", C::SingleChannel, W::SingleChannelPins, false, false, &kSingleChannelPins,
     &kOneChannel},
    {6, "RDK4820 RevA", C::SingleChannel, W::SingleChannelPins, false, true, &kSingleChannelPins,
     &kOneChannel},
    {7, "RDK4810 RevD", C::FourChannel, W::PinsWithPowerDown, true, true, &kFourChannelPins,
     &kFourChannels},
    {8, "EVK4820 RevD", C::SingleChannel, W::SingleChannelPins, false, false, &kSingleChannelPins,
     &kOneChannel},
    {9, "EVK4810 RevD", C::FourChannel, W::PinsFixedSwitches, false, false, &kFourChannelPins,
     &kFourChannels},
    {10, "EVK4830 RevA", C::FourChannel, W::SerialModulator, false, false, &kFourChannelPins,
     &kFourChannels},
};

}  // namespace

const BoardInfo* find_board(int code) {
    for (const auto& b : kBoards)
        if (b.code == code) return &b;
    return nullptr;
}

}  // namespace boardlink
