// Mapping of system error numbers onto file result codes, and their texts.
#include "engine/file_result.h"

#include <cerrno>

namespace Kiv {

FileResult FileResult::FromErrno(int error) {
    switch (error) {
    case 0: return FileResult();
    case ENOENT: return FileResult(kNotFound, error);
    case EEXIST: return FileResult(kAlreadyExists, error);
    case EACCES:
    case EPERM:
    case EROFS: return FileResult(kAccessDenied, error);
    case ENOTDIR: return FileResult(kNotAFolder, error);
    case EISDIR: return FileResult(kIsAFolder, error);
    case ENOTEMPTY: return FileResult(kNotEmpty, error);
    case EINVAL:
    case ENAMETOOLONG: return FileResult(kInvalidArgument, error);
    case ENOSPC:
    case EDQUOT: return FileResult(kNoSpace, error);
    case ELOOP: return FileResult(kTooDeep, error);
    default: return FileResult(kFailed, error);
    }
}

const char* FileResult::Text() const {
    // Indexed by Code.
    static const char* const kTexts[] = {
        "success",        "not found",          "already exists",   "access denied",
        "not a folder",   "is a folder",        "folder not empty", "invalid argument",
        "no space left",  "too deeply nested",  "failed",
        "source and destination are the same file",
    };
    return kTexts[code_];
}

}  // namespace Kiv
