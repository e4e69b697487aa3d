// The log-file sink: a new file under a free name in a folder it makes, runs of equal lines
// written once and counted, flush-every-line mode, time stamps from an injected clock across
// a change of day, month and year, several writers at once, and the logged failures. Also
// its parts: the data file's access modes and the mutex lock's failures.
#include "foundation/console/log_file_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/log.h"
#include "engine/options.h"
#include "engine/temp_folder.h"
#include "foundation/console/os_mutex_lock.h"
#include "foundation/console/vesk_data_buffer_file.h"
#include "foundation/crash/os_exception.h"

namespace {

using namespace std::chrono_literals;

// A clock whose start is fixed and whose counter moves only when the test moves it.
struct FakeClock {
    std::tm start{};
    std::shared_ptr<std::chrono::nanoseconds> counter =
        std::make_shared<std::chrono::nanoseconds>(5s);

    FakeClock(int year, int month, int day, int hour, int minute, int second) {
        start.tm_year = year - 1900;
        start.tm_mon = month - 1;
        start.tm_mday = day;
        start.tm_hour = hour;
        start.tm_min = minute;
        start.tm_sec = second;
    }
    LogStampClock Clock() const {
        auto now = counter;
        std::tm at = start;
        return {[at] { return at; }, [now] { return *now; }};
    }
    void Advance(std::chrono::nanoseconds by) { *counter += by; }
};

TEST(LogFileWriter, RunsOfEqualLinesAreWrittenOnceAndCounted) {
    TempFolder folder;
    LogFileWriter writer;
    ASSERT_TRUE(writer.Open(folder.Root(), "run.log"));
    for (const char* line : {"a\r\n", "a\r\n", "a\r\n", "b\r\n", "c\r\n", "c\r\n"})
        writer.Write(line);
    writer.Close();
    EXPECT_EQ(folder.ReadFile("run.log"),
              "a\r\n[2 lines suppressed]\r\nb\r\nc\r\n[1 lines suppressed]\r\n");
}

TEST(LogFileWriter, FlushEveryLineWritesRepeatsAndCommitsAtOnce) {
    TempFolder folder;
    LogFileWriter writer;
    ASSERT_TRUE(writer.Open(folder.Root(), "flush.log"));
    writer.Write("x\r\n");
    writer.Write("x\r\n");
    writer.SetFlushEveryLine(true);
    writer.Write("x\r\n");
    writer.Write("x\r\n");
    EXPECT_EQ(folder.ReadFile("flush.log"), "x\r\n[1 lines suppressed]\r\nx\r\nx\r\n")
        << "on disk before the file is closed";
}

TEST(LogFileWriter, OpensTheNextFreeNameInAFolderItMakes) {
    TempFolder folder;
    folder.MakeFolder("logs");
    folder.WriteFile("logs/kodrin.log", "old");
    LogFileWriter first, second;
    ASSERT_TRUE(first.Open(folder.Path("logs"), "kodrin.log"));
    ASSERT_TRUE(second.Open(folder.Path("logs"), "kodrin.log"));
    EXPECT_EQ(first.Path(), folder.Path("logs/kodrin_2.log"));
    EXPECT_EQ(second.Path(), folder.Path("logs/kodrin_3.log"));
    EXPECT_EQ(folder.ReadFile("logs/kodrin.log"), "old") << "a taken file is left alone";

    LogFileWriter nested;
    ASSERT_TRUE(nested.Open(folder.Path("new/deeper"), "kodrin.log"));
    EXPECT_TRUE(folder.Exists("new/deeper/kodrin.log"));

    LogFileWriter closed;
    closed.Write("lost\r\n");  // nothing open: nothing happens
    EXPECT_FALSE(closed.IsOpen());
}

TEST(LogFileWriter, TimeStampsRunOnFromTheStartAcrossTheYear) {
    TempFolder folder;
    FakeClock clock(2026, 12, 31, 23, 59, 58);
    LogFileWriter writer;
    ASSERT_TRUE(writer.Open(folder.Root(), "stamped.log", clock.Clock()));
    writer.Write("first\r\n");
    clock.Advance(1234ms);
    writer.Write("second\r\n");
    writer.Write("second\r\n");
    clock.Advance(800ms);
    writer.Write("third\r\n");
    clock.Advance(std::chrono::hours(24 * 31) + 3h + 4min + 5s + 60ms);
    writer.Write("later\r\n");
    writer.Close();
    EXPECT_EQ(folder.ReadFile("stamped.log"),
              "26.12.31  23:59:58.00| first\r\n"
              "26.12.31  23:59:59.23| second\r\n"
              "27.01.01  00:00:00.03| [1 lines suppressed]\r\n"
              "27.01.01  00:00:00.03| third\r\n"
              "27.02.01  03:04:05.09| later\r\n");
}

TEST(LogFileWriter, LinesFromManyThreadsStayWhole) {
    TempFolder folder;
    LogFileWriter writer;
    ASSERT_TRUE(writer.Open(folder.Root(), "threads.log"));
    constexpr int kThreads = 8, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&writer, t] {
            for (int i = 0; i < kLines; ++i)
                writer.Write(std::string(100, static_cast<char>('a' + t)) + std::to_string(i) +
                             "\r\n");
        });
    }
    for (std::thread& thread : threads) thread.join();
    writer.Close();
    const std::string text = folder.ReadFile("threads.log");
    size_t lines = 0;
    for (size_t start = 0; start < text.size(); ++lines) {
        const size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(start, end - start);
        ASSERT_GT(line.size(), 100u);
        EXPECT_EQ(line.find_first_not_of(line[0]), 100u) << line;
        start = end + 2;
    }
    EXPECT_EQ(lines, size_t{kThreads} * kLines);
}

