// The notes of an install request: the log in the stream form the client reads into the
// request's results log, and the question in the form of the link.
#include "daemon/asset_install_run.h"

#include "daemon/link_frames.h"

namespace {

// The question asked first matches the installed asset's state. Columns: flag byte, bit,
// prompt key. An asset in none of these states is simply already installed.
struct ConflictPrompt {
    int flagByte;
    uint8_t bit;
    const char* key;
};

const ConflictPrompt kConflictPrompts[] = {
    {1, kFlagOpenForEdit, "$kav_prompt_openforedit"},
    {0, kFlagBuiltIn, "$kav_prompt_builtin"},
    {0, kFlagFromService, "$kav_prompt_fpx_item"},
};

constexpr const char* kAlreadyInstalledPrompt = "$kav_prompt_alreadyinstalled";

} // namespace

const char* ConflictPromptKey(const AssetRecord& installed) {
    for (const ConflictPrompt& prompt : kConflictPrompts) {
        if (installed.flags[prompt.flagByte] & prompt.bit) return prompt.key;
    }
    return kAlreadyInstalledPrompt;
}

void InstallRun::Hold(StagedAsset staged, const AssetRecord& installed) {
    if (held_.empty()) {
        DaemonNote question;
        question.kind = kNoteQuestion;
        question.payload =
            QuestionPayload(request_.transactionId, ConflictPromptKey(installed), staged.kuid);
        questions_.push_back(std::move(question));
    }
    Add(ResultsLogKind::Information, staged.kuid,
        "Already installed: it is replaced only when the question is answered so.");
    held_.push_back(std::move(staged));
}

void InstallRun::MoveNotesTo(DaemonResponse& response) {
    log_.MoveTo(response, request_.transactionId);
    for (DaemonNote& question : questions_)
        response.notes.push_back(std::move(question));
    questions_.clear();
}
