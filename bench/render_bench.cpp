// Render through EffectMain and the simulated host on 3840 × 2160 frames,
// against a plain copy of the same frame, and the OpenFX plug-in's render of
// the same picture at 8-bit, 16-bit and float RGBA through the simulated
// OpenFX host, on the calling thread and shared between 2, 4 and 8 of the
// host's threads beside a copy shared as widely, and huesieve-render's render
// call on the float picture on as many threads; the effect call alone, in
// place, per kernel and on frames from a tile to 4K, and per band size. Each module
// Render needs a fresh input (the pass rewrites it in place), restored outside
// the timed region; every benchmark therefore times itself (manual time)
// around the call it measures.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "entry/effect_main.h"
#include "testing/hostsim/frame_generator.h"
#include "testing/hostsim/host.h"
#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/instance.h"
#include "testing/hostsim/ofx/loaded_plugin.h"
#include "testing/hostsim/ofx/suites.h"
#include "image/frame_buffer.h"
#include "ofx/plugin_identity.h"
#include "params/param_layout.h"
#include "testing/support/forced_walk.h"
#include "testing/support/kernel_isas.h"
#include "tools/huesieve-render/core_renderer.h"
#include "testing/reference/match_pixel.h"
#include "testing/reference/plain_ofx_render.h"
#include "testing/reference/plain_selection_pass.h"
#include "core/cell_cache.h"
#include "core/cell_table.h"
#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/effect_walk.h"
#include "core/frame_rule.h"
#include "core/pixel_formats.h"
#include "core/selection_bounds.h"
#include "render/host_image_view.h"
#include "testing/support/colour_entry_params.h"
#include "testing/hostsim/world.h"
#include "testing/modulehost/image_record.h"

namespace {

using hostsim::Depth;
using hostsim::FrameKind;
using hostsim::World;

constexpr A_long kWidth = 3840;
constexpr A_long kHeight = 2160;
constexpr double kPixels = double{kWidth} * kHeight;

struct Entry {
  bool enabled;
  PF_Pixel colour;  // alpha, red, green, blue
  double range;
  double softness;
};

const World& Pristine(Depth depth, FrameKind kind) {
  static std::map<std::pair<Depth, FrameKind>, std::unique_ptr<World>> frames;
  auto& frame = frames[{depth, kind}];
  if (!frame) {
    frame = std::make_unique<World>(depth, kWidth, kHeight);
    hostsim::GenerateFrame(*frame, kind, 7);
  }
  return *frame;
}

// Entries that claim nothing in the natural frame: colours far from its
// palette, with ordinary ranges, so the rule must try every one of them.
std::vector<Entry> NaturalUnclaiming() {
  const std::array<PF_Pixel, 10> colours{{{0, 255, 0, 255},
                                          {0, 0, 255, 0},
                                          {0, 255, 0, 0},
                                          {0, 0, 0, 255},
                                          {0, 255, 255, 0},
                                          {0, 0, 255, 255},
                                          {0, 128, 0, 128},
                                          {0, 0, 128, 0},
                                          {0, 255, 128, 255},
                                          {0, 128, 255, 128}}};
  std::vector<Entry> entries;
  for (std::size_t k = 0; k < colours.size(); ++k) {
    entries.push_back({true, colours[k], 30.0 + 3.0 * double(k), 20.0 + 3.0 * double(k)});
  }
  return entries;
}

// Noise holds about 40% of all colours, so only entries matching one exact
// colour that the frame lacks can claim nothing there.
std::vector<Entry> NoiseUnclaiming() {
  const World& frame = Pristine(Depth::k8, FrameKind::kNoise);
  std::vector<bool> present(1u << 24);
  for (A_long row = 0; row < kHeight; ++row) {
    for (A_long column = 0; column < kWidth; ++column) {
      const PF_Pixel p = frame.Get<PF_Pixel>(column, row);
      present[(std::size_t{p.red} << 16) | (std::size_t{p.green} << 8) | p.blue] = true;
    }
  }
  std::vector<Entry> entries;
  for (std::uint32_t candidate = 12345; entries.size() < 10; candidate += 2654435761u) {
    const std::uint32_t colour = candidate & 0xFFFFFFu;
    if (present[colour]) continue;
    entries.push_back({true,
                       PF_Pixel{0, static_cast<A_u_char>(colour >> 16),
                                static_cast<A_u_char>(colour >> 8), static_cast<A_u_char>(colour)},
                       0.9, 50.0});
  }
  return entries;
}

// About a third of the frame claimed, with feather bands; the claiming
// entries come last so the unclaiming ones are all tried first.
std::vector<Entry> Entries(FrameKind kind, int count, bool claims) {
  std::vector<Entry> unclaiming =
      kind == FrameKind::kNatural ? NaturalUnclaiming() : NoiseUnclaiming();
  std::vector<Entry> claiming;
  if (claims && kind == FrameKind::kNatural) {
    claiming = {{true, PF_Pixel{0, 95, 140, 207}, 100.0, 40.0}};  // the upper sky
  } else if (claims) {
    claiming = {{true, PF_Pixel{0, 128, 128, 128}, 128.0, 40.0},
                {true, PF_Pixel{0, 40, 220, 60}, 128.0, 30.0},
                {false, PF_Pixel{0, 220, 40, 200}, 128.0, 0.0}};
    claiming.resize(std::min<std::size_t>(claiming.size(), static_cast<std::size_t>(count)));
  }
  std::vector<Entry> entries(unclaiming.begin(),
                             unclaiming.begin() + (count - static_cast<int>(claiming.size())));
  entries.insert(entries.end(), claiming.begin(), claiming.end());
  return entries;
}

void SetEntries(hostsim::Host& host, const std::vector<Entry>& entries) {
  host.param(huesieve::kEnableEffectSlot).u.bd.value = 1;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    huesieve_test::SetColourEntry(host, static_cast<int>(k), entries[k].enabled ? 1 : 0,
                                  entries[k].colour, entries[k].range, entries[k].softness);
  }
}

