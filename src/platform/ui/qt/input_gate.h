// While system code holds the program, a person's input is thrown away as it arrives, except
// what is aimed at the progress window (its Cancel). Input held back instead would be replayed
// once the work ends, as actions nobody asked for then (a second capture).
#pragma once

#include <QObject>
#include <QPointer>

namespace ui::qt {

class InputGate : public QObject {
  public:
    // Closed while it lives; `open_to` (may be null) still takes its input.
    explicit InputGate(QWidget* open_to);
    ~InputGate() override;
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> open_to_;
};

// Marks a window whose input the gate always lets through (a question asked while the work
// runs).
void open_while_busy(QWidget* window);

// True for the events a person makes with mouse, keys, wheel or touch.
bool is_user_input(const QEvent* event);

}  // namespace ui::qt
