// Registry preferences in the test prefix: presets when values or the key are missing, the
// window layout read back, and the exit's write creating the key.
#include "editor/preferences.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "engine/render_band.h"
#include "tests/win/preferences_key.h"

namespace {

struct Dword {
  const char* name;
  DWORD value;
};

struct PresetCase {
  const char* name;
  bool key;
  std::vector<Dword> values;
  int toolbar, videobar, prefsbar, transparency;  // as start-up reads them
  FirstShowPreferences first;                     // as the first show reads them
};

TEST(Preferences, MissingValuesKeepTheirPresets) {
  const PresetCase cases[] = {
      {"no key", false, {}, 1, 1, 1, 1, {1, 0, 1, 1, 1, 0}},
      {"empty key", true, {}, 1, 1, 1, 1, {1, 0, 1, 1, 1, 0}},
      {"all stored",
       true,
       {{"Toolbar", 0},
        {"Videobar", 1},
        {"Prefsbar", 0},
        {"Smoothing", 0},
        {"BorderRepeat", 0},
        {"ColorRefract", 1},
        {"WndTransparency", 0}},
       0,
       1,
       0,
       0,
       {0, 1, 0, 0, 0, 1}},
      {"videobar missing", true, {{"Toolbar", 1}, {"Prefsbar", 1}}, 1, 1, 1, 1, {1, 0, 1, 1, 1, 0}},
  };
  for (const PresetCase& c : cases) {
    PreferencesKey key(c.key);
    for (const Dword& v : c.values) key.set_dword(v.name, v.value);
    g_wnd_transparency = 7;
    const StoredLayout stored = read_startup_preferences();
    EXPECT_EQ(stored.toolbar, c.toolbar) << c.name;
    EXPECT_EQ(stored.videobar, c.videobar) << c.name;
    EXPECT_EQ(stored.prefsbar, c.prefsbar) << c.name;
    EXPECT_EQ(g_wnd_transparency, c.transparency) << c.name;
    EXPECT_FALSE(stored.has_record) << c.name;
    const FirstShowPreferences f = read_first_show_preferences();
    EXPECT_EQ(f.tool_palette, c.first.tool_palette) << c.name;
    EXPECT_EQ(f.animation_bar, c.first.animation_bar) << c.name;
    EXPECT_EQ(f.settings_bar, c.first.settings_bar) << c.name;
    EXPECT_EQ(f.smoothing, c.first.smoothing) << c.name;
    EXPECT_EQ(f.border_repeat, c.first.border_repeat) << c.name;
    EXPECT_EQ(f.color_separation, c.first.color_separation) << c.name;
  }
  g_wnd_transparency = 1;
}

TEST(Preferences, OnlyDwordValuesAndWholeRecordsAreTaken) {
  PreferencesKey key(true);
  key.set_string("Toolbar", "0");
  const BYTE one_byte = 0;
  RegSetValueExA(key.key(), "Prefsbar", 0, REG_BINARY, &one_byte, 1);
  uint8_t bytes[WINDOW_POS_RECORD_SIZE + 1] = {};
  key.set_binary("WindowPos", bytes, WINDOW_POS_RECORD_SIZE - 1);
  StoredLayout stored = read_startup_preferences();
  EXPECT_EQ(stored.toolbar, 1);
  EXPECT_EQ(stored.prefsbar, 1);
  EXPECT_FALSE(stored.has_record);
  key.set_binary("WindowPos", bytes, WINDOW_POS_RECORD_SIZE + 1);
  EXPECT_FALSE(read_startup_preferences().has_record);
  key.set_binary("WindowPos", bytes, WINDOW_POS_RECORD_SIZE);
  EXPECT_TRUE(read_startup_preferences().has_record);
}

class WrittenPreferences : public ::testing::Test {
 protected:
  void SetUp() override {
    g_screen_width = GetSystemMetrics(SM_CXSCREEN);
    g_screen_height = GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qx_test_prefs_window";
    RegisterClassA(&wc);
    main_ = CreateWindowExA(0, wc.lpszClassName, "m", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 30, 40, 300, 200, nullptr,
                            nullptr, wc.hInstance, nullptr);
    bar_ = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "b", WS_POPUP, 600, 70, 120, 90, nullptr, nullptr,
                           wc.hInstance, nullptr);
    g_main_hwnd = main_;
    g_tool_palette = bar_;
    g_tool_palette_open = 1;
    g_settings_bar = bar_;  // exists, but counts as closed
    g_settings_bar_open = 0;
  }
  void TearDown() override {
    DestroyWindow(main_);
    DestroyWindow(bar_);
    g_main_hwnd = g_tool_palette = g_settings_bar = nullptr;
    g_tool_palette_open = g_settings_bar_open = 0;
    UnregisterClassA("qx_test_prefs_window", GetModuleHandleA(nullptr));
  }
  HWND main_ = nullptr, bar_ = nullptr;
};

