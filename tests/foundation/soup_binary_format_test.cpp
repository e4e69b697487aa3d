// The "ACS$" form byte by byte: files written by hand against what the writer makes and
// what the reader finds in them, the header checks, names, version-0 strings and the cap on
// nesting.
#include <gtest/gtest.h>

#include <string>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/container_tag.h"
#include "soup_binary_test_support.h"
#include "soup_test_support.h"

using namespace soup_binary_test;
using soup_test::BytesOf;
using soup_test::Leaf;
using soup_test::NewContainer;

namespace {

Bytes BytesOfChunk(const ACSChunkRef& chunk) {
    return Bytes(chunk->GetData(), chunk->GetData() + chunk->GetDataSize());
}

// A chain of depth containers named "n", each holding the next; the innermost is empty.
ACSChunkRef NestedContainers(int depth) {
    ACSChunkRef root = NewContainer();
    ACSChunk* at = root.Get();
    for (int i = 0; i < depth; ++i) {
        ACSChunkRef inner = NewContainer();
        at->AddChild(Kiv::PString("n"), inner);
        at = inner.Get();
    }
    return root;
}

// The body of depth nested unnamed container entries: each level adds a length word, a
// name length of 0 and a type byte of 0.
Bytes NestedEntries(int depth) {
    Bytes body;
    for (int level = depth - 1; level >= 0; --level) {
        const Bytes header = Join({Int32(2 + 6 * level), Hex("00 00")});
        body.insert(body.end(), header.begin(), header.end());
    }
    return body;
}

int DepthOf(const ACSChunkRef& soup) {
    int depth = 0;
    for (ACSChunkRef at = soup; at->CountChildren() > 0; ++depth) {
        Kiv::PString name;
        ACSChunkRef next;
        at->GetIndexedChild(0, name, next);
        at = next;
    }
    return depth;
}

} // namespace

TEST(SoupBinaryFormat, OneIntegerSoupIsWrittenAsTheHeaderAndOneEntry) {
    ACSChunkRef soup;
    soup.SetNamedTagInt(Kiv::PString("a"), 5);
    const Bytes expected = Hex("41 43 53 24  01 00 00 00  00 00 00 00  0C 00 00 00 "
                               "08 00 00 00  02  61 00  01  05 00 00 00");
    EXPECT_EQ(Written(soup), expected);

    const ReadResult back = Read(expected);
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.soup.CountTags(), 1);
    EXPECT_EQ(back.soup.GetNamedTagType(Kiv::PString("a")), ACSTagType::IntArray);
    EXPECT_EQ(back.soup.GetNamedTagAsInt(Kiv::PString("a"), 0), 5);
}

TEST(SoupBinaryFormat, ANullRootIsAnEmptyBodyThatReadsAsANullHandle) {
    const Bytes empty = Hex("41 43 53 24  01 00 00 00  00 00 00 00  00 00 00 00");
    for (const ACSChunkRef& root : {ACSChunkRef(), ACSChunk::NullChunk()})
        EXPECT_EQ(Written(root), empty);
    const ReadResult back = Read(empty);
    EXPECT_TRUE(back.read);
    EXPECT_EQ(back.soup.Get(), nullptr);
}

// Each tag type under the name "t": the file type and payload the writer gives it.
TEST(SoupBinaryFormat, EachTagTypeIsWrittenWithItsFileTypeAndValueBytes) {
    struct Case {
        const char* what;
        ACSTagType type;
        Bytes value;
        const char* entry;
    } cases[] = {
        {"integers", ACSTagType::IntArray, Hex("01 00 00 00 FE FF FF FF"),
         "0C 00 00 00 02 74 00 01 01 00 00 00 FE FF FF FF"},
        {"floats", ACSTagType::FloatArray, Hex("00 00 C0 3F"),
         "08 00 00 00 02 74 00 02 00 00 C0 3F"},
        {"text", ACSTagType::String, Hex("68 69 00"), "07 00 00 00 02 74 00 03 68 69 00"},
        {"empty text", ACSTagType::String, {}, "04 00 00 00 02 74 00 03"},
        {"blob", ACSTagType::Blob, Hex("DE AD"), "06 00 00 00 02 74 00 04 DE AD"},
        {"KUIDs", ACSTagType::KUIDArray, Hex("01 00 00 00 02 00 00 00"),
         "0C 00 00 00 02 74 00 0D 01 00 00 00 02 00 00 00"},
        {"null", ACSTagType::Null, {}, "04 00 00 00 02 74 00 05"},
        {"old string code 5", static_cast<ACSTagType>(5), Hex("78 00"),
         "06 00 00 00 02 74 00 03 78 00"},
        {"code above 7", static_cast<ACSTagType>(9), Hex("AA"), "05 00 00 00 02 74 00 05 AA"},
    };
    for (const Case& c : cases) {
        const auto size = static_cast<uint32_t>(c.value.size());
        const ACSChunkRef leaf = Leaf(c.type, ACSRawDataRef::CopyBytes(size, c.value.data()));
        ACSChunkRef soup = NewContainer();
        soup->AddChild(Kiv::PString("t"), leaf);
        EXPECT_EQ(Written(soup), File(Hex(c.entry))) << c.what;
    }
}

