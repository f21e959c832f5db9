#pragma once
// What a processing job takes from the user's settings: naming and the quality mode. The
// windows and the command line both go through here.
#include "app/Settings.h"
#include "process/RowProcessor.h"

namespace App {

struct JobSettings {
    Process::NamingSettings naming;
    Engine::Quality quality = Engine::Quality::Fast;
    bool exactPitch = false;
};

// The algorithm for a stored quality: one outside 1..4 gives the polyphonic fast mode, as at
// start-up. The menu, the batch and the preview all ask here.
Engine::Quality qualityFrom(Audio::i32 stored);
JobSettings jobSettingsFrom(const CSettings& settings);

// The settings file's values, or the defaults when there is no file; a file that cannot be
// read gives the defaults and its problem in `problem`.
CSettings loadSettingsOrDefaults(const DeviceLister& devices, std::string* problem);

} // namespace App
