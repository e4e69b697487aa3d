// Kiv::File::Path: path text and the edits the program makes on it. Text only: nothing here
// touches the disk. Both "\" and "/" count as separators; edits that add a separator use the
// kind the path already uses last (else that of the added text, else "/"), and Normalize
// writes "/". Case comparisons (IsExt, MakeRelativeTo) ignore ASCII case.
#pragma once

#include <string>
#include <string_view>

#include "engine/file.h"
#include "engine/string.h"

namespace Kiv {

class File::Path {
public:
    Path() = default;
    Path(const char* text) : text_(text ? text : "") {}
    explicit Path(std::string_view text) : text_(text) {}
    Path(const String& text) : text_(text.View()) {}

    const char* c_str() const { return text_.c_str(); }
    std::string_view View() const { return text_; }
    size_t Length() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    bool IsAbsolute() const;  // begins with a separator
    bool operator==(const Path& other) const { return text_ == other.text_; }

    // Appends name after one separator ("a" + "b" = "a/b", "a\" + "\b" = "a\b").
    Path& AddPath(const char* name);
    // Replaces the extension of the file name ("gs" or ".gs"); an empty one removes it.
    Path& SetExt(const char* extension);
    // The extension without its dot; empty when the file name has none.
    String GetExt() const;
    bool IsExt(const char* extension) const;
    // Drops the file name: everything after the last separator, and the separator too
    // unless keepSlash (a root separator always stays).
    Path& DelName(bool keepSlash = true);
    // Drops trailing separators (a lone root separator stays).
    Path& DelSlash();
    // Moves to the parent folder, ending in a separator ("a/b/c" -> "a/b/"). False, and
    // nothing changed, when there is no parent in the text.
    bool PrevDir();
    // Separators become single "/", "." components go and ".." removes the component before
    // it (never above the root; kept at the start of a relative path). A trailing separator
    // stays. A relative path that reduces to nothing becomes ".".
    Path& Normalize();
    Path& ToLower();
    Path& ReplaceForwardSlashes();  // "/" -> "\"
    Path& ReplaceBackSlashes();     // "\" -> "/"
    // This path (a folder) becomes the part of full below it, with full's separators. False,
    // and nothing changed, when full is not this folder or below it; full equal to this
    // folder gives an empty path.
    bool MakeRelativeTo(const char* full);
    // The text after the last separator (empty when the path ends in one).
    String GetFileName() const;
    // Takes the first component off into first ("local\a\b" -> "local", path "a\b").
    // Leading separators are skipped. False, and nothing changed, for an empty path.
    bool ExtractFirstPath(String& first);

private:
    std::string text_;
};

}  // namespace Kiv
