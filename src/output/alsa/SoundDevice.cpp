#include "output/alsa/SoundDevice.h"

#include <alsa/asoundlib.h>
#include <cstdlib>
#include <mutex>

namespace DirectSound {

const char* const CLOCK_DEVICE_NAME = "No sound card (paced by the clock)";

namespace {

// We report failures ourselves; ALSA's own messages on stderr would only confuse.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {
}

void silenceAlsaOnce() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(&quietAlsa); });
}

std::string hintValue(void* hint, const char* id) {
    char* text = snd_device_name_get_hint(hint, id);
    if (!text) return {};
    std::string value = text;
    std::free(text);
    return value;
}

// A description may span lines; one line keeps it usable as a settings value.
std::string oneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

void addAlsaHints(std::vector<DeviceEntry>& devices) {
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0) return;
    for (void** hint = hints; *hint; ++hint) {
        const std::string name = hintValue(*hint, "NAME");
        const std::string direction = hintValue(*hint, "IOID");
        if (name.empty() || name == "default" || (!direction.empty() && direction != "Output"))
            continue;
        std::string shown = oneLine(hintValue(*hint, "DESC"));
        if (shown.empty()) {
            shown = name;
        } else {
            shown += " (" + name + ")";
        }
        devices.push_back({Output::deviceIdForName(name), shown, name});
    }
    snd_device_name_free_hint(hints);
}

} // namespace

Result enumerateDevices(std::vector<DeviceEntry>& devices) {
    silenceAlsaOnce();
    devices.clear();
    devices.push_back({Guid{}, "default", "default"});
    addAlsaHints(devices);
    devices.push_back({Output::deviceIdForName(CLOCK_DEVICE_NAME), CLOCK_DEVICE_NAME, ""});
    return DS_OK;
}

Result CSoundDevice::create(const Guid& id, std::unique_ptr<CSoundDevice>& device) {
    std::vector<DeviceEntry> devices;
    if (const Result r = enumerateDevices(devices); r != DS_OK) return r;
    for (const auto& entry : devices) {
        if (entry.id != id) continue;
        std::unique_ptr<CPcmSink> sink;
        if (entry.pcmName.empty())
            sink = makeClockSink();
        else if (const Result r = openAlsaSink(entry.pcmName, sink); r != DS_OK)
            return r;
        device.reset(new CSoundDevice(std::move(sink)));
        return DS_OK;
    }
    return DSERR_NODRIVER;
}

Result CSoundDevice::setPrimaryFormat(const WaveFormat& format) {
    if (const Result r = sink->configure(format); r != DS_OK) return r;
    primary = format;
    formatSet = true;
    return DS_OK;
}

Result CSoundDevice::createSecondaryBuffer(std::uint32_t bytes, const WaveFormat& format,
                                           std::unique_ptr<CSoundBuffer>& buffer) {
    if (!formatSet) return DSERR_UNINITIALIZED;
    // The device plays one format; there is no mixing of others into it.
    if (format.channels != primary.channels || format.samplesPerSec != primary.samplesPerSec ||
        format.bitsPerSample != primary.bitsPerSample || format.blockAlign != primary.blockAlign)
        return DSERR_BADFORMAT;
    if (bytes == 0 || bytes % format.blockAlign != 0) return DSERR_INVALIDPARAM;
    buffer = std::make_unique<CSoundBuffer>(*sink, format, bytes);
    return DS_OK;
}

} // namespace DirectSound
