#include "host/suite_handler.h"

#include "host/host_error.h"

namespace huesieve {

SuiteHandler::SuiteHandler(SPBasicSuite* broker) : broker_(broker), suites_{} {
  if (broker_ == nullptr) RaiseMissingSuite();
}

SuiteHandler::~SuiteHandler() { ReleaseAll(); }

const PF_ANSICallbacksSuite1* SuiteHandler::AnsiSuite() {
  return static_cast<const PF_ANSICallbacksSuite1*>(Obtain(kAnsiSuiteRow));
}

const void* SuiteHandler::Obtain(std::size_t row) {
  if (suites_[row] != nullptr) return suites_[row];
  const void* suite = nullptr;
  const SuiteRow& wanted = kSuiteTable[row];
  // A pointer that comes back with a failure code is not ours to keep or release.
  if (broker_->AcquireSuite(wanted.name, wanted.version, &suite) != 0 || suite == nullptr) {
    RaiseMissingSuite();
  }
  suites_[row] = suite;
  return suite;
}

void SuiteHandler::ReleaseAll() noexcept {
  for (std::size_t row = 0; row < kSuiteCount; ++row) {
    if (suites_[row] != nullptr) broker_->ReleaseSuite(kSuiteTable[row].name, kSuiteTable[row].version);
  }
}

void SuiteHandler::RaiseMissingSuite() { throw HostError(PF_Err_BAD_CALLBACK_PARAM); }

}  // namespace huesieve
