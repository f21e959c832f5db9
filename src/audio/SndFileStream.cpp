#include "audio/SndFileStream.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace Audio {

namespace {

SndFileStream& streamOf(void* user) {
    return *static_cast<SndFileStream*>(user);
}

// Runs one CFile call; a failure is kept (the first one only) and `failed` returned instead.
template <class Call> sf_count_t guarded(void* user, sf_count_t failed, Call call) {
    SndFileStream& stream = streamOf(user);
    try {
        return call(*stream.file);
    } catch (...) {
        if (!stream.failure) stream.failure = std::current_exception();
        return failed;
    }
}

// CFile transfers at most 4 GiB a call; libsndfile may ask for more.
constexpr sf_count_t kLargestCall = std::numeric_limits<u32>::max();

sf_count_t length(void* user) {
    return guarded(user, -1, [](CFile& f) { return static_cast<sf_count_t>(f.getSize()); });
}

sf_count_t seekTo(sf_count_t offset, int whence, void* user) {
    return guarded(user, -1, [&](CFile& f) {
        const SeekOrigin origin = whence == SEEK_CUR ? Current : whence == SEEK_END ? End : Begin;
        f.seek(offset, origin);
        return static_cast<sf_count_t>(f.tell());
    });
}

sf_count_t readBytes(void* buffer, sf_count_t count, void* user) {
    return guarded(user, 0, [&](CFile& f) {
        sf_count_t done = 0;
        while (done < count) {
            const auto wanted = static_cast<u32>(std::min(count - done, kLargestCall));
            u32 got = 0;
            f.read(static_cast<char*>(buffer) + done, wanted, &got);
            done += got;
            if (got < wanted) break;
        }
        return done;
    });
}

sf_count_t writeBytes(const void* buffer, sf_count_t count, void* user) {
    return guarded(user, 0, [&](CFile& f) {
        sf_count_t done = 0;
        while (done < count) {
            const auto wanted = static_cast<u32>(std::min(count - done, kLargestCall));
            u32 put = 0;
            f.write(static_cast<const char*>(buffer) + done, wanted, &put);
            done += put;
            if (put < wanted) break;
        }
        return done;
    });
}

sf_count_t position(void* user) {
    return guarded(user, -1, [](CFile& f) { return static_cast<sf_count_t>(f.tell()); });
}

} // namespace

SF_VIRTUAL_IO SndFileStream::callbacks() {
    return {length, seekTo, readBytes, writeBytes, position};
}

void SndFileStream::rethrow() {
    if (!failure) return;
    std::exception_ptr kept = failure;
    failure = nullptr;
    std::rethrow_exception(kept);
}

} // namespace Audio
