#include "audio/FileDate.h"

#include <chrono>
#include <ctime>
#include <tuple>

namespace Audio {

bool isLater(const FileDate& a, const FileDate& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond) >
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.millisecond);
}

FileDate currentDate() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return dateFromUtc(system_clock::to_time_t(now), static_cast<u32>(ms));
}

FileDate dateFromUtc(long long seconds, u32 millisecond) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    FileDate d;
    d.day = static_cast<u32>(tm.tm_mday);
    d.month = static_cast<u32>(tm.tm_mon + 1);
    d.year = static_cast<u32>(tm.tm_year + 1900);
    d.second = static_cast<u32>(tm.tm_sec);
    d.minute = static_cast<u32>(tm.tm_min);
    d.hour = static_cast<u32>(tm.tm_hour);
    d.millisecond = millisecond;
    return d;
}

} // namespace Audio
