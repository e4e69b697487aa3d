// The check-and-write operation of each tag type code. Each checks the tag (its empty
// value, its extension, its list source, its rules) and writes its value into the export
// soup under its name in the form of its type; the result is false when a check failed.
#pragma once

#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

class Tag;

// The operation of the tag's type code (code 2 and unknown codes: nothing, true).
bool ExportTag(Tag& tag, ACSChunkRef& soup);

bool ExportFloat(Tag& tag, ACSChunkRef& soup);
bool CheckString(Tag& tag, ACSChunkRef& soup);
bool ExportInt(Tag& tag, ACSChunkRef& soup);
bool ExportBool(Tag& tag, ACSChunkRef& soup);
bool CheckVector2(Tag& tag, ACSChunkRef& soup);
bool CheckVector3(Tag& tag, ACSChunkRef& soup);
bool CheckVector4(Tag& tag, ACSChunkRef& soup);
bool CheckVector5(Tag& tag, ACSChunkRef& soup);
bool ExportFloatList(Tag& tag, ACSChunkRef& soup);
bool CheckComboBox(Tag& tag, ACSChunkRef& soup);
bool CheckIntComboBox(Tag& tag, ACSChunkRef& soup);
bool CheckListBox(Tag& tag, ACSChunkRef& soup);
bool CheckDoubleString(Tag& tag, ACSChunkRef& soup);
bool ExportKUID(Tag& tag, ACSChunkRef& soup);
bool CheckFilePath(Tag& tag, ACSChunkRef& soup);
bool CheckFilePathEdit(Tag& tag, ACSChunkRef& soup);
bool CheckStringKUID(Tag& tag, ACSChunkRef& soup);
bool CheckKUIDBrowser(Tag& tag, ACSChunkRef& soup);
bool CheckStringKUIDBrowser(Tag& tag, ACSChunkRef& soup);
bool ExportString(Tag& tag, ACSChunkRef& soup);

// A list-sourced combobox or listbox value names a listed container or a mesh attachment,
// or may not be checked now; otherwise a finding and false (list_source.cpp).
bool CheckListSource(Tag& tag);

} // namespace DAROdi
