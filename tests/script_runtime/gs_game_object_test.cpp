// Game objects natively: threads, messages of kind 3, handlers and sniffing (the handler
// records, what a message finds, forwarding once), the GameObject natives called on a frame
// built by hand, the Router natives, the end of a game object whose last reference went, and
// the context's Message objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gs_router_test_support.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_thread.h"

namespace {

using gstest::LogLines;
using gstest::NativeCall;
using gstest::StringOf;

const char* const kWorld =
    "include \"gs.gs\"\n"
    "class Thing isclass GameObject {\n"
    "  void OnTick(Message m) { }\n"
    "  void OnAny(Message m) { }\n"
    "};\n"
    "class Base isclass GameObject { void Inherited(Message m) { } };\n"
    "class Derived isclass Base { };\n"
    "secured class Hidden isclass GameObject { };\n"
    "class Plain { };\n";

// A game object that notes the messages it receives (with their time words as they arrive)
// and when it goes, and that may carry a name.
class NotedGameObject : public GSGameObject {
  public:
    NotedGameObject(std::vector<std::string>* gone = nullptr, const char* name = nullptr) : gone_(gone), name_(name) {}
    ~NotedGameObject() override {
        if (gone_) gone_->push_back(name_ ? name_ : "?");
    }
    Kiv::PString GetName() const override { return Kiv::PString(name_); }
    bool ReceiveMessage(GSMessage* message) override {
        received.push_back(*message);
        return GSGameObject::ReceiveMessage(message);
    }
    std::vector<GSMessage> received;

  private:
    std::vector<std::string>* gone_;
    const char* name_;
};

class GSGameObjectTest : public gstest::RouterWorld {
  protected:
    GSGameObjectTest() : RouterWorld(kWorld) {}
    ~GSGameObjectTest() override {
        g_gsCurrentThread = nullptr;
        context_.reset();
    }

    NotedGameObject* Noted(const char* className = "Thing", const char* name = nullptr, GSContext* context = nullptr) {
        context = context ? context : context_.get();
        auto* object = new NotedGameObject(&gone_, name);
        EXPECT_TRUE(object->Attach(WorldClass(className), context));
        EXPECT_TRUE(context->GetRouter()->AddNode(object));
        return object;
    }

    // Calls a GameObject native with me and the arguments (strings made by Text()).
    GSSlot CallGameObject(const char* signature, GSObject* me, std::vector<GSSlot> arguments,
                          std::vector<uint32_t> objectSlots = {}) {
        NativeCall call(machine_, "GameObject", signature);
        EXPECT_NE(call.Binding(), nullptr) << signature;
        EXPECT_TRUE(call.Call(stack_.Stack(), me, std::move(arguments), std::move(objectSlots))) << signature;
        return call.Result();
    }

    GSSlot CallRouter(const char* signature, std::vector<GSSlot> arguments, std::vector<uint32_t> objectSlots = {},
                      GSContext* context = nullptr) {
        context = context ? context : context_.get();
        GSLibrary* gs = machine_.GetLibraryByName("gs.gsl");
        GSObject* router = context->GetStaticInstance(gs ? gs->FindClass("Router") : nullptr);
        NativeCall call(machine_, "Router", signature);
        EXPECT_NE(router, nullptr);
        EXPECT_TRUE(call.Call(stack_.Stack(), router, std::move(arguments), std::move(objectSlots))) << signature;
        return call.Result();
    }

    GSSlot Ref(GSObject* object) { return GSPointerSlot(object ? object->GetInstance() : nullptr); }
    GSSlot Str(const char* text) { return GSPointerSlot(Text(text)); }
    static GSSlot Float(float value) {
        GSSlot slot{};
        slot.f = value;
        return slot;
    }

