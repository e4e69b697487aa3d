// GSCompileLog: copies into the frame memory, pointers through the queue.
#include "script_compiler/gs_compile_log.h"

#include <cstring>

GSCompileLog::GSCompileLog() {
    texts_.Init(kChunkBytes);
}

void GSCompileLog::Append(const char* text) {
    if (!text) text = "";
    const size_t length = strnlen(text, kChunkBytes - 1);
    auto* copy = static_cast<char*>(texts_.Alloc(length + 1, 1));
    if (!copy) return;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    queue_.Push(copy);
}

const char* GSCompileLog::Take() {
    char* message = nullptr;
    return queue_.Pop(message) ? message : nullptr;
}

bool GSCompileLog::Take(std::string& message) {
    const char* text = Take();
    if (!text) return false;
    message = text;
    return true;
}
