// ScriptFile: the plain and protected forms of a script source, and the conversions
// between them (see script_file.h for the ".gse" layout).
#include "script_compiler/script_file.h"

#include <cstring>

#include "engine/file.h"
#include "engine/resource_database.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/streams/little_endian.h"
#include "script_compiler/script_scramble_table.h"

namespace {

constexpr int kCompressionLevel = 9;

Kiv::PString& Preamble() {
    static Kiv::PString preamble;
    return preamble;
}

uint32_t ReadWord(const uint8_t* bytes) {
    return static_cast<uint32_t>(LoadLittleEndian(bytes, 4));
}

}  // namespace

void ScriptFile::SetPreamble(const Kiv::PString& text) {
    Preamble() = text;
}

const Kiv::PString& ScriptFile::GetPreamble() {
    return Preamble();
}

void ScriptFile::Reset() {
    data_.clear();
    data_.shrink_to_fit();
    scrambled_ = false;
    plainLength_ = 0;
    sourcePath_ = Kiv::File::Path();
    targetPath_ = Kiv::File::Path();
    formatWord_ = 0;
}

void ScriptFile::Clear() {
    Reset();
    preambleLength_ = 0;
    formatWord_ = 1;
}

bool ScriptFile::Exists(const char* archive, const Kiv::File::Path& path) {
    if (archive && *archive) return Kiv::ResourceDatabase(Kiv::PString(archive)).Exists(path.c_str());
    return Kiv::File::Exists(path.c_str()).IsOk();
}

bool ScriptFile::Load(const char* archive, const Kiv::File::Path& path) {
    Clear();
    sourcePath_ = path;
    archive_ = archive;
    const bool plain = path.IsExt("gs");
    if (!plain && !path.IsExt("gse")) return false;
    if (!Exists(archive, path)) return false;
    return plain ? LoadPlain() : LoadEncrypted();
}

bool ScriptFile::Save(const char* archive, const Kiv::File::Path& path) {
    targetPath_ = path;
    archive_ = archive;
    if (InArchive()) return false;  // archives are read-only
    if (path.IsExt("gse")) return SaveEncrypted();
    if (path.IsExt("gs")) return SavePlain();
    return false;
}

uint32_t ScriptFile::GetLength() {
    if (plainLength_ != 0) return plainLength_;
    if (!scrambled_) return 0;
    return Decrypt() ? static_cast<uint32_t>(data_.size()) : 0;
}

const uint8_t* ScriptFile::GetData() {
    if (scrambled_ && !Decrypt()) return nullptr;
    return data_.data();
}

void ScriptFile::TakeText(const uint8_t* text, size_t length) {
    const Kiv::PString& preamble = Preamble();
    std::vector<uint8_t> block(preamble.Length() + length);
    if (preamble.Length() != 0) std::memcpy(block.data(), preamble.c_str(), preamble.Length());
    if (length != 0) std::memcpy(block.data() + preamble.Length(), text, length);
    preambleLength_ = static_cast<uint32_t>(preamble.Length());
    data_ = std::move(block);
    Preamble() = Kiv::PString();
}

bool ScriptFile::ReadSource(size_t limit, std::vector<uint8_t>& bytes, bool& whole) const {
    if (InArchive()) {
        if (!Kiv::ResourceDatabase(Kiv::PString(archive_)).ReadFile(sourcePath_.c_str(), bytes)) return false;
        whole = bytes.size() <= limit;
        if (!whole) bytes.resize(limit);
        return true;
    }
    Kiv::File file;
    if (!file.Open(sourcePath_.c_str(), Kiv::File::kOpenReadShared)) return false;
    const int64_t size = file.Size();
    if (size < 0) return false;
    whole = static_cast<uint64_t>(size) <= limit;
    bytes.resize(whole ? static_cast<size_t>(size) : limit);
    return file.Read(bytes.data(), 1, bytes.size()) == bytes.size();
}

