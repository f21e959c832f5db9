#include "audio/AudioFileOpener.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <sys/stat.h>

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
    if (type == AiffType) return std::make_unique<CAiffFile>(CDataFile::forPath(path));
    if (type == WavType) return std::make_unique<CWaveFile>(CDataFile::forPath(path));
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

#include "audio/AudioSplitFile.h"

namespace Audio {

SplitMemberInfo SplitMemberInfo::of(const CAudioFile& file, FileType type) {
    return {file.format, file.getFrames(), type};
}

std::string splitMemberProblem(const SplitMemberInfo& first, const SplitMemberInfo& member,
                               bool alreadyChosen) {
    if (member.format.channels != 1)
        return "Single Channel File Required - \nA The file you have selected appears to be a "
               "stereo file and therefore cannot be opened!";
    if (member.type != first.type)
        return std::string("Cannot open this file: must be of same file type! open a ") +
               (first.type == WavType ? "wave" : "aiff") + " file please!";
    if (member.format.sampleRate != first.format.sampleRate)
        return "Cannot open this file: Expect a Samplerate of " +
               std::to_string(first.format.sampleRate) + " Hz.\n this file has " +
               std::to_string(member.format.sampleRate) + " Hz! open another file please.";
    if (member.format.bitsPerSample != first.format.bitsPerSample)
        return "Cannot open this file: Expect a " + std::to_string(first.format.bitsPerSample) +
               " bit file.\n this is a " + std::to_string(member.format.bitsPerSample) +
               " bit file! open another file please.";
    if (member.frames != first.frames)
        return "the files must be of the same size! this file has not the same size as the other!";
    if (alreadyChosen) return "You have already opened this file! select anothe one please!";
    return "";
}

namespace {

template <class T, u32 N>
std::unique_ptr<CAudioFile> makeSplit(const std::vector<std::string>& paths) {
    std::vector<std::unique_ptr<CFile>> files;
    files.reserve(paths.size());
    for (const auto& p : paths)
        files.push_back(CDataFile::forPath(p));
    return std::make_unique<CAudioSplitFile<T, N>>(std::move(files));
}

template <class T> std::unique_ptr<CAudioFile> makeSplitOf(const std::vector<std::string>& paths) {
    switch (paths.size()) {
    case 2:
        return makeSplit<T, 2>(paths);
    case 6:
        return makeSplit<T, 6>(paths);
    case 7:
        return makeSplit<T, 7>(paths);
    default:
        return makeSplit<T, 8>(paths);
    }
}

} // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return a == b;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::unique_ptr<CAudioFile> openSplitSource(const std::vector<std::string>& paths) {
    const std::size_t n = paths.size();
    if (n != 2 && n != 6 && n != 7 && n != 8)
        throw std::invalid_argument("a split set has 2, 6, 7 or 8 files");
    SplitMemberInfo first;
    for (std::size_t k = 0; k < n; ++k) {
        const SplitMemberInfo member =
            SplitMemberInfo::of(*openSourceFile(paths[k]), fileTypeFromExtension(paths[k]));
        if (k == 0) first = member;
        bool twice = false;
        for (std::size_t j = 0; j < k; ++j)
            twice = twice || sameFile(paths[j], paths[k]);
        const std::string problem = splitMemberProblem(first, member, twice);
        if (!problem.empty()) throw std::runtime_error("\"" + paths[k] + "\"\n" + problem);
    }
    auto split = fileTypeFromExtension(paths[0]) == AiffType ? makeSplitOf<CAiffFile>(paths)
                                                             : makeSplitOf<CWaveFile>(paths);
    split->open(Read, nullptr);
    validateSampleRate(split.get());
    return split;
}

} // namespace Audio
