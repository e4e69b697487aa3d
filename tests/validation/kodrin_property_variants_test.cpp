// The text rules of the bound property variants, both ways.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "validation/specs/kodrin_property_variants.h"

namespace {

std::string TextOf(const KodrinProperty& property) {
    return std::string(property.GetValueText().View());
}

TEST(KodrinPropertyVariants, FourCharacterCodePacksFromTheMostSignificantByte) {
    int32_t code = 0;
    KodrinPropertyFourCC property(Kiv::PString("format"), &code);
    property.SetValueText("DXT1");
    EXPECT_EQ(static_cast<uint32_t>(code), 0x44585431u);
    EXPECT_EQ(TextOf(property), "DXT1");
    property.SetValueText("ab");
    EXPECT_EQ(static_cast<uint32_t>(code), 0x61622020u); // padded with blanks
    property.SetValueText("abcdef");
    EXPECT_EQ(TextOf(property), "abcd");
}

TEST(KodrinPropertyVariants, NumbersReadLikeStrtolAndAtof) {
    int32_t number = 5;
    KodrinPropertyInt integer(Kiv::PString("n"), &number);
    struct Case {
        const char* in;
        int32_t value;
    };
    for (const Case& c : {Case{"-17", -17}, Case{"12abc", 12}, Case{"", 0}, Case{nullptr, 0},
                          Case{"99999999999", INT32_MAX}}) {
        integer.SetValueText(c.in);
        EXPECT_EQ(number, c.value) << (c.in ? c.in : "null");
    }
    number = -3;
    EXPECT_EQ(TextOf(integer), "-3");

    float real = 1.0f;
    KodrinPropertyFloat floating(Kiv::PString("f"), &real);
    floating.SetValueText("0.25");
    EXPECT_EQ(real, 0.25f);
    EXPECT_EQ(TextOf(floating), "0.25");
    floating.SetValueText(nullptr);
    EXPECT_EQ(TextOf(floating), "0");
    real = 1e20f;
    EXPECT_EQ(TextOf(floating), "1e+20");
}

TEST(KodrinPropertyVariants, TruthTextsSetBoolsAndMaskBits) {
    bool flag = false;
    KodrinPropertyBool boolean(Kiv::PString("b"), &flag);
    int32_t bits = 0x100;
    KodrinPropertyMask mask(Kiv::PString("m"), &bits, 0x6);
    struct Case {
        const char* in;
        bool truth;
    };
    for (const Case& c : {Case{"true", true}, Case{"T", true}, Case{"1", true}, Case{"TRUE", true},
                          Case{"yes", false}, Case{"0", false}, Case{"", false},
                          Case{"true ", false}}) {
        boolean.SetValueText(c.in);
        mask.SetValueText(c.in);
        EXPECT_EQ(flag, c.truth) << c.in;
        EXPECT_EQ(bits, c.truth ? 0x106 : 0x100) << c.in;
        EXPECT_EQ(TextOf(boolean), c.truth ? "true" : "false");
        EXPECT_EQ(TextOf(mask), c.truth ? "true" : "false");
    }
    bits = 0x2; // only part of the mask
    EXPECT_EQ(TextOf(mask), "false");
}

class MapStore : public KodrinSettingStore {
  public:
    bool GetSetting(const Kiv::PString& name, Kiv::String& value) const override {
        auto found = values.find(std::string(name.View()));
        if (found == values.end()) return false;
        value = Kiv::String(found->second.c_str());
        return true;
    }
    void SetSetting(const Kiv::PString& name, const char* value) override {
        values[std::string(name.View())] = value;
    }
    std::map<std::string, std::string> values;
};

TEST(KodrinPropertyVariants, StringsAndSettingEntries) {
    Kiv::PString held;
    KodrinPropertyString text(Kiv::PString("s"), &held);
    text.SetValueText("Coal wagon");
    EXPECT_EQ(held, Kiv::PString("Coal wagon"));
    EXPECT_EQ(TextOf(text), "Coal wagon");

    MapStore store;
    KodrinPropertySetting setting(Kiv::PString("language"), &store);
    EXPECT_EQ(TextOf(setting), "");
    setting.SetValueText("de");
    EXPECT_EQ(store.values["language"], "de");
    EXPECT_EQ(TextOf(setting), "de");
    EXPECT_EQ(setting.AddReference(), &setting);
}

} // namespace
