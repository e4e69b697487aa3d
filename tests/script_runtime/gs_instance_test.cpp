// Classes and script instances: the lookups of a loaded class, the layout an instance gets
// from its class's triples (a class with two parents), the order of the member
// initialisers, a failed initialiser, reference counting between native objects and
// instances, static class instances of a context, the cross-context rule of member stores,
// and a cycle of two instances freed by the context's teardown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_initialiser_run.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_string.h"

namespace {

gsl::Function Function(const std::string& name, int32_t slot) {
    gsl::Function f;
    f.name = name;
    f.slot = slot;
    return f;
}

// P1 {int a; F()}, P2 {object b; G()}, C : P1, P2 {object c; H(), F() overridden}, and a
// static class S. Layout as the compiler lays it out: C's header, P1's view at 2 (header and
// a), P2's view at 5 (header and b), C's own member at 8.
gsl::Image Family() {
    gsl::Image image;
    image.id1 = 7;
    image.id2 = 8;
    image.sourceName = "family.gs";
    image.classRefs = {{0, "P1"}, {0, "P2"}, {0, "C"}};
    image.functionRefs = {{0, "$void@P1::F()", 2}, {1, "$void@P2::G()", 2}, {2, "$void@C::H()", 4},
                          {2, "$int@C::F()", 5}};
    gsl::Class p1;
    p1.name = "P1";
    p1.functions = {Function("$void@P1::F()", 2)};
    p1.members = {{"a", 2, -1, 0, 2}};
    p1.methods = {{0, 0}};
    p1.instanceSlots = 6;
    p1.initialiserCode = {109};
    gsl::Class p2 = p1;
    p2.name = "P2";
    p2.functions = {Function("$void@P2::G()", 2)};
    p2.members = {{"b", 5, 2, 0, 2}};
    p2.methods = {{1, 0}};
    p2.objectSlots = {2};
    gsl::Class c;
    c.name = "C";
    c.ancestors = {{0, 2, 1}, {1, 5, 1}};
    c.functions = {Function("$void@C::H()", 4), Function("$int@C::F()", 5)};
    c.members = {{"c", 5, 2, 0, 8}};
    c.methods = {{3, 0}, {1, 5}, {2, 0}, {3, 0}};
    c.instanceSlots = 12;
    c.triples = {{0, 2, -2}, {1, 3, 0}, {0, 5, -5}, {1, 6, 1}, {1, 1, 0}};
    c.objectSlots = {8};
    c.initialiserCode = {109};
    gsl::Class plain;
    plain.name = "Plain";
    gsl::Class s1;
    s1.name = "S1";
    s1.flags = 0x4;
    gsl::Class s2 = s1;
    s2.name = "S2";
    image.classes = {p1, s1, p2, plain, c, s2};
    return image;
}

std::vector<std::string>& InitialiserRuns() {
    static std::vector<std::string> runs;
    return runs;
}

int RecordRun(const GSFunction& initialiser, GSSlot*) {
    InitialiserRuns().push_back(initialiser.name);
    return kGSExecDone;
}

// Stores a new string into member c, hands `me` out, then fails.
GSSlot* g_handedOut = nullptr;
GSString* g_stored = nullptr;
int FailAfterStoring(const GSFunction& initialiser, GSSlot* me) {
    if (std::string(initialiser.name) != "::C()") return kGSExecDone;
    g_stored = new GSString(static_cast<GSContext*>(nullptr), "member");
    GSAddReference(g_stored->GetReference());
    me[8] = GSPointerSlot(g_stored->GetReference());
    g_handedOut = me;
    GSAddReference(me);
    return 1;
}

class GSInstanceTest : public gstest::MachineTest {
  protected:
    GSInstanceTest() {
        folder_.Write("family.gsl", Family().Build());
        EXPECT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "family.gsl"));
        library_ = machine_.GetLibrary(7, 8);
    }
    ~GSInstanceTest() override {
        SetGSInitialiserRunner(nullptr);
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapBefore_);
    }
    GSClass* Class(const char* name) { return library_->FindClass(name); }

    int64_t heapBefore_ = GSContextNamedHeap().BytesInUse();
    GSLibrary* library_ = nullptr;
};

