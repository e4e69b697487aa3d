// Helpers of the binary soup tests: reading and writing the form through memory streams,
// hand-assembled entries (the test computes their length words itself, independently of the
// writer), and a bounded walk that touches every node and value of a soup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "stream_test_support.h"

namespace soup_binary_test {

// The whole file form of root.
inline Bytes Written(const ACSChunkRef& root) {
    MemoryStream memory;
    TDBBinaryFile::WriteSoup(memory.Stream(), root);
    return Contents(memory.Stream());
}

struct ReadResult {
    bool read = false;
    ACSChunkRef soup;
};

inline ReadResult Read(const Bytes& bytes) {
    MemoryStream memory(bytes);
    ReadResult result;
    result.read = TDBBinaryFile::ReadSoup(result.soup, memory.Stream());
    return result;
}

inline Bytes Int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
}

// A header of that version and body size, then the body.
inline Bytes File(const Bytes& body, int32_t version = 1) {
    return Join({Hex("41 43 53 24"), Int32(version), Int32(0),
                 Int32(static_cast<int32_t>(body.size())), body});
}

// One entry: length word, name length (with the zero byte; 0 without a name), name, zero
// byte, file type, payload.
inline Bytes Entry(std::string_view name, uint8_t fileType, const Bytes& payload) {
    const Bytes nameField =
        name.empty() ? Bytes{0}
                     : Join({Bytes{static_cast<uint8_t>(name.size() + 1)}, Ascii(name, true)});
    const auto length = static_cast<int32_t>(nameField.size() + 1 + payload.size());
    return Join({Int32(length), nameField, Bytes{fileType}, payload});
}

// Visits every node below soup, at most maxDepth containers deep, reading every value byte;
// returns the number of nodes seen. Any byte read out of bounds is the sanitizers' to see.
inline int64_t Touch(const ACSChunkRef& soup, int maxDepth = 600) {
    if (!soup.Get() || maxDepth == 0) return 0;
    int64_t seen = 0;
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child)) continue;
        ++seen;
        uint32_t sum = 0;
        const uint8_t* data = child->GetData();
        for (uint32_t b = 0; b < child->GetDataSize(); ++b)
            sum += data[b];
        seen += sum == 0xFFFFFFFF; // keeps the reads
        seen += Touch(child, maxDepth - 1);
        soup->GetNamedChunkConst(name);
    }
    return seen;
}

} // namespace soup_binary_test