huesieve::ColourEntryTable Table(const std::vector<Entry>& entries) {
  huesieve::ColourEntryTable table;
  table.count = huesieve::kMaxColourEntries;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    table.enabled[k] = entries[k].enabled ? 1 : 0;
    table.colours[k] = {entries[k].colour.red, entries[k].colour.green, entries[k].colour.blue};
    table.ranges[k] = static_cast<float>(entries[k].range);
    table.softness[k] = static_cast<float>(entries[k].softness);
  }
  return table;
}

// The share of slots some entry claims, by the plain rule on every 17th slot.
double ClaimedShare(const World& frame, const std::vector<Entry>& entries) {
  const huesieve::ColourEntryTable table = Table(entries);
  std::size_t claimed = 0;
  std::size_t tried = 0;
  for (A_long row = 0; row < kHeight; ++row) {
    for (A_long column = row % 17; column < kWidth; column += 17, ++tried) {
      if (frame.depth() == Depth::k16) {
        auto pixel = frame.Get<huesieve::Argb16::Pixel>(column, row);
        if (huesieve::MatchPixel<huesieve::Argb16>(pixel, table)) ++claimed;
      } else {
        auto pixel = frame.Get<huesieve::Argb8::Pixel>(column, row);
        if (huesieve::MatchPixel<huesieve::Argb8>(pixel, table)) ++claimed;
      }
    }
  }
  return double(claimed) / double(tried);
}

template <typename Work>
void TimeEachFrame(benchmark::State& state, const World& pristine, World& input, Work work) {
  double seconds = 0;
  for (auto _ : state) {
    input = pristine;  // same size: copies, never allocates
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] = seconds * 1e9 / (double(state.iterations()) * kPixels);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight);
}

void RenderFrames(benchmark::State& state, Depth depth, FrameKind kind, int count, bool claims) {
  const World& pristine = Pristine(depth, kind);
  const std::vector<Entry> entries = Entries(kind, count, claims);
  if (state.thread_index() == 0) state.counters["claimed"] = ClaimedShare(pristine, entries);
  hostsim::Host host(&EffectMain);
  host.ParamsSetup();
  SetEntries(host, entries);
  World input = pristine;
  World output(depth, kWidth, kHeight);
  TimeEachFrame(state, pristine, input, [&] {
    if (host.Render(input, output) != PF_Err_NONE) state.SkipWithError("Render failed");
  });
  if (!claims && ClaimedShare(pristine, entries) != 0.0) state.SkipWithError("entries claim");
}

