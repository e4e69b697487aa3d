// IpcFileLock: a lock on a file of the IPC folder (flock), the Linux form of the design's
// named mutex and of the shared block's presence lock. Locks belong to the open file, so
// two IpcFileLock objects on one path exclude each other even inside one process, and the
// kernel drops a lock when its process ends, as Windows abandons a dead owner's mutex.
// Descriptors are close-on-exec, so a started daemon never inherits a lock.
#pragma once

#include <string>

class IpcFileLock {
  public:
    IpcFileLock() = default;
    ~IpcFileLock() { Close(); }
    IpcFileLock(const IpcFileLock&) = delete;
    IpcFileLock& operator=(const IpcFileLock&) = delete;

    // Opens (making it with mode 0600 when missing) a regular file that is not a link.
    bool Open(const std::string& path);
    // Closing drops whatever lock the file held.
    void Close();
    bool IsOpen() const { return handle_ >= 0; }

    // Exclusive, waiting without end.
    bool Lock();
    // Exclusive, without waiting: false when another open file holds any lock.
    bool TryLock();
    // Shared, without waiting: false when another open file holds it exclusive. Also turns
    // an exclusive lock of this file into a shared one.
    bool TryLockShared();
    void Unlock();

  private:
    bool Flock(int operation);

    int handle_ = -1;
};
