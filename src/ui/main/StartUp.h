#pragma once
// Loading the settings as the application starts: a file that cannot be read is replaced by
// the defaults, the user is told and led through the preferences.
#include "app/Settings.h"

class QWidget;

namespace Ui {

void loadSettingsAtStartUp(QWidget* parent, App::CSettings& settings);
// Saves; a failure is shown and the preferences are offered again until a save works or the
// user cancels them.
void saveSettingsOrAsk(QWidget* parent, App::CSettings& settings);
// Saves; a failure is shown. False when it failed.
bool saveSettings(QWidget* parent, App::CSettings& settings);

} // namespace Ui
