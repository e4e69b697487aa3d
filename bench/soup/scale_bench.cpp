// How soup work grows with the size of one container. Parsing a config.txt of 1,000, 10,000
// and 300,000 tags in one container must cost the same per tag within 2x (each tag replaces
// any earlier tag of its name, through the container's index of names). The "dsid" checksum
// of a 65,536-file archive folder, in memory and read back from its binary form, must stay
// within 1 s; its peer is the word sum of the same file bytes held in one plain block.
#include "scale_bench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/dynamic_buffer.h"
#include "foundation/cdp/chunk_checksum.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "foundation/streams/buffer_stream.h"
#include "foundation/streams/t_buffer.h"

namespace {

constexpr int kArchiveFiles = 65536;
constexpr uint32_t kFileSize = 64;

// count tags of distinct names in the top-level container, values of each kind the reader
// guesses: integers, floats, texts and KUIDs.
std::string TagsText(int count) {
    std::string text = "\xEF\xBB\xBF\r\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        std::string value;
        switch (i % 4) {
        case 0: value = n; break;
        case 1: value = n + ".5"; break;
        case 2: value = "\"text " + n + "\""; break;
        default: value = "<kuid:1000:" + n + ">"; break;
        }
        text += "tag-" + n + std::string(36 - n.size(), ' ') + value + "\r\n";
    }
    return text;
}

void BM_TextParseTags(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    const std::string text = TagsText(count);
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    stream.WriteBytes(text.data(), text.size());
    // One parse first, so every size is measured with its names interned already.
    {
        stream.Rewind();
        ACSChunkRef warm;
        ACSText::Parse(warm, stream, false);
    }
    for (auto _ : state) {
        stream.Rewind();
        ACSChunkRef soup;
        ACSText::Parse(soup, stream, false);
        if (soup.CountTags() != count) state.SkipWithError("tags were lost");
        benchmark::DoNotOptimize(soup.Get());
    }
    state.counters[kPerTagCounter] = benchmark::Counter(
        static_cast<double>(count) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TextParseTags)
    ->Arg(kScaleTagCounts[0])
    ->Arg(kScaleTagCounts[1])
    ->Arg(kScaleTagCounts[2])
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);

// The bytes of file n: words that differ from file to file.
std::vector<uint8_t> FileBytes(int n) {
    std::vector<uint8_t> bytes(kFileSize);
    for (uint32_t i = 0; i < kFileSize; ++i)
        bytes[i] = static_cast<uint8_t>(n * 31 + i * 7);
    return bytes;
}

// One archive folder of kArchiveFiles files, as "files" holds them: blobs named by path.
const ACSChunkRef& ArchiveFiles() {
    static const ACSChunkRef files = [] {
        ACSChunkRef folder;
        folder.EnsureContainer();
        for (int n = 0; n < kArchiveFiles; ++n) {
            const std::vector<uint8_t> bytes = FileBytes(n);
            folder->AddChild(Kiv::PString::Setf("file-%05d.texture", n),
                             folder->CreateTag(ACSTagType::Blob,
                                               ACSRawDataRef::CopyBytes(kFileSize, bytes.data())));
        }
        return folder;
    }();
    return files;
}

ACSChunkRef ReadBack(const ACSChunkRef& soup) {
    BufferStream memory;
    TDBBinaryFile::WriteSoup(memory.Stream(), soup);
    memory.Stream().Rewind();
    ACSChunkRef read;
    TDBBinaryFile::ReadSoup(read, memory.Stream());
    return read;
}

void RunChecksum(benchmark::State& state, const ACSChunkRef& files) {
    const ChunkChecksum expected = ChunkChecksum::OfTree(ArchiveFiles());
    for (auto _ : state) {
        const ChunkChecksum sum = ChunkChecksum::OfTree(files);
        if (!(sum == expected)) state.SkipWithError("the checksums differ");
        benchmark::DoNotOptimize(sum);
    }
}

void BM_ArchiveChecksumInMemory(benchmark::State& state) {
    RunChecksum(state, ArchiveFiles());
}
BENCHMARK(BM_ArchiveChecksumInMemory)->Unit(benchmark::kMillisecond);

void BM_ArchiveChecksumReadBack(benchmark::State& state) {
    // A view of the folder inside a read file, as an opened archive holds it.
    ACSChunkRef archive;
    ACSChunkRef files = ArchiveFiles();
    archive.SetNamedSoup(Kiv::PString("files"), files);
    const ACSChunkRef read = ReadBack(archive);
    RunChecksum(state, read.GetNamedSoup(Kiv::PString("files")));
}
BENCHMARK(BM_ArchiveChecksumReadBack)->Unit(benchmark::kMillisecond);

// The peer: the same file bytes, one after another in one block, summed as the checksum
// sums each file.
void BM_ArchiveChecksumPeer(benchmark::State& state) {
    std::vector<uint8_t> all;
    for (int n = 0; n < kArchiveFiles; ++n) {
        const std::vector<uint8_t> bytes = FileBytes(n);
        all.insert(all.end(), bytes.begin(), bytes.end());
    }
    for (auto _ : state) {
        ChunkChecksum sum;
        for (size_t at = 0; at < all.size(); at += kFileSize)
            sum = ChunkChecksum::Combine(sum, ChunkChecksum::OfBytes(kFileSize, &all[at]));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ArchiveChecksumPeer)->Unit(benchmark::kMillisecond);

} // namespace