TEST(VeskDataBufferFile, AccessModes) {
    TempFolder folder;
    const std::string path = folder.Path("data.bin");
    VeskDataBufferFile file;
    EXPECT_FALSE(file.Open(path, VeskDataBufferFile::kRead)) << "missing";
    EXPECT_FALSE(file.Open(path, VeskDataBufferFile::kUpdate)) << "missing";
    EXPECT_FALSE(file.Open(path, 4)) << "unknown mode";
    ASSERT_TRUE(file.Open(path, VeskDataBufferFile::kUpdateOrCreate)) << "created";
    ASSERT_TRUE(file.Write("abc", 3));
    ASSERT_TRUE(file.Flush());
    ASSERT_TRUE(file.Open(path, VeskDataBufferFile::kUpdate));
    ASSERT_TRUE(file.SeekToEnd());
    EXPECT_EQ(file.Tell(), 3);
    ASSERT_TRUE(file.Write("de", 2));
    ASSERT_TRUE(file.Open(path, VeskDataBufferFile::kRead));
    char bytes[8] = {};
    EXPECT_EQ(file.Read(bytes, sizeof bytes), 5u);
    EXPECT_EQ(std::string(bytes), "abcde");
    EXPECT_FALSE(file.Write("x", 1)) << "read only";
    ASSERT_TRUE(file.Open(path, VeskDataBufferFile::kWrite));
    file.Close();
    EXPECT_EQ(folder.ReadFile("data.bin"), "") << "writing empties the file";
}

TEST(LogFileWriter, WhatCannotBeDoneIsLogged) {
    TempFolder folder;
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + folder.Path("engine.log")).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    folder.WriteFile("plain", "");
    LogFileWriter blocked;
    EXPECT_FALSE(blocked.Open(folder.Path("plain/sub"), "kodrin.log"));
    VeskDataBufferFile file;
    EXPECT_FALSE(file.Open(folder.Path("data.bin"), -1));
    Kiv::Log::Shutdown();
    EXPECT_EQ(folder.ReadFile("engine.log"),
              "MakeDirectory> CreateDirectoryW returned err " + std::to_string(ENOTDIR) +
                  "\nVeskDataBufferFile> unknown access mode -1\n");
}

TEST(OSMutexLock, AReleaseTheThreadCannotMakeThrows) {
    Kiv::Mutex mutex;
    OS::MutexLock lock(mutex);
    EXPECT_TRUE(mutex.IsLockedByCurrentThread());
    ASSERT_TRUE(mutex.Unlock());  // released under the lock's feet
    try {
        lock.Unlock();
        FAIL() << "no exception";
    } catch (const OSException& error) {
        EXPECT_STREQ(error.what(), "Failed to release the mutex");
    }
}

TEST(OSMutexLock, AFailedWaitThrowsAndTheLockIsReleasedAtTheEndOfItsScope) {
    Kiv::Mutex mutex;
    {
        OS::MutexLock held(mutex);
        std::thread([&mutex] {
            EXPECT_THROW(OS::MutexLock(mutex, 0), OSException) << "held by another thread";
        }).join();
    }
    std::thread([&mutex] {
        OS::MutexLock taken(mutex, 0);
        EXPECT_TRUE(mutex.IsLockedByCurrentThread());
    }).join();
}

}  // namespace
