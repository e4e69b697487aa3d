// The machine: registration of library files (one file or a folder), lazy loading of a
// library and its dependencies (itself, mutual), linking against other libraries and
// against registered natives, and the messages and results of every failure, including a
// failed load inside a dependency cycle, which must leave nothing pointing into it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_native_function.h"

namespace {

using gstest::Logged;
using gstest::LogLines;

gsl::Image OneClass(uint32_t id1, uint32_t id2, const std::string& className) {
    gsl::Image image;
    image.id1 = id1;
    image.id2 = id2;
    image.sourceName = className + ".gs";
    gsl::Class c;
    c.name = className;
    image.classes = {c};
    return image;
}

class GSMachineTest : public gstest::MachineTest {
  protected:
    std::string Write(const std::string& name, gsl::Image image) { return folder_.Write(name, image.Build()); }
    bool Add(const std::string& name) {
        return machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), name.c_str());
    }
};

TEST_F(GSMachineTest, RegistrationReadsOnlyTheHeaderAndLoadsOnFirstUse) {
    Write("Base.gsl", OneClass(1, 2, "Base"));
    GSLibraryId id;
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "Base.gsl", &id));
    EXPECT_EQ(id.id1, 1u);
    EXPECT_EQ(id.id2, 2u);
    EXPECT_TRUE(Add("Base.gsl"));
    EXPECT_EQ(machine_.Libraries().Count(), 0u);
    EXPECT_EQ(machine_.NameCount(), 1u);

    GSLibrary* library = machine_.GetLibrary(1, 2);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->GetSourceName(), "Base.gs");
    EXPECT_NE(library->FindClass("Base"), nullptr);
    EXPECT_EQ(machine_.GetLibrary(1, 2), library);
    EXPECT_EQ(machine_.Libraries().Count(), 1u);
    // Names are the joined path, lower-cased on both sides.
    std::string upper = folder_.Path() + "/BASE.GSL";
    EXPECT_EQ(machine_.GetLibraryByName(upper.c_str()), library);
    EXPECT_EQ(machine_.GetLibraryByName("base.gsl"), nullptr);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(GSMachineTest, TheVersionWordIsKeptNotCompared) {
    gsl::Image image = OneClass(1, 2, "Lib");
    image.versionBits = 0xFFFFFFFF;
    Write("lib.gsl", image);
    ASSERT_TRUE(Add("lib.gsl"));
    EXPECT_NE(machine_.GetLibrary(1, 2), nullptr);
}

TEST_F(GSMachineTest, FilesThatAreNoLibrariesAreSkippedSilently) {
    folder_.Write("short.gsl", {1, 2, 3});
    folder_.Write("magic.gsl", std::vector<uint8_t>(20, 0));
    EXPECT_FALSE(Add("missing.gsl"));
    EXPECT_FALSE(Add("short.gsl"));
    EXPECT_FALSE(Add("magic.gsl"));
    EXPECT_TRUE(machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
    EXPECT_FALSE(machine_.AddLibraryFolder(Kiv::PString((folder_.Path() + "/none").c_str())));
    EXPECT_EQ(machine_.NameCount(), 0u);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(GSMachineTest, FolderRegistrationUsesBareNamesAndRefusesKnownPairs) {
    Write("Base.gsl", OneClass(1, 2, "Base"));
    Write("Other.gsl", OneClass(3, 4, "Other"));
    const Kiv::PString folder(folder_.Path().c_str());
    ASSERT_TRUE(machine_.AddLibraryFolder(folder));
    EXPECT_NE(machine_.GetLibraryByName("OTHER.gsl"), nullptr);
    ASSERT_TRUE(machine_.AddLibraryFolder(folder));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Could not add game script library Base.gsl to GSMachine",
                                                    "Could not add game script library Other.gsl to GSMachine"}));
    EXPECT_EQ(machine_.NameCount(), 2u);
}

