// The version texts: the runtime's own ($VERSION, the text programs test) and
// the build's (the CMake project version, in the generated build_version.h).
#pragma once

#include "build_version.h"

namespace vestil {

inline constexpr char kRuntimeVersion[] = "5.0a-NT";
inline constexpr char kBuildVersion[] = VESTIL_BUILD_VERSION;

}  // namespace vestil
