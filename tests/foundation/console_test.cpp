// Console lines on standard output and in the parent's pipe: the bytes written, the cut of
// long lines, the console lock, lines from many threads that must never interleave, and
// the same lines in the log-file sink and at the console listeners.
#include "foundation/console/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "engine/temp_folder.h"
#include "foundation/console/console_listeners.h"
#include "foundation/console/console_lock.h"
#include "foundation/console/log_file_writer.h"
#include "foundation/console/output_pipe.h"

namespace {

// Reads a descriptor to its end on a thread of its own.
class Drain {
public:
    explicit Drain(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Drain() { Join(); }
    const std::string& Join() {
        if (thread_.joinable()) thread_.join();
        return bytes_;
    }

private:
    void Run() {
        char buffer[65536];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            bytes_.append(buffer, static_cast<size_t>(got));
        }
        close(fd_);
    }
    int fd_;
    std::string bytes_;
    std::thread thread_;
};

// Points XDG_RUNTIME_DIR at a private folder for one test and makes sure the console
// writes to standard output again afterwards.
class ConsoleTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/console_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr) oldRuntimeDir_ = old;
        hadRuntimeDir_ = old != nullptr;
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        RedirectStdoutToParentPipe();
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        if (hadRuntimeDir_) {
            setenv("XDG_RUNTIME_DIR", oldRuntimeDir_.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        RedirectStdoutToParentPipe();
    }

    // Everything written to standard output while body runs.
    template <class Body>
    std::string CaptureStdout(Body body) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        fflush(stdout);
        const int saved = dup(STDOUT_FILENO);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        Drain drain(fds[0]);
        body();
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        return drain.Join();
    }

    // Everything that reaches the parent's pipe while body runs.
    template <class Body>
    std::string CapturePipe(Body body) {
        const std::string path = ParentPipePath();
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_GE(reader, 0);
        fcntl(reader, F_SETFL, fcntl(reader, F_GETFL) & ~O_NONBLOCK);
        RedirectStdoutToParentPipe();
        EXPECT_TRUE(IsOutputRedirected());
        Drain drain(reader);
        body();
        unlink(path.c_str());
        RedirectStdoutToParentPipe();  // closes our end: the reader sees the end
        return drain.Join();
    }

    std::string folder_;
    std::string oldRuntimeDir_;
    bool hadRuntimeDir_ = false;
};

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes.push_back(static_cast<char>(v));
    return bytes;
}

TEST_F(ConsoleTest, PipePathIsNamedAfterTheProcess) {
    EXPECT_EQ(ParentPipePath(), folder_ + "/" + std::to_string(getpid()) + "cout");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ParentPipePath(), "/tmp/" + std::to_string(getpid()) + "cout");
}

TEST_F(ConsoleTest, LineGoesToStandardOutputAsNarrowBytes) {
    EXPECT_FALSE(IsOutputRedirected());
    EXPECT_EQ(CaptureStdout([] { WriteConsoleText("OK"); }), Bytes({0x4F, 0x4B, 0x0A}));
}

TEST_F(ConsoleTest, LineGoesIntoThePipeAsUTF16LittleEndian) {
    std::string onStdout;
    const std::string inPipe = CapturePipe([&] {
        onStdout = CaptureStdout([] { WriteConsoleText("OK"); });
    });
    EXPECT_EQ(inPipe, Bytes({0x4F, 0x00, 0x4B, 0x00, 0x0A, 0x00}));
    EXPECT_EQ(onStdout, "");
}

TEST_F(ConsoleTest, TypographicQuotesSurviveBothRoads) {
    const char* format = "\xE2\x80\x9C%s\xE2\x80\x9D caf\xC3\xA9 %d";  // “%s” café %d
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleMessage(format, "x", 7); }),
              "\x93x\x94 caf? 7\n");
    EXPECT_EQ(CapturePipe([&] { PrintConsoleMessage(format, "x", 7); }),
              Bytes({0x1C, 0x20, 'x', 0, 0x1D, 0x20, ' ', 0, 'c', 0, 'a', 0, 'f', 0, '?', 0,
                     ' ', 0, '7', 0, 0x0A, 0}));
}