TEST_F(GSMachineTest, TheFirstRegistrationOfAPairWinsAndLaterPathsBecomeNames) {
    Write("first/Lib.gsl", OneClass(1, 2, "First"));
    Write("second/Lib.gsl", OneClass(1, 2, "Second"));
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), (folder_.Path() + "/first").c_str(), "Lib.gsl"));
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), (folder_.Path() + "/second").c_str(), "Lib.gsl"));
    GSLibrary* library = machine_.GetLibraryByName((folder_.Path() + "/second/Lib.gsl").c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library->FindClass("First"), nullptr);
}

TEST_F(GSMachineTest, NamesTooLongForTheMapAreSkippedWithALine) {
    std::string deep = "d";
    while (deep.size() < 300) deep += "/dddddddddddddddddddddddddddddd";
    Write(deep + "/Lib.gsl", OneClass(1, 2, "Lib"));
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), (folder_.Path() + "/" + deep).c_str(), "Lib.gsl"));
    EXPECT_EQ(machine_.NameCount(), 0u);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].rfind("GSMachine::AddLibrary> name too long for the name map: ", 0), 0u);
    EXPECT_NE(machine_.GetLibrary(1, 2), nullptr);
}

// Two libraries that use each other's classes: A's class derives from B's, B's refers to A's.
void MutualPair(gsl::Image& a, gsl::Image& b) {
    a = OneClass(0xA1, 0xA2, "A");
    a.dependencies = {{0xB1, 0xB2}};
    a.classRefs = {{1, "B"}, {0, "A"}};
    a.functionRefs = {{0, "$void@B::Run()", 2}};
    a.classes[0].ancestors = {{0, 2, 1}};
    a.classes[0].instanceSlots = 2 + 3 + 3;  // its header, B's view with one member, spares
    a.classes[0].triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
    a.classes[0].methods = {{0, 2}};
    b = OneClass(0xB1, 0xB2, "B");
    b.dependencies = {{0xA1, 0xA2}};
    b.classRefs = {{1, "A"}, {0, "B"}};
    b.functionRefs = {{1, "$void@B::Run()", 2}};
    gsl::Function run;
    run.name = "$void@B::Run()";
    run.slot = 2;
    b.classes[0].functions = {run};
    b.classes[0].methods = {{0, 0}};
    b.classes[0].members = {{"a", 5, 0, 0, 2}};
    b.classes[0].objectSlots = {2};
    b.classes[0].instanceSlots = 2 + 1 + 3;
}

