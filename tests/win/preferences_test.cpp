// Registry preferences in the test prefix: presets for missing or mistyped values, and the exit's
// write (creating the key) read back as start-up reads it.
#include "editor/preferences.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "engine/render_band.h"
#include "tests/win/preferences_key.h"

namespace {

const char* const NAMES[] = {"Toolbar",      "Videobar",     "Prefsbar",       "Smoothing",
                             "BorderRepeat", "ColorRefract", "WndTransparency"};

// Start-up's toolbar, videobar, prefsbar, g_wnd_transparency and record, then the first show's six.
std::vector<int> read_both() {
  g_wnd_transparency = 7;
  const StoredLayout s = read_startup_preferences();
  const FirstShowPreferences f = read_first_show_preferences();
  return {s.toolbar,       s.videobar,     s.prefsbar,  g_wnd_transparency, s.has_record,      f.tool_palette,
          f.animation_bar, f.settings_bar, f.smoothing, f.border_repeat,    f.color_separation};
}

TEST(Preferences, MissingOrMistypedValuesKeepTheirPresets) {
  const std::vector<int> presets = {1, 1, 1, 1, 0, 1, 0, 1, 1, 1, 0};
  const struct {
    const char* name;
    bool key;
    int stored[7];  // in the order of NAMES, -1 for none
    DWORD record_size;
    std::vector<int> want;
  } cases[] = {{"no key", false, {}, 0, presets},
               {"empty key", true, {-1, -1, -1, -1, -1, -1, -1}, 0, presets},
               {"all stored", true, {0, 1, 0, 0, 0, 1, 0}, 68, {0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 1}},
               {"short record", true, {-1, 0, -1, -1, -1, -1, -1}, 67, {1, 0, 1, 1, 0, 1, 0, 1, 1, 1, 0}},
               {"long record", true, {-1, -1, -1, -1, -1, -1, -1}, 69, presets}};
  for (const auto& c : cases) {
    PreferencesKey key(c.key);
    const uint8_t record[WINDOW_POS_RECORD_SIZE + 1] = {};
    for (int i = 0; i < 7; ++i)
      if (c.stored[i] >= 0) key.set(NAMES[i], REG_DWORD, &c.stored[i], 4);
    if (c.record_size) key.set("WindowPos", REG_BINARY, record, c.record_size);
    EXPECT_EQ(read_both(), c.want) << c.name;
  }
  PreferencesKey key(true);
  key.set("Toolbar", REG_BINARY, "\0\0\0", 4);  // four bytes, yet no DWORD
  key.set("Videobar", REG_BINARY, "\1", 1);
  key.set("WindowPos", REG_SZ, std::string(67, 'a').c_str(), 68);
  EXPECT_EQ(read_both(), presets);
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

  const DWORD written[] = {1, 0, 0, 0, 1, 1, 1};
  for (int i = 0; i < 7; ++i) {
    DWORD got = 99, size = 4;
    RegGetValueA(HKEY_CURRENT_USER, PREFERENCES_KEY, NAMES[i], RRF_RT_REG_DWORD, nullptr, &got, &size);
    EXPECT_EQ(got, written[i]) << NAMES[i];
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

  stored.record.tool_palette_rect = {-60, -40, 60, 50};  // partly past the screen's corner: kept
  EXPECT_EQ(startup_window_layout(stored, g_screen_width, g_screen_height).tool_palette.y, -40);
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
