// Printing a panel or a graph through the print dialog, and a window's picture for the
// clipboard.
#pragma once

class QPrinter;
class QWidget;

namespace ui::qt {

// Asks for a printer (or a PDF file) and prints what, scaled to the page. A graph is printed
// as vector drawing. Low resolution prints at draft quality. 0 = printed, 1 = cancelled,
// 2 = the printer failed.
int print_widget(QWidget* dialog_parent, QWidget* what, bool low_resolution);

// Prints what on a printer set up already: a graph laid out anew at the page's size as vector
// drawing, anything else as a sharp picture scaled to fit. 0 = printed, 2 = the printer failed.
int print_on(QPrinter& printer, QWidget* what);

// Puts a picture of the window, with everything shown inside it, on the clipboard. 0 = done.
int copy_to_clipboard(QWidget* window);

}  // namespace ui::qt
