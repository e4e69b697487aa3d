// The kind, category and region tables: their sizes and end rows, the kind lookup with and
// without qualifiers, one probe per legacy group (and the codes that several groups share),
// the shadowed last kind row, and the region code packing.
#include "validation/darodi/category_tables.h"

#include <gtest/gtest.h>

#include <string>

#include "validation/darodi/category_tokens.h"
#include "validation/darodi/spec_key_names.h"

namespace {

using namespace DAROdi;

TEST(CategoryTables, RowCountsAndEndRows) {
    ASSERT_EQ(KindCategoryTable.size(), 60u);
    EXPECT_TRUE(KindCategoryTable.back().kind.IsNull());
    EXPECT_TRUE(KindCategoryTable.back().qualifier.IsNull());
    EXPECT_TRUE(KindCategoryTable.back().category.IsEmpty());
    ASSERT_EQ(LegacyKindCodeTable.size(), 161u);
    EXPECT_STREQ(LegacyKindCodeTable.back().kind, "");
    EXPECT_STREQ(LegacyKindCodeTable.back().code, "");
    EXPECT_TRUE(LegacyKindCodeTable.back().category.IsEmpty());
    ASSERT_EQ(CategoryDisplayTable.size(), 37u);
    EXPECT_STREQ(CategoryDisplayTable.back().category, "");
    ASSERT_EQ(KindCodeTable.size(), 28u);
    EXPECT_STREQ(KindCodeTable[26].category, "");
    EXPECT_EQ(KindCodeTable[26].kindWord, Kiv::PString("misc"));
    EXPECT_EQ(KindCodeTable[26].flag, -1);
    EXPECT_TRUE(KindCodeTable.back().kindWord.IsNull());
    EXPECT_EQ(RegionTable.size(), 20u);
}

TEST(CategoryTables, TheLastKindRowIsShadowedButKept) {
    const KindCategoryRow& last = KindCategoryTable[58];
    EXPECT_EQ(last.kind, Kiv::PString("library"));
    EXPECT_EQ(last.qualifier, Kiv::PString("achievementvariable"));
    EXPECT_EQ(last.category, "SLIB;ACHU");
    EXPECT_EQ(LookupKindCategory("library", "achievementvariable"), "SLIB");
}

struct KindCase {
    const char* kind;
    const char* qualifier;
    const char* category;
};

TEST(CategoryTables, KindLookupTakesTheFirstFittingRow) {
    const KindCase cases[] = {
        {"bridge", "road", "SPLN;BRG"},
        {"bridge", "road;tunnels", "SPLN;TUN"},
        {"bridge", "tunnels;road", "SPLN;TUN"},
        {"bridge", nullptr, "SPLN;BRG"},
        {"bridge", "tunnels", "TK;TUN"},
        {"bridge", "rails", "TK"},
        {"track", "road", "SPLN"},
        {"track", "track", "TK"},
        {"track", "other", "SPLN"},
        {"traincar", "tender", "TR;TV;TEND"},
        {"traincar", "locomotive", "TR;TV;LOCO"},
        {"traincar", nullptr, "TR;TV"},
        {"scenery", "trackside", "TO"},
        {"scenery", nullptr, "SY;SCEN"},
        {"mosignal", nullptr, "TO;?WA"},
        {"achievement-category", nullptr, "ACHC"},
        {"fixedtrack", "anything", "FIXD;SWT"},
        // The kind is an exact interned name: callers lower-case it first.
        {"Bridge", nullptr, ""},
        {"locomotive", nullptr, ""},
        {"", "road", ""},
    };
    for (const KindCase& c : cases) {
        EXPECT_EQ(LookupKindCategory(c.kind, c.qualifier), c.category)
            << c.kind << " / " << (c.qualifier ? c.qualifier : "(none)");
    }
}

struct LegacyCase {
    const char* kind;
    const char* code;
    const char* category;
};

// One code of each of the 81 groups, with its own kind.
const LegacyCase kGroupProbes[] = {
    {"traincar", "AC", "TR;TV;LOC;ELEC"},     {"traincar", "AM", "TR;TV;LOC;OTHR"},
    {"traincar", "AL", "TR;TV;LOC;DIES"},     {"traincar", "AS", "TR;TV;TDR"},
    {"traincar", "AT", "TR;TV;LOC;STEM"},     {"buildable", "BB", "BD;BDB;FIXD"},
    {"scenery", "BC", "BD;COM"},              {"scenery", "BH", "BD;RES"},
    {"scenery", "BI", "BD;IND;NACT"},         {"industry", "BIN", "BD;IND;ACTV"},
    {"scenery", "BPN", "BD;STA;NACT"},        {"industry", "BPF", "BD;STA;ACTV"},
    {"scenery", "BR", "BD;RRD"},              {"scenery", "BS", "BD;SPC"},
    {"scenery", "BU", "BD;UTL"},              {"scenery", "BT", "RD;ACC"},
    {"traincar", "CC", "TR;TV;CAB"},          {"environment", "ES", "TX;ENV;SKYS"},
    {"water2", "EW", "TX;ENV;AQUA"},          {"scenery", "FT", "FL;SCEN"},
    {"groundtexture", "GS", "TX;ENV;GRND"},   {"mesh", "HM", "CMP;MESH"},
    {"product", "IC", "CY;CON"},              {"product", "IP", "CY;PAX"},
    {"product", "IB", "CY;BKL"},              {"product", "IL", "CY;LIQ"},
    {"texture", "JP", "TX;NEV"},              {"texture-group", "JO", "TX;NEV"},
    {"traincar", "LT", "TR;TV;TRM"},          {"traincar", "LS", "TR;TV;LTR"},
    {"traincar", "LM", "TR;TV;MNR"},          {"traincar", "MW", "TR;TV;MNT"},
    {"traincar", "XGT", "TR;TV;FRT;HOPP"},    {"traincar", "OA", "FA"},
    {"scenery", "OH", "PP"},                  {"drivercharacter", "OHD", "DR"},
    {"traincar", "PO", "TR;TV;PAX;SEAT"},     {"traincar", "PM", "TR;TV;PAX;MAIL"},
    {"traincar", "PX", "TR;TV;PAX;OTHR"},     {"traincar", "RC", "TR;TV;RCR;ELEC"},
    {"traincar", "RP", "TR;TV;RCR;DIES"},     {"traincar", "RS", "TR;TV;RCR;STEM"},
    {"track", "SF", "SY;FNC;SPLN"},           {"track", "SP", "SY;SPLN"},
    {"track", "SR", "RD;SPLN"},               {"track", "SS", "SY;PWL;SPLN"},
    {"track", "SV", "FL;SPLN"},               {"bridge", "TB", "TK;BRG"},
    {"bridge", "TT", "TK;TUN"},               {"track", "TR", "TK;RLS"},
    {"spline", "SP", "RD;SPLN"},              {"bridge", "TR", "TK;RLS"},
    {"fixedtrack", "TF", "RLS;FIXD;SWT"},     {"scenery", "VA", "VE;AIR"},
    {"scenery", "VL", "VE;LND"},              {"scenery", "VS", "VE;SEA"},
    {"scenery", "WA", "TO;SIG"},              {"scenery", "WS", "TO;SIN"},
    {"scenery", "WX", "TO"},                  {"traincar", "XTM", "TR;TV;FRT;TANK"},
    {"traincar", "XFM", "TR;TV;FRT;FLAT"},    {"traincar", "XAB", "TR;TV;FRT;RACK"},
    {"traincar", "XVP", "TR;TV;FRT;REEF"},    {"traincar", "XLH", "TR;TV;FRT;ANTX"},
    {"traincar", "XSU", "TR;TV;FRT;OTHR"},    {"drivercommand", "YD", "SQ;GEN"},
    {"htmlasset", "YH", "HT"},                {"map", "YM", "RT"},
    {"profile", "YP", "SS"},                  {"profile", "YT", "SS;TUT"},
    {"region", "YX", "REGN"},                 {"behavior", "YR", "RU;GEN"},
    {"activity", "YS", "SC"},                 {"traincar", "ZE", "TR;CMP;ESPC"},
    {"hornsound", "ZH", "TR;CMP;HORN"},       {"interior", "ZI", "TR;CMP;INTR"},
    {"pantograph", "ZP", "TR;CMP;PANT"},      {"enginesound", "ZS", "TR;CMP;ESND"},
    {"bogey", "ZB", "TR;CMP;BOGY"},           {"huebarn-template", "ZX", "HBT"},
    {"huebarn-skin", "ZY", "HBS"},
};

TEST(CategoryTables, LegacyLookupProbesEveryGroup) {
    ASSERT_EQ(std::size(kGroupProbes), 81u);
    for (const LegacyCase& c : kGroupProbes) {
        EXPECT_EQ(LookupLegacyCategory(c.kind, c.code), c.category) << c.kind << " " << c.code;
    }
}

TEST(CategoryTables, LegacyLookupKindsCodesAndSharedCodes) {
    const LegacyCase cases[] = {
        // Kind and code are compared ignoring case.
        {"TrainCar", "as", "TR;TV;TDR"},
        {"scenery", "br", "BD;RRD"},
        // An empty kind fits any row; rows of any kind fit any kind argument.
        {"", "AS", "TR;TV;TDR"},
        {nullptr, "FT", "FL;SCEN"},
        {"traincar", "FS", "FL;SCEN"},
        // Shared codes: the kind decides, else the earlier row.
        {"", "SP", "SY;SPLN"},
        {"spline", "sp", "RD;SPLN"},
        {"", "JO", "TX;NEV"},
        {"bridge", "TR", "TK;RLS"},
        // A row of another kind, an unknown code, a code's prefix, no code.
        {"scenery", "ZB", ""},
        {"traincar", "ZZ", ""},
        {"traincar", "XG", "TR;TV;FRT;HOPP"},
        {"traincar", "X", ""},
        {"traincar", "", ""},
        {"traincar", nullptr, ""},
    };
    for (const LegacyCase& c : cases) {
        EXPECT_EQ(LookupLegacyCategory(c.kind, c.code), c.category)
            << (c.kind ? c.kind : "(null)") << " " << (c.code ? c.code : "(null)");
    }
}

TEST(CategoryTables, RegionCodesPackTwoCharactersOverTwoBlanks) {
    EXPECT_EQ(PackRegionCode('U', 'K'), 0x2020554Bu);
    EXPECT_EQ(PackRegionCode('0', '0'), 0x20203030u);
    EXPECT_EQ(RegionTable.front().code, 0x20203030u);
    EXPECT_EQ(RegionTable.front().name, "Generic");
    EXPECT_EQ(RegionTable[13].code, 0x2020554Bu);
    EXPECT_EQ(RegionTable[13].name, "GB");
    EXPECT_EQ(RegionTable.back().code, 0x20204553u);
    EXPECT_EQ(RegionTable.back().name, "ESP");
}

TEST(CategoryTables, KeyNamesAreInternedBeforeUse) {
    EXPECT_EQ(KeyNames::categoryClass, Kiv::PString("category-class"));
    EXPECT_EQ(KeyNames::scriptIncludeTable, Kiv::PString("script-include-table"));
    EXPECT_EQ(KeyNames::defaultName, Kiv::PString("default"));
}

}  // namespace
