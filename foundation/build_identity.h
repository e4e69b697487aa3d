// The build identity of the tool: version 330, build 49933. It is printed by `version`,
// returned by the installed-version words, sent in the daemon handshake and used in the
// name of crash reports.
#pragma once

#include <cstdint>

namespace BuildIdentity {

constexpr int32_t kVersion = 330;
constexpr int32_t kBuildNumber = 49933;

}  // namespace BuildIdentity
