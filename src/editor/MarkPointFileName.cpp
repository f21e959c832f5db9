#include "editor/MarkPointFileName.h"

namespace Editor {

std::string markPointFileName(const std::string& typed) {
    const std::size_t slash = typed.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = typed.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? typed.substr(0, dot) : typed) + kMarkPointExtension;
}

} // namespace Editor
