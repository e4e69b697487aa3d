// GSCompiler::WriteLibrary: golden images written word by word from the library format (the
// header with the source's id pair, every section and chunk, the pads), method tables with
// an override, and the refusals: an override that changes the return type, code whose
// operand depth does not come back to 0, and a buffer that could not grow.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "codegen_support.h"
#include "parse_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/gs_library_writer.h"
#include "script_folder.h"

namespace {

// An image under construction: words little-endian, texts with their zero.
class Image {
  public:
    Image& Words(std::initializer_list<uint32_t> words) {
        for (uint32_t word : words)
            for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(word >> shift));
        return *this;
    }
    Image& Text(const char* text) {
        bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
        return *this;
    }
    Image& Raw(std::initializer_list<uint8_t> raw) {
        bytes.insert(bytes.end(), raw);
        return *this;
    }
    Bytes bytes;
};

constexpr uint32_t kNone = 0xFFFFFFFF;

Bytes Write(CompiledText& compiled, const char* sourceName, bool* written = nullptr) {
    Utils::AlignedByteBuffer output;
    output.Init(1024);
    const bool ok = GSCompiler::WriteLibrary(output, compiled.context, &compiled.log, sourceName);
    if (written) *written = ok;
    return Bytes(output.Data(), output.Data() + output.Length());
}

bool Contains(const Bytes& image, const Bytes& part) {
    return std::search(image.begin(), image.end(), part.begin(), part.end()) != image.end();
}

TEST(LibraryWriter, AnEmptyClassGivesTheWholeImage) {
    ScriptFolder folder;
    folder.Write("a.gs", "class A { };");
    GSIncludeList::Clear();
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder.Path().c_str()), Kiv::PString()));
    const auto compiled = CompileFile("a.gs");
    GSIncludeList::Clear();
    ASSERT_TRUE(compiled->generated);
    bool written = false;
    const Bytes image = Write(*compiled, "a.gs", &written);
    ASSERT_TRUE(written);

    Image expected;
    // Header: length, magic, version 1.02, id1 (CRC-32 of "class A { };"), id2 (of "a.gs").
    expected.Words({276, 0xF762575D, 0x3F828F5C, 0xCE923AF6, 0x73BDF976, 5}).Text("a.gs");
    // Section 2 at 29: the library itself as dependency 0.
    expected.Words({20, 2, 1, 0xCE923AF6, 0x73BDF976});
    // Section 3 at 49: "A" (index 0, bucket 4) before "::A()" (index 1, bucket 56); the
    // strings end at 77 and zeros pad to 80.
    expected.Words({31, 3, 2, 0, 2}).Text("A").Text("::A()").Raw({0, 0, 0});
    // Section 4: class A of dependency 0, named by string 0. Section 5: no functions.
    expected.Words({20, 4, 1, 0, 0});
    expected.Words({12, 5, 0});
    // Section 6 with one class chunk: name 0, flags 0, no ancestors.
    expected.Words({164, 6, 1});
    expected.Words({152, 7, 0, 0, 0});
    // Function list holding only the initialiser: name 1, void, no class, flags 0x20, slot
    // -1, frame advance 4, argument base 0, frame record 1, stack need 4, P 1, A 0, B 0,
    // no object slots, no code and no line table.
    expected.Words({76, 8, 1});
    expected.Words({64, 9, 1, 0, kNone, 0x20, kNone, 4, 0, 1, 4, 1, 0, 0, 0, 0});
    // Members, method table, layout (5 slots, the single triple {1, 1, 0}, no object slots).
    expected.Words({12, 10, 0});
    expected.Words({12, 11, 0});
    expected.Words({32, 12, 5, 1, 1, 1, 0, 0});
    EXPECT_EQ(image, expected.bytes);
}

