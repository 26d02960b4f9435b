// Every control of every panel becomes a widget, and a change in the model shows in it.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "all_types_fixture.h"
#include "platform/ui/qt/graph_view.h"
#include "uir_ids.h"

using qt_support::settle;

namespace {

// Every control of the panel, realised: a widget (a QTimer for timers) named after it, shown
// exactly when the model says so.
void expect_realised(qt_support::QtApp& t, int panel) {
    QWidget* view = t.panel(panel);
    ASSERT_NE(view, nullptr);
    for (const ui::Control& c : t->ui.panel(panel)->controls) {
        if (c.id == 0) continue;  // discarded
        const QString name = QString::fromStdString(c.name);
        if (c.type == ui::CtrlType::Timer) {
            EXPECT_NE(view->findChild<QTimer*>(name), nullptr) << c.name;
            continue;
        }
        QWidget* w = view->findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr) << t->ui.panel(panel)->resource << " " << c.name;
        EXPECT_EQ(w->isVisibleTo(view), c.visible) << c.name;
        EXPECT_EQ(w->isEnabled(), !c.dimmed) << c.name;
    }
}

QColor centre_colour(const QLabel* lamp) {
    const QImage img = lamp->pixmap().toImage();
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

}  // namespace

TEST(QtWidgets, EveryControlOfEveryResourceIsRealised) {
    qt_support::QtApp t;
    t.start();
    const auto& g = t->shell;
    for (int panel : {g.mainpanel, g.aboutpanel, g.setuppanel, g.analysispanel, g.controlpanel})
        expect_realised(t, panel);
    // Discarded at start-up: gone from view, and its box with it.
    QWidget* devtest = t.find(g.controlpanel, "DEVTEST");
    ASSERT_NE(devtest, nullptr);
    EXPECT_FALSE(devtest->isVisibleTo(t.panel(g.controlpanel)));
    for (auto* box : t.panel(g.controlpanel)->findChildren<QGroupBox*>())
        if (box->title() == "Development") {
            EXPECT_FALSE(box->isVisibleTo(t.panel(g.controlpanel)));
        }
}

TEST_F(AllTypes, EveryTypeIsRealised) {
    expect_realised(t, panel);
}

TEST_F(AllTypes, NumericShowsIntegersRealsAndHexDigits) {
    auto& ui = t->ui;
    ui.SetCtrlVal(panel, id("INT"), 42);
    EXPECT_EQ(widget<QDoubleSpinBox>("INT")->text(), "42");
    ui.SetCtrlVal(panel, id("INT"), 5000);  // above the maximum: the model keeps 1000
    EXPECT_EQ(widget<QDoubleSpinBox>("INT")->text(), "1000");

    ui.SetCtrlVal(panel, id("REAL"), 3.14159);
    EXPECT_EQ(widget<QDoubleSpinBox>("REAL")->text(), "3.14");
    ui.SetCtrlAttribute(panel, id("REAL"), ui::ATTR_PRECISION, 4);
    EXPECT_EQ(widget<QDoubleSpinBox>("REAL")->text(), "3.1416");

    ui.SetCtrlVal(panel, id("HEX"), 0xABC);
    EXPECT_EQ(widget<QDoubleSpinBox>("HEX")->text(), "000ABC");
    ui.SetCtrlVal(panel, id("HEX"), 0xFFFFFF);
    EXPECT_EQ(widget<QDoubleSpinBox>("HEX")->text(), "FFFFFF");

    auto* readout = widget<QDoubleSpinBox>("READOUT");
    EXPECT_TRUE(readout->isReadOnly());
    EXPECT_EQ(readout->buttonSymbols(), QAbstractSpinBox::NoButtons);

    ui.SetCtrlAttribute(panel, id("INT"), ui::ATTR_UNITS_TEXT, "mV");
    EXPECT_EQ(widget<QLabel>("INT_units")->text(), "mV");
}

TEST_F(AllTypes, TextToggleLabelLedAndProgressFollowTheModel) {
    auto& ui = t->ui;
    ui.SetCtrlVal(panel, id("TEXT"), "hello");
    EXPECT_EQ(widget<QLineEdit>("TEXT")->text(), "hello");
    EXPECT_EQ(widget<QLineEdit>("TEXT")->maxLength(), 8);

    auto* toggle = widget<QPushButton>("TOGGLE");
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(toggle->text(), "Off");
    ui.SetCtrlVal(panel, id("TOGGLE"), 1);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(toggle->text(), "On");
    ui.SetCtrlAttribute(panel, id("TOGGLE"), ui::ATTR_ON_TEXT, "Averaging");
    EXPECT_EQ(toggle->text(), "Averaging");

    ui.SetCtrlVal(panel, id("LABEL"), "changed");
    EXPECT_EQ(widget<QLabel>("LABEL")->text(), "changed");

    auto* led = widget<QLabel>("LED");
    ui.SetCtrlAttribute(panel, id("LED"), ui::ATTR_ON_COLOR, 0xFF0000);
    ui.SetCtrlVal(panel, id("LED"), 1);
    EXPECT_EQ(centre_colour(led).rgb() & 0xFFFFFF, 0xFF0000u);
    ui.SetCtrlVal(panel, id("LED"), 0);
    EXPECT_NE(centre_colour(led).rgb() & 0xFFFFFF, 0xFF0000u);

    ui.SetCtrlVal(panel, id("PROGRESS"), 25.0);
    auto* bar = widget<QProgressBar>("PROGRESS");
    EXPECT_EQ(bar->value() * 4, bar->maximum());
}

