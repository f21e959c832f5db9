#include "app/SourceOpener.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

#include "audio/AudioSplitFile.h"
#include "audio/ChannelLayout.h"

namespace App {

using namespace Audio;

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

CFileRow* openIntoList(BatchList& list, const std::string& path, ListUi& ui) {
    try {
        auto cache = makeRowCache(openSourceFile(path));
        const FileType type = openedFileType(*cache->file, path);
        return &list.addRow(std::move(cache), {path}, false, type);
    } catch (...) {
        ui.showMessage(failureText(std::current_exception(), kCouldNotOpen));
        return nullptr;
    }
}

} // namespace

std::string failureText(const std::exception_ptr& failure, const std::string& fallback) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return *e.what() ? e.what() : fallback;
    } catch (...) {
        return fallback;
    }
}

std::string resolveChosenName(const std::string& path, const FileFormat* filter) {
    if (!extensionOf(path).empty()) return path;
    if (filter) return path + "." + filter->extensions[0];
    for (const FileFormat& f : fileFormats())
        for (const std::string& extension : f.extensions) {
            std::string named = path;
            named.append(1, '.').append(extension);
            if (exists(named)) return named;
        }
    return path;
}

std::vector<CFileRow*> openChosenFiles(BatchList& list, const std::vector<std::string>& paths,
                                       const FileFormat* filter, ListUi& ui) {
    std::vector<CFileRow*> added;
    for (const std::string& chosen : paths)
        if (CFileRow* row = openIntoList(list, resolveChosenName(chosen, filter), ui))
            added.push_back(row);
    return added;
}

DroppedFolder readDroppedFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    DroppedFolder found;
    std::error_code failed;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) {
        const std::string name = entry.filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code statFailed;
        if (fs::is_directory(entry, statFailed))
            found.others.push_back(name + "/");
        else if (fileTypeFromExtension(name) != UnknownType)
            found.audioFiles.push_back(entry.string());
        else
            found.others.push_back(name);
    }
    return found;
}

std::string notAddedMessage(const std::vector<std::string>& names) {
    std::string text = "Only the audio files directly inside a dropped folder were added. Not "
                       "added:";
    for (std::size_t i = 0; i < names.size() && i < kNamedAtMost; ++i)
        text += "\n" + names[i];
    if (names.size() > kNamedAtMost)
        text += "\nand " + std::to_string(names.size() - kNamedAtMost) + " more";
    return text;
}

std::vector<CFileRow*> openDroppedFiles(BatchList& list, const std::vector<std::string>& paths,
                                        ListUi& ui) {
    std::vector<CFileRow*> added;
    std::vector<std::string> notAdded;
    const auto open = [&](const std::string& path) {
        if (CFileRow* row = openIntoList(list, path, ui)) added.push_back(row);
    };
    for (const std::string& path : paths) {
        std::error_code failed;
        if (std::filesystem::is_directory(path, failed)) {
            DroppedFolder folder = readDroppedFolder(path);
            for (const std::string& file : folder.audioFiles)
                open(file);
            notAdded.insert(notAdded.end(), folder.others.begin(), folder.others.end());
        } else if (fileTypeFromExtension(path) != UnknownType) {
            open(path);
        }
    }
    if (!notAdded.empty()) ui.showMessage(notAddedMessage(notAdded));
    return added;
}

std::vector<std::string> splitMemberTitles(SplitKind kind) {
    auto title = [](const char* channel) {
        return std::string("Select ") + channel + " Channel File";
    };
    if (kind == SplitKind::Stereo) return {title("Left"), title("Right")};
    std::vector<std::string> titles{title("Center"),    title("Front Left"), title("Front Right"),
                                    title("Rear Left"), title("Rear Right"), title("Subwoofer")};
    if (kind == SplitKind::Surround61) titles.insert(titles.begin() + 3, title("Rear Center"));
    if (kind == SplitKind::Surround71) {
        titles.insert(titles.begin() + 5, title("Rear Center Right"));
        titles.insert(titles.begin() + 5, title("Rear Center Left"));
    }
    return titles;
}

