#include "platform/ui/qt/html_pdf.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextDocument>
#include <QUrl>

namespace ui::qt {

namespace {

// Set explicitly: without a screen to ask (offscreen) the default is not usable.
constexpr int kPdfDpi = 300;
// Pictures are drawn at this multiple of their size, so they stay sharp when printed.
constexpr int kPictureScale = 3;

}  // namespace

QByteArray html_to_pdf(const QString& html) {
    // The rich-text engine knows no inline SVG: each picture becomes an image resource.
    QTextDocument doc;
    static const QRegularExpression svg(QStringLiteral("<svg\\b.*?</svg>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QString text;
    qsizetype from = 0;
    int count = 0;
    for (auto it = svg.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        text += html.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        QSvgRenderer renderer(m.captured().toUtf8());
        if (!renderer.isValid()) continue;
        const QSize size = renderer.defaultSize();
        QImage image(size * kPictureScale, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString name = QStringLiteral("picture%1").arg(++count);
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        text += QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
                    .arg(name)
                    .arg(size.width())
                    .arg(size.height());
    }
    text += html.mid(from);
    doc.setHtml(text);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(doc.metaInformation(QTextDocument::DocumentTitle));
    doc.print(&writer);
    buffer.close();
    return bytes;
}

}  // namespace ui::qt
