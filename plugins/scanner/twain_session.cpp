// The TWAIN acquisition layer: manager and source requests, events, native and memory transfers.
#include "plugins/scanner/twain_session.h"

#include <algorithm>
#include <cstring>

#include "plugins/scanner/scan_image.h"

HMODULE g_dsm_module = nullptr;
DsmEntryProc g_dsm_entry = nullptr;

TW_IDENTITY g_app_identity;
TW_IDENTITY g_source_identity;
HWND g_parent_window = nullptr;
bool g_source_manager_open = false;
bool g_source_open = false;
bool g_source_enabled = false;
TW_UINT16 g_transfer_mode = 0;
TW_USERINTERFACE g_user_interface;
TW_STATUS g_twain_status;
int g_trace_level = 0;
HCURSOR g_wait_cursor = nullptr;
HCURSOR g_arrow_cursor = nullptr;

namespace {

// Trace texts go nowhere; they mark the steps for a reader of the code.
void trace(const char*) {}

// Every request goes through here; a failure's condition code is fetched into g_twain_status.
TW_UINT16 twain_call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (!g_dsm_entry) return TWRC_FAILURE;
  const TW_UINT16 rc = g_dsm_entry(&g_app_identity, dest, dg, dat, msg, data);
  if (rc != TWRC_SUCCESS && dat != DAT_EVENT) {
    g_twain_status = {};
    g_dsm_entry(&g_app_identity, dest, DG_CONTROL, DAT_STATUS, MSG_GET, &g_twain_status);
  }
  return rc;
}

void copy_text(char (&to)[34], const char* text) {
  std::memset(to, 0, sizeof to);
  std::strncpy(to, text, sizeof to - 1);
}

void notify_dialog(WPARAM bitmap, LPARAM outcome) { SendMessageA(g_parent_window, SCAN_NOTIFY, bitmap, outcome); }

