// FatalError ends the process with exit code 1 after writing the text to the log and to
// standard error and flushing standard output; it runs in a forked child here.
#include "foundation/console/fatal_error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/log.h"
#include "engine/options.h"

namespace {

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, size_t(got));
    close(fd);
    return bytes;
}

struct ChildResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs body in a forked child with standard output and error on pipes.
template <class Body>
ChildResult RunInChild(Body body) {
    int out[2];
    int err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        body();
        _exit(99);
    }
    close(out[1]);
    close(err[1]);
    ChildResult result;
    result.out = ReadAll(out[0]);
    result.err = ReadAll(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

TEST(FatalError, EndsTheProcessWithExitCodeOne) {
    const ChildResult result = RunInChild([] {
        std::fputs("pending output", stdout);  // still in stdout's buffer
        FatalError("Unable to determine application installation path. (%d)", 7);
    });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Unable to determine application installation path. (7)\n");
    EXPECT_EQ(result.out, "pending output");
}

TEST(FatalError, TextGoesToTheLogToo) {
    const ChildResult result = RunInChild([] {
        Kiv::Options options;
        options.ProcessRaw("-LogStdOut");
        Kiv::Log::Init(options);
        FatalError("DataManager::Instance> datamanger not initialised");
    });
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "DataManager::Instance> datamanger not initialised\n");
    EXPECT_EQ(result.err, "DataManager::Instance> datamanger not initialised\n");
}

}  // namespace
