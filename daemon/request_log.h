// RequestLog: what the daemon tells the client about one request, as results-log entries
// (information, warning, error) sent as one kind-3 note before the reply, so the client's
// log for that request holds them when the reply arrives. Installs, refusals of asset
// changes and failures of the file system are all reported this way.
#pragma once

#include <cstdint>
#include <string>

#include "daemon/daemon_request.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/results_log.h"

class RequestLog {
  public:
    // An entry about the asset (the null KUID: about none); parameters fill the text's
    // "$(NAME)" placeholders.
    void Add(int32_t kind, const KUID& kuid, const std::string& text,
             const ResultsLogParameters* parameters = nullptr);
    void Error(const KUID& kuid, const std::string& text) {
        Add(ResultsLogKind::Error, kuid, text);
    }
    bool HasErrors() const { return log_.ErrorCount() != 0; }

    // Appends the note (when there is an entry) to the response's notes.
    void MoveTo(DaemonResponse& response, uint32_t transactionId);

  private:
    ResultsLog log_;
};
