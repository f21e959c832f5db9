#pragma once
// libsndfile reads and writes through our byte stream: its virtual I/O callbacks over a CFile.
// Only the libsndfile code includes this header.
#include <exception>
#include <sndfile.h>

#include "audio/File.h"

namespace Audio {

// One per libsndfile handle. A failure of the CFile (carrying our text) cannot pass through
// libsndfile's C code: the callback keeps it and reports a failed transfer, and the caller
// throws it again once libsndfile has returned.
struct SndFileStream {
    CFile* file = nullptr;
    std::exception_ptr failure;

    static SF_VIRTUAL_IO callbacks();
    // Throws the kept failure, if there is one, and forgets it.
    void rethrow();
};

} // namespace Audio
