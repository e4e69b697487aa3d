// The text and binary soup forms agree: a text soup read, written in the binary form, read
// back and written as text again gives the same bytes as the first text.
#include <gtest/gtest.h>

#include <string>

#include "engine/dynamic_buffer.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/t_buffer.h"
#include "soup_test_support.h"
#include "soup_text_test_support.h"

namespace {

using soup_test::Leaf;

// A soup that holds every value type, nested and empty containers included.
ACSChunkRef EveryType() {
    ACSChunkRef soup;
    soup.SetNamedTagInt("int", -12);
    soup.SetNamedTagFloat("float", 0.5f);
    const float floats[] = {1, -2.5f, 3.25f};
    soup.SetNamedTagFloatArray("floats", floats);
    soup->AddChild("ints", Leaf(ACSTagType::IntArray, soup_test::Ints({4, 5})));
    soup.SetNamedTagKUID("kuid", KUID(1, 2, 3));
    soup->AddChild("kuids",
                   Leaf(ACSTagType::KUIDArray, soup_test::Kuids({KUID(6, 7, 0), KUID(8, 9, 0)})));
    soup.SetNamedTagKUID("null-kuid", KUID::Null());
    soup.SetNamedTagString("text", "Quoted \"text\"\r\nover lines, caf\xC3\xA9");
    soup.SetNamedTagString("empty-text", "");
    soup->AddChild("blob", Leaf(ACSTagType::Blob, soup_test::Text("raw")));
    soup.SetNamedTagEmpty("empty");
    ACSChunkRef inner;
    inner.SetNamedTagString("path", "a\\b");
    ACSChunkRef empty;
    inner.SetNamedSoup("nothing", empty);
    ACSChunkRef outer;
    outer.SetNamedTagInt("first", 1);
    outer.SetNamedSoup("inner", inner);
    soup.SetNamedSoup("outer", outer);
    return soup;
}

ACSChunkRef ThroughBinary(const ACSChunkRef& soup) {
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    TDBBinaryFile::WriteSoup(stream, soup);
    EXPECT_EQ(stream.GetError(), 0);
    stream.Rewind();
    ACSChunkRef back;
    EXPECT_TRUE(TDBBinaryFile::ReadSoup(back, stream));
    return back;
}

TEST(SoupTextBinaryRoundTrip, TextThroughTheBinaryFormComesBackByteForByte) {
    const std::string first = soup_text_test::Write(EveryType());
    const ACSChunkRef read = soup_text_test::Parse(first);
    const std::string again = soup_text_test::Write(ThroughBinary(read));
    EXPECT_EQ(again, first);
}

} // namespace