TEST(LibraryWriter, AClassDerivedFromAnIncludedClassGivesTheWholeImage) {
    ScriptFolder folder;
    folder.Write("a.gs", "include \"b.gs\"\nclass A isclass B {\n  int F() { return G(); }\n};\n");
    folder.Write("b.gs", "class B { int G() { return 1; } };");
    GSIncludeList::Clear();
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder.Path().c_str()), Kiv::PString()));
    const auto compiled = CompileFile("a.gs", {"b.gs"});
    GSIncludeList::Clear();
    ASSERT_TRUE(compiled->generated);
    bool written = false;
    const Bytes image = Write(*compiled, "a.gs", &written);
    ASSERT_TRUE(written);

    Image expected;
    expected.Words({496, 0xF762575D, 0x3F828F5C, 0x6F00C90A, 0x73BDF976, 5}).Text("a.gs");
    // Dependency 0 is a.gs itself, dependency 1 the include b.gs.
    expected.Words({28, 2, 2, 0x6F00C90A, 0x73BDF976, 0xB39D66BC, 0x61085698});
    // Strings by index: "B" 0, "A" 1 (section 4), "$int@B::G()" 2, "$int@A::F()" 3 (section
    // 5), "::A()" 4; stored by bucket: "A" (4), "B" (5), "$int@A::F()" (49), "::A()" (56),
    // "$int@B::G()" (57); 34 bytes from 89 to 123, one zero to 124.
    expected.Words({67, 3, 5, 2, 0, 22, 4, 16});
    expected.Text("A").Text("B").Text("$int@A::F()").Text("::A()").Text("$int@B::G()").Raw({0});
    // B (numbered when A took it as parent) comes from dependency 1; A was numbered second.
    expected.Words({28, 4, 2, 1, 0, 0, 1});
    // B::G at slot 0 of B; A::F at slot 1 (A's function base 1).
    expected.Words({36, 5, 2, 0, 2, 0, 1, 3, 1});
    expected.Words({308, 6, 1});
    // Class A: name 1, flags 0, one ancestor: B (class ref 0) at variable offset 2, direct.
    expected.Words({296, 7, 1, 0, 1, 0, 2, 1});
    expected.Words({168, 8, 2});
    // A::F: me, the call of G (k 0, entry 0), return; D 1; 9 bytes and three pad bytes;
    // one line pair at line 3.
    expected.Words({92, 9, 3, 2, kNone, 0, 1, 4, 0, 1, 5, 1, 0, 0, 0, 9});
    expected.Raw({32, 0, 0, 94, 0, 0, 0, 0, 110, 0xFF, 0xFF, 0xFF});
    expected.Words({0x6462676C, 1, 0, 3});
    expected.Words({64, 9, 4, 0, kNone, 0x20, kNone, 4, 0, 1, 4, 1, 0, 0, 0, 0});
    expected.Words({12, 10, 0});
    // Method table: B::G from B's part at offset 2, then A::F.
    expected.Words({28, 11, 2, 0, 2, 1, 0});
    // Layout: 7 slots; B's subobject at 2 with its part of the table at 0; then {1, 1, 0}.
    expected.Words({56, 12, 7, 3, 0, 2, 0xFFFFFFFE, 1, 3, 0, 1, 1, 0, 0});
    EXPECT_EQ(image, expected.bytes);
}

TEST(LibraryWriter, AFunctionChunkCarriesItsFrameCodePadAndLines) {
    const auto compiled = CompileText("class B { public int F(int a) { return a + 1; } string s = \"t\"; };");
    ASSERT_TRUE(compiled->generated);
    bool written = false;
    const Bytes image = Write(*compiled, "test.gs", &written);
    ASSERT_TRUE(written);
    // Strings: "t" 0 (code generation), "B" 1 (section 4), "$int@B::F(int)" 2 (section 5),
    // "::B()" 3. F: flags public, slot 0, P 2, A 0, B 0, D 2 (frame advance 4, argument base
    // -1, frame record 1, stack need 6), 6 bytes of code and two pad bytes, one line pair.
    Image function;
    function.Words({88, 9, 2, 2, kNone, 1, 0, 4, kNone, 1, 6, 2, 0, 0, 0, 6});
    function.Raw({31, 1, 0, 11, 0, 110, 0xFF, 0xFF});
    function.Words({0x6462676C, 1, 0, 1});
    EXPECT_TRUE(Contains(image, function.bytes));
    // The initialiser: "t" into member slot 2, then return; D 1; 7 bytes padded to 8.
    Image initialiser;
    initialiser.Words({72, 9, 3, 0, kNone, 0x20, kNone, 4, 0, 1, 5, 1, 0, 0, 0, 7});
    initialiser.Raw({73, 0, 0, 106, 2, 0, 109, 0xFF});
    EXPECT_TRUE(Contains(image, initialiser.bytes));
    // The member s (string 4, type 4, no class, not public, slot 2); the layout lists slot 2
    // as the class's one object-typed member slot.
    EXPECT_TRUE(Contains(image, Image().Words({32, 10, 1, 4, 4, kNone, 0, 2}).bytes));
    EXPECT_TRUE(Contains(image, Image().Words({36, 12, 6, 1, 1, 1, 0, 1, 2}).bytes));
    EXPECT_TRUE(Contains(image, Image().Words({20, 11, 1, 0, 0}).bytes));
}