    std::vector<std::string> gone_;
    GSThread stack_{nullptr, 0};  // the calling thread's stack for native calls
};

TEST_F(GSGameObjectTest, AGameObjectOwnsAtMost64Threads) {
    GSGameObject* object = NewGameObject();
    for (uint32_t i = 0; i < GSGameObject::kMaxThreads; ++i) ASSERT_NE(object->NewThread(), nullptr) << i;
    EXPECT_EQ(object->NewThread(), nullptr);
    EXPECT_EQ(object->Threads().Count(), 64u);
    GSThread* first = static_cast<GSThread*>(object->Threads().Begin());
    EXPECT_EQ(first->Owner(), object);
    // No script instance: no thread. Detaching drops the threads.
    auto* bare = new GSGameObject();
    EXPECT_EQ(bare->NewThread(), nullptr);
    delete bare;
    EXPECT_FALSE(object->Attach(nullptr, nullptr));
    EXPECT_EQ(object->Threads().Count(), 0u);
    EXPECT_EQ(object->GetInstance(), nullptr);
    delete object;
    // A detached object on its way out gets none either.
    GSGameObject* leaving = NewGameObject("Thing", nullptr, false);
    leaving->SetDestroyRequested();
    EXPECT_EQ(leaving->NewThread(), nullptr);
    leaving->SetFlags(leaving->GetFlags() & ~GSNode::kDestroyRequested);
}

TEST_F(GSGameObjectTest, OnlyGameObjectClassesAttach) {
    auto* object = new GSGameObject();
    EXPECT_FALSE(object->Attach(WorldClass("Plain"), context_.get()));
    EXPECT_EQ(object->GetInstance(), nullptr);
    EXPECT_TRUE(object->Attach(WorldClass("Derived"), context_.get()));
    EXPECT_TRUE(object->IsGameObject());
    EXPECT_TRUE(object->IsScheduled()) << "a new game object waits for its first update";
    delete object;
}

TEST_F(GSGameObjectTest, AMessageOfKind3ThatNothingTakesAsksTheObjectToGo) {
    NotedGameObject* object = Noted("Thing", "kind3");
    GSMessage destroy{kGSTypeDestroy, kGSTypeAny, 0, object->GetId(), kGSMessageBuilt};
    GSMessage other{40, kGSTypeAny, 0, object->GetId(), kGSMessageBuilt};
    EXPECT_FALSE(object->ReceiveMessage(&other));
    EXPECT_FALSE(object->DestroyRequested());
    EXPECT_TRUE(object->ReceiveMessage(&destroy));
    EXPECT_TRUE(object->DestroyRequested());
    // Without a router nothing is received at all.
    auto* detached = new GSGameObject();
    EXPECT_FALSE(detached->ReceiveMessage(&destroy));
    EXPECT_FALSE(detached->DestroyRequested());
    delete detached;
    // The router deletes it at its shut-down.
    context_.reset();
    EXPECT_EQ(gone_, std::vector<std::string>{"kind3"});
}

TEST_F(GSGameObjectTest, AddHandlerKeepsOneRecordPerKindAndRemovesByKind) {
    GSGameObject* me = NewGameObject();
    GSGameObject* target = NewGameObject();
    const char* add = "$void@GameObject::AddHandler(GameObject,string,string,string)";
    const std::vector<uint32_t> refs = {2, 3, 4};
    auto addHandler = [&](const char* major, const char* minor, const char* name) {
        CallGameObject(add, me, {Ref(target), Str(major), Str(minor), Str(name)}, refs);
    };
    addHandler("Train", "", "OnAny");
    addHandler("Train", "", "OnAny");
    addHandler("Train", "Tick", "OnTick");
    addHandler("Train", "Tick", "OnAny");
    ASSERT_EQ(target->Handlers().Count(), 3u);
    const uint16_t train = Router().GetMajorTypeId("Train"), tick = Router().GetMajorTypeId("Tick");
    EXPECT_EQ(Router().SubscriptionCount(target, train), 3) << "the target subscribes once per record";
    const auto* newest = static_cast<const GSHandler*>(target->Handlers().Begin());
    EXPECT_EQ(newest->nodeId, me->GetId());
    EXPECT_EQ(newest->minor, tick);
    EXPECT_FALSE(newest->sniff);
    const auto* oldest = static_cast<const GSHandler*>(target->Handlers().Begin()->Next()->Next());
    EXPECT_EQ(oldest->minor, kGSTypeAny) << "an empty minor matches every minor";

    // An empty name removes every method handler of me for that major and minor.
    addHandler("Train", "Tick", "");
    ASSERT_EQ(target->Handlers().Count(), 1u);
    EXPECT_EQ(static_cast<const GSHandler*>(target->Handlers().Begin())->minor, kGSTypeAny);
    EXPECT_EQ(Router().SubscriptionCount(target, train), 1);
    addHandler("Train", nullptr, nullptr);
    EXPECT_EQ(target->Handlers().Count(), 0u);
    EXPECT_EQ(Router().SubscriptionCount(target, train), 0);
}

TEST_F(GSGameObjectTest, AddHandlerFindsInheritedMethodsAndReportsMisuse) {
    GSGameObject* me = NewGameObject("Derived");
    GSGameObject* target = NewGameObject();
    GSObject plain;
    ASSERT_TRUE(plain.Attach(WorldClass("Plain"), context_.get()));
    const char* add = "$void@GameObject::AddHandler(GameObject,string,string,string)";
    const std::vector<uint32_t> refs = {2, 3, 4};
    CallGameObject(add, me, {Ref(target), Str("A"), Str(""), Str("Inherited")}, refs);
    ASSERT_EQ(target->Handlers().Count(), 1u);
    EXPECT_GT(static_cast<const GSHandler*>(target->Handlers().Begin())->ancestorOffset, 0);

    struct Case {
        GSObject* target;
        const char* major;
        const char* name;
        const char* line;
    };
    GSAddReference(plain.GetInstance());
    const Case cases[] = {
        {nullptr, "A", "Inherited", "target object is null for GameObject::AddHandler()"},
        {&plain, "A", "Inherited", "target object is wrong type for GameObject::AddHandler()"},
        {target, nullptr, "Inherited", "major type is null for GameObject::AddHandler()"},
        {target, "A", "Missing", "Could not find handler $void@Derived::Missing(Message) for native GameObject::AddHandler()"},
    };
    for (const Case& c : cases) {
        LogLines().clear();
        if (c.target) GSAddReference(c.target->GetInstance());
        CallGameObject(add, me, {Ref(c.target), Str(c.major), Str("x"), Str(c.name)}, {1, 2, 3, 4});
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.line});
        EXPECT_EQ(target->Handlers().Count(), 1u);
    }
    GSReleaseReference(plain.GetInstance());
}

