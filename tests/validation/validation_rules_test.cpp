// The template rules: attached by name from definitions and templates (inherited container
// rules merged into the template), run at export, each with its findings; the rules that
// look at the tree or the asset's files are run on small hand-built trees.
#include <gtest/gtest.h>

#include "validation/darodi/keywords.h"
#include "validation/darodi/mesh_object.h"
#include "validation/darodi/rules.h"
#include "matching_test_support.h"

namespace {

using validation_test::Head;
using validation_test::MatchingFixture;
using Strings = std::vector<std::string>;

class ValidationRulesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fixture.Install().Folder().Write("UserData/local/box/wood.texture", "texture");
        fixture.Install().Folder().Write("UserData/local/box/present.gs", "script");
    }
    // Findings of matching and export of a "ruled" asset naming the texture "wood.tga".
    Strings Check(const std::string& lines, const char* texture = "texture \"wood.tga\"\n") {
        EXPECT_TRUE(fixture.Match(Head("ruled") + texture + lines)) << lines;
        Strings findings = fixture.Findings();
        fixture.Export();
        for (const std::string& finding : fixture.Findings())
            findings.push_back(finding);
        return findings;
    }
    MatchingFixture fixture{"matching"};
};

TEST_F(ValidationRulesTest, NumberRulesTestEveryNumberAndReportOnce) {
    struct Case {
        const char* line;
        Strings findings;
    };
    const Case cases[] = {
        {"below-ten \"5\"\n", {}},
        {"below-ten \"-1\"\n", {"E:notwithinrange below-ten 0 10"}},
        {"above-one \"5\"\n", {"E:notwithinrange above-one 1 0"}}, // max is then 0
        {"count \"0\"\n", {}},
        {"count \"3 -1 -2\"\n", {"E:notpositive count"}},
        {"count \"\"\n", {}}, // an empty value fails silently
        {"divisor \"2,0\"\n", {"E:notzero divisor"}},
        {"divisor \"2\"\n", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check(c.line), c.findings) << c.line;
}

TEST_F(ValidationRulesTest, PairedTagsMustBothBePresentUnlessTheCountIsZero) {
    struct Case {
        const char* lines;
        Strings findings;
    };
    const Case cases[] = {
        {"initial-count 2\n", {"E:mustbepaired right left", "E:mustbepaired left right"}},
        {"initial-count 0\n", {}},
        {"initial-count 2\nleft 1\n", {"E:nodefinition left in ruled", "E:mustbepaired left right"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check(c.lines), c.findings) << c.lines;
}

TEST_F(ValidationRulesTest, ScriptAndTextureFilesAreLookedForInTheAssetFolder) {
    struct Case {
        const char* lines;
        const char* texture;
        Strings findings;
    };
    const Case cases[] = {
        {"script \"/x\"\n", "texture \"wood.tga\"\n", {}},
        {"script \"present\"\n", "texture \"wood.tga\"\n", {}},
        {"script \"absent\"\n", "texture \"wood.tga\"\n", {"E:scriptfiledne absent"}},
        {"", "texture \"wood\"\n", {}},
        {"", "texture \"stone.tga\"\n", {"E:texturefiledne stone.tga"}},
        {"", "", {"E:texturefilenotspecified"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check(c.lines, c.texture), c.findings) << c.lines << c.texture;
    fixture.Install().Folder().Write("UserData/local/box/stone.texture.txt", "texture");
    EXPECT_EQ(Check("", "texture \"stone.tga\"\n"), Strings{});
}

TEST_F(ValidationRulesTest, AnInheritedContainerRuleReplacesTheOwnOneInTheTemplate) {
    ASSERT_TRUE(fixture.Match(Head("shed")));
    const ACSChunkRef shed = fixture.root->GetTemplate(Kiv::PString("shed"));
    const ACSChunkRef rules = shed.GetNamedSoup(Kiv::PString("validation"));
    EXPECT_EQ(rules.CountTags(), 1);
    EXPECT_EQ(std::string(rules.GetNamedSoup(Kiv::PString("uniquenames"))
                              .GetNamedTag(Kiv::PString("from"))
                              .View()),
              "base");
    ASSERT_EQ(fixture.root->Rules().size(), 1u);
    EXPECT_TRUE(fixture.root->RuleArguments()[0].IsSameNode(
        rules.GetNamedSoup(Kiv::PString("uniquenames"))));
    ASSERT_TRUE(fixture.Match(Head("shed"))); // the merge is idempotent
    EXPECT_EQ(fixture.root->Rules().size(), 1u);
}

TEST_F(ValidationRulesTest, TheRootMeshTableNeedsAShadowAndAVisibleMesh) {
    struct Case {
        const char* table;
        Strings findings;
    };
    const Case cases[] = {
        {"default\n{\nmesh \"a.im\"\nauto-create 1\n}\nshadow\n{\nmesh \"s.im\"\n}\n", {}},
        {"default\n{\nmesh \"a.im\"\n}\nshadow\n{\nmesh \"s.im\"\n}\n", {"W:no_visible_mesh"}},
        {"default\n{\nmesh \"a.im\"\nauto-create 0\n}\n", {"W:shadow_missing", "W:no_visible_mesh"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixture.Match(Head("scenery") + "mesh-table\n{\n" + c.table + "}\n"));
        fixture.Export();
        EXPECT_EQ(fixture.Findings(), c.findings) << c.table;
    }
}

// Hand-built trees for the rules that look at a tag's neighbours.
class TreeRulesTest : public ::testing::Test {
  protected:
    DAROdi::Container* AddChild(DAROdi::Container& parent, const char* name) {
        auto child = std::make_unique<DAROdi::Container>();
        child->name = Kiv::PString(name);
        child->parent = &parent;
        DAROdi::Container* made = child.get();
        parent.AddChild(std::move(child));
        return made;
    }
    DAROdi::Tag& AddTag(DAROdi::Container& owner, const char* name, const char* value) {
        std::unique_ptr<DAROdi::Tag> tag = owner.CreateTag(0, &owner, Kiv::PString(name));
        tag->value = Kiv::PString(value);
        DAROdi::Tag& made = *tag;
        owner.AddTag(std::move(tag));
        return made;
    }
    Strings Findings() const { return fixture.Findings(); }

    MatchingFixture fixture{"matching"};
    DAROdi::Container root;
};

TEST_F(TreeRulesTest, NeighbourRulesReportWhatIsMissing) {
    DAROdi::Container& track = *AddChild(root, "track");
    DAROdi::Tag& side = AddTag(track, "side", "1");
    EXPECT_FALSE(DAROdi::Rules::IsTracksideType(side, ACSChunkRef()));
    EXPECT_FALSE(DAROdi::Rules::NeedCollateMeshes(side, ACSChunkRef()));
    DAROdi::Tag& type = AddTag(track, "type", "bridge");
    EXPECT_FALSE(DAROdi::Rules::IsTracksideType(side, ACSChunkRef()));
    DAROdi::Tag& named = AddTag(track, "track", "x");
    EXPECT_FALSE(DAROdi::Rules::NotOwnParent(named, ACSChunkRef()));
    EXPECT_TRUE(DAROdi::Rules::NotOwnParent(side, ACSChunkRef()));
    EXPECT_EQ(Findings(), (Strings{"E:notype side type trackside",
                                   "E:nocollatemeshes side collate-meshes",
                                   "E:wrongtype type trackside side", "E:notownparent"}));
    type.value = Kiv::PString("trackside");
    AddTag(track, "collate-meshes", "1");
    EXPECT_TRUE(DAROdi::Rules::IsTracksideType(side, ACSChunkRef()));
    EXPECT_TRUE(DAROdi::Rules::NeedCollateMeshes(side, ACSChunkRef()));
}

TEST_F(TreeRulesTest, LightNumbersMustNameLightsOfTheGrandparent) {
    DAROdi::Container& effects = *AddChild(root, "effects");
    DAROdi::Container& corona = *AddChild(effects, "corona");
    DAROdi::Tag& light = AddTag(corona, "light", "0,1 2");
    EXPECT_FALSE(DAROdi::Rules::MustBeInLightContainer(light, ACSChunkRef()));
    EXPECT_EQ(Findings(), Strings{"E:musthavealightcontainer"});
    DAROdi::Container& lights = *AddChild(root, "lights");
    AddChild(lights, "0");
    AddChild(lights, "2");
    EXPECT_FALSE(DAROdi::Rules::MustBeInLightContainer(light, ACSChunkRef()));
    EXPECT_EQ(Findings(), (Strings{"E:musthavealightcontainer", "E:mustbeinlightcontainer 1"}));
    light.value = Kiv::PString("2, 0");
    EXPECT_TRUE(DAROdi::Rules::MustBeInLightContainer(light, ACSChunkRef()));
}

class DoorMesh : public DAROdi::MeshObject {
  public:
    std::vector<Kiv::PString> GetAttachmentNames() const override {
        return {Kiv::PString("a.door")};
    }
    Kiv::File::Path GetFilePath() const override { return Kiv::File::Path("box/body.im"); }
};

TEST_F(TreeRulesTest, AnOwnParentMustBeAnAttachmentOfTheHoldersMesh) {
    DAROdi::Container& holder = *AddChild(root, "default");
    DAROdi::Container& effect = *AddChild(*AddChild(holder, "effects"), "glow");
    DAROdi::Tag& parent = AddTag(effect, "att", "b.door");
    EXPECT_FALSE(DAROdi::Rules::MustBeOwnParent(parent, ACSChunkRef())); // no mesh: silent
    EXPECT_EQ(Findings(), Strings{});
    DAROdi::DataManager::Instance().AddContainerMesh(&holder, std::make_unique<DoorMesh>());
    EXPECT_FALSE(DAROdi::Rules::MustBeOwnParent(parent, ACSChunkRef()));
    EXPECT_EQ(Findings(), Strings{"E:mustbeownparent b.door body.im"});
    parent.value = Kiv::PString("a.door");
    EXPECT_TRUE(DAROdi::Rules::MustBeOwnParent(parent, ACSChunkRef()));
}

TEST_F(TreeRulesTest, DuplicateNamesAreReportedOnTheLaterOne) {
    DAROdi::Container& first = *AddChild(root, "door");
    DAROdi::Container& second = *AddChild(root, "door");
    AddTag(root, "name", "a");
    DAROdi::Tag& again = AddTag(root, "name", "b");
    root.name = Kiv::PString("shed");
    EXPECT_FALSE(DAROdi::Rules::UniqueNames(root, ACSChunkRef()));
    const auto& entries = DAROdi::ErrorHandler::Instance()->GetEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].container, &second);
    EXPECT_NE(entries[0].container, &first);
    EXPECT_EQ(entries[1].tag, &again);
    EXPECT_EQ(Findings(), (Strings{"E:duplicatecontainername door in shed",
                                   "E:duplicatetagname name in shed"}));
}

} // namespace
