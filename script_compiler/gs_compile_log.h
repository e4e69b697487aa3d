// GSCompileLog: the messages of one compile, in the order they were written. The caller of
// a compile owns it and prints or stores the lines; a compile without a log drops them.
// The texts are copied into a frame memory and queued as pointers, so a compile's log costs
// no allocation per message; when memory runs out a message is dropped quietly.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/utils/frame_memory.h"
#include "foundation/utils/queue.h"

class GSCompileLog {
public:
    // A text longer than this is cut to it (one frame chunk less its terminator).
    static constexpr uint32_t kChunkBytes = 4096;
    static constexpr uint32_t kQueueIncrement = 128;

    GSCompileLog();
    GSCompileLog(const GSCompileLog&) = delete;
    GSCompileLog& operator=(const GSCompileLog&) = delete;

    // Queues a copy of the text (null counts as empty).
    void Append(const char* text);
    bool IsEmpty() const { return queue_.Count() == 0; }
    size_t Count() const { return queue_.Count(); }
    // The oldest message, removed from the log; null when the log is empty. The text stays
    // valid as long as the log.
    const char* Take();
    // The same into a string; false when the log is empty.
    bool Take(std::string& message);

private:
    Utils::FrameMemory texts_;
    Utils::Queue<char*, 1> queue_{kQueueIncrement};
};
