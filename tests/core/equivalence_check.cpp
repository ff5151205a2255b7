// Checks the core's effect against the plain rule on every kernel the
// processor runs and on the emulated 16-lane one, in each of the rule's
// modes, over a sample of colours (or all 2^24), for the hostile entry
// tables; prints a summary and exits 1 on any difference.
// Usage: huesieve_equivalence_check [sample]   (default and 0: all colours)
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/kernel_isa.h"
#include "testing/support/equivalence_cases.h"
#include "testing/support/kernel_isas.h"

namespace {

using huesieve::KernelIsa;

template <typename Format>
int CheckFrame(const std::vector<typename Format::Pixel>& frame, const char* depth, int& checks) {
  const std::int64_t width = static_cast<std::int64_t>(std::min<std::size_t>(frame.size(), 4096));
  int failures = 0;
  for (const auto& table_case : huesieve::equivalence::HostileTables()) {
    // A padded stride too, so the slots past the width are walked as well.
    // And in each of the rule's modes.
    for (const std::int64_t extra : {std::int64_t{0}, std::int64_t{12}}) {
      for (const huesieve::RuleModes& modes : huesieve::equivalence::kEveryModes) {
        const std::int64_t stride =
            width * std::int64_t{sizeof(typename Format::Pixel)} + extra;
        const huesieve::equivalence::ReferenceRun<Format> reference(frame, width, stride,
                                                                    table_case.table, modes);
        for (const auto& kernel : huesieve::testing_support::JudgedWalks<Format>()) {
          ++checks;
          const std::string difference = reference.Compare(kernel.walk);
          if (difference.empty()) continue;
          ++failures;
          std::printf("DIFFERENT %s %s %s %s stride+%lld: %s\n", depth, table_case.name.c_str(),
                      kernel.name.c_str(), huesieve::equivalence::ModesName(modes).c_str(),
                      static_cast<long long>(extra), difference.c_str());
        }
      }
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr std::size_t kAll = std::size_t{1} << 24;
  std::size_t sample = kAll;
  if (argc > 1) {
    const unsigned long long asked = std::strtoull(argv[1], nullptr, 10);
    if (asked != 0 && asked < kAll) sample = static_cast<std::size_t>(asked);
  }
  std::printf("kernels:");
  for (KernelIsa isa : huesieve::kAllKernelIsas) {
    std::printf(" %s%s", huesieve::KernelIsaName(isa),
                huesieve::KernelIsaRuns(isa) ? "" : "(absent)");
  }
  std::printf(" %s", huesieve::testing_support::kEmulatedWideName);
  std::printf("\ncolours: %zu\n", sample);

  const auto start = std::chrono::steady_clock::now();
  int checks = 0;
  int failures =
      CheckFrame<huesieve::Argb8>(huesieve::equivalence::ColourFrame8(sample), "ARGB 8", checks);
  failures += CheckFrame<huesieve::Argb16>(
      huesieve::equivalence::ColourFrame16<huesieve::Argb16>(sample), "ARGB 16", checks);
  failures += CheckFrame<huesieve::Rgba8>(
      huesieve::equivalence::Reordered<huesieve::Rgba8, huesieve::Argb8>(
          huesieve::equivalence::ColourFrame8(sample)),
      "RGBA 8", checks);
  failures += CheckFrame<huesieve::Rgba16>(
      huesieve::equivalence::ColourFrame16<huesieve::Rgba16>(sample), "RGBA 16", checks);
  failures += CheckFrame<huesieve::RgbaFloat>(huesieve::equivalence::ColourFrameFloat(sample),
                                              "RGBA float", checks);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%d passed, %d failed (%.1f s)\n", checks - failures, failures, elapsed.count());
  return failures == 0 ? 0 : 1;
}
