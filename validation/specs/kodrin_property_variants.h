// The KodrinProperty variants that bind a property to a value held elsewhere: a
// four-character code, an int32, a float, a bool, flag bits of an int32, an interned
// string and a named entry of a setting store. Each reads and writes its variable through
// the value-text rules of the property family. The variable's owner keeps the property
// alive, so these are not counted: AddReference answers the property, Release does nothing.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/results/kodrin_property.h"

// A property bound to a variable the caller owns and that outlives the property.
template <typename Value> class KodrinPropertyBound : public KodrinProperty {
  public:
    KodrinPropertyBound(Kiv::PString name, Value* variable)
        : KodrinProperty(std::move(name)), variable_(variable) {}
    KodrinProperty* AddReference() override { return this; }
    using KodrinProperty::GetValueText;

  protected:
    Value* variable_;
};

// Text out "%c%c%c%c" from the most significant byte; text in padded with blanks to four
// characters, the first in the most significant byte.
class KodrinPropertyFourCC : public KodrinPropertyBound<int32_t> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};

// "%d"; text in by strtol base 10, no text 0.
class KodrinPropertyInt : public KodrinPropertyBound<int32_t> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};

// "%g"; text in by atof, no text 0.
class KodrinPropertyFloat : public KodrinPropertyBound<float> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};

// "true" or "false"; true exactly for "true", "t" or "1" in any case.
class KodrinPropertyBool : public KodrinPropertyBound<bool> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};

// "true" when every bit of the mask is set; a true text sets the mask bits, any other
// clears them.
class KodrinPropertyMask : public KodrinPropertyBound<int32_t> {
  public:
    KodrinPropertyMask(Kiv::PString name, int32_t* variable, int32_t mask)
        : KodrinPropertyBound(std::move(name), variable), mask_(mask) {}
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;

  private:
    int32_t mask_;
};

// The string itself, both ways.
class KodrinPropertyString : public KodrinPropertyBound<Kiv::PString> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};

// A store of named text settings.
class KodrinSettingStore {
  public:
    virtual ~KodrinSettingStore() = default;
    // The value stored under name; false when there is none.
    virtual bool GetSetting(const Kiv::PString& name, Kiv::String& value) const = 0;
    virtual void SetSetting(const Kiv::PString& name, const char* value) = 0;
};

// The store's entry under the property's name: its value (empty when there is none) out,
// the text stored in.
class KodrinPropertySetting : public KodrinPropertyBound<KodrinSettingStore> {
  public:
    using KodrinPropertyBound::KodrinPropertyBound;
    void SetValueText(const char* text) override;
    void GetValueText(Kiv::String& out) const override;
};
