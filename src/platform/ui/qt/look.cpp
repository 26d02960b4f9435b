#include "platform/ui/qt/look.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>

namespace ui::qt {

namespace {

bool advances_equal(const QFont& font) {
    const QFontMetricsF m(font);
    return m.horizontalAdvance(QStringLiteral("iiii")) ==
           m.horizontalAdvance(QStringLiteral("WWWW"));
}

}  // namespace

QFont fixed_pitch_font() {
    static const QFont chosen = [] {
        const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (advances_equal(system)) return system;
        for (const char* family : {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono",
                                   "Noto Mono", "Nimbus Mono PS", "FreeMono", "Courier New"}) {
            QFont f(QString::fromLatin1(family), system.pointSize());
            f.setStyleHint(QFont::TypeWriter);
            if (advances_equal(f)) return f;
        }
        QFont hinted = system;
        hinted.setStyleHint(QFont::Monospace);
        return hinted;
    }();
    return chosen;
}

QColor model_colour(int rgb) {
    return QColor::fromRgb(QRgb(0xFF000000u | (rgb & 0xFFFFFF)));
}

QColor readable_colour(int rgb, const QColor& normal_text) {
    rgb &= 0xFFFFFF;
    if (rgb == 0x000000 || rgb == 0xFFFFFF) return normal_text;
    QColor c = model_colour(rgb);
    // Perceived lightness; above about 0.6 a colour vanishes on white.
    const double luma = (0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF());
    if (luma > 0.55) c = c.darker(static_cast<int>(100 * luma / 0.45));
    return c;
}

QIcon lamp_icon(const QColor& on_colour, bool on, int size) {
    const qreal dpr = 2.0;  // drawn sharp on high-density screens too
    QPixmap pm(QSize(size, size) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, size - 3.0, size - 3.0);
    if (on) {
        p.setPen(QPen(on_colour.darker(150), 1.0));
        p.setBrush(on_colour);
    } else {
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1.0));
        p.setBrush(QColor(0xF0, 0xF0, 0xF0));
    }
    p.drawEllipse(r);
    p.end();
    return QIcon(pm);
}

int scaled(const QWidget* w, int pixels) {
    const int dpi = w ? w->logicalDpiX() : 96;
    return pixels * (dpi > 0 ? dpi : 96) / 96;
}

QIcon program_icon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size / 32.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2B, 0x4C, 0x6F));
        p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 6 * s, 6 * s);
        QPainterPath trace;
        const qreal ys[] = {16, 16, 12, 22, 6, 27, 11, 19, 16, 16};
        for (int i = 0; i < 10; ++i) {
            const QPointF pt((4 + i * 24.0 / 9) * s, ys[i] * s);
            i ? trace.lineTo(pt) : trace.moveTo(pt);
        }
        p.setPen(
            QPen(QColor(0xF2, 0xF2, 0xF2), 2.2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace ui::qt
