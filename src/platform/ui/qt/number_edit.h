// A numeric entry or read-out: integers, reals with a precision, or integers as a fixed number
// of hexadecimal digits; sized for the numbers it shows, not for its (often unlimited) range.
#pragma once

#include <QDoubleSpinBox>

namespace ui::qt {

class NumberEdit : public QDoubleSpinBox {
  public:
    explicit NumberEdit(QWidget* parent = nullptr);

    // hex_digits > 0 shows an integer as that many hexadecimal digits (zero-padded).
    void set_format(bool real, int precision, int hex_digits);
    void set_limits(double min, double max);
    // A read-out: no arrows, not editable, drawn on the window's colour.
    void set_indicator(bool indicator);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

  private:
    int display_chars() const;

    bool real_ = false;
    int hex_digits_ = 0;
    int decimals_ = 0;
};

}  // namespace ui::qt