// Render as it was: the plain walk applying MatchPixel to every slot, then
// the host's copy.
void PlainFrames(benchmark::State& state, FrameKind kind, int count, bool claims) {
  const World& pristine = Pristine(Depth::k8, kind);
  const huesieve::ColourEntryTable table = Table(Entries(kind, count, claims));
  World input = pristine;
  World output(Depth::k8, kWidth, kHeight);
  TimeEachFrame(state, pristine, input, [&] {
    const huesieve::SelectionBounds bounds = huesieve::PlainSelectionPass<huesieve::Argb8>(
        huesieve::HostImageView<huesieve::Argb8>(input.def(), input.def().data), table);
    benchmark::DoNotOptimize(bounds);
    modulehost::CopyImage(input.def(), output.def());
  });
}

// The effect in place on the calling thread, with one kernel and no host
// around it: what each instruction set gains.
template <typename Format>
void RenderInPlace(World& input, const huesieve::EffectSettings& settings,
                   huesieve::KernelIsa isa) {
  const huesieve::ImageView view = huesieve::HostImageView<Format>(input.def(), input.def().data);
  benchmark::DoNotOptimize(
      huesieve::RenderEffect<Format>(huesieve::testing_support::IsaWalk<Format>(isa), view, view,
                                     settings));
}

void PassFrames(benchmark::State& state, Depth depth, FrameKind kind, int count, bool claims,
                huesieve::KernelIsa isa) {
  if (!huesieve::KernelIsaRuns(isa)) {
    state.SkipWithError("kernel not supported here");
    return;
  }
  const World& pristine = Pristine(depth, kind);
  const huesieve::EffectSettings settings{true, Table(Entries(kind, count, claims)), {}};
  World input = pristine;
  TimeEachFrame(state, pristine, input, [&] {
    if (depth == Depth::k16) {
      RenderInPlace<huesieve::Argb16>(input, settings, isa);
    } else {
      RenderInPlace<huesieve::Argb8>(input, settings, isa);
    }
  });
}

// A frame of `width` × `height` from the generator, made once.
const World& PristineOfSize(FrameKind kind, A_long width, A_long height) {
  static std::map<std::tuple<FrameKind, A_long, A_long>, std::unique_ptr<World>> frames;
  auto& frame = frames[{kind, width, height}];
  if (!frame) {
    frame = std::make_unique<World>(Depth::k8, width, height);
    hostsim::GenerateFrame(*frame, kind, 7);
  }
  return *frame;
}

// The effect in place over frames from a 64 × 64 tile to 4K, on the calling
// thread, as a host runs it: the rule prepared, the worker's cell cache
// filled as the walk meets cells.
void PassSizes(benchmark::State& state, FrameKind kind, int count, A_long width, A_long height) {
  const World& pristine = PristineOfSize(kind, width, height);
  const huesieve::EffectSettings settings{true, Table(Entries(kind, count, true)), {}};
  World input = pristine;
  const huesieve::ImageView view =
      huesieve::HostImageView<huesieve::Argb8>(input.def(), input.def().data);
  double seconds = 0;
  for (auto _ : state) {
    input = pristine;
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(huesieve::RenderEffect<huesieve::Argb8>(view, view, settings));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] =
      seconds * 1e9 / (double(state.iterations()) * double(width) * double(height));
  state.counters["us_per_frame"] = seconds * 1e6 / double(state.iterations());
}

