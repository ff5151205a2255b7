// A handle that is no live object of the host's can be tied to no host, so
// its refusal cannot go into a host's complaint log; it is reported on the
// standard error stream instead, where a test run shows it.
#pragma once

#include "ofx/api/ofx_core.h"

namespace hostsim::ofx {

OfxStatus RefuseBadHandle(const char* suite_function, const char* what);

}  // namespace hostsim::ofx