TEST_F(GSGameObjectTest, HandlersMatchTheirMajorAndMinor) {
    GSGameObject* me = NewGameObject();
    NotedGameObject* target = Noted();
    const char* add = "$void@GameObject::AddHandler(GameObject,string,string,string)";
    CallGameObject(add, me, {Ref(target), Str("Train"), Str("Tick"), Str("OnTick")}, {2, 3, 4});
    struct Case {
        const char* major;
        const char* minor;
        bool delivered;
    };
    auto send = [&](const Case& c) {
        GSMessage message{Router().GetMajorTypeId(c.major), Router().GetMajorTypeId(c.minor), me->GetId(),
                          target->GetId(), kGSMessageBuilt};
        return target->ReceiveMessage(&message);
    };
    for (const Case& c : {Case{"Train", "Tick", true}, Case{"Train", "Tock", false}, Case{"Signal", "Tick", false}})
        EXPECT_EQ(send(c), c.delivered) << c.major << "/" << c.minor;
    CallGameObject(add, me, {Ref(target), Str("Train"), Str(""), Str("OnAny")}, {2, 3, 4});
    for (const Case& c : {Case{"Train", "Tick", true}, Case{"Train", "Tock", true}, Case{"Signal", "Tick", false}})
        EXPECT_EQ(send(c), c.delivered) << c.major << "/" << c.minor << " with the any-minor handler";
    // A handler whose object is gone is skipped.
    GSGameObject* gone = NewGameObject();
    CallGameObject(add, gone, {Ref(target), Str("Late"), Str(""), Str("OnAny")}, {2, 3, 4});
    ASSERT_TRUE(Router().RemoveNode(gone));
    EXPECT_FALSE(send({"Late", "x", false}));
}

