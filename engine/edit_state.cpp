// Editing state shared by the engine and the editor.
#include "engine/edit_state.h"

int32_t g_current_tool = TOOL_NONE;
int32_t g_tool_mode = TOOL_MODE_NONE;
int32_t g_brush_size = 101;
int32_t g_brush_strength = 2;
int32_t g_mask_exists = 0;
int32_t g_project_modified = 0;
uint16_t g_mouse_keys = 0;