// A source refuses to be disabled while it still holds a transfer: drop those and ask again.
bool disable_source_dropping_transfers() {
  if (disable_source()) return true;
  TW_PENDINGXFERS pending = {};
  twain_call(&g_source_identity, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  return disable_source();
}

TW_UINT16 end_transfer(TW_PENDINGXFERS* pending) {
  *pending = {};
  return twain_call(&g_source_identity, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, pending);
}

// After the last transfer: disable, close, release.
void close_session() {
  if (!disable_source_dropping_transfers()) return;
  g_transfer_mode = 0;
  if (close_source()) close_source_manager();
}

// A transfer that cannot go on: drop what the source still holds, close the session and let
// the dialog report the failure, so it never stays disabled.
void abandon_transfers() {
  SetCursor(g_arrow_cursor);
  TW_PENDINGXFERS pending = {};
  twain_call(&g_source_identity, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
  close_session();
  notify_dialog(0, 1);
}

// The first 16-bit item of a capability container the source handed over; the container is freed.
bool read_container_item(const TW_CAPABILITY& cap, TW_UINT16* item) {
  if (!cap.hContainer) return false;
  bool found = false;
  const SIZE_T size = GlobalSize(cap.hContainer);
  if (auto* p = static_cast<const uint8_t*>(GlobalLock(cap.hContainer))) {
    if (cap.ConType == TWON_ENUMERATION && size >= offsetof(TW_ENUMERATION, ItemList)) {
      TW_ENUMERATION e;
      std::memcpy(&e, p, offsetof(TW_ENUMERATION, ItemList));
      // Items are as wide as their type; a 32-bit item's low half holds the value.
      const uint64_t width = e.ItemType == TWTY_UINT32 || e.ItemType == TWTY_INT32 ? 4 : 2;
      const uint64_t at = offsetof(TW_ENUMERATION, ItemList) + width * e.CurrentIndex;
      if (e.CurrentIndex < e.NumItems && at + width <= size) {
        std::memcpy(item, p + at, 2);
        found = true;
      }
    } else if (cap.ConType == TWON_ONEVALUE && size >= sizeof(TW_ONEVALUE)) {
      std::memcpy(item, p + offsetof(TW_ONEVALUE, Item), 2);
      found = true;
    }
    GlobalUnlock(cap.hContainer);
  }
  GlobalFree(cap.hContainer);
  return found;
}

TW_UINT16 transfer_mechanism() {
  TW_CAPABILITY cap = {ICAP_XFERMECH, 0xFFFF, nullptr};
  TW_UINT16 item = TWSX_NATIVE;
  if (twain_call(&g_source_identity, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap) == TWRC_SUCCESS &&
      read_container_item(cap, &item) && (item == TWSX_NATIVE || item == TWSX_FILE || item == TWSX_MEMORY))
    return item;
  return TWSX_NATIVE;
}

void native_transfer() {
  TW_PENDINGXFERS pending = {};
  do {
    TW_HANDLE bitmap = nullptr;
    const TW_UINT16 rc = twain_call(&g_source_identity, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &bitmap);
    end_transfer(&pending);
    if (pending.Count == 0) close_session();
    if (rc == TWRC_XFERDONE) {
      notify_dialog(reinterpret_cast<UINT_PTR>(bitmap) < 32 ? 0 : reinterpret_cast<WPARAM>(bitmap), 1);
    } else {
      notify_dialog(0, rc == TWRC_FAILURE ? 1 : 0);
    }
  } while (pending.Count != 0);
  g_transfer_mode = 0;
}

// Writes the colour table for the image's pixel type at table; returns its number of entries.
uint32_t colour_table(const TW_IMAGEINFO& info, uint8_t* table) {
  if (info.PixelType == TWPT_RGB || info.BitsPerPixel > 8) return 0;
  const uint32_t full = 1u << info.BitsPerPixel;
  if (info.PixelType == TWPT_BW) {
    TW_CAPABILITY cap = {ICAP_PIXELFLAVOR, 0xFFFF, nullptr};
    TW_UINT16 flavour = TWPF_CHOCOLATE;
    const bool asked = twain_call(&g_source_identity, DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &cap) == TWRC_SUCCESS;
    const bool one_value = cap.ConType == TWON_ONEVALUE;
    if (asked && read_container_item(cap, &flavour) && one_value && flavour != TWPF_CHOCOLATE) {
      fill_bw_palette(table, true);
    } else {
      fill_bw_palette(table, false);
    }
    return 2;
  }
  if (info.PixelType != TWPT_GRAY) {
    TW_PALETTE8 palette = {};
    if (twain_call(&g_source_identity, DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette) == TWRC_SUCCESS &&
        palette.NumColors > 0) {
      const uint32_t n = std::min<uint32_t>({palette.NumColors, full, 256});
      for (uint32_t i = 0; i < n; ++i) {
        const TW_ELEMENT8& c = palette.Colors[i];
        uint8_t* entry = table + 4 * i;
        entry[0] = c.Channel3, entry[1] = c.Channel2, entry[2] = c.Channel1, entry[3] = 0;
      }
      return n;
    }
  }
  fill_gray_palette(table, static_cast<int>(full));
  return full;
}

// One image by memory transfer: false when the transfer could not even start.
bool memory_transfer_one(TW_PENDINGXFERS* pending) {
  TW_IMAGEINFO info = {};
  if (twain_call(&g_source_identity, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) return false;
  TW_SETUPMEMXFER setup = {};
  if (twain_call(&g_source_identity, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) return false;
  // The preferred strip size within the source's own bounds, when it states sane ones.
  uint32_t preferred = setup.Preferred;
  if (setup.MaxBufSize != 0 && setup.MinBufSize <= setup.MaxBufSize)
    preferred = std::clamp(preferred, setup.MinBufSize, setup.MaxBufSize);
  MemXferLayout layout;
  if (!memxfer_layout(info.ImageWidth, info.ImageLength, info.BitsPerPixel, preferred, setup.MinBufSize, &layout))
    return false;
  HGLOBAL block = GlobalAlloc(GHND, static_cast<SIZE_T>(layout.block_bytes));
  if (!block) return false;
  auto* base = static_cast<uint8_t*>(GlobalLock(block));
  if (!base) {
    GlobalFree(block);
    return false;
  }
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(base);
  header->biSize = DIB_INFO_HEADER_SIZE;
  header->biWidth = info.ImageWidth;
  header->biHeight = info.ImageLength;
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(info.BitsPerPixel);
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(layout.image_bytes);
  header->biClrUsed = colour_table(info, base + DIB_INFO_HEADER_SIZE);
  uint8_t* pixels = base + DIB_INFO_HEADER_SIZE + 4 * header->biClrUsed;
  if (twain_call(&g_source_identity, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) {
    GlobalUnlock(block);
    GlobalFree(block);
    return false;
  }

  uint64_t written = 0;
  TW_UINT16 rc;
  do {
    // Every strip is offered whole; near the end the block's slack of one strip lies behind it.
    // A source that claims more than the strip or the image's room left, or writes nothing (it
    // would never end the transfer), has failed.
    TW_IMAGEMEMXFER xfer = {};
    const uint64_t room = layout.image_bytes - written;
    xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, layout.strip_bytes, pixels + written};
    rc = room == 0 ? TWRC_FAILURE : twain_call(&g_source_identity, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
    if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) {
      if (xfer.BytesWritten > std::min<uint64_t>(layout.strip_bytes, room) ||
          (rc == TWRC_SUCCESS && xfer.BytesWritten == 0))
        rc = TWRC_FAILURE;
      else
        written += xfer.BytesWritten;
    }
  } while (rc == TWRC_SUCCESS);

  if (rc == TWRC_XFERDONE) {
    reverse_rows(pixels, layout.row_bytes, info.ImageLength);
    if (info.PixelType == TWPT_RGB && info.BitsPerPixel == 24)
      swap_red_blue(pixels, layout.row_bytes, info.ImageWidth, info.ImageLength);
    GlobalUnlock(block);
    SetCursor(g_arrow_cursor);
    end_transfer(pending);
    if (pending->Count == 0) close_session();
    notify_dialog(reinterpret_cast<WPARAM>(block), 1);
  } else {
    GlobalUnlock(block);
    SetCursor(g_arrow_cursor);
    end_transfer(pending);
    GlobalFree(block);
    if (pending->Count == 0) close_session();
    notify_dialog(0, rc == TWRC_FAILURE ? 1 : 0);
  }
  return true;
}

void memory_transfer() {
  trace("DoMemTransfer\r\n");
  SetCursor(g_wait_cursor);
  TW_PENDINGXFERS pending = {};
  do {
    if (!memory_transfer_one(&pending)) {
      abandon_transfers();
      return;
    }
  } while (pending.Count != 0);
}

void run_transfers() {
  switch (transfer_mechanism()) {
    case TWSX_MEMORY: memory_transfer(); break;
    case TWSX_FILE: abandon_transfers(); break;
    default: native_transfer(); break;
  }
  if ((g_transfer_mode == 1 && !g_source_manager_open) || (g_transfer_mode == 2 && !g_source_enabled))
    g_transfer_mode = 0;
}

}  // namespace

void init_app_identity(HWND window) {
  g_app_identity = {};
  g_app_identity.Id = 0;
  g_app_identity.Version.MajorNum = 1;
  g_app_identity.Version.MinorNum = 0;
  g_app_identity.Version.Language = TWLG_USA;
  g_app_identity.Version.Country = TWCY_USA;
  copy_text(g_app_identity.Version.Info, "Quandrelix twain module v1.0");
  g_app_identity.ProtocolMajor = 1;
  g_app_identity.ProtocolMinor = 7;
  g_app_identity.SupportedGroups = DG_CONTROL_AND_IMAGE;
  copy_text(g_app_identity.Manufacturer, "TWAIN Working Group");
  copy_text(g_app_identity.ProductFamily, "TWAIN Toolkit");
  copy_text(g_app_identity.ProductName, "Quandrelix");
  g_parent_window = window;
  g_trace_level = 1;
}

bool open_source_manager() {
  if (g_source_manager_open) return true;
  if (twain_call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &g_parent_window) != TWRC_SUCCESS) return false;
  g_source_manager_open = true;
  return true;
}

bool close_source_manager() {
  if (!g_source_manager_open || g_source_open) return false;
  if (twain_call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &g_parent_window) != TWRC_SUCCESS) return false;
  g_source_manager_open = false;
  return true;
}

bool open_source() {
  if (!g_source_manager_open) {
    trace("DSM not open - cannot open DS\r\n");
    return false;
  }
  if (g_source_open) return true;
  if (twain_call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &g_source_identity) != TWRC_SUCCESS) {
    trace("OpenDS failure\r\n");
    return false;
  }
  trace("OpenDS success\r\n");
  g_source_open = true;
  return true;
}

