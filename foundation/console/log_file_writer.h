// LogFileWriter: the sink that the console path feeds with every line (followed by "\r\n")
// while one is installed (console.h). It writes into a new file of a folder, under a name
// not taken yet ("name.log", then "name_2.log" and so on), with an optional time stamp
// (log_time_stamp.h) in front of each line. A run of equal lines is written once and then
// counted: the next different line, or closing the file, first writes
// "[<count> lines suppressed]\r\n". In flush-every-line mode (the crash path sets it) every
// line is written and committed to the disk at once. Writers on several threads are
// serialised by the writer's own mutex (OS::MutexLock).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/recursive_lock.h"
#include "foundation/console/log_time_stamp.h"
#include "foundation/console/vesk_data_buffer_file.h"

class LogFileWriter {
  public:
    LogFileWriter() = default;
    ~LogFileWriter();
    LogFileWriter(const LogFileWriter&) = delete;
    LogFileWriter& operator=(const LogFileWriter&) = delete;

    // Makes the folder when it is missing and opens a new file named after name in it, up
    // to 5 attempts; writing goes on at its end. False when no file could be opened. With a
    // clock, every line gets a time stamp read from it.
    bool Open(const std::string& folder, const std::string& name,
              std::optional<LogStampClock> stampClock = std::nullopt);
    // Writes the count of suppressed lines still pending, then closes the file.
    void Close();
    bool IsOpen() const;
    std::string Path() const;

    // One piece of text as it comes (the console passes a line with its "\r\n").
    void Write(std::string_view text);
    void SetFlushEveryLine(bool flush);

  private:
    void WriteSuppressedCount();
    void WriteStamped(std::string_view text);

    mutable Kiv::Mutex mutex_;
    VeskDataBufferFile file_;
    std::string path_;
    std::optional<LogTimeStamp> stamp_;
    std::string lastLine_;
    bool haveLastLine_ = false;
    int32_t repeats_ = 0;
    bool flushEveryLine_ = false;
};
