// The printed page: fitting with proportions kept, the job's pixel copy, the page loop.
#include "editor/core/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PrintLayout, FitsThePictureWithItsProportionsOnPaper) {
  struct Case {
    PageDevice page;
    int32_t w, h;
    PageRect want;
  } cases[] = {
      {{4960, 7016, 600, 600}, 800, 600, {0, 1648, 4960, 5368}},
      {{4960, 7016, 600, 600}, 600, 1200, {726, 0, 4234, 7016}},
      {{4000, 4000, 600, 300}, 100, 100, {0, 1000, 4000, 3000}},  // twice as many dots across
      {{4000, 4000, 300, 600}, 100, 100, {1000, 0, 3000, 4000}},
      {{1000, 1000, 96, 96}, 1000, 1000, {0, 0, 1000, 1000}},
      {{2000000000, 10, 600, 600}, 1, 2000000000, {1000000000, 0, 1000000000, 10}},  // no int overflow
      {{10, 2000000000, 600, 600}, 2000000000, 1, {0, 1000000000, 10, 1000000000}},
      {{0, 7016, 600, 600}, 800, 600, {0, 0, 0, 0}},
      {{4960, 7016, 0, 600}, 800, 600, {0, 0, 0, 0}},
      {{4960, 7016, 600, 600}, 0, 600, {0, 0, 0, 0}},
      {{4960, 7016, 600, 600}, 800, -600, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const PageRect r = fit_page_rect(c.page, c.w, c.h);
    EXPECT_EQ((std::vector<int32_t>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int32_t>{c.want.left, c.want.top, c.want.right, c.want.bottom}))
        << c.page.width << "x" << c.page.height << " for " << c.w << "x" << c.h;
  }
  EXPECT_FALSE(page_rect_empty({0, 1648, 4960, 5368}));
  EXPECT_TRUE(page_rect_empty({5, 0, 5, 10}));
  EXPECT_TRUE(page_rect_empty({0, 7, 10, 6}));
}

TEST(PrintLayout, CopiesThePixelsOrRefusesImpossibleSizes) {
  const uint8_t pixels[2 * 3 * 4] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                     13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};
  PrintImage image;
  ASSERT_TRUE(copy_print_image(image, pixels, 2, 3));
  EXPECT_EQ(image.width * 10 + image.height, 23);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 24),
            std::vector<uint8_t>(pixels, pixels + 24));
  EXPECT_NE(image.pixels.get(), pixels);
  for (auto size : {std::pair{0, 3}, std::pair{2, -1}}) {
    EXPECT_FALSE(copy_print_image(image, pixels, size.first, size.second));
    EXPECT_EQ(image.pixels, nullptr);
  }
  EXPECT_FALSE(copy_print_image(image, nullptr, 2, 3));
}

// Records the calls as letters: s start page, p print page, e end page, D end doc, A abort.
struct RecordingDevice : PrintDevice {
  std::string calls;
  int fail_page = 0;  // 1-based page whose step fails, with fail_step its letter
  char fail_step = 0;
  bool end_doc_result = true;
  int page = 0;
  bool step(char c) {
    calls += c;
    return !(page == fail_page && c == fail_step);
  }
  bool start_page() override { return ++page, step('s'); }
  int print_page() override { return step('p') ? PRINT_PAGE_OK : PRINT_PAGE_STRETCH_FAILED; }
  bool end_page() override { return step('e'); }
  bool end_doc() override { return step('D') && end_doc_result; }
  void abort_doc() override { calls += 'A'; }
};

TEST(PrintLayout, PageLoopPrintsEachCopyAndAbortsOnTheFirstFailure) {
  struct Case {
    uint32_t copies;
    int fail_page;
    char fail_step;
    bool end_doc_result;
    const char* calls;
    bool ok;
  } cases[] = {
      {0, 0, 0, true, "D", true},         {3, 0, 0, true, "spespespeD", true},
      {3, 2, 'p', true, "spespA", false},  // the third copy is dropped
      {3, 1, 's', true, "sA", false},     {2, 2, 'e', true, "spespeA", false},
      {1, 0, 0, false, "speD", false},
  };
  for (const Case& c : cases) {
    RecordingDevice device;
    device.fail_page = c.fail_page;
    device.fail_step = c.fail_step;
    device.end_doc_result = c.end_doc_result;
    EXPECT_EQ(run_print_job(device, c.copies), c.ok) << c.calls;
    EXPECT_EQ(device.calls, c.calls);
  }
}

}  // namespace
