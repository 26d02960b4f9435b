#include "debugtools/debugger/state.h"

namespace debugger {

bool apply_selection(CommandPanelState& s, int code, int numwords, int address) {
    const CommandInfo& info = command_info(code);
    if (info.fields == Fields::Unchanged) return false;
    s.code = code;
    const bool memory = info.fields == Fields::Memory;
    s.shown = memory ? numwords : info.shown;
    s.count = memory ? numwords : info.count;
    s.address = info.fields == Fields::Fixed ? 0 : address;
    return true;
}

int data_fields_for(int code, int shown) {
    const bool write = code % 2 == 0;
    const bool fits = shown == 1 || shown == 2 || shown == 3 || shown == kDataFields;
    return write && fits ? shown : 0;
}

}  // namespace debugger
