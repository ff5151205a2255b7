// The one exception the module raises: a host error code on its way back to
// the command dispatch, which returns it to the host.
#pragma once

#include "host/pf_types.h"

namespace huesieve {

class HostError {
 public:
  explicit HostError(PF_Err code) : code_(code) {}
  PF_Err code() const { return code_; }

 private:
  PF_Err code_;
};

}  // namespace huesieve
