// The tool table, variant groups and slider mapping of the palette and the settings bar.
#include "editor/core/tool_table.h"

#include <algorithm>
#include <iterator>

#include "engine/edit_state.h"

namespace {

constexpr ToolInfo TOOLS[] = {
    {TOOL_GROW, "Wachsen", "Wachsen", 0, true, true},
    {TOOL_SHRINK, "Schrumpfen", "Schrumpfen", 3, true, true},
    {TOOL_PINCH, "Zusammenziehen", "Zusammenziehen", 6, true, true},
    {TOOL_TWIST_RIGHT, "Verdrehen (r)", "Verdrehen (rechts)", 7, true, true},
    {TOOL_TWIST_LEFT, "Verdrehen (l)", "Verdrehen (links)", 8, true, true},
    {TOOL_DRAG, "Ziehen", "Ziehen", 9, true, true},
    {TOOL_GROW_H, "Wachsen (h)", "Wachsen (horizontal)", 1, true, true},
    {TOOL_GROW_V, "Wachsen (v)", "Wachsen (vertikal)", 2, true, true},
    {TOOL_SHRINK_H, "Schrumpfen (h)", "Schrumpfen (horizontal)", 4, true, true},
    {TOOL_SHRINK_V, "Schrumpfen (v)", "Schrumpfen (vertikal)", 5, true, true},
    {TOOL_REGION_DRAG, "Bereich ziehen", "Bereich ziehen", 10, false, false},
    {TOOL_MAGNIFY, "Vergrößern", "Vergrößern", 14, true, true},
    {TOOL_HAMMER, "Hämmern", "Hämmern", 15, true, true},
    {TOOL_MASK, "Maske bearbeiten", "Maske bearbeiten", 11, true, false},
    {TOOL_FLATTEN, "Plätten", "Plätten", 12, true, true},
    {TOOL_RESTORE, "Wiederherstellen", "Wiederherstellen", 13, true, true},
};

// Slider scroll codes (SB_LINEUP ... SB_BOTTOM).
enum ScrollCode { LINE_UP, LINE_DOWN, PAGE_UP, PAGE_DOWN, THUMB_POSITION, THUMB_TRACK, TOP, BOTTOM };

}  // namespace

const ToolInfo* find_tool(int id) {
  for (const ToolInfo& t : TOOLS)
    if (t.id == id) return &t;
  return nullptr;
}

const char* tool_status_text(int id) {
  const ToolInfo* t = find_tool(id);
  return t ? t->short_name : NO_TOOL_TEXT;
}

bool is_grow_variant(int command) { return std::count(std::begin(GROW_VARIANTS), std::end(GROW_VARIANTS), command); }
bool is_shrink_variant(int command) {
  return std::count(std::begin(SHRINK_VARIANTS), std::end(SHRINK_VARIANTS), command);
}

int tool_command_image(int command) {
  const ToolInfo* t = find_tool(command - TOOL_CMD_BASE);
  return t ? t->image : -1;
}

int size_slider_position(int32_t size) { return SIZE_SLIDER_MAX - (size - BRUSH_SIZE_MIN) / 10; }

int32_t slider_position_size(int position) { return (SIZE_SLIDER_MAX - position) * 10 + BRUSH_SIZE_MIN; }

int32_t scrolled_brush_size(int32_t size, int code, int position, bool* changed) {
  int64_t step = 0;
  switch (code) {
    case LINE_UP: step = 10; break;
    case LINE_DOWN: step = -10; break;
    case PAGE_UP: step = 50; break;
    case PAGE_DOWN: step = -50; break;
    case THUMB_POSITION:
    case THUMB_TRACK: step = static_cast<int64_t>(slider_position_size(position)) - size; break;
    case TOP: step = static_cast<int64_t>(BRUSH_SIZE_MAX) - size; break;
    case BOTTOM: step = -static_cast<int64_t>(size); break;
    default: break;
  }
  *changed = step != 0;
  return static_cast<int32_t>(std::clamp<int64_t>(size + step, BRUSH_SIZE_MIN, BRUSH_SIZE_MAX));
}