TEST_F(GSInstanceTest, ClassLookups) {
    ASSERT_NE(library_, nullptr);
    GSClass* c = Class("C");
    EXPECT_TRUE(c->IsA("C"));
    EXPECT_TRUE(c->IsA("P2"));
    EXPECT_FALSE(c->IsA("Plain"));
    EXPECT_EQ(c->AncestorIndex(Class("P2")), 1);
    EXPECT_EQ(c->AncestorIndex(Class("Plain")), -1);
    GSClass::FoundFunction found{};
    ASSERT_TRUE(c->FindFunction("$void@P2::G()", found));
    EXPECT_EQ(found.definingClass, Class("P2"));
    EXPECT_EQ(found.ancestorOffset, 5);
    ASSERT_TRUE(c->FindFunction("$void@C::H()", found));
    EXPECT_EQ(found.ancestorOffset, 0);
    EXPECT_EQ(found.slot, 4);
    // C::F returns int, P1::F void: the inherited function is found by name and parameters.
    const GSFunction& override = c->Functions()[1];
    ASSERT_NE(override.inherited, nullptr);
    EXPECT_STREQ(override.inherited->name, "$void@P1::F()");
    EXPECT_EQ(override.inheritedOffset, 2);
    EXPECT_EQ(c->MethodTable()[0].functionRef->function, &override);
    EXPECT_EQ(library_->StaticIndex(Class("S2")), 1);
    EXPECT_EQ(library_->StaticIndex(Class("C")), -1);
}

TEST_F(GSInstanceTest, ATwoParentInstanceGetsItsViewsAndInitialisersMostDistantFirst) {
    SetGSInitialiserRunner(RecordRun);
    InitialiserRuns().clear();
    GSContext context;
    GSClass* c = Class("C");
    auto* object = new GSObject();
    ASSERT_TRUE(object->Attach(c, &context));
    EXPECT_EQ(InitialiserRuns(), (std::vector<std::string>{"::P2()", "::P1()", "::C()"}));

    GSSlot* slots = object->GetInstance();
    GSScriptInstance* instance = GSInstanceOf(slots);
    EXPECT_EQ(instance->ReferenceCount(), 1);
    EXPECT_EQ(instance->NativeObject(), object);
    EXPECT_EQ(instance->GetContext(), &context);
    const GSMethodEntry* table = c->MethodTable().data();
    EXPECT_EQ(slots[0].i, 0);
    EXPECT_EQ(slots[1].p, table);
    EXPECT_EQ(slots[2].i, -2);
    EXPECT_EQ(slots[3].p, table);
    EXPECT_EQ(slots[5].i, -5);
    EXPECT_EQ(slots[6].p, table + 1);
    GSSlot* asP2 = GSScriptInstance::CastTo(Class("P2"), instance);
    EXPECT_EQ(asP2, slots + 5);
    EXPECT_EQ(GSInstanceOf(asP2), instance);
    EXPECT_EQ(GSScriptInstance::CastTo(Class("P1"), instance), slots + 2);
    EXPECT_EQ(GSScriptInstance::CastTo(Class("Plain"), instance), nullptr);

    // A second instance for the same native object is refused and changes nothing.
    EXPECT_FALSE(object->Attach(Class("Plain"), &context));
    EXPECT_EQ(object->GetInstance(), slots);
    delete object;
}

TEST_F(GSInstanceTest, AFailedInitialiserReleasesMembersAndFreesOnlyWithTheLastReference) {
    SetGSInitialiserRunner(FailAfterStoring);
    GSContext context;
    auto* object = new GSObject();
    EXPECT_FALSE(object->Attach(Class("C"), &context));
    EXPECT_EQ(object->GetInstance(), nullptr);
    EXPECT_EQ(object->Context(), nullptr);
    EXPECT_EQ(GSInstanceOf(g_stored->GetReference())->ReferenceCount(), 1);
    GSScriptInstance* handedOut = GSInstanceOf(g_handedOut);
    EXPECT_EQ(handedOut->ReferenceCount(), 1);
    EXPECT_EQ(handedOut->NativeObject(), nullptr);
    EXPECT_EQ(g_handedOut[8].p, nullptr);
    GSReleaseReference(g_handedOut);
    GSReleaseReference(g_stored->GetReference());
    delete object;
}

struct Watched : GSObject {
    explicit Watched(bool& gone) : gone_(gone) {}
    ~Watched() override { gone_ = true; }
    bool& gone_;
};

TEST_F(GSInstanceTest, CountsBetweenNativeObjectsAndInstances) {
    GSContext context;
    bool gone = false;
    auto* object = new Watched(gone);
    ASSERT_TRUE(object->Attach(Class("Plain"), &context));
    GSSlot* reference = object->GetInstance();
    GSAddReference(reference);
    GSReleaseReference(reference);
    EXPECT_FALSE(gone);
    // The last reference of an instance deletes its plain native object.
    GSReleaseReference(reference);
    EXPECT_TRUE(gone);

    // A detached instance lives on its own count.
    auto* detached = new GSObject();
    ASSERT_TRUE(detached->Attach(Class("Plain"), &context));
    GSSlot* kept = detached->GetInstance();
    GSAddReference(kept);
    EXPECT_FALSE(detached->Attach(nullptr, nullptr));
    EXPECT_EQ(detached->GetInstance(), nullptr);
    EXPECT_EQ(GSInstanceOf(kept)->NativeObject(), nullptr);
    delete detached;
    GSReleaseReference(kept);
}