TEST(LibraryWriter, AnOverrideKeepsTheInheritedIndexAndIsAppendedAgain) {
    const auto compiled = CompileText(
        "class P { int F() { return 1; } int G() { return 2; } };\n"
        "class Q isclass P { int G() { return 3; } };");
    ASSERT_TRUE(compiled->generated);
    GSClassSymbol* q = compiled->Class("Q")->symbol;
    GSMethodTable table;
    ASSERT_TRUE(GSLibraryWriter::BuildMethodTable(q, q, table, nullptr));
    ASSERT_EQ(table.size(), 3u);
    EXPECT_STREQ(table[0].function->linkageName, "$int@P::F()");
    EXPECT_EQ(table[0].variableOffset, 2);
    EXPECT_STREQ(table[1].function->linkageName, "$int@Q::G()");
    EXPECT_EQ(table[1].variableOffset, 0);
    EXPECT_EQ(table[2].function, table[1].function);

    bool written = false;
    const Bytes image = Write(*compiled, "test.gs", &written);
    ASSERT_TRUE(written);
    // P's functions were numbered when Q took P as its parent (F 0, G 1, in P's member
    // order), Q::G when its code was generated (2). Q's table: P::F from P's part at
    // variable offset 2, Q::G at the inherited index 1 and again at its own index 2.
    EXPECT_TRUE(Contains(image, Image().Words({36, 11, 3, 0, 2, 2, 0, 2, 0}).bytes));
    // Section 5: each function with its class reference and its slot (Q::G at Q's function
    // base 2).
    EXPECT_TRUE(Contains(image, Image().Words({48, 5, 3, 0, 2, 0, 0, 3, 1, 1, 4, 2}).bytes));
    // Q's layout: 7 slots (variable base 4, no own variables, 3 more), P's subobject at slot 2
    // ({0, 2, -2}, {1, 3, 0}),
    // then {1, 1, 0}.
    EXPECT_TRUE(Contains(image, Image().Words({56, 12, 7, 3, 0, 2, 0xFFFFFFFE, 1, 3, 0, 1, 1, 0, 0}).bytes));
}

TEST(LibraryWriter, OwnFunctionsStandAtTheirSlotsNotInMemberTableOrder) {
    // G is declared first (index 0) but "::F()" hashes to an earlier bucket (18 against 27)
    // of the class's member table.
    const auto compiled = CompileText("class P { int G() { return 2; } int F() { return G(); } };");
    ASSERT_TRUE(compiled->generated);
    GSClassSymbol* p = compiled->Class("P")->symbol;
    GSMethodTable table;
    ASSERT_TRUE(GSLibraryWriter::BuildMethodTable(p, p, table, nullptr));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_STREQ(table[0].function->name, "::G()");
    EXPECT_STREQ(table[1].function->name, "::F()");
    // F calls entry 0, which must be G.
    EXPECT_EQ(Disassembly(*compiled->Function("P", "::F()")), "0 OP_LocalLoadObject 0\n3 OP_Call 0 0\n8 OP_ReturnValue\n");
}

TEST(LibraryWriter, AnOverrideWithAnotherReturnTypeFails) {
    const auto compiled = CompileText(
        "class P { int G() { return 2; } };\n"
        "class Q isclass P { float G() { return 3.0; } };");
    ASSERT_TRUE(compiled->generated);
    bool written = true;
    Write(*compiled, "test.gs", &written);
    EXPECT_FALSE(written);
    EXPECT_EQ(TakeMessages(compiled->log),
              (std::vector<std::string>{"Wrong return type on function: ", "$float@Q::G()", "\n"}));
}

TEST(LibraryWriter, CodeThatLeavesOperandsOnTheStackIsRefused) {
    const auto compiled = CompileText("class C { void F() { } };");
    ASSERT_TRUE(compiled->generated);
    compiled->Function("C", "::F()")->depth = 1;
    bool written = true;
    Write(*compiled, "test.gs", &written);
    EXPECT_FALSE(written);
}

TEST(LibraryWriter, CodeCutShortByAFailedGrowthIsNeverWrittenAsALibrary) {
    const auto compiled = CompileText("class C { void F() { } };");
    ASSERT_TRUE(compiled->generated);
    GSCFunction* function = compiled->Function("C", "::F()");
    function->code.Release();
    function->code.AppendUInt32(0);  // a buffer without storage cannot take the word
    ASSERT_NE(function->code.Flags() & Utils::AlignedByteBuffer::kAllocFailed, 0u);
    bool written = true;
    Write(*compiled, "test.gs", &written);
    EXPECT_FALSE(written);
}

}  // namespace
