// The script system's set-up: which natives it binds to the installed libraries, what it
// does when a library is missing, how bindings are matched, and how natives read their
// arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "native_script_support.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_kuid_list.h"
#include "script_natives/gso_soup.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_native_function.h"

namespace {

using nativetest::CallByHand;
using nativetest::Ref;

// A copy of the installed libraries without the named file.
std::string LibrariesWithout(const gstest::ScratchFolder& folder, const char* missing) {
    const std::filesystem::path copy = std::filesystem::path(folder.Path()) / "libraries";
    std::filesystem::copy(nativetest::InstalledLibraries(), copy);
    std::filesystem::remove(copy / missing);
    return copy.string();
}

using ScriptSystemSetupTest = nativetest::SetupTest;

TEST_F(ScriptSystemSetupTest, EveryBindingMatchesExactlyOneInstalledDeclaration) {
    ASSERT_TRUE(SetUpScripts());
    for (const auto& entry : std::filesystem::directory_iterator(nativetest::InstalledLibraries()))
        EXPECT_NE(machine_.GetLibraryByName(entry.path().filename().c_str()), nullptr) << entry.path();

    std::map<std::pair<std::string, std::string>, std::vector<const GSFunction*>> declarations;
    for (auto* at = machine_.Libraries().Begin(); at != machine_.Libraries().End(); at = at->Next()) {
        const auto* library = static_cast<const GSLibrary*>(at);
        for (size_t c = 0; c < library->ClassCount(); ++c)
            for (const GSFunction& function : library->ClassAt(c)->Functions())
                if (function.flags & GS_FUNCTION_NATIVE)
                    declarations[{library->ClassAt(c)->Name(), function.name}].push_back(&function);
    }
    const std::set<std::string> registered = {"KUID", "Soup", "HTMLBuffer", "HTMLBufferStatic", "KUIDList",
                                              "StringTable", "LinkedList", "SecurityToken", "ConstructorsBase",
                                              "Image", "OnlineAccess", "OnlineGroup", "Asset", "KodrinScriptBase",
                                              "Library"};
    int bindings = 0;
    for (auto* at = machine_.Natives().Begin(); at != machine_.Natives().End(); at = at->Next()) {
        const auto* binding = static_cast<const GSNativeFunction*>(at);
        if (!registered.count(binding->ClassName().c_str())) continue;
        ++bindings;
        const auto& matches = declarations[{binding->ClassName().c_str(), binding->Signature().c_str()}];
        ASSERT_EQ(matches.size(), 1u) << binding->Signature().c_str();
        EXPECT_EQ(matches[0]->native, binding) << binding->Signature().c_str();
    }
    EXPECT_EQ(bindings, 136);

    EXPECT_EQ(LinesWith("Could not resolve native link "), std::vector<std::string>{}) << "every declaration binds";
}

TEST_F(ScriptSystemSetupTest, FindsEveryNativeClassAndKeepsItsSuccess) {
    ASSERT_TRUE(SetUpScripts());
    const ScriptClassSlots& slots = ScriptClasses();
    const std::pair<GSClass*, const char*> found[] = {
        {slots.gameObject, "GameObject"}, {slots.kuid, "KUID"}, {slots.soup, "Soup"},
        {slots.htmlBuffer, "HTMLBuffer"}, {slots.kuidList, "KUIDList"}, {slots.stringTable, "StringTable"},
        {slots.asset, "Asset"}, {slots.onlineAccess, "OnlineAccess"}, {slots.onlineGroup, "OnlineGroup"},
        {slots.image, "Image"}, {slots.library, "Library"}, {slots.securityToken, "SecurityToken"},
        {slots.constructorsBase, "ConstructorsBase"}};
    for (const auto& [gsClass, name] : found) {
        ASSERT_NE(gsClass, nullptr) << name;
        EXPECT_STREQ(gsClass->Name(), name);
    }
    const uint32_t natives = machine_.NativeCount();
    EXPECT_TRUE(SetUpScripts(folder_.Path())) << "a set-up that succeeded answers true at once";
    EXPECT_EQ(machine_.NativeCount(), natives);
}

TEST_F(ScriptSystemSetupTest, WithoutTheBaseLibraryNothingIsRegistered) {
    const uint32_t before = machine_.NativeCount();
    const std::string libraries = LibrariesWithout(folder_, "gs.gsl");
    EXPECT_FALSE(SetUpScripts(libraries));
    EXPECT_EQ(machine_.NativeCount(), before);
    EXPECT_EQ(ScriptClasses().gameObject, nullptr);
}

// A failed set-up is not taken for a success: the next call repeats the class checks
// (and answers false again), without registering the natives a second time.
TEST_F(ScriptSystemSetupTest, AMissingClassLibraryFailsEveryCallAndRegistersOnce) {
    const uint32_t before = machine_.NativeCount();
    const std::string libraries = LibrariesWithout(folder_, "image.gsl");
    EXPECT_FALSE(SetUpScripts(libraries));
    const uint32_t registered = machine_.NativeCount();
    EXPECT_EQ(registered - before, 136u);
    EXPECT_NE(ScriptClasses().stringTable, nullptr) << "the classes found before the failed check stay";
    EXPECT_EQ(ScriptClasses().asset, nullptr) << "asset.gsl needs image.gsl, so its check fails first";
    EXPECT_EQ(ScriptClasses().image, nullptr);
    EXPECT_FALSE(SetUpScripts(libraries));
    EXPECT_EQ(machine_.NativeCount(), registered);
}

// Binding compares the exact signature text: a declaration written with a blank between the
// brackets is another signature, reported by the linker without failing the load.
TEST_F(ScriptSystemSetupTest, BindingNeedsTheExactSignature) {
    const struct {
        const char* registered;
        bool bound;
    } cases[] = {{"$void@Soup::Clear()", true}, {"$void@Soup::Clear( )", false}};
    for (const auto& c : cases) {
        GSMachine machine;
        machine.Init();
        auto* binding = new GSCPPNativeFunction<GSOSoup>(Kiv::PString("Soup"), Kiv::PString(c.registered), &GSOSoup::Clear);
        machine.RegisterNative(binding);
        gstest::LogLines().clear();
        ASSERT_TRUE(machine.AddLibraryFolder(Kiv::PString(nativetest::InstalledLibraries().c_str())));
        GSLibrary* library = machine.GetLibraryByName("soup.gsl");
        ASSERT_NE(library, nullptr) << c.registered;
        const GSClass* soup = library->FindClass("Soup");
        const int index = soup->FindFunctionIndex("$void@Soup::Clear()");
        ASSERT_GE(index, 0);
        EXPECT_EQ(soup->Functions()[static_cast<size_t>(index)].native == binding, c.bound) << c.registered;
        EXPECT_EQ(gstest::Logged("Could not resolve native link $void@Soup::Clear()"), !c.bound) << c.registered;
    }
}

TEST_F(ScriptSystemSetupTest, TheLaterOfTwoEqualRegistrationsIsBound) {
    RegisterSoupNatives(machine_);
    const Kiv::PString signature("$int@Soup::CountTags()");
    GSNativeFunction* first = machine_.FindNative(signature, Kiv::PString("Soup"));
    RegisterSoupNatives(machine_);
    GSNativeFunction* second = machine_.FindNative(signature, Kiv::PString("Soup"));
    EXPECT_NE(first, second);
    ASSERT_TRUE(machine_.AddLibraryFolder(Kiv::PString(nativetest::InstalledLibraries().c_str())));
    const GSClass* soup = machine_.GetLibraryByName("soup.gsl")->FindClass("Soup");
    EXPECT_EQ(soup->Functions()[static_cast<size_t>(soup->FindFunctionIndex("$int@Soup::CountTags()"))].native, second);
}

// The argument fetchers, called by hand on a thread of the test's: a refused argument stops
// the thread, logs its text and pushes nothing; the allowed forms pass.
TEST_F(ScriptSystemSetupTest, ArgumentChecksRefuseOrPassAsTheirFormAllows) {
    ASSERT_TRUE(SetUpScripts());
    GSContext context;
    GSOKUIDList* list = GSOKUIDList::Construct(&context);
    GSOSoup* soup = GSOSoup::Construct(&context);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(soup, nullptr);

    gstest::LogLines().clear();
    auto wrongClass = CallByHand(machine_, "KUIDList", "$bool@KUIDList::HasKUID(KUID)", list, {Ref(soup)});
    EXPECT_TRUE(wrongClass.stopped);
    EXPECT_FALSE(wrongClass.pushed);
    EXPECT_TRUE(gstest::Logged("incorrect parameter type at parameter 1")) << "no script file runs this call";

    gstest::LogLines().clear();
    auto null = CallByHand(machine_, "KUIDList", "$bool@KUIDList::HasKUID(KUID)", list, {GSPointerSlot(nullptr)});
    EXPECT_TRUE(null.stopped);
    EXPECT_FALSE(null.pushed);
    EXPECT_TRUE(gstest::Logged("null object at parameter 1"));

    gstest::LogLines().clear();
    auto* id = new GSString(&context, "id");
    auto* text = new GSString(&context, "text");
    auto nullKuid = CallByHand(machine_, "Soup", "$void@Soup::SetNamedTag(string,KUID)", soup,
                               {GSPointerSlot(id->GetReference()), GSPointerSlot(nullptr)});
    EXPECT_FALSE(nullKuid.stopped) << "the KUID form allows null";
    auto nullText = CallByHand(machine_, "Soup", "$void@Soup::SetNamedTag(string,string)", soup,
                               {GSPointerSlot(text->GetReference()), GSPointerSlot(nullptr)});
    EXPECT_FALSE(nullText.stopped) << "allow-empty takes a null string as the empty one";
    EXPECT_TRUE(gstest::LogLines().empty());
    EXPECT_EQ(soup->Chunk().GetNamedTagAsKUID(Kiv::PString("id"), KUID(1, 2, 3)), KUID::Null());
    EXPECT_TRUE(soup->Chunk().HasTag(Kiv::PString("text")));
    EXPECT_EQ(soup->Chunk().GetNamedTag(Kiv::PString("text")).View(), "");

    for (GSSlot* reference : {id->GetReference(), text->GetReference(), list->GetInstance()})
        GSReleaseReference(reference);
    GSReleaseReference(soup->GetInstance());
}

}  // namespace
