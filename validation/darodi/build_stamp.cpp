// The build stamp and its readings.
#include "validation/darodi/build_stamp.h"

#include <climits>

#include "foundation/soup/chunk.h"
#include "validation/darodi/keywords.h"

namespace DAROdi {

namespace {

constexpr float kDefaultBuild = 1.3f;
constexpr float kStampMargin = 0.001f;

int Saturate(double value) {
    if (!(value < static_cast<double>(INT_MAX))) return INT_MAX;
    if (!(value > static_cast<double>(INT_MIN))) return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

float ConfigBuildStamp(const ACSChunkRef& config) {
    const Kiv::PString& key = Words().kodrinBuild;
    ACSChunkRef build = config.IsNull() ? ACSChunkRef() : config->GetNamedChunkConst(key);
    float value = kDefaultBuild;
    if (build.Get() && build->GetType() == ACSTagType::FloatArray &&
        build->GetDataSize() == sizeof(float))
        value = config.GetNamedTagAsFloat(key, kDefaultBuild);
    return value + kStampMargin;
}

int StampHundredths(float stamp) {
    return Saturate(static_cast<double>(stamp * 100.0f));
}

int StampHundredthsRounded(float stamp) {
    return Saturate(static_cast<double>(stamp * 100.0f) + 0.1);
}

} // namespace DAROdi