TEST_F(AllTypes, ListsFollowItemsAndSelection) {
    auto& ui = t->ui;
    auto* ring = widget<QComboBox>("RING");
    ASSERT_EQ(ring->count(), 3);
    ui.SetCtrlVal(panel, id("RING"), 30);
    EXPECT_EQ(ring->currentIndex(), 2);
    EXPECT_EQ(ring->currentText(), "C");
    ui.InsertListItem(panel, id("RING"), 0, "Z", 0);
    EXPECT_EQ(ring->count(), 4);
    EXPECT_EQ(ring->itemText(0), "Z");
    EXPECT_EQ(ring->currentText(), "C");  // the selection moved with its item
    ui.DeleteListItem(panel, id("RING"), 1, 2);
    EXPECT_EQ(ring->count(), 2);
    ui.ClearListCtrl(panel, id("RING"));
    EXPECT_EQ(ring->count(), 0);
    EXPECT_EQ(ring->currentIndex(), -1);

    auto* list = widget<QListWidget>("LIST");
    ui.InsertListItem(panel, id("LIST"), -1, "three", 3);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), "three");
    ui.SetCtrlIndex(panel, id("LIST"), 2);
    EXPECT_EQ(list->currentRow(), 2);

    auto* box = widget<QPlainTextEdit>("TEXTBOX");
    ui.InsertTextBoxLine(panel, id("TEXTBOX"), -1, "first");
    ui.InsertTextBoxLine(panel, id("TEXTBOX"), -1, "second");
    EXPECT_EQ(box->toPlainText(), "first\nsecond");
    ui.InsertTextBoxLine(panel, id("TEXTBOX"), 0, "zero");
    EXPECT_EQ(box->toPlainText(), "zero\nfirst\nsecond");
    ui.ResetTextBox(panel, id("TEXTBOX"), "");
    EXPECT_EQ(box->toPlainText(), "");
}

TEST_F(AllTypes, AttributesShowOnEveryWidget) {
    auto& ui = t->ui;
    QWidget* view = t.panel(panel);
    for (const char* name : {"INT", "TEXT", "TOGGLE", "RING", "LIST", "GO", "LED", "PROGRESS"}) {
        const int c = id(name);
        ui.SetCtrlAttribute(panel, c, ui::ATTR_DIMMED, 1);
        EXPECT_FALSE(widget(name)->isEnabled()) << name;
        ui.SetCtrlAttribute(panel, c, ui::ATTR_DIMMED, 0);
        EXPECT_TRUE(widget(name)->isEnabled()) << name;
        ui.SetCtrlAttribute(panel, c, ui::ATTR_VISIBLE, 0);
        EXPECT_FALSE(widget(name)->isVisibleTo(view)) << name;
        ui.SetCtrlAttribute(panel, c, ui::ATTR_VISIBLE, 1);
        EXPECT_TRUE(widget(name)->isVisibleTo(view)) << name;
    }
    // Hiding a field hides its caption with it.
    ui.SetCtrlAttribute(panel, id("INT"), ui::ATTR_VISIBLE, 0);
    EXPECT_FALSE(widget("INT_caption")->isVisibleTo(view));
    ui.SetCtrlAttribute(panel, id("INT"), ui::ATTR_VISIBLE, 1);

    ui.SetCtrlAttribute(panel, id("INT"), ui::ATTR_LABEL_TEXT, "Samples");
    EXPECT_EQ(widget<QLabel>("INT_caption")->text(), "Samples");
    ui.SetCtrlAttribute(panel, id("GO"), ui::ATTR_LABEL_TEXT, "1st Box Corner");
    EXPECT_EQ(widget<QPushButton>("GO")->text(), "1st Box Corner");

    ui.SetCtrlAttribute(panel, id("GO"), ui::ATTR_WIDTH, 110);
    settle();
    EXPECT_EQ(widget("GO")->width(), 110);
    ui.SetCtrlAttribute(panel, id("GO"), ui::ATTR_WIDTH, 44);
    settle();
    EXPECT_EQ(widget("GO")->width(), 44);

    ui.SetCtrlAttribute(panel, id("TEXT"), ui::ATTR_TEXT_COLOR, 0x800000);
    EXPECT_EQ(widget("TEXT")->palette().color(QPalette::Text), QColor(0x80, 0, 0));
    // White text was meant for a dark read-out: on our light one it is the normal text colour.
    ui.SetCtrlAttribute(panel, id("TEXT"), ui::ATTR_TEXT_COLOR, 0xFFFFFF);
    EXPECT_EQ(widget("TEXT")->palette().color(QPalette::Text),
              QApplication::palette(widget("TEXT")).color(QPalette::Text));

    ui.DiscardCtrl(panel, id("STOP"));
    EXPECT_FALSE(widget("STOP")->isVisibleTo(view));
}

