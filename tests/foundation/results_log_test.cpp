// Results log: counters per kind, attribution to the context stack, "$(NAME)" filling,
// CopyFrom (also from two threads copying both ways at once), the request registry and
// the broadcasts to subscribed recipients.
#include "foundation/results/results_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// An asset-id property owned by the test for its whole run.
struct Asset {
    explicit Asset(const KUID& kuid) : property(new KodrinPropertyAssetID("AssetID", kuid)) {}
    ~Asset() { property->Release(); }
    KodrinPropertyAssetID* property;
};

std::vector<std::string> Texts(const ResultsLog& log) {
    std::vector<std::string> texts;
    for (const ResultsLogEntry& entry : log.Entries())
        texts.emplace_back(entry.text.View());
    return texts;
}

std::vector<std::string> Subjects(const ResultsLog& log) {
    std::vector<std::string> subjects;
    for (const ResultsLogEntry& entry : log.Entries())
        subjects.emplace_back(entry.subject.GetValueText().View());
    return subjects;
}

struct Recorder : NuMessageRecipient {
    int32_t ForwardMessage(const NuMessageData& message) override {
        types.emplace_back(message.Type().View());
        values.push_back(message.Value());
        return 0;
    }
    std::vector<std::string> types;
    std::vector<uintptr_t> values;
};

TEST(ResultsLog, ANewLogIsEmptyAndReported) {
    ResultsLog log;
    EXPECT_EQ(log.EntryCount(), 0);
    EXPECT_EQ(log.WarningCount(), 0);
    EXPECT_EQ(log.ErrorCount(), 0);
    EXPECT_EQ(log.SuccessCount(), 0);
    EXPECT_TRUE(log.AllReported());
}

