#include "app/Settings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ConfigFile.h"
#include "audio/DataFile.h"
#include "audio/ReplaceFile.h"

namespace App {

namespace {

constexpr const char* SETTINGS_FILE = "Stretchwerk.cfg";
constexpr const char* DEFAULT_PATH_FILE = "DefPath.prf";
constexpr std::size_t DEFAULT_PATH_RECORD = 260;

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found &&
        found->pw_dir && *found->pw_dir)
        return found->pw_dir;
    return "/";
}

// The C library's string-to-integer reading: leading blanks, a sign, digits; no digits give 0.
Audio::i32 leadingInteger(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<Audio::i32>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

const char* yesNo(bool flag) {
    return flag ? "yes" : "no";
}

std::string valueOr(const CConfigFile& config, const std::string& key) {
    const auto* entry = config.find(key);
    return entry ? entry->value : std::string();
}

// The file takes the place of the old one only once it is complete; the folder is made first.
void replaceFile(const std::string& path, const std::function<void(Audio::CFile&)>& writeContent) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    Audio::replaceFile(path, writeContent);
}

// Cuts a path to the record's 259 characters, never inside a UTF-8 sequence.
std::string cutForRecord(const std::string& folder) {
    std::size_t n = std::min(folder.size(), DEFAULT_PATH_RECORD - 1);
    if (n < folder.size())
        while (n > 0 && (static_cast<unsigned char>(folder[n]) & 0xC0) == 0x80)
            --n;
    return folder.substr(0, n);
}

} // namespace

CSettings::CSettings(DeviceLister listDevices_)
    : path(configFolder() + "/" + SETTINGS_FILE), listDevices(std::move(listDevices_)) {
}

std::string CSettings::configFolder() {
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/stretchwerk";
    return homeFolder() + "/.config/stretchwerk";
}

namespace {

// A FIFO or a device in the file's place would block the read or never end it.
void requireSmallRegularFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return; // opening it reports why
    if (!S_ISREG(st.st_mode))
        throw std::runtime_error(std::string(kConfigCorruptText) + " (not a regular file)");
    if (st.st_size > static_cast<off_t>(kMaxConfigFileBytes))
        throw std::runtime_error(std::string(kConfigCorruptText) + " (larger than 1 MiB)");
}

} // namespace

void CSettings::load() {
    requireSmallRegularFile(path);
    CConfigFile config;
    {
        std::unique_ptr<Audio::CDataFile> file(Audio::CDataFile::forPath(path));
        file->open(Audio::Read);
        config.read(*file);
        file->close();
    }
    const auto devices = listDevices();
    const auto* driver = config.find("AudioDriver");
    if (!driver) throw std::runtime_error("preferences file is invalid!");
    // A device that is gone falls back to the default output without an error.
    deviceId = DeviceId{};
    for (const auto& device : devices)
        if (device.name == driver->value) {
            deviceId = device.id;
            break;
        }
    editorPath = valueOr(config, "EditorPath");
    targetPath = valueOr(config, "TargetPath");
    includePitch = config.getBool("IncludePitch");
    includeTime = config.getBool("IncludeTime");
    includeIndex = config.getBool("IncludeIndex");
    namePrefix = config.getBool("NamePrefix");
    namePostfix = config.getBool("NamePostfix");
    const auto* q = config.find("Quality");
    quality = q ? leadingInteger(q->value) : 2;
    exactPitch = config.getBool("ExactPitch");
    restoreList = config.getBool("RestoreList");
    // A format that cannot be written (or an unknown word) means as the source.
    const Audio::FileFormat* result = Audio::formatOfKey(valueOr(config, "ResultFormat"));
    resultFormat = result && result->writtenBits ? result->type : Audio::UnknownType;
}

void CSettings::save() const {
    const auto devices = listDevices();
    const auto device = std::find_if(devices.begin(), devices.end(),
                                     [this](const OutputDevice& d) { return d.id == deviceId; });
    if (device == devices.end())
        throw std::runtime_error("CSettings::save() AudioDriver information not found!");
    CConfigFile config;
    config.addComment("# Stretchwerk2 Settings V2.0");
    config.addBlank();
    config.add("AudioDriver", device->name);
    config.add("EditorPath", editorPath);
    config.add("TargetPath", targetPath);
    config.add("IncludePitch", yesNo(includePitch));
    config.add("IncludeTime", yesNo(includeTime));
    config.add("IncludeIndex", yesNo(includeIndex));
    config.add("NamePrefix", yesNo(namePrefix));
    config.add("NamePostfix", yesNo(namePostfix));
    config.add("Quality", std::to_string(quality));
    // Written only when set, so that files of the default settings stay as they were.
    if (exactPitch) config.add("ExactPitch", yesNo(exactPitch));
    if (restoreList) config.add("RestoreList", yesNo(restoreList));
    if (const Audio::FileFormat* result = Audio::formatOf(resultFormat))
        config.add("ResultFormat", result->key);
    replaceFile(path, [&config](Audio::CFile& file) { config.write(file); });
}

void CSettings::saveDefaultPath(const std::string& folder) {
    std::string record = cutForRecord(folder);
    record.resize(DEFAULT_PATH_RECORD, '\0');
    try {
        replaceFile(configFolder() + "/" + DEFAULT_PATH_FILE, [&record](Audio::CFile& file) {
            file.write(record.data(), static_cast<Audio::u32>(record.size()), nullptr);
        });
    } catch (const std::exception&) {
        // Only the open dialog's starting folder is lost; not worth an error message.
    }
}

std::string CSettings::loadDefaultPath() {
    try {
        Audio::CDataFile file(configFolder() + "/" + DEFAULT_PATH_FILE, configFolder(),
                              DEFAULT_PATH_FILE);
        file.open(Audio::Read);
        char record[DEFAULT_PATH_RECORD] = {};
        Audio::u32 got = 0;
        file.read(record, sizeof record, &got);
        if (got == 0) return homeFolder();
        return std::string(record, std::find(record, record + got, '\0'));
    } catch (const std::exception&) {
        return homeFolder();
    }
}

} // namespace App
