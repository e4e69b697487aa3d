// Helpers of the CDP archive tests: asset configs and files trees made directly, blobs of
// literal bytes, and a scratch folder removed after each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"
#include "soup_test_support.h"

namespace cdp_test {

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Appends a child of any type under name (names may repeat).
inline void AddTag(ACSChunkRef& folder, const char* name, ACSTagType type, const Bytes& bytes) {
    folder.EnsureContainer();
    const ACSRawDataRef value =
        ACSRawDataRef::CopyBytes(static_cast<uint32_t>(bytes.size()), bytes.data());
    folder->AddChild(name, soup_test::Leaf(type, value));
}

inline void AddBlob(ACSChunkRef& folder, const char* name, const Bytes& bytes) {
    AddTag(folder, name, ACSTagType::Blob, bytes);
}
// Into a folder just made (AddFolder's result).
inline void AddBlob(ACSChunkRef&& folder, const char* name, const Bytes& bytes) {
    AddTag(folder, name, ACSTagType::Blob, bytes);
}

// Appends a new sub-folder and returns it.
inline ACSChunkRef AddFolder(ACSChunkRef& folder, const char* name) {
    folder.EnsureContainer();
    ACSChunkRef child = soup_test::NewContainer();
    folder->AddChild(name, child);
    return child;
}

inline ACSChunkRef Config(const KUID& kuid, const char* kind = "mesh") {
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", kuid);
    config.SetNamedTagString("kind", kind);
    return config;
}

// The KUID tags of a soup in order, as (name, KUID tag text) pairs.
inline std::vector<std::pair<std::string, std::string>> KUIDTags(const ACSChunkRef& soup) {
    std::vector<std::pair<std::string, std::string>> tags;
    for (int32_t i = 0; i < soup.CountTags(); ++i) {
        const Kiv::PString name = soup.GetIndexedTagName(i);
        tags.emplace_back(name.c_str(),
                          soup.GetNamedTagAsKUID(name, KUID::Null()).ToTag().c_str());
    }
    return tags;
}

inline std::vector<std::string> TagNames(const ACSChunkRef& soup) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < soup.CountTags(); ++i)
        names.emplace_back(soup.GetIndexedTagName(i).c_str());
    return names;
}

class ScratchFolder : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/cdp_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        base_ = Kiv::PString(root_.c_str());
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string At(const std::string& relative) const { return root_ + "/" + relative; }
    bool Exists(const std::string& relative) const {
        return std::filesystem::exists(At(relative));
    }
    Bytes Read(const std::string& relative) const {
        std::ifstream in(At(relative), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Every file and folder below the scratch folder, as relative paths.
    std::vector<std::string> Listing() const {
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_))
            entries.push_back(std::filesystem::relative(entry.path(), root_).string());
        std::sort(entries.begin(), entries.end());
        return entries;
    }

    std::string root_;
    Kiv::PString base_;
};

} // namespace cdp_test
