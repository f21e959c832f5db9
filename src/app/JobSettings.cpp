#include "app/JobSettings.h"

#include <sys/stat.h>

namespace App {

Engine::Quality qualityFrom(Audio::i32 stored) {
    return stored >= 1 && stored <= 5 ? static_cast<Engine::Quality>(stored) : Engine::Quality::Fast;
}

JobSettings jobSettingsFrom(const CSettings& settings) {
    JobSettings job;
    job.naming.includePitch = settings.includePitch;
    job.naming.includeTime = settings.includeTime;
    job.naming.includeIndex = settings.includeIndex;
    job.naming.partsBeforeTitle = settings.namePrefix;
    job.naming.targetDirectory = settings.targetPath;
    job.naming.format = settings.resultFormat;
    job.quality = qualityFrom(settings.quality);
    job.exactPitch = settings.exactPitch;
    return job;
}

CSettings loadSettingsOrDefaults(const DeviceLister& devices, std::string* problem) {
    CSettings settings(devices);
    struct stat st {};
    if (::lstat(settings.getPath().c_str(), &st) != 0) return settings;
    try {
        settings.load();
    } catch (const std::exception& e) {
        if (problem) *problem = e.what();
        settings = CSettings(devices);
    }
    return settings;
}

} // namespace App
