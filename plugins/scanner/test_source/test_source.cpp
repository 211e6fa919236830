// A TWAIN data source for the tests: serves a generated picture by native or memory transfer.
// The environment variable QX_TEST_SOURCE, read when the source is opened, tells it how to
// behave: comma-separated words "mem" (memory transfer), "pal8" (8-bit palette picture),
// "topdown" (native bitmap with negative height), "file" (reports file transfer), "closereq"
// (asks to be closed instead of transferring), "idle" (waits, as for a user), "xfercancel" (the transfer is cancelled),
// "minbuf" (refuses a strip buffer shorter than its minimum size), "size=WxH", "images=N",
// "pref=N" (preferred, least and largest strip size) and "fail=STEP" with STEP one of
// opends, xfermech, enableds, imageinfo, xfer.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugins/scanner/test_source/test_image.h"
#include "plugins/scanner/twain_types.h"

namespace {

struct Config {
  bool memory = false;
  bool palette = false;
  bool top_down = false;
  bool file = false;
  bool close_request = false;
  bool idle = false;
  bool cancel_transfer = false;
  bool stall = false;  // memory strips that write nothing
  bool min_buffer = false;
  int width = 37;
  int height = 23;
  int images = 1;
  TW_UINT32 preferred = 4096;
  std::string fail;
};

Config g_config;
TW_IDENTITY g_identity = {0,
                          {1, 0, TWLG_USA, TWCY_USA, "Test source 1.0"},
                          1,
                          7,
                          DG_CONTROL_AND_IMAGE,
                          "Quandrelix",
                          "Tests",
                          "Quandrelix Test Source"};
HWND g_parent = nullptr;
UINT g_event_message = 0;
TW_UINT16 g_condition = TWCC_SUCCESS;
int g_pending = 0;
int g_next_row = 0;

Config read_config() {
  Config c;
  char text[512] = "";
  GetEnvironmentVariableA("QX_TEST_SOURCE", text, sizeof text);
  for (char* word = strtok(text, ","); word; word = strtok(nullptr, ",")) {
    std::string w = word;
    if (w == "mem") c.memory = true;
    if (w == "pal8") c.palette = true;
    if (w == "topdown") c.top_down = true;
    if (w == "file") c.file = true;
    if (w == "closereq") c.close_request = true;
    if (w == "idle") c.idle = true;
    if (w == "xfercancel") c.cancel_transfer = true;
    if (w == "stall") c.stall = true;
    if (w == "minbuf") c.min_buffer = true;
    if (w.rfind("size=", 0) == 0) sscanf(word + 5, "%dx%d", &c.width, &c.height);
    if (w.rfind("images=", 0) == 0) c.images = atoi(word + 7);
    if (w.rfind("pref=", 0) == 0) c.preferred = static_cast<TW_UINT32>(strtoul(word + 5, nullptr, 10));
    if (w.rfind("fail=", 0) == 0) c.fail = word + 5;
  }
  return c;
}

int bits() { return g_config.palette ? 8 : 24; }
size_t row_bytes() { return (static_cast<size_t>(bits()) * g_config.width + 31) / 32 * 4; }

// Row y of the picture (top row 0) as stored: palette indices, or blue-green-red when bgr,
// red-green-blue otherwise.
void fill_row(uint8_t* out, int y, bool bgr) {
  for (int x = 0; x < g_config.width; ++x) {
    if (g_config.palette) {
      out[x] = test_index(x, y);
      continue;
    }
    TestRgb c = test_rgb(x, y);
    out[3 * x] = bgr ? c.b : c.r;
    out[3 * x + 1] = c.g;
    out[3 * x + 2] = bgr ? c.r : c.b;
  }
}

TW_UINT16 fail(TW_UINT16 condition) {
  g_condition = condition;
  return TWRC_FAILURE;
}

TW_UINT16 native_transfer(TW_HANDLE* out) {
  const int colours = g_config.palette ? 256 : 0;
  const size_t header = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
  HGLOBAL block = GlobalAlloc(GHND, header + row_bytes() * g_config.height);
  if (!block) return fail(TWCC_LOWMEMORY);
  auto* base = static_cast<uint8_t*>(GlobalLock(block));
  auto* info = reinterpret_cast<BITMAPINFOHEADER*>(base);
  info->biSize = sizeof(BITMAPINFOHEADER);
  info->biWidth = g_config.width;
  info->biHeight = g_config.top_down ? -g_config.height : g_config.height;
  info->biPlanes = 1;
  info->biBitCount = static_cast<WORD>(bits());
  info->biClrUsed = colours;
  auto* palette = reinterpret_cast<RGBQUAD*>(base + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < colours; ++i) {
    TestRgb c = test_palette(i);
    palette[i] = {c.b, c.g, c.r, 0};
  }
  for (int y = 0; y < g_config.height; ++y) {
    int stored = g_config.top_down ? y : g_config.height - 1 - y;
    fill_row(base + header + row_bytes() * stored, y, true);
  }
  GlobalUnlock(block);
  *out = block;
  return TWRC_XFERDONE;
}

TW_UINT16 memory_transfer(TW_IMAGEMEMXFER* xfer) {
  const size_t row = row_bytes();
  size_t rows = xfer->Memory.Length / row;
  if (rows == 0 || (g_config.min_buffer && xfer->Memory.Length < g_config.preferred)) return fail(TWCC_BUMMER);
  if (g_config.stall) {
    xfer->BytesWritten = 0;
    return TWRC_SUCCESS;
  }
  if (rows > static_cast<size_t>(g_config.height - g_next_row)) rows = g_config.height - g_next_row;
  auto* out = static_cast<uint8_t*>(xfer->Memory.TheMem);
  for (size_t i = 0; i < rows; ++i) fill_row(out + i * row, g_next_row + static_cast<int>(i), false);
  xfer->Compression = 0;
  xfer->BytesPerRow = static_cast<TW_UINT32>(row);
  xfer->Columns = g_config.width;
  xfer->Rows = static_cast<TW_UINT32>(rows);
  xfer->XOffset = 0;
  xfer->YOffset = g_next_row;
  xfer->BytesWritten = static_cast<TW_UINT32>(rows * row);
  g_next_row += static_cast<int>(rows);
  return g_next_row >= g_config.height ? TWRC_XFERDONE : TWRC_SUCCESS;
}

TW_UINT16 capability(TW_UINT16 msg, TW_CAPABILITY* cap) {
  if (cap->Cap == ICAP_XFERMECH && msg == MSG_SET) {
    return g_config.fail == "xfermech" ? fail(TWCC_BADCAP) : TWRC_SUCCESS;
  }
  if (cap->Cap == ICAP_XFERMECH && msg == MSG_GET) {
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ENUMERATION) + 3 * sizeof(TW_UINT16));
    auto* e = static_cast<TW_ENUMERATION*>(GlobalLock(h));
    e->ItemType = TWTY_UINT16;
    e->NumItems = 3;
    e->CurrentIndex = g_config.file ? TWSX_FILE : g_config.memory ? TWSX_MEMORY : TWSX_NATIVE;
    for (TW_UINT16 i = 0; i < 3; ++i) memcpy(e->ItemList + 2 * i, &i, 2);
    GlobalUnlock(h);
    cap->ConType = TWON_ENUMERATION;
    cap->hContainer = h;
    return TWRC_SUCCESS;
  }
  if (cap->Cap == ICAP_PIXELFLAVOR && msg == MSG_GETCURRENT) {
    HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    auto* v = static_cast<TW_ONEVALUE*>(GlobalLock(h));
    v->ItemType = TWTY_UINT16;
    v->Item = TWPF_CHOCOLATE;
    GlobalUnlock(h);
    cap->ConType = TWON_ONEVALUE;
    cap->hContainer = h;
    return TWRC_SUCCESS;
  }
  return fail(TWCC_BADCAP);
}

}  // namespace