// What classifying every cell up front would add to each frame: the rule
// prepared and all 32768 cells classified.
void ClassifyEveryCell(benchmark::State& state, FrameKind kind, int count) {
  const huesieve::ColourEntryTable table = Table(Entries(kind, count, true));
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const huesieve::FrameRule<huesieve::Argb8> rule(table);
    huesieve::CellCache cache(rule.cells());
    for (std::int32_t cell = 0; cell < huesieve::CellTable::kCellCount; ++cell) {
      benchmark::DoNotOptimize(cache.Lookup(cell));
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["us_per_frame"] = seconds * 1e6 / double(state.iterations());
}

// The 8-bit frame's picture as a 3840 × 2160 RGBA image at `depth`, made once.
// `linear`: a float picture holds the sRGB decoding of each byte, as a linear
// plate whose display view is the frame; judged sRGB-encoded it claims what
// the frame claims judged as stored.
hostsim::ofx::Image& OfxPicture(FrameKind kind, hostsim::ofx::PixelDepth depth,
                                bool linear = false) {
  using hostsim::ofx::Image;
  using hostsim::ofx::PixelDepth;
  static std::map<std::tuple<FrameKind, PixelDepth, bool>, std::unique_ptr<Image>> pictures;
  auto& picture = pictures[{kind, depth, linear}];
  if (picture) return *picture;
  picture = std::make_unique<Image>(hostsim::ofx::ImageLayout{
      .bounds = {0, 0, kWidth, kHeight}, .depth = depth, .premultiplication = kOfxImageUnPreMultiplied});
  const World& pristine = Pristine(Depth::k8, kind);
  for (A_long y = 0; y < kHeight; ++y) {
    for (A_long x = 0; x < kWidth; ++x) {
      const auto pixel = pristine.Get<huesieve::Argb8::Pixel>(x, kHeight - 1 - y);
      for (int channel = 0; channel < 4; ++channel) {
        const double byte = pixel[channel == 3 ? 0 : static_cast<std::size_t>(channel + 1)];
        const double unit = byte / 255.0;
        const double decoded = unit <= 0.04045 ? unit / 12.92
                                               : std::pow((unit + 0.055) / 1.055, 2.4);
        const double sample = depth == PixelDepth::kShort ? byte * 257.0
                              : depth == PixelDepth::kFloat
                                  ? (linear && channel != 3 ? decoded : unit)
                                  : byte;
        plain_reference::ofx::SetSample(*picture, x, y, channel, sample);
      }
    }
  }
  return *picture;
}

// The plug-in as an OpenFX host runs it on the frame's picture, as RGBA at
// `depth`: the host's image audit off, as a host has none. The host's
// multithread suite reports `workers` processors and runs as many threads
// (0: the machine's count; 1: the plug-in renders on the calling thread). The
// plug-in keeps one host for all its instances, so each run loads it anew
// with its own.
void OfxFrames(benchmark::State& state, hostsim::ofx::PixelDepth depth, FrameKind kind, int count,
               bool claims, unsigned int workers, plain_reference::ofx::Choices choices) {
  using hostsim::ofx::Image;
  hostsim::ofx::LoadedPlugin loaded(HUESIEVE_OFX_BUNDLE, huesieve::ofx::kPluginIdentifier,
                                    {.reported_cpus = workers});
  if (loaded.plugin == nullptr) {
    state.SkipWithError("the OpenFX bundle does not load");
    return;
  }
  Image& source = OfxPicture(kind, depth, choices.srgb);
  Image output(source.layout());
  plain_reference::ofx::EntrySettings settings;
  const std::vector<Entry> entries = Entries(kind, count, claims);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    settings[k] = {entries[k].enabled,
                   {entries[k].colour.red / 255.0, entries[k].colour.green / 255.0,
                    entries[k].colour.blue / 255.0},
                   entries[k].range,
                   entries[k].softness};
  }
  auto instance = loaded.plugin->CreateInstance({.depth = depth});
  plain_reference::ofx::SetEntries(*instance, true, settings);
  plain_reference::ofx::SetChoices(*instance, choices);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const OfxStatus status =
        instance->Render({.source = &source, .output = &output, .audit_images = false}).status;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (status != kOfxStatOK) state.SkipWithError("the plug-in's render failed");
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] = seconds * 1e9 / (double(state.iterations()) * kPixels);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight);
}

// A plain copy of the same picture into the output, shared between the
// simulated host's threads as the plug-in's render is: what memory alone lets
// `workers` threads gain.
void OfxCopyFrames(benchmark::State& state, hostsim::ofx::PixelDepth depth, unsigned int workers) {
  using hostsim::ofx::Image;
  struct Copy {
    const Image* source;
    Image* output;
  };
  const Image& source = OfxPicture(FrameKind::kNatural, depth);
  Image output(source.layout());
  Copy copy{&source, &output};
  const OfxMultiThreadSuiteV1& suite = hostsim::ofx::MultiThreadSuite(workers);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    suite.multiThread(
        [](unsigned int worker, unsigned int count, void* argument) {
          const auto& [from, to] = *static_cast<Copy*>(argument);
          const int first = kHeight * static_cast<int>(worker) / static_cast<int>(count);
          const int last = kHeight * static_cast<int>(worker + 1) / static_cast<int>(count);
          const auto bytes = static_cast<std::size_t>(kWidth) * from->pixel_bytes();
          for (int y = first; y < last; ++y) {
            std::memcpy(to->PixelAddress(0, y), from->PixelAddress(0, y), bytes);
          }
        },
        workers, &copy);
    benchmark::ClobberMemory();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] = seconds * 1e9 / (double(state.iterations()) * kPixels);
}

