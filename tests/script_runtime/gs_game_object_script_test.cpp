// Game objects end to end, with scripts compiled by our compiler and run by the interpreter:
// a thread waiting in a wait statement woken by messages (sent natively, sent by another
// script thread, posted with a delay on the test clock), handlers and sniffing run on the
// static thread, sleep counted down by the object's updates, and script calls of the
// Router natives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gs_router_test_support.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_thread.h"

namespace {

using gstest::LogLines;
using gstest::StringOf;

const char* const kScripts =
    "include \"gs.gs\"\n"
    "class Waiter isclass GameObject {\n"
    "  public string log = \"\";\n"
    "  thread void Listen() {\n"
    "    Message m;\n"
    "    wait() {\n"
    "      on \"A\", \"\", m: { log = log + \"A.\" + m.minor + \";\"; continue; }\n"
    "      on \"B\", \"b\": { log = log + \"B;\"; continue; }\n"
    "      on \"Stop\", \"\": break;\n"
    "    }\n"
    "    log = log + \"done\";\n"
    "  }\n"
    "};\n"
    "class Sender isclass GameObject {\n"
    "  thread void Say(GameObject to, string major, string minor) { SendMessage(to, major, minor); }\n"
    "  thread void Post(GameObject to, string major, string minor, float seconds) {\n"
    "    PostMessage(to, major, minor, seconds);\n"
    "  }\n"
    "  public void SayNow(GameObject to) { SendMessage(to, \"A\", \"static\"); }\n"
    "};\n"
    "class Handler isclass GameObject {\n"
    "  public string log = \"\";\n"
    "  public void Watch(GameObject target) {\n"
    "    AddHandler(target, \"Train\", \"\", \"OnTrain\");\n"
    "    AddHandler(target, \"Train\", \"Tick\", \"OnTick\");\n"
    "  }\n"
    "  public void Unwatch(GameObject target) { AddHandler(target, \"Train\", \"\", \"\"); }\n"
    "  public void Spy(GameObject target) { Sniff(target, \"Train\", \"\", true); }\n"
    "  void OnTrain(Message m) { log = log + \"train:\" + m.minor + \";\"; }\n"
    "  void OnTick(Message m) { log = log + \"tick;\"; }\n"
    "};\n"
    "class Sleeper isclass GameObject {\n"
    "  public int stage = 0;\n"
    "  thread void Nap(float seconds) { stage = 1; Sleep(seconds); stage = 2; }\n"
    "};\n"
    "class Finder isclass GameObject {\n"
    "  public bool Same(int id) { return Router.GetGameObject(id) == me; }\n"
    "  public bool Missing() { return Router.GetGameObject(-5) == null; }\n"
    "};\n";

GSSlot Float(float value) {
    GSSlot slot{};
    slot.f = value;
    return slot;
}

class GSGameObjectScriptTest : public gstest::RouterWorld {
  protected:
    GSGameObjectScriptTest() : RouterWorld(kScripts) {}

    // Calls a function of the object's class: a plain function runs now on the static
    // thread, a thread function starts a thread of the object.
    bool Call(GSGameObject* object, const char* className, const char* name, std::vector<GSSlot> arguments = {},
              GSSlot* result = nullptr) {
        return GSRuntime::CallScriptFunction(context_.get(), WorldClass(className), object->GetInstance(), name, result,
                                             arguments);
    }

    GSSlot Member(GSGameObject* object, const char* className, const char* member) {
        for (const GSMember& m : WorldClass(className)->Members())
            if (std::strcmp(m.name, member) == 0) return object->GetInstance()[m.slot];
        ADD_FAILURE() << member;
        return GSSlot{};
    }
    std::string Log(GSGameObject* object, const char* className) {
        return StringOf(static_cast<GSSlot*>(Member(object, className, "log").p));
    }

