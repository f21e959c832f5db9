#pragma once
// The colours the windows draw with themselves, taken from the palette or chosen for a light or
// a dark one, so that text on them stays readable under the system's colour scheme.
#include <QColor>
#include <QPalette>

namespace Ui::Theme {

// A dark scheme: the window's background is darker than its text.
bool isDark(const QPalette& palette);

// `amount` of `over` laid on `base`.
QColor mix(const QColor& base, const QColor& over, double amount);

// A row of the batch list by its state; the selection wins over busy, busy over made.
QColor rowFill(const QPalette& palette, bool selected, bool busy, bool created);

// The waveform drawn on a background: the text colour, softened towards the background.
QColor waveform(const QPalette& palette, const QColor& background);

// The mark point view: its background and its curves (the current one and the others).
QColor curveViewBackground(const QPalette& palette);
QColor curve(const QPalette& palette, bool current);

} // namespace Ui::Theme
