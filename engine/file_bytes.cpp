// FileBytes over mmap(2): the file's pages are mapped when the mapping is made, so reading
// them later takes no faults.
#include "engine/file_bytes.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <utility>

#include "engine/file.h"

namespace Kiv {

FileBytes::FileBytes(FileBytes&& other) noexcept
    : held_(std::move(other.held_)),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mappedSize_(std::exchange(other.mappedSize_, 0)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
    if (this != &other) {
        Clear();
        held_ = std::move(other.held_);
        mapped_ = std::exchange(other.mapped_, nullptr);
        mappedSize_ = std::exchange(other.mappedSize_, 0);
    }
    return *this;
}

bool FileBytes::Map(const File& file, uint64_t limit) {
    Clear();
    struct stat status;
    if (!kMapsFiles || !file.IsOpen() || fstat(file.GetHandle(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    if (status.st_size <= 0 || static_cast<uint64_t>(status.st_size) > limit) return false;
    const size_t size = static_cast<size_t>(status.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.GetHandle(), 0);
    if (mapped == MAP_FAILED) return false;
    mapped_ = mapped;
    mappedSize_ = size;
    return true;
}

std::span<const uint8_t> FileBytes::View() const {
    if (mapped_) return {static_cast<const uint8_t*>(mapped_), mappedSize_};
    return {held_.data(), held_.size()};
}

void FileBytes::Clear() {
    if (mapped_) munmap(mapped_, mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    held_.clear();
    held_.shrink_to_fit();
}

}  // namespace Kiv
