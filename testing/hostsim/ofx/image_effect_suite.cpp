// The image effect suite: effects, clips, images and image memory.
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "testing/hostsim/ofx/bad_handle.h"
#include "testing/hostsim/ofx/effect.h"
#include "testing/hostsim/ofx/handle.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

// A block of image memory: locked to be used, freed when done.
class ImageMemory {
 public:
  ImageMemory(Host& host, std::size_t bytes) : host_(&host), bytes_(bytes == 0 ? 1 : bytes) {}
  OfxImageMemoryHandle handle() { return handle_.As<OfxImageMemoryHandle>(); }
  static ImageMemory* Find(OfxImageMemoryHandle handle) { return Handle::Find(handle); }
  Host& host() const { return *host_; }
  void* Lock() {
    ++locks_;
    return bytes_.data();
  }
  bool Unlock() {
    int locks = locks_.load();
    while (locks > 0 && !locks_.compare_exchange_weak(locks, locks - 1)) {
    }
    return locks > 0;
  }

 private:
  using Handle = HandleOf<kImageMemoryTag, ImageMemory>;
  Handle handle_{this};
  Host* host_;
  std::vector<std::byte> bytes_;
  std::atomic<int> locks_{0};
};

OfxStatus Refuse(Host& host, const std::string& what, OfxStatus status) {
  host.complaint_log().Add(ComplaintKind::kRefusal, what + ", returned " + std::to_string(status));
  return status;
}

OfxStatus getPropertySet(OfxImageEffectHandle handle, OfxPropertySetHandle* properties) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr) return RefuseBadHandle("getPropertySet", "no image effect");
  if (properties == nullptr) {
    return Refuse(effect->host(), "getPropertySet on " + effect->label() + " with a null result",
                  kOfxStatErrBadHandle);
  }
  *properties = effect->properties().handle();
  return kOfxStatOK;
}

OfxStatus getParamSet(OfxImageEffectHandle handle, OfxParamSetHandle* params) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr) return RefuseBadHandle("getParamSet", "no image effect");
  if (params == nullptr) {
    return Refuse(effect->host(), "getParamSet on " + effect->label() + " with a null result",
                  kOfxStatErrBadHandle);
  }
  *params = effect->params().handle();
  return kOfxStatOK;
}

OfxStatus clipDefine(OfxImageEffectHandle handle, const char* name,
                     OfxPropertySetHandle* properties) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr) return RefuseBadHandle("clipDefine", "no image effect");
  if (effect->role() != EffectRole::kContextDescriptor) {
    return Refuse(effect->host(),
                  "clipDefine on " + effect->label() + ", which is not described in a context",
                  kOfxStatErrBadHandle);
  }
  if (name == nullptr) {
    return Refuse(effect->host(), "clipDefine on " + effect->label() + " without a name",
                  kOfxStatErrValue);
  }
  Clip* clip = nullptr;
  if (const OfxStatus status = effect->DefineClip(name, clip); status != kOfxStatOK) {
    return Refuse(effect->host(), "clipDefine of " + std::string(name) + " twice", status);
  }
  if (properties != nullptr) *properties = clip->properties().handle();
  return kOfxStatOK;
}

OfxStatus clipGetHandle(OfxImageEffectHandle handle, const char* name, OfxImageClipHandle* clip,
                        OfxPropertySetHandle* properties) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr) return RefuseBadHandle("clipGetHandle", "no image effect");
  if (effect->role() != EffectRole::kInstance || clip == nullptr || name == nullptr) {
    return Refuse(effect->host(),
                  "clipGetHandle on " + effect->label() + " (an instance's clips only)",
                  kOfxStatErrBadHandle);
  }
  Clip* found = effect->FindClip(name);
  if (found == nullptr) {
    return Refuse(effect->host(), "clipGetHandle of " + std::string(name) + ", no such clip",
                  kOfxStatErrBadHandle);
  }
  *clip = found->handle();
  if (properties != nullptr) *properties = found->properties().handle();
  return kOfxStatOK;
}

OfxStatus clipGetPropertySet(OfxImageClipHandle handle, OfxPropertySetHandle* properties) {
  Clip* clip = Clip::Find(handle);
  if (clip == nullptr || properties == nullptr) {
    return RefuseBadHandle("clipGetPropertySet", "no clip or a null result");
  }
  *properties = clip->properties().handle();
  return kOfxStatOK;
}

