// Editing state shared by the engine and the editor: tools, brush settings, mask and project flags.
#pragma once

#include <cstdint>

constexpr int TOOL_CMD_BASE = 300;  // menu command id of a tool = TOOL_CMD_BASE + tool id

// Tool ids (14 to 19 do not exist).
constexpr int TOOL_NONE = 0;
constexpr int TOOL_GROW = 1;
constexpr int TOOL_SHRINK = 2;
constexpr int TOOL_PINCH = 3;
constexpr int TOOL_TWIST_RIGHT = 4;
constexpr int TOOL_TWIST_LEFT = 5;
constexpr int TOOL_DRAG = 6;
constexpr int TOOL_GROW_H = 7;
constexpr int TOOL_GROW_V = 8;
constexpr int TOOL_SHRINK_H = 9;
constexpr int TOOL_SHRINK_V = 10;
constexpr int TOOL_REGION_DRAG = 11;
constexpr int TOOL_MAGNIFY = 12;
constexpr int TOOL_HAMMER = 13;
constexpr int TOOL_MASK = 20;
constexpr int TOOL_FLATTEN = 21;
constexpr int TOOL_RESTORE = 22;

// How strokes of the current tool are applied.
constexpr int TOOL_MODE_NONE = 0;
constexpr int TOOL_MODE_BRUSH = 1;
constexpr int TOOL_MODE_RESTORE = 2;
constexpr int TOOL_MODE_REGION_DRAG = 3;
constexpr int TOOL_MODE_DRAG = 4;
constexpr int TOOL_MODE_MASK = 5;
constexpr int TOOL_MODE_FLATTEN = 6;
constexpr int TOOL_MODE_HAMMER = 7;

constexpr int BRUSH_SIZE_MIN = 21;
constexpr int BRUSH_SIZE_MAX = 301;

extern int32_t g_current_tool;    // 0: no tool
extern int32_t g_tool_mode;       // TOOL_MODE_*
extern int32_t g_brush_size;      // 21 to 301 in steps of 10; 101 at start
extern int32_t g_brush_strength;  // 1 "größer", 2 "normal", 3 "kleiner"
extern int32_t g_mask_exists;     // a mask has been created or loaded
extern int32_t g_project_modified;
extern uint16_t g_mouse_keys;  // key-state word of the last button down: 1 left, 2 right, plus modifiers
