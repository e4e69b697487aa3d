// Kiv::SharedMemory: a block of memory that processes share by name. The name is the path
// of a file (made with mode 0600 when missing, grown to the size when shorter) that every
// party maps shared; the caller chooses where such files live. A new file reads as zeros.
#pragma once

#include <cstddef>
#include <string>

namespace Kiv {

class SharedMemory {
public:
    // Sizes outside 1 byte to 1 GiB are refused at attach.
    SharedMemory(const char* path, size_t size);
    ~SharedMemory() { ProcessDetach(); }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Maps the block; true when mapped (also when it already was).
    bool ProcessAttach();
    void ProcessDetach();
    bool IsAttached() const { return data_ != nullptr; }
    // True when the last attach made the file or grew it (its content was zeros).
    bool WasCreated() const { return created_; }
    void* GetData() const { return data_; }
    size_t GetSize() const { return size_; }
    const char* GetPath() const { return path_.c_str(); }

private:
    std::string path_;
    size_t size_;
    void* data_ = nullptr;
    bool created_ = false;
};

}  // namespace Kiv
