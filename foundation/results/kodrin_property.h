// Asset properties: a KodrinProperty is a named value with a text form. The one kind in
// use is KodrinPropertyAssetID (kind code 8), a counted property whose value is a KUID; it
// is the subject of results-log entries. KodrinPropertyHandle holds one counted reference
// and releases it when it is released, reassigned or destroyed; Release clears the handle,
// so releasing twice drops one reference only.
#pragma once

#include <cstdint>
#include <utility>

#include "engine/alloc.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/results/identifiable_type.h"
#include "foundation/kuid/kuid.h"

class TStream;

class KodrinProperty : public IdentifiableType {
  public:
    static constexpr int32_t kAssetIDKindCode = 8;

    explicit KodrinProperty(Kiv::PString name) : name_(std::move(name)) {}
    KodrinProperty(const KodrinProperty&) = delete;
    KodrinProperty& operator=(const KodrinProperty&) = delete;

    const Kiv::PString& Name() const { return name_; }
    int32_t KindCode() const { return kindCode_; }

    // Sets the value from its text; the base has no value and ignores it.
    virtual void SetValueText(const char* text);
    // The value as text; the empty text in the base.
    virtual void GetValueText(Kiv::String& out) const;
    // A new reference to this property; returns the property.
    virtual KodrinProperty* AddReference() = 0;
    // Drops one reference; nothing in the base.
    virtual void Release() {}

    // The value text, interned.
    Kiv::PString GetValueText() const;

  private:
    Kiv::PString name_;
    int32_t kindCode_ = kAssetIDKindCode;
};

// A property that lives while references to it exist: it starts with one (its creator's)
// and the release of the last deletes it.
class KodrinPropertyRefCounted : public KodrinProperty, public Kiv::ReferenceCount {
  public:
    using KodrinProperty::KodrinProperty;

    KodrinProperty* AddReference() override {
        Kiv::ReferenceCount::AddReference();
        return this;
    }
    void Release() override { ReleaseReference(); }
};

class KodrinPropertyAssetID : public KodrinPropertyRefCounted {
  public:
    KodrinPropertyAssetID(Kiv::PString name, const KUID& value)
        : KodrinPropertyRefCounted(std::move(name)), value_(value) {}

    const KUID& Value() const { return value_; }

    // The lenient KUID parse: bad text gives the null KUID.
    void SetValueText(const char* text) override { value_ = KUID::Parse(text, false); }
    // KUID::ToTag of the value.
    void GetValueText(Kiv::String& out) const override { out = value_.ToTag(); }
    using KodrinProperty::GetValueText;

    KodrinPropertyAssetID* AddReference() override {
        KodrinPropertyRefCounted::AddReference();
        return this;
    }

  private:
    KUID value_;
};

class KodrinPropertyHandle {
  public:
    KodrinPropertyHandle() = default;
    KodrinPropertyHandle(const KodrinPropertyHandle& other) { Assign(other); }
    KodrinPropertyHandle(KodrinPropertyHandle&& other) noexcept : property_(other.property_) {
        other.property_ = nullptr;
    }
    KodrinPropertyHandle& operator=(const KodrinPropertyHandle& other) {
        Assign(other);
        return *this;
    }
    KodrinPropertyHandle& operator=(KodrinPropertyHandle&& other) noexcept;
    ~KodrinPropertyHandle() { Release(); }

    KodrinProperty* Get() const { return property_; }
    bool IsNull() const { return property_ == nullptr; }

    // Takes the other handle's property with a reference added (or none), dropping the
    // reference held before.
    void Assign(const KodrinPropertyHandle& other);
    // The same for an asset-id property, which may be null.
    void AssignAssetID(KodrinPropertyAssetID* property);
    // Takes over the caller's reference to property, dropping the reference held before.
    void Attach(KodrinProperty* property);
    // Drops the held reference, if any, and clears the handle.
    void Release();
    // Clears the handle without dropping the reference (the caller takes it over).
    void Reset() { property_ = nullptr; }

    // The held property's value text, or the empty string when there is none.
    Kiv::PString GetValueText() const;

  private:
    void Replace(KodrinProperty* property);

    KodrinProperty* property_ = nullptr;
};

// The stream form of a subject: int32 kind code (0 for none), then for a property its name
// and value text in the Kiv::PString form. Reading releases what the handle held; kind 8
// becomes a new KodrinPropertyAssetID, other kinds are consumed and give none. False, with
// the handle empty and the stream's error set, when the form did not read whole.
void WriteKodrinProperty(TStream& stream, const KodrinPropertyHandle& handle);
bool ReadKodrinProperty(TStream& stream, KodrinPropertyHandle& handle);