TEST_F(GSMachineTest, MutuallyDependentLibrariesLoadAndLink) {
    gsl::Image a, b;
    MutualPair(a, b);
    Write("a.gsl", a);
    Write("b.gsl", b);
    ASSERT_TRUE(machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
    GSLibrary* libraryA = machine_.GetLibraryByName("a.gsl");
    ASSERT_NE(libraryA, nullptr) << ::testing::PrintToString(LogLines());
    GSLibrary* libraryB = machine_.GetLibrary(0xB1, 0xB2);
    ASSERT_NE(libraryB, nullptr);
    EXPECT_EQ(libraryA->Dependencies()[0].library, libraryA);
    EXPECT_EQ(libraryA->Dependencies()[1].library, libraryB);
    EXPECT_EQ(libraryB->Dependencies()[1].library, libraryA);
    EXPECT_EQ(libraryB->ClassRefs()[0].gsClass, libraryA->FindClass("A"));
    GSClass* classA = libraryA->FindClass("A");
    EXPECT_TRUE(classA->IsA("B"));
    EXPECT_EQ(classA->MethodTable()[0].functionRef->function, &libraryB->FindClass("B")->Functions()[0]);
    EXPECT_EQ(machine_.Libraries().Count(), 2u);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(GSMachineTest, ALayoutThatDoesNotHoldItsAncestorsIsALinkError) {
    struct Case {
        const char* what;
        int32_t instanceSlots;
        int32_t ancestorTableStart;
        size_t methods;
    };
    // A holds B's view (two header slots and one member) at slot 2, and B's one-entry part
    // of the method table.
    const Case cases[] = {
        {"sound", 8, 0, 1},
        {"instance too small for B's view", 7, 0, 1},
        {"B's table part past the end", 8, 1, 1},
        {"no room for B's table part", 8, 0, 0},
    };
    for (const Case& c : cases) {
        gsl::Image a, b;
        MutualPair(a, b);
        a.classes[0].instanceSlots = c.instanceSlots;
        a.classes[0].triples[1][2] = c.ancestorTableStart;
        a.classes[0].methods.resize(c.methods);
        Write("a.gsl", a);
        Write("b.gsl", b);
        GSMachine machine;
        machine.Init();
        ASSERT_TRUE(machine.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
        LogLines().clear();
        const bool sound = std::string(c.what) == "sound";
        EXPECT_EQ(machine.GetLibrary(0xA1, 0xA2) != nullptr, sound) << c.what;
        EXPECT_EQ(Logged("GS Link error: Unable to link 'A'"), !sound) << c.what;
    }
}

TEST_F(GSMachineTest, AFailedLoadInACycleUnloadsWhatResolvedIntoIt) {
    gsl::Image a, b;
    MutualPair(a, b);
    a.classRefs.push_back({1, "Missing"});
    Write("a.gsl", a);
    Write("b.gsl", b);
    ASSERT_TRUE(machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
    EXPECT_EQ(machine_.GetLibrary(0xA1, 0xA2), nullptr);
    // B loaded while A was loading and resolved into A; with A gone, B goes too.
    EXPECT_EQ(machine_.Libraries().Count(), 0u);
    EXPECT_EQ(machine_.FindLinkEntry(0xB1, 0xB2)->library, nullptr);
    EXPECT_EQ(machine_.FindLinkEntry(0xA1, 0xA2)->library, nullptr);
    // A retry starts clean and fails the same way.
    LogLines().clear();
    EXPECT_EQ(machine_.GetLibrary(0xB1, 0xB2), nullptr);
    EXPECT_TRUE(Logged("GS Link error: Unable to find class 'Missing'"));
    EXPECT_EQ(machine_.Libraries().Count(), 0u);
}

TEST_F(GSMachineTest, LinkErrorsNameEveryMissingClassThenEveryMissingFunction) {
    gsl::Image image = OneClass(1, 2, "Lib");
    image.classRefs = {{0, "Gone"}, {0, "Lib"}, {0, "AlsoGone"}};
    Write("lib.gsl", image);
    ASSERT_TRUE(Add("lib.gsl"));
    const std::string path = folder_.Path() + "/lib.gsl";
    EXPECT_EQ(machine_.GetLibrary(1, 2), nullptr);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"GS Link error: Unable to find class 'Gone'",
                                                    "GS Link error: Unable to find class 'AlsoGone'",
                                                    "GSMachine: Error -3 loading library " + path + " (Lib.gs)"}));

    image.classRefs = {{0, "Lib"}};
    image.functionRefs = {{0, "$void@Lib::A()", 2}, {0, "$void@Lib::B()", 3}};
    Write("lib.gsl", image);
    LogLines().clear();
    EXPECT_EQ(machine_.GetLibrary(1, 2), nullptr);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"GS Link error: Unable to link function '$void@Lib::A()'",
                                                    "GS Link error: Unable to link function '$void@Lib::B()'",
                                                    "GSMachine: Error -3 loading library " + path + " (Lib.gs)"}));
}

