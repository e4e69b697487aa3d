// OSException: what the operating-system wrappers throw when a system call they cannot do
// without fails (the log file's mutex lock, for one). It carries a message, possibly empty;
// `what` returns the same text.
#pragma once

#include <exception>
#include <string>
#include <utility>

class OSException : public std::exception {
public:
    explicit OSException(std::string message = {}) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    std::string Message() const { return message_; }

private:
    std::string message_;
};
