// The message suite, version 2 (served for version 1 as well): messages go
// into the host's message log, persistent ones too, with the effect they
// were posted on.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "testing/hostsim/ofx/bad_handle.h"
#include "testing/hostsim/ofx/effect.h"
#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/suite_traps.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

std::string Format(const char* format, va_list arguments) {
  if (format == nullptr) return "";
  va_list counting;
  va_copy(counting, arguments);
  const int size = std::vsnprintf(nullptr, 0, format, counting);
  va_end(counting);
  if (size < 0) return "";
  std::vector<char> text(static_cast<std::size_t>(size) + 1);
  std::vsnprintf(text.data(), text.size(), format, arguments);
  return text.data();
}

OfxStatus Post(const char* call, void* handle, const char* type, const char* id, const char* format,
               va_list arguments) {
  Effect* effect = Effect::Find(static_cast<OfxImageEffectHandle>(handle));
  const std::string text = Format(format, arguments);
  if (effect == nullptr) {
    // A message with no effect handle is allowed; no host log can take it.
    std::fprintf(stderr, "simulated OFX host: %s without an effect: %s\n", call, text.c_str());
    return handle == nullptr ? kOfxStatOK : kOfxStatErrBadHandle;
  }
  effect->host().AddMessage(
      {effect->label(), call, type != nullptr ? type : "", id != nullptr ? id : "", text});
  // The host runs without a user to answer a question.
  return type != nullptr && std::string_view(type) == kOfxMessageQuestion ? kOfxStatFailed
                                                                          : kOfxStatOK;
}

OfxStatus message(void* handle, const char* type, const char* id, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const OfxStatus status = Post("message", handle, type, id, format, arguments);
  va_end(arguments);
  return status;
}

OfxStatus setPersistentMessage(void* handle, const char* type, const char* id, const char* format,
                               ...) {
  if (Effect::Find(static_cast<OfxImageEffectHandle>(handle)) == nullptr) {
    return RefuseBadHandle("setPersistentMessage", "no image effect");
  }
  va_list arguments;
  va_start(arguments, format);
  const OfxStatus status = Post("setPersistentMessage", handle, type, id, format, arguments);
  va_end(arguments);
  return status;
}

OfxStatus clearPersistentMessage(void* handle) {
  Effect* effect = Effect::Find(static_cast<OfxImageEffectHandle>(handle));
  if (effect == nullptr) return RefuseBadHandle("clearPersistentMessage", "no image effect");
  effect->host().AddMessage({effect->label(), "clearPersistentMessage", "", "", ""});
  return kOfxStatOK;
}

OfxMessageSuiteV2 Build() {
  OfxMessageSuiteV2 suite;
  TrapEverySlot(&suite, sizeof suite, TrappedSuite::kMessage);
  suite.message = &message;
  suite.setPersistentMessage = &setPersistentMessage;
  suite.clearPersistentMessage = &clearPersistentMessage;
  return suite;
}

}  // namespace

const OfxMessageSuiteV2& MessageSuite() {
  static const OfxMessageSuiteV2 suite = Build();
  return suite;
}

}  // namespace hostsim::ofx
