// Helpers of the byte-stream tests: byte strings written as hex text, memory streams that
// hold given bytes, a memory stream that counts its unbuffered reads and seeks, and a
// fixture with a temporary folder for tests of real files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/streams/buffer_stream.h"
#include "foundation/streams/t_buffer.h"

using Bytes = std::vector<uint8_t>;

// "02 00 6a" -> {0x02, 0x00, 0x6a}.
inline Bytes Hex(std::string_view text) {
    Bytes bytes;
    std::istringstream in{std::string(text)};
    std::string pair;
    while (in >> pair)
        bytes.push_back(static_cast<uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
    return bytes;
}

// The bytes of text, without a terminating NUL unless asked.
inline Bytes Ascii(std::string_view text, bool withNul = false) {
    Bytes bytes(text.begin(), text.end());
    if (withNul) bytes.push_back(0);
    return bytes;
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// n bytes where byte i is i * 7 + 3 (mod 256), so neighbouring positions differ.
inline Bytes Pattern(size_t n) {
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

// Everything written into a memory stream so far.
inline Bytes Contents(TBuffer& stream) {
    const Kiv::DynamicBuffer& buffer = stream.GetBuffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

// A memory stream that holds bytes and stands at position 0.
class MemoryStream : public BufferStream {
  public:
    explicit MemoryStream(const Bytes& bytes = {}) {
        if (!bytes.empty()) Buffer().Write(bytes.data(), 1, bytes.size());
        Buffer().Seek(0, 0);
    }
};

// A memory stream over its own block that counts the unbuffered operations beneath it.
class CountingStream : public TBuffer {
  public:
    explicit CountingStream(const Bytes& bytes) : TBuffer(nullptr, true) {
        GetBuffer().Write(bytes.data(), 1, bytes.size());
        GetBuffer().Seek(0, 0);
    }
    int reads = 0;
    int seeks = 0;
    size_t lastReadSize = 0;

  protected:
    size_t Read(void* destination, size_t n) override {
        ++reads;
        lastReadSize = n;
        return TBuffer::Read(destination, n);
    }
    void Seek(int64_t offset, int origin) override {
        ++seeks;
        TBuffer::Seek(offset, origin);
    }
};

// A fresh temporary folder per test, removed afterwards, with file helpers.
class TempFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kodrin_stream_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    // Writes bytes to the named file in the folder and returns its path.
    std::string Make(const std::string& name, const Bytes& bytes) {
        std::string path = At(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    Bytes Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    std::string At(const std::string& name) const { return root_ + "/" + name; }

    std::string root_;
};
