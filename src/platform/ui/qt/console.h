// The command console: a line edit with the run's history (up/down) and completion of command
// names, and a pane with what each command printed. It knows no command itself: the program
// hands it the function that runs one line.
#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace ui::qt {

struct ConsoleReply {
    int status = 0;     // the command line's exit status: 0 done
    std::string text;   // what the command printed (text or JSON)
    std::string error;  // why it failed
};

// Runs one command line; json asks for the JSON form of the output.
using RunCommand = std::function<ConsoleReply(const std::string& line, bool json)>;

class Console : public QWidget {
  public:
    Console(RunCommand run, const std::vector<std::string>& names, QWidget* parent = nullptr);

    // Runs the line as if typed and entered; returns its status.
    int run(const QString& line);

    QLineEdit* input() const { return input_; }
    QPlainTextEdit* output() const { return output_; }
    QCheckBox* json() const { return json_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void recall(int step);
    // Tab: the command name typed so far, completed as far as the names agree.
    void complete();

    RunCommand run_;
    QLineEdit* input_;
    QPlainTextEdit* output_;
    QCheckBox* json_;
    QStringList names_;  // the commands Tab completes
    QStringList history_;
    int history_at_ = 0;  // history_.size() when at the fresh line
    bool running_ = false;
};

}  // namespace ui::qt
