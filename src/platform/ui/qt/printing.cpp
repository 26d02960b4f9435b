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

}  // namespace

int print_widget(QWidget* dialog_parent, QWidget* what, bool low_resolution) {
    QPrinter printer(low_resolution ? QPrinter::ScreenResolution : QPrinter::HighResolution);
    printer.setResolution(low_resolution ? kLowResolutionDpi : kHighResolutionDpi);
    printer.setPageOrientation(what->width() >= what->height() ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
    printer.setDocName(what->window()->windowTitle());
    QPrintDialog dialog(&printer, dialog_parent);
    if (dialog.exec() != QDialog::Accepted) return 1;

    auto* plot = qobject_cast<QCustomPlot*>(what);
    QCPPainter painter;
    if (!painter.begin(&printer)) return 2;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / what->width(), page.height() / what->height());
    painter.scale(scale, scale);
    if (plot) {
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        plot->toPainter(&painter, plot->width(), plot->height());
    } else {
        what->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    const bool ok = painter.end();
    return ok && printer.printerState() != QPrinter::Error ? 0 : 2;
}

int copy_to_clipboard(QWidget* window) {
    const QImage image = window->grab().toImage();
    if (image.isNull()) return 1;
    QApplication::clipboard()->setImage(image);
    return 0;
}

}  // namespace ui::qt
