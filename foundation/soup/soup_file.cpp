// Loading and saving soup files by extension: "txt" is the text form, "chump", "cdp" and
// "cdp2" the binary form; any other extension is refused before the disk is touched on
// saving. A save reports the write errors its stream saw.
#include "foundation/soup/soup_file.h"

#include "engine/ascii.h"
#include "engine/path_policy.h"
#include "foundation/files/atomic_file.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/t_buffer.h"
#include "foundation/streams/t_file.h"

namespace {

enum class SoupFileForm { None, Text, Binary };

// extension (compared ignoring ASCII case) -> the form it selects.
struct SoupFormEntry {
    const char* extension;
    SoupFileForm form;
};

constexpr SoupFormEntry kSoupForms[] = {
    {"txt", SoupFileForm::Text},
    {"chump", SoupFileForm::Binary},
    {"cdp", SoupFileForm::Binary},
    {"cdp2", SoupFileForm::Binary},
};

SoupFileForm FormOf(const char* extension, const char* name) {
    const Kiv::String resolved = ResolveFileExtension(extension, name);
    for (const SoupFormEntry& entry : kSoupForms)
        if (Kiv::Ascii::EqualsIgnoreCase(resolved.View(), entry.extension)) return entry.form;
    return SoupFileForm::None;
}

void WriteForm(SoupFileForm form, const ACSChunkRef& handle, TStream& stream) {
    if (form == SoupFileForm::Text)
        ACSText::Write(handle, stream);
    else
        TDBBinaryFile::WriteSoup(stream, handle);
}

bool ReadForm(SoupFileForm form, ACSChunkRef& handle, TStream& stream, bool utf8) {
    if (form == SoupFileForm::Text) {
        handle.Release();
        return ACSText::Parse(handle, stream, utf8);
    }
    return TDBBinaryFile::ReadSoup(handle, stream);
}

} // namespace

Kiv::String ResolveFileExtension(const char* extension, const char* fileName) {
    if (extension && *extension) return Kiv::String(*extension == '.' ? extension + 1 : extension);
    const std::string_view name = fileName ? fileName : "";
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return Kiv::String();
    return Kiv::String(name.substr(dot + 1));
}

SoupFileStatus LoadSoupFile(ACSChunkRef& handle, const char* folder, const char* name,
                            const char* extension, bool utf8) {
    TFile stream;
    const bool inFolder = folder && *folder;
    const Kiv::File::Result opened = inFolder
                                         ? stream.GetFile()->Open(folder, name, TFile::kModeRead)
                                         : stream.GetFile()->Open(name, TFile::kModeReadShared);
    if (!opened) return SoupFileStatus::NotOpened;
    const SoupFileForm form = FormOf(extension, name);
    if (form == SoupFileForm::None) return SoupFileStatus::UnknownForm;
    if (!ReadForm(form, handle, stream, utf8) || stream.GetError() == TStream::kErrorIO)
        return SoupFileStatus::Unread;
    return handle.IsNull() ? SoupFileStatus::Empty : SoupFileStatus::Loaded;
}

bool ACSChunkRef::LoadFromFile(const char* folder, const char* name, const char* extension,
                               bool utf8) {
    const SoupFileStatus status = LoadSoupFile(*this, folder, name, extension, utf8);
    return status != SoupFileStatus::NotOpened && status != SoupFileStatus::UnknownForm;
}

bool ACSChunkRef::SaveToFile(const char* folder, const char* name, const char* extension) const {
    const SoupFileForm form = FormOf(extension, name);
    if (form == SoupFileForm::None) return false;
    TFile stream;
    if (!stream.GetFile()->Open(folder, name, TFile::kModeCreate, 0)) return false;
    WriteForm(form, *this, stream);
    const bool written = stream.GetError() == 0;
    stream.Close();
    return written;
}

bool HasSoupForm(const char* extension, const char* name) {
    return FormOf(extension, name) != SoupFileForm::None;
}

bool SaveSoupFileAtomically(const ACSChunkRef& soup, const char* path, const char* extension,
                            std::string& error) {
    if (!path || !*path) {
        error = "no file name given";
        return false;
    }
    const SoupFileForm form = FormOf(extension, path);
    if (form == SoupFileForm::None) {
        error = "no soup form has that file extension";
        return false;
    }
    TBuffer bytes(nullptr);
    WriteForm(form, soup, bytes);
    if (bytes.GetError() != 0) {
        error = "out of memory";
        return false;
    }
    const Kiv::DynamicBuffer& buffer = bytes.GetBuffer();
    const std::string_view data(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetDataLength());
    return WriteFileAtomically(Kiv::PathPolicy::Resolve(path), data, error);
}
