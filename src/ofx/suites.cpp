#include "ofx/suites.h"

namespace huesieve::ofx {

std::optional<Suites> FetchSuites(const OfxHost* host) {
  if (host == nullptr || host->fetchSuite == nullptr) return std::nullopt;
  const auto fetch = [host](const char* name, int version) {
    return host->fetchSuite(host->host, name, version);
  };
  Suites suites{
      static_cast<const OfxPropertySuiteV1*>(fetch(kOfxPropertySuite, 1)),
      static_cast<const OfxImageEffectSuiteV1*>(fetch(kOfxImageEffectSuite, 1)),
      static_cast<const OfxParameterSuiteV1*>(fetch(kOfxParameterSuite, 1)),
      static_cast<const OfxMessageSuiteV1*>(fetch(kOfxMessageSuite, 1)),
      static_cast<const OfxMultiThreadSuiteV1*>(fetch(kOfxMultiThreadSuite, 1)),
  };
  if (suites.property == nullptr || suites.effect == nullptr || suites.param == nullptr) {
    return std::nullopt;
  }
  return suites;
}

void ReportError(const Suites& suites, OfxImageEffectHandle effect, const char* text) {
  if (suites.message == nullptr || suites.message->message == nullptr) return;
  suites.message->message(effect, kOfxMessageError, "Huesieve", "%s", text);
}

}  // namespace huesieve::ofx
