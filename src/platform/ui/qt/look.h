// The few decisions about looks that several widgets share: colours that stay readable on the
// light surfaces we draw on, the lamp that shows an on/off state, and sizes in the resources'
// 96-dpi pixels.
#pragma once

#include <QColor>
#include <QFont>
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

// A font whose glyphs all advance alike, so columns of text line up: the system's fixed font
// when it is one, else the first of a few well-known monospaced families that is. Chosen by
// measuring, since fontconfig does not flag every monospaced family as such.
QFont fixed_pitch_font();

// The program's icon: a trace on a rounded square, drawn, so no image file is needed.
QIcon program_icon();

}  // namespace ui::qt
