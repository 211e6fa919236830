// The printed page's arithmetic, the job's pixel copy and its page loop.
#include "editor/core/print_layout.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

PageRect fit_page_rect(const PageDevice& page, int32_t w, int32_t h) {
  const int32_t pw = page.width, ph = page.height;
  if (pw < 1 || ph < 1 || page.dpi_x < 1 || page.dpi_y < 1 || w < 1 || h < 1) return {0, 0, 0, 0};
  const double dpx = page.dpi_x, dpy = page.dpi_y;
  // The height the full width needs on paper; compared before any conversion to int, since
  // a very wide page over a very tall picture goes beyond the int range.
  const double m = std::trunc(pw * dpy * h / (w * dpx));
  if (m <= ph) {
    const int32_t mi = static_cast<int32_t>(m);
    const int32_t top = (ph - mi) / 2;
    return {0, top, pw, mi + top};
  }
  double n = std::trunc(ph * dpx * w / (dpy * h));
  if (n > pw) n = pw;  // only rounding can get here
  const int32_t ni = static_cast<int32_t>(n);
  const int32_t left = (pw - ni) / 2;
  return {left, 0, ni + left, ph};
}

bool page_rect_empty(const PageRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool copy_print_image(PrintImage& out, const uint8_t* pixels, int32_t w, int32_t h) {
  out = PrintImage();
  if (!pixels || w < 1 || h < 1) return false;
  const uint64_t bytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4;
  if (bytes > std::numeric_limits<size_t>::max()) return false;
  out.pixels.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]);
  if (!out.pixels) return false;
  std::memcpy(out.pixels.get(), pixels, static_cast<size_t>(bytes));
  out.width = w;
  out.height = h;
  return true;
}

bool run_print_job(PrintDevice& device, uint32_t copies) {
  for (uint32_t i = 0; i < copies; ++i) {
    const bool started = device.start_page();
    const bool printed = started && device.print_page() == PRINT_PAGE_OK;
    // A started page is ended before the document is, whether or not it printed.
    if (!started || !device.end_page() || !printed) {
      device.end_doc();  // the copies already printed still come out
      return false;
    }
  }
  return device.end_doc();
}