bool close_source() {
  if (!g_source_open || g_source_enabled) return false;
  if (twain_call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &g_source_identity) != TWRC_SUCCESS) return false;
  g_source_open = false;
  g_source_identity.Id = 0;
  std::memset(g_source_identity.ProductName, 0, sizeof g_source_identity.ProductName);
  return true;
}

bool enable_source(TW_BOOL show_ui) {
  if (!g_source_open || g_source_enabled) return false;
  g_user_interface = {show_ui, 0, g_parent_window};
  // A source that cannot honour ShowUI is enabled all the same and answers "check status".
  const TW_UINT16 rc = twain_call(&g_source_identity, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &g_user_interface);
  if (rc != TWRC_SUCCESS && rc != TWRC_CHECKSTATUS) return false;
  g_source_enabled = true;
  return true;
}

bool disable_source() {
  if (!g_source_enabled) return false;
  trace("Disable DS\r\n");
  g_user_interface = {255, 0, g_parent_window};
  if (twain_call(&g_source_identity, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &g_user_interface) != TWRC_SUCCESS)
    return false;
  trace("DS Disabled\r\n");
  g_source_enabled = false;
  return true;
}

TW_UINT16 select_source() {
  if (g_source_open) {
    trace("TWSelectDS -- source already open\r\n");
    return TWRC_SUCCESS;
  }
  TW_IDENTITY chosen = {};
  twain_call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
  const TW_UINT16 rc = twain_call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen);
  if (rc == TWRC_SUCCESS) g_source_identity = chosen;
  return rc;
}

