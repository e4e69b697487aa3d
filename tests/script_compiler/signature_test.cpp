// Function keys and linkage names built from parsed declarations, the walk over a key's
// parameter types, type names back to codes, the specifier words and type equality.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parse_support.h"
#include "script_compiler/gs_compiler.h"

namespace {

TEST(Signature, KeysAndLinkageNamesOfDeclarations) {
    struct Case {
        const char* declaration;
        const char* key;
        const char* linkage;
        const char* objectKey;  // without class names
    };
    const Case cases[] = {
        {"void Foo();", "::Foo()", "$void@Bar::Foo()", "::Foo()"},
        {"int Foo(int a, Bar b) { return a; }", "::Foo(int,Bar)", "$int@Bar::Foo(int,Bar)", "::Foo(int,object)"},
        {"Bar Get(string[] s, Bar[] all, float f, bool[] b);", "::Get(string[],Bar[],float,bool[])",
         "$Bar@Bar::Get(string[],Bar[],float,bool[])", "::Get(string[],object[],float,bool[])"},
        {"Bar[] List(object o, object[] p);", "::List(object,object[])", "$Bar[]@Bar::List(object,object[])",
         "::List(object,object[])"},
        {"string[] Names(void);", "::Names()", "$string[]@Bar::Names()", "::Names()"},
    };
    for (const Case& c : cases) {
        auto parsed = ParseText(std::string("class Bar { ") + c.declaration + " };");
        ASSERT_EQ(parsed->result, 0) << c.declaration;
        const GSCNode* function = parsed->Root()->child[2];
        char text[256];
        ASSERT_TRUE(GSCompiler::BuildSignature("Bar", function, text, sizeof text, false, true));
        EXPECT_STREQ(text, c.key);
        ASSERT_TRUE(GSCompiler::BuildSignature("Bar", function, text, sizeof text, true, true));
        EXPECT_STREQ(text, c.linkage);
        ASSERT_TRUE(GSCompiler::BuildSignature("Bar", function, text, sizeof text, false, false));
        EXPECT_STREQ(text, c.objectKey);
        EXPECT_FALSE(GSCompiler::BuildSignature("Bar", function, text, 5, true, true)) << "too long";
        EXPECT_FALSE(GSCompiler::BuildSignature("Bar", parsed->Root(), text, sizeof text, true, true))
            << "a class is no function";
    }
}

TEST(Signature, ParameterTypesOfAKeyTurnBackIntoCodes) {
    const char* key = "::F(int,Bar[],Bar,string[],null,object[])";
    std::vector<std::string> names;
    std::vector<int32_t> codes;
    char type[64];
    for (const char* cursor = GSCompiler::FirstParameterType(key, type, sizeof type); cursor;
         cursor = GSCompiler::NextParameterType(cursor, type, sizeof type)) {
        codes.push_back(GSCompiler::TypeCodeOfName(type));
        names.push_back(type);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"int", "Bar", "Bar", "string[]", "null", "object[]"}));
    EXPECT_EQ(codes, (std::vector<int32_t>{2, 11, 5, 10, 13, 11}));
    EXPECT_EQ(GSCompiler::FirstParameterType("::F()", type, sizeof type), nullptr);
    char plain[256];
    GSCompiler::PlainFunctionName(plain, sizeof plain, key);
    EXPECT_STREQ(plain, "F");
}

TEST(Signature, SpecifierWordsComeInTheirFixedOrder) {
    EXPECT_EQ(GSCompiler::FlagsText(0), "");
    EXPECT_EQ(GSCompiler::FlagsText(0x1FF), "public native static final thread constructor game secured define ");
    EXPECT_EQ(GSCompiler::FlagsText(GS_FLAG_DEFINE | GS_FLAG_SECURED | GS_FLAG_BODY), "secured define ");
}

TEST(Signature, SameTypeLetsNullMatchAnObjectAndComparesClassNames) {
    struct Case {
        int32_t type1;
        const char* class1;
        int32_t type2;
        const char* class2;
        bool same;
    };
    const Case cases[] = {
        {GS_TYPE_INT, nullptr, GS_TYPE_INT, nullptr, true},
        {GS_TYPE_INT, nullptr, GS_TYPE_FLOAT, nullptr, false},
        {GS_TYPE_NULL, nullptr, GS_TYPE_OBJECT, "A", true},
        {GS_TYPE_OBJECT, "A", GS_TYPE_NULL, nullptr, true},
        {GS_TYPE_NULL, nullptr, GS_TYPE_STRING, nullptr, false},
        {GS_TYPE_OBJECT, "A", GS_TYPE_OBJECT, "A", true},
        {GS_TYPE_OBJECT, "A", GS_TYPE_OBJECT, "B", false},
        {GS_TYPE_OBJECT, nullptr, GS_TYPE_OBJECT, "A", false},
        {GS_TYPE_OBJECT, nullptr, GS_TYPE_OBJECT, nullptr, true},
        {11, "A", 11, "B", true},  // arrays of classes by code only
    };
    for (const Case& c : cases)
        EXPECT_EQ(GSCompiler::SameType(c.type1, c.class1, c.type2, c.class2), c.same)
            << c.type1 << " " << (c.class1 ? c.class1 : "-") << " / " << c.type2 << " " << (c.class2 ? c.class2 : "-");
}

}  // namespace
