#pragma once
#include "audio/Types.h"

namespace Audio {

// Last-write time of a file in UTC. Two dates are equal when all seven fields are.
struct FileDate {
    u32 day = 1;
    u32 month = 1;
    u32 year = 1;
    u32 second = 0;
    u32 minute = 0;
    u32 hour = 0;
    u32 millisecond = 0;

    bool operator==(const FileDate&) const = default;
};

// Orders dates by year, month, day, hour, minute, second, millisecond.
bool isLater(const FileDate& a, const FileDate& b);

// The current time in UTC.
FileDate currentDate();

// A time in seconds since the epoch, broken down in UTC.
FileDate dateFromUtc(long long seconds, u32 millisecond);

} // namespace Audio
