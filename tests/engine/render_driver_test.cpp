// Render driver: clipping, the thread split, what reaches the host and what gets invalidated.
#include "engine/render_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_host.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

namespace {

class RenderDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&host);
    host.record_driver_steps = true;
    g_region_width = g_region_height = 101;
    g_zoom_percent = 100;
    g_cpu_count = 1;
  }
  void TearDown() override {
    set_engine_host(nullptr);
    g_cpu_count = 1;
    g_zoom_percent = 100;
  }
  RecordingHost host;
  MainWindowState win;
};

TEST_F(RenderDriver, EmptyRectangleDoesNothingAtAll) {
  TestImage img(50, 40);
  render_region(win, 5, 5, 5, 20, 1);
  render_region(win, 5, 9, 8, 2, 1);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(RenderDriver, RectangleOutsideTheImageNeverResizesTheBitmap) {
  TestImage img(50, 40);
  render_region(win, 60, 0, 80, 10, 1);
  render_region(win, -30, -30, -10, -10, 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"wait", "unwait"}));
  EXPECT_EQ(g_region_width, 101);
}

TEST_F(RenderDriver, ClipsResizesRendersPresentsAndInvalidates) {
  TestImage img(50, 40);
  render_region(win, -10, -10, 20, 20, 1);
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"wait", "resize 20x20", "present 0,0 20x20", "unwait", "invalidate 0,0,20,20"}));
  EXPECT_EQ(g_region_width, 20);
  host.calls.clear();
  render_region(win, 30, 25, 70, 45, 0);  // clipped to 20 x 15 at (30, 25)
  EXPECT_EQ(host.calls, (std::vector<std::string>{"resize 20x15", "present 30,25 20x15", "invalidate 30,25,50,40"}));
  host.calls.clear();
  render_region(win, 0, 0, 20, 15, 0);  // same size: no new bitmap
  EXPECT_EQ(host.calls.front(), "present 0,0 20x15");
}

TEST_F(RenderDriver, InvalidationKeepsLeftAndWidthEvenAtEveryZoom) {
  win.scroll_x = 3;
  win.scroll_y = -7;
  g_zoom_percent = 33;
  ViewRect r = region_view_rect(win, 10, 10, 21, 30);  // 3 - 3 = 0; 6 - 3 = 3 -> 4
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 4);
  EXPECT_EQ(r.top, 3 + 7);
  EXPECT_EQ(r.bottom, 9 + 7);
  g_zoom_percent = 150;
  r = region_view_rect(win, 1, 1, 4, 3);  // 1 - 3 = -2; 6 - 3 = 3 -> width 5 -> 4
  EXPECT_EQ(r.left, -2);
  EXPECT_EQ(r.right, 4);
  win.scroll_x = 0;
  r = region_view_rect(win, 1, 0, 2, 1);  // left 1 -> 0, right 3, width 3 -> 4
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 4);
  g_zoom_percent = 300;
  r = region_view_rect(win, 30000, 0, 30001, 1);  // no 32-bit overflow on the way
  EXPECT_EQ(r.left, 90000);
}

TEST_F(RenderDriver, TwoThreadsGiveTheSameBytesAsOne) {
  TestImage img(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      img.pair(x, y) = {static_cast<float>((x * 7 % 13) - 6) * 0.7f, static_cast<float>((y * 5 % 11) - 5) * 0.9f};
  g_smoothing = 1;
  render_region(win, 3, 2, 60, 47, 0);
  const std::vector<uint8_t> one = img.render_buffer();
  g_cpu_count = 2;
  host.calls.clear();
  std::fill(img.render_buffer().begin(), img.render_buffer().end(), 0);
  render_region(win, 3, 2, 60, 47, 0);
  EXPECT_EQ(host.calls.front(), "bands 2/0,1");
  EXPECT_EQ(img.render_buffer(), one);
}

}  // namespace