extern "C" __declspec(dllexport) TW_UINT16 WINAPI
    DS_Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (!g_event_message) g_event_message = RegisterWindowMessageA("QX_TEST_SOURCE_EVENT");
  if (dg == DG_CONTROL && dat == DAT_IDENTITY) {
    if (msg == MSG_GET) {
      auto* id = static_cast<TW_IDENTITY*>(data);
      TW_UINT32 keep = id->Id;
      *id = g_identity;
      id->Id = keep;
      return TWRC_SUCCESS;
    }
    if (msg == MSG_OPENDS) {
      g_config = read_config();
      g_pending = 0;
      return g_config.fail == "opends" ? fail(TWCC_BUMMER) : TWRC_SUCCESS;
    }
    if (msg == MSG_CLOSEDS) return TWRC_SUCCESS;
  }
  if (dg == DG_CONTROL && dat == DAT_STATUS && msg == MSG_GET) {
    *static_cast<TW_STATUS*>(data) = {g_condition, 0};
    g_condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
  }
  if (dg == DG_CONTROL && dat == DAT_USERINTERFACE) {
    if (msg == MSG_ENABLEDS) {
      if (g_config.fail == "enableds") return fail(TWCC_BUMMER);
      g_parent = static_cast<HWND>(static_cast<TW_USERINTERFACE*>(data)->hParent);
      g_pending = g_config.images;
      g_next_row = 0;
      if (!g_config.idle)
        PostMessageA(g_parent, g_event_message, 0, g_config.close_request ? MSG_CLOSEDSREQ : MSG_XFERREADY);
      return TWRC_SUCCESS;
    }
    if (msg == MSG_DISABLEDS) return TWRC_SUCCESS;
  }
  if (dg == DG_CONTROL && dat == DAT_EVENT && msg == MSG_PROCESSEVENT) {
    auto* event = static_cast<TW_EVENT*>(data);
    auto* m = static_cast<MSG*>(event->pEvent);
    event->TWMessage = MSG_NULL;
    if (!m || m->message != g_event_message) return TWRC_NOTDSEVENT;
    event->TWMessage = static_cast<TW_UINT16>(m->lParam);
    return TWRC_DSEVENT;
  }
  if (dg == DG_CONTROL && dat == DAT_CAPABILITY) return capability(msg, static_cast<TW_CAPABILITY*>(data));
  if (dg == DG_CONTROL && dat == DAT_PENDINGXFERS) {
    if (msg == MSG_ENDXFER && g_pending > 0) --g_pending;
    if (msg == MSG_RESET) g_pending = 0;
    g_next_row = 0;
    static_cast<TW_PENDINGXFERS*>(data)->Count = static_cast<TW_UINT16>(g_pending);
    return TWRC_SUCCESS;
  }
  if (dg == DG_CONTROL && dat == DAT_SETUPMEMXFER && msg == MSG_GET) {
    *static_cast<TW_SETUPMEMXFER*>(data) = {g_config.preferred, g_config.preferred, g_config.preferred};
    return TWRC_SUCCESS;
  }
  if (dg == DG_IMAGE && dat == DAT_IMAGEINFO && msg == MSG_GET) {
    if (g_config.fail == "imageinfo") return fail(TWCC_BUMMER);
    auto* info = static_cast<TW_IMAGEINFO*>(data);
    *info = {};
    info->XResolution = info->YResolution = {300, 0};
    info->ImageWidth = g_config.width;
    info->ImageLength = g_config.height;
    info->SamplesPerPixel = g_config.palette ? 1 : 3;
    info->BitsPerPixel = static_cast<TW_INT16>(bits());
    info->PixelType = g_config.palette ? TWPT_PALETTE : TWPT_RGB;
    for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = 8;
    return TWRC_SUCCESS;
  }
  if (dg == DG_IMAGE && dat == DAT_PALETTE8 && msg == MSG_GET) {
    auto* palette = static_cast<TW_PALETTE8*>(data);
    palette->NumColors = 256;
    palette->PaletteType = 0;
    for (int i = 0; i < 256; ++i) {
      TestRgb c = test_palette(i);
      palette->Colors[i] = {static_cast<TW_UINT8>(i), c.r, c.g, c.b};
    }
    return TWRC_SUCCESS;
  }
  if (dg == DG_IMAGE && (dat == DAT_IMAGENATIVEXFER || dat == DAT_IMAGEMEMXFER) && msg == MSG_GET) {
    if (g_config.fail == "xfer") return fail(TWCC_BUMMER);
    if (g_config.cancel_transfer) return TWRC_CANCEL;
    if (dat == DAT_IMAGENATIVEXFER) return native_transfer(static_cast<TW_HANDLE*>(data));
    return memory_transfer(static_cast<TW_IMAGEMEMXFER*>(data));
  }
  (void)origin;
  return fail(TWCC_BUMMER);
}
