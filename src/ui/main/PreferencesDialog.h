#pragma once
// The preferences dialog over the settings: output device, external editor, destination names
// and the target folder, with a sample name that follows the choices.
#include "app/Settings.h"

class QWidget;

namespace Ui {

// Runs the dialog; true when the user confirmed and the settings took the new values (the
// caller saves them and restarts the playback engine).
bool runPreferences(QWidget* parent, App::CSettings& settings);

} // namespace Ui
