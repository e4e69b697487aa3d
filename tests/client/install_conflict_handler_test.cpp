// The conflict question's ask-and-log against the in-process stand-in daemon: the warning
// names the asset (its name from request 21, else its KUID tag) and what the answer did,
// the answer is remembered under its prompt, an answer 4 cancels for good, and a question
// of the daemon (no log) is asked without a request or an entry.
#include "kav_requests_test_support.h"

#include <string>
#include <vector>

#include "client/commands/install_conflict_handler.h"
#include "foundation/text/interface_text.h"
#include "install_test_support.h"

namespace {

const KUID kAsset(12, 1, 0);
const char kLogText[] = "$(ASSET_NAME) was already installed: $(ACTION).";

// Answers from a list, one per question, and keeps what it was asked.
class ScriptedHandler : public KodrinUtil::ConflictQuestionHandler {
  public:
    explicit ScriptedHandler(std::vector<int32_t> answers) : answers_(std::move(answers)) {}
    std::vector<std::string> asked;

  protected:
    int32_t AskUser(const Kiv::String& prompt, const KUID& kuid) override {
        asked.push_back(prompt.Std() + " " + kuid.ToTag().c_str());
        return answers_.at(next_++);
    }

  private:
    std::vector<int32_t> answers_;
    size_t next_ = 0;
};

std::string Action(const char* key) {
    return GetInterfaceText(Kiv::PString(key)).Std();
}

class ConflictHandlerTest : public KAVRequestsTest {
  protected:
    // Request 21 answers the KUID and the name; the record's other fields stay default.
    void NameIs(const std::string& name) { Answer(21, Concat({KuidBytes(12, 1, 0), Str(name)})); }
};

TEST_F(ConflictHandlerTest, EachAnswerIsLoggedWithTheAssetAndWhatItDid) {
    NameIs("Coal wagon");
    const std::string skipped =
        "2 Coal wagon was already installed: " + Action("$kav_prompt_skipped") + ".";
    const std::string replaced =
        "2 Coal wagon was already installed: " + Action("$kav_prompt_overwritten") + ".";
    const std::pair<int32_t, std::vector<std::string>> cases[] = {
        {0, {skipped}}, {1, {skipped}}, {2, {replaced}}, {3, {replaced}}, {4, {}}, {9, {}},
    };
    for (const auto& [answer, lines] : cases) {
        ScriptedHandler handler({answer});
        ResultsLog log;
        EXPECT_EQ(handler.AskConflictAction("$kav_prompt_alreadyinstalled", kLogText, kAsset, &log),
                  answer);
        EXPECT_EQ(install_test::EntryLines(log), lines) << answer;
        EXPECT_EQ(handler.asked,
                  std::vector<std::string>{"$kav_prompt_alreadyinstalled <kuid:12:1>"});
    }
    // The name was asked for with detail mask 1.
    EXPECT_EQ(Payloads(21).front(), Concat({KuidBytes(12, 1, 0), Le32(1)}));
}

TEST_F(ConflictHandlerTest, AnAssetWithoutANameIsNamedByItsKUID) {
    NameIs("");
    ScriptedHandler handler({2});
    ResultsLog log;
    handler.AskConflictAction("p", kLogText, kAsset, &log);
    EXPECT_EQ(install_test::EntryLines(log),
              std::vector<std::string>{"2 <kuid:12:1> was already installed: " +
                                       Action("$kav_prompt_overwritten") + "."});
}

TEST_F(ConflictHandlerTest, AnswersAreRememberedPerPromptAndCancellingLasts) {
    NameIs("Coal wagon");
    ScriptedHandler handler({2, 0, 4, 3});
    ResultsLog log;
    EXPECT_FALSE(handler.LastAnswer("first"));

    handler.AskConflictAction("first", kLogText, kAsset, &log);
    handler.AskConflictAction("first", kLogText, kAsset, &log);
    EXPECT_EQ(handler.LastAnswer("first"), 0);
    EXPECT_FALSE(handler.IsCancelled());

    handler.AskConflictAction("second", kLogText, kAsset, &log);
    EXPECT_TRUE(handler.IsCancelled());
    EXPECT_EQ(handler.LastAnswer("second"), 4);
    handler.AskConflictAction("second", kLogText, kAsset, &log);
    EXPECT_TRUE(handler.IsCancelled());
    EXPECT_EQ(handler.LastAnswer("second"), 3);
    EXPECT_EQ(handler.LastAnswer("first"), 0);
}

TEST_F(ConflictHandlerTest, TheDaemonsQuestionIsAskedWithoutLogOrRequest) {
    NameIs("Coal wagon");
    ScriptedHandler handler({4});
    KAVQuestionHandler& asLink = handler;
    Kiv::String outText;

    EXPECT_EQ(asLink.Ask("$kav_prompt_builtin", outText, kAsset, 0), 4);
    EXPECT_EQ(handler.asked, std::vector<std::string>{"$kav_prompt_builtin <kuid:12:1>"});
    EXPECT_TRUE(handler.IsCancelled());
    EXPECT_EQ(handler.LastAnswer("$kav_prompt_builtin"), 4);
    EXPECT_TRUE(Payloads(21).empty());
}

} // namespace