SplitMemberInfo probeSplitMember(const std::string& path) {
    const FileType type = fileTypeFromExtension(path);
    if (type == UnknownType)
        throw std::runtime_error(
            "Vellamar Stretchwerk does not support this kind of file! Or maybe "
            "you miss-spelled the filename?");
    SplitMemberInfo info;
    try {
        auto file = createAudioFile(path, type);
        file->open(Read, nullptr);
        info = SplitMemberInfo::of(*file, openedFileType(*file, path));
        file->close();
    } catch (...) {
        throw std::runtime_error("Error CFileScroll::OpenDialogSingleSplitFile");
    }
    if (info.frames == 0)
        throw std::runtime_error("looks like this file has not wave data or might be broken.");
    return info;
}

namespace {

const char* unknownSplitFailure(SplitKind kind) {
    switch (kind) {
    case SplitKind::Stereo:
        return "Cannot create the new surround object for some unknown reason!";
    case SplitKind::Surround51:
        return "Cannot create the new surround 5.1 object for some unknown reason!";
    case SplitKind::Surround61:
        return "Cannot create the new surround 6.1 object for some unknown reason!";
    case SplitKind::Surround71:
        return "Cannot create the new surround 7.1 object for some unknown reason!";
    }
    return "";
}

// Asks until a member passes the probe and every check; nothing when the dialog is cancelled.
std::optional<std::string> chooseMember(const std::string& title,
                                        const std::vector<std::string>& chosen,
                                        const SplitMemberInfo* first, ListUi& ui) {
    const std::string filter = first ? singleFormatFilter(first->type) : openDialogFilter();
    for (;;) {
        std::optional<std::string> path = ui.chooseFile(title, filter);
        if (!path) return std::nullopt;
        try {
            const SplitMemberInfo info = probeSplitMember(*path);
            const bool twice = std::any_of(chosen.begin(), chosen.end(), [&](const std::string& p) {
                return sameFile(p, *path);
            });
            const std::string problem = splitMemberProblem(first ? *first : info, info, twice);
            if (problem.empty()) return path;
            ui.showMessage(problem);
        } catch (const std::exception& e) {
            ui.showMessage(e.what());
        }
    }
}

} // namespace

CFileRow* openSplitSet(BatchList& list, SplitKind kind, ListUi& ui) {
    std::vector<std::string> paths;
    SplitMemberInfo first;
    for (const std::string& title : splitMemberTitles(kind)) {
        const std::optional<std::string> path =
            chooseMember(title, paths, paths.empty() ? nullptr : &first, ui);
        if (!path) return nullptr;
        if (paths.empty()) first = probeSplitMember(*path);
        paths.push_back(*path);
    }
    try {
        auto cache = makeRowCache(openSplitSource(paths));
        return &list.addRow(std::move(cache), paths, true, first.type);
    } catch (...) {
        ui.showMessage(failureText(std::current_exception(), unknownSplitFailure(kind)));
        return nullptr;
    }
}

CFileRow* openSplitFiles(BatchList& list, const std::vector<std::string>& paths, ListUi& ui) {
    if (!splitLayoutOf(static_cast<u32>(paths.size()))) {
        ui.showMessage(kCouldNotOpen);
        return nullptr;
    }
    const auto kind = static_cast<SplitKind>(paths.size());
    std::string member = paths[0];
    try {
        const SplitMemberInfo first = probeSplitMember(member);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            member = paths[i];
            const SplitMemberInfo info = i == 0 ? first : probeSplitMember(member);
            const bool twice =
                std::any_of(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(i),
                            [&](const std::string& p) { return sameFile(p, member); });
            const std::string problem = splitMemberProblem(first, info, twice);
            if (!problem.empty()) throw std::runtime_error(problem);
        }
        member.clear();
        auto cache = makeRowCache(openSplitSource(paths));
        return &list.addRow(std::move(cache), paths, true, first.type);
    } catch (...) {
        const std::string text = failureText(std::current_exception(), unknownSplitFailure(kind));
        ui.showMessage(member.empty() ? text : "\"" + member + "\"\n" + text);
        return nullptr;
    }
}

} // namespace App
