// Test support: an engine host that records the calls it receives as short texts.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "engine/engine_host.h"
#include "engine/render_band.h"

class RecordingHost : public EngineHost {
 public:
  std::vector<std::string> calls;
  int timer_stops = 0;
  // Also record the render driver's own steps: "resize", "bands" and "invalidate".
  bool record_driver_steps = false;

  void begin_wait_cursor() override { calls.push_back("wait"); }
  void end_wait_cursor() override { calls.push_back("unwait"); }
  void resize_region_bitmap(int32_t w, int32_t h) override {
    if (record_driver_steps) calls.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  }
  // Runs the bands on two threads, as the program does.
  void run_render_bands(RenderBandArgs* a, RenderBandArgs* b) override {
    if (record_driver_steps)
      calls.push_back("bands " + std::to_string(a->row_step) + "/" + std::to_string(a->first_row) + "," +
                      std::to_string(b->first_row));
    std::thread first(render_band, a), second(render_band, b);
    first.join();
    second.join();
  }
  void present_region(int32_t x0, int32_t y0, int32_t w, int32_t h) override {
    calls.push_back("present " + std::to_string(x0) + "," + std::to_string(y0) + " " + std::to_string(w) + "x" +
                    std::to_string(h));
  }
  void invalidate_view(int32_t l, int32_t t, int32_t r, int32_t b) override {
    if (record_driver_steps)
      calls.push_back("invalidate " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
                      std::to_string(b));
  }
  MessageAnswer show_message(int id, MessageKind kind) override {
    calls.push_back("message " + std::to_string(id) + (kind == MessageKind::info ? " info" : " other"));
    return MessageAnswer::ok;
  }
  void enable_menu_item(int id, bool enabled) override {
    calls.push_back((enabled ? "enable " : "gray ") + std::to_string(id));
  }
  void check_menu_item(int id, bool checked) override {
    calls.push_back((checked ? "check " : "uncheck ") + std::to_string(id));
  }
  void notify_tool_windows() override { calls.push_back("notify"); }
  void invalidate_main_window() override { calls.push_back("invalidate all"); }
  void stop_stroke_timer() override { ++timer_stops; }
};
