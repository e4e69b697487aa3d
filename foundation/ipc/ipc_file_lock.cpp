// flock calls retried on interruption; the file is checked to be a regular file so that a
// folder or device planted under the name is never locked instead.
#include "foundation/ipc/ipc_file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool IpcFileLock::Open(const std::string& path) {
    Close();
    const int handle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (handle < 0) return false;
    struct stat status;
    if (fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(handle);
        return false;
    }
    handle_ = handle;
    return true;
}

void IpcFileLock::Close() {
    if (handle_ >= 0) close(handle_);
    handle_ = -1;
}

bool IpcFileLock::Lock() {
    return Flock(LOCK_EX);
}

bool IpcFileLock::TryLock() {
    return Flock(LOCK_EX | LOCK_NB);
}

bool IpcFileLock::TryLockShared() {
    return Flock(LOCK_SH | LOCK_NB);
}

void IpcFileLock::Unlock() {
    Flock(LOCK_UN);
}

bool IpcFileLock::Flock(int operation) {
    if (handle_ < 0) return false;
    while (flock(handle_, operation) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}
