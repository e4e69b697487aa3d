// Classifying tags by type and exporting the checked tree: list values, booleans, vector
// sizes by build, empty strings, comment and retired tags, file-path extensions, the stop
// of float and string tags after a failure, the kind written back, list sources, and
// extensions.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/containers/float_array.h"
#include "validation/darodi/mesh_object.h"
#include "validation/darodi/number_list.h"
#include "matching_test_support.h"

namespace {

using validation_test::Head;
using validation_test::MatchingFixture;
using Strings = std::vector<std::string>;

class TagExportTest : public ::testing::Test {
  protected:
    // Matching findings, then export findings.
    Strings MatchAndExport(const std::string& config) {
        EXPECT_TRUE(fixture.Match(config)) << config;
        Strings findings = fixture.Findings();
        fixture.Export();
        for (const std::string& finding : fixture.Findings())
            findings.push_back(finding);
        return findings;
    }
    std::string Written(const char* name) const {
        return std::string(fixture.exported.GetNamedTag(Kiv::PString(name)).View());
    }
    MatchingFixture fixture{"matching"};
};

TEST_F(TagExportTest, EachTypeIsCheckedByItsRulesAndBuild) {
    struct Case {
        const char* build;
        const char* line;
        Strings findings;
    };
    const Case cases[] = {
        {"3.3", "category-class \"XX\"\n", {"E:emptycombobox category-class in scenery"}},
        {"3.3", "category-class \"br\"\n", {}},
        {"3.3", "category-region \"XX;uk\"\n", {}},
        {"3.3", "category-region \"XX\"\n", {"E:emptylistbox category-region in scenery"}},
        {"3.3", "bright \"true\"\n", {"W:notboolean bright in scenery"}},
        {"2.88", "offset \"1, 2, 3\"\n", {}},
        {"2.89", "offset \"1, 2, 3\"\n", {"E:arraywrongsize offset 3 5"}},
        {"2.89", "offset \"1,2,3\"\n", {}},
        {"3.0", "sound\n{\nname \"\"\n}\n", {}},
        {"3.1", "sound\n{\nname \"\"\n}\n", {"E:emptystringerr name in sound"}},
        {"2.4", "rem \"a comment\"\n", {}},
        {"2.4", "! \"a comment\"\n", {}},
        {"2.5", "! \"a comment\"\n", {"E:nodefinition ! in scenery"}},
        // Below 2.9 the config upgrade joins the numbered regions it reaches from index 0.
        {"2.89", "category-region-1 \"UK\"\n", {}},
        {"2.89", "category-region-3 \"UK\"\n", {"W:obsoletetag category-region-3 in scenery"}},
        {"2.9", "category-region-1 \"UK\"\n", {"E:obsoletetag category-region-1 in scenery"}},
        {"3.3", "skin \"wood.texture.txt\"\n", {}},
        {"3.3", "skin \"wood.png\"\n", {"E:nopictureext skin in scenery"}},
        {"3.3", "skin \"\"\n", {"E:emptystringwarn skin in scenery"}},
        {"3.3", "shape \"box.LM.txt\"\n", {}},
        {"3.3", "shape \"box.txt\"\n", {"E:nomeshext shape in scenery"}},
        {"3.3", "shape-edit \"box.txt\"\n", {}},
        {"3.3", "shape-edit \"box.glb\"\n", {"E:nomeshext shape-edit in scenery"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchAndExport(Head("scenery", c.build) + c.line), c.findings)
            << c.build << " " << c.line;
}

TEST_F(TagExportTest, ValuesAreWrittenInTheFormOfTheirType) {
    MatchAndExport(Head("bridge") + "height 0.5\n");
    EXPECT_EQ(fixture.root->templateName.View(), "tunnel");
    EXPECT_EQ(Written("kind"), "bridge");
    MatchAndExport(Head("scenery") +
                   "category-class \"XX\"\nbright \"true\"\naxles \"12 wheels\"\n"
                   "offset \"1, 2\"\nskin \"wood.texture.txt\"\nweight 2.5\n");
    EXPECT_EQ(Written("category-class"), "");
    EXPECT_EQ(fixture.exported.GetNamedTagAsInt(Kiv::PString("bright"), -1), 0);
    EXPECT_EQ(fixture.exported.GetNamedTagAsInt(Kiv::PString("axles"), -1), 12);
    EXPECT_EQ(Written("skin"), "wood.texture");
    EXPECT_EQ(Written("kuid"), "<kuid:414100:77>");
    EXPECT_EQ(Written("offset"), "1,0,2");
}

TEST_F(TagExportTest, AfterAFailedTagLaterFloatAndStringTagsAreNeitherCheckedNorWritten) {
    const Strings findings = MatchAndExport(
        "kuid <kuid:414100:77>\nusername \"\"\nkind \"scenery\"\nweight 2.5\naxles 3\n"
        "note \"\"\nbright \"1\"\n");
    EXPECT_EQ(findings, Strings{"E:emptystringerr username in scenery"});
    for (const char* name : {"kuid", "username", "axles", "bright"})
        EXPECT_TRUE(fixture.exported.HasTag(Kiv::PString(name))) << name;
    for (const char* name : {"kind", "weight", "note"})
        EXPECT_FALSE(fixture.exported.HasTag(Kiv::PString(name))) << name;
}

TEST_F(TagExportTest, AMissingKuidIsTheNullKuid) {
    ASSERT_TRUE(fixture.Match("kind \"scenery\"\nusername \"Box\"\n"));
    EXPECT_EQ(fixture.RootTag("kuid")->value.View(), "<NULL>");
}

TEST_F(TagExportTest, MeshTableNamesPassWhenListedOrWhileMeshesAreUnknown) {
    const std::string table = "mesh-table\n{\ndefault\n{\nmesh \"a.im\"\nauto-create 1\n"
                              "att-parent \"%s\"\n}\nshadow\n{\nmesh \"b.im\"\n}\n}\n";
    struct Case {
        const char* extra;
        const char* attParent;
        Strings findings;
    };
    const Case cases[] = {
        {"", "shadow", {}},
        {"", "nothing", {"E:notavalidpossibility2 att-parent=nothing at mesh-table\\default"}},
        {"alias <kuid:414100:78>\n", "nothing", {"W:alias"}},
    };
    for (const Case& c : cases) {
        std::string body = table;
        body.replace(body.find("%s"), 2, c.attParent);
        EXPECT_EQ(MatchAndExport(Head("scenery") + c.extra + body), c.findings) << c.attParent;
    }
}

class FakeMesh : public DAROdi::MeshObject {
  public:
    std::vector<Kiv::PString> GetAttachmentNames() const override {
        return {Kiv::PString("a.door")};
    }
    Kiv::File::Path GetFilePath() const override { return Kiv::File::Path("local/box/body.im"); }
};

TEST_F(TagExportTest, AttachmentNamesComeFromTheMeshOfTheAttachmentParent) {
    struct Case {
        const char* lines;
        Strings findings;
    };
    const Case cases[] = {
        {"att \"a.door\"\natt-parent \"shadow\"\n", {}},
        {"att \"b.door\"\natt-parent \"shadow\"\n",
         {"E:notavalidpossibility b.door in default mesh body.im"}},
        // No mesh is kept for a "roof", which is no entry of the table either.
        {"att \"b.door\"\natt-parent \"roof\"\n",
         {"E:notavalidpossibility2 att-parent=roof at mesh-table\\default"}},
        {"att \"b.door\"\n", {"E:noattparent default"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixture.Match(Head("scenery") + "mesh-table\n{\ndefault\n{\nmesh \"a.im\"\n"
                                                    "auto-create 1\n" +
                                  c.lines + "}\nshadow\n{\nmesh \"body.im\"\n}\n}\n"));
        const DAROdi::Container* body =
            fixture.root->Children()[0]->FindChild(Kiv::PString("shadow"));
        DAROdi::DataManager::Instance().AddContainerMesh(body, std::make_unique<FakeMesh>());
        fixture.Export();
        EXPECT_EQ(fixture.Findings(), c.findings) << c.lines;
    }
}

TEST_F(TagExportTest, AContainerWithExtensionsWritesThemAlone) {
    ASSERT_TRUE(fixture.Match(Head("scenery")));
    ACSChunkRef extensions;
    extensions.SetNamedTagInt(Kiv::PString("speed"), 4);
    fixture.root->SetExtensions(extensions);
    EXPECT_TRUE(fixture.Export());
    EXPECT_EQ(fixture.exported.CountTags(), 1);
    EXPECT_EQ(fixture.exported.GetNamedSoup(Kiv::PString("extensions"))
                  .GetNamedTagAsInt(Kiv::PString("speed"), 0),
              4);
}

TEST(NumberList, PiecesAreCutAtBlanksAndCommas) {
    struct Case {
        const char* text;
        std::vector<float> numbers;
    };
    const Case cases[] = {
        {"1,2,3", {1, 2, 3}}, {"1, 2", {1, 0, 2}}, {"", {0}}, {"-1.5e1 x", {-15, 0}},
        {"1e999", {std::numeric_limits<float>::infinity()}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DAROdi::ParseNumberList(c.text), c.numbers) << c.text;
}

} // namespace
