// Handing a finding to the error handler: the text is made by FormatFinding from a $tet_
// key and its values; without a handler (nothing set up) the finding is dropped.
#pragma once

#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_format.h"

namespace DAROdi::Report {

inline void ErrorInTag(Tag* tag, const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->ErrorInTag(text, tag);
}
inline void WarningInTag(Tag* tag, const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->WarningInTag(text, tag);
}
inline void ErrorInContainer(Container* container, const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->ErrorInContainer(text, container);
}
inline void WarningInContainer(Container* container, const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance())
        handler->WarningInContainer(text, container);
}
inline void Error(const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->Error(text);
}
inline void Warning(const Kiv::PString& text) {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->Warning(text);
}

} // namespace DAROdi::Report
