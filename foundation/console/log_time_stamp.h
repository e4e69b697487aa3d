// The time stamp in front of a log-file line, "yy.mm.dd  hh:mm:ss.cc| ": the local date and
// time at which the log file was started, moved on by a steady counter, so that the stamps
// of one file never go back when the wall clock is set. The clock is injectable: tests give
// a start and move the counter by hand.
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

struct LogStampClock {
    std::function<std::tm()> localNow;                   // read once, at the start
    std::function<std::chrono::nanoseconds()> counter;   // steady, any origin

    // The local wall clock and the steady clock.
    static LogStampClock System();
};

class LogTimeStamp {
  public:
    explicit LogTimeStamp(LogStampClock clock);

    // The stamp for now, "26.12.31  23:59:59.50| " for example.
    std::string Now() const;

  private:
    LogStampClock clock_;
    std::tm start_;
    std::chrono::nanoseconds startCounter_;
};
