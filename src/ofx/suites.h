// The host's suites the plug-in uses, fetched from the host for each action.
#pragma once

#include <optional>

#include "ofx/api/ofx_core.h"
#include "ofx/api/ofx_image_effect.h"
#include "ofx/api/ofx_message.h"
#include "ofx/api/ofx_multithread.h"
#include "ofx/api/ofx_param.h"
#include "ofx/api/ofx_property.h"

namespace huesieve::ofx {

struct Suites {
  const OfxPropertySuiteV1* property;
  const OfxImageEffectSuiteV1* effect;
  const OfxParameterSuiteV1* param;
  // Messages are a courtesy: a host without the suite still renders.
  const OfxMessageSuiteV1* message;
  // Threads to share a frame between; without the suite, frames render on
  // the calling thread.
  const OfxMultiThreadSuiteV1* multithread;
};

// The suites, or none when the host lacks one the plug-in needs.
std::optional<Suites> FetchSuites(const OfxHost* host);

// Tells the user why an action failed, where the host has a message suite.
void ReportError(const Suites& suites, OfxImageEffectHandle effect, const char* text);

}  // namespace huesieve::ofx