TEST_F(GSInstanceTest, StaticInstancesOnePerContext) {
    GSContext first;
    GSContext second;
    GSObject* s2 = first.GetStaticInstance(Class("S2"));
    ASSERT_NE(s2, nullptr);
    EXPECT_EQ(first.GetStaticInstance(Class("S2")), s2);
    EXPECT_NE(first.GetStaticInstance(Class("S1")), s2);
    EXPECT_NE(second.GetStaticInstance(Class("S2")), s2);
    EXPECT_EQ(first.GetStaticInstance(Class("Plain")), nullptr);
    EXPECT_EQ(first.GetLibraryContext(library_)->slots.size(), 2u);
}

TEST_F(GSInstanceTest, MemberStoresFollowTheOtherContextsFlag) {
    GSContext owner;
    GSContext closed(false);
    GSContext open(true);
    auto* holder = new GSObject();
    ASSERT_TRUE(holder->Attach(Class("C"), &owner));
    GSScriptInstance* instance = GSInstanceOf(holder->GetInstance());
    auto* fromClosed = new GSString(&closed, "closed");
    owner.StoreReference(fromClosed->GetReference(), 8, instance);
    EXPECT_EQ(instance->Slots()[8].p, nullptr);
    auto* fromOpen = new GSString(&open, "open");
    owner.StoreReference(fromOpen->GetReference(), 8, instance);
    EXPECT_EQ(instance->Slots()[8].p, fromOpen->GetReference());
    delete holder;
}

TEST_F(GSInstanceTest, ATwoInstanceCycleIsFreedByTheContextsTeardown) {
    {
        GSContext context;
        auto* first = new GSObject();
        auto* second = new GSObject();
        ASSERT_TRUE(first->Attach(Class("C"), &context));
        ASSERT_TRUE(second->Attach(Class("C"), &context));
        GSScriptInstance* a = GSInstanceOf(first->GetInstance());
        GSScriptInstance* b = GSInstanceOf(second->GetInstance());
        GSAddReference(second->GetInstance());
        context.StoreReference(second->GetInstance(), 8, a);
        GSAddReference(first->GetInstance());
        context.StoreReference(first->GetInstance(), 8, b);
        // The native objects go; each instance is held only by the other.
        delete first;
        delete second;
        EXPECT_EQ(a->ReferenceCount(), 1);
        EXPECT_EQ(b->ReferenceCount(), 1);
    }
}

TEST_F(GSInstanceTest, GameObjectViewsNeedANativeObject) {
    gsl::Image image;
    image.id1 = 9;
    image.id2 = 10;
    image.classRefs = {{0, "GameObject"}};
    gsl::Class game;
    game.name = "GameObject";
    gsl::Class train;
    train.name = "Train";
    train.ancestors = {{0, 2, 1}};
    train.instanceSlots = 2 + 2 + 3;
    train.triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
    image.classes = {game, train};
    folder_.Write("game.gsl", image.Build());
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "game.gsl"));
    GSLibrary* library = machine_.GetLibrary(9, 10);
    ASSERT_NE(library, nullptr);
    GSContext context;
    auto* object = new GSObject();
    ASSERT_TRUE(object->Attach(library->FindClass("Train"), &context));
    GSSlot* reference = object->GetInstance();
    GSScriptInstance* instance = GSInstanceOf(reference);
    EXPECT_NE(GSScriptInstance::CastTo(library->FindClass("Train"), instance), nullptr);
    GSAddReference(reference);
    object->Detach();
    EXPECT_EQ(GSScriptInstance::CastTo(library->FindClass("Train"), instance), nullptr);
    GSReleaseReference(reference);
    delete object;
}

TEST_F(GSInstanceTest, SourceLinesOfCodeOffsets) {
    gsl::Function f = Function("$void@L::F()", 2);
    f.lines = {{0, 10}, {4, 12}, {9, 15}};
    gsl::Image image;
    image.id1 = 11;
    image.id2 = 12;
    gsl::Class lines;
    lines.name = "L";
    gsl::Function none = Function("$void@L::G()", 3);
    none.lines.clear();
    lines.functions = {f, none};
    image.classes = {lines};
    folder_.Write("lines.gsl", image.Build());
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "lines.gsl"));
    GSLibrary* library = machine_.GetLibrary(11, 12);
    ASSERT_NE(library, nullptr);
    const GSFunction& withLines = library->FindClass("L")->Functions()[0];
    EXPECT_EQ(withLines.LineOf(-3), 10);
    EXPECT_EQ(withLines.LineOf(3), 10);
    EXPECT_EQ(withLines.LineOf(4), 12);
    EXPECT_EQ(withLines.LineOf(100), 15);
    EXPECT_EQ(library->FindClass("L")->Functions()[1].LineOf(0), -1);
}

}  // namespace