TEST_F(GSMachineTest, RecompilingOnlyTheBaseLibraryGivesTheDependencyChainOfMessages) {
    gsl::Image base = OneClass(0x100, 0x200, "Base");
    gsl::Image derived = OneClass(0x300, 0x400, "Derived");
    derived.dependencies = {{0x100, 0x200}};
    derived.classRefs = {{1, "Base"}};
    Write("derived.gsl", derived);
    base.id1 = 0x101;  // the base's source changed: a new first id, the same file-name id
    Write("base.gsl", base);
    ASSERT_TRUE(machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
    ASSERT_NE(machine_.GetLibraryByName("base.gsl"), nullptr);
    EXPECT_EQ(machine_.GetLibraryByName("derived.gsl"), nullptr);
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{
                  "GSMachine::GetLibrary> library '0x100 0x200' not found in link table",
                  "  Similar library found with matching filename hash but built from different source: Base.gs",
                  "GSMachine: Error -2 loading library derived.gsl (Derived.gs)"}));
}

TEST_F(GSMachineTest, DamagedFilesFailAsFormatErrorsAndTheEntryCanBeRetried) {
    std::vector<uint8_t> bytes = OneClass(1, 2, "Lib").Build();
    bytes.resize(bytes.size() - 4);
    folder_.Write("lib.gsl", bytes);
    ASSERT_TRUE(Add("lib.gsl"));
    EXPECT_EQ(machine_.GetLibrary(1, 2), nullptr);
    EXPECT_TRUE(Logged("GSMachine: Error -1 loading library " + folder_.Path() + "/lib.gsl (Lib.gs)"));
    Write("lib.gsl", OneClass(1, 2, "Lib"));
    EXPECT_NE(machine_.GetLibrary(1, 2), nullptr);
    EXPECT_EQ(machine_.GetLibrary(5, 6), nullptr);
    EXPECT_TRUE(Logged("GSMachine::GetLibrary> library '0x5 0x6' not found in link table"));
}

struct Probe : GSObject {
    void Touch(GSStack*) { ++touched; }
    int touched = 0;
};

void PlainNative(GSContext*, GSStack*) {}

TEST_F(GSMachineTest, NativesBindByExactClassAndSignatureNewestFirst) {
    const Kiv::PString soup("Soup");
    const Kiv::PString clear("$void@Soup::Clear()");
    auto* older = new GSCNativeFunction(soup, clear, PlainNative);
    auto* newer = new GSCPPNativeFunction<Probe>(soup, clear, &Probe::Touch);
    machine_.RegisterNative(older);
    machine_.RegisterNative(new GSCNativeFunction(Kiv::PString("Other"), clear, PlainNative));
    machine_.RegisterNative(new GSCNativeFunction(soup, Kiv::PString("$void@Soup::Clear( )"), PlainNative));
    machine_.RegisterNative(newer);

    gsl::Image image = OneClass(1, 2, "Soup");
    gsl::Function native;
    native.name = "$void@Soup::Clear()";
    native.flags = 0x3;
    native.code.clear();
    gsl::Function unbound = native;
    unbound.name = "$void@Soup::clear()";
    image.classes[0].functions = {native, unbound};
    Write("soup.gsl", image);
    ASSERT_TRUE(Add("soup.gsl"));
    GSLibrary* library = machine_.GetLibrary(1, 2);
    ASSERT_NE(library, nullptr);
    const GSClass* soupClass = library->FindClass("Soup");
    EXPECT_EQ(soupClass->Functions()[0].native, newer);
    EXPECT_EQ(soupClass->Functions()[1].native, nullptr);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"Could not resolve native link $void@Soup::clear()"}));

    Probe probe;
    GSObject plain;
    EXPECT_TRUE(newer->Call(&probe, nullptr));
    EXPECT_EQ(probe.touched, 1);
    EXPECT_FALSE(newer->Call(&plain, nullptr));
    EXPECT_TRUE(older->Call(&plain, nullptr));
    EXPECT_FALSE(older->Call(nullptr, nullptr));
}

