// The control panel's register, command and port tool.
#pragma once

class App;

namespace chip {

void register_tool_callbacks(App& app);

}  // namespace chip