// Workers of the benchmark's own, started for each frame as the simulated
// host starts its threads.
class ThreadWorkers final : public huesieve::BandWorkers {
 public:
  explicit ThreadWorkers(unsigned int count) : count_(count) {}
  unsigned int Count() override { return count_; }
  void Run(Job* job, unsigned int workers, void* argument) override {
    std::vector<std::thread> threads;
    for (unsigned int w = 0; w < workers; ++w) threads.emplace_back(job, w, workers, argument);
    for (std::thread& thread : threads) thread.join();
  }

 private:
  unsigned int count_;
};

// The effect call on the 8-bit RGBA picture in bands of `band_pixels`, shared
// by `workers`: how band size tells, alone and on two threads.
void BandFrames(benchmark::State& state, FrameKind kind, std::int64_t band_pixels,
                unsigned int workers) {
  const hostsim::ofx::Image& source = OfxPicture(kind, hostsim::ofx::PixelDepth::kByte);
  hostsim::ofx::Image output(source.layout());
  const auto view = [](const hostsim::ofx::Image& image) {
    return huesieve::ImageView{image.PixelAddress(0, kHeight - 1), -image.row_bytes(), kWidth,
                               kHeight};
  };
  const huesieve::EffectSettings settings{true, Table(Entries(kind, 10, true)), {}};
  ThreadWorkers threads(workers);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const huesieve::EffectOutcome outcome = huesieve::RenderEffect<huesieve::Rgba8>(
        huesieve::testing_support::BandedWalk<huesieve::Rgba8>(band_pixels), view(source),
        view(output), settings, {.workers = &threads});
    benchmark::DoNotOptimize(outcome);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] = seconds * 1e9 / (double(state.iterations()) * kPixels);
}

// huesieve-render's render call on a float frame, as the tool holds a 4K
// OpenEXR image once read (file input and output left out), its bands on
// `threads` of the tool's threads. The frame is rendered in place, so each
// frame is restored first, outside the timed region.
void ToolFrames(benchmark::State& state, FrameKind kind, int threads) {
  const hostsim::ofx::Image& picture = OfxPicture(kind, hostsim::ofx::PixelDepth::kFloat);
  huesieve::image::FrameBuffer frame;
  frame.Reset(huesieve::image::SampleType::kFloat, kWidth, kHeight);
  const auto restore = [&] {
    for (A_long y = 0; y < kHeight; ++y) {
      std::memcpy(frame.Row(static_cast<std::uint32_t>(y)),
                  picture.PixelAddress(0, kHeight - 1 - y), frame.row_bytes());
    }
  };
  huesieve::ControlSettings settings;
  settings.enable_effect = true;
  const std::vector<Entry> entries = Entries(kind, 10, true);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    settings.entries[k] = {entries[k].enabled,
                           {entries[k].colour.red, entries[k].colour.green,
                            entries[k].colour.blue},
                           entries[k].range,
                           entries[k].softness};
  }
  const huesieve::cli::CoreRenderer renderer(settings, threads);
  double seconds = 0;
  for (auto _ : state) {
    restore();
    const auto start = std::chrono::steady_clock::now();
    renderer.Render(frame, "frame");
    benchmark::ClobberMemory();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    seconds += elapsed.count();
  }
  state.counters["ns_per_pixel"] = seconds * 1e9 / (double(state.iterations()) * kPixels);
}

void CopyFrames(benchmark::State& state, Depth depth) {
  const World& pristine = Pristine(depth, FrameKind::kNatural);
  World input = pristine;
  World output(depth, kWidth, kHeight);
  TimeEachFrame(state, pristine, input, [&] { modulehost::CopyImage(input.def(), output.def()); });
}

