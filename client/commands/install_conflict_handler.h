// ConflictQuestionHandler: the question handler of installs. It answers whether an asset
// that is already installed is replaced: AskConflictAction asks the user (AskUser, which a
// concrete handler supplies), logs a warning naming the asset and what was done, remembers
// the answer under its prompt and keeps a cancelled flag once an answer 4 was given.
// Answers: 0 or 1 skip the asset, 2 or 3 replace it, 4 skip it and stop asking. The
// daemon's questions arrive through Ask on question threads, so the state is locked.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "link/kav/kav_question_handler.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

constexpr int32_t kConflictCancel = 4;

inline bool IsReplaceAnswer(int32_t answer) {
    return answer == 2 || answer == 3;
}
inline bool IsSkipAnswer(int32_t answer) {
    return answer == 0 || answer == 1;
}

class ConflictQuestionHandler : public KAVQuestionHandler {
  public:
    // A question of the daemon: asked and remembered like any other. The link gives no log
    // and discards outText, so nothing is logged.
    int32_t Ask(const Kiv::String& promptKey, Kiv::String& outText, const KUID& kuid,
                int32_t flags) override;

    // Asks about the asset; with a log, adds the warning logText with the parameters
    // asset_name (the asset's name, else its KUID tag) and action (what was done).
    int32_t AskConflictAction(const Kiv::String& prompt, const Kiv::String& logText,
                              const KUID& kuid, ResultsLog* log);

    bool IsCancelled() const;
    // The last answer given under the prompt; none when it was never asked.
    std::optional<int32_t> LastAnswer(const Kiv::String& prompt) const;

  protected:
    // The user's answer to the prompt about the asset.
    virtual int32_t AskUser(const Kiv::String& prompt, const KUID& kuid) = 0;

  private:
    mutable std::mutex lock_;
    bool cancelled_ = false;
    std::map<std::string, int32_t> answers_;
};

} // namespace KodrinUtil
