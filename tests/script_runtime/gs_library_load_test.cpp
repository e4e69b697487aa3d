// GSLibrary::Load on images written by hand: the format as the loader reads it, and every
// kind of damage (cut at any byte, wrong tags, huge counts, offsets, indices and lengths,
// frame words that disagree, byte code that fails verification) ending as a format error
// (-1) and nothing else. A sound image that gets that far fails only for want of a machine
// that knows its dependencies (-2).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"

namespace {

int LoadBytes(const std::vector<uint8_t>& bytes) {
    GSMachine machine;
    GSLibrary library;
    return library.Load(&machine, bytes);
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words) gsl::Image::Word(bytes, w);
    return bytes;
}

// One class "Base" with a member and a function, "Derived" with Base as its parent, a
// reference to Base and to Base's function, line pairs and member initialisers.
gsl::Image RichImage() {
    gsl::Image image;
    image.sourceName = "rich.gs";
    image.classRefs = {{0, "Base"}, {0, "Derived"}};
    image.functionRefs = {{0, "$int@Base::Get(int)", 2}};
    gsl::Class base;
    base.name = "Base";
    gsl::Function get;
    get.name = "$int@Base::Get(int)";
    get.returnType = 2;
    get.slot = 2;
    get.arguments = 2;
    get.locals = 1;
    get.depth = 2;
    // load parameter 1, store into local 2, load it, return it
    get.code = {31, 1, 0, 33, 2, 0, 31, 2, 0, 110};
    get.lines = {{0, 10}, {6, 11}};
    base.functions = {get};
    base.members = {{"count", 2, -1, 1, 2}};
    base.initialiserCode = {30, 7, 0, 0, 0, 105, 2, 0, 109};  // count = 7
    base.instanceSlots = 6;
    base.methods = {{0, 0}};
    gsl::Class derived;
    derived.name = "Derived";
    derived.ancestors = {{0, 2, 1}};
    derived.methods = {{0, 2}};
    derived.instanceSlots = 2 + 3 + 3;
    derived.triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
    image.classes = {base, derived};
    return image;
}

TEST(GSLibraryLoad, HandWrittenImageMatchesTheBuilderAndReads) {
    const std::vector<uint8_t> expected = [] {
        std::vector<uint8_t> bytes = Words({264, 0xF762575D, 0x3F828F5C, 0x1111, 0x2222, 2});
        bytes.insert(bytes.end(), {'a', 0});
        for (uint8_t b : Words({20, 2, 1, 0x1111, 0x2222, 30, 3, 2, 6, 0})) bytes.push_back(b);
        bytes.insert(bytes.end(), {':', ':', 'A', '(', ')', 0, 'A', 0, 0, 0});
        for (uint8_t b : Words({12, 4, 0, 12, 5, 0, 164, 6, 1,
                                152, 7, 0, 0, 0,
                                76, 8, 1, 64, 9, 1, 0, 0xFFFFFFFF, 0x20, 0xFFFFFFFF, 4, 0, 1, 4, 1, 0, 0, 0, 0,
                                12, 10, 0, 12, 11, 0, 32, 12, 5, 1, 1, 1, 0, 0}))
            bytes.push_back(b);
        return bytes;
    }();
    gsl::Image image;
    image.sourceName = "a";
    gsl::Class a;
    a.name = "A";
    image.classes = {a};
    EXPECT_EQ(image.Build(), expected);
    EXPECT_EQ(LoadBytes(expected), GS_LOAD_DEPENDENCY_ERROR);
}

TEST(GSLibraryLoad, EveryCutImageIsAFormatError) {
    gsl::Image image = RichImage();
    const std::vector<uint8_t> bytes = image.Build();
    ASSERT_EQ(LoadBytes(bytes), GS_LOAD_DEPENDENCY_ERROR);
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_EQ(LoadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)), GS_LOAD_FORMAT_ERROR)
            << "cut at " << length;
}