TEST(SoupBinaryFormat, ContainersNestAndUnnamedChildrenHaveNoNameBytes) {
    ACSChunkRef inner;
    inner.SetNamedTagInt(Kiv::PString("i"), 3);
    ACSChunkRef soup = NewContainer();
    soup->AddChild(Kiv::PString("c"), inner);
    soup->AddChild(Kiv::PString(), Leaf(ACSTagType::IntArray, soup_test::Ints({7})));
    const Bytes body = Hex("10 00 00 00 02 63 00 00 "
                           "   08 00 00 00 02 69 00 01 03 00 00 00 "
                           "06 00 00 00 00 01 07 00 00 00");
    EXPECT_EQ(Written(soup), File(body));

    const ReadResult back = Read(File(body));
    ASSERT_TRUE(back.read);
    EXPECT_EQ(back.soup.GetNamedSoup(Kiv::PString("c")).GetNamedTagAsInt(Kiv::PString("i"), 0), 3);
    EXPECT_TRUE(back.soup.GetIndexedTagName(1).IsEmpty());
    EXPECT_EQ(back.soup.GetNamedTagAsInt(Kiv::PString(), 0), 7);
}

// Each file type read back: the tag type it becomes and the bytes it shows.
TEST(SoupBinaryFormat, EachFileTypeReadsAsItsTagType) {
    struct Case {
        uint8_t fileType;
        Bytes payload;
        ACSTagType type;
        Bytes value;
    } cases[] = {
        {1, Hex("05 00 00 00"), ACSTagType::IntArray, Hex("05 00 00 00")},
        {2, Hex("00 00 C0 3F"), ACSTagType::FloatArray, Hex("00 00 C0 3F")},
        {3, Hex("68 69 00"), ACSTagType::String, Hex("68 69 00")},
        {3, {}, ACSTagType::String, {}},
        {4, Hex("DE AD"), ACSTagType::Blob, Hex("DE AD")},
        {5, Hex("AA BB"), ACSTagType::Null, {}},
        {13, Hex("01 00 00 00 02 00 00 00"), ACSTagType::KUIDArray, Hex("01 00 00 00 02 00 00 00")},
        // The payload of the entry named "t" starts at body offset 8: 8 bytes to skip.
        {12, Hex("00 01 02 03 04 05 06 07 08 09"), ACSTagType::Blob, Hex("08 09")},
        {12, Hex("00 01 02 03 04 05 06 07"), ACSTagType::Blob, {}},
        {12, Hex("00 01 02"), ACSTagType::Blob, {}},
        {9, Hex("01 02"), ACSTagType::Null, {}},
        {200, Hex("01 02"), ACSTagType::Null, {}},
    };
    for (const Case& c : cases) {
        const ReadResult back = Read(File(Entry("t", c.fileType, c.payload)));
        ASSERT_TRUE(back.read);
        const ACSChunkRef tag = back.soup->GetNamedChunkConst(Kiv::PString("t"));
        EXPECT_EQ(tag->GetType(), c.type) << int(c.fileType);
        EXPECT_EQ(BytesOfChunk(tag), c.value) << int(c.fileType);
    }
}

TEST(SoupBinaryFormat, AnAlignedBlobSkipsToTheNextSixteenByteBodyOffset) {
    // An unnamed entry of 5 bytes first puts the blob's payload at body offset 9 + 8 = 17.
    const Bytes body = Join({Entry("", 4, Hex("00 00 00")), Entry("t", 12, Pattern(40))});
    const ReadResult back = Read(File(body));
    const ACSChunkRef tag = back.soup->GetNamedChunkConst(Kiv::PString("t"));
    const Bytes pattern = Pattern(40);
    EXPECT_EQ(BytesOfChunk(tag), Bytes(pattern.begin() + 15, pattern.end()));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(tag->GetData()) % 16, 0u);
}

