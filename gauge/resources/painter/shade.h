// Small deterministic helpers for shading: a position hash for texture, and
// colour arithmetic that never lands on the transparent black.
#pragma once

#include <algorithm>
#include <cstdint>

#include "rgb.h"

namespace painter {

// A well-mixed 32-bit value for a pixel position and a salt; the same inputs
// give the same value on every run and machine.
inline uint32_t positionHash(int row, int col, uint32_t salt) {
  uint32_t h = uint32_t(row) * 0x9E3779B1u ^ uint32_t(col) * 0x85EBCA77u ^ salt * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

inline uint8_t clampChannel(int v) { return uint8_t(std::clamp(v, 1, 255)); }

// `colour` with `delta` added to every channel, kept within 1..255.
inline Rgb brighten(Rgb colour, int delta) {
  return Rgb{clampChannel(colour.r + delta), clampChannel(colour.g + delta), clampChannel(colour.b + delta)};
}

// Linear mix: t = 0 gives a, t = 1 gives b.
inline Rgb mix(Rgb a, Rgb b, double t) {
  auto channel = [t](uint8_t x, uint8_t y) {
    return clampChannel(int(double(x) + (double(y) - double(x)) * t + 0.5));
  };
  return Rgb{channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

}  // namespace painter
