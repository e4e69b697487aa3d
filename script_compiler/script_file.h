// ScriptFile: one script source in memory, plain (".gs") or compressed and scrambled
// (".gse"), loaded and saved by file extension. A ".gse" file is a 16-byte header (format
// word, 0, payload length, 0; little-endian) and a payload of the plain length and one
// level-9 LZSS block, scrambled with kScriptScrambleTable. A one-shot process-wide preamble
// is put before the next text that is loaded plain or decrypted. A non-empty archive name
// reads the file inside that archive or location through the engine's resource layer
// (Kiv::ResourceDatabase); archives are never written. Failures are false (or null, or 0)
// results; nothing here writes a message.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"

class ScriptFile {
public:
    static constexpr uint32_t kMaxPlainLength = 0x4000000;
    static constexpr uint32_t kMaxPayloadLength = 0x2000000;
    static constexpr uint32_t kHeaderBytes = 16;

    ScriptFile() { Clear(); }

    // The text put before the next plain load or decryption, then forgotten.
    static void SetPreamble(const Kiv::PString& text);
    static const Kiv::PString& GetPreamble();

    // Frees the data and empties the paths; scrambled flag, lengths and format word 0. The
    // archive name and the preamble length stay.
    void Reset();
    // Reset, preamble length 0 and format word 1: the state of a new object.
    void Clear();
    void Close() { Reset(); }

    // Whether the file at path exists, inside the archive when one is named.
    static bool Exists(const char* archive, const Kiv::File::Path& path);

    // Loads the file at path: ".gs" as plain text, ".gse" as the stored payload. False for
    // another extension or a missing or unreadable file.
    bool Load(const char* archive, const Kiv::File::Path& path);
    // Saves in the form the path's extension names ("gse" or "gs"); false for another, and
    // for a path inside an archive.
    bool Save(const char* archive, const Kiv::File::Path& path);

    // The plain length; decrypts scrambled data first (0 when that fails).
    uint32_t GetLength();
    // The plain text (GetLength bytes); decrypts scrambled data first (null when that fails).
    const uint8_t* GetData();

    // Plain text to the scrambled payload (compressed at level 9). Always true.
    bool Encrypt();
    // The scrambled payload back to plain text. False for a damaged payload, which is then
    // dropped (Reset), or for a plain length of 0, which keeps it.
    bool Decrypt();
    // XORs the data with the table; the same call undoes it.
    void Scramble();

    bool IsScrambled() const { return scrambled_; }
    uint32_t GetFormatWord() const { return formatWord_; }
    uint32_t GetPlainLength() const { return plainLength_; }
    uint32_t GetPreambleLength() const { return preambleLength_; }
    // The bytes held now: the plain text or the scrambled payload.
    const std::vector<uint8_t>& Bytes() const { return data_; }
    const Kiv::File::Path& GetSourcePath() const { return sourcePath_; }
    const char* GetArchive() const { return archive_; }

private:
    bool LoadPlain();
    bool LoadEncrypted();
    // The source's first limit bytes (inside the archive when one is named); whole tells
    // whether that was all of it. False when the file cannot be read.
    bool ReadSource(size_t limit, std::vector<uint8_t>& bytes, bool& whole) const;
    bool SavePlain();
    bool SaveEncrypted();
    // The text as data, the preamble first; consumes the process-wide preamble.
    void TakeText(const uint8_t* text, size_t length);
    bool ClearTarget() const;
    bool InArchive() const { return archive_ && *archive_; }

    Kiv::File::Path sourcePath_;
    Kiv::File::Path targetPath_;
    const char* archive_ = nullptr;
    std::vector<uint8_t> data_;
    bool scrambled_ = false;
    uint32_t formatWord_ = 1;
    uint32_t plainLength_ = 0;
    uint32_t preambleLength_ = 0;
};
