// ACSTagType: the type code of a soup node. Leaves hold their value as a byte block whose
// layout the code names; containers hold children and no bytes. Code 5 is never made here
// (the binary form still knows it).
#pragma once

#include <cstdint>

enum class ACSTagType : int32_t {
    Null = 0,       // no bytes: the null chunk, an empty tag
    Container = 1,  // no bytes; the node has children
    Blob = 2,       // raw bytes
    FloatArray = 3, // 32-bit floats, 4 bytes each
    String = 4,     // UTF-8 text, read up to its first zero byte and never beyond its size
    IntArray = 6,   // signed 32-bit integers, 4 bytes each
    KUIDArray = 7,  // PackedKUID values, 8 bytes each
};