TEST_F(ConsoleTest, NarrowTextPassesAsItIs) {
    EXPECT_EQ(CaptureStdout([] { PrintConsoleText("%s=%d \x93\xE9", "n", -3); }),
              "n=-3 \x93\xE9\n");
    EXPECT_EQ(CapturePipe([] { PrintConsoleText("\x93\xE9"); }),
              Bytes({0x1C, 0x20, 0xE9, 0x00, 0x0A, 0x00}));
}

TEST_F(ConsoleTest, InvalidUTF8ArgumentPrintsAsQuestionMarks) {
    EXPECT_EQ(CaptureStdout([] { PrintConsoleMessage("[%s]", "\xFF\xC3"); }), "[??]\n");
}

TEST_F(ConsoleTest, LongLinesPrintWholeUpTo65535Characters) {
    const std::string tenThousand(10000, 'a');
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleText("%s", tenThousand.c_str()); }),
              tenThousand + "\n");
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleMessage("%s", tenThousand.c_str()); }),
              tenThousand + "\n");

    const std::string seventyThousand(70000, 'b');
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleText("%s", seventyThousand.c_str()); }),
              std::string(65535, 'b') + "\n");
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleMessage("%s", seventyThousand.c_str()); }),
              std::string(65535, 'b') + "\n");

    // 70000 left double quotes: three UTF-8 bytes each, one character each.
    std::string quotes;
    for (int i = 0; i < 70000; ++i) quotes += "\xE2\x80\x9C";
    EXPECT_EQ(CaptureStdout([&] { PrintConsoleMessage("%s", quotes.c_str()); }),
              std::string(65535, '\x93') + "\n");
}