TEST_F(GSGameObjectTest, ASniffedMessageIsForwardedOnceWithItsSniffedBit) {
    NotedGameObject* a = Noted("Thing", "a");
    NotedGameObject* b = Noted("Thing", "b");
    const char* sniff = "$void@GameObject::Sniff(GameObject,string,string,bool)";
    // a sniffs b and b sniffs a, for every minor of Train.
    CallGameObject(sniff, a, {Ref(b), Str("Train"), Str(""), GSIntSlot(1)}, {2, 3});
    CallGameObject(sniff, a, {Ref(b), Str("Train"), Str(""), GSIntSlot(1)}, {2, 3});
    CallGameObject(sniff, b, {Ref(a), Str("Train"), Str(""), GSIntSlot(1)}, {2, 3});
    ASSERT_EQ(b->Handlers().Count(), 1u) << "sniffing twice keeps one entry";
    EXPECT_TRUE(static_cast<const GSHandler*>(b->Handlers().Begin())->sniff);

    GSMessage message{Router().GetMajorTypeId("Train"), Router().GetMajorTypeId("Go"), 0, b->GetId(), kGSMessageBuilt};
    Router().SendMessage(&message);
    ASSERT_EQ(b->received.size(), 1u);
    ASSERT_EQ(a->received.size(), 1u) << "forwarded to a, and not back to b";
    EXPECT_EQ(a->received[0].timeWord, kGSMessageBuilt | kGSMessageSniffed);
    EXPECT_EQ(message.timeWord, kGSMessageBuilt) << "the bit is cleared again";

    // Off removes the entry and its subscription.
    CallGameObject(sniff, a, {Ref(b), Str("Train"), Str(""), GSIntSlot(0)}, {2, 3});
    EXPECT_EQ(b->Handlers().Count(), 0u);
    EXPECT_EQ(Router().SubscriptionCount(b, Router().GetMajorTypeId("Train")), 0);
    LogLines().clear();
    CallGameObject(sniff, a, {Ref(nullptr), Str("Train"), Str(""), GSIntSlot(1)}, {2, 3});
    CallGameObject(sniff, a, {Ref(b), Str(nullptr), Str(""), GSIntSlot(1)}, {2, 3});
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"target object is null for GameObject::Sniff()",
                                                    "major type is null for GameObject::Sniff()"}));
}

TEST_F(GSGameObjectTest, SleepPutsTheCallingThreadToSleep) {
    GSGameObject* me = NewGameObject();
    GSThread* thread = me->NewThread();
    GSThread staticThread(nullptr, GSThread::kStaticThread);
    struct Case {
        GSThread* caller;
        float seconds;
        int32_t state;
        float sleep;
    };
    const Case cases[] = {
        {thread, 0.000001f, GSThread::kRunning, 0.0f},
        {thread, 0.0f, GSThread::kRunning, 0.0f},
        {thread, -1.0f, GSThread::kRunning, 0.0f},
        {&staticThread, 0.5f, GSThread::kRunning, 0.0f},
        {nullptr, 0.5f, GSThread::kRunning, 0.0f},
        {thread, 0.5f, GSThread::kWaiting, 0.5f},
    };
    for (const Case& c : cases) {
        g_gsCurrentThread = c.caller;
        CallGameObject("$void@GameObject::Sleep(float)", me, {Float(c.seconds)});
        GSThread* looked = c.caller ? c.caller : thread;
        EXPECT_EQ(looked->State(), c.state) << c.seconds;
        EXPECT_EQ(looked->SleepTime(), c.sleep) << c.seconds;
    }
}

