// The printed page: fitting with proportions kept, and the page loop.
#include "editor/core/print_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PrintLayout, FitsThePictureWithItsProportionsOnPaper) {
  struct Case {
    PageDevice page;
    int32_t w, h;
    PageRect want;
  } cases[] = {
      {{4960, 7016, 600, 600}, 800, 600, {0, 1648, 4960, 5368}},
      {{4960, 7016, 600, 600}, 600, 1200, {726, 0, 4234, 7016}},
      {{4000, 4000, 600, 300}, 100, 100, {0, 1000, 4000, 3000}},                     // twice as many dots across
      {{2000000000, 10, 600, 600}, 1, 2000000000, {1000000000, 0, 1000000000, 10}},  // no int overflow
      {{10, 2000000000, 600, 600}, 2000000000, 1, {0, 1000000000, 10, 1000000000}},
      {{0, 7016, 600, 600}, 800, 600, {0, 0, 0, 0}},
      {{4960, 7016, 600, 600}, 800, -600, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const PageRect r = fit_page_rect(c.page, c.w, c.h);
    EXPECT_TRUE(r.left == c.want.left && r.top == c.want.top && r.right == c.want.right && r.bottom == c.want.bottom)
        << c.w << "x" << c.h << " gives " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(page_rect_empty(r), c.want.bottom == c.want.top || c.want.left == c.want.right);
  }
}

// Records the calls as letters: s start page, p print page, e end page, D end doc;
// the step `fail` of page `fail_page` fails.
struct RecordingDevice : PrintDevice {
  std::string calls;
  int page = 0, fail_page = 0;
  char fail = 0;
  bool step(char c) { return calls += c, !(page == fail_page && c == fail); }
  bool start_page() override { return ++page, step('s'); }
  int print_page() override { return step('p') ? PRINT_PAGE_OK : PRINT_PAGE_STRETCH_FAILED; }
  bool end_page() override { return step('e'); }
  bool end_doc() override { return step('D'); }
};

TEST(PrintLayout, PageLoopPrintsEachCopyAndEndsTheDocumentAtTheFirstFailure) {
  struct Case {
    uint32_t copies;
    int fail_page;
    char fail;
    const char* calls;
  } cases[] = {{0, 0, 0, "D"},    {3, 0, 0, "spespespeD"}, {3, 2, 'p', "spespeD"},
               {3, 1, 's', "sD"}, {2, 2, 'e', "spespeD"},  {1, 1, 'D', "speD"}};
  for (const Case& c : cases) {
    RecordingDevice device;
    device.fail_page = c.fail_page;
    device.fail = c.fail;
    EXPECT_EQ(run_print_job(device, c.copies), c.fail == 0) << c.calls;
    EXPECT_EQ(device.calls, c.calls);
  }
}

}  // namespace
