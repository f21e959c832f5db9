#include "audio/File.h"

#include <stdexcept>

namespace Audio {

void CFile::write(const void*, u32, u32*) {
    throw std::runtime_error("CFile::write() not supported!");
}

} // namespace Audio
