// Reading and writing "Kodrin.cfg". One table lists the fields in file order; Save, Load and
// every version's layout read it. A file is read whole for its version before any field is
// taken, so a short file never leaves half of its values behind.
#include "client/launcher/game_display_settings.h"

#include <array>
#include <bit>
#include <variant>
#include <vector>

#include "engine/file.h"
#include "foundation/streams/little_endian.h"

namespace {

using Settings = GameDisplaySettings;
using Field = std::variant<uint32_t Settings::*, int32_t Settings::*, float Settings::*>;

// The fifteen fields in record (and file) order.
const std::array<Field, 15> kFields = {
    &Settings::width,
    &Settings::colourBits,
    &Settings::verticalSync,
    &Settings::refreshRateChoice,
    &Settings::stencilEnabled,
    &Settings::renderer,
    &Settings::noHardwareTransformAndLighting,
    &Settings::groundPolygonOffset,
    &Settings::reservedFlag,
    &Settings::vertexOffsetEnabled,
    &Settings::vertexOffset,
    &Settings::height,
    &Settings::fullScreen,
    &Settings::physicalScreenRatio,
    &Settings::multiSampleCount,
};
constexpr size_t kGroundPolygonOffsetField = 7;  // version 1 has one more word after it
constexpr size_t kMultiSampleField = 14;         // missing in version 0
constexpr int kSkippedWord = -1;

constexpr uint32_t kMagic[4] = {0x2B746B3E, 0x0A80C2BE, 0x168401F7, 0x01D1EE3C};
constexpr size_t kWordSize = 4;
constexpr int32_t kTrustedMultiSampleCount = 4;
constexpr uint32_t kCreateMode = Kiv::File::kOpenCreate | Kiv::File::kOpenWrite;  // 257

uint32_t GetWord(const Settings& settings, const Field& field) {
    return std::visit(
        [&settings](auto member) { return std::bit_cast<uint32_t>(settings.*member); }, field);
}

void SetWord(Settings& settings, const Field& field, uint32_t word) {
    std::visit(
        [&settings, word](auto member) {
            using Value = std::remove_reference_t<decltype(settings.*member)>;
            settings.*member = std::bit_cast<Value>(word);
        },
        field);
}

void AppendWord(std::vector<uint8_t>& bytes, uint32_t word) {
    uint8_t little[kWordSize];
    StoreLittleEndian(word, little, kWordSize);
    bytes.insert(bytes.end(), little, little + kWordSize);
}

// The file's words of a version, in order: a field index, or kSkippedWord.
std::vector<int> LayoutOf(int32_t version) {
    std::vector<int> layout;
    for (size_t field = 0; field < kFields.size(); ++field) {
        if (field == kMultiSampleField && version == 0) break;
        layout.push_back(static_cast<int>(field));
        if (field == kGroundPolygonOffsetField && version == 1) layout.push_back(kSkippedWord);
    }
    return layout;
}

// The version of the file, leaving it at the first field: a file without the magic words
// is version 0 and is read from its start. False when the version cannot be read.
bool ReadVersion(Kiv::File& file, int32_t& version) {
    uint8_t head[sizeof kMagic];
    bool magic = file.Read(head, 1, sizeof head) == sizeof head;
    for (size_t i = 0; magic && i < std::size(kMagic); ++i)
        magic = LoadLittleEndian(head + i * kWordSize, kWordSize) == kMagic[i];
    if (!magic) {
        version = 0;
        return file.Seek(0, 0) == 0;
    }
    uint8_t word[kWordSize];
    if (file.Read(word, 1, kWordSize) != kWordSize) return false;
    version = static_cast<int32_t>(LoadLittleEndian(word, kWordSize));
    return true;
}

// Takes the fields of the version's layout from the file; nothing when it ends early.
void ReadFields(Kiv::File& file, int32_t version, Settings& settings) {
    const std::vector<int> layout = LayoutOf(version);
    std::vector<uint8_t> bytes(layout.size() * kWordSize);
    if (file.Read(bytes.data(), 1, bytes.size()) != bytes.size()) return;
    for (size_t i = 0; i < layout.size(); ++i) {
        if (layout[i] == kSkippedWord) continue;
        const uint32_t word = static_cast<uint32_t>(LoadLittleEndian(&bytes[i * kWordSize], kWordSize));
        SetWord(settings, kFields[static_cast<size_t>(layout[i])], word);
    }
    if (version == 1 || version == 2) settings.multiSampleCount = kTrustedMultiSampleCount;
}

}  // namespace

void GameDisplaySettings::SetDefaults() {
    width = 1024;
    colourBits = 32;
    verticalSync = 0;
    refreshRateChoice = 0;
    stencilEnabled = 1;
    renderer = 1;
    noHardwareTransformAndLighting = 0;
    groundPolygonOffset = 0;
    reservedFlag = 0;
    vertexOffsetEnabled = 0;
    vertexOffset = 0.5f;
    height = 768;
    fullScreen = 1;
    physicalScreenRatio = 0.0f;
    multiSampleCount = 4;
}

bool GameDisplaySettings::Save(const char* folder) const {
    std::vector<uint8_t> bytes;
    for (uint32_t magic : kMagic) AppendWord(bytes, magic);
    AppendWord(bytes, static_cast<uint32_t>(kVersion));
    for (const Field& field : kFields) AppendWord(bytes, GetWord(*this, field));
    Kiv::File file;
    if (!file.Open(folder, kFileName, kCreateMode)) return false;
    return file.Write(bytes.data(), 1, bytes.size()) == bytes.size();
}

bool GameDisplaySettings::Load(const char* folder) {
    SetDefaults();
    Kiv::File file;
    if (!file.Open(folder, kFileName, Kiv::File::kOpenRead)) return false;
    int32_t version = 0;
    if (!ReadVersion(file, version) || version < 0 || version > kVersion) return true;
    ReadFields(file, version, *this);
    return true;
}
