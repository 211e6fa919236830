// The program's scan command on a real main window with the real scanner library, served by the
// test source through Wine's manager, the scan dialog answered by the script.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/core/frame_slots.h"
#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/message_box.h"
#include "editor/plugin_slots.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "plugins/scanner/scanner_resource.h"
#include "plugins/scanner/test_source/test_image.h"
#include "plugins/scanner/tests/win/scan_driver.h"
#include "tests/win/main_window_fixture.h"

namespace {

std::vector<std::string> g_shown;
int WINAPI recording_box(HWND, LPCSTR text, LPCSTR, UINT) {
  g_shown.push_back(text);
  return IDNO;
}

std::string program_folder() {
  char path[MAX_PATH];
  std::string s(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return s.substr(0, s.find_last_of('\\') + 1);
}

// The test source is installed before the library's init opens Wine's manager.
class ScannerLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    keep_windows_unmanaged();
    ASSERT_TRUE(install_test_source());
    bind_scanner_plugin((program_folder() + "dqtwain.dll").c_str());
    ASSERT_NE(g_twain_acquire_image, nullptr);
    ASSERT_EQ(g_scanner_unavailable, 0);
  }
  void TearDown() override {
    release_scanner_plugin();
    remove_test_source();
  }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ScannerLibraryEnvironment);

// What the project holds, to tell whether a command changed it.
struct ProjectState {
  int32_t width, height, modified, frame;
  std::string name;
  std::vector<uint8_t> pixels;
  float dx;
  bool operator==(const ProjectState& o) const {
    return width == o.width && height == o.height && modified == o.modified && frame == o.frame && name == o.name &&
           pixels == o.pixels && dx == o.dx;
  }
};

ProjectState project_state() {
  const size_t bytes = static_cast<size_t>(g_image_width) * g_image_height * 4;
  return {g_image_width,
          g_image_height,
          g_project_modified,
          g_current_frame,
          g_project_name,
          std::vector<uint8_t>(g_source_pixels, g_source_pixels + bytes),
          get_displacement(7, 3).dx};
}

// Pixels of the project that differ from the source's bottom-up picture subsampled by factor
// (from its last row).
int wrong_pixels(int factor, int source_height) {
  int wrong = 0;
  for (int r = 0; r < g_image_height; ++r) {
    const int y = source_height - 1 - factor * (g_image_height - 1 - r);
    for (int x = 0; x < g_image_width; ++x) {
      const TestRgb e = test_rgb(factor * x, y);
      const uint8_t* p = g_source_pixels + 4 * (static_cast<size_t>(r) * g_image_width + x);
      wrong += p[0] != e.b || p[1] != e.g || p[2] != e.r;
    }
  }
  return wrong;
}

bool slots_as_new() {
  bool as_new = g_current_frame == 2 && get_displacement(7, 3).dx == 0;
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k)
    as_new = as_new && slot_filled(k) == (k <= 2) && std::strcmp(frame_slot(k).frames_text, k <= 2 ? "15" : "0") == 0;
  return as_new;
}

class ScanCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = recording_box;
    g_shown.clear();
    ASSERT_NE(create_test_main_window(&win), nullptr);
  }

  void TearDown() override {
    destroy_test_main_window();
    g_project_modified = 0;
    g_message_box = MessageBoxA;
    set_engine_host(nullptr);
  }

  // Runs the scan command with the dialog script; true when the script ran through in time.
  bool scan(const char* config, const std::vector<ScanStep>& steps) {
    g_project_modified = 0;
    const ScanRun run = run_scripted(config, steps, [] { SendMessageA(g_main_hwnd, WM_COMMAND, CMD_SCAN, 0); });
    return run.finished_script && !run.timed_out;
  }

  MainWindow win;
};

TEST_F(ScanCommand, AScanBecomesTheProjectAndACancelledOneChangesNothing) {
  const ScanStep acquire = command(IDC_SCAN_ACQUIRE);
  struct Case {
    const char* config;
    std::vector<ScanStep> steps;
    int width, height;  // 0: cancelled
  } cases[] = {
      {"", {acquire, command(IDCANCEL)}, 0, 0},
      {"", {command(IDCANCEL)}, 0, 0},
      {"xfercancel", {acquire, command(IDCANCEL)}, 0, 0},
      {"", {acquire, command(IDOK)}, 37, 23},
      {"topdown,size=40x30", {acquire, command(IDOK)}, 40, 30},
      {"mem,size=64x9", {acquire, command(IDOK)}, 64, 9},
  };
  for (const Case& c : cases) {
    set_displacement(7, 3, 2.5f, 0);
    const ProjectState before = project_state();
    EXPECT_TRUE(scan(c.config, c.steps)) << c.config;
    EXPECT_TRUE(g_shown.empty()) << c.config << ": " << (g_shown.empty() ? "" : g_shown[0]);
    if (c.width == 0) {
      EXPECT_TRUE(project_state() == before) << c.config;
      continue;
    }
    ASSERT_EQ(g_image_width, c.width) << c.config;
    ASSERT_EQ(g_image_height, c.height) << c.config;
    EXPECT_EQ(wrong_pixels(1, c.height), 0) << c.config;
    EXPECT_STREQ(g_project_name, "gescanntes bild");
    EXPECT_EQ(g_project_modified, 1);
    EXPECT_TRUE(slots_as_new()) << c.config;
  }
}

// A figure, not a limit: the command from its start to the new project, the dialog's script
// (two steps on a 10 ms timer) included.
TEST_F(ScanCommand, ReportsTheTimeOfALargeScan) {
  const struct {
    const char* label;
    std::vector<ScanStep> steps;
  } runs[] = {
      {"preset factor", {command(IDC_SCAN_ACQUIRE), command(IDOK)}},
      {"factor 1", {command(IDC_SCAN_ACQUIRE), command(IDC_SCAN_FACTOR1), command(IDOK)}},
  };
  for (const auto& r : runs) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const bool ran = scan("size=2550x3300", r.steps);
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    const int factor = g_image_width ? 2550 / g_image_width : 0;
    std::printf("scan command, 2550 x 3300 native, %s: %d x %d project, %.0f ms\n", r.label, g_image_width,
                g_image_height, ms);
    EXPECT_TRUE(ran && factor && wrong_pixels(factor, 3300) == 0) << r.label;
  }
}

}  // namespace
