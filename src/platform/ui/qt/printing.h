// Printing a panel or a graph through the print dialog, and a window's picture for the
// clipboard.
#pragma once

class QWidget;

namespace ui::qt {

// Asks for a printer (or a PDF file) and prints what, scaled to the page. A graph is printed
// as vector drawing. Low resolution prints at draft quality. 0 = printed, 1 = cancelled,
// 2 = the printer failed.
int print_widget(QWidget* dialog_parent, QWidget* what, bool low_resolution);

// Puts a picture of the window, with everything shown inside it, on the clipboard. 0 = done.
int copy_to_clipboard(QWidget* window);

}  // namespace ui::qt
