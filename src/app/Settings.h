#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/FileFormats.h"
#include "output/DeviceId.h"

namespace App {

using Output::DeviceId;

// One output device as the device list reports it.
struct OutputDevice {
    DeviceId id{};
    std::string name;
    // 1 = system output, 2 = pro (low-latency) output, 0 = not defined.
    Audio::i32 type = 0;
};

// Builds a fresh list of the output devices; the playback side provides it.
using DeviceLister = std::function<std::vector<OutputDevice>()>;

// The user's preferences and their file, Stretchwerk.cfg in the configuration folder
// ($XDG_CONFIG_HOME/stretchwerk, by default ~/.config/stretchwerk). One object lives for the
// whole application; it is used on the user-interface thread only.
class CSettings {
  public:
    // The defaults; the file path is fixed here, from the environment at construction.
    explicit CSettings(DeviceLister listDevices);

    // Reads the file and takes over its values. Throws std::runtime_error when the file cannot
    // be read, has a corrupt line, or has no AudioDriver; fields read before the failure keep
    // their new values.
    void load();
    // Writes every value to the file, creating the folder when needed. The text goes to a
    // temporary file that then replaces the old one, so a failed save leaves the previous file
    // as it was. Throws std::runtime_error when the device is not listed or writing fails.
    void save() const;

    const std::string& getPath() const { return path; }

    // The folder that holds the settings files.
    static std::string configFolder();
    // The folder last chosen in the file-open dialog, kept in DefPath.prf (a fixed 260-byte
    // record); the home folder while none is remembered. Saving never reports a failure.
    static void saveDefaultPath(const std::string& folder);
    static std::string loadDefaultPath();

    DeviceId deviceId{};
    std::string editorPath;
    // Where processed files go; empty means beside the source file.
    std::string targetPath;
    bool includePitch = true;
    bool includeTime = true;
    bool includeIndex = true;
    bool namePrefix = false;
    bool namePostfix = true;
    // The processing quality mode.
    Audio::i32 quality = 2;
    // Pitch exactly as requested instead of the engine's steps of 1/m (off by default).
    bool exactPitch = false;
    // The format of results; UnknownType: as the source (a lossy source gives FLAC).
    Audio::FileType resultFormat = Audio::UnknownType;
    // The batch list of the last session opened again at start (off by default).
    bool restoreList = false;

  private:
    std::string path;
    DeviceLister listDevices;
};

} // namespace App
