// Libraries made by the script compiler, loaded by the machine: sources written here are
// compiled into a scratch folder, registered, and loaded on first use with their
// dependencies (a library's own classes, an include, two sources that include each other);
// links against registered natives; the messages of a stale dependency after only the base
// was recompiled, of classes and functions missing from a dependency, and of a native
// without a binding; and the instance layout of a class with two parents.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "gs_runtime_test_support.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_string.h"

namespace {

using gstest::Logged;
using gstest::LogLines;

class GSCompiledLibraryTest : public gstest::MachineTest {
  protected:
    ~GSCompiledLibraryTest() override { GSIncludeList::Clear(); }

    std::string Write(const std::string& name, const std::string& text) {
        return folder_.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    // Writes the source into the scratch folder and compiles it beside itself.
    void Compile(const std::string& name, const std::string& text) {
        CompileWritten(Write(name, text));
    }
    void CompileWritten(const std::string& path) {
        const std::string name = path;
        GSCompileLog log;
        const int errors = GSCompiler::CompileToFolder(path.c_str(), nullptr, {}, &log);
        std::string messages, message;
        while (log.Take(message))
            messages += message + "\n";
        ASSERT_EQ(errors, 0) << name << ":\n" << messages;
    }
    bool RegisterFolder() {
        return machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str()));
    }
    // The id pair from a library file's header (words 3 and 4).
    std::pair<uint32_t, uint32_t> IdsOf(const std::string& name) const {
        std::ifstream file(folder_.Path() + "/" + name, std::ios::binary);
        uint32_t words[5] = {};
        file.read(reinterpret_cast<char*>(words), sizeof words);
        return {words[3], words[4]};
    }
    // Gives a library file another id pair wherever it carries its own (the header and its
    // dependency 0), as if it had been built from the source its dependents were built with.
    void StampIds(const std::string& name, std::pair<uint32_t, uint32_t> ids) const {
        const std::pair<uint32_t, uint32_t> own = IdsOf(name);
        std::ifstream in(folder_.Path() + "/" + name, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        const uint32_t from[2] = {own.first, own.second};
        const uint32_t to[2] = {ids.first, ids.second};
        int stamped = 0;
        for (size_t at = 0; at + sizeof from <= bytes.size(); at += 4) {
            if (std::memcmp(bytes.data() + at, from, sizeof from) != 0) continue;
            std::memcpy(bytes.data() + at, to, sizeof to);
            ++stamped;
        }
        ASSERT_EQ(stamped, 2);
        folder_.Write(name, bytes);
    }
    static const GSFunction* Function(const GSClass* gsClass, const char* name) {
        const int index = gsClass ? gsClass->FindFunctionIndex(name) : -1;
        return index < 0 ? nullptr : &gsClass->Functions()[static_cast<size_t>(index)];
    }
};

const char kBase[] = "class Base {\n"
                     "  public int Value() { return 1; }\n"
                     "  public int Twice(int x) { return x * 2; }\n"
                     "};\n";
const char kDerived[] = "include \"base.gs\"\n"
                        "class Derived isclass Base {\n"
                        "  public int Value() { return Twice(3); }\n"
                        "};\n";

// Registration loads nothing; the first request loads the library and, through its
// dependency, the included one, whose class and functions it links against.
TEST_F(GSCompiledLibraryTest, AnIncludedLibraryLoadsWithItsDependentAndLinks) {
    Compile("base.gs", kBase);
    Compile("derived.gs", kDerived);
    ASSERT_TRUE(RegisterFolder());
    EXPECT_EQ(machine_.Libraries().Count(), 0u);

    GSLibrary* derived = machine_.GetLibraryByName("Derived.GSL");
    ASSERT_NE(derived, nullptr) << ::testing::PrintToString(LogLines());
    GSLibrary* base = machine_.GetLibraryByName("base.gsl");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(machine_.Libraries().Count(), 2u);
    // The compiler names the library after the source path it was given.
    EXPECT_EQ(derived->GetSourceName(), folder_.Path() + "/derived.gs");
    ASSERT_EQ(derived->Dependencies().size(), 2u);
    EXPECT_EQ(derived->Dependencies()[0].library, derived);
    EXPECT_EQ(derived->Dependencies()[1].library, base);
    EXPECT_EQ(base->Dependencies()[0].library, base);

    const GSClass* baseClass = base->FindClass("Base");
    const GSClass* derivedClass = derived->FindClass("Derived");
    ASSERT_NE(derivedClass, nullptr);
    EXPECT_TRUE(derivedClass->IsA("Base"));
    EXPECT_EQ(derivedClass->AncestorClass(0), baseClass);
    // The override knows the function it overrides; the call of Twice links into the base.
    const GSFunction* value = Function(derivedClass, "$int@Derived::Value()");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->inherited, Function(baseClass, "$int@Base::Value()"));
    bool twiceLinked = false;
    for (const GSFunctionRef& ref : derived->FunctionRefs())
        if (std::string(ref.name) == "$int@Base::Twice(int)")
            twiceLinked = ref.function == Function(baseClass, ref.name);
    EXPECT_TRUE(twiceLinked);
    EXPECT_TRUE(LogLines().empty()) << ::testing::PrintToString(LogLines());
}

