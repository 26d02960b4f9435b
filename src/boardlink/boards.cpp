#include "boardlink/boards.h"

namespace boardlink {

namespace {
constexpr BoardInfo kBoards[] = {
    {1, "RDK4810 RevC", true, true},   {2, "EVK4820 RevA", false, false},
    {3, "EVK4820 RevB", false, false}, {4, "EVK4810 RevC", true, false},
    {5, "EVK4820 RevC", false, false}, {6, "RDK4820 RevA", false, true},
    {7, "RDK4810 RevD", true, true},   {8, "EVK4820 RevD", false, false},
    {9, "EVK4810 RevD", true, false},  {10, "EVK4830 RevA", true, false},
};
}  // namespace

const BoardInfo* find_board(int code) {
    for (const auto& b : kBoards)
        if (b.code == code) return &b;
    return nullptr;
}

}  // namespace boardlink