bool ScriptFile::LoadPlain() {
    std::vector<uint8_t> text;
    bool whole = false;
    if (!ReadSource(kMaxPlainLength, text, whole) || !whole) return false;
    TakeText(text.data(), text.size());
    plainLength_ = static_cast<uint32_t>(data_.size());
    return true;
}

// Only the header and the payload it announces are read; bytes after them are ignored.
bool ScriptFile::LoadEncrypted() {
    std::vector<uint8_t> bytes;
    bool whole = false;
    if (!ReadSource(kHeaderBytes + kMaxPayloadLength, bytes, whole)) return false;
    formatWord_ = bytes.size() >= 4 ? ReadWord(bytes.data()) : 0xFFFFFFFFu;
    if (bytes.size() < kHeaderBytes) return false;
    const uint32_t length = ReadWord(bytes.data() + 8);
    if (length == 0 || length > kMaxPayloadLength || bytes.size() - kHeaderBytes < length) return false;
    data_.assign(bytes.begin() + kHeaderBytes, bytes.begin() + kHeaderBytes + length);
    scrambled_ = true;
    return true;
}

bool ScriptFile::Encrypt() {
    if (scrambled_) return true;
    if (plainLength_ == 0) plainLength_ = static_cast<uint32_t>(data_.size());
    const std::vector<uint8_t> stream = Kiv::LZSSCompress().Compress(data_, kCompressionLevel);
    std::vector<uint8_t> payload(4 + stream.size());
    StoreLittleEndian(data_.size(), payload.data(), 4);
    std::memcpy(payload.data() + 4, stream.data(), stream.size());
    data_ = std::move(payload);
    Scramble();
    scrambled_ = true;
    return true;
}

bool ScriptFile::Decrypt() {
    if (!scrambled_) return true;
    Scramble();
    const uint32_t plain = data_.size() >= 4 ? ReadWord(data_.data()) : kMaxPlainLength + 1;
    if (plain > kMaxPlainLength) {
        Reset();
        return false;
    }
    if (plain == 0) {
        Scramble();  // the data stays as it was loaded
        return false;
    }
    std::vector<uint8_t> text;
    const std::span<const uint8_t> stream(data_.data() + 4, data_.size() - 4);
    if (!Kiv::LZSSCompress().Decompress(stream, text, plain) || text.size() != plain) {
        Reset();
        return false;
    }
    TakeText(text.data(), text.size());
    if (plainLength_ == 0) plainLength_ = static_cast<uint32_t>(data_.size());
    scrambled_ = false;
    return true;
}

void ScriptFile::Scramble() {
    for (size_t i = 0; i < data_.size(); ++i) data_[i] ^= kScriptScrambleTable[i % 32];
}

bool ScriptFile::ClearTarget() const {
    if (targetPath_.IsEmpty()) return false;
    if (Kiv::File::Exists(targetPath_.c_str()) && !Kiv::File::Unlink(targetPath_.c_str()))
        return false;
    return true;
}

bool ScriptFile::SaveEncrypted() {
    if (!scrambled_) Encrypt();
    if (!ClearTarget()) return false;
    Kiv::File file;
    if (!file.Open(targetPath_.c_str(), Kiv::File::kOpenCreate | Kiv::File::kOpenWrite))
        return false;
    uint8_t header[kHeaderBytes] = {};
    StoreLittleEndian(formatWord_, header, 4);
    StoreLittleEndian(data_.size(), header + 8, 4);
    return file.Write(header, 1, kHeaderBytes) == kHeaderBytes &&
           file.Write(data_.data(), 1, data_.size()) == data_.size();
}

bool ScriptFile::SavePlain() {
    if (scrambled_ && !Decrypt()) return false;
    if (!ClearTarget()) return false;
    Kiv::File file;
    if (!file.Open(targetPath_.c_str(), Kiv::File::kOpenCreate | Kiv::File::kOpenWrite))
        return false;
    return file.Write(data_.data(), 1, data_.size()) == data_.size();
}