TW_UINT16 set_native_transfer() {
  if (!g_source_open) return TWRC_FAILURE;
  HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
  if (!container) return TWRC_FAILURE;
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(container));
  if (!value) {
    GlobalFree(container);
    return TWRC_FAILURE;
  }
  value->ItemType = TWTY_UINT16;
  value->Item = TWSX_NATIVE;
  GlobalUnlock(container);
  TW_CAPABILITY cap = {ICAP_XFERMECH, TWON_ONEVALUE, container};
  const TW_UINT16 rc = twain_call(&g_source_identity, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap);
  GlobalFree(container);
  return rc;
}

bool start_acquire(HWND window, TW_BOOL show_ui, TW_UINT16 mode) {
  g_transfer_mode = 0;
  if (window) g_parent_window = window;
  if (!open_source_manager()) return false;
  if (!open_source()) {
    close_source_manager();
    return false;
  }
  if (set_native_transfer() != TWRC_SUCCESS) {
    if (close_source()) close_source_manager();
    return false;
  }
  if (g_source_enabled) return true;
  if (!enable_source(show_ui)) {
    trace("Acquire returned false\r\n");
    if (close_source()) close_source_manager();
    return false;
  }
  trace("Acquire OK\r\n");
  g_transfer_mode = mode;
  return true;
}

bool process_twain_event(MSG* msg) {
  if (!g_source_manager_open || !g_source_open) return false;
  TW_EVENT event = {msg, MSG_NULL};
  const TW_UINT16 rc = twain_call(&g_source_identity, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  switch (event.TWMessage) {
    case MSG_XFERREADY:
      if (g_transfer_mode != 0) run_transfers();
      notify_dialog(0, 0);
      break;
    case MSG_CLOSEDSREQ:
    case MSG_CLOSEDSOK:
      trace("CloseDSReq\r\n");
      if (disable_source() && close_source()) close_source_manager();
      g_transfer_mode = 0;
      notify_dialog(0, 0);
      break;
    default: break;
  }
  return rc == TWRC_DSEVENT;
}

void shutdown_twain() {
  if (g_source_enabled && !disable_source_dropping_transfers()) return;
  if (g_source_open) {
    if (close_source()) close_source_manager();
  } else if (g_source_manager_open) {
    close_source_manager();
  }
  g_transfer_mode = 0;
}
