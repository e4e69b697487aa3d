// The extension table of file-path tags.
#include "validation/darodi/file_extensions.h"

#include <array>
#include <string_view>

#include "engine/ascii.h"
#include "validation/darodi/keywords.h"

namespace DAROdi {

namespace {

// Columns: datatype, finding key, extensions of a path, extensions of an editable path.
struct ExtensionRow {
    Kiv::PString Keywords::*datatype;
    const char* finding;
    std::array<const char*, 5> plain;
    std::array<const char*, 5> edit;
};

const std::array<ExtensionRow, 3> kExtensions{{
    {&Keywords::meshes, "$tet_container_nomeshext", {"im", "lm", "lm.txt", "pm", "srt"},
     {"im", "lm", "txt", "pm", "srt"}},
    {&Keywords::image, "$tet_container_nopictureext", {"bmp", "tga", "jpg", "texture", "txt"},
     {"bmp", "tga", "jpg", "texture", "txt"}},
    {&Keywords::animation, "$tet_container_noanimationext", {"kin", nullptr, nullptr, nullptr, nullptr},
     {"kin", nullptr, nullptr, nullptr, nullptr}},
}};

// The value ends in "." and the extension (which may hold a dot itself), ignoring case.
bool HasExtension(std::string_view value, std::string_view extension) {
    if (value.size() <= extension.size()) return false;
    const std::string_view tail = value.substr(value.size() - extension.size());
    return value[value.size() - extension.size() - 1] == '.' &&
           Kiv::Ascii::EqualsIgnoreCase(tail, extension);
}

} // namespace

const char* MissingExtensionFinding(const Kiv::PString& datatype, const Kiv::PString& value,
                                    bool edit) {
    for (const ExtensionRow& row : kExtensions) {
        if (Words().*row.datatype != datatype) continue;
        for (const char* extension : edit ? row.edit : row.plain)
            if (extension && HasExtension(value.View(), extension)) return nullptr;
        return row.finding;
    }
    return nullptr;
}

} // namespace DAROdi
