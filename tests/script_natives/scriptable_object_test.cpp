// Scriptable objects (through library objects): the custom-script template, what setting a
// text does, a custom text that compiles and one that does not, a compile without a
// user-data folder, and an instance of another class at stage 2.
#include <gtest/gtest.h>

#include <filesystem>

#include "library_support.h"
#include "script_natives/custom_script_text.h"
#include "world_list_support.h"

namespace {

using librarytest::LibraryTest;
using librarytest::TestContext;

constexpr const char* kSource = R"(include "library.gs"
class ScriptedLibrary isclass Library {
  int inits;
  public void Init(Asset asset) { inits = inits + 1; }
  public int Inits() { return inits; }
};
class OtherLibrary isclass Library {
};
)";

constexpr const char* kGoodText = R"(include "Kodrin.gs"
include "customlib.gs"
class CustomObject isclass ScriptedLibrary
{
  public void Init(Asset self) { inherited(self); }
};
)";

const KUID kLibraryKUID(414100, 70, 0);

TEST(CustomScriptTextTest, TheTemplateIsThirteenLines) {
    EXPECT_EQ(CustomScriptTemplate("", ""),
              "include \"Kodrin.gs\"\n\ninclude \"gs.gs\"\n\nclass CustomObject isclass GameObject\n{\n"
              "  public void Init(Asset self)\n  {\n    inherited(self);\n    //...\n  }\n};\n\n");
    EXPECT_EQ(CustomScriptTemplate("Vehicle", "scripts/loco.gsl"),
              "include \"Kodrin.gs\"\n\ninclude \"scripts/loco.gs\"\n\nclass CustomObject isclass Vehicle\n{\n"
              "  public void Init(Asset self)\n  {\n    inherited(self);\n    //...\n  }\n};\n\n");
    for (const char* blank : {"", " \t\r\n", "\n\n"}) EXPECT_TRUE(IsBlankScriptText(blank)) << blank;
    for (const char* text : {"x", " \v", "\f"}) EXPECT_FALSE(IsBlankScriptText(text)) << text;
}

class ScriptableObjectTest : public LibraryTest {
  protected:
    void SetUp() override {
        SetUpLibrary("customlib", kSource);
        Spec(kLibraryKUID, "ScriptedLibrary");
        library_ = NewContext().GetScriptLibrary(kLibraryKUID);
        ASSERT_NE(library_, nullptr);
    }
    // The temporary files of the custom compile left in the cache folder.
    static int TemporaryFiles() {
        Kiv::File::Path folder = KAVUserData::GetCacheFolder();
        folder.Normalize();
        const std::filesystem::path cache(folder.c_str());
        EXPECT_TRUE(std::filesystem::is_directory(cache)) << cache;
        return std::filesystem::exists(cache / "temp_object.gs") + std::filesystem::exists(cache / "temp_object.gsl");
    }

    GSOLibrary* library_ = nullptr;
};

TEST_F(ScriptableObjectTest, SettingBlankTextOrTheTemplateKeepsTheAssetsClass) {
    const std::string asTemplate = CustomScriptTemplate("ScriptedLibrary", "customlib.gsl");
    EXPECT_EQ(library_->GetScriptText(), asTemplate);
    library_->SetScriptText(asTemplate);
    EXPECT_EQ(library_->GetCustomText(), "");
    library_->SetScriptText(" \t\r\n");
    EXPECT_EQ(library_->GetCustomText(), "");
    EXPECT_EQ(CallInt(library_, "$int@ScriptedLibrary::Inits()"), 1) << "nothing was recompiled";
    library_->SetScriptText(kGoodText);
    EXPECT_EQ(library_->GetScriptText(), kGoodText);
    library_->SetScriptText("\n \n");
    EXPECT_EQ(library_->GetCustomText(), "") << "blank text clears";
    EXPECT_EQ(library_->GetScriptText(), asTemplate);
}

