// The value-text rules of the bound property variants.
#include "validation/specs/kodrin_property_variants.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/ascii.h"

namespace {

bool IsTrueText(const char* text) {
    if (!text) return false;
    std::string lower(text);
    for (char& c : lower)
        c = Kiv::Ascii::ToLower(c);
    return lower == "true" || lower == "t" || lower == "1";
}

const char* TruthText(bool value) {
    return value ? "true" : "false";
}

} // namespace

void KodrinPropertyFourCC::SetValueText(const char* text) {
    std::string padded = text ? text : "";
    padded.resize(std::max<size_t>(padded.size(), 4), ' ');
    uint32_t code = 0;
    for (int i = 0; i < 4; ++i)
        code = (code << 8) | static_cast<unsigned char>(padded[static_cast<size_t>(i)]);
    *variable_ = static_cast<int32_t>(code);
}

void KodrinPropertyFourCC::GetValueText(Kiv::String& out) const {
    const auto code = static_cast<uint32_t>(*variable_);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFF);
    out = Kiv::String(text.c_str(), text.size());
}

// Out-of-range text saturates at the int32 limits, as strtol does at long's.
void KodrinPropertyInt::SetValueText(const char* text) {
    if (!text) {
        *variable_ = 0;
        return;
    }
    const long value = std::strtol(text, nullptr, 10);
    *variable_ = static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

void KodrinPropertyInt::GetValueText(Kiv::String& out) const {
    out = Kiv::String(std::to_string(*variable_).c_str());
}

void KodrinPropertyFloat::SetValueText(const char* text) {
    *variable_ = text ? static_cast<float>(std::strtod(text, nullptr)) : 0.0f;
}

void KodrinPropertyFloat::GetValueText(Kiv::String& out) const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(*variable_));
    out = Kiv::String(buffer);
}

void KodrinPropertyBool::SetValueText(const char* text) {
    *variable_ = IsTrueText(text);
}

void KodrinPropertyBool::GetValueText(Kiv::String& out) const {
    out = Kiv::String(TruthText(*variable_));
}

void KodrinPropertyMask::SetValueText(const char* text) {
    *variable_ = IsTrueText(text) ? (*variable_ | mask_) : (*variable_ & ~mask_);
}

void KodrinPropertyMask::GetValueText(Kiv::String& out) const {
    out = Kiv::String(TruthText((*variable_ & mask_) == mask_));
}

void KodrinPropertyString::SetValueText(const char* text) {
    *variable_ = Kiv::PString(text);
}

void KodrinPropertyString::GetValueText(Kiv::String& out) const {
    out = Kiv::String(*variable_);
}

void KodrinPropertySetting::SetValueText(const char* text) {
    variable_->SetSetting(Name(), text ? text : "");
}

void KodrinPropertySetting::GetValueText(Kiv::String& out) const {
    if (!variable_->GetSetting(Name(), out)) out = Kiv::String();
}