TEST_F(GSGameObjectTest, GetIdAndGetNamePushTheNodesIdAndName) {
    NotedGameObject* named = Noted("Thing", "Loco");
    GSGameObject* detached = NewGameObject("Thing", nullptr, false);
    EXPECT_EQ(CallGameObject("$int@GameObject::GetId()", named, {}).i, named->GetId());
    EXPECT_EQ(CallGameObject("$int@GameObject::GetId()", detached, {}).i, -1);
    for (GSGameObject* object : {static_cast<GSGameObject*>(named), detached}) {
        auto* text = static_cast<GSSlot*>(CallGameObject("$string@GameObject::GetName()", object, {}).p);
        EXPECT_EQ(StringOf(text), object == named ? "Loco" : "");
        EXPECT_EQ(GSContextOf(text), context_.get());
        GSReleaseReference(text);
    }
}

TEST_F(GSGameObjectTest, NativeMisuseRaisesThreadExceptions) {
    NotedGameObject* me = Noted();
    NotedGameObject* to = Noted();
    GSThread* thread = me->NewThread();
    GSThread staticThread(nullptr, GSThread::kStaticThread);
    const char* send = "$void@GameObject::SendMessage(GameObject,string,string)";
    const char* post = "$void@GameObject::PostMessage(GameObject,string,string,float)";
    const char* raise = "$void@GameObject::Exception(string)";
    struct Case {
        GSThread* caller;
        const char* signature;
        std::vector<GSSlot> arguments;
        std::vector<uint32_t> refs;
        const char* line;
        int32_t state;
    };
    const Case cases[] = {
        {&staticThread, send, {Ref(to), Str("A"), Str("b")}, {2, 3}, "Static Thread cannot call SendMessage",
         GSThread::kStopped},
        {thread, send, {Ref(to), Str(nullptr), Str("b")}, {3}, "GameObject::SendMessage() illegal major or minor string",
         GSThread::kStopped},
        {thread, post, {Ref(to), Str("A"), Str(nullptr), Float(1.0f)}, {2},
         "GameObject::PostMessage() illegal major or minor string", GSThread::kStopped},
        {thread, raise, {Str("Derailed")}, {1}, "Derailed", GSThread::kRunning},
        {thread, raise, {Str(nullptr)}, {}, "", GSThread::kRunning},
    };
    for (const Case& c : cases) {
        c.caller->SetState(GSThread::kRunning);
        g_gsCurrentThread = c.caller;
        LogLines().clear();
        GSAddReference(to->GetInstance());
        std::vector<uint32_t> refs = c.refs;
        if (c.signature != raise) refs.insert(refs.begin(), 1);
        CallGameObject(c.signature, me, c.arguments, refs);
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.line});
        EXPECT_EQ(c.caller->State(), c.state) << c.line;
    }
    EXPECT_TRUE(to->received.empty());
    EXPECT_EQ(Router().DelayedCount() + Router().PostedCount(), 0u);
}

