#include "audio/AudioFileOpener.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "audio/AiffFile.h"
#include "audio/DataFile.h"
#include "audio/WaveFile.h"

namespace Audio {

std::string fileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

FileType fileTypeFromExtension(const std::string& path) {
    std::string ext = extensionOf(path);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "wav") return WavType;
    if (ext == "aif" || ext == "aiff") return AiffType;
    return UnknownType;
}

std::unique_ptr<CAudioFile> createAudioFile(const std::string& path, FileType type) {
    CFile* bytes = CDataFile::forPath(path);
    if (type == AiffType) return std::make_unique<CAiffFile>(bytes);
    if (type == WavType) return std::make_unique<CWaveFile>(bytes);
    delete bytes;
    throw std::logic_error("createAudioFile() unknown file type!");
}

std::unique_ptr<CAudioFile> openSourceFile(const std::string& path) {
    const FileType type = fileTypeFromExtension(path);
    if (type == UnknownType)
        throw std::runtime_error("\"" + path +
                                 "\"\nVellamar Stretchwerk does not support this "
                                 "kind of file or the name of the file was wrong!");
    auto file = createAudioFile(path, type);
    file->open(Read, nullptr);
    if (file->getFrames() == 0)
        throw std::runtime_error("\"" + path +
                                 "\"\nlooks like this file has not wave data or might be broken.");
    validateSampleRate(file.get());
    return file;
}

} // namespace Audio
