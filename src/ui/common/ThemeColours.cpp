#include "ui/common/ThemeColours.h"

namespace Ui::Theme {

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor mix(const QColor& base, const QColor& over, double amount) {
    const auto channel = [amount](int b, int o) {
        return static_cast<int>(b + (o - b) * amount + 0.5);
    };
    return QColor(channel(base.red(), over.red()), channel(base.green(), over.green()),
                  channel(base.blue(), over.blue()));
}

QColor rowFill(const QPalette& palette, bool selected, bool busy, bool created) {
    const bool dark = isDark(palette);
    // On a dark scheme the fields keep the darker Base and stand out from a row of the window's
    // colour; on a light one the row is white like its fields, which have frames to show them.
    const QColor base = palette.color(dark ? QPalette::Window : QPalette::Base);
    // Tints laid over the list's own background keep its lightness, and so the text's contrast.
    if (selected) return mix(base, palette.color(QPalette::Highlight), dark ? 0.35 : 0.3);
    if (busy) return mix(base, QColor(0xf0, 0xb0, 0x20), dark ? 0.25 : 0.22);
    if (created) return mix(base, QColor(0x30, 0xa0, 0x40), dark ? 0.22 : 0.12);
    return base;
}

QColor waveform(const QPalette& palette, const QColor& background) {
    return mix(background, palette.color(QPalette::Text), 0.45);
}

QColor curveViewBackground(const QPalette& palette) {
    return palette.color(QPalette::Base);
}

QColor curve(const QPalette& palette, bool current) {
    const QColor text = palette.color(QPalette::Text);
    return current ? text : mix(palette.color(QPalette::Base), text, 0.3);
}

} // namespace Ui::Theme
