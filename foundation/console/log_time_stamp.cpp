// The time of day runs on from the start's in hundredths of a second; each whole day it
// passes moves the start's date on by one (timegm normalises the calendar, without the
// daylight-saving shifts a local conversion would add).
#include "foundation/console/log_time_stamp.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr int64_t kHundredthsPerDay = 24 * 3600 * 100;

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::chrono::nanoseconds SteadyNow() {
    return std::chrono::steady_clock::now().time_since_epoch();
}

// The date days after the one in start.
std::tm DateAfter(const std::tm& start, int64_t days) {
    std::tm date{};
    date.tm_year = start.tm_year;
    date.tm_mon = start.tm_mon;
    date.tm_mday = start.tm_mday + static_cast<int>(days);
    date.tm_hour = 12;
    std::time_t noon = timegm(&date);
    gmtime_r(&noon, &date);
    return date;
}

}  // namespace

LogStampClock LogStampClock::System() { return {LocalNow, SteadyNow}; }

LogTimeStamp::LogTimeStamp(LogStampClock clock)
    : clock_(std::move(clock)), start_(clock_.localNow()), startCounter_(clock_.counter()) {}

std::string LogTimeStamp::Now() const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        clock_.counter() - startCounter_);
    const int64_t startOfDay =
        ((start_.tm_hour * 60 + start_.tm_min) * 60 + start_.tm_sec) * int64_t{100};
    const int64_t total = startOfDay + std::max<int64_t>(elapsed.count(), 0) / 10;
    const std::tm date = DateAfter(start_, total / kHundredthsPerDay);
    const int64_t time = total % kHundredthsPerDay;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d.%02d.%02d  %02d:%02d:%02d.%02d| ",
                  date.tm_year % 100, date.tm_mon + 1, date.tm_mday,
                  static_cast<int>(time / 360000), static_cast<int>(time / 6000 % 60),
                  static_cast<int>(time / 100 % 60), static_cast<int>(time % 100));
    return stamp;
}
