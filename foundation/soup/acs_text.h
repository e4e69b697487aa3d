// ACSText: the text form of a config soup ("config.txt"): a byte-order mark, then one tag per
// line (a name, spaces up to column 40, a value whose kind the reader guesses from its
// characters), containers in braces, CR LF line ends. Parse never fails on malformed text:
// it ends up as strings, empty tags or cut containers. Both directions keep the soup nesting
// limit (soup_depth.h): the reader skips what lies deeper and reads on, the writer leaves it
// out and reports an error, so neither hostile text nor a soup that holds itself exhausts
// the stack. The reader
// works byte by byte on a window of the stream's bytes and steps back in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class ACSText {
  public:
    // Values start at this column, after at least one space.
    static constexpr size_t kValueColumn = 40;
    // Bytes of a name that reading keeps (the rest is read and dropped) and writing keeps.
    static constexpr size_t kReadNameLength = 511;
    static constexpr size_t kWrittenNameLength = 1024;

    // Releases the handle, then fills it with the tags read from the stream's position (a
    // byte-order mark at position 0 sets the UTF-8 flag). Without the flag, text values
    // holding bytes of 0x80 and above are taken as ANSI and converted to UTF-8. A stream
    // holding no tag leaves the handle null. The contents of a container at the deepest
    // level are skipped up to its closing brace, with one warning logged for the parse.
    // False only when the stream is not open.
    static bool Parse(ACSChunkRef& handle, TStream& stream, bool utf8);
    // The byte-order mark, CR LF and the root's children; nothing for a null root. Write
    // problems are left in the stream's error. A container at the deepest level, or one
    // that holds itself, is written with an empty body and sets the stream's error 1.
    static void Write(const ACSChunkRef& root, TStream& stream);

  private:
    enum class ValueKind { Empty, Container, Float, Integer, NumberList, String };

    explicit ACSText(TStream& stream) : stream_(stream) {}

    // Reading (acs_text_input.cpp) goes through a window of the stream's bytes that keeps
    // some bytes behind the cursor, so looking ahead and stepping back cost no stream call
    // unless the target left the window. The stream stands at the window's end throughout;
    // LeaveStream puts it back at the reading position.
    static constexpr size_t kWindowSize = 65536;
    static constexpr size_t kWindowLookBehind = 4096;

    // The next byte, 0 at the end of the data. A zero byte counts as the end of the data and
    // is never consumed.
    uint8_t NextByte() {
        if (cursor_ == windowLength_ && !Refill()) return 0;
        const uint8_t byte = window_[cursor_];
        if (byte != 0) ++cursor_;
        return byte;
    }
    // Keeps the look-behind and reads more of the stream; false when nothing more came.
    bool Refill();
    void EnterStream();
    void LeaveStream();
    int64_t Position() const { return windowStart_ + static_cast<int64_t>(cursor_); }
    // Steps back over the byte just read.
    void UnreadByte();
    void SeekTo(int64_t position);
    // Skips spaces and tabs (and CR and LF when lineEnds); returns the next byte, unread.
    uint8_t SkipBlanks(bool lineEnds);
    bool ReadByteOrderMark();
    // False at "}" (left unread) or the end of the data: the level ends.
    bool ReadTagName(Kiv::PString& name);
    // The same into name_, without interning; the length kept goes to length.
    bool ScanTagName(size_t& length);
    // A "{" is consumed; for any other kind the position is back where it was.
    ValueKind ClassifyValue();
    ValueKind LookAtValue();
    // Into text_, which grows as needed.
    void ReadStringValue();
    // Reads a value as ReadStringValue does and drops it.
    void SkipValue();
    // Into a fixed buffer of size bytes, zero-terminated: characters beyond size - 1 are
    // read and dropped. Returns the length kept.
    size_t ReadToken(char* buffer, size_t size);
    template <class Sink> void ReadValueText(Sink& sink);
    template <class Sink> void ReadLineEnd(uint8_t first, Sink& sink);
    // False when the token holds no number that fits.
    bool ReadInt(int32_t& value);
    bool ReadFloat(float& value);
    // The pieces between spaces and commas that hold a float; the others are skipped.
    void ReadFloatList(std::vector<float>& floats);
    // Consumes a "}" after blanks and line ends; otherwise the position stays.
    void ExpectCloseBrace();

    // Parsing (acs_text.cpp).
    void ParseLevel(ACSChunkRef& handle, bool utf8, int depth);
    void ParseContainer(ACSChunkRef& handle, const Kiv::PString& name, bool utf8, int depth);
    // Reads the body of a container, after its "{", as parsing would, up to the "}" that
    // closes it (left unread) or the end of the data, and keeps nothing. Open containers
    // are counted, not recursed into. True when a tag was skipped.
    bool SkipContainerBody();
    void StoreValue(ACSChunkRef& handle, const Kiv::PString& name, ValueKind kind, bool utf8);
    // False when the kind is no number or the scan found none: the value is then text.
    bool StoreNumber(ACSChunkRef& handle, const Kiv::PString& name, ValueKind kind);
    // The string rules: the empty text, one KUID tag text, or text (ANSI converted).
    void StoreString(ACSChunkRef& handle, const Kiv::PString& name, bool utf8);

    // Writing (acs_text_writer.cpp), into text_, handed to the stream in large pieces.
    void WriteChildren(const ACSChunkRef& container, int depth);
    void WriteTag(const ACSChunkRef& chunk, const Kiv::PString& name, int depth);
    // Returns the length written.
    size_t WriteTagName(const Kiv::PString& name);
    void WriteValue(std::string_view text, bool forceQuotes);
    void WriteIndent(int depth);
    void Flush();

    // Appends the name as written: A-Z lower-cased; bytes of 0x20 and below, of 0x80 and
    // above and "}" (which the reader takes for the end of a container) as "_"; at most
    // kWrittenNameLength bytes; an empty name as "_", so that the value is not read as one.
    // Returns the length appended.
    static size_t NormaliseTagName(std::string_view name, std::string& out);

    TStream& stream_;
    // Reading: the containers whose contents were skipped, and where the first one was.
    int32_t skippedBodies_ = 0;
    int64_t firstSkipped_ = 0;
    std::vector<uint8_t> window_;
    int64_t windowStart_ = 0; // the stream position of window_[0]
    size_t windowLength_ = 0;
    size_t cursor_ = 0;
    // Reading: the current text value. Writing: output not yet handed to the stream.
    std::string text_;
    char name_[kReadNameLength];
    std::vector<float> floats_;
    // Writing: the containers from the root down to the one being written.
    std::vector<const ACSChunk*> ancestors_;
};
