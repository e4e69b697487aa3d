// Speed of the text soup format: parsing and writing a generated config.txt of about 10 MB,
// in MB/s, beside a plain memchr scan for line ends over the same bytes, the floor that any
// byte-by-byte reader is measured against.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/dynamic_buffer.h"
#include "foundation/soup/acs_text.h"
#include "foundation/streams/t_buffer.h"

namespace {

constexpr size_t kTargetSize = 10 * 1024 * 1024;

// One asset-like entry: names, numbers, lists, KUIDs, text and a nested table, in the
// mixture that config files hold.
void AppendItem(std::string& text, int group, int item) {
    const std::string n = std::to_string(item);
    text += "  item" + n + "\r\n  {\r\n";
    text += "    kuid                                <kuid2:" + std::to_string(1000 + group) + ":" +
            n + ":2>\r\n";
    text += "    username                            \"Generated asset " + n + "\"\r\n";
    text += "    kind                                scenery\r\n";
    text += "    category-class                      \"BR\"\r\n";
    text += "    kodrin-build                        4.6\r\n";
    text += "    count                               " + std::to_string(item * 37 % 1000) + "\r\n";
    text += "    offset                              0.25,-1.5," + n + "\r\n";
    text += "    description                         \"A line of text that describes the "
            "asset,\r\nover two lines.\"\r\n";
    text += "    \r\n    mesh-table\r\n    {\r\n      default\r\n      {\r\n";
    text += "        mesh                            \"body" + n + ".im\"\r\n";
    text += "        auto-create                     1\r\n";
    text += "      }\r\n    }\r\n  }\r\n";
}

const std::string& ConfigText() {
    static const std::string text = [] {
        std::string out = "\xEF\xBB\xBF\r\n";
        for (int group = 0; out.size() < kTargetSize; ++group) {
            out += "group" + std::to_string(group) + "\r\n{\r\n";
            for (int item = 0; item < 200 && out.size() < kTargetSize; ++item) {
                if (item > 0) out += "\r\n";
                AppendItem(out, group, item);
            }
            out += "}\r\n\r\n";
        }
        return out;
    }();
    return text;
}

void BM_TextParse(benchmark::State& state) {
    const std::string& text = ConfigText();
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    stream.WriteBytes(text.data(), text.size());
    for (auto _ : state) {
        stream.Rewind();
        ACSChunkRef soup;
        ACSText::Parse(soup, stream, false);
        benchmark::DoNotOptimize(soup.Get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_TextParse)->Unit(benchmark::kMillisecond);

void BM_TextWrite(benchmark::State& state) {
    Kiv::DynamicBuffer input;
    TBuffer source(&input, false);
    source.WriteBytes(ConfigText().data(), ConfigText().size());
    source.Rewind();
    ACSChunkRef soup;
    ACSText::Parse(soup, source, false);
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    size_t written = 0;
    for (auto _ : state) {
        stream.Reopen();
        ACSText::Write(soup, stream);
        written = memory.GetDataLength();
        benchmark::DoNotOptimize(memory.GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * written));
}
BENCHMARK(BM_TextWrite)->Unit(benchmark::kMillisecond);

// The peer: every line end found with memchr.
void BM_MemchrLineScan(benchmark::State& state) {
    const std::string& text = ConfigText();
    for (auto _ : state) {
        size_t lines = 0;
        const char* at = text.data();
        const char* const end = at + text.size();
        while (const void* found = std::memchr(at, '\n', static_cast<size_t>(end - at))) {
            ++lines;
            at = static_cast<const char*>(found) + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MemchrLineScan)->Unit(benchmark::kMillisecond);

} // namespace
