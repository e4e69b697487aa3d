// GSCompileLog: messages leave in the order they came.
#include "script_compiler/gs_compile_log.h"

bool GSCompileLog::Take(std::string& message) {
    if (messages_.empty()) return false;
    message = std::move(messages_.front());
    messages_.pop_front();
    return true;
}