TEST(GSLibraryLoad, DamagedFieldsAreFormatErrors) {
    gsl::Image image = RichImage();
    const std::vector<uint8_t> bytes = image.Build();
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> copy = bytes;
        gsl::Image::Patch(copy, at, value);
        return copy;
    };
    // Every section and class chunk: wrong tag, a size beyond the image, a huge count.
    for (size_t boundary : image.boundaries) {
        EXPECT_EQ(LoadBytes(patched(boundary + 4, 99)), GS_LOAD_FORMAT_ERROR) << boundary;
        EXPECT_EQ(LoadBytes(patched(boundary, 0x7FFFFFF0)), GS_LOAD_FORMAT_ERROR) << boundary;
        EXPECT_EQ(LoadBytes(patched(boundary, 4)), GS_LOAD_FORMAT_ERROR) << boundary;
        if (boundary + 8 < image.boundaries.back()) {
            EXPECT_EQ(LoadBytes(patched(boundary + 8, 0xFFFFFFF0)), GS_LOAD_FORMAT_ERROR) << boundary;
        }
    }
    EXPECT_EQ(LoadBytes(patched(4, 0xF762575C)), GS_LOAD_FORMAT_ERROR);  // magic
    EXPECT_EQ(LoadBytes(patched(20, 0xFFFFFFFF)), GS_LOAD_FORMAT_ERROR);  // name length
    EXPECT_EQ(LoadBytes(patched(20, static_cast<uint32_t>(bytes.size()))), GS_LOAD_FORMAT_ERROR);
    const size_t strings = image.boundaries[1];
    EXPECT_EQ(LoadBytes(patched(strings + 12, 0x7FFFFFFF)), GS_LOAD_FORMAT_ERROR);  // string offset
    // An offset at the section's last byte, a pad zero, still finds its terminator.
    const uint32_t sectionSize = gsl::Image::Read(bytes, strings);
    const uint32_t count = gsl::Image::Read(bytes, strings + 8);
    const uint32_t textSize = sectionSize - 12 - 4 * count;
    EXPECT_EQ(LoadBytes(patched(strings + 12, textSize)), GS_LOAD_FORMAT_ERROR);
    // A string whose terminator lies beyond its section.
    std::vector<uint8_t> unterminated = bytes;
    for (size_t i = strings + 12 + 4 * count; i < strings + sectionSize; ++i) unterminated[i] = 'x';
    EXPECT_EQ(LoadBytes(unterminated), GS_LOAD_FORMAT_ERROR);
}

// Builds RichImage with one change and loads it.
int LoadChanged(const std::function<void(gsl::Image&)>& change) {
    gsl::Image image = RichImage();
    change(image);
    return LoadBytes(image.Build());
}

TEST(GSLibraryLoad, IndicesAndLayoutsOutOfRangeAreFormatErrors) {
    using Change = std::function<void(gsl::Image&)>;
    const std::vector<std::pair<const char*, Change>> changes = {
        {"class-ref dependency", [](gsl::Image& i) { i.classRefs[0].dependency = 1; }},
        {"function-ref class", [](gsl::Image& i) { i.functionRefs[0].classRef = 2; }},
        {"ancestor class-ref", [](gsl::Image& i) { i.classes[1].ancestors[0].classRef = 2; }},
        {"ancestor offset in the header", [](gsl::Image& i) { i.classes[1].ancestors[0].offset = 1; }},
        {"ancestor offset past the members", [](gsl::Image& i) { i.classes[1].ancestors[0].offset = 40; }},
        {"method-table function-ref", [](gsl::Image& i) { i.classes[0].methods[0].first = 1; }},
        {"method-table offset of no ancestor", [](gsl::Image& i) { i.classes[1].methods[0].second = 3; }},
        {"return class", [](gsl::Image& i) { i.classes[0].functions[0].returnClass = 2; }},
        {"member class", [](gsl::Image& i) { i.classes[0].members[0].classRef = 7; }},
        {"member slot", [](gsl::Image& i) { i.classes[0].members[0].slot = 3; }},
        {"instance slot count", [](gsl::Image& i) { i.classes[0].instanceSlots = 4; }},
        {"huge instance slot count", [](gsl::Image& i) { i.classes[0].instanceSlots = 0x7FFFFFFF; }},
        {"triple kind", [](gsl::Image& i) { i.classes[1].triples[0][0] = 2; }},
        {"triple slot", [](gsl::Image& i) { i.classes[1].triples[1][1] = 8; }},
        {"triple distance", [](gsl::Image& i) { i.classes[1].triples[0][2] = -3; }},
        {"triple method entry", [](gsl::Image& i) { i.classes[1].triples[1][2] = 2; }},
        {"triple missing", [](gsl::Image& i) { i.classes[1].triples.pop_back(); }},
        {"view without its distance", [](gsl::Image& i) { i.classes[1].triples[0] = {1, 3, 0}; }},
        {"view method word at another slot", [](gsl::Image& i) { i.classes[1].triples[1] = {1, 4, 0}; }},
        {"own method word last", [](gsl::Image& i) { std::swap(i.classes[1].triples[1], i.classes[1].triples[2]); }},
        {"object member slot", [](gsl::Image& i) { i.classes[0].objectSlots = {3}; }},
        {"object frame slot", [](gsl::Image& i) { i.classes[0].functions[0].objectSlots = {3}; }},
        {"object frame slot 0", [](gsl::Image& i) { i.classes[0].functions[0].objectSlots = {0}; }},
        {"no argument slot", [](gsl::Image& i) { i.classes[0].functions[0].arguments = 0; }},
        {"negative locals", [](gsl::Image& i) { i.classes[0].functions[0].locals = -1; }},
    };
    for (const auto& [what, change] : changes) EXPECT_EQ(LoadChanged(change), GS_LOAD_FORMAT_ERROR) << what;
}

