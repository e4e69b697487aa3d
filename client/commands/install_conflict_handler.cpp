// Ask-and-log of the conflict question. The asset's name is fetched before the user is
// asked, so the warning names the asset as it was when the question came.
#include "client/commands/install_conflict_handler.h"

#include "link/kav/kav_client.h"
#include "foundation/text/interface_text.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

// The interface-text key of what the answer did; null for an answer that did neither.
const char* ActionKey(int32_t answer) {
    if (IsReplaceAnswer(answer)) return "$kav_prompt_overwritten";
    if (IsSkipAnswer(answer)) return "$kav_prompt_skipped";
    return nullptr;
}

} // namespace

int32_t ConflictQuestionHandler::Ask(const Kiv::String& promptKey, Kiv::String& outText,
                                     const KUID& kuid, int32_t) {
    return AskConflictAction(promptKey, outText, kuid, nullptr);
}

int32_t ConflictQuestionHandler::AskConflictAction(const Kiv::String& prompt,
                                                   const Kiv::String& logText, const KUID& kuid,
                                                   ResultsLog* log) {
    const Kiv::String name = log ? KAVClient::GetAssetName(kuid) : Kiv::String();
    const int32_t answer = AskUser(prompt, kuid);
    const char* action = ActionKey(answer);
    if (log && action) {
        const ResultsLogParameters parameters = {
            {"asset_name", name.IsEmpty() ? Kiv::String(kuid.ToTag()) : name},
            {"action", GetInterfaceText(Kiv::PString(action))},
        };
        log->AddEntry(ResultsLogKind::Warning, nullptr, logText, &parameters);
    }
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = cancelled_ || answer == kConflictCancel;
    answers_[prompt.Std()] = answer;
    return answer;
}

bool ConflictQuestionHandler::IsCancelled() const {
    std::lock_guard<std::mutex> hold(lock_);
    return cancelled_;
}

std::optional<int32_t> ConflictQuestionHandler::LastAnswer(const Kiv::String& prompt) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = answers_.find(prompt.Std());
    if (found == answers_.end()) return std::nullopt;
    return found->second;
}

} // namespace KodrinUtil
