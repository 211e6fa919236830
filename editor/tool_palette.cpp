// The tool palette dialog: toolbar, recoloured button images, variant popups and tooltips.
#include "editor/tool_palette.h"

#include <commctrl.h>

#include <iterator>

#include "editor/core/tool_table.h"
#include "editor/engine_host_win32.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "engine/edit_state.h"

HWND g_toolbar = nullptr;
HBITMAP g_toolmap_bitmap = nullptr;
int g_grow_variant_cmd = 301;
int g_shrink_variant_cmd = 302;
HMENU g_grow_menu = nullptr;
HMENU g_shrink_menu = nullptr;

namespace {

constexpr int TOOL_IMAGE_SIZE = 27;
constexpr int TOOL_IMAGE_COUNT = 16;
constexpr int TOOL_COMMANDS[] = {301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313, 320, 321, 322};
constexpr int FIRST_ROW_LAST_COMMAND = 305;
constexpr int FIRST_ROW_BUTTONS = 6;

struct PaletteButton {
  int image, command;
  BYTE style;
};
constexpr PaletteButton BUTTONS[] = {
    {0, 301, BTNS_DROPDOWN}, {14, 312, BTNS_BUTTON}, {3, 302, BTNS_DROPDOWN}, {6, 303, BTNS_BUTTON},
    {7, 304, BTNS_BUTTON},   {8, 305, BTNS_BUTTON},  {0, 0, BTNS_SEP},        {9, 306, BTNS_BUTTON},
    {15, 313, BTNS_BUTTON},  {0, 0, BTNS_SEP},       {10, 311, BTNS_BUTTON},  {0, 0, BTNS_SEP},
    {11, 320, BTNS_BUTTON},  {0, 0, BTNS_SEP},       {12, 321, BTNS_BUTTON},  {13, 322, BTNS_BUTTON},
};

// The strip's background (the area around pixel (1, 1)) becomes the button face.
void recolour_toolmap(HBITMAP bitmap) {
  HDC dc = g_mem_dc ? g_mem_dc : CreateCompatibleDC(nullptr);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old_brush = SelectObject(dc, face);
  ExtFloodFill(dc, 1, 1, GetPixel(dc, 1, 1), FLOODFILLSURFACE);
  SelectObject(dc, old_brush);
  DeleteObject(face);
  if (g_mem_dc) {
    SelectObject(dc, g_region_bitmap ? static_cast<HGDIOBJ>(g_region_bitmap) : old_bitmap);
  } else {
    SelectObject(dc, old_bitmap);
    DeleteDC(dc);
  }
}

HWND create_toolbar(HWND palette) {
  TBBUTTON buttons[std::size(BUTTONS)] = {};
  for (size_t i = 0; i < std::size(BUTTONS); ++i) {
    buttons[i].iBitmap = BUTTONS[i].image;
    buttons[i].idCommand = BUTTONS[i].command;
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = BUTTONS[i].style;
  }
  return CreateToolbarEx(palette, WS_CHILD | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | TBSTYLE_FLAT, IDC_PALETTE_TOOLBAR,
                         TOOL_IMAGE_COUNT, nullptr, reinterpret_cast<UINT_PTR>(g_toolmap_bitmap), buttons,
                         static_cast<int>(std::size(buttons)), 0, 0, TOOL_IMAGE_SIZE, TOOL_IMAGE_SIZE,
                         sizeof(TBBUTTON));
}

void resize_client(HWND palette, int width, int height) {
  RECT client, window;
  GetClientRect(palette, &client);
  GetWindowRect(palette, &window);
  SetWindowPos(palette, nullptr, 0, 0, width + (window.right - window.left) - client.right,
               height + (window.bottom - window.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

// The first row ends with button 305; the other buttons wrap below it. The palette is first
// made as wide as the first six buttons, whatever the template's width in this font, so that
// the toolbar wraps there; then it is sized from the rectangle of button 305.
void size_palette(HWND palette) {
  RECT button;
  int first_row = 0;
  for (int i = 0; i < FIRST_ROW_BUTTONS; ++i)
    if (SendMessageA(g_toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button)))
      first_row += button.right - button.left;
  RECT client;
  GetClientRect(palette, &client);
  resize_client(palette, first_row + 1, client.bottom);
  if (SendMessageA(g_toolbar, TB_GETRECT, FIRST_ROW_LAST_COMMAND, reinterpret_cast<LPARAM>(&button)))
    resize_client(palette, button.right + 1, PALETTE_CLIENT_HEIGHT);
}

void set_button_command(int old_command, int command) {
  TBBUTTONINFOA info = {};
  info.cbSize = sizeof(TBBUTTONINFOA);
  info.dwMask = TBIF_COMMAND | TBIF_IMAGE;
  info.idCommand = command;
  info.iImage = tool_command_image(command);
  SendMessageA(g_toolbar, TB_SETBUTTONINFOA, old_command, reinterpret_cast<LPARAM>(&info));
}

HMENU variant_menu(const int (&commands)[3]) {
  HMENU menu = CreatePopupMenu();
  for (int c : commands) AppendMenuA(menu, MF_STRING, c, find_tool(c - TOOL_CMD_BASE)->long_name);
  return menu;
}

void init_palette(HWND palette) {
  tool_window_opened(palette, ToolWindow::tool_palette);
  HINSTANCE instance = g_instance ? g_instance : GetModuleHandleA(nullptr);
  g_toolmap_bitmap = LoadBitmapA(instance, IDB_TOOLMAP);
  if (g_toolmap_bitmap) recolour_toolmap(g_toolmap_bitmap);
  g_toolbar = create_toolbar(palette);
  if (g_toolbar) {
    SendMessageA(g_toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageA(g_toolbar, WM_SIZE, 0, 0);
    size_palette(palette);
    if (is_grow_variant(g_grow_variant_cmd)) set_button_command(301, g_grow_variant_cmd);
    if (is_shrink_variant(g_shrink_variant_cmd)) set_button_command(302, g_shrink_variant_cmd);
    sync_palette_buttons(palette);
    ShowWindow(g_toolbar, SW_SHOW);
  }
  g_grow_menu = variant_menu(GROW_VARIANTS);
  g_shrink_menu = variant_menu(SHRINK_VARIANTS);
}

void destroy_palette(HWND palette) {
  tool_window_destroyed(palette, ToolWindow::tool_palette);
  if (g_toolmap_bitmap) DeleteObject(g_toolmap_bitmap);
  if (g_grow_menu) DestroyMenu(g_grow_menu);
  if (g_shrink_menu) DestroyMenu(g_shrink_menu);
  g_toolmap_bitmap = nullptr;
  g_grow_menu = g_shrink_menu = nullptr;
  g_toolbar = nullptr;
}

// The command a button carries now. The toolbar's tooltip keeps the command a button had
// when the tooltip was made, so a drop-down button may be asked for by another of its group.
int current_button_command(int command) {
  if (is_grow_variant(command) && is_grow_variant(g_grow_variant_cmd)) return g_grow_variant_cmd;
  if (is_shrink_variant(command) && is_shrink_variant(g_shrink_variant_cmd)) return g_shrink_variant_cmd;
  return command;
}

// Tooltips name the tool the button carries now, so a drop-down button names its variant.
void set_tooltip_text(NMHDR* header) {
  const ToolInfo* tool = find_tool(current_button_command(static_cast<int>(header->idFrom)) - TOOL_CMD_BASE);
  if (!tool) return;
  if (header->code == TTN_NEEDTEXTA) {
    reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(tool->long_name);
  } else {
    static wchar_t wide[64];
    MultiByteToWideChar(1252, 0, tool->long_name, -1, wide, static_cast<int>(std::size(wide)));
    reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = wide;
  }
}

void drop_down(HWND palette, NMTOOLBARA* record) {
  HMENU menu = is_grow_variant(record->iItem)     ? g_grow_menu
               : is_shrink_variant(record->iItem) ? g_shrink_menu
                                                  : nullptr;
  if (!menu) return;
  POINT cursor;
  GetCursorPos(&cursor);
  const int command =
      g_track_popup_menu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, cursor.x, cursor.y, 0, palette, nullptr);
  if (command) choose_palette_variant(command, reinterpret_cast<LPARAM>(record));
}

}  // namespace

void sync_palette_buttons(HWND) {
  if (!g_toolbar) return;
  for (int command : TOOL_COMMANDS) SendMessageA(g_toolbar, TB_PRESSBUTTON, command, FALSE);
  SendMessageA(g_toolbar, TB_PRESSBUTTON, TOOL_CMD_BASE + g_current_tool, TRUE);
}

void choose_palette_variant(int command, LPARAM record) {
  int* group = is_grow_variant(command)     ? &g_grow_variant_cmd
               : is_shrink_variant(command) ? &g_shrink_variant_cmd
                                            : nullptr;
  if (group) {
    if (g_toolbar) set_button_command(*group, command);
    *group = command;
  }
  if (g_main_hwnd) SendMessageA(g_main_hwnd, WM_COMMAND, command, record);
}

INT_PTR CALLBACK tool_palette_proc(HWND palette, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: init_palette(palette); return TRUE;
    case WM_ACTIVATE: tool_window_activated(palette, wparam); return FALSE;
    case WM_DESTROY: destroy_palette(palette); return FALSE;
    case WM_USER: sync_palette_buttons(palette); return FALSE;
    case WM_SIZE:
      if (g_toolbar) SendMessageA(g_toolbar, WM_SIZE, 0, 0);
      return FALSE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->code == TTN_NEEDTEXTA || header->code == TTN_NEEDTEXTW) set_tooltip_text(header);
      if (header->code == TBN_DROPDOWN) drop_down(palette, reinterpret_cast<NMTOOLBARA*>(header));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        DestroyWindow(palette);
        return TRUE;
      }
      if (g_main_hwnd) SendMessageA(g_main_hwnd, WM_COMMAND, wparam, lparam);
      return FALSE;
    default: return FALSE;
  }
}
