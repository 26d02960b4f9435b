// The few decisions about looks that several widgets share: colours that stay readable on the
// light surfaces we draw on, the lamp that shows an on/off state, and sizes in the resources'
// 96-dpi pixels.
#pragma once

#include <QColor>
#include <QIcon>

class QWidget;

namespace ui::qt {

// A colour of the model (0xRRGGBB) as text or a line on a light surface. System code picks
// some colours for dark read-outs (white text, bright plot colours); those are darkened so the
// meaning stays and the text stays legible. Black means "the normal text colour".
QColor readable_colour(int rgb, const QColor& normal_text);

// A colour of the model as it is, for fills (lamps, bars).
QColor model_colour(int rgb);

// A round lamp: filled with the colour when on, an empty ring when off.
QIcon lamp_icon(const QColor& on_colour, bool on, int size);

// Resource pixels (96 dpi) in device-independent pixels of the widget's screen.
int scaled(const QWidget* w, int pixels);

// The program's icon: a trace on a rounded square, drawn, so no image file is needed.
QIcon program_icon();

}  // namespace ui::qt
