// UTF-8 to the ANSI code page for the driver's own finding texts. A Windows-1252 text is
// never longer than its UTF-8 form, so the copy's own buffer always holds the result; when
// the conversion fails, every byte of 0x80 and above has become "?".
#include <cstring>
#include <vector>

#include "foundation/text/code_pages.h"
#include "validation/darodi/validate_asset.h"

Kiv::PString ConvertUtf8ToAnsi(const char* text) {
    if (!text) return Kiv::PString();
    std::vector<char> buffer(text, text + std::strlen(text) + 1);
    ConvertCodePageInPlace(buffer.data(), buffer.size(), kCodePageUTF8, kCodePageAnsi);
    return Kiv::PString(buffer.data());
}
