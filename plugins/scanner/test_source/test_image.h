// The picture the test TWAIN source serves, shared with the tests that check what arrives.
#pragma once

#include <cstdint>

struct TestRgb {
  uint8_t r, g, b;
};

// True-colour pixel (x, y), y counted from the top row.
inline TestRgb test_rgb(int x, int y) {
  return {static_cast<uint8_t>(x * 3 + y), static_cast<uint8_t>(x ^ (y * 5)), static_cast<uint8_t>(y * 7 + 11)};
}

// Palette index of pixel (x, y) in the 8-bit picture, and colour of each index.
inline uint8_t test_index(int x, int y) { return static_cast<uint8_t>(x + 2 * y); }
inline TestRgb test_palette(int i) {
  return {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)};
}
