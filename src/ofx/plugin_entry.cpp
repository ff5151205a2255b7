// The plug-in's two exports and its action dispatch.
#include <atomic>
#include <new>
#include <string_view>

#include "effect/identity.h"
#include "ofx/describe.h"
#include "ofx/instance_setup.h"
#include "ofx/plugin_identity.h"
#include "ofx/render.h"
#include "ofx/suites.h"

namespace huesieve::ofx {
namespace {

// The one thing the plug-in keeps: the host hands itself over once, through
// setHost, before any action, and every action needs it to fetch the suites.
// Atomic, since actions may then run on any thread.
std::atomic<OfxHost*> host{nullptr};

void SetHost(OfxHost* given) { host.store(given, std::memory_order_release); }

OfxStatus Dispatch(std::string_view action, OfxImageEffectHandle effect,
                   OfxPropertySetHandle in_args, OfxPropertySetHandle out_args) {
  const std::optional<Suites> suites = FetchSuites(host.load(std::memory_order_acquire));
  if (!suites) return kOfxStatErrMissingHostFeature;
  if (action == kOfxActionLoad || action == kOfxActionUnload) return kOfxStatOK;
  if (action == kOfxActionDescribe) return Describe(*suites, effect);
  if (action == kOfxImageEffectActionDescribeInContext) return DescribeInContext(*suites, effect);
  if (action == kOfxActionCreateInstance) return CreateInstance(*suites, effect);
  if (action == kOfxImageEffectActionGetClipPreferences) {
    return ClipPreferences(*suites, effect, out_args);
  }
  if (action == kOfxImageEffectActionIsIdentity) {
    return AnswerIdentity(*suites, effect, in_args, out_args);
  }
  if (action == kOfxImageEffectActionRender) return Render(*suites, effect, in_args);
  return kOfxStatReplyDefault;
}

// No exception leaves the plug-in: the host hears of a failure by its status.
OfxStatus MainEntry(const char* action, const void* handle, OfxPropertySetHandle in_args,
                    OfxPropertySetHandle out_args) {
  if (action == nullptr) return kOfxStatErrValue;
  try {
    return Dispatch(action, static_cast<OfxImageEffectHandle>(const_cast<void*>(handle)), in_args,
                    out_args);
  } catch (const std::bad_alloc&) {
    return kOfxStatErrMemory;
  } catch (...) {
    return kOfxStatFailed;
  }
}

const OfxPlugin kPlugin{kOfxImageEffectPluginApi,
                        kOfxImageEffectPluginApiVersion,
                        kPluginIdentifier,
                        kMajorVersion,
                        kMinorVersion,
                        &SetHost,
                        &MainEntry};

}  // namespace
}  // namespace huesieve::ofx

extern "C" {

OfxExport int OfxGetNumberOfPlugins(void) { return 1; }

// Hosts take the plug-in's record by a pointer to non-const but never write it.
OfxExport OfxPlugin* OfxGetPlugin(int nth) {
  return nth == 0 ? const_cast<OfxPlugin*>(&huesieve::ofx::kPlugin) : nullptr;
}

}  // extern "C"
