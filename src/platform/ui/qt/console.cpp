#include "platform/ui/qt/console.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/ui/qt/look.h"

namespace ui::qt {

namespace {
constexpr int kOutputLines = 10000;
}

Console::Console(RunCommand run, const std::vector<std::string>& names, QWidget* parent)
    : QWidget(parent),
      run_(std::move(run)),
      input_(new QLineEdit(this)),
      output_(new QPlainTextEdit(this)),
      json_(new QCheckBox(tr("JSON"), this)) {
    setObjectName(QStringLiteral("Console"));
    const QFont fixed = fixed_pitch_font();
    output_->setObjectName(QStringLiteral("ConsoleOutput"));
    output_->setReadOnly(true);
    output_->setMaximumBlockCount(kOutputLines);
    output_->setFont(fixed);
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    input_->setObjectName(QStringLiteral("ConsoleInput"));
    input_->setFont(fixed);
    input_->setPlaceholderText(tr("command, e.g. reg read VERSION (Tab completes, Up recalls)"));
    QStringList words;
    for (const std::string& n : names) words << QString::fromStdString(n);
    names_ = words;
    auto* completer = new QCompleter(words, input_);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    input_->setCompleter(completer);
    input_->installEventFilter(this);
    json_->setObjectName(QStringLiteral("ConsoleJson"));
    json_->setToolTip(tr("Show each command's result as one JSON object"));

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral(">"), this));
    row->addWidget(input_, 1);
    row->addWidget(json_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(output_, 1);
    layout->addLayout(row);
    connect(input_, &QLineEdit::returnPressed, this, [this] {
        const QString line = input_->text();
        if (line.trimmed().isEmpty()) return;
        input_->clear();
        this->run(line);
    });
}

int Console::run(const QString& line) {
    // A command that waits (a capture) keeps the window painting; a second line typed
    // meanwhile would run inside the first.
    if (running_) return 0;
    running_ = true;
    input_->setEnabled(false);
    if (history_.isEmpty() || history_.back() != line) history_ << line;
    history_at_ = static_cast<int>(history_.size());
    output_->appendPlainText(QStringLiteral("> ") + line);
    const ConsoleReply reply = run_(line.toStdString(), json_->isChecked());
    QString text = QString::fromStdString(reply.text);
    if (text.endsWith('\n')) text.chop(1);
    if (!text.isEmpty()) output_->appendPlainText(text);
    if (reply.status != 0 && !json_->isChecked())
        output_->appendPlainText(tr("error: %1").arg(QString::fromStdString(reply.error)));
    input_->setEnabled(true);
    input_->setFocus();
    running_ = false;
    return reply.status;
}

void Console::recall(int step) {
    const int at = std::clamp(history_at_ + step, 0, static_cast<int>(history_.size()));
    if (at == history_at_) return;
    history_at_ = at;
    input_->setText(at < history_.size() ? history_[at] : QString());
}

void Console::complete() {
    const QString text = input_->text();
    if (text.contains(QLatin1Char(' '))) return;  // only the command name is completed
    QStringList matches;
    for (const QString& n : names_)
        if (n.startsWith(text, Qt::CaseInsensitive)) matches << n;
    if (matches.isEmpty()) return;
    if (matches.size() == 1) {
        input_->setText(matches.front() + QLatin1Char(' '));
        return;
    }
    // As far as the names agree, then the list of them to choose from.
    QString common = matches.front();
    for (const QString& m : matches)
        while (!m.startsWith(common, Qt::CaseInsensitive)) common.chop(1);
    input_->setText(common);
    input_->completer()->setCompletionPrefix(common);
    input_->completer()->complete();
}

bool Console::eventFilter(QObject* watched, QEvent* event) {
    if (watched == input_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool popup = input_->completer()->popup()->isVisible();
        if (key == Qt::Key_Tab) {  // completes here rather than moving the focus on
            complete();
            return true;
        }
        if (!popup && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            recall(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui::qt
