// Writing the text soup format. Lines are assembled in memory and handed to the stream in
// large pieces, so a file stream sees few writes. Values are their text conversion. A
// container at the deepest level the soup nesting limit allows, or one that holds itself, is
// written with an empty body, so a cyclic soup ends instead of growing without bound; when
// that leaves children out, the stream's error says so.
#include <algorithm>

#include "foundation/soup/acs_text.h"
#include "engine/ascii.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/converter.h"
#include "foundation/soup/soup_depth.h"

namespace {

// Output is handed to the stream once this much has gathered.
constexpr size_t kFlushSize = 65536;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

ACSTagType TypeOf(const ACSChunkRef& chunk) {
    return chunk.Get() ? chunk->GetType() : ACSTagType::Null;
}

// Numbers and KUIDs go unquoted unless their text holds a blank or a line end.
bool ForcesQuotes(ACSTagType type) {
    return type != ACSTagType::FloatArray && type != ACSTagType::IntArray &&
           type != ACSTagType::KUIDArray;
}

char NameByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x80 || c == '}') return '_';
    return Kiv::Ascii::ToLower(c);
}

} // namespace

void ACSText::Write(const ACSChunkRef& root, TStream& stream) {
    if (root.IsNull()) return;
    ACSText writer(stream);
    writer.text_.append(kByteOrderMark).append(kLineEnd);
    writer.ancestors_.push_back(root.Get());
    writer.WriteChildren(root, 0);
    writer.Flush();
}

void ACSText::WriteChildren(const ACSChunkRef& container, int depth) {
    const int32_t count = container->CountChildren();
    Kiv::PString name;
    ACSChunkRef chunk;
    for (int32_t i = 0; i < count && container->GetIndexedChild(i, name, chunk); ++i) {
        if (i > 0 && TypeOf(chunk) == ACSTagType::Container) {
            WriteIndent(depth);
            text_.append(kLineEnd);
        }
        WriteTag(chunk, name, depth);
        text_.append(kLineEnd);
        if (text_.size() >= kFlushSize) Flush();
    }
}

void ACSText::WriteTag(const ACSChunkRef& chunk, const Kiv::PString& name, int depth) {
    WriteIndent(depth);
    const size_t nameLength = WriteTagName(name);
    const ACSTagType type = TypeOf(chunk);
    if (type == ACSTagType::Container) {
        text_.append(kLineEnd);
        WriteIndent(depth);
        text_.append("{").append(kLineEnd);
        const bool recurs =
            std::find(ancestors_.begin(), ancestors_.end(), chunk.Get()) != ancestors_.end();
        if (depth < kMaxSoupDepth && !recurs) {
            ancestors_.push_back(chunk.Get());
            WriteChildren(chunk, depth + 1);
            ancestors_.pop_back();
        } else if (chunk->CountChildren() > 0) {
            stream_.SetError(TStream::kErrorIO);
        }
        WriteIndent(depth);
        text_.append("}");
        return;
    }
    const size_t used = 2 * static_cast<size_t>(depth) + nameLength;
    text_.append(used < kValueColumn ? kValueColumn - used : 1, ' ');
    ACSRawDataRef value;
    ACSConverter::Convert(type, ACSChunk::GetRawData(chunk), ACSTagType::String, value);
    WriteValue(value.Text(), ForcesQuotes(type));
}

size_t ACSText::WriteTagName(const Kiv::PString& name) {
    return NormaliseTagName(name.View(), text_);
}

size_t ACSText::NormaliseTagName(std::string_view name, std::string& out) {
    if (name.empty()) {
        out.push_back('_');
        return 1;
    }
    const size_t length = std::min(name.size(), kWrittenNameLength);
    for (size_t i = 0; i < length; ++i)
        out.push_back(NameByte(name[i]));
    // After a tag with an empty value, a line that begins with "{" opens that tag's body.
    if (name.front() == '{') out[out.size() - length] = '_';
    return length;
}

void ACSText::WriteValue(std::string_view text, bool forceQuotes) {
    if (text.empty()) return;
    const bool quoted = forceQuotes || text.find_first_of(" \t\r\n") != std::string_view::npos;
    if (quoted) text_.push_back('"');
    for (char c : text)
        text_.push_back(c == '"' ? '\'' : c);
    if (quoted) text_.push_back('"');
}

void ACSText::WriteIndent(int depth) {
    text_.append(2 * static_cast<size_t>(depth), ' ');
}

void ACSText::Flush() {
    stream_.WriteBytes(text_.data(), text_.size());
    text_.clear();
}
