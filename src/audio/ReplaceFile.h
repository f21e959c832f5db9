#pragma once
// Writing a file so that a failure never destroys the one it replaces.
#include <functional>
#include <string>

namespace Audio {

class CFile;

// Runs `write` on a new temporary file beside `path` and, once everything is written and on
// disk, renames it over `path` (keeping the old file's permissions; through a symbolic link
// the file it names is replaced). On any failure the temporary file is removed, `path` is left
// as it was and the exception goes on.
void replaceFile(const std::string& path, const std::function<void(CFile&)>& write);

} // namespace Audio