TEST(GSLibraryLoad, FrameWordsMustAgree) {
    gsl::Image image = RichImage();
    std::vector<uint8_t> bytes = image.Build();
    // The function chunk of Base::Get: words 7 to 11 after its start are the frame advance,
    // the argument base, the frame record, the stack need and the argument slots; the
    // stack need may be anything above the frame, the others follow from each other.
    const size_t classChunk = image.boundaries[5];
    const size_t function = classChunk + 20 + 12;
    ASSERT_EQ(gsl::Image::Read(bytes, function + 4), 9u);
    for (size_t word : {7u, 8u, 9u, 11u}) {
        std::vector<uint8_t> copy = bytes;
        gsl::Image::Patch(copy, function + 4 * word, gsl::Image::Read(bytes, function + 4 * word) - 1);
        EXPECT_EQ(LoadBytes(copy), GS_LOAD_FORMAT_ERROR) << "word " << word;
    }
}

TEST(GSLibraryLoad, ByteCodeIsVerified) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        bool passes;
    };
    // Base::Get has frame slots 0 to 2, two strings to spare below the library's count,
    // two class references, and members up to slot 2.
    const Case cases[] = {
        {"every operand in range", {31, 2, 0, 73, 0, 0, 88, 1, 0, 103, 2, 0, 94, 0, 0, 0, 0, 43, 0, 0, 0, 0, 110}, true},
        {"switch and wait targets", {113, 1, 0, 5, 0, 0, 0, 26, 0, 0, 0, 26, 0, 0, 0, 112, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 109}, true},
        {"undefined opcode", {116}, false},
        {"opcode 255", {10, 255}, false},
        {"truncated operand", {30, 1, 2}, false},
        {"jump into an instruction", {43, 1, 0, 0, 0, 109}, false},
        {"jump to the end", {43, 5, 0, 0, 0}, false},
        {"negative jump", {44, 0xFF, 0xFF, 0xFF, 0xFF, 109}, false},
        {"switch default outside", {113, 0, 0, 99, 0, 0, 0}, false},
        {"switch case inside an instruction", {113, 1, 0, 5, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 109}, false},
        {"wait target outside", {112, 1, 0, 0, 0, 0, 0, 50, 0, 0, 0}, false},
        {"wait string", {112, 1, 0, 0, 0, 200, 0, 0, 0, 0, 0}, false},
        {"frame slot", {31, 3, 0, 110}, false},
        {"string index", {73, 200, 0, 110}, false},
        {"class index", {88, 2, 0, 110}, false},
        {"receiver member in the header", {103, 1, 0, 110}, false},
        {"receiver member past the instance", {103, 3, 0, 110}, false},
        {"member in the header", {97, 0, 0, 110}, false},
        {"call receiver above the top", {94, 1, 0, 0, 0, 109}, false},
        {"inherited call receiver above the top", {114, 2, 0, 109}, false},
    };
    for (const Case& c : cases) {
        const int result = LoadChanged([&](gsl::Image& i) { i.classes[0].functions[0].code = c.code; });
        EXPECT_EQ(result, c.passes ? GS_LOAD_DEPENDENCY_ERROR : GS_LOAD_FORMAT_ERROR) << c.what;
    }
    // Derived holds Base's view at slots 2 and 3 and Base's member at 4.
    for (uint8_t slot : {2, 3, 5}) {
        EXPECT_EQ(LoadChanged([&](gsl::Image& i) { i.classes[1].initialiserCode = {105, slot, 0, 109}; }),
                  GS_LOAD_FORMAT_ERROR)
            << "an initialiser storing into slot " << int{slot};
    }
    EXPECT_EQ(LoadChanged([](gsl::Image& i) { i.classes[1].initialiserCode = {105, 4, 0, 109}; }),
              GS_LOAD_DEPENDENCY_ERROR);
}

TEST(GSLibraryLoad, SectionsSkipTrailingWordsAndLineTablesAreOptional) {
    gsl::Image image = RichImage();
    image.classes[0].functions[0].lineTable = false;
    std::vector<uint8_t> bytes = image.Build();
    // Two extra words at the end of the dependency section, counted in its size.
    const size_t dependencies = image.boundaries[0];
    const uint32_t size = gsl::Image::Read(bytes, dependencies);
    bytes.insert(bytes.begin() + static_cast<long>(dependencies + size), 8, 0xAB);
    gsl::Image::Patch(bytes, dependencies, size + 8);
    gsl::Image::Patch(bytes, 0, static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(LoadBytes(bytes), GS_LOAD_DEPENDENCY_ERROR);
}

}  // namespace
