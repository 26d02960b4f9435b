// The four internal macros and which one the editor shows; they live as long as the program.
#pragma once

#include <array>

#include "macros/entry.h"

namespace macros {

inline constexpr int kInternalMacros = 4;

struct MacroState {
    std::array<Table, kInternalMacros> store{};
    int current = 0;

    Table& current_macro() { return store[current]; }
};

}  // namespace macros
