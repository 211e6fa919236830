// Test support for the key-frame slots: an engine host that records menu calls and counts (or
// fails) field allocations, and a fixture with a W x H image and an undo delta of ones.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/core/frame_slots.h"
#include "engine/engine_host.h"

class SlotHost : public EngineHost {
 public:
  std::vector<std::string> calls;
  std::vector<uint64_t> sizes;
  int fail_at = -1;              // allocation number that fails
  bool fail_allocation = false;  // every allocation fails
  int allocations = 0, frees = 0;

  void enable_menu_item(int id, bool enabled) override {
    calls.push_back((enabled ? "enable " : "gray ") + std::to_string(id));
  }
  void* allocate_field(uint64_t bytes) override {
    sizes.push_back(bytes);
    if (allocations++ == fail_at || fail_allocation) return nullptr;
    return EngineHost::allocate_field(bytes);
  }
  void free_field(void* block) override {
    ++frees;
    EngineHost::free_field(block);
  }
};

template <int Width, int Height>
class SlotTest : public ::testing::Test {
 protected:
  static constexpr int W = Width, H = Height;
  void SetUp() override {
    set_engine_host(&host);
    g_image_width = W;
    g_image_height = H;
    undo.assign(field_bytes(W, H) / sizeof(DisplacementPair) + 1, {1.0f, 1.0f});
    g_undo_field = undo.data();
  }
  void TearDown() override {
    free_frame_slots();
    g_undo_field = nullptr;
    set_engine_host(nullptr);
  }
  SlotHost host;
  std::vector<DisplacementPair> undo;
};
