#pragma once
// The name a mark point file is saved under.
#include <string>

namespace Editor {

inline constexpr const char* kMarkPointExtension = ".mpt";

// The typed name without the extension of its last component, with ".mpt" appended:
// "take1.txt" → "take1.mpt", "take1" → "take1.mpt". Dots in folder names and a leading dot of
// a hidden file's name are no extension.
std::string markPointFileName(const std::string& typed);

} // namespace Editor
