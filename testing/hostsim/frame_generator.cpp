#include "testing/hostsim/frame_generator.h"

#include <algorithm>
#include <array>

namespace hostsim {
namespace {

// A small, fast, well-mixed generator (splitmix64), identical everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::int32_t Below(std::int32_t bound) {
    return static_cast<std::int32_t>(Next() % static_cast<std::uint64_t>(bound));
  }

 private:
  std::uint64_t state_;
};

// Colours on a 0..32768 scale, so 16-bit frames keep their fine gradients.
struct Colour {
  std::int32_t red;
  std::int32_t green;
  std::int32_t blue;
};

constexpr std::int32_t kFull = 32768;

constexpr Colour FromBytes(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return {red * kFull / 255, green * kFull / 255, blue * kFull / 255};
}

// a + (b - a) × t / scale, t in 0..scale.
Colour Mix(const Colour& a, const Colour& b, std::int64_t t, std::int64_t scale) {
  const auto lerp = [t, scale](std::int32_t from, std::int32_t to) {
    return static_cast<std::int32_t>(from + (std::int64_t{to} - from) * t / scale);
  };
  return {lerp(a.red, b.red), lerp(a.green, b.green), lerp(a.blue, b.blue)};
}

struct Rectangle {
  std::int32_t left, top, right, bottom;  // fractions of 1024 of the frame
  Colour colour;
};

struct Disc {
  std::int32_t centre_x, centre_y, radius;  // fractions of 1024 of the width
  std::int32_t soft;                        // width of the soft edge, same unit
  Colour colour;
};

constexpr std::array<Rectangle, 3> kRectangles{{
    {80, 560, 300, 900, FromBytes(150, 110, 80)},   // a wall
    {620, 500, 760, 980, FromBytes(200, 200, 190)},  // a sign
    {820, 120, 1000, 260, FromBytes(40, 50, 70)},    // a dark window
}};

constexpr std::array<Disc, 3> kDiscs{{
    {180, 180, 90, 30, FromBytes(250, 210, 120)},  // a low sun
    {480, 700, 120, 10, FromBytes(210, 90, 40)},   // an orange ball
    {860, 720, 70, 60, FromBytes(90, 150, 60)},    // a blurred bush
}};

Colour NaturalColour(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
                     Random& grain) {
  const std::int64_t fx = x * 1024 / std::max<std::int64_t>(width, 1);
  const std::int64_t fy = y * 1024 / std::max<std::int64_t>(height, 1);
  Colour colour;
  if (fy < 512) {
    colour = Mix(FromBytes(70, 120, 200), FromBytes(170, 200, 230), fy, 512);
  } else {
    colour = Mix(FromBytes(80, 130, 50), FromBytes(110, 100, 60), fy - 512, 512);
    // Grass has grain: a few steps of the finest scale, different per slot.
    const std::int32_t noise = grain.Below(5 * 128) - 2 * 128;
    colour.green = std::clamp(colour.green + noise, 0, kFull);
  }
  for (const Rectangle& r : kRectangles) {
    if (fx >= r.left && fx < r.right && fy >= r.top && fy < r.bottom) colour = r.colour;
  }
  for (const Disc& d : kDiscs) {
    // Distance in 1024ths of the width, with y measured on the same scale.
    const std::int64_t dx = x * 1024 / std::max<std::int64_t>(width, 1) - d.centre_x;
    const std::int64_t dy = y * 1024 / std::max<std::int64_t>(width, 1) - d.centre_y * height / width;
    const std::int64_t squared = dx * dx + dy * dy;
    const std::int64_t inner = d.radius - d.soft;
    if (squared >= std::int64_t{d.radius} * d.radius) continue;
    if (squared <= inner * inner) {
      colour = d.colour;
    } else {
      // Soft edge: linear in the squared distance, smooth enough for footage.
      const std::int64_t span = std::int64_t{d.radius} * d.radius - inner * inner;
      colour = Mix(d.colour, colour, squared - inner * inner, span);
    }
  }
  return colour;
}

void Store(World& world, A_long column, A_long row, std::int32_t alpha, const Colour& c) {
  if (world.depth() == Depth::k16) {
    world.Set(column, row,
              PF_Pixel16{static_cast<A_u_short>(alpha), static_cast<A_u_short>(c.red),
                         static_cast<A_u_short>(c.green), static_cast<A_u_short>(c.blue)});
  } else {
    // Nearest byte, halves up.
    const auto byte = [](std::int32_t v) { return static_cast<A_u_char>((v * 255 + kFull / 2) / kFull); };
    world.Set(column, row,
              PF_Pixel{byte(alpha), byte(c.red), byte(c.green), byte(c.blue)});
  }
}

}  // namespace

void GenerateFrame(World& world, FrameKind kind, std::uint32_t seed) {
  Random random(seed);
  const A_long width = world.def().width;
  const A_long height = world.def().height;
  const A_long slots = world.slots_per_row();
  const bool deep = world.depth() == Depth::k16;
  for (A_long row = 0; row < height; ++row) {
    for (A_long column = 0; column < slots; ++column) {
      if (kind == FrameKind::kNoise) {
        const std::uint64_t bits = random.Next();
        const auto channel = [deep, bits](int shift) {
          const auto v = static_cast<std::int32_t>((bits >> shift) & 0xFFFF);
          return deep ? v % (kFull + 1) : (v & 0xFF) * kFull / 255;
        };
        Store(world, column, row, channel(48), Colour{channel(0), channel(16), channel(32)});
      } else {
        Store(world, column, row, kFull, NaturalColour(column, row, width, height, random));
      }
    }
  }
}

}  // namespace hostsim
