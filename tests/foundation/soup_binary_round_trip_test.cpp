// Binary soups through the rest of the soup interface: a tree of every type written and
// read back, views walked in any order, deep copies of views, and soup files saved and
// loaded by extension.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/soup_file.h"
#include "soup_binary_test_support.h"
#include "soup_test_support.h"

using namespace soup_binary_test;

namespace {

Kiv::PString P(const char* text) {
    return Kiv::PString(text);
}

ACSChunkRef EveryType() {
    ACSChunkRef inner;
    inner.SetNamedTagString(P("name"), "caf\xC3\xA9");
    inner.SetNamedTagFloat(P("f"), 1.5f);
    ACSChunkRef soup;
    soup.SetNamedTagInt(P("i"), -7);
    soup.SetNamedTagKUID(P("k"), KUID(1, 2, 0));
    soup.SetNamedTagString(P("empty"), "");
    soup.SetNamedTagEmpty(P("nothing"));
    soup.SetNamedSoup(P("inner"), inner);
    soup->AddChild(P("blob"), soup_test::Leaf(ACSTagType::Blob, soup_test::Text("\x01\x02")));
    return soup;
}

} // namespace

TEST(SoupBinaryRoundTrip, EveryTypeReadsBackAndWritesAgainTheSameBytes) {
    const ACSChunkRef original = EveryType();
    const Bytes written = Written(original);
    const ReadResult back = Read(written);
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.soup.CountTags(), 6);
    EXPECT_EQ(back.soup.GetNamedTagAsInt(P("i"), 0), -7);
    EXPECT_EQ(back.soup.GetNamedTagAsKUID(P("k"), KUID()), KUID(1, 2, 0));
    EXPECT_TRUE(back.soup.HasTag(P("empty")));
    EXPECT_EQ(back.soup.GetNamedTagType(P("nothing")), ACSTagType::Null);
    const ACSChunkRef inner = back.soup.GetNamedSoup(P("inner"));
    EXPECT_EQ(inner.GetNamedTag(P("name")).View(), "caf\xC3\xA9");
    EXPECT_EQ(inner.GetNamedTagAsFloat(P("f"), 0), 1.5f);
    EXPECT_EQ(soup_test::BytesOf(back.soup.GetNamedTagData(P("blob"))), Hex("01 02"));
    EXPECT_EQ(Written(back.soup), written);

    ACSChunkRef copy;
    copy.CopyFrom(back.soup);
    EXPECT_EQ(Written(copy), written);
}

TEST(SoupBinaryRoundTrip, ChildrenReadInAnyOrderAfterEdits) {
    ACSChunkRef soup;
    for (int i = 0; i < 40; ++i)
        soup.SetNamedTagInt(Kiv::PString::Setf("n%d", i), i);
    ACSChunkRef view = Read(Written(soup)).soup;
    for (int i = 0; i < 40; i += 3)
        view.RemoveNamedTag(Kiv::PString::Setf("n%d", i));
    view.SetNamedTagInt(P("n5"), 500);
    ASSERT_EQ(view.CountTags(), 26);
    std::vector<std::string> forward;
    std::vector<std::string> backward(26);
    for (int32_t i = 0; i < 26; ++i)
        forward.emplace_back(view.GetIndexedTagName(i).View());
    for (int32_t i = 25; i >= 0; --i)
        backward[static_cast<size_t>(i)] = view.GetIndexedTagName(i).View();
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.front(), "n1");
    EXPECT_EQ(forward[3], "n7");
    EXPECT_EQ(forward.back(), "n5");
    EXPECT_TRUE(view.GetIndexedTagName(26).IsEmpty());
    EXPECT_TRUE(view.GetIndexedTagName(-1).IsEmpty());
}

class SoupBinaryFiles : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/soup_binary_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    std::string root_;
};

TEST_F(SoupBinaryFiles, EachBinaryExtensionSavesAndLoadsTheBinaryForm) {
    const ACSChunkRef original = EveryType();
    for (const char* name : {"a.chump", "b.cdp", "c.CDP2"}) {
        ASSERT_TRUE(original.SaveToFile(root_.c_str(), name, nullptr)) << name;
        std::ifstream in(root_ + "/" + name, std::ios::binary);
        const Bytes saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(saved, Written(original)) << name;
        ACSChunkRef loaded;
        EXPECT_EQ(LoadSoupFile(loaded, root_.c_str(), name, nullptr, false),
                  SoupFileStatus::Loaded);
        EXPECT_EQ(Written(loaded), saved) << name;
    }
}

TEST_F(SoupBinaryFiles, ADamagedBodyLoadsAsAnEmptySoupAndAForeignFileAsUnread) {
    const Bytes damaged = File(Hex("20 00 00 00 02 61 00 01 05 00 00 00"));
    std::ofstream(root_ + "/damaged.chump", std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()),
               static_cast<std::streamsize>(damaged.size()));
    std::ofstream(root_ + "/foreign.chump", std::ios::binary) << "a 1\r\n";
    ACSChunkRef soup;
    soup.SetNamedTagInt(P("old"), 1);
    EXPECT_EQ(LoadSoupFile(soup, root_.c_str(), "damaged.chump", nullptr, false),
              SoupFileStatus::Empty);
    EXPECT_EQ(soup.Get(), nullptr);
    EXPECT_TRUE(soup.LoadFromFile(root_.c_str(), "damaged.chump", nullptr, false));
    EXPECT_EQ(LoadSoupFile(soup, root_.c_str(), "foreign.chump", nullptr, false),
              SoupFileStatus::Unread);
}
