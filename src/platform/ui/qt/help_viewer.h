// The help viewer: the program's HTML help file in a browser window, opened at its contents
// or with the search field ready.
#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;

namespace ui::qt {

class HelpViewer : public QWidget {
    Q_OBJECT

  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // mode: HELP_CONTENTS or HELP_SEARCH.
    void open(const QString& path, int mode);
    QTextBrowser* browser() const { return browser_; }
    QLineEdit* search_field() const { return search_; }

  private:
    void find_next();

    QTextBrowser* browser_;
    QLineEdit* search_;
    QString path_;
};

}  // namespace ui::qt
