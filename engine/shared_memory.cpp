// File-backed shared blocks of Kiv::SharedMemory. The final path component is never a
// symbolic link, so a planted link cannot redirect the block elsewhere.
#include "engine/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/path_policy.h"

namespace Kiv {

namespace {

constexpr size_t kMaxSize = size_t(1) << 30;

}  // namespace

SharedMemory::SharedMemory(const char* path, size_t size) : path_(path ? path : ""), size_(size) {}

bool SharedMemory::ProcessAttach() {
    if (data_) return true;
    if (path_.empty() || size_ == 0 || size_ > kMaxSize) return false;
    std::string real = PathPolicy::Resolve(path_);
    int handle = open(real.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0) return false;
    struct stat status;
    bool ok = fstat(handle, &status) == 0 && S_ISREG(status.st_mode);
    bool grow = ok && static_cast<size_t>(status.st_size) < size_;
    if (grow) ok = ftruncate(handle, static_cast<off_t>(size_)) == 0;
    void* mapped = ok ? mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, handle, 0)
                      : MAP_FAILED;
    close(handle);
    if (mapped == MAP_FAILED) return false;
    data_ = mapped;
    created_ = grow;
    return true;
}

void SharedMemory::ProcessDetach() {
    if (data_) munmap(data_, size_);
    data_ = nullptr;
}

}  // namespace Kiv
