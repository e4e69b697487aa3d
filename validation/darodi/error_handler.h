// DAROdi::ErrorHandler: the process-wide collector of one validation stage's findings:
// errors, warnings and messages, each about a container, a tag or nothing in particular.
// The matcher, the rules and the file checks report into it; the driver clears it at the
// start of each stage and copies its warnings and errors into the caller's results log. A
// finding that repeats one already held for the same subject (the same interned text) is
// dropped, so a rule that fires on every visit reports once. Subjects are compared by
// identity and never read through; when a subject is destroyed its first finding goes and
// the later ones forget it, so no entry keeps a pointer to a deleted object.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/pstring.h"

namespace DAROdi {

class Container;
class Tag;

namespace Severity {
constexpr int32_t kMessage = 0;
constexpr int32_t kWarning = 2;
constexpr int32_t kError = 3;
} // namespace Severity

struct ErrorEntry {
    Container* container = nullptr;
    Tag* tag = nullptr;
    Kiv::PString text;
    int32_t severity = Severity::kMessage;
};

class ErrorHandler {
  public:
    virtual ~ErrorHandler() = default;

    // Deletes every entry.
    virtual void Clear();

    // The adders: true when the finding was added, false when it repeated one held.
    virtual bool ErrorInContainer(const Kiv::PString& text, Container* container);
    virtual bool ErrorInTag(const Kiv::PString& text, Tag* tag);
    virtual bool Error(const Kiv::PString& text);
    virtual bool WarningInContainer(const Kiv::PString& text, Container* container);
    virtual bool WarningInTag(const Kiv::PString& text, Tag* tag);
    virtual bool Warning(const Kiv::PString& text);
    virtual bool MessageInContainer(const Kiv::PString& text, Container* container);
    virtual bool MessageInTag(const Kiv::PString& text, Tag* tag);
    virtual bool Message(const Kiv::PString& text);

    // Progress hooks: they record nothing and answer true.
    virtual bool Trace(const Kiv::PString& text, Container* container);
    virtual bool TraceTag(const Kiv::PString& text, Tag* tag);

    // True when no entry holds the text, whatever its subject.
    virtual bool IsNewText(const Kiv::PString& text) const;
    // Replaces the entries by a copy of the given ones.
    virtual void SetEntries(const std::vector<ErrorEntry>& entries);
    // With echo on, every finding added is also printed: its severity's prefix text, the
    // finding, a line end.
    virtual void SetEcho(bool echo);
    // The subject is going: its first entry is deleted, later entries lose the subject.
    virtual void RemoveTagEntry(const Tag* tag);
    virtual void RemoveContainerEntry(const Container* container);
    virtual const std::vector<ErrorEntry>& GetEntries() const;

    // The singleton's life: made at start-up (echo off, empty), cleared, destroyed at
    // shut-down. Instance is null while none exists.
    static void CreateInstance();
    static void ClearInstance();
    static void DestroyInstance();
    static ErrorHandler* Instance();

  private:
    bool Add(const ErrorEntry& entry);
    bool IsRepeat(const ErrorEntry& entry) const;
    void Echo(const ErrorEntry& entry) const;

    bool echo_ = false;
    std::vector<ErrorEntry> entries_;
};

} // namespace DAROdi
