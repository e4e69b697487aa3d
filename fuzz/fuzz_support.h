// Shared helpers of the fuzz targets: memory streams over the fuzzer's bytes, a bounded walk
// that reads every node and value of a soup, a scratch folder per process, and the check
// that stops a target on a broken promise (abort, which libFuzzer reports as a crash).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/converter.h"
#include "foundation/soup/raw_data.h"
#include "foundation/streams/buffer_stream.h"

namespace fuzz {

using Bytes = std::vector<uint8_t>;

// A memory stream holding the bytes, standing at position 0.
class InputStream : public BufferStream {
  public:
    InputStream(const uint8_t* data, size_t size) {
        if (size != 0) Buffer().Write(data, 1, size);
        Buffer().Seek(0, 0);
    }
};

inline Bytes Contents(TBuffer& stream) {
    const Kiv::DynamicBuffer& buffer = stream.GetBuffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

// A broken promise of a reader: reported with its reason and the process aborts.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

// Visits every node below soup, at most maxDepth containers deep, reading every value byte
// and looking every name up again; the number of nodes seen.
inline int64_t Walk(const ACSChunkRef& soup, int maxDepth = 600) {
    if (!soup.Get() || maxDepth == 0) return 0;
    int64_t seen = 0;
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child) || !child.Get()) continue;
        ++seen;
        uint32_t sum = 0;
        const uint8_t* data = child->GetData();
        for (uint32_t b = 0; b < child->GetDataSize(); ++b) sum += data[b];
        seen += sum == 0xFFFFFFFFu;
        seen += Walk(child, maxDepth - 1);
        soup->GetNamedChunkConst(name);
    }
    return seen;
}

// The tree as text: per child its name, type code and value bytes, containers in braces.
// Two soups with the same description hold the same tree.
inline void Describe(const ACSChunkRef& soup, std::string& out, int maxDepth = 600) {
    if (!soup.Get() || maxDepth == 0) return;
    static const char kHex[] = "0123456789abcdef";
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child) || !child.Get()) continue;
        out += name.View();
        out += '#';
        out += std::to_string(static_cast<int>(child->GetType()));
        if (child->GetType() == ACSTagType::Container) {
            out += '{';
            Describe(child, out, maxDepth - 1);
            out += '}';
            continue;
        }
        out += '=';
        const uint8_t* data = child->GetData();
        for (uint32_t b = 0; b < child->GetDataSize(); ++b) {
            out += kHex[data[b] >> 4];
            out += kHex[data[b] & 15];
        }
        out += ';';
    }
}

inline std::string Describe(const ACSChunkRef& soup) {
    std::string out;
    Describe(soup, out);
    return out;
}

// The tree as the text form sees it: per child its name and its value converted to text,
// containers in braces. Types do not show: the text form does not keep them (a float 5
// reads back as the integer 5, a float list in exponent form as a string).
inline void DescribeText(const ACSChunkRef& soup, std::string& out, int maxDepth = 600) {
    if (!soup.Get() || maxDepth == 0) return;
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child) || !child.Get()) continue;
        out += name.View();
        const ACSTagType type = child->GetType();
        if (type == ACSTagType::Container) {
            out += '{';
            DescribeText(child, out, maxDepth - 1);
            out += '}';
            continue;
        }
        ACSRawDataRef text;
        ACSConverter::Convert(type, ACSChunk::GetRawData(child), ACSTagType::String, text);
        out += '=';
        out += text.Text();
        out += ';';
    }
}

inline std::string DescribeText(const ACSChunkRef& soup) {
    std::string out;
    DescribeText(soup, out);
    return out;
}

// A folder of this process under /tmp, made on first use and removed at exit; targets that
// write files work only below it and empty what they made after each input.
inline const std::filesystem::path& ScratchFolder() {
    // Never destroyed, so the exit handler still finds it.
    static const std::filesystem::path* folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "kodrin_fuzz_XXXXXX");
        if (!mkdtemp(pattern.data())) std::abort();
        auto* made = new std::filesystem::path(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return made;
    }();
    return *folder;
}

inline void WriteFile(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    Require(file != nullptr, "cannot write a scratch file");
    if (size != 0) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

} // namespace fuzz