TEST_F(GSMachineTest, BuiltinNativesAreRegisteredWithTheirKinds) {
    struct Expected {
        const char* signature;
        const char* className;
        int kind;  // 0 plain, 1 game-object member, 2 context member
    };
    const Expected builtins[] = {
        {"$string@GSObject::GetGSClassName()", "GSObject", 0},
        {"$void@GameObject::SendMessage(GameObject,string,string)", "GameObject", 1},
        {"$void@GameObject::PostMessage(GameObject,string,string,float)", "GameObject", 1},
        {"$void@GameObject::ClearMessages(string,string)", "GameObject", 1},
        {"$void@GameObject::AddHandler(GameObject,string,string,string)", "GameObject", 1},
        {"$void@GameObject::Sniff(GameObject,string,string,bool)", "GameObject", 1},
        {"$void@GameObject::Sleep(float)", "GameObject", 1},
        {"$int@GameObject::GetId()", "GameObject", 1},
        {"$string@GameObject::GetName()", "GameObject", 1},
        {"$void@GameObject::Exception(string)", "GameObject", 1},
        {"$GameObject@Router::GetGameObject(int)", "Router", 2},
        {"$GameObject@Router::GetForeignGameObject(int)", "Router", 2},
        {"$GameObject@Router::GetGameObject(string)", "Router", 2},
        {"$void@Router::Info()", "Router", 2},
        {"$void@Router::PostMessage(int,int,string,string,float)", "Router", 2},
    };
    GSContext context;
    GSObject plain;
    GSGameObject game;
    GSObject inContext;
    inContext.SetScript(nullptr, &context);
    for (const Expected& e : builtins) {
        GSNativeFunction* binding = machine_.FindNative(Kiv::PString(e.signature), Kiv::PString(e.className));
        ASSERT_NE(binding, nullptr) << e.signature;
        EXPECT_EQ(dynamic_cast<GSCNativeFunction*>(binding) != nullptr, e.kind == 0) << e.signature;
        EXPECT_EQ(dynamic_cast<GSCPPNativeFunction<GSGameObject>*>(binding) != nullptr, e.kind == 1) << e.signature;
        EXPECT_EQ(dynamic_cast<GSCPPContextNativeFunction<GSContext>*>(binding) != nullptr, e.kind == 2)
            << e.signature;
        // A member of a native class refuses another class; a context member refuses an object
        // that was never attached in a context.
        EXPECT_EQ(binding->Call(&plain, nullptr), e.kind == 0) << e.signature;
        EXPECT_EQ(binding->Call(&game, nullptr), e.kind != 2) << e.signature;
        EXPECT_EQ(binding->Call(&inContext, nullptr), e.kind != 1) << e.signature;
    }
    EXPECT_EQ(machine_.FindNative(Kiv::PString("$int@GameObject::GetId()"), Kiv::PString("Router")), nullptr);

    // A library that declares built-in natives links without a word (Router::Info printed).
    LogLines().clear();
    gsl::Image image = OneClass(1, 2, "GameObject");
    gsl::Function getId;
    getId.name = "$int@GameObject::GetId()";
    getId.returnType = 2;
    getId.flags = 0x3;
    getId.code.clear();
    // The same natives declared with kinds their signatures contradict (a reference result,
    // a value where the native reads a reference) stay unbound: a call of them fails.
    gsl::Function wrongResult = getId;
    wrongResult.returnType = 5;
    gsl::Function wrongParameter;
    wrongParameter.name = "$void@GameObject::SendMessage(GameObject,string,string)";
    wrongParameter.flags = 0x3;
    wrongParameter.arguments = 4;
    wrongParameter.objectSlots = {1, 3};
    wrongParameter.code.clear();
    image.classes[0].functions = {getId, wrongResult, wrongParameter};
    Write("gs.gsl", image);
    ASSERT_TRUE(Add("gs.gsl"));
    GSLibrary* library = machine_.GetLibrary(1, 2);
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library->FindClass("GameObject")->Functions()[0].native, nullptr);
    EXPECT_EQ(library->FindClass("GameObject")->Functions()[1].native, nullptr);
    EXPECT_EQ(library->FindClass("GameObject")->Functions()[2].native, nullptr);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "Could not resolve native link $int@GameObject::GetId()",
                              "Could not resolve native link $void@GameObject::SendMessage(GameObject,string,string)"}));
}

}  // namespace
