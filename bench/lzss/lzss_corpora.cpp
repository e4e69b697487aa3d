// Corpus generators of the LZSS benchmark. Words are built from syllables and drawn with
// a Zipf-like skew, as in real prose; the binary corpus is records of slowly varying
// floats and indices, with one block in ten of random bytes (like embedded pictures).
#include "lzss_corpora.h"

#include <cmath>
#include <cstring>
#include <string>

namespace lzss_bench {
namespace {

// xorshift64*: small, fast and the same everywhere.
class Generator {
public:
    explicit Generator(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1DULL) >> 32);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
    // Index in [0, n) with probability falling off like 1 / (index + 1).
    uint32_t Zipf(uint32_t n) {
        const double u = (Next() + 0.5) / 4294967296.0;
        return static_cast<uint32_t>(std::pow(static_cast<double>(n), u)) - 1;
    }

private:
    uint64_t state_;
};

std::vector<std::string> MakeWords(Generator& random, int count) {
    static const char* const kSyllables[] = {
        "ra", "il", "way", "tr", "ack", "sig", "nal", "sta", "tion", "lo", "co", "mo",
        "tive", "car", "ri", "age", "de", "pot", "jun", "ction", "en", "gine", "whe", "el",
        "bo", "gie", "pla", "form", "spe", "ed", "ti", "me", "ta", "ble", "ro", "ute", "in",
        "ter", "change", "bri", "dge", "tun", "nel", "gra", "de", "cur", "ve", "swi", "tch"};
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        std::string word;
        const uint32_t syllables = 1 + random.Below(3) + (i > 200 ? random.Below(2) : 0);
        for (uint32_t s = 0; s < syllables; ++s) word += kSyllables[random.Below(std::size(kSyllables))];
        words.push_back(word);
    }
    return words;
}

void AppendSentence(std::string& text, Generator& random, const std::vector<std::string>& words) {
    const uint32_t length = 4 + random.Below(14);
    for (uint32_t w = 0; w < length; ++w) {
        std::string word = words[random.Zipf(static_cast<uint32_t>(words.size()))];
        if (w == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += word;
        if (random.Below(12) == 0) text += " " + std::to_string(random.Below(2000));
        text += w + 1 == length ? (random.Below(5) == 0 ? "?" : ".") : random.Below(9) == 0 ? ", " : " ";
    }
    text += random.Below(6) == 0 ? "\n\n" : " ";
}

void AppendConfigBlock(std::string& text, Generator& random, const std::vector<std::string>& words) {
    text += "kuid <kuid:" + std::to_string(random.Below(900000)) + ":" +
            std::to_string(random.Below(100000)) + ">\n";
    text += "username \"" + words[random.Zipf(static_cast<uint32_t>(words.size()))] + " " +
            words[random.Below(static_cast<uint32_t>(words.size()))] + "\"\n";
    text += "kind \"traincar\"\nmesh-table\n{\n  default\n  {\n    mesh \"body/body.im\"\n";
    text += "    auto-create 1\n  }\n}\nbuild-number " + std::to_string(2 + random.Below(3)) +
            "." + std::to_string(random.Below(10)) + "\n\n";
}

}  // namespace

std::vector<uint8_t> MakeText(size_t size) {
    Generator random(0x5EED7E47);
    const std::vector<std::string> words = MakeWords(random, 3000);
    std::string text;
    while (text.size() < size) {
        if (random.Below(10) == 0) {
            AppendConfigBlock(text, random, words);
        } else {
            AppendSentence(text, random, words);
        }
    }
    text.resize(size);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> MakeBinary(size_t size) {
    Generator random(0xB1A7B1A7);
    std::vector<uint8_t> bytes;
    bytes.reserve(size + 4096);
    float x = 0, y = 0, z = 0;
    while (bytes.size() < size) {
        if (random.Below(10) == 0) {
            for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<uint8_t>(random.Next()));
            continue;
        }
        for (int vertex = 0; vertex < 256; ++vertex) {
            x += (random.Below(200) - 100) / 1000.0f;
            y += (random.Below(200) - 100) / 1000.0f;
            z = std::round(z + (random.Below(3) - 1.0f));
            const float record[] = {x, y, z, 0.0f, 1.0f, 0.0f,
                                    static_cast<float>(vertex % 16) / 16, 0.5f};
            const size_t at = bytes.size();
            bytes.resize(at + sizeof(record));
            std::memcpy(bytes.data() + at, record, sizeof(record));
        }
        for (uint16_t index = 0; index < 384; ++index) {
            const uint16_t value = static_cast<uint16_t>(index / 3 + random.Below(3));
            bytes.push_back(static_cast<uint8_t>(value));
            bytes.push_back(static_cast<uint8_t>(value >> 8));
        }
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace lzss_bench
