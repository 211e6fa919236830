// The render driver on real GDI: region bitmap, copy into the picture, worker threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "editor/engine_host_win32.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/engine/engine_fixture.h"

namespace {

class RenderRegionGdi : public ::testing::Test {
 protected:
  static constexpr int W = 64, H = 40;

  void SetUp() override {
    image = std::make_unique<TestImage>(W, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) image->pair(x, y) = {(x % 7) * 0.6f - 1.5f, (y % 5) * 0.8f - 1.0f};
    g_smoothing = 1;
    g_border_repeat = 1;

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    image_bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&picture), nullptr, 0);
    ASSERT_NE(image_bitmap, nullptr);
    g_image_dc = CreateCompatibleDC(nullptr);
    SelectObject(g_image_dc, image_bitmap);
    set_engine_host(&win32_engine_host());
    g_region_width = g_region_height = 0;
  }

  void TearDown() override {
    set_engine_host(nullptr);
    DeleteDC(g_image_dc);
    DeleteObject(image_bitmap);
    if (g_mem_dc) DeleteDC(g_mem_dc);
    if (g_region_bitmap) DeleteObject(g_region_bitmap);
    g_image_dc = g_mem_dc = nullptr;
    g_region_bitmap = nullptr;
    g_cpu_count = 1;
    image.reset();
  }

  // The picture must hold exactly the render buffer's rectangle at (x0, y0).
  void expect_picture_matches(int x0, int y0, int w, int h) {
    GdiFlush();
    for (int r = 0; r < h; ++r)
      for (int k = 0; k < w; ++k)
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(picture[4 * ((y0 + r) * W + x0 + k) + c], image->rendered(k, r, w)[c]) << k << "," << r;
  }

  MainWindowState win;
  std::unique_ptr<TestImage> image;
  HBITMAP image_bitmap = nullptr;
  uint8_t* picture = nullptr;
};

TEST_F(RenderRegionGdi, RegionLandsInThePictureAtItsPlace) {
  render_region(win, 10, 5, 40, 33, 1);
  EXPECT_EQ(g_region_width, 30);
  EXPECT_EQ(g_region_height, 28);
  EXPECT_EQ(g_region_bmi.biHeight, -28);
  EXPECT_EQ(g_region_bmi.biSizeImage, 30u * 28u * 4u);
  expect_picture_matches(10, 5, 30, 28);
}

TEST_F(RenderRegionGdi, ClippedRectangleGetsABitmapOfItsClippedSize) {
  render_region(win, -10, -10, 20, 20, 0);
  EXPECT_EQ(g_region_width, 20);
  EXPECT_EQ(g_region_height, 20);
  BITMAP bm;
  ASSERT_TRUE(GetObjectA(g_region_bitmap, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 20);
  EXPECT_EQ(bm.bmHeight, 20);
  expect_picture_matches(0, 0, 20, 20);
}

TEST_F(RenderRegionGdi, TwoWorkerThreadsGiveTheSamePicture) {
  render_region(win, 0, 0, W, H, 0);
  const std::vector<uint8_t> one = image->render_buffer();
  std::fill(image->render_buffer().begin(), image->render_buffer().end(), 0);
  g_cpu_count = 2;
  render_region(win, 0, 0, W, H, 0);
  EXPECT_EQ(image->render_buffer(), one);
  expect_picture_matches(0, 0, W, H);
}

HANDLE WINAPI refuse_thread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  return nullptr;
}

int g_threads_started = 0;
HANDLE WINAPI start_first_only(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE fn, LPVOID arg,
                               DWORD flags, LPDWORD id) {
  return g_threads_started++ == 0 ? CreateThread(sa, stack, fn, arg, flags, id) : nullptr;
}

TEST_F(RenderRegionGdi, BandsWhoseThreadCannotStartAreRenderedAnyway) {
  render_region(win, 0, 0, W, H, 0);
  const std::vector<uint8_t> one = image->render_buffer();
  g_cpu_count = 2;
  for (RenderThreadStartFn start : {refuse_thread, start_first_only}) {
    std::fill(image->render_buffer().begin(), image->render_buffer().end(), 0);
    g_threads_started = 0;
    g_start_render_thread = start;
    render_region(win, 0, 0, W, H, 0);
    g_start_render_thread = CreateThread;
    EXPECT_EQ(image->render_buffer(), one);
  }
}

int g_transfers_to_fail = 0;
int WINAPI fail_first_transfers(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const VOID* bits, const BITMAPINFO* bmi,
                                UINT usage) {
  if (g_transfers_to_fail > 0) {
    --g_transfers_to_fail;
    return 0;
  }
  return SetDIBits(dc, bitmap, start, lines, bits, bmi, usage);
}

TEST_F(RenderRegionGdi, AFailedTransferRetriesOneRowFewerAtTheSamePlace) {
  const struct {
    int failures, rows;  // rows that reach the picture
  } cases[] = {{0, 28}, {1, 27}, {2, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failures);
    GdiFlush();
    std::fill(picture, picture + W * H * 4, 0x77);
    g_transfers_to_fail = c.failures;
    g_set_dib_bits = fail_first_transfers;
    render_region(win, 10, 5, 40, 33, 0);
    g_set_dib_bits = SetDIBits;
    expect_picture_matches(10, 5, 30, c.rows);
    for (int y = 5 + c.rows; y < 33; ++y) ASSERT_EQ(picture[4 * (y * W + 20)], 0x77) << y;  // nothing below
  }
}

}  // namespace
