// Registry preferences in the test prefix: presets for missing or mistyped values, and the exit's
// write (creating the key) read back as start-up reads it.
#include "editor/preferences.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "engine/render_band.h"
#include "tests/win/preferences_key.h"

namespace {

struct Value {
  const char* name;
  DWORD type;
  DWORD data;
  DWORD size;
};

struct PresetCase {
  const char* name;
  bool key;
  std::vector<Value> values;
  int toolbar, videobar, prefsbar, transparency;  // as start-up reads them
  bool record;
  FirstShowPreferences first;  // as the first show reads them
};

TEST(Preferences, MissingOrMistypedValuesKeepTheirPresets) {
  const PresetCase cases[] = {
      {"no key", false, {}, 1, 1, 1, 1, false, {1, 0, 1, 1, 1, 0}},
      {"empty key", true, {}, 1, 1, 1, 1, false, {1, 0, 1, 1, 1, 0}},
      {"all stored",
       true,
       {{"Toolbar", REG_DWORD, 0, 4},
        {"Videobar", REG_DWORD, 1, 4},
        {"Prefsbar", REG_DWORD, 0, 4},
        {"Smoothing", REG_DWORD, 0, 4},
        {"BorderRepeat", REG_DWORD, 0, 4},
        {"ColorRefract", REG_DWORD, 1, 4},
        {"WndTransparency", REG_DWORD, 0, 4},
        {"WindowPos", REG_BINARY, 0, 68}},
       0,
       1,
       0,
       0,
       true,
       {0, 1, 0, 0, 0, 1}},
      {"mistyped",
       true,
       {{"Toolbar", REG_SZ, 0, 4}, {"Videobar", REG_BINARY, 0, 2}, {"WindowPos", REG_BINARY, 0, 67}},
       1,
       1,
       1,
       1,
       false,
       {1, 0, 1, 1, 1, 0}},
  };
  for (const PresetCase& c : cases) {
    PreferencesKey key(c.key);
    uint8_t zeros[WINDOW_POS_RECORD_SIZE] = {};
    for (const Value& v : c.values) key.set(v.name, v.type, v.size > 4 ? zeros : (void*)&v.data, v.size);
    g_wnd_transparency = 7;
    const StoredLayout s = read_startup_preferences();
    EXPECT_EQ(std::vector<int>({s.toolbar, s.videobar, s.prefsbar, g_wnd_transparency, s.has_record}),
              std::vector<int>({c.toolbar, c.videobar, c.prefsbar, c.transparency, c.record}))
        << c.name;
    const FirstShowPreferences f = read_first_show_preferences(), w = c.first;
    EXPECT_EQ(std::vector<int>(
                  {f.tool_palette, f.animation_bar, f.settings_bar, f.smoothing, f.border_repeat, f.color_separation}),
              std::vector<int>(
                  {w.tool_palette, w.animation_bar, w.settings_bar, w.smoothing, w.border_repeat, w.color_separation}))
        << c.name;
  }
  g_wnd_transparency = 1;
}

TEST(Preferences, ExitCreatesTheKeyAndStoresTheNormalRectangle) {
  PreferencesKey key(false);
  g_screen_width = GetSystemMetrics(SM_CXSCREEN);
  g_screen_height = GetSystemMetrics(SM_CYSCREEN);
  // Created minimised, so its window rectangle is not the normal one.
  g_main_hwnd = CreateWindowExA(0, "STATIC", "m", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 30, 40, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  g_tool_palette = CreateWindowExA(0, "STATIC", "b", WS_POPUP, 600, 70, 120, 90, nullptr, nullptr, nullptr, nullptr);
  g_settings_bar = g_tool_palette;  // exists, yet counts as closed
  g_tool_palette_open = 1;
  const int32_t view[] = {g_smoothing, g_border_repeat, g_color_separation};
  g_smoothing = 0;
  g_border_repeat = 1;
  g_color_separation = 1;
  g_wnd_transparency = 1;
  EXPECT_TRUE(IsIconic(g_main_hwnd));
  EXPECT_TRUE(write_preferences());

  const Value written[] = {{"Toolbar", 0, 1, 4},        {"Videobar", 0, 0, 4},     {"Prefsbar", 0, 0, 4},
                           {"Smoothing", 0, 0, 4},      {"BorderRepeat", 0, 1, 4}, {"ColorRefract", 0, 1, 4},
                           {"WndTransparency", 0, 1, 4}};
  for (const Value& v : written) {
    DWORD got = 99, size = 4;
    RegGetValueA(HKEY_CURRENT_USER, PREFERENCES_KEY, v.name, RRF_RT_REG_DWORD, nullptr, &got, &size);
    EXPECT_EQ(got, v.data) << v.name;
  }
  StoredLayout stored = read_startup_preferences();
  const WindowPosRecord& r = stored.record;
  EXPECT_TRUE(stored.has_record);
  EXPECT_EQ(std::vector<int>({r.main_rect.left, r.main_rect.top, r.main_rect.right, r.main_rect.bottom,
                              r.tool_palette_rect.left, r.tool_palette_rect.bottom, r.settings_bar_rect.left}),
            std::vector<int>({30, 40, 330, 240, 600, 160, 0}));
  EXPECT_EQ(r.screen_area, g_screen_width * g_screen_height);
  const WindowLayout layout = startup_window_layout(stored, g_screen_width, g_screen_height);
  EXPECT_EQ(layout.main_rect.left, 30);
  EXPECT_EQ(layout.tool_palette.x, 600);
  EXPECT_EQ(layout.settings_bar.x, DEFAULT_SETTINGS_BAR_POS.x);  // "Prefsbar" was written 0

  // A layout off every screen: each such window takes its default.
  stored.record.main_rect = {-5000, -5000, -4000, -4500};
  stored.record.tool_palette_rect.left = -9000;
  const WindowLayout off = startup_window_layout(stored, g_screen_width, g_screen_height);
  EXPECT_EQ(off.main_rect.bottom, DEFAULT_MAIN_RECT.bottom);
  EXPECT_EQ(off.tool_palette.x, DEFAULT_TOOL_PALETTE_POS.x);

  DestroyWindow(g_main_hwnd);
  DestroyWindow(g_tool_palette);
  g_main_hwnd = g_tool_palette = g_settings_bar = nullptr;
  g_tool_palette_open = 0;
  g_smoothing = view[0];
  g_border_repeat = view[1];
  g_color_separation = view[2];
}

}  // namespace
