#include "chip/files/read_error.h"

#include "core/input_file.h"

namespace chip {

std::string refusal_reason(ReadError e) {
    switch (e) {
        case ReadError::Folder:
            return core::refusal_reason(core::Refusal::Folder);
        case ReadError::NotAFile:
            return core::refusal_reason(core::Refusal::NotAFile);
        case ReadError::TooLarge:
            return core::refusal_reason(core::Refusal::TooLarge);
        default:
            return {};
    }
}

}  // namespace chip
