#pragma once
// The one place that assembles the runtime: every statement, function and
// system-variable family registered into a Runtime over the host.
#include <memory>

#include "core/runtime.h"

namespace vestil {

// A Runtime over the host's interfaces with every family registered.
std::unique_ptr<Runtime> AssembleRuntime(const Host& host);

}  // namespace vestil
