#include "output/DirectSoundManager.h"

using namespace DirectSound;

namespace Output {

CDirectSoundManager::CDirectSoundManager() {
    primaryFormat.formatTag = 1;
    primaryFormat.channels = 2;
    primaryFormat.samplesPerSec = 44100;
    primaryFormat.avgBytesPerSec = 176400;
    primaryFormat.blockAlign = 4;
    primaryFormat.bitsPerSample = 16;
    primaryFormat.extraSize = 0;
}

void CDirectSoundManager::Init(const Guid& deviceId) {
    if (device)
        throw directsound_exception(
            "CDirectSoundManager::Init() pDirectSound already initialized!\n");
    std::unique_ptr<CSoundDevice> opened;
    if (const Result r = CSoundDevice::create(deviceId, opened); r != DS_OK)
        throw directsound_exception("CDirectSoundManager::Init() DirectSoundCreate Failed!\n", r);
    if (const Result r = opened->setPrimaryFormat(primaryFormat); r != DS_OK)
        throw directsound_exception(
            "CDirectSoundManager::Init() cannot set new format for the primary buffer!\n", r);
    device = std::move(opened);
}

void CDirectSoundManager::Release() {
    device.reset();
}

} // namespace Output