// A spec that names no script class or file offers the template on GameObject and gs.gs.
TEST_F(ScriptableObjectTest, WithoutAScriptTheTemplateDerivesFromGameObject) {
    ACSChunkRef config;
    config.SetNamedTagString("kind", "library");
    const SpecRef spec = SpecRef::Adopt(
        manager_.CreateSpec(Kiv::PString(), folder_.Path().c_str(), "bare", config, KUID(414100, 71, 0)));
    GSOLibrary* bare = GSOLibrary::Create(static_cast<GSOLibrarySpec&>(*spec.Get()), nullptr);
    EXPECT_EQ(bare->GetScriptText(),
              "include \"Kodrin.gs\"\n\ninclude \"gs.gs\"\n\nclass CustomObject isclass GameObject\n{\n"
              "  public void Init(Asset self)\n  {\n    inherited(self);\n    //...\n  }\n};\n\n");
    delete bare;
}

TEST_F(ScriptableObjectTest, AGoodCustomTextRunsInitOnceAndLeavesNoTemporaryFile) {
    library_->SetScriptText(kGoodText);
    ASSERT_FALSE(library_->HasFailed()) << LogText();
    const GSScriptInstance* instance = GSInstanceOf(library_->GetInstance());
    ASSERT_NE(instance, nullptr);
    EXPECT_STREQ(instance->Class()->Name(), "CustomObject");
    EXPECT_EQ(CallInt(library_, "$int@ScriptedLibrary::Inits()"), 1);
    EXPECT_NE(library_->GetRouter(), nullptr);
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(ScriptableObjectTest, AFailingCustomTextLeavesTheObjectFailedDetachedAndOffTheRouter) {
    library_->SetScriptText("class CustomObject isclass NoSuchClass {};\n");
    EXPECT_TRUE(library_->HasFailed());
    EXPECT_EQ(library_->GetInstance(), nullptr);
    EXPECT_EQ(library_->GetRouter(), nullptr);
    EXPECT_EQ(TemporaryFiles(), 0);
}

// Without a user-data folder nothing is written below the working folder and the compile
// fails cleanly.
TEST_F(ScriptableObjectTest, WithoutAUserDataFolderACustomTextFails) {
    gstest::ScratchFolder working;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(working.Path());
    KAVUserData::Clear();
    library_->SetScriptText(kGoodText);
    EXPECT_TRUE(library_->HasFailed());
    EXPECT_TRUE(std::filesystem::is_empty(working.Path()));
    std::filesystem::current_path(before);
}

// The custom text travels as an int32 length and its bytes; a stream cut short changes
// nothing, where taking its empty text would throw the custom script away.
TEST_F(ScriptableObjectTest, TheCustomTextTravelsAsLengthAndBytesAndACutStreamKeepsIt) {
    library_->SetScriptText(kGoodText);
    worldtest::MemoryStream written;
    library_->WriteScriptText(written.Stream());
    const std::string text(kGoodText);
    EXPECT_EQ(written.Contents(), worldtest::Join({worldtest::Words({static_cast<uint32_t>(text.size())}),
                                                   worldtest::Bytes(text.begin(), text.end())}));

    GSOLibrary* copy = NewContext().GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(copy, nullptr);
    worldtest::MemoryStream read(written.Contents());
    copy->ReadScriptText(read.Stream());
    ASSERT_FALSE(copy->HasFailed()) << LogText();
    EXPECT_STREQ(GSInstanceOf(copy->GetInstance())->Class()->Name(), "CustomObject") << "recompiled";

    worldtest::MemoryStream cut(worldtest::Join({worldtest::Words({100}), {'a', 'b'}}));
    copy->ReadScriptText(cut.Stream());
    EXPECT_EQ(copy->GetCustomText(), text);
    EXPECT_FALSE(copy->HasFailed());
}

TEST_F(ScriptableObjectTest, AnInstanceOfAnotherClassIsDetachedByStage2) {
    GSLibrary* library = GSMachine::Get().GetLibraryByName("customlib.gsl");
    ASSERT_NE(library, nullptr);
    auto& spec = static_cast<GSOLibrarySpec&>(*specs_.front().Get());
    GSOLibrary* other = GSOLibrary::Create(spec, library_->GetScriptContext());
    ASSERT_TRUE(other->Attach(library->FindClass("OtherLibrary"), library_->GetScriptContext()));
    other->EnsureInitialised();
    EXPECT_TRUE(other->HasFailed());
    EXPECT_EQ(other->GetInstance(), nullptr);
    delete other;
}

} // namespace
