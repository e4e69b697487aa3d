// What the scale benchmarks share with the summary that main prints after the run: the tag
// counts parsed, the name of the per-tag counter, and the benchmarks' names.
#pragma once

constexpr int kScaleTagCounts[] = {1000, 10000, 300000};
constexpr const char* kPerTagCounter = "seconds_per_tag";