TEST_F(GSGameObjectTest, SendMessageDeliversAtOncePostMessageQueues) {
    NotedGameObject* me = Noted();
    NotedGameObject* to = Noted();
    GSThread* thread = me->NewThread();
    g_gsCurrentThread = thread;
    const char* send = "$void@GameObject::SendMessage(GameObject,string,string)";
    const char* post = "$void@GameObject::PostMessage(GameObject,string,string,float)";
    GSAddReference(to->GetInstance());
    CallGameObject(send, me, {Ref(to), Str("Hello"), Str("there")}, {1, 2, 3});
    ASSERT_EQ(to->received.size(), 0u) << "major 101 needs the receiver's subscription";
    ASSERT_TRUE(to->Subscribe(Router().GetMajorTypeId("Hello")));
    GSAddReference(to->GetInstance());
    CallGameObject(send, me, {Ref(to), Str("Hello"), Str("there")}, {1, 2, 3});
    ASSERT_EQ(to->received.size(), 1u);
    EXPECT_EQ(to->received[0].source, me->GetId());
    EXPECT_EQ(to->received[0].destination, to->GetId());
    EXPECT_EQ(to->received[0].timeWord, kGSMessageBuilt);
    // A null destination is everybody.
    CallGameObject(send, me, {Ref(nullptr), Str("Hello"), Str("all")}, {2, 3});
    ASSERT_EQ(to->received.size(), 2u);
    EXPECT_EQ(to->received[1].destination, 0);

    clock_.now = 500;
    Router().Pump();
    struct Case {
        float seconds;
        uint32_t delayed, posted;
        uint32_t due;
    };
    const Case cases[] = {
        {0.0015f, 1, 0, 501}, {0.0f, 0, 1, 0}, {-2.0f, 0, 1, 0}, {2.5f, 1, 0, 3000},
    };
    for (const Case& c : cases) {
        GSAddReference(to->GetInstance());
        CallGameObject(post, me, {Ref(to), Str("Hello"), Str("later"), Float(c.seconds)}, {1, 2, 3});
        EXPECT_EQ(Router().DelayedCount(), c.delayed) << c.seconds;
        EXPECT_EQ(Router().PostedCount(), c.posted) << c.seconds;
        if (c.delayed) {
            EXPECT_EQ(Router().DelayedAt(1)->timeWord, kGSMessageBuilt | c.due) << c.seconds;
            GSAddReference(to->GetInstance());
            CallGameObject("$void@GameObject::ClearMessages(string,string)", to, {Str("Hello"), Str("")}, {1, 2});
        }
        Router().Pump();
    }
    EXPECT_EQ(Router().DelayedCount(), 0u) << "ClearMessages took the delayed ones";
    EXPECT_EQ(to->received.size(), 4u) << "the two posted without delay arrived";
}

TEST_F(GSGameObjectTest, TheRouterNativesFindGameObjects) {
    NotedGameObject* thing = Noted("Thing", "Loco");
    NotedGameObject* hidden = Noted("Hidden", "Hidden");
    std::unique_ptr<GSContext> other = NewContext();
    NotedGameObject* foreign = Noted("Thing", "Far", other.get());
    GSClass* gameObjectClass = context_->GetGameObjectClass();
    ASSERT_NE(gameObjectClass, nullptr);
    auto expectPushed = [&](GSSlot pushed, GSGameObject* expected, const char* what) {
        auto* reference = static_cast<GSSlot*>(pushed.p);
        EXPECT_EQ(reference, expected ? GSScriptInstance::CastTo(gameObjectClass, GSInstanceOf(expected->GetInstance()))
                                      : nullptr)
            << what;
        GSReleaseReference(reference);
    };
    const char* byId = "$GameObject@Router::GetGameObject(int)";
    const char* foreignById = "$GameObject@Router::GetForeignGameObject(int)";
    const char* byName = "$GameObject@Router::GetGameObject(string)";
    expectPushed(CallRouter(byId, {GSIntSlot(thing->GetId())}), thing, "by id");
    expectPushed(CallRouter(byId, {GSIntSlot(hidden->GetId())}), nullptr, "a secured class is not handed out");
    expectPushed(CallRouter(byId, {GSIntSlot(foreign->GetId())}), nullptr, "another context's node");
    expectPushed(CallRouter(byId, {GSIntSlot(0)}), nullptr, "no node 0");
    expectPushed(CallRouter(foreignById, {GSIntSlot(foreign->GetId())}), foreign, "foreign by id");
    expectPushed(CallRouter(foreignById, {GSIntSlot(thing->GetId())}), thing, "the calling context counts too");
    expectPushed(CallRouter(byName, {Str("Loco")}, {1}), thing, "by name");
    expectPushed(CallRouter(byName, {Str("Hidden")}, {1}), hidden, "by name, without the secured check");
    expectPushed(CallRouter(byName, {Str("Far")}, {1}), nullptr, "names are per router");
    expectPushed(CallRouter(byName, {Str(nullptr)}), nullptr, "a null name");
    other->GetRouter()->SetNoForeignLookup(true);
    expectPushed(CallRouter(foreignById, {GSIntSlot(foreign->GetId())}), nullptr, "a router that refuses lookups");
    // The reference handed out counts.
    const int32_t before = GSInstanceOf(thing->GetInstance())->ReferenceCount();
    auto* pushed = static_cast<GSSlot*>(CallRouter(byId, {GSIntSlot(thing->GetId())}).p);
    EXPECT_EQ(GSInstanceOf(thing->GetInstance())->ReferenceCount(), before + 1);
    GSReleaseReference(pushed);
}

