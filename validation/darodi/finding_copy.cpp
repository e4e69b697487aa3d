// Copying findings into the log.
#include "validation/darodi/finding_copy.h"

#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/keywords.h"

namespace DAROdi {

void AddAssetEntry(ResultsLog& log, int32_t kind, const ACSChunkRef& config,
                   const Kiv::PString& text) {
    const KUID kuid = config.GetNamedTagAsKUID(Words().kuid, KUID::Null());
    auto* subject = new KodrinPropertyAssetID(Kiv::PString(), kuid);
    log.AddEntry(kind, subject, Kiv::String(text));
    subject->Release();
}

void CopyFindings(ResultsLog& log, const ACSChunkRef& config) {
    const ErrorHandler* handler = ErrorHandler::Instance();
    if (!handler) return;
    for (const ErrorEntry& entry : handler->GetEntries()) {
        if (entry.severity == Severity::kWarning || entry.severity == Severity::kError)
            AddAssetEntry(log, entry.severity, config, entry.text);
    }
}

} // namespace DAROdi
