// Host misbehaviour for the tests of bad input, kept out of the host itself:
// a host without a suite, and image requests that fail, come back empty, or
// hand out an image whose properties say something the host never offers
// (components other than RGBA, a pixel depth no host has). The other bad
// input, images without a source, of different bounds or of no size, is
// ordinary host behaviour: the frame request says so.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/instance.h"

namespace hostsim::ofx::faults {

// A host that serves every suite but `suite` (all its versions).
HostConfig WithoutSuite(std::string_view suite, HostConfig config = {});

class ImageFaults {
 public:
  // Requests for the clip's images fail with `status`.
  ImageFaults& FailFetch(std::string clip, OfxStatus status = kOfxStatFailed);
  // Requests for the clip's images succeed and hand out a null handle.
  ImageFaults& FetchNothing(std::string clip);
  // The clip's images carry `value` for the string property `property`,
  // e.g. kOfxImageEffectPropPixelDepth "OfxBitDepthDouble".
  ImageFaults& Relabel(std::string clip, std::string property, std::string value);
  // Makes `instance`'s image requests go through these faults.
  void InstallOn(Instance& instance) const;

 private:
  struct Fault {
    std::string clip;
    OfxStatus status = kOfxStatOK;
    bool nothing = false;
    std::string property;
    std::string value;
  };
  std::shared_ptr<std::vector<Fault>> faults_ = std::make_shared<std::vector<Fault>>();
};

}  // namespace hostsim::ofx::faults
