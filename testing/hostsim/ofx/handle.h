// The blind handles the simulated host hands a plug-in. Each points at a
// small header of the host's own, a tag and the object it stands for, so a
// handle of the wrong kind, a null one or one already destroyed is told from a
// good one the way real hosts tell them: by a tag, not by a crash.
#pragma once

#include <cstdint>

namespace hostsim::ofx {

template <std::uint64_t kTag, typename Object>
class HandleOf {
 public:
  explicit HandleOf(Object* object) : tag_(kTag), object_(object) {}
  ~HandleOf() { tag_ = 0; }
  HandleOf(const HandleOf&) = delete;
  HandleOf& operator=(const HandleOf&) = delete;

  template <typename Handle>
  Handle As() {
    return reinterpret_cast<Handle>(this);
  }

  // The object behind `handle`, or null when it is not a live handle of
  // this kind.
  template <typename Handle>
  static Object* Find(Handle handle) {
    if (handle == nullptr) return nullptr;
    const auto* header = reinterpret_cast<const HandleOf*>(handle);
    return header->tag_ == kTag ? header->object_ : nullptr;
  }

 private:
  std::uint64_t tag_;
  Object* object_;
};

// One tag per kind of object; the bytes spell the kind, which helps when a
// handle shows up in a debugger.
inline constexpr std::uint64_t kPropertySetTag = 0x50524f5053455431;  // "PROPSET1"
inline constexpr std::uint64_t kEffectTag = 0x4546464543543131;       // "EFFECT11"
inline constexpr std::uint64_t kClipTag = 0x434c495031313131;         // "CLIP1111"
inline constexpr std::uint64_t kParamTag = 0x504152414d313131;        // "PARAM111"
inline constexpr std::uint64_t kParamSetTag = 0x504152414d534554;     // "PARAMSET"
inline constexpr std::uint64_t kImageMemoryTag = 0x494d474d454d3131;  // "IMGMEM11"

}  // namespace hostsim::ofx
