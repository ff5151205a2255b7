#include "testing/hostsim/ofx/bad_handle.h"

#include <cstdio>

namespace hostsim::ofx {

OfxStatus RefuseBadHandle(const char* suite_function, const char* what) {
  std::fprintf(stderr, "simulated OFX host: %s was given %s, returned %d\n", suite_function, what,
               kOfxStatErrBadHandle);
  return kOfxStatErrBadHandle;
}

}  // namespace hostsim::ofx