TEST_F(GSGameObjectTest, TheRouterNativesPostAndPrint) {
    const char* post = "$void@Router::PostMessage(int,int,string,string,float)";
    clock_.now = 70;
    Router().Pump();
    CallRouter(post, {GSIntSlot(12345), GSIntSlot(678), Str("Any"), Str("Thing"), Float(0.25f)}, {3, 4});
    ASSERT_EQ(Router().DelayedCount(), 1u);
    const GSMessage* message = Router().DelayedAt(1);
    EXPECT_EQ(message->source, 12345);
    EXPECT_EQ(message->destination, 678);
    EXPECT_EQ(message->minor, 101);
    EXPECT_EQ(message->major, 102);
    EXPECT_EQ(message->timeWord, kGSMessageBuilt | 320u);
    CallRouter(post, {GSIntSlot(1), GSIntSlot(2), Str(nullptr), Str("Thing"), Float(0.0f)}, {4});
    CallRouter(post, {GSIntSlot(1), GSIntSlot(2), Str("Any"), Str(nullptr), Float(0.0f)}, {3});
    EXPECT_EQ(Router().PostedCount(), 0u);
    LogLines().clear();
    CallRouter("$void@Router::Info()", {});
    ASSERT_EQ(LogLines().size(), 8u);
    EXPECT_EQ(LogLines()[2], "1 Message(s) in the delay queue");
}

TEST_F(GSGameObjectTest, AnAttachedObjectWhoseLastReferenceGoesIsDeletedByItsRouter) {
    NotedGameObject* attached = Noted("Thing", "attached");
    auto* detached = new NotedGameObject(&gone_, "detached");
    ASSERT_TRUE(detached->Attach(WorldClass("Thing"), context_.get()));
    GSReleaseReference(detached->GetInstance());
    EXPECT_EQ(gone_, std::vector<std::string>{"detached"}) << "no router: it goes at once";

    GSReleaseReference(attached->GetInstance());
    EXPECT_TRUE(attached->DestroyRequested());
    EXPECT_TRUE(Router().IsScheduledHere(attached) || attached->IsScheduled());
    clock_.now += 20;
    Router().Pump();
    EXPECT_EQ(gone_, (std::vector<std::string>{"detached", "attached"}));
    EXPECT_EQ(Router().NodeCount(), 0u);
}

TEST_F(GSGameObjectTest, TheContextsEndDeletesGameObjectsStillReferenced) {
    NotedGameObject* held = Noted("Thing", "held");
    NotedGameObject* cycle = Noted("Thing", "threaded");
    GSAddReference(held->GetInstance());
    // A thread whose stack holds the object's own instance: a count nothing ever gives back.
    GSThread* thread = cycle->NewThread();
    GSAddReference(cycle->GetInstance());
    GSSlot* top = thread->Stack().Top() + 1;
    *top = GSPointerSlot(cycle->GetInstance());
    thread->Stack().SetTop(top);
    context_.reset();
    std::sort(gone_.begin(), gone_.end());
    EXPECT_EQ(gone_, (std::vector<std::string>{"held", "threaded"}));
}