// A class deriving from another class of the same source resolves through dependency 0,
// the library itself, while that library is still loading.
TEST_F(GSCompiledLibraryTest, ClassesOfOneSourceResolveIntoTheirOwnLibrary) {
    Compile("family.gs", "class Parent { public int Age() { return 40; } };\n"
                         "class Child isclass Parent { int Older() { return Age() + 1; } };\n");
    GSLibraryId id;
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "family.gsl", &id));
    GSLibrary* library = machine_.GetLibrary(id.id1, id.id2);
    ASSERT_NE(library, nullptr) << ::testing::PrintToString(LogLines());
    ASSERT_EQ(library->Dependencies().size(), 1u);
    EXPECT_EQ(library->Dependencies()[0].library, library);
    for (const GSClassRef& ref : library->ClassRefs()) {
        EXPECT_EQ(ref.library, library);
        EXPECT_EQ(ref.gsClass, library->FindClass(ref.name));
    }
    EXPECT_EQ(library->FindClass("Child")->AncestorClass(0), library->FindClass("Parent"));
    EXPECT_EQ(machine_.Libraries().Count(), 1u);
}

// Two sources that include each other: the second library finds the first still loading
// and resolves its classes, and the functions its class inherits, into it.
TEST_F(GSCompiledLibraryTest, LibrariesThatIncludeEachOtherBothLoad) {
    const char ping[] =
        "include \"pong.gs\"\nclass Ping { Pong partner; public int Id() { return 1; } };\n";
    const char pong[] = "include \"ping.gs\"\n"
                        "class Pong { Ping partner; int Ask() { return partner.Id(); } };\n"
                        "class Echo isclass Ping { };\n";
    const std::string pingPath = Write("ping.gs", ping);
    const std::string pongPath = Write("pong.gs", pong);
    CompileWritten(pingPath);
    CompileWritten(pongPath);
    ASSERT_TRUE(RegisterFolder());
    GSLibrary* libraryPing = machine_.GetLibraryByName("ping.gsl");
    ASSERT_NE(libraryPing, nullptr) << ::testing::PrintToString(LogLines());
    GSLibrary* libraryPong = machine_.GetLibraryByName("pong.gsl");
    ASSERT_NE(libraryPong, nullptr);
    EXPECT_EQ(machine_.Libraries().Count(), 2u);
    EXPECT_TRUE(libraryPing->DependsOn(libraryPong));
    EXPECT_TRUE(libraryPong->DependsOn(libraryPing));
    const GSClass* pingClass = libraryPing->FindClass("Ping");
    bool idLinked = false;
    for (const GSFunctionRef& ref : libraryPong->FunctionRefs())
        if (std::string(ref.name) == "$int@Ping::Id()")
            idLinked = ref.function == Function(pingClass, ref.name);
    EXPECT_TRUE(idLinked);
    EXPECT_TRUE(LogLines().empty()) << ::testing::PrintToString(LogLines());
}

