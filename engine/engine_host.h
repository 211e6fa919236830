// What the engine needs from the program around it: drawing, threads, menus, message boxes.
// The Win32 editor implements it; tests implement it with recorders. Every operation has a
// harmless default so a host overrides only what it provides.
#pragma once

#include <cstdint>

struct RenderBandArgs;

// How a message box looks and which buttons it offers.
enum class MessageKind {
  error,            // error icon, OK
  question,         // question icon, Yes/No
  question_cancel,  // question icon, Yes/No/Cancel
  info,             // information icon, OK
  info_yes_no,      // information icon, Yes/No
  info_ok_cancel,   // information icon, OK/Cancel
};

enum class MessageAnswer { ok, cancel, yes, no };

class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // Processor affinity of this process; false when the platform cannot tell.
  virtual bool process_affinity_mask(uint64_t* mask) { return false; }

  // Render driver.
  virtual void begin_wait_cursor() {}
  virtual void end_wait_cursor() {}
  // Recreates the region bitmap at w x h; ends the program when that fails.
  virtual void resize_region_bitmap(int32_t w, int32_t h) {}
  // Runs both bands at once and returns when both are done.
  virtual void run_render_bands(RenderBandArgs* first, RenderBandArgs* second);
  // Copies the h rendered rows of w pixels into the picture at (x0, y0).
  virtual void present_region(int32_t x0, int32_t y0, int32_t w, int32_t h) {}
  // Invalidates a rectangle of the main window's client area (no erase); nothing
  // while the main window does not exist yet.
  virtual void invalidate_view(int32_t left, int32_t top, int32_t right, int32_t bottom) {}

  // Editor user interface.
  virtual MessageAnswer show_message(int id, MessageKind kind) { return MessageAnswer::ok; }
  virtual void enable_menu_item(int command_id, bool enabled) {}
  virtual void check_menu_item(int command_id, bool checked) {}
  // Tells the tool palette, then the settings bar, that the current tool changed.
  virtual void notify_tool_windows() {}
  virtual void invalidate_main_window() {}
};

EngineHost& engine_host();
// Installs a host (null restores the default one); returns the previous host.
EngineHost* set_engine_host(EngineHost* host);
