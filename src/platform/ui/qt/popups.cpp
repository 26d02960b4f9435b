#include "platform/ui/qt/popups.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/events.h"

namespace ui::qt {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The extension a pattern such as "*.mac" names, empty for "*", "*.*" or no pattern.
QString pattern_extension(const QString& pattern) {
    const QString first = pattern.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*.")) || first == QLatin1String("*.*")) return {};
    return first.mid(2);
}

// A file dialog that, with the extension restricted, accepts no file of another extension
// for loading and gives a saved file the extension when it lacks it.
class FileDialog : public QFileDialog {
  public:
    FileDialog(QWidget* parent, const QString& title, const QString& dir, bool save,
               const QString& extension)
        : QFileDialog(parent, title, dir), save_(save), extension_(extension) {}

    void accept() override {
        if (!extension_.isEmpty() && !save_) {
            const QStringList files = selectedFiles();
            if (!files.isEmpty() && QFileInfo(files.first()).isFile() &&
                QFileInfo(files.first()).suffix().compare(extension_, Qt::CaseInsensitive) != 0)
                return;
        }
        QFileDialog::accept();
    }

  private:
    bool save_;
    QString extension_;
};

}  // namespace

void show_message(QWidget* parent, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, q(title), q(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int ask_confirm(QWidget* parent, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, q(title), q(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? 1 : 0;
}

int ask_prompt(QWidget* parent, const std::string& title, const std::string& text, int max_length,
               std::string& answer) {
    QDialog dlg(parent);
    dlg.setWindowTitle(q(title));
    auto* layout = new QVBoxLayout(&dlg);
    auto* label = new QLabel(q(text), &dlg);
    label->setTextFormat(Qt::PlainText);
    auto* edit = new QLineEdit(&dlg);
    if (max_length > 0) edit->setMaxLength(max_length);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    label->setBuddy(edit);
    edit->setFocus();
    if (dlg.exec() != QDialog::Accepted) return -1;
    answer = edit->text().toStdString();
    return 0;
}

int ask_file(QWidget* parent, const FileSelectRequest& req, std::string& path) {
    const bool save = req.button == VAL_SAVE_BUTTON;
    const QString pattern = q(req.pattern).trimmed();
    const QString extension = req.restrict_extension ? pattern_extension(pattern) : QString();
    FileDialog dlg(parent, q(req.title), q(req.directory), save, extension);
    // Qt's own dialog on every desktop, so the extension rule and the tests hold everywhere.
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Load picks an existing file; save and select may name a new one.
    dlg.setFileMode(req.button == VAL_LOAD_BUTTON ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
    QStringList filters;
    if (!pattern.isEmpty() && pattern != QLatin1String("*.*") && pattern != QLatin1String("*"))
        filters << QString(pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
    if (extension.isEmpty()) filters << QStringLiteral("All files (*)");
    dlg.setNameFilters(filters);
    if (save && !extension.isEmpty()) dlg.setDefaultSuffix(extension);
    if (!req.default_name.empty()) dlg.selectFile(q(req.default_name));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return 0;
    QString chosen = dlg.selectedFiles().first();
    if (save && !extension.isEmpty() &&
        QFileInfo(chosen).suffix().compare(extension, Qt::CaseInsensitive) != 0)
        chosen += QLatin1Char('.') + extension;
    path = chosen.toStdString();
    return 1;
}

}  // namespace ui::qt
