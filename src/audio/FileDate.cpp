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
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    FileDate d;
    d.day = static_cast<u32>(tm.tm_mday);
    d.month = static_cast<u32>(tm.tm_mon + 1);
    d.year = static_cast<u32>(tm.tm_year + 1900);
    d.second = static_cast<u32>(tm.tm_sec);
    d.minute = static_cast<u32>(tm.tm_min);
    d.hour = static_cast<u32>(tm.tm_hour);
    d.millisecond = static_cast<u32>(ms);
    return d;
}

} // namespace Audio
