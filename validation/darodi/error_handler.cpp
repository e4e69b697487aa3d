// The error handler's repeat rule, echo and subject removal, and the singleton's life.
#include "validation/darodi/error_handler.h"

#include <cstdio>
#include <memory>

#include "foundation/text/interface_text.h"

namespace DAROdi {

namespace {

std::unique_ptr<ErrorHandler>& Singleton() {
    static std::unique_ptr<ErrorHandler> singleton;
    return singleton;
}

// The interface-text key whose text prefixes the echo of a severity.
const char* EchoPrefixKey(int32_t severity) {
    if (severity == Severity::kError) return "$tet_eh_error";
    if (severity == Severity::kWarning) return "$tet_eh_warning";
    return "$tet_eh_message";
}

// Removes the first entry whose subject field is subject; the rest forget it.
template <typename Subject>
void RemoveSubject(std::vector<ErrorEntry>& entries, Subject* ErrorEntry::*field,
                   const Subject* subject) {
    if (!subject) return;
    bool removed = false;
    for (auto it = entries.begin(); it != entries.end();) {
        if ((*it).*field != subject) {
            ++it;
        } else if (!removed) {
            it = entries.erase(it);
            removed = true;
        } else {
            (*it).*field = nullptr;
            ++it;
        }
    }
}

} // namespace

void ErrorHandler::Clear() {
    entries_.clear();
}

bool ErrorHandler::ErrorInContainer(const Kiv::PString& text, Container* container) {
    return Add({container, nullptr, text, Severity::kError});
}

bool ErrorHandler::ErrorInTag(const Kiv::PString& text, Tag* tag) {
    return Add({nullptr, tag, text, Severity::kError});
}

bool ErrorHandler::Error(const Kiv::PString& text) {
    return Add({nullptr, nullptr, text, Severity::kError});
}

bool ErrorHandler::WarningInContainer(const Kiv::PString& text, Container* container) {
    return Add({container, nullptr, text, Severity::kWarning});
}

bool ErrorHandler::WarningInTag(const Kiv::PString& text, Tag* tag) {
    return Add({nullptr, tag, text, Severity::kWarning});
}

bool ErrorHandler::Warning(const Kiv::PString& text) {
    return Add({nullptr, nullptr, text, Severity::kWarning});
}

bool ErrorHandler::MessageInContainer(const Kiv::PString& text, Container* container) {
    return Add({container, nullptr, text, Severity::kMessage});
}

bool ErrorHandler::MessageInTag(const Kiv::PString& text, Tag* tag) {
    return Add({nullptr, tag, text, Severity::kMessage});
}

bool ErrorHandler::Message(const Kiv::PString& text) {
    return Add({nullptr, nullptr, text, Severity::kMessage});
}

bool ErrorHandler::Trace(const Kiv::PString&, Container*) {
    return true;
}

bool ErrorHandler::TraceTag(const Kiv::PString&, Tag*) {
    return true;
}

bool ErrorHandler::IsNewText(const Kiv::PString& text) const {
    for (const ErrorEntry& entry : entries_) {
        if (entry.text == text) return false;
    }
    return true;
}

void ErrorHandler::SetEntries(const std::vector<ErrorEntry>& entries) {
    entries_ = entries;
}

void ErrorHandler::SetEcho(bool echo) {
    echo_ = echo;
}

void ErrorHandler::RemoveTagEntry(const Tag* tag) {
    RemoveSubject(entries_, &ErrorEntry::tag, tag);
}

void ErrorHandler::RemoveContainerEntry(const Container* container) {
    RemoveSubject(entries_, &ErrorEntry::container, container);
}

const std::vector<ErrorEntry>& ErrorHandler::GetEntries() const {
    return entries_;
}

// A subject-free finding repeats any entry of its text; one with a subject repeats only an
// entry of the same subject and text.
bool ErrorHandler::IsRepeat(const ErrorEntry& entry) const {
    for (const ErrorEntry& held : entries_) {
        if (held.text != entry.text) continue;
        if (!entry.container && !entry.tag) return true;
        if (entry.container && held.container == entry.container) return true;
        if (entry.tag && held.tag == entry.tag) return true;
    }
    return false;
}

void ErrorHandler::Echo(const ErrorEntry& entry) const {
    const Kiv::PString prefix =
        InterfaceTextDB::Instance().GetString(Kiv::PString(EchoPrefixKey(entry.severity)), true);
    std::printf("%s%s\n", prefix.c_str(), entry.text.c_str());
}

bool ErrorHandler::Add(const ErrorEntry& entry) {
    if (IsRepeat(entry)) return false;
    if (echo_) Echo(entry);
    entries_.push_back(entry);
    return true;
}

void ErrorHandler::CreateInstance() {
    if (!Singleton()) Singleton().reset(new ErrorHandler);
}

void ErrorHandler::ClearInstance() {
    if (Singleton()) Singleton()->Clear();
}

void ErrorHandler::DestroyInstance() {
    ClearInstance();
    Singleton().reset();
}

ErrorHandler* ErrorHandler::Instance() {
    return Singleton().get();
}

} // namespace DAROdi
