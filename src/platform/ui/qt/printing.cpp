#include "platform/ui/qt/printing.h"

#include <qcustomplot.h>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace ui::qt {

namespace {

// Set explicitly: without a screen to ask (offscreen, PDF) the default is not usable.
constexpr int kHighResolutionDpi = 600;
constexpr int kLowResolutionDpi = 150;
// A panel is printed as a picture this many times sharper than the screen.
constexpr int kPanelPictureScale = 3;

}  // namespace

namespace {

// Draws what into the page rectangle of a painter that has begun on the printer.
void paint_on_page(QCPPainter& painter, QWidget* what, const QRectF& page) {
    if (auto* plot = qobject_cast<QCustomPlot*>(what)) {
        // Laid out afresh at the page's size, keeping the plot's shape.
        const double aspect = static_cast<double>(what->width()) / std::max(1, what->height());
        QSizeF size = page.size();
        if (size.width() > size.height() * aspect)
            size.setWidth(size.height() * aspect);
        else
            size.setHeight(size.width() / aspect);
        painter.save();
        painter.translate(page.topLeft());
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        plot->toPainter(&painter, static_cast<int>(size.width()), static_cast<int>(size.height()));
        painter.restore();
        return;
    }
    // Widgets lay their text out in screen pixels: printed as a sharp picture, scaled.
    QImage picture(what->size() * kPanelPictureScale, QImage::Format_RGB32);
    picture.setDevicePixelRatio(kPanelPictureScale);
    picture.fill(Qt::white);
    what->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    const double scale =
        std::min(page.width() / what->width(), page.height() / std::max(1, what->height()));
    painter.drawImage(QRectF(page.topLeft(), QSizeF(what->width() * scale, what->height() * scale)),
                      picture);
}

}  // namespace

int print_on(QPrinter& printer, QWidget* what) {
    // A graph is vector drawing, exact at any resolution. It is drawn at the screen's: the
    // plot lays its text out in screen pixels but draws it in the device's, so on a finer
    // device the text would outgrow the room left for it (clipped titles, tick labels over
    // each other, letters several times their size).
    if (qobject_cast<QCustomPlot*>(what)) printer.setResolution(what->logicalDpiY());
    QCPPainter painter;
    if (!painter.begin(&printer)) return 2;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    paint_on_page(painter, what, QRectF(QPointF(0, 0), page.size()));
    const bool ok = painter.end();
    return ok && printer.printerState() != QPrinter::Error ? 0 : 2;
}

int print_widget(QWidget* dialog_parent, QWidget* what, bool low_resolution) {
    QPrinter printer(low_resolution ? QPrinter::ScreenResolution : QPrinter::HighResolution);
    printer.setResolution(low_resolution ? kLowResolutionDpi : kHighResolutionDpi);
    printer.setPageOrientation(what->width() >= what->height() ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
    printer.setDocName(what->window()->windowTitle());
    QPrintDialog dialog(&printer, dialog_parent);
    if (dialog.exec() != QDialog::Accepted) return 1;
    return print_on(printer, what);
}

int copy_to_clipboard(QWidget* window) {
    const QImage image = window->grab().toImage();
    if (image.isNull()) return 1;
    QApplication::clipboard()->setImage(image);
    return 0;
}

}  // namespace ui::qt