TEST(SoupBinaryFormat, HeaderChecksTellAForeignFileFromADamagedBody) {
    struct Case {
        const char* what;
        Bytes file;
        bool read;
        bool soup;
    } cases[] = {
        {"nothing", {}, false, false},
        {"wrong magic", Hex("41 43 53 23 01 00 00 00 00 00 00 00 00 00 00 00"), false, false},
        {"negative body size", Hex("41 43 53 24 01 00 00 00 00 00 00 00 FF FF FF FF 00"), false,
         false},
        {"body beyond the file",
         Join({Hex("41 43 53 24 01 00 00 00 00 00 00 00 0C 00 00 00"), Bytes(11, 0)}), false,
         false},
        {"magic only", Hex("41 43 53 24"), true, false},
        {"entry longer than the body", File(Hex("20 00 00 00 02 61 00 01 05 00 00 00")), true,
         false},
        {"version 2", File(Entry("a", 1, Int32(5)), 2), true, false},
        {"version 0", File(Entry("a", 1, Int32(5)), 0), true, true},
        {"tail of five bytes", File(Hex("01 02 03 04 05")), true, true},
    };
    for (const Case& c : cases) {
        const ReadResult back = Read(c.file);
        EXPECT_EQ(back.read, c.read) << c.what;
        EXPECT_EQ(back.soup.Get() != nullptr, c.soup) << c.what;
    }
}

// A length smaller than the name and type byte would leave a negative payload size.
TEST(SoupBinaryFormat, AnEntryShorterThanItsNameRejectsTheBody) {
    for (int32_t length : {-1, 0, 1, 2, 3}) {
        const Bytes body = Join({Int32(length), Hex("02 61 00 01 00 00 00 00 00 00")});
        const ReadResult back = Read(File(body));
        EXPECT_TRUE(back.read) << length;
        EXPECT_EQ(back.soup.Get(), nullptr) << length;
    }
    const ReadResult exact = Read(File(Join({Int32(4), Hex("02 61 00 01")})));
    ASSERT_NE(exact.soup.Get(), nullptr);
    EXPECT_EQ(exact.soup.GetNamedTagType(Kiv::PString("a")), ACSTagType::IntArray);
    EXPECT_EQ(exact.soup.GetNamedTagData(Kiv::PString("a")).Size(), 0u);
}

TEST(SoupBinaryFormat, StoredNamesEndAtTheirZeroByteOrOneByteBeforeTheirLength) {
    struct Case {
        const char* nameField;
        const char* name;
    } cases[] = {
        {"04 61 62 63 00", "abc"},
        {"04 61 62 63 64", "abc"}, // no zero byte: the last byte is not part of the name
        {"04 61 00 63 64", "a"},
        {"01 7A", ""},
    };
    for (const Case& c : cases) {
        const Bytes nameField = Hex(c.nameField);
        const Bytes entry = Join({Int32(static_cast<int32_t>(nameField.size() + 1 + 4)), nameField,
                                  Hex("01 05 00 00 00")});
        const ReadResult back = Read(File(entry));
        ASSERT_NE(back.soup.Get(), nullptr) << c.nameField;
        EXPECT_EQ(back.soup.GetIndexedTagName(0).View(), c.name) << c.nameField;
        EXPECT_EQ(back.soup.GetNamedTagAsInt(Kiv::PString(c.name), 0), 5) << c.nameField;
    }
}

TEST(SoupBinaryFormat, NamesOf255BytesOrMoreAreLeftOutWithTheirSubtree) {
    ACSChunkRef sub;
    sub.SetNamedTagInt(Kiv::PString("deep"), 1);
    ACSChunkRef soup;
    soup.SetNamedTagInt(Kiv::PString(std::string(254, 'k')), 1);
    soup.SetNamedTagInt(Kiv::PString(std::string(255, 'l')), 2);
    soup.SetNamedSoup(Kiv::PString(std::string(300, 'm')), sub);
    soup.SetNamedTagInt(Kiv::PString("after"), 3);

    const Bytes written = Written(soup);
    const Bytes kept = Join({Int32(1 + 255 + 1 + 4), Bytes{255}, Ascii(std::string(254, 'k'), true),
                             Hex("01 01 00 00 00")});
    EXPECT_EQ(written, File(Join({kept, Hex("0C 00 00 00 06 61 66 74 65 72 00 01 03 00 00 00")})));
    const ReadResult back = Read(written);
    EXPECT_EQ(back.soup.CountTags(), 2);
    EXPECT_EQ(back.soup.GetNamedTagAsInt(Kiv::PString(std::string(254, 'k')), 0), 1);
    EXPECT_FALSE(back.soup.HasTag(Kiv::PString(std::string(300, 'm'))));
}