DWORD stored_dword(const char* name) {
  DWORD v = 99, size = sizeof v;
  RegGetValueA(HKEY_CURRENT_USER, PREFERENCES_KEY, name, RRF_RT_REG_DWORD, nullptr, &v, &size);
  return v;
}

TEST_F(WrittenPreferences, ExitCreatesTheKeyAndStoresTheNormalRectangle) {
  PreferencesKey key(false);
  g_smoothing = 0;
  g_border_repeat = 1;
  g_color_separation = 1;
  g_wnd_transparency = 0;
  ASSERT_TRUE(IsIconic(main_));  // created minimised: its window rectangle is not the normal one
  ASSERT_TRUE(write_preferences());
  const Dword expected[] = {{"Toolbar", 1},      {"Videobar", 0},     {"Prefsbar", 0},       {"Smoothing", 0},
                            {"BorderRepeat", 1}, {"ColorRefract", 1}, {"WndTransparency", 0}};
  for (const Dword& d : expected) EXPECT_EQ(stored_dword(d.name), d.value) << d.name;

  const StoredLayout stored = read_startup_preferences();
  ASSERT_TRUE(stored.has_record);
  const WindowPosRecord& r = stored.record;
  EXPECT_EQ(r.main_rect.left, 30);
  EXPECT_EQ(r.main_rect.top, 40);
  EXPECT_EQ(r.main_rect.right, 330);
  EXPECT_EQ(r.main_rect.bottom, 240);
  EXPECT_EQ(r.tool_palette_rect.left, 600);
  EXPECT_EQ(r.tool_palette_rect.bottom, 160);
  EXPECT_EQ(r.settings_bar_rect.left, 0);  // closed bars store zeros
  EXPECT_EQ(r.screen_area, g_screen_width * g_screen_height);

  const WindowLayout layout = startup_window_layout(stored, g_screen_width, g_screen_height);
  EXPECT_EQ(layout.main_rect.left, 30);
  EXPECT_EQ(layout.tool_palette.x, 600);
  EXPECT_EQ(layout.settings_bar.x, DEFAULT_SETTINGS_BAR_POS.x);  // "Prefsbar" was written 0
  g_smoothing = g_border_repeat = 1;
  g_color_separation = 0;
  g_wnd_transparency = 1;
}

TEST_F(WrittenPreferences, LayoutOffEveryScreenFallsBackToTheDefaults) {
  StoredLayout stored;
  stored.has_record = true;
  stored.record = {{-5000, -5000, -4000, -4500},
                   {-9000, 10, 0, 0},
                   {40, 50, 0, 0},
                   {60, 70, 0, 0},
                   screen_area_of(g_screen_width, g_screen_height)};
  const WindowLayout layout = startup_window_layout(stored, g_screen_width, g_screen_height);
  EXPECT_EQ(layout.main_rect.left, DEFAULT_MAIN_RECT.left);
  EXPECT_EQ(layout.main_rect.bottom, DEFAULT_MAIN_RECT.bottom);
  EXPECT_EQ(layout.settings_bar.x, DEFAULT_SETTINGS_BAR_POS.x);
  EXPECT_EQ(layout.tool_palette.x, 40);
  EXPECT_EQ(layout.animation_bar.y, 70);
}

}  // namespace
