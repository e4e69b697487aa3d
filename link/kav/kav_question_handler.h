// KAVQuestionHandler: what the caller of a request supplies to answer the daemon's questions
// about it. A question arrives as a notification while the request waits and is answered
// on a thread of its own; the handler's answer goes back to the daemon as request 150.
#pragma once

#include <cstdint>

#include "engine/string.h"
#include "foundation/kuid/kuid.h"

class KAVQuestionHandler {
public:
    virtual ~KAVQuestionHandler() = default;
    // promptKey names the question's interface text; outText is discarded by the link;
    // flags is always 0. Called on a question thread, never on the requester's.
    virtual int32_t Ask(const Kiv::String& promptKey, Kiv::String& outText, const KUID& kuid,
                        int32_t flags) = 0;
};
