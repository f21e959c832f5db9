#pragma once
// The about box: the program's picture, shown once at start-up and by the about command.
#include <QUrl>

class QWidget;

namespace Ui {

// Modal; a click, a key or (at start-up) three seconds dismiss it.
void showAboutBox(QWidget* parent, bool atStartUp = false);

// The manual page shipped with the program.
QUrl manualUrl();

} // namespace Ui