    // A message sent at once by the router, as the product's own nodes send them.
    void Send(GSGameObject* to, const char* major, const char* minor) {
        GSMessage message{Router().GetMajorTypeId(major), Router().GetMajorTypeId(minor), 0, to->GetId(),
                          kGSMessageBuilt};
        Router().SendMessage(&message);
    }

    void PumpAt(uint32_t now) {
        clock_.now = now;
        Router().Pump();
    }

    GSSlot Ref(GSGameObject* object) {
        GSAddReference(object->GetInstance());
        return GSPointerSlot(object->GetInstance());
    }
};

TEST_F(GSGameObjectScriptTest, AWaitingThreadIsWokenByTheKindsItWaitsFor) {
    GSGameObject* waiter = NewGameObject("Waiter");
    ASSERT_TRUE(Call(waiter, "Waiter", "$void@Waiter::Listen()"));
    PumpAt(10);
    ASSERT_EQ(waiter->Threads().Count(), 1u);
    const auto* thread = static_cast<const GSThread*>(waiter->Threads().Begin());
    EXPECT_EQ(thread->State(), GSThread::kWaiting);
    EXPECT_EQ(thread->WaitCount(), 3u);
    EXPECT_EQ(Router().SubscriptionCount(waiter, Router().GetMajorTypeId("A")), 1);

    const struct {
        const char* major;
        const char* minor;
        const char* log;
    } steps[] = {
        {"A", "one", "A.one;"},        {"B", "x", "A.one;"},         {"B", "b", "A.one;B;"},
        {"C", "one", "A.one;B;"},      {"A", "", "A.one;B;A.;"},     {"Stop", "now", "A.one;B;A.;done"},
        {"A", "late", "A.one;B;A.;done"},
    };
    uint32_t now = 10;
    for (const auto& step : steps) {
        Send(waiter, step.major, step.minor);
        PumpAt(now += 10);
        EXPECT_EQ(Log(waiter, "Waiter"), step.log) << step.major << "/" << step.minor;
    }
    EXPECT_EQ(waiter->Threads().Count(), 0u) << "the finished thread is gone";
    EXPECT_EQ(Router().SubscriptionCount(waiter, Router().GetMajorTypeId("A")), 0) << "its waits were dropped";
}

TEST_F(GSGameObjectScriptTest, MessagesFromScriptThreadsAndDelayedPosts) {
    GSGameObject* waiter = NewGameObject("Waiter");
    GSGameObject* sender = NewGameObject("Sender");
    ASSERT_TRUE(Call(waiter, "Waiter", "$void@Waiter::Listen()"));
    PumpAt(100);
    ASSERT_TRUE(Call(sender, "Sender", "$void@Sender::Say(GameObject,string,string)",
                     {Ref(waiter), GSPointerSlot(Text("A")), GSPointerSlot(Text("said"))}));
    ASSERT_TRUE(Call(sender, "Sender", "$void@Sender::Post(GameObject,string,string,float)",
                     {Ref(waiter), GSPointerSlot(Text("A")), GSPointerSlot(Text("posted")), Float(1.0f)}));
    // Updates go in no fixed order: the waiter may have had its turn before the sender sent.
    PumpAt(200);
    PumpAt(210);
    EXPECT_EQ(Log(waiter, "Waiter"), "A.said;") << "the send woke the waiter, the post waits";
    EXPECT_EQ(Router().DelayedCount(), 1u);
    PumpAt(1199);
    EXPECT_EQ(Log(waiter, "Waiter"), "A.said;");
    PumpAt(1200);
    EXPECT_EQ(Log(waiter, "Waiter"), "A.said;A.posted;");
    EXPECT_EQ(sender->Threads().Count(), 0u);

    // The static thread may not send.
    LogLines().clear();
    EXPECT_FALSE(Call(sender, "Sender", "$void@Sender::SayNow(GameObject)", {Ref(waiter)}));
    ASSERT_FALSE(LogLines().empty());
    EXPECT_EQ(LogLines()[0], "Static Thread cannot call SendMessage (file " + folder_.Path() + "/gs.gs)");
    EXPECT_EQ(LogLines().at(1).rfind("Thread Exception: ER_Exception, line ", 0), 0u);
    PumpAt(1300);
    EXPECT_EQ(Log(waiter, "Waiter"), "A.said;A.posted;");
}

TEST_F(GSGameObjectScriptTest, HandlersRunOnTheStaticThread) {
    GSGameObject* handler = NewGameObject("Handler");
    GSGameObject* target = NewGameObject("Waiter");
    ASSERT_TRUE(Call(handler, "Handler", "$void@Handler::Watch(GameObject)", {Ref(target)}));
    Send(target, "Train", "Tick");
    Send(target, "Train", "Go");
    Send(target, "Signal", "Tick");
    EXPECT_EQ(Log(handler, "Handler"), "tick;train:Tick;train:Go;");
    ASSERT_TRUE(Call(handler, "Handler", "$void@Handler::Unwatch(GameObject)", {Ref(target)}));
    Send(target, "Train", "Tick");
    Send(target, "Train", "Go");
    EXPECT_EQ(Log(handler, "Handler"), "tick;train:Tick;train:Go;tick;") << "only the Tick handler is left";
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(GSInstanceOf(handler->GetInstance())->ReferenceCount(), 1) << "every run gave its counts back";
}

TEST_F(GSGameObjectScriptTest, ASnifferGetsTheTargetsMessagesInItsOwnHandlersAndWaits) {
    GSGameObject* spy = NewGameObject("Handler");
    GSGameObject* target = NewGameObject("Handler");
    // The spy watches itself and sniffs the target: the target's messages reach its handlers.
    ASSERT_TRUE(Call(spy, "Handler", "$void@Handler::Watch(GameObject)", {Ref(spy)}));
    ASSERT_TRUE(Call(spy, "Handler", "$void@Handler::Spy(GameObject)", {Ref(target)}));
    Send(target, "Train", "Go");
    EXPECT_EQ(Log(spy, "Handler"), "train:Go;");
    EXPECT_EQ(Log(target, "Handler"), "");
}

TEST_F(GSGameObjectScriptTest, SleepIsCountedDownByUpdates) {
    GSGameObject* sleeper = NewGameObject("Sleeper");
    ASSERT_TRUE(Call(sleeper, "Sleeper", "$void@Sleeper::Nap(float)", {Float(0.5f)}));
    const struct {
        uint32_t now;
        int32_t stage;
        uint32_t threads;
    } steps[] = {{100, 1, 1}, {300, 1, 1}, {500, 1, 1}, {599, 1, 1}, {700, 2, 0}};
    for (const auto& step : steps) {
        PumpAt(step.now);
        EXPECT_EQ(Member(sleeper, "Sleeper", "stage").i, step.stage) << step.now;
        EXPECT_EQ(sleeper->Threads().Count(), step.threads) << step.now;
    }
    // A nap of a microsecond is no nap.
    ASSERT_TRUE(Call(sleeper, "Sleeper", "$void@Sleeper::Nap(float)", {Float(0.000001f)}));
    PumpAt(710);
    EXPECT_EQ(sleeper->Threads().Count(), 0u);
}

TEST_F(GSGameObjectScriptTest, ScriptsFindGameObjectsThroughTheRouter) {
    GSGameObject* finder = NewGameObject("Finder");
    GSSlot result{};
    ASSERT_TRUE(Call(finder, "Finder", "$bool@Finder::Same(int)", {GSIntSlot(finder->GetId())}, &result));
    EXPECT_EQ(result.i, 1);
    ASSERT_TRUE(Call(finder, "Finder", "$bool@Finder::Missing()", {}, &result));
    EXPECT_EQ(result.i, 1);
    EXPECT_EQ(GSInstanceOf(finder->GetInstance())->ReferenceCount(), 1);
}

}  // namespace