TEST_F(ConsoleTest, ThePipeIsOpenedOnlyWhenItIsAFifoWithAReader) {
    const std::string path = ParentPipePath();

    // A FIFO that nobody reads: the non-blocking open fails at once.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    RedirectStdoutToParentPipe();
    EXPECT_FALSE(IsOutputRedirected());
    unlink(path.c_str());

    // A regular file of that name is never written.
    FILE* file = fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fputs("keep", file);
    fclose(file);
    RedirectStdoutToParentPipe();
    EXPECT_FALSE(IsOutputRedirected());
    EXPECT_EQ(CaptureStdout([] { WriteConsoleText("x"); }), "x\n");
    EXPECT_EQ(std::filesystem::file_size(path), 4u);
    unlink(path.c_str());

    // Nor a link to a FIFO.
    const std::string target = folder_ + "/target";
    ASSERT_EQ(mkfifo(target.c_str(), 0600), 0);
    const int reader = open(target.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    RedirectStdoutToParentPipe();
    EXPECT_FALSE(IsOutputRedirected());
    close(reader);
}

TEST_F(ConsoleTest, AVanishedReaderLosesTheLineButNotTheProcess) {
    const std::string path = ParentPipePath();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    const int reader = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    RedirectStdoutToParentPipe();
    ASSERT_TRUE(IsOutputRedirected());
    close(reader);
    WriteConsoleText("nobody reads this");
    WriteConsoleText("nor this");
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

TEST_F(ConsoleTest, TheConsoleLockIsReentrantAndCanBeTriedWithATimeLimit) {
    std::recursive_timed_mutex& section = ConsoleCriticalSection();
    std::string out = CaptureStdout([&] {
        std::lock_guard<std::recursive_timed_mutex> held(section);
        WriteConsoleText("inside");
        bool tookIt = true;
        std::thread other([&] { tookIt = section.try_lock_for(std::chrono::milliseconds(20)); });
        other.join();
        EXPECT_FALSE(tookIt);
    });
    EXPECT_EQ(out, "inside\n");
}

// Runs threads that each print lines longer than the kernel's atomic pipe write and checks
// that every line arrived whole.
void ExpectWholeLines(const std::string& output, size_t lineLength, int threads, int lines) {
    std::map<char, int> counts;
    size_t start = 0;
    while (start < output.size()) {
        const size_t end = output.find('\n', start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = output.substr(start, end - start);
        ASSERT_EQ(line.size(), lineLength);
        ASSERT_EQ(line.find_first_not_of(line[0]), std::string::npos) << "mixed line";
        ++counts[line[0]];
        start = end + 1;
    }
    ASSERT_EQ(counts.size(), static_cast<size_t>(threads));
    for (const auto& [letter, count] : counts) EXPECT_EQ(count, lines) << letter;
}

void PrintFromThreads(size_t lineLength, int threads, int lines) {
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([=] {
            const std::string line(lineLength, static_cast<char>('a' + t));
            for (int i = 0; i < lines; ++i) PrintConsoleText("%s", line.c_str());
        });
    }
    for (std::thread& worker : workers) worker.join();
}

TEST_F(ConsoleTest, LinesFromManyThreadsNeverInterleave) {
    constexpr size_t kLength = 9000;
    constexpr int kThreads = 8;
    constexpr int kLines = 40;
    const std::string onStdout =
        CaptureStdout([] { PrintFromThreads(kLength, kThreads, kLines); });
    ExpectWholeLines(onStdout, kLength, kThreads, kLines);

    const std::string inPipe = CapturePipe([] { PrintFromThreads(kLength, kThreads, kLines); });
    ASSERT_EQ(inPipe.size() % 2, 0u);
    std::string narrow;
    for (size_t i = 0; i < inPipe.size(); i += 2) {
        ASSERT_EQ(inPipe[i + 1], '\0');
        narrow.push_back(inPipe[i]);
    }
    ExpectWholeLines(narrow, kLength, kThreads, kLines);
}

// Keeps the lines it is told of; prints one line of its own for each when asked to.
class RecordingListener : public ConsoleListener {
public:
    RecordingListener(std::vector<std::string>& heard, std::string name, bool echo = false)
        : heard_(heard), name_(std::move(name)), echo_(echo) {}
    void OnConsoleLine(std::string_view line) override {
        heard_.push_back(name_ + ":" + std::string(line));
        if (echo_) WriteConsoleText("echo " + std::string(line));
    }

private:
    std::vector<std::string>& heard_;
    std::string name_;
    bool echo_;
};

TEST_F(ConsoleTest, ListenersHearEveryLineInKeyOrderButNotTheirOwn) {
    std::vector<std::string> heard;
    RecordingListener second(heard, "second", true), first(heard, "first");
    AddConsoleListener(20, second);
    AddConsoleListener(10, first);
    const std::string out = CaptureStdout([] { WriteConsoleText("OK"); });
    RemoveConsoleListener(20);
    RemoveConsoleListener(10);
    EXPECT_EQ(CaptureStdout([] { WriteConsoleText("after"); }), "after\n");

    EXPECT_EQ(out, "OK\necho OK\n") << "the listener's own line is written";
    EXPECT_EQ(heard, (std::vector<std::string>{"first:OK", "second:OK"}));
}

TEST_F(ConsoleTest, TheLogFileSinkGetsEachLineWithACarriageReturn) {
    TempFolder logs;
    LogFileWriter writer;
    ASSERT_TRUE(writer.Open(logs.Root(), "console.log"));
    SetLogFileSink(&writer);
    const std::string out = CaptureStdout([] {
        WriteConsoleText("one");
        PrintConsoleText("%d", 2);
    });
    SetLogFileSink(nullptr);
    CaptureStdout([] { WriteConsoleText("not logged"); });
    writer.Close();
    EXPECT_EQ(out, "one\n2\n");
    EXPECT_EQ(logs.ReadFile("console.log"), "one\r\n2\r\n");
}

}  // namespace