// Only the base was recompiled: its pair changed, so the dependent's recorded pair is not
// registered. The messages name the pair, the loaded library with the same file-name id,
// and the dependent's failed load.
TEST_F(GSCompiledLibraryTest, RecompilingOnlyTheBaseBreaksTheDependentWithTheChainOfMessages) {
    Compile("base.gs", kBase);
    Compile("derived.gs", kDerived);
    const auto [oldId1, oldId2] = IdsOf("base.gsl");
    Compile("base.gs", std::string(kBase) + "class Extra { };\n");
    ASSERT_NE(IdsOf("base.gsl").first, oldId1);
    ASSERT_EQ(IdsOf("base.gsl").second, oldId2);
    ASSERT_TRUE(RegisterFolder());
    ASSERT_NE(machine_.GetLibraryByName("base.gsl"), nullptr);
    LogLines().clear();
    EXPECT_EQ(machine_.GetLibraryByName("derived.gsl"), nullptr);
    char notFound[128];
    std::snprintf(notFound, sizeof notFound,
                  "GSMachine::GetLibrary> library '0x%X 0x%X' not found in link table", oldId1,
                  oldId2);
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{notFound,
                                        "  Similar library found with matching filename hash but "
                                        "built from different source: " +
                                            folder_.Path() + "/base.gs",
                                        "GSMachine: Error -2 loading library derived.gsl (" +
                                            folder_.Path() + "/derived.gs)"}));
    EXPECT_EQ(machine_.Libraries().Count(), 1u);
}

// A dependency that lacks classes the dependent uses: every missing class is named, then the
// load fails with -3. One that has the classes but lacks functions: every missing function.
TEST_F(GSCompiledLibraryTest, EveryMissingClassOrFunctionIsNamedBeforeTheLinkFails) {
    Compile("tools.gs", "class Saw { public void Cut() { } public int Teeth() { return 9; } };\n"
                        "class Drill { public void Bore() { } };\n"
                        "class Level { };\n");
    // The derived classes' method tables hold the functions they inherit.
    Compile("shed.gs", "include \"tools.gs\"\n"
                       "class Shed { Saw saw; Drill drill; Level level; };\n"
                       "class Bench isclass Saw { };\n"
                       "class Press isclass Drill { };\n");
    const auto ids = IdsOf("tools.gsl");
    struct Case {
        const char* tools; // what the dependency holds instead
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"class Level { };\n",
         {"GS Link error: Unable to find class 'Saw'",
          "GS Link error: Unable to find class 'Drill'"}},
        {"class Saw { public void Sharpen() { } };\nclass Drill { };\nclass Level { };\n",
         {"GS Link error: Unable to link function '$void@Saw::Cut()'",
          "GS Link error: Unable to link function '$void@Drill::Bore()'",
          "GS Link error: Unable to link function '$int@Saw::Teeth()'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tools);
        Compile("tools.gs", c.tools);
        StampIds("tools.gsl", ids);
        GSMachine machine;
        machine.Init();
        ASSERT_TRUE(machine.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
        LogLines().clear();
        EXPECT_EQ(machine.GetLibraryByName("shed.gsl"), nullptr);
        // The references are named in the order the library lists them; the failed load last.
        ASSERT_EQ(LogLines().size(), c.lines.size() + 1);
        EXPECT_EQ(LogLines().back(),
                  "GSMachine: Error -3 loading library shed.gsl (" + folder_.Path() + "/shed.gs)");
        std::vector<std::string> named(LogLines().begin(), LogLines().end() - 1);
        EXPECT_THAT(named, ::testing::UnorderedElementsAreArray(c.lines));
        EXPECT_EQ(machine.FindLinkEntry(IdsOf("shed.gsl").first, IdsOf("shed.gsl").second)->library,
                  nullptr);
    }
}

void Brake(GSContext*, GSStack*) {}

// A native binds to the registration with its class name and exact signature; one without a
// registration is named and stays unbound, and the library still loads.
TEST_F(GSCompiledLibraryTest, NativesLinkToRegisteredBindingsOrAreNamed) {
    Compile("loco.gs", "class Loco {\n"
                       "  native void Brake(float force);\n"
                       "  native int Horn(string tune, int times);\n"
                       "  void Stop() { Brake(1.0); }\n"
                       "};\n");
    auto* brake = new GSCNativeFunction(Kiv::PString("Loco"),
                                        Kiv::PString("$void@Loco::Brake(float)"), Brake);
    machine_.RegisterNative(brake);
    GSLibraryId id;
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "loco.gsl", &id));
    GSLibrary* library = machine_.GetLibrary(id.id1, id.id2);
    ASSERT_NE(library, nullptr) << ::testing::PrintToString(LogLines());
    const GSClass* loco = library->FindClass("Loco");
    EXPECT_EQ(Function(loco, "$void@Loco::Brake(float)")->native, brake);
    EXPECT_EQ(Function(loco, "$int@Loco::Horn(string,int)")->native, nullptr);
    EXPECT_EQ(LogLines(), std::vector<std::string>{
                              "Could not resolve native link $int@Loco::Horn(string,int)"});
}

