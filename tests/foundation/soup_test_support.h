// Helpers of the soup tests: value blocks from literal items, the bytes of a value, and
// leaf and container nodes made directly.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "foundation/soup/chunk.h"
#include "foundation/soup/container_tag.h"

namespace soup_test {

template <class T> ACSRawDataRef Items(std::initializer_list<T> items) {
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(items.size() * sizeof(T)), items.begin());
}

inline ACSRawDataRef Ints(std::initializer_list<int32_t> items) {
    return Items(items);
}
inline ACSRawDataRef Floats(std::initializer_list<float> items) {
    return Items(items);
}

inline ACSRawDataRef Kuids(std::initializer_list<KUID> kuids) {
    std::vector<uint32_t> words;
    for (const KUID& kuid : kuids) {
        words.push_back(kuid.Pack().word0);
        words.push_back(kuid.Pack().word1);
    }
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(words.size() * 4), words.data());
}

// The bytes of text, without a zero byte unless the text holds one.
inline ACSRawDataRef Text(std::string_view text) {
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(text.size()), text.data());
}

inline std::vector<uint8_t> BytesOf(const ACSRawDataRef& value) {
    return std::vector<uint8_t>(value.Data(), value.Data() + value.Size());
}

inline std::vector<uint8_t> BytesOf(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline ACSChunkRef NewContainer() {
    return ACSChunkRef::Adopt(new TDBContainerTag());
}

inline ACSChunkRef Leaf(ACSTagType type, const ACSRawDataRef& value) {
    return NewContainer()->CreateTag(type, value);
}

} // namespace soup_test
