// The binary soup form on a generated soup of about 10 MB: writing an in-memory tree,
// reading (the one read of the body and its validation), reading and visiting every value
// through the lazy views, and writing a read soup back through its views. Each figure is in
// bytes of the file form per second; a plain copy of those bytes runs beside them as the
// peer that bounds what any reader can do.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "foundation/streams/buffer_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kTargetSize = 10 << 20;

// One asset-like sub-soup: texts, numbers, a float array, a KUID, a nested table and a blob.
ACSChunkRef MakeAsset(int n) {
    ACSChunkRef asset;
    asset.SetNamedTagKUID(Kiv::PString("kuid"), KUID(400000 + n, n, 0));
    asset.SetNamedTagString(Kiv::PString("username"),
                            "generated asset with a fairly ordinary name");
    asset.SetNamedTagString(Kiv::PString("description"),
                            "a longer text that describes the asset, as descriptions of assets do, "
                            "over one or two sentences of plain words");
    asset.SetNamedTagInt(Kiv::PString("kodrin-build"), 3 + n % 5);
    asset.SetNamedTagFloat(Kiv::PString("scale"), 1.0f + static_cast<float>(n % 7) / 8);
    float floats[16];
    for (int i = 0; i < 16; ++i)
        floats[i] = static_cast<float>(n * 16 + i) / 3;
    asset.SetNamedTagFloatArray(Kiv::PString("bounds"), floats);
    ACSChunkRef table;
    for (int i = 0; i < 8; ++i) {
        ACSChunkRef row;
        row.SetNamedTagString(Kiv::PString("mesh"), "meshes/part.im");
        row.SetNamedTagInt(Kiv::PString("level"), i);
        row.SetNamedTagBool(Kiv::PString("auto-create"), i % 2 == 0);
        table.SetNamedSoup(Kiv::PString::Setf("row-%d", i), row);
    }
    asset.SetNamedSoup(Kiv::PString("mesh-table"), table);
    uint8_t blob[256];
    for (int i = 0; i < 256; ++i)
        blob[i] = static_cast<uint8_t>(n + i * 7);
    asset->AddChild(
        Kiv::PString("thumbnail"),
        asset->CreateTag(ACSTagType::Blob, ACSRawDataRef::CopyBytes(sizeof blob, blob)));
    return asset;
}

Bytes WriteToMemory(const ACSChunkRef& soup) {
    BufferStream memory;
    TDBBinaryFile::WriteSoup(memory.Stream(), soup);
    const Kiv::DynamicBuffer& buffer = memory.Buffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

struct Generated {
    ACSChunkRef soup;
    Bytes bytes;
};

// Assets are added in batches until the file form passes the target size.
const Generated& Soup() {
    static const Generated generated = [] {
        Generated made;
        int n = 0;
        do {
            for (int batch = 0; batch < 1000; ++batch, ++n) {
                ACSChunkRef asset = MakeAsset(n);
                made.soup.SetNamedSoup(Kiv::PString::Setf("asset-%d", n), asset);
            }
            made.bytes = WriteToMemory(made.soup);
        } while (made.bytes.size() < kTargetSize);
        return made;
    }();
    return generated;
}

// A memory stream holding the file form, at its start.
class FileStream : public BufferStream {
  public:
    explicit FileStream(const Bytes& bytes) {
        Buffer().Write(bytes.data(), 1, bytes.size());
        Buffer().Seek(0, 0);
    }
};

ACSChunkRef ReadFrom(const Bytes& bytes, benchmark::State& state) {
    FileStream stream(bytes);
    ACSChunkRef soup;
    if (!TDBBinaryFile::ReadSoup(soup, stream.Stream()) || soup.IsNull())
        state.SkipWithError("the generated file did not read");
    return soup;
}

// Visits every node and sums every value byte.
uint64_t Visit(const ACSChunkRef& soup) {
    uint64_t sum = 0;
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child)) continue;
        const uint8_t* data = child->GetData();
        for (uint32_t b = 0; b < child->GetDataSize(); ++b)
            sum += data[b];
        sum += name.Length() + Visit(child);
    }
    return sum;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Soup().bytes.size()));
    state.counters["MB"] = static_cast<double>(Soup().bytes.size()) / (1 << 20);
}

void BM_SoupBinaryWrite(benchmark::State& state) {
    const ACSChunkRef& soup = Soup().soup;
    for (auto _ : state) {
        BufferStream memory;
        TDBBinaryFile::WriteSoup(memory.Stream(), soup);
        benchmark::DoNotOptimize(memory.Buffer().GetData());
    }
    SetBytes(state);
}

void BM_SoupBinaryRead(benchmark::State& state) {
    const Bytes& bytes = Soup().bytes;
    for (auto _ : state) {
        ACSChunkRef soup = ReadFrom(bytes, state);
        benchmark::DoNotOptimize(soup.Get());
    }
    SetBytes(state);
}

void BM_SoupBinaryReadAndVisit(benchmark::State& state) {
    const Bytes& bytes = Soup().bytes;
    for (auto _ : state) {
        const ACSChunkRef soup = ReadFrom(bytes, state);
        benchmark::DoNotOptimize(Visit(soup));
    }
    SetBytes(state);
}

void BM_SoupBinaryRewriteRead(benchmark::State& state) {
    const ACSChunkRef soup = ReadFrom(Soup().bytes, state);
    for (auto _ : state) {
        BufferStream memory;
        TDBBinaryFile::WriteSoup(memory.Stream(), soup);
        benchmark::DoNotOptimize(memory.Buffer().GetData());
    }
    SetBytes(state);
}

// The peer: copying the file form's bytes into a memory stream and out into a block.
void BM_SoupBinaryCopyPeer(benchmark::State& state) {
    const Bytes& bytes = Soup().bytes;
    for (auto _ : state) {
        FileStream stream(bytes);
        Bytes copy(bytes.size());
        stream.Stream().ReadBytes(copy.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    SetBytes(state);
}

} // namespace

BENCHMARK(BM_SoupBinaryCopyPeer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoupBinaryWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoupBinaryRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoupBinaryReadAndVisit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoupBinaryRewriteRead)->Unit(benchmark::kMillisecond);
