// Deterministic corpora for the LZSS benchmark, generated in code from a fixed seed with
// our own small generator (so every run and machine sees the same bytes): text (prose
// and config-like blocks) and binary (mesh-like records with some incompressible blocks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lzss_bench {

std::vector<uint8_t> MakeText(size_t size);
std::vector<uint8_t> MakeBinary(size_t size);

}  // namespace lzss_bench
