// The configuration text: its parse results as one table (version line, braces, nesting
// depth, unreadable file), repeated items in order, the missing-item marker and the value
// forms; and the "imtxt" layout read into geometry or refused as a whole.
#include "engine/config_parser.h"

#include <gtest/gtest.h>

#include "engine/geometry_config_data.h"

namespace {

std::string Nested(int depth) {
    std::string text = "version 1\n";
    for (int i = 0; i < depth; ++i) text += "b {\n";
    for (int i = 0; i < depth; ++i) text += "}\n";
    return text;
}

TEST(ConfigParserTest, ParseResults) {
    const struct {
        const char* what;
        std::string text;
        int expected;
        int line;
    } cases[] = {
        {"plain", "# a mesh\n\nversion 2\nname x\n", Kiv::ConfigParser::kOk, 0},
        {"no version", "name x\n", Kiv::ConfigParser::kVersion, 1},
        {"empty", "", Kiv::ConfigParser::kVersion, 0},
        {"version not a number", "version two\n", Kiv::ConfigParser::kVersion, 1},
        {"version 0", "version 0\n", Kiv::ConfigParser::kVersion, 1},
        {"unclosed block", "version 1\nchunk {\n name x\n", Kiv::ConfigParser::kSyntax, 3},
        {"stray brace", "version 1\n}\n", Kiv::ConfigParser::kSyntax, 2},
        {"text after a brace", "version 1\nchunk {\n} x\n", Kiv::ConfigParser::kSyntax, 3},
        {"512 levels", Nested(512), Kiv::ConfigParser::kOk, 0},
        {"513 levels", Nested(513), Kiv::ConfigParser::kSyntax, 514},
    };
    for (const auto& c : cases) {
        Kiv::ConfigParser parser;
        EXPECT_EQ(parser.ParseText(c.text), c.expected) << c.what;
        EXPECT_EQ(parser.GetErrorLine(), c.line) << c.what;
        EXPECT_EQ(parser.GetRoot() != nullptr, c.expected == Kiv::ConfigParser::kOk) << c.what;
    }
    Kiv::ConfigParser parser;
    EXPECT_EQ(parser.ParseFile("/nonexistent/kiv/mesh.imtxt"), Kiv::ConfigParser::kUnreadable);
}

TEST(ConfigParserTest, RepeatedItemsMissingItemsAndValueForms) {
    Kiv::ConfigParser parser;
    ASSERT_EQ(parser.ParseText("version 3\r\nv 1 2 3\nv 4 5 6\nflag Yes\nname \"two words\"\n"
                               "block {\n  depth 1.5e2\n}\nbad 1 x\n"),
              Kiv::ConfigParser::kOk);
    EXPECT_EQ(parser.GetVersion(), 3);
    const Kiv::ConfigData& root = *parser.GetRoot();
    EXPECT_EQ(root.Count("v"), 2u);
    std::vector<float> values;
    ASSERT_TRUE(root.Get("v", 1).AsFloats(values));
    EXPECT_EQ(values, (std::vector<float>{4, 5, 6}));
    EXPECT_TRUE(root.Get("flag").AsBool());
    EXPECT_EQ(root.Get("name").AsText(), "two words");
    EXPECT_EQ(root.Get("block").Get("depth").AsFloat(), 150.0f);
    EXPECT_FALSE(root.Get("bad").AsFloats(values));
    EXPECT_EQ(root.Get("block").AsText(), "");
    Kiv::ConfigParser valued;
    ASSERT_EQ(valued.ParseText("version 1\nmesh 20.5 {\n  name a.im\n}\nmesh\t\"near\" {\n}\nx a{\n"),
              Kiv::ConfigParser::kOk);
    EXPECT_EQ(valued.GetRoot()->Get("mesh").AsText(), "20.5");
    EXPECT_EQ(valued.GetRoot()->Get("mesh").Get("name").AsText(), "a.im");
    EXPECT_EQ(valued.GetRoot()->Get("mesh", 1).AsText(), "near");
    EXPECT_EQ(valued.GetRoot()->Get("x").AsText(), "a{");  // no space before the brace: a value
    const Kiv::ConfigData& missing = root.Get("v", 2);
    EXPECT_TRUE(missing.IsMissing());
    EXPECT_EQ(missing.AsFloat(7.0f), 7.0f);
    EXPECT_TRUE(missing.Get("anything").IsMissing());
    EXPECT_TRUE(root.Get("name").AsBool(true));  // not a bool: the fallback
}

const char* const kTwoTriangles =
    "version 1\n"
    "position 1 2 3\n"
    "maxWeightsPerVertex 1\n"
    "chunk {\n"
    "  material {\n    name body.m.tbumptex\n    power 0.25\n    colour4 1 1 1 1\n"
    "    texture {\n      slot 8\n      file body_n.tga\n    }\n  }\n"
    "  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n  vertex 1 1 0\n"
    "  uv 0 0\n  uv 1 0\n  uv 0 1\n  uv 1 1\n"
    "  colour 0xFF102030\n  colour 1\n  colour 2\n  colour 3\n"
    "  triangle 0 1 2\n  triangle 1 3 2\n"
    "}\n"
    "influence {\n  name root\n  group {\n    chunk 0\n    entry 3 1 0 0 0\n  }\n}\n"
    "attachment {\n  name a.light\n  position 0 0 1\n}\n";

TEST(GeometryConfigDataTest, ReadsTheLayoutAndRefusesBrokenMeshesWhole) {
    Kiv::ConfigParser parser;
    ASSERT_EQ(parser.ParseText(kTwoTriangles), Kiv::ConfigParser::kOk);
    Kiv::GeometryConfigData data;
    ASSERT_TRUE(data.LoadConfigData(*parser.GetRoot(), true, true, true, "a/m.imtxt"));
    EXPECT_EQ(data.position, (Kiv::Vector3{1, 2, 3}));
    ASSERT_EQ(data.chunks.size(), 1u);
    const Kiv::ConfigChunk& chunk = data.chunks[0];
    EXPECT_EQ(chunk.indices, (std::vector<uint16_t>{0, 1, 2, 1, 3, 2}));
    EXPECT_EQ(chunk.uvSets.size(), 1u);
    EXPECT_EQ(chunk.colours[0], 0xFF102030u);
    EXPECT_EQ(chunk.material.textures[0].slot, 8u);
    EXPECT_FLOAT_EQ(chunk.material.display.power, 0.25f);
    EXPECT_EQ(data.influences[0].groups[0].entries[0].vertex, 3u);
    EXPECT_EQ(data.attachments[0].position, (Kiv::Vector3{0, 0, 1}));
    EXPECT_EQ(data.GetVertexTotal(), 4u);

    const std::string base = kTwoTriangles;
    const struct {
        const char* what;
        std::string from, to;
    } broken[] = {
        {"index not below the vertices", "triangle 1 3 2", "triangle 1 4 2"},
        {"fraction as index", "triangle 1 3 2", "triangle 1 2.5 2"},
        {"uvs not one per vertex", "  uv 1 1\n", ""},
        {"vertex with two numbers", "vertex 1 1 0", "vertex 1 1"},
        {"entry past the chunk", "entry 3 1", "entry 4 1"},
        {"group of no chunk", "chunk 0\n", "chunk 1\n"},
        {"not a colour", "colour 3\n", "colour blue\n"},
    };
    for (const auto& b : broken) {
        std::string text = base;
        text.replace(text.find(b.from), b.from.size(), b.to);
        ASSERT_EQ(parser.ParseText(text), Kiv::ConfigParser::kOk) << b.what;
        EXPECT_FALSE(data.LoadConfigData(*parser.GetRoot(), true, true, true, "m.imtxt")) << b.what;
        EXPECT_EQ(data.GetVertexTotal(), 0u) << b.what;
        EXPECT_TRUE(data.influences.empty()) << b.what;
    }
}

}  // namespace
