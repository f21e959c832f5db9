#include "audio/AudioFileOpener.h"

#include <stdexcept>
#include <sys/stat.h>

#include "audio/DataFile.h"

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
    if (member.type != first.type) {
        const FileFormat* expected = formatOf(first.type);
        return std::string("Cannot open this file: must be of same file type! open a ") +
               (expected ? expected->word : "wave") + " file please!";
    }
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

// Members of any format, each read by its own format's class.
std::unique_ptr<CAudioFile> makeSplit(const std::vector<std::string>& paths, FileType type) {
    auto split = std::make_unique<CAudioSplitFile<CAudioFile, 8>>(static_cast<u32>(paths.size()));
    for (u32 k = 0; k < paths.size(); ++k)
        split->setMember(k, createAudioFile(paths[k], type));
    return split;
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
        const std::unique_ptr<CAudioFile> file = openSourceFile(paths[k]);
        const SplitMemberInfo member = SplitMemberInfo::of(*file, openedFileType(*file, paths[k]));
        if (k == 0) first = member;
        bool twice = false;
        for (std::size_t j = 0; j < k; ++j)
            twice = twice || sameFile(paths[j], paths[k]);
        const std::string problem = splitMemberProblem(first, member, twice);
        if (!problem.empty()) throw std::runtime_error("\"" + paths[k] + "\"\n" + problem);
    }
    auto split = makeSplit(paths, first.type);
    split->open(Read, nullptr);
    validateSampleRate(split.get());
    return split;
}

} // namespace Audio
