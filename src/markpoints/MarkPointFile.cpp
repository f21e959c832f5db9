#include "markpoints/MarkPointFile.h"

#include <memory>
#include <stdexcept>

#include "audio/DataFile.h"
#include "audio/ReplaceFile.h"

namespace MarkPoints {

namespace {
[[noreturn]] void rethrowNaming(const std::exception& e, const std::string& path) {
    throw std::runtime_error(std::string(e.what()) + "\n FILE:" + path);
}
} // namespace

CAnchorPointsLoadSave loadMarkPointFile(const std::string& path) {
    const std::unique_ptr<Audio::CDataFile> file(Audio::CDataFile::forPath(path));
    file->open(Audio::Read);
    CAnchorPointsLoadSave content;
    try {
        content.read(*file);
    } catch (const std::exception& e) {
        rethrowNaming(e, path);
    }
    return content;
}

void saveMarkPointFile(const std::string& path, const CAnchorPointsLoadSave& content) {
    try {
        Audio::replaceFile(path, [&content](Audio::CFile& file) { content.write(file); });
    } catch (const std::exception& e) {
        rethrowNaming(e, path);
    }
}

} // namespace MarkPoints
