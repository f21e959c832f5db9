#pragma once
// Starts the user's sound editor on a row's files: once alone, then once per file.
#include <QStringList>

#include "app/Settings.h"

class QWidget;

namespace Ui {

inline constexpr int kEditorSettleMs = 1000;
inline constexpr int kEditorFilePauseMs = 50;

// Asks for another program when the stored one is missing or will not start; the choice is
// saved in the settings. The starts per file follow on the window's event loop.
void launchExternalEditor(QWidget* parent, App::CSettings& settings, const QStringList& files);

} // namespace Ui
