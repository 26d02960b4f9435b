// A self-contained HTML document laid out on PDF pages.
#pragma once

#include <QByteArray>
#include <QString>

namespace ui::qt {

// The document's inline <svg> pictures are drawn as images in their place; the rest is laid out
// by the rich-text engine on A4 pages. Empty when the document cannot be drawn.
QByteArray html_to_pdf(const QString& html);

}  // namespace ui::qt
