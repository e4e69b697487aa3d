// The result codes every mesh reader returns (0 is success), and their table of names and
// texts, ending with an empty pair: code n is pair n.
#pragma once

namespace Kiv {

enum MeshLoadResult : int {
    RES_OK = 0,
    RES_UNKNOWN = 1,
    RES_FILE_OPEN_ERROR = 2,
    RES_FILE_FORMAT_ERROR = 3,
    RES_FILE_VERSION_ERROR = 4,
    RES_NO_MATERIAL_MANAGER = 5,
    RES_UNSUPPORTED_MATERIAL = 6,
    RES_UNKNOWN_MATERIAL = 7,
    RES_FAIL_CHUNK_CREATE = 8,
    RES_FILE_DATA_ERROR = 9,
};

struct MeshLoadResultText {
    const char* name;
    const char* text;
};

// Index code: {name, text}; index 0 is code 1, the last pair is {nullptr, nullptr}.
extern const MeshLoadResultText kMeshLoadResultTexts[10];
// The text of a code 1 to 9; null for any other.
const char* MeshLoadResultTextOf(int code);

}  // namespace Kiv
