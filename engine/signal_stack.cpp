// One mapping per thread: a guard page, then the stack. The thread-local owner switches the
// stack off before it unmaps it, so a signal in the thread's last moments runs on the
// thread's own stack instead of on freed memory.
#include "engine/signal_stack.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Kiv {

namespace {

class AlternateSignalStack {
public:
    AlternateSignalStack() {
        const size_t guard = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        void* memory = mmap(nullptr, guard + kAlternateSignalStackSize, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
        if (memory == MAP_FAILED) return;
        mprotect(memory, guard, PROT_NONE);
        stack_t stack{};
        stack.ss_sp = static_cast<char*>(memory) + guard;
        stack.ss_size = kAlternateSignalStackSize;
        if (sigaltstack(&stack, nullptr) != 0) {
            munmap(memory, guard + kAlternateSignalStackSize);
            return;
        }
        memory_ = memory;
        size_ = guard + kAlternateSignalStackSize;
    }

    ~AlternateSignalStack() {
        if (!memory_) return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(memory_, size_);
    }

    AlternateSignalStack(const AlternateSignalStack&) = delete;
    AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

    bool Ok() const { return memory_ != nullptr; }

private:
    void* memory_ = nullptr;
    size_t size_ = 0;
};

}  // namespace

bool EnsureAlternateSignalStack() {
    thread_local AlternateSignalStack stack;
    return stack.Ok();
}

}  // namespace Kiv