// The least any in-place pass followed by the copy can cost: every slot read
// and written back (alpha cleared) with no decision at all, then the copy.
void FloorFrames(benchmark::State& state) {
  const World& pristine = Pristine(Depth::k8, FrameKind::kNatural);
  World input = pristine;
  World output(Depth::k8, kWidth, kHeight);
  TimeEachFrame(state, pristine, input, [&] {
    auto* words = reinterpret_cast<std::uint32_t*>(input.def().data);
    const std::size_t count = std::size_t{kWidth} * kHeight;
    for (std::size_t i = 0; i < count; ++i) words[i] &= 0xFFFFFF00u;
    benchmark::ClobberMemory();
    modulehost::CopyImage(input.def(), output.def());
  });
}

const char* Name(FrameKind kind) { return kind == FrameKind::kNatural ? "natural" : "noise"; }

void RegisterAll() {
  // Made before any benchmark runs: the threaded ones share them read-only.
  for (Depth depth : {Depth::k8, Depth::k16}) {
    for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) Pristine(depth, kind);
  }
  for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
    for (auto depth : {hostsim::ofx::PixelDepth::kByte, hostsim::ofx::PixelDepth::kShort,
                       hostsim::ofx::PixelDepth::kFloat}) {
      OfxPicture(kind, depth);
    }
  }
  const auto name = [](const char* family, FrameKind kind, int count, bool claims) {
    return std::string(family) + "/frame:" + Name(kind) + "/entries:" + std::to_string(count) +
           "/claims:" + (claims ? "some" : "none");
  };
  benchmark::RegisterBenchmark("FrameCopy8", CopyFrames, Depth::k8)->UseManualTime();
  benchmark::RegisterBenchmark("FrameCopy16", CopyFrames, Depth::k16)->UseManualTime();
  benchmark::RegisterBenchmark("InPlaceFloor8", FloorFrames)->UseManualTime();
  for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
    for (int count : {1, 3, 10}) {
      for (bool claims : {false, true}) {
        benchmark::RegisterBenchmark(name("Render8", kind, count, claims).c_str(), RenderFrames,
                                     Depth::k8, kind, count, claims)
            ->UseManualTime();
      }
    }
  }
  for (int count : {1, 3, 10}) {
    benchmark::RegisterBenchmark(name("Render16", FrameKind::kNatural, count, false).c_str(),
                                 RenderFrames, Depth::k16, FrameKind::kNatural, count, false)
        ->UseManualTime();
  }
  benchmark::RegisterBenchmark(name("Render16", FrameKind::kNatural, 10, true).c_str(),
                               RenderFrames, Depth::k16, FrameKind::kNatural, 10, true)
      ->UseManualTime();
  // The OpenFX plug-in on the same picture, against Render8 and Render16, as
  // a host without threads to lend (or with one processor) runs it.
  const std::pair<const char*, hostsim::ofx::PixelDepth> ofx_depths[] = {
      {"OfxRender8", hostsim::ofx::PixelDepth::kByte},
      {"OfxRender16", hostsim::ofx::PixelDepth::kShort},
      {"OfxRenderFloat", hostsim::ofx::PixelDepth::kFloat}};
  for (const auto& [family, depth] : ofx_depths) {
    for (bool claims : {false, true}) {
      benchmark::RegisterBenchmark(name(family, FrameKind::kNatural, 10, claims).c_str(), OfxFrames,
                                   depth, FrameKind::kNatural, 10, claims, 1u,
                                   plain_reference::ofx::Choices{})
          ->UseManualTime();
    }
  }
  // The choices, beside the rows above: judged sRGB-encoded on a linear
  // float plate whose display view is the frame (so the same pixels claim),
  // and feather bands that fade.
  for (const auto& [family, depth] : ofx_depths) {
    for (bool claims : {false, true}) {
      if (depth == hostsim::ofx::PixelDepth::kFloat) {
        benchmark::RegisterBenchmark(
            (name(family, FrameKind::kNatural, 10, claims) + "/judge:srgb").c_str(), OfxFrames,
            depth, FrameKind::kNatural, 10, claims, 1u, plain_reference::ofx::Choices{true, false})
            ->UseManualTime();
      }
      benchmark::RegisterBenchmark(
          (name(family, FrameKind::kNatural, 10, claims) + "/feathered:fades").c_str(), OfxFrames,
          depth, FrameKind::kNatural, 10, claims, 1u, plain_reference::ofx::Choices{false, true})
          ->UseManualTime();
    }
  }
  // One frame shared between the host's threads: natural footage and noise
  // with feather bands, against the plain copy on as many threads.
  for (const auto& [family, depth] : ofx_depths) {
    for (unsigned int workers : {1u, 2u, 4u, 8u}) {
      const std::string on = "/workers:" + std::to_string(workers);
      for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
        benchmark::RegisterBenchmark((name(family, kind, 10, true) + on).c_str(), OfxFrames, depth,
                                     kind, 10, true, workers, plain_reference::ofx::Choices{})
            ->UseManualTime();
      }
      benchmark::RegisterBenchmark(
          (std::string("OfxCopy") + (family + std::strlen("OfxRender")) + on).c_str(),
          OfxCopyFrames, depth, workers)
          ->UseManualTime();
    }
  }
  // huesieve-render's render call on the float picture, beside OfxCopyFloat.
  for (unsigned int workers : {1u, 2u, 4u, 8u}) {
    for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
      benchmark::RegisterBenchmark((name("ToolRenderFloat", kind, 10, true) + "/workers:" +
                                    std::to_string(workers))
                                       .c_str(),
                                   ToolFrames, kind, static_cast<int>(workers))
          ->UseManualTime();
    }
  }
  for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
    for (std::int64_t band_pixels : {std::int64_t{1} << 12, std::int64_t{1} << 14,
                                     std::int64_t{1} << 16, std::int64_t{1} << 18,
                                     std::int64_t{1} << 20}) {
      for (unsigned int workers : {1u, 2u}) {
        benchmark::RegisterBenchmark((name("Bands8", kind, 10, true) + "/band_pixels:" +
                                      std::to_string(band_pixels) + "/workers:" +
                                      std::to_string(workers))
                                         .c_str(),
                                     BandFrames, kind, band_pixels, workers)
            ->UseManualTime();
      }
    }
  }
  benchmark::RegisterBenchmark(name("Plain8", FrameKind::kNatural, 10, false).c_str(), PlainFrames,
                               FrameKind::kNatural, 10, false)
      ->UseManualTime()
      ->MinTime(1.0);
  for (huesieve::KernelIsa isa : huesieve::kAllKernelIsas) {
    for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
      for (bool claims : {false, true}) {
        benchmark::RegisterBenchmark(
            (name("Pass8", kind, 10, claims) + "/isa:" + huesieve::KernelIsaName(isa)).c_str(),
            PassFrames, Depth::k8, kind, 10, claims, isa)
            ->UseManualTime();
      }
    }
    benchmark::RegisterBenchmark(
        (name("Pass16", FrameKind::kNatural, 10, false) + "/isa:" + huesieve::KernelIsaName(isa))
            .c_str(),
        PassFrames, Depth::k16, FrameKind::kNatural, 10, false, isa)
        ->UseManualTime();
  }
  for (FrameKind kind : {FrameKind::kNatural, FrameKind::kNoise}) {
    for (int count : {1, 10}) {
      for (const auto& [width, height] :
           {std::pair<A_long, A_long>{64, 64}, {1920, 1080}, {3840, 2160}}) {
        benchmark::RegisterBenchmark((name("PassSizes8", kind, count, true) + "/size:" +
                                      std::to_string(width) + "x" + std::to_string(height) +
                                      "/cache:cold")
                                         .c_str(),
                                     PassSizes, kind, count, width, height)
            ->UseManualTime();
      }
      benchmark::RegisterBenchmark(name("ClassifyEveryCell", kind, count, true).c_str(),
                                   ClassifyEveryCell, kind, count)
          ->UseManualTime();
    }
  }
  // Frames rendered on one and on two threads at once, each its own frame:
  // items per second is the throughput.
  benchmark::RegisterBenchmark(name("RenderThreads8", FrameKind::kNatural, 10, true).c_str(),
                               RenderFrames, Depth::k8, FrameKind::kNatural, 10, true)
      ->UseManualTime()
      ->Threads(1)
      ->Threads(2);
  // The same for the copy alone (how far memory lets two threads go) and for
  // the plain rule (compute-bound: whether two cores are free at all).
  benchmark::RegisterBenchmark("FrameCopyThreads8", CopyFrames, Depth::k8)
      ->UseManualTime()
      ->Threads(1)
      ->Threads(2);
  benchmark::RegisterBenchmark("PlainThreads8", PlainFrames, FrameKind::kNatural, 10, false)
      ->UseManualTime()
      ->Threads(1)
      ->Threads(2);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
