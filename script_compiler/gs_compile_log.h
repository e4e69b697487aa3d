// GSCompileLog: the messages of one compile, in the order they were written. The caller of
// a compile owns it and prints or stores the lines; a compile without a log drops them.
// Not complete yet: the texts are held in standard strings until the compiler's frame
// memory and queue exist, and nothing here prints or writes a file (the driver does that).
#pragma once

#include <deque>
#include <string>

class GSCompileLog {
public:
    // Keeps a copy of the text.
    void Append(const char* text) { messages_.emplace_back(text ? text : ""); }
    bool IsEmpty() const { return messages_.empty(); }
    size_t Count() const { return messages_.size(); }
    // The oldest message, removed from the log; false when the log is empty.
    bool Take(std::string& message);

private:
    std::deque<std::string> messages_;
};
