// The type operations of export, by type code.
#include "validation/darodi/tag_export.h"

#include <array>

#include "foundation/kuid/kuid.h"
#include "validation/darodi/build_stamp.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/file_extensions.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/check_kuid_value.h"
#include "validation/darodi/number_list.h"
#include "validation/darodi/report.h"
#include "validation/darodi/tag_types.h"

namespace DAROdi {

namespace {

constexpr int kSoundMayBeEmptyBefore = 310;

Kiv::PString ContainerName(const Tag& tag) {
    return tag.parent ? tag.parent->name : Kiv::PString();
}

void ReportEmpty(Tag& tag, const char* key) {
    Report::ErrorInTag(&tag, FormatFinding(key, tag.name, ContainerName(tag)));
}

bool ReportEmptyName(Tag& tag) {
    if (!tag.name.IsEmpty()) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_container_emptyname", tag.name, ContainerName(tag)));
    return false;
}

void WriteNumbers(Tag& tag, ACSChunkRef& soup) {
    const std::vector<float> numbers = ParseNumberList(tag.value.View());
    soup.SetNamedTagFloatArray(tag.name, numbers);
}

KUID ParsedKUID(const Tag& tag) {
    return KUID::Parse(tag.value.c_str(), false);
}

bool CheckVector(Tag& tag, ACSChunkRef& soup, int size) {
    const bool rules = tag.RunRules();
    const bool sized = CheckArraySize(&tag, size);
    WriteNumbers(tag, soup);
    return rules && sized;
}

bool CheckListValue(Tag& tag, ACSChunkRef& soup, const char* emptyKey) {
    if (tag.value.IsEmpty()) ReportEmpty(tag, emptyKey);
    const bool listed = !tag.listSourceFlag || CheckListSource(tag);
    const bool rules = tag.RunRules();
    soup.SetNamedTagString(tag.name, tag.value.c_str());
    return listed && rules;
}

bool CheckPath(Tag& tag, ACSChunkRef& soup, bool edit) {
    if (tag.value.IsEmpty()) {
        ReportEmpty(tag, "$tet_container_emptystringwarn");
        return false;
    }
    if (const char* key = MissingExtensionFinding(tag.datatype, tag.value, edit))
        ReportEmpty(tag, key);
    const bool rules = tag.RunRules();
    Kiv::File::Path path(tag.value.View());
    if (path.IsExt("txt")) path.SetExt("");
    soup.SetNamedTagString(tag.name, path.c_str());
    return rules;
}

using Operation = bool (*)(Tag&, ACSChunkRef&);

bool Nothing(Tag&, ACSChunkRef&) {
    return true;
}

constexpr std::array<Operation, 21> kOperations{{
    &ExportFloat, &CheckString, &Nothing, &ExportInt, &ExportBool, &CheckVector2,
    &CheckVector3, &CheckVector4, &CheckVector5, &ExportFloatList, &CheckComboBox,
    &CheckIntComboBox, &CheckListBox, &CheckDoubleString, &ExportKUID, &CheckFilePath,
    &CheckFilePathEdit, &CheckStringKUID, &CheckKUIDBrowser, &CheckStringKUIDBrowser,
    &ExportString,
}};

} // namespace

bool ExportTag(Tag& tag, ACSChunkRef& soup) {
    if (tag.typeCode < 0 || tag.typeCode >= static_cast<int32_t>(kOperations.size())) return true;
    return kOperations[static_cast<size_t>(tag.typeCode)](tag, soup);
}

bool ExportFloat(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    soup.SetNamedTagFloat(tag.name, ParseFloatToFloatC(tag.value.View()));
    return rules;
}

bool CheckString(Tag& tag, ACSChunkRef& soup) {
    bool passed = true;
    if (tag.value.IsEmpty()) {
        const bool soundMayBeEmpty =
            tag.parent && tag.parent->name == Words().sound &&
            StampHundredths(DataManager::Instance().buildStamp) < kSoundMayBeEmptyBefore;
        if (!soundMayBeEmpty) {
            ReportEmpty(tag, "$tet_container_emptystringerr");
            passed = false;
        }
    } else {
        passed = tag.RunRules();
    }
    soup.SetNamedTagString(tag.name, tag.value.c_str());
    return passed;
}

bool ExportInt(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    soup.SetNamedTagInt(tag.name, ParseIntC(tag.value.View()));
    return rules;
}

bool ExportBool(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    soup.SetNamedTagInt(tag.name, tag.value.View() == "1" ? 1 : 0);
    return rules;
}

bool CheckVector2(Tag& tag, ACSChunkRef& soup) {
    return CheckVector(tag, soup, 2);
}

bool CheckVector3(Tag& tag, ACSChunkRef& soup) {
    return CheckVector(tag, soup, 3);
}

bool CheckVector4(Tag& tag, ACSChunkRef& soup) {
    return CheckVector(tag, soup, 4);
}

bool CheckVector5(Tag& tag, ACSChunkRef& soup) {
    return CheckVector(tag, soup, 5);
}

bool ExportFloatList(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    WriteNumbers(tag, soup);
    return rules;
}

bool CheckComboBox(Tag& tag, ACSChunkRef& soup) {
    return CheckListValue(tag, soup, "$tet_container_emptycombobox");
}

bool CheckIntComboBox(Tag& tag, ACSChunkRef& soup) {
    if (tag.value.IsEmpty()) ReportEmpty(tag, "$tet_container_emptycombobox");
    const bool rules = tag.RunRules();
    soup.SetNamedTagInt(tag.name, ParseIntC(tag.value.View()));
    return rules;
}

bool CheckListBox(Tag& tag, ACSChunkRef& soup) {
    return CheckListValue(tag, soup, "$tet_container_emptylistbox");
}

bool CheckDoubleString(Tag& tag, ACSChunkRef& soup) {
    bool passed = ReportEmptyName(tag);
    if (tag.value.IsEmpty()) {
        Report::WarningInTag(&tag, FormatFinding("$tet_container_emptystringwarn", tag.name,
                                                 ContainerName(tag)));
        passed = false;
    }
    passed = tag.RunRules() && passed;
    soup.SetNamedTagString(tag.name.ToLower(), tag.value.c_str());
    return passed;
}

bool ExportKUID(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    soup.SetNamedTagKUID(tag.name, ParsedKUID(tag));
    return rules;
}

bool CheckFilePath(Tag& tag, ACSChunkRef& soup) {
    return CheckPath(tag, soup, false);
}

bool CheckFilePathEdit(Tag& tag, ACSChunkRef& soup) {
    return CheckPath(tag, soup, true);
}

bool CheckStringKUID(Tag& tag, ACSChunkRef& soup) {
    if (!ReportEmptyName(tag)) return false;
    const bool rules = tag.RunRules();
    soup.SetNamedTagKUID(tag.name.ToLower(), ParsedKUID(tag));
    return rules;
}

bool CheckKUIDBrowser(Tag& tag, ACSChunkRef& soup) {
    const bool rules = tag.RunRules();
    const bool value = CheckKUIDValue(tag);
    soup.SetNamedTagKUID(tag.name, ParsedKUID(tag));
    return rules && value;
}

bool CheckStringKUIDBrowser(Tag& tag, ACSChunkRef& soup) {
    if (!ReportEmptyName(tag)) return false;
    const bool rules = tag.RunRules();
    const bool value = CheckKUIDValue(tag);
    soup.SetNamedTagKUID(tag.name, ParsedKUID(tag));
    return rules && value;
}

bool ExportString(Tag& tag, ACSChunkRef& soup) {
    soup.SetNamedTagString(tag.name, tag.value.c_str());
    return true;
}

} // namespace DAROdi
