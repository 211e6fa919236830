// The printed page without the printer: where the picture goes, the job's own pixel copy,
// and the page loop of a print job over a small device interface.
#pragma once

#include <cstdint>
#include <memory>

// A rectangle in printer device pixels, relative to the printable area.
struct PageRect {
  int32_t left, top, right, bottom;
};

// The printable area in device pixels and the device's resolution in dots per inch.
struct PageDevice {
  int32_t width, height, dpi_x, dpi_y;
};

// The largest rectangle of the page that shows a w x h picture with its proportions kept on
// paper, centred across the other direction. Empty for any size or resolution below 1.
PageRect fit_page_rect(const PageDevice& page, int32_t w, int32_t h);
bool page_rect_empty(const PageRect& r);

// Codes of one page.
constexpr int PRINT_PAGE_OK = 0;
constexpr int PRINT_PAGE_STRETCH_FAILED = 5012;
constexpr int PRINT_PAGE_EMPTY = 5013;

// The pixels a job prints: a copy of its own, so editing can go on while it prints.
struct PrintImage {
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint8_t[]> pixels;  // width x height x 4 bytes, top row first
};

// Copies w x h pixels of 4 bytes; false (and out left empty) for a size below 1 or one that
// cannot be allocated.
bool copy_print_image(PrintImage& out, const uint8_t* pixels, int32_t w, int32_t h);

// The calls of one started document; each result true or a page code.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual bool start_page() = 0;
  virtual int print_page() = 0;
  virtual bool end_page() = 0;
  virtual bool end_doc() = 0;
};

// Prints `copies` pages (0 gives an empty document) and ends the document. The first page
// that fails ends the document there (after ending the page, when it was started) and drops
// the remaining copies: false then, and false too when ending the document fails.
bool run_print_job(PrintDevice& device, uint32_t copies);