// P1 {int a}, P2 {object b}, C : P1, P2 {object c}: P1's subobject at 2 (header and a), P2's
// at 5 (header and b), C's own member at 8, three spare slots: 12. Each subobject's header
// holds minus its offset and the start of its part of C's method table (F, then G, then H).
TEST_F(GSCompiledLibraryTest, AClassWithTwoParentsLaysOutBothSubobjects) {
    Compile("shapes.gs", "class P1 { int a; public void F() { } };\n"
                         "class P2 { object b; public void G() { } };\n"
                         "class C isclass P1, P2 { object c; public void H() { } };\n");
    GSLibraryId id;
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "shapes.gsl", &id));
    GSLibrary* library = machine_.GetLibrary(id.id1, id.id2);
    ASSERT_NE(library, nullptr) << ::testing::PrintToString(LogLines());
    GSClass* c = library->FindClass("C");
    ASSERT_EQ(c->InstanceSlotCount(), 12);
    ASSERT_EQ(c->MethodTable().size(), 3u);

    GSContext context;
    auto* object = new GSObject();
    ASSERT_TRUE(object->Attach(c, &context));
    GSSlot* slots = object->GetInstance();
    const GSMethodEntry* table = c->MethodTable().data();
    EXPECT_EQ(slots[0].i, 0);
    EXPECT_EQ(slots[1].p, table);
    EXPECT_EQ(slots[2].i, -2);
    EXPECT_EQ(slots[3].p, table);
    EXPECT_EQ(slots[4].i, 0);
    EXPECT_EQ(slots[5].i, -5);
    EXPECT_EQ(slots[6].p, table + 1);
    EXPECT_EQ(slots[7].p, nullptr);
    EXPECT_EQ(slots[8].p, nullptr);
    GSScriptInstance* instance = GSInstanceOf(slots);
    EXPECT_EQ(GSScriptInstance::CastTo(library->FindClass("P1"), instance), slots + 2);
    EXPECT_EQ(GSScriptInstance::CastTo(library->FindClass("P2"), instance), slots + 5);
    EXPECT_EQ(GSInstanceOf(slots + 5), instance);
    EXPECT_EQ(table[0].functionRef->function, Function(library->FindClass("P1"), "$void@P1::F()"));
    EXPECT_EQ(table[1].functionRef->function, Function(library->FindClass("P2"), "$void@P2::G()"));
    EXPECT_EQ(table[1].offset, 5);
    EXPECT_EQ(table[2].functionRef->function, Function(c, "$void@C::H()"));

    // The object members of both the parent's subobject and the class are released with it.
    auto* b = new GSString(&context, "b");
    auto* member = new GSString(&context, "c");
    slots[7] = GSPointerSlot(GSAddReference(b->GetReference()) ? b->GetReference() : nullptr);
    slots[8] =
        GSPointerSlot(GSAddReference(member->GetReference()) ? member->GetReference() : nullptr);
    delete object;
    EXPECT_EQ(GSInstanceOf(b->GetReference())->ReferenceCount(), 1);
    EXPECT_EQ(GSInstanceOf(member->GetReference())->ReferenceCount(), 1);
    GSReleaseReference(b->GetReference());
    GSReleaseReference(member->GetReference());
}

} // namespace
