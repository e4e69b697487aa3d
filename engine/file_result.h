// The result object of the engine's file operations: success, or what went wrong with the
// system error number behind it. Callers test IsOk (or the object itself).
#pragma once

namespace Kiv {

class FileResult {
public:
    enum Code {
        kOk = 0,
        kNotFound,
        kAlreadyExists,
        kAccessDenied,
        kNotAFolder,
        kIsAFolder,
        kNotEmpty,
        kInvalidArgument,
        kNoSpace,
        kTooDeep,
        kFailed,
        kSameFile,  // a copy or move whose source and destination are one file
    };

    FileResult() = default;
    explicit FileResult(Code code, int systemError = 0) : code_(code), systemError_(systemError) {}
    // The result for a failed system call's errno.
    static FileResult FromErrno(int error);

    bool IsOk() const { return code_ == kOk; }
    explicit operator bool() const { return IsOk(); }
    Code GetCode() const { return code_; }
    int GetSystemError() const { return systemError_; }
    const char* Text() const;

private:
    Code code_ = kOk;
    int systemError_ = 0;
};

}  // namespace Kiv