// The region is a hint a host may ignore; this one always hands out the
// whole image the frame holds.
OfxStatus clipGetImage(OfxImageClipHandle handle, OfxTime time, const OfxRectD*,
                       OfxPropertySetHandle* image) {
  Clip* clip = Clip::Find(handle);
  if (clip == nullptr || clip->instance() == nullptr || image == nullptr) {
    if (image != nullptr) *image = nullptr;
    return RefuseBadHandle("clipGetImage", "no clip of an instance, or a null result");
  }
  return clip->instance()->FetchImage(*clip, time, image);
}

OfxStatus clipReleaseImage(OfxPropertySetHandle handle) {
  PropertySet* properties = PropertySet::Find(handle);
  if (properties == nullptr || properties->owner_kind() != PropertySetOwner::kImage) {
    return RefuseBadHandle("clipReleaseImage", "no image");
  }
  auto* lease = static_cast<ImageLease*>(properties->owner());
  if (!lease->Release()) {
    properties->log().Add(ComplaintKind::kRefusal, "clipReleaseImage of " + lease->label() +
                                                       " twice, returned " +
                                                       std::to_string(kOfxStatErrBadHandle));
    return kOfxStatErrBadHandle;
  }
  return kOfxStatOK;
}

OfxStatus clipGetRegionOfDefinition(OfxImageClipHandle handle, OfxTime time, OfxRectD* bounds) {
  Clip* clip = Clip::Find(handle);
  if (clip == nullptr || clip->instance() == nullptr || bounds == nullptr) {
    return RefuseBadHandle("clipGetRegionOfDefinition", "no clip of an instance, or no result");
  }
  *bounds = clip->instance()->ClipRegionOfDefinition(*clip, time);
  return kOfxStatOK;
}

int abort(OfxImageEffectHandle handle) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr || effect->instance() == nullptr) {
    RefuseBadHandle("abort", "no image effect instance");
    return 0;
  }
  return effect->instance()->AskAbort() ? 1 : 0;
}

OfxStatus imageMemoryAlloc(OfxImageEffectHandle handle, std::size_t bytes,
                           OfxImageMemoryHandle* memory) {
  Effect* effect = Effect::Find(handle);
  if (effect == nullptr || memory == nullptr) {
    return RefuseBadHandle("imageMemoryAlloc", "no image effect, or a null result");
  }
  auto* block = new ImageMemory(effect->host(), bytes);
  effect->host().Lend(block);
  *memory = block->handle();
  return kOfxStatOK;
}

OfxStatus imageMemoryFree(OfxImageMemoryHandle handle) {
  ImageMemory* block = ImageMemory::Find(handle);
  if (block == nullptr || !block->host().TakeBack(block)) {
    return RefuseBadHandle("imageMemoryFree", "no image memory");
  }
  delete block;
  return kOfxStatOK;
}

OfxStatus imageMemoryLock(OfxImageMemoryHandle handle, void** pointer) {
  ImageMemory* block = ImageMemory::Find(handle);
  if (block == nullptr || pointer == nullptr) {
    return RefuseBadHandle("imageMemoryLock", "no image memory, or a null result");
  }
  *pointer = block->Lock();
  return kOfxStatOK;
}

OfxStatus imageMemoryUnlock(OfxImageMemoryHandle handle) {
  ImageMemory* block = ImageMemory::Find(handle);
  if (block == nullptr || !block->Unlock()) {
    return RefuseBadHandle("imageMemoryUnlock", "no locked image memory");
  }
  return kOfxStatOK;
}

OfxImageEffectSuiteV1 Build() {
  OfxImageEffectSuiteV1 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kImageEffect);
  suite.getPropertySet = &getPropertySet;
  suite.getParamSet = &getParamSet;
  suite.clipDefine = &clipDefine;
  suite.clipGetHandle = &clipGetHandle;
  suite.clipGetPropertySet = &clipGetPropertySet;
  suite.clipGetImage = &clipGetImage;
  suite.clipReleaseImage = &clipReleaseImage;
  suite.clipGetRegionOfDefinition = &clipGetRegionOfDefinition;
  suite.abort = &abort;
  suite.imageMemoryAlloc = &imageMemoryAlloc;
  suite.imageMemoryFree = &imageMemoryFree;
  suite.imageMemoryLock = &imageMemoryLock;
  suite.imageMemoryUnlock = &imageMemoryUnlock;
  return suite;
}

}  // namespace

const OfxImageEffectSuiteV1& ImageEffectSuite() {
  static const OfxImageEffectSuiteV1 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
