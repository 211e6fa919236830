// The brush tools as the palette and the settings bar show them, and the brush size slider.
#pragma once

#include <cstdint>

// One tool: its id (command TOOL_CMD_BASE + id), its texts, its image in TOOLMAP and
// which settings-bar groups it uses.
struct ToolInfo {
  int id;
  const char* short_name;  // status text of the settings bar
  const char* long_name;   // tooltip of the palette and text of the variant popups
  int image;               // index of the 27 x 27 image in TOOLMAP
  bool uses_size;
  bool uses_strength;
};

constexpr char NO_TOOL_TEXT[] = "Kein Werkzeug.";

// The tool of id, or null for 0, 14 to 19 and any id outside the table.
const ToolInfo* find_tool(int id);
// The short name, NO_TOOL_TEXT for an id outside the table.
const char* tool_status_text(int id);

// The drop-down groups of the palette: grow (301, 307, 308) and shrink (302, 309, 310).
constexpr int GROW_VARIANTS[3] = {301, 307, 308};
constexpr int SHRINK_VARIANTS[3] = {302, 309, 310};
bool is_grow_variant(int command);
bool is_shrink_variant(int command);
// TOOLMAP image of a tool command, -1 for a command that names no tool.
int tool_command_image(int command);

// Brush size slider: position 0 (top) is the largest brush, 28 (bottom) the smallest.
constexpr int SIZE_SLIDER_MAX = 28;
int size_slider_position(int32_t size);
int32_t slider_position_size(int position);

// The size after a slider notification (scroll code and thumb position), kept within
// BRUSH_SIZE_MIN..BRUSH_SIZE_MAX; *changed tells whether the step was non-zero.
int32_t scrolled_brush_size(int32_t size, int code, int position, bool* changed);
