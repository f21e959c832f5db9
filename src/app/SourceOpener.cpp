#include "app/SourceOpener.h"

#include <algorithm>
#include <stdexcept>
#include <sys/stat.h>

#include "audio/AudioSplitFile.h"

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

std::vector<CFileRow*> openDroppedFiles(BatchList& list, const std::vector<std::string>& paths,
                                        ListUi& ui) {
    std::vector<CFileRow*> added;
    for (const std::string& path : paths)
        if (fileTypeFromExtension(path) != UnknownType)
            if (CFileRow* row = openIntoList(list, path, ui)) added.push_back(row);
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

} // namespace App