TEST_F(GSGameObjectTest, MessageObjectsCarryNamesAndObjects) {
    NotedGameObject* from = Noted();
    NotedGameObject* to = Noted();
    struct PlainNode : GSNode {} plain;
    ASSERT_TRUE(Router().AddNode(&plain));
    std::unique_ptr<GSContext> closed = NewContext(false), open = NewContext(true);
    NotedGameObject* closedObject = Noted("Thing", nullptr, closed.get());
    // Nodes of another context are found through its router, not this one: put them here.
    ASSERT_TRUE(closed->GetRouter()->RemoveNode(closedObject));
    ASSERT_TRUE(Router().AddNode(closedObject));
    NotedGameObject* openObject = Noted("Thing", nullptr, open.get());
    ASSERT_TRUE(open->GetRouter()->RemoveNode(openObject));
    ASSERT_TRUE(Router().AddNode(openObject));

    const uint16_t major = Router().GetMajorTypeId("Major");
    struct Case {
        uint16_t major, minor;
        int32_t source, destination;
        const char* majorText;
        const char* minorText;
        GSObject* src;
        GSObject* dst;
    };
    const Case cases[] = {
        {major, kGSTypeAny, from->GetId(), to->GetId(), "Major", "<null>", from, to},
        {kGSTypeAny, major, plain.GetId(), 0, "<null>", "Major", nullptr, nullptr},
        {major, major, closedObject->GetId(), openObject->GetId(), "Major", "Major", nullptr, openObject},
        {999, 998, 123456, -1, "<null>", "<null>", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const GSMessage message{c.major, c.minor, c.source, c.destination, kGSMessageBuilt};
        GSSlot* object = context_->CreateMessageObject(&message);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(StringOf(static_cast<GSSlot*>(object[2].p)), c.majorText);
        EXPECT_EQ(StringOf(static_cast<GSSlot*>(object[3].p)), c.minorText);
        EXPECT_EQ(object[4].p, c.src ? c.src->GetInstance() : nullptr);
        EXPECT_EQ(object[5].p, c.dst ? c.dst->GetInstance() : nullptr);
        EXPECT_EQ(GSInstanceOf(object)->ReferenceCount(), 1);
        GSReleaseReference(object);
    }
    EXPECT_EQ(GSInstanceOf(from->GetInstance())->ReferenceCount(), 1) << "the Message object released its members";
    ASSERT_TRUE(Router().RemoveNode(closedObject));
    ASSERT_TRUE(Router().RemoveNode(openObject));
    ASSERT_TRUE(Router().RemoveNode(&plain));
    // Without a Message class there is no Message object.
    GSContext bare(false, std::make_unique<GSRouter>(clock_.Clock()));
    GSMachine empty;
    bare.SetMachine(&empty);
    const GSMessage message{major, major, 0, 0, kGSMessageBuilt};
    EXPECT_EQ(bare.CreateMessageObject(&message), nullptr);
}

TEST(GSBuiltinNativeTables, EveryGameObjectAndRouterSignatureHasItsMember) {
    const char* const gameObject[] = {
        "$void@GameObject::SendMessage(GameObject,string,string)", "$void@GameObject::PostMessage(GameObject,string,string,float)",
        "$void@GameObject::ClearMessages(string,string)", "$void@GameObject::AddHandler(GameObject,string,string,string)",
        "$void@GameObject::Sniff(GameObject,string,string,bool)", "$void@GameObject::Sleep(float)",
        "$int@GameObject::GetId()", "$string@GameObject::GetName()", "$void@GameObject::Exception(string)"};
    for (const char* signature : gameObject) EXPECT_NE(GSGameObject::FindNative(signature), nullptr) << signature;
    const char* const router[] = {"$GameObject@Router::GetGameObject(int)", "$GameObject@Router::GetForeignGameObject(int)",
                                  "$GameObject@Router::GetGameObject(string)", "$void@Router::Info()",
                                  "$void@Router::PostMessage(int,int,string,string,float)"};
    for (const char* signature : router) EXPECT_NE(GSContext::FindRouterNative(signature), nullptr) << signature;
    EXPECT_EQ(GSGameObject::FindNative("$void@GameObject::Sleep(float )"), nullptr);
}

}  // namespace
