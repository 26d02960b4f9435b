// The run-time's popups as modal dialogs: titles and texts exactly as the system gives them.
#pragma once

#include <string>

#include "platform/ui/frontend.h"

class QWidget;

namespace ui::qt {

void show_message(QWidget* parent, const std::string& title, const std::string& text);
// 1 = yes, 0 = no.
int ask_confirm(QWidget* parent, const std::string& title, const std::string& text);
// 0 with the answer (at most max_length characters when max_length > 0); -1 when cancelled.
int ask_prompt(QWidget* parent, const std::string& title, const std::string& text, int max_length,
               std::string& answer);
// 1 with the chosen path, 0 when cancelled.
int ask_file(QWidget* parent, const FileSelectRequest& req, std::string& path);

}  // namespace ui::qt
