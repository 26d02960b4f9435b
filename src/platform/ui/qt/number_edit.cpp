#include "platform/ui/qt/number_edit.h"

#include <QLineEdit>
#include <QStyleOptionSpinBox>

#include <algorithm>
#include <climits>
#include <cmath>

namespace ui::qt {

NumberEdit::NumberEdit(QWidget* parent) : QDoubleSpinBox(parent) {
    // The value is taken when the person presses Enter or leaves the field, not per keystroke.
    setKeyboardTracking(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setDecimals(0);
}

void NumberEdit::set_format(bool real, int precision, int hex_digits) {
    hex_digits = real ? 0 : std::clamp(hex_digits, 0, 8);
    const int decimals = real ? std::clamp(precision, 0, 15) : 0;
    if (real == real_ && hex_digits == hex_digits_ && decimals == decimals_) return;
    real_ = real;
    hex_digits_ = hex_digits;
    decimals_ = decimals;
    setDecimals(decimals);
    updateGeometry();
}

void NumberEdit::set_limits(double min, double max) {
    if (!real_) {
        min = std::max(min, double(INT_MIN));
        max = std::min(max, double(INT_MAX));
    }
    if (hex_digits_ > 0) {
        // Only what the digits can show.
        min = std::max(min, 0.0);
        max = std::min(max, std::pow(16.0, hex_digits_) - 1);
    }
    max = std::max(min, max);
    if (min == minimum() && max == maximum()) return;
    setRange(min, max);
    updateGeometry();
}

void NumberEdit::set_indicator(bool indicator) {
    if (indicator == isReadOnly()) return;
    setReadOnly(indicator);
    setButtonSymbols(indicator ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    QPalette pal = palette();
    pal.setColor(QPalette::Base,
                 indicator ? pal.color(QPalette::Window) : QPalette().color(QPalette::Base));
    setPalette(pal);
    updateGeometry();
}

QString NumberEdit::textFromValue(double value) const {
    if (hex_digits_ > 0)
        return QString::number(static_cast<qlonglong>(std::llround(value)), 16)
            .rightJustified(hex_digits_, QLatin1Char('0'))
            .toUpper();
    return QDoubleSpinBox::textFromValue(value);
}

double NumberEdit::valueFromText(const QString& text) const {
    if (hex_digits_ > 0) return static_cast<double>(text.trimmed().toLongLong(nullptr, 16));
    return QDoubleSpinBox::valueFromText(text);
}

QValidator::State NumberEdit::validate(QString& text, int& pos) const {
    if (hex_digits_ == 0) return QDoubleSpinBox::validate(text, pos);
    const QString t = text.trimmed();
    if (t.isEmpty()) return QValidator::Intermediate;
    if (t.size() > hex_digits_) return QValidator::Invalid;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, 16);
    if (!ok) return QValidator::Invalid;
    return v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void NumberEdit::fixup(QString& text) const {
    if (hex_digits_ == 0) return QDoubleSpinBox::fixup(text);
    text = textFromValue(std::clamp(valueFromText(text), minimum(), maximum()));
}

int NumberEdit::display_chars() const {
    if (hex_digits_ > 0) return hex_digits_ + 1;
    // Room for the longer end of the range, within sensible bounds: an unlimited range must
    // not make a field as wide as the screen.
    const int longest = static_cast<int>(
        std::max(textFromValue(minimum()).size(), textFromValue(maximum()).size()));
    return real_ ? std::clamp(longest, 8, 14) : std::clamp(longest, 4, 11);
}

QSize NumberEdit::sizeHint() const {
    ensurePolished();
    const QFontMetrics fm(font());
    const int h = lineEdit()->sizeHint().height();
    const int w = fm.horizontalAdvance(QString(display_chars(), QLatin1Char('0'))) + 4;
    QStyleOptionSpinBox opt;
    initStyleOption(&opt);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &opt, QSize(w, h), this);
}

}  // namespace ui::qt