TEST_F(AllTypes, PanelTitleAndVisibilityFollowTheModel) {
    QWidget* window = t.panel(panel)->window();
    ASSERT_NE(window, nullptr);
    auto* sub = t.frontend.main_window()->findChild<QWidget*>("ALL_window");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isVisible());
    EXPECT_EQ(sub->windowTitle(), "All Types");
    t->ui.SetPanelAttribute(panel, ui::ATTR_TITLE, "Renamed");
    EXPECT_EQ(sub->windowTitle(), "Renamed");
    t->ui.HidePanel(panel);
    EXPECT_FALSE(sub->isVisible());
    t->ui.DisplayPanel(panel);
    EXPECT_TRUE(sub->isVisible());

    t->ui.SetPanelAttribute(t->shell.mainpanel, ui::ATTR_TITLE, "Board lost");
    EXPECT_EQ(t.frontend.main_window()->windowTitle(), "Board lost");
}

TEST(QtWidgets, MainWindowCarriesTitleAndMenus) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), "Korvane Seismic Evaluation V2.8");
    // The development menus were removed at start-up.
    EXPECT_EQ(main->findChild<QAction*>("DEBUG1"), nullptr);
    QStringList menus;
    for (QAction* a : main->menuBar()->actions())
        if (a->isVisible()) menus << a->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Panels", "&Board", "&Window", "&Help"}));

    auto* hires = main->findChild<QAction*>("HIRES");
    auto* lores = main->findChild<QAction*>("LORES");
    auto* capture = main->findChild<QAction*>("CAPTURE");
    ASSERT_TRUE(hires && lores && capture);
    EXPECT_TRUE(hires->isChecked());
    EXPECT_FALSE(lores->isChecked());
    EXPECT_FALSE(capture->isEnabled());
    EXPECT_EQ(main->findChild<QAction*>("QUIT")->shortcut(), QKeySequence("Ctrl+Q"));

    t->ui.SetMenuBarAttribute(t->shell.menu, MENUBAR_BOARD_CAPTURE, ui::ATTR_DIMMED, 0);
    EXPECT_TRUE(capture->isEnabled());
    t->ui.SetMenuBarAttribute(t->shell.menu, MENUBAR_FILE_LORES, ui::ATTR_CHECKED, 1);
    EXPECT_TRUE(lores->isChecked());

    // The setup and about panels are shown inside the main window, the others are not.
    const auto& g = t->shell;
    EXPECT_TRUE(t.panel(g.setuppanel)->isVisible());
    EXPECT_TRUE(t.panel(g.aboutpanel)->isVisible());
    EXPECT_FALSE(t.panel(g.analysispanel)->isVisible());
    EXPECT_FALSE(t.panel(g.controlpanel)->isVisible());
    EXPECT_EQ(t.find<QLabel>(g.aboutpanel, "CAPTION")->text(), "Korvane Seismic Evaluation V2.8");
}

TEST(QtWidgets, MainWindowControlsTakeRoomOnlyWhileShown) {
    qt_support::QtApp t;
    t.start();
    QMainWindow* main = t.frontend.main_window();
    main->resize(1280, 800);
    settle(30);
    QWidget* strip = t.panel(t->shell.mainpanel);
    auto* bar = t.find<QProgressBar>(t->shell.mainpanel, "FLASHPROGRESS");
    ASSERT_TRUE(strip && bar);
    EXPECT_EQ(strip->height(), 0);
    t->ui.SetCtrlAttribute(t->shell.mainpanel, MAIN_FLASHPROGRESS, ui::ATTR_VISIBLE, 1);
    settle(30);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(strip->height(), bar->height());
    t->ui.SetCtrlAttribute(t->shell.mainpanel, MAIN_FLASHPROGRESS, ui::ATTR_VISIBLE, 0);
    settle(30);
    EXPECT_EQ(strip->height(), 0);
}
