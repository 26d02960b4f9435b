// Printing, the clipboard, the help viewer and the standard-output window.
#include <qcustomplot.h>
#include <QClipboard>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QTextBrowser>

#include <algorithm>
#include <filesystem>

#include "platform/ui/qt/help_viewer.h"
#include "platform/ui/qt/printing.h"
#include "qt_support.h"
#include "support/test_app.h"
#include "uir_ids.h"

#include <gtest/gtest.h>

using qt_support::press_button;
using qt_support::settle;
using qt_support::when_dialog_shown;

namespace {

class QtOutput : public ::testing::Test {
  protected:
    void SetUp() override { t.start(); }

    void trigger(const char* action) {
        QAction* a = t.frontend.main_window()->findChild<QAction*>(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    // Answers the print dialog with a PDF file (or cancels), then notes the message shown.
    void answer_print(const QString& pdf) {
        when_dialog_shown([this, pdf](QWidget* d) {
            auto* dlg = qobject_cast<QPrintDialog*>(d);
            ASSERT_NE(dlg, nullptr);
            resolution = dlg->printer()->resolution();
            if (pdf.isEmpty()) {
                dlg->done(QDialog::Rejected);
                return;
            }
            dlg->printer()->setOutputFormat(QPrinter::PdfFormat);
            dlg->printer()->setOutputFileName(pdf);
            dlg->done(QDialog::Accepted);
            note_message();
        });
    }
    void note_message() {
        when_dialog_shown([this](QWidget* d) {
            auto* box = qobject_cast<QMessageBox*>(d);
            ASSERT_NE(box, nullptr);
            message = box->windowTitle() + "|" + box->text();
            press_button(box, "OK");
        });
    }
    static bool is_pdf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-" && f.size() > 1000;
    }

    qt_support::QtApp t;
    int resolution = 0;
    QString message;
    std::string dir = testing_support::copy_resources_to_temp();
};

}  // namespace

TEST_F(QtOutput, PrintScreenAndPrintGraphWriteAPdfAtTheChosenResolution) {
    const QString screen = QString::fromStdString(dir + "/screen.pdf");
    answer_print(screen);
    trigger("PRINTSCREEN");
    EXPECT_EQ(resolution, 600);  // high resolution is checked at start
    EXPECT_EQ(message, "Print Screen|Print Successful.");
    EXPECT_TRUE(is_pdf(screen));

    trigger("LORES");
    const QString graph = QString::fromStdString(dir + "/graph.pdf");
    answer_print(graph);
    trigger("PRINTGRAPH");
    EXPECT_EQ(resolution, 150);
    EXPECT_EQ(message, "Print Graph|Print Successful.");
    EXPECT_TRUE(is_pdf(graph));

    answer_print(QString());
    note_message();
    trigger("PRINTGRAPH");
    EXPECT_EQ(message, "Print Graph Error|Print Unsuccessful.");
}

TEST_F(QtOutput, CopyPutsTheMainWindowOnTheClipboard) {
    QApplication::clipboard()->clear();
    note_message();
    trigger("COPY");
    EXPECT_EQ(message, "Panel Copied.|Panel copied to clipboard.");
    const QImage image = QApplication::clipboard()->image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), t.frontend.main_window()->size());
}

TEST_F(QtOutput, HelpOpensAtTheContentsOrWithTheSearchField) {
    trigger("CONTENTS");
    auto* viewer = dynamic_cast<ui::qt::HelpViewer*>([] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "HelpViewer" && w->isVisible()) return w;
        return static_cast<QWidget*>(nullptr);
    }());
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->browser()->source(),
              QUrl::fromLocalFile(QString::fromStdString(t->shell.helpFile)));
    EXPECT_EQ(viewer->windowTitle(), "Korvane Seismic Evaluation — Help");
    EXPECT_TRUE(viewer->browser()->toPlainText().contains("Start-up and the main window"));

    trigger("SEARCH");
    EXPECT_EQ(viewer->focusWidget(), viewer->search_field());
    viewer->search_field()->setText("Connect");
    viewer->search_field()->returnPressed();
    EXPECT_EQ(viewer->browser()->textCursor().selectedText(), "Connect");

    // The about panel's help command opens the same file.
    viewer->hide();
    QTest::mouseClick(t.find(t->shell.aboutpanel, "HELP"), Qt::LeftButton);
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(QtOutput, StandardOutputWindowShowsWhenSomethingIsPrinted) {
    auto* dock = t.frontend.main_window()->findChild<QDockWidget*>("StandardOutput");
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(dock->isVisible());
    testing::internal::CaptureStdout();
    t->ui.Print("EEPROM write 0x0000\npartial");
    t->ui.Print(" line\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "EEPROM write 0x0000\npartial line\n");
    EXPECT_TRUE(dock->isVisible());
    auto* text = dock->findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), "EEPROM write 0x0000\npartial line");
}

// A graph printed to PDF is laid out at the page's size: the drawing takes the page's width
// while its title keeps the height of its point size, not the screen drawing's text blown up
// with everything else. The page is read back through the system's PDF rasterizer.
TEST_F(QtOutput, APrintedGraphFillsThePageWithTextAtItsPointSize) {
    QCustomPlot plot;
    plot.resize(800, 400);
    plot.plotLayout()->insertRow(0);
    // Sized in points, as a desktop's fonts are: on paper a point is the printer's to resolve.
    QFont bold(plot.font().family());
    bold.setPointSizeF(10);
    bold.setBold(true);
    plot.plotLayout()->addElement(0, 0, new QCPTextElement(&plot, "TITLE", bold));
    plot.addGraph()->setData({0, 1, 2, 3}, {0, 3, 1, 2});
    plot.rescaleAxes();
    plot.replot();

    const QString pdf = QString::fromStdString(dir + "/page.pdf");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setResolution(600);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Landscape);
        ASSERT_EQ(ui::qt::print_on(printer, &plot), 0);
    }
    const QString prefix = QString::fromStdString(dir + "/page");
    QProcess raster;
    raster.start("pdftoppm", {"-r", "100", "-gray", "-singlefile", pdf, prefix});
    ASSERT_TRUE(raster.waitForFinished(60000) && raster.exitCode() == 0)
        << "pdftoppm (poppler-utils) is needed to read the page back";
    const QImage page = QImage(prefix + ".pgm").convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(page.isNull());

    auto dark_row = [&](int y) {
        const uchar* line = page.constScanLine(y);
        return std::any_of(line, line + page.width(), [](uchar v) { return v < 100; });
    };
    int left = page.width(), right = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* line = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x)
            if (line[x] < 100) left = std::min(left, x), right = std::max(right, x);
    }
    EXPECT_GT(right - left, page.width() * 8 / 10);
    int top = 0;
    while (top < page.height() && !dark_row(top)) ++top;
    int bottom = top;
    while (bottom < page.height() && dark_row(bottom)) ++bottom;
    // A 10 point capital is about 1 % of an A4 page's short side.
    EXPECT_GT(bottom - top, 0.004 * page.height());
    EXPECT_LT(bottom - top, 0.02 * page.height())
        << "title " << bottom - top << " of " << page.height() << " pixels";
}