TEST(SoupBinaryFormat, VersionZeroStringsAreConvertedFromTheAnsiCodePage) {
    struct Case {
        const char* stored;
        const char* version0;
    } cases[] = {
        // The whole payload is copied and one zero byte appended; a text with a byte of
        // 0x80 or above is converted in place first, in a buffer grown when it must be.
        {"63 61 66 E9 00", "63 61 66 C3 A9 00 00"}, // an accented letter
        {"80 00", "E2 82 AC 00 00"},                // the euro sign of the 0x80-0x9F table
        {"61 62 00", "61 62 00 00"},
        {"61 E9", "61 C3 A9 00 00"},             // no zero byte stored
        {"61 62 00 63 64 00", "61 62 00 63 64 00 00"}, // bytes after the first zero stay
        {"61 00 E9", "61 00 E9 00"},             // a high byte after the text is no text
        // The converted text fits the copy: it and its zero byte overwrite the start.
        {"E9 00 78 79 7A", "C3 A9 00 79 7A 00"},
    };
    for (const Case& c : cases) {
        for (int32_t version : {0, 1}) {
            const ReadResult back = Read(File(Entry("s", 3, Hex(c.stored)), version));
            const ACSRawDataRef value = back.soup.GetNamedTagData(Kiv::PString("s"));
            EXPECT_EQ(back.soup.GetNamedTagType(Kiv::PString("s")), ACSTagType::String);
            EXPECT_EQ(BytesOf(value), Hex(version == 0 ? c.version0 : c.stored))
                << c.stored << " version " << version;
        }
    }
    const ReadResult empty = Read(File(Entry("s", 3, {}), 0));
    EXPECT_TRUE(empty.soup.HasTag(Kiv::PString("s")));
    EXPECT_TRUE(empty.soup.GetNamedTagData(Kiv::PString("s")).IsNull());
}

// A converted string still shows its packed entry, so a setter replaces it.
TEST(SoupBinaryFormat, AVersionZeroStringCanBeReplaced) {
    ReadResult back = Read(File(Join({Entry("s", 3, Hex("E9 00")), Entry("n", 1, Int32(1))}), 0));
    back.soup.SetNamedTagString(Kiv::PString("s"), "new");
    EXPECT_EQ(back.soup.CountTags(), 2);
    EXPECT_EQ(back.soup.GetNamedTag(Kiv::PString("s")).View(), "new");
    EXPECT_EQ(back.soup.GetIndexedTagName(1).View(), "s");
}

// The limit lets a tag lie 512 containers below the root: the 513th container is kept when
// it is empty. The full table across the limit, with the text form, is in its own tests.
TEST(SoupBinaryFormat, AnEmptyContainerAtTheDeepestLevelIsKeptAndNothingDeeper) {
    const ReadResult deepest = Read(File(NestedEntries(513)));
    ASSERT_NE(deepest.soup.Get(), nullptr);
    EXPECT_EQ(DepthOf(deepest.soup), 513);

    const ReadResult deeper = Read(File(NestedEntries(514)));
    EXPECT_TRUE(deeper.read);
    EXPECT_EQ(deeper.soup.Get(), nullptr);

    const ReadResult hostile = Read(File(NestedEntries(100000)));
    EXPECT_TRUE(hostile.read);
    EXPECT_EQ(hostile.soup.Get(), nullptr);
}

TEST(SoupBinaryFormat, TheWriterRefusesTreesBeyondTheLimitAndCycles) {
    EXPECT_EQ(DepthOf(Read(Written(NestedContainers(513))).soup), 513);

    MemoryStream deeper;
    TDBBinaryFile::WriteSoup(deeper.Stream(), NestedContainers(514));
    EXPECT_EQ(deeper.Stream().GetError(), TStream::kErrorIO);
    EXPECT_TRUE(Contents(deeper.Stream()).empty());

    ACSChunkRef cycle = NewContainer();
    cycle->AddChild(Kiv::PString("self"), cycle);
    MemoryStream looped;
    TDBBinaryFile::WriteSoup(looped.Stream(), cycle);
    EXPECT_EQ(looped.Stream().GetError(), TStream::kErrorIO);
    cycle->RemoveChild(cycle);
}

TEST(SoupBinaryFormat, AFileIsNotReadAgainWhileItsNodesLookIntoIt) {
    TDBBinaryFile* file = new TDBBinaryFile();
    MemoryStream first(File(Entry("a", 1, Int32(1))));
    ASSERT_TRUE(file->Read(first.Stream()));
    ACSChunkRef root = file->GetRoot();
    MemoryStream second(File(Entry("b", 1, Int32(2))));
    EXPECT_FALSE(file->Read(second.Stream()));
    EXPECT_EQ(root.GetNamedTagAsInt(Kiv::PString("a"), 0), 1);

    root.Release();
    ASSERT_TRUE(file->Read(second.Stream()));
    EXPECT_EQ(file->GetRoot().GetNamedTagAsInt(Kiv::PString("b"), 0), 2);
    ReferenceCountMP::ReleaseRef(file);
}