TEST(ResultsLog, EachKindRaisesItsOwnCounter) {
    struct Case {
        int32_t kind;
        int32_t warnings;
        int32_t errors;
        int32_t successes;
    };
    const Case cases[] = {{1, 0, 0, 0}, {2, 1, 0, 0}, {3, 0, 1, 0},
                          {4, 0, 0, 1}, {0, 0, 0, 0}, {9, 0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResultsLog log;
        log.AddEntry(c.kind, nullptr, "text");
        EXPECT_EQ(log.WarningCount(), c.warnings);
        EXPECT_EQ(log.ErrorCount(), c.errors);
        EXPECT_EQ(log.SuccessCount(), c.successes);
        EXPECT_EQ(log.EntryCount(), 1);
        EXPECT_FALSE(log.AllReported());
        log.SetAllReported();
        EXPECT_TRUE(log.AllReported());
    }
}

TEST(ResultsLog, EntriesWithoutASubjectConcernTheTopOfTheContextStack) {
    Asset outer(KUID(1, 1, 0));
    Asset inner(KUID(2, 2, 3));
    Asset given(KUID(3, 3, 0));
    {
        ResultsLog log;
        log.AddEntry(ResultsLogKind::Error, nullptr, "none");
        log.PushContext(outer.property);
        log.PushContext(inner.property);
        log.AddEntry(ResultsLogKind::Error, nullptr, "inner");
        log.AddEntry(ResultsLogKind::Error, given.property, "given");
        log.PopContext();
        log.AddEntry(ResultsLogKind::Warning, nullptr, "outer");
        log.PopContext();
        log.PopContext(); // on an empty stack: nothing
        log.AddEntry(ResultsLogKind::Information, nullptr, "none again");

        EXPECT_EQ(Subjects(log),
                  (std::vector<std::string>{"", "<kuid2:2:2:3>", "<kuid:3:3>", "<kuid:1:1>", ""}));
        EXPECT_EQ(inner.property->ReferenceCountValue(), 2) << "the entry keeps a reference";
        EXPECT_EQ(outer.property->ReferenceCountValue(), 2);
    }
    EXPECT_EQ(inner.property->ReferenceCountValue(), 1) << "released with the log";
    EXPECT_EQ(outer.property->ReferenceCountValue(), 1);
    EXPECT_EQ(given.property->ReferenceCountValue(), 1);
}

TEST(ResultsLog, ParametersFillTheirPlaceholdersIgnoringCase) {
    struct Case {
        const char* text;
        ResultsLogParameters parameters;
        const char* expected;
    };
    const Case cases[] = {
        {"x $(name) y $(NAME)", {{"NAME", "abc"}}, "x abc y abc"},
        {"$(Name)$(name)", {{"name", "1"}}, "11"},
        {"a $(n) b $(n)", {{"n", "$(N)"}}, "a $(N) b $(N)"},
        {"$(a) $(b)", {{"a", "$(b)"}, {"b", "2"}}, "2 2"},
        {"$(n)", {{"n", "$(n)$(n)"}}, "$(n)$(n)"},
        {"keep $(other) and $(name", {{"name", "v"}}, "keep $(other) and $(name"},
        {"gone:$(x).", {{"x", ""}}, "gone:."},
        {"$(KUID) found", {{"kuid", "<kuid:1:2>"}}, "<kuid:1:2> found"},
    };
    for (const Case& c : cases) {
        ResultsLog log;
        log.AddEntry(ResultsLogKind::Error, nullptr, c.text, &c.parameters);
        EXPECT_EQ(Texts(log), std::vector<std::string>{c.expected}) << c.text;
    }
}

TEST(ResultsLog, CopyFromTakesEntriesAndCountersButNotTheContext) {
    Asset asset(KUID(5, 6, 0));
    ResultsLog source;
    for (int i = 0; i < 14; ++i)
        source.AddEntry(i % 4 + 1, i == 0 ? asset.property : nullptr, std::to_string(i).c_str());
    source.PushContext(asset.property);
    source.SetAllReported();

    ResultsLog target;
    target.AddEntry(ResultsLogKind::Error, nullptr, "replaced");
    target.SetAllReported();
    Recorder recorder;
    NuMessageSubscription link(nullptr, &recorder);
    link.Connect(target);

    target.CopyFrom(source);
    EXPECT_EQ(Texts(target), Texts(source));
    EXPECT_EQ(target.Entries().At(13).Slot(), 0) << "same block division";
    EXPECT_EQ(target.WarningCount(), 4);
    EXPECT_EQ(target.ErrorCount(), 3);
    EXPECT_EQ(target.SuccessCount(), 3);
    EXPECT_FALSE(target.AllReported());
    EXPECT_TRUE(recorder.types.empty()) << "nothing is broadcast";
    EXPECT_EQ(asset.property->ReferenceCountValue(), 4) << "source entry, context, copy";

    target.AddEntry(ResultsLogKind::Information, nullptr, "after");
    EXPECT_STREQ(target.Entries().At(14)->subject.GetValueText().c_str(), "")
        << "the context stack is not copied";

    target.CopyFrom(target);
    EXPECT_EQ(target.EntryCount(), 15);
}

TEST(ResultsLog, CopyingBothWaysFromTwoThreadsDoesNotDeadlock) {
    ResultsLog a;
    ResultsLog b;
    a.AddEntry(ResultsLogKind::Error, nullptr, "a");
    b.AddEntry(ResultsLogKind::Warning, nullptr, "b");
    constexpr int kRounds = 20000;
    std::thread one([&] {
        for (int i = 0; i < kRounds; ++i)
            a.CopyFrom(b);
    });
    std::thread two([&] {
        for (int i = 0; i < kRounds; ++i)
            b.CopyFrom(a);
    });
    one.join();
    two.join();
    EXPECT_EQ(a.EntryCount(), 1);
    EXPECT_EQ(Texts(a), Texts(b));
    EXPECT_EQ(a.WarningCount() + a.ErrorCount(), 1);
}

TEST(ResultsLog, RequestRegistryFindsOnlyRegisteredLiveLogs) {
    auto first = std::make_unique<ResultsLog>();
    ResultsLog second;
    ResultsLog::RegisterRequest(101, first.get());
    ResultsLog::RegisterRequest(102, first.get());
    ResultsLog::RegisterRequest(103, &second);
    EXPECT_EQ(ResultsLog::FindRequest(101), first.get());
    EXPECT_EQ(ResultsLog::FindRequest(104), nullptr);

    ResultsLog::RegisterRequest(101, &second);
    EXPECT_EQ(ResultsLog::FindRequest(101), &second) << "registering again overwrites";
    ResultsLog::UnregisterRequest(101);
    EXPECT_EQ(ResultsLog::FindRequest(101), nullptr);

    first.reset();
    EXPECT_EQ(ResultsLog::FindRequest(102), nullptr) << "a destroyed log unregisters itself";
    EXPECT_EQ(ResultsLog::FindRequest(103), &second);
    ResultsLog::UnregisterAll(&second);
    EXPECT_EQ(ResultsLog::FindRequest(103), nullptr);
}

TEST(ResultsLog, BroadcastsUpdatesAndItsEndToSubscribers) {
    Recorder handler;
    Recorder listener;
    NuMessageSubscription link(&listener, &handler);
    auto log = std::make_unique<ResultsLog>();
    const auto address = reinterpret_cast<uintptr_t>(log.get());
    link.Connect(*log);

    log->AddEntry(ResultsLogKind::Success, nullptr, "one");
    log->AddEntry(ResultsLogKind::Information, nullptr, "two");
    EXPECT_EQ(handler.types, (std::vector<std::string>{"list-updated", "list-updated"}));
    EXPECT_EQ(handler.values, (std::vector<uintptr_t>{address, address}));

    log.reset();
    EXPECT_EQ(handler.types.back(), "list-destroyed");
    EXPECT_EQ(handler.values.back(), address);
    EXPECT_FALSE(link.IsConnected()) << "the dying log disconnects its links";
    EXPECT_EQ(listener.types, std::vector<std::string>{"pipe-closed"});
    EXPECT_EQ(listener.values, std::vector<uintptr_t>{reinterpret_cast<uintptr_t>(&handler)});
}

} // namespace
