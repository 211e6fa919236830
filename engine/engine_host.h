// What the engine needs from the program around it: drawing, threads, menus, message boxes.
// The Win32 editor implements it; tests implement it with recorders. Every operation has a
// harmless default so a host overrides only what it provides.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <limits>

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

// The modal dialogs that ask for a whole-field command's parameters.
enum class FieldDialog { scale, move };

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
  // Stops the main window's stroke timer; nothing while the main window does not exist.
  virtual void stop_stroke_timer() {}

  // Whole-field commands and key frames.
  // Runs the scale or move dialog with the tool windows disabled; true for OK, the
  // values then in g_dlg_value1 and g_dlg_value2.
  virtual bool run_field_dialog(FieldDialog dialog) { return false; }
  // Shows the source image unwarped in the picture, without rendering.
  virtual void show_source_image() {}
  // Redraws the current key frame's thumbnail from the picture rendered last.
  virtual void refresh_current_thumbnail() {}
  // After a fix: slots 1 and 2 zero with slot 2 current, slots 3 to 8 empty, thumbnails redrawn.
  virtual void restart_key_frames() {}
  // A key frame's field block; null when there is no memory for it.
  virtual void* allocate_field(uint64_t bytes) {
    return bytes <= std::numeric_limits<size_t>::max() ? std::malloc(static_cast<size_t>(bytes)) : nullptr;
  }
  virtual void free_field(void* block) { std::free(block); }
};

EngineHost& engine_host();
// Installs a host (null restores the default one); returns the previous host.
EngineHost* set_engine_host(EngineHost* host);
