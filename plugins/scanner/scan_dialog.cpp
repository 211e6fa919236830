// The scanner plug-in's exports and its modal scan dialog: select a source, scan, choose the
// reduction, and hand the reduced, top-down 24-bit picture over as a ScanResult.
#include "plugins/scanner/scan_dialog.h"

#include <cstdio>

#include "plugins/scanner/scan_image.h"
#include "plugins/scanner/scanner_resource.h"
#include "plugins/scanner/twain_session.h"

ScanMessageBoxFn g_scan_message_box = MessageBoxA;
HINSTANCE g_module_instance = nullptr;
ScanResult g_scan_result = {0, 0, nullptr};
HGLOBAL g_held_dib = nullptr;
int g_reduction_factor = 2;

namespace {

const char CAPTION[] = "Drelloq TWAIN Modul";
const char TEXT_NO_LIBRARY[] = "'twain_32.dll' konnte nicht geladen werden.";
const char TEXT_BAD_LIBRARY[] =
    "Die Datei 'twain_32.dll' liegt entweder in einer\r\nfalschen Version vor oder ist beschädigt.";
const char TEXT_TRANSFER_FAILED[] = "Es ist ein Fehler beim Übertragen des Bildes aufgetreten.";
const char TEXT_NO_MEMORY[] = "Es ist nicht genügend Speicher verfügbar um das Bild zu übertragen.";
const char TEXT_SOURCE_FAILED[] = "Die Datenquelle konnte nicht geöffnet werden.";
const char TEXT_FETCH_FAILED[] = "Es ist ein Fehler beim Abrufen des Bildes aufgetreten.";
const char TEXT_NOT_TRUE_COLOUR[] =
    "Die Datenquelle lieferte kein Echtfarbbild.\r\nVon dieser Anwendung werden jedoch nur 24 Bit Farbbilder "
    "unterstützt.\r\nBitte scannen Sie wenn möglich mit dieser Farbeinstellung nocheinmal.";

const int IMAGE_CONTROLS[] = {IDC_SCAN_SIZE_TEXT, IDC_SCAN_SIZE_GROUP, IDOK,
                              IDC_SCAN_FACTOR1,   IDC_SCAN_FACTOR2,    IDC_SCAN_FACTOR4};

void show_error(HWND owner, const char* text) { g_scan_message_box(owner, text, CAPTION, MB_ICONHAND | MB_OK); }

void enable_image_controls(HWND dialog, bool enable) {
  for (int id : IMAGE_CONTROLS) EnableWindow(GetDlgItem(dialog, id), enable);
}

void check_factor(HWND dialog, int factor) {
  const int id = factor == 1 ? IDC_SCAN_FACTOR1 : factor == 2 ? IDC_SCAN_FACTOR2 : IDC_SCAN_FACTOR4;
  CheckRadioButton(dialog, IDC_SCAN_FACTOR1, IDC_SCAN_FACTOR4, id);
}

void free_held_dib() {
  if (g_held_dib) GlobalFree(g_held_dib);
  g_held_dib = nullptr;
}

// Layout of a locked block, checked against the block's real size.
DibCheck check_block(HGLOBAL block, const void* locked, DibLayout* layout) {
  return check_dib(static_cast<const uint8_t*>(locked), GlobalSize(block), layout);
}

// Width and height of the held bitmap at the current factor; false when nothing usable is held.
bool held_reduced_size(int32_t* width, int32_t* height) {
  const void* p = g_held_dib ? GlobalLock(g_held_dib) : nullptr;
  if (!p) return false;
  DibLayout layout;
  const bool ok = check_block(g_held_dib, p, &layout) == DibCheck::ok;
  GlobalUnlock(g_held_dib);
  if (ok) reduced_size(layout, g_reduction_factor, width, height);
  return ok;
}

// A transfer's outcome: the new bitmap is held if it is a sound 24-bit DIB.
void receive_bitmap(HWND dialog, HGLOBAL bitmap) {
  free_held_dib();
  enable_image_controls(dialog, false);
  SetDlgItemTextA(dialog, IDC_SCAN_SIZE_TEXT, "");
  g_held_dib = bitmap;
  const void* p = GlobalLock(bitmap);
  if (!p) {
    free_held_dib();
    return;
  }
  DibLayout layout;
  const DibCheck check = check_block(bitmap, p, &layout);
  GlobalUnlock(bitmap);
  if (check != DibCheck::ok) {
    free_held_dib();
    show_error(dialog, TEXT_FETCH_FAILED);
    return;
  }
  if (layout.bit_count != 24) {
    free_held_dib();
    show_error(dialog, TEXT_NOT_TRUE_COLOUR);
    return;
  }
  enable_image_controls(dialog, true);
  char text[64];
  std::snprintf(text, sizeof text, "aktuell: %d x %d Pixel", layout.width, layout.height);
  SetDlgItemTextA(dialog, IDC_SCAN_SIZE_TEXT, text);
  g_reduction_factor = preset_reduction_factor(layout.width, layout.height);
  check_factor(dialog, g_reduction_factor);
}

void scan(HWND dialog) {
  if (g_held_dib) {
    free_held_dib();
    enable_image_controls(dialog, false);
    SetDlgItemTextA(dialog, IDC_SCAN_SIZE_TEXT, "");
  }
  if (!g_source_open) {
    // The manager then opens its default source, the one the user chose last.
    g_app_identity.Id = 0;
    g_source_identity.Id = 0;
    g_source_identity.ProductName[0] = '\0';
  }
  EnableWindow(dialog, FALSE);
  if (!start_acquire(dialog, 1, 3)) {
    EnableWindow(dialog, TRUE);
    show_error(dialog, TEXT_SOURCE_FAILED);
  }
}

// Every way out of the dialog first closes the TWAIN session.
void end_scan_dialog(HWND dialog, INT_PTR result) {
  shutdown_twain();
  EnableWindow(dialog, TRUE);
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR CALLBACK scan_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  MSG event = {dialog, message, wparam, lparam, 0, {0, 0}};
  if (process_twain_event(&event)) return 0;
  switch (message) {
    case WM_INITDIALOG:
      g_wait_cursor = LoadCursor(nullptr, IDC_WAIT);
      g_arrow_cursor = LoadCursor(nullptr, IDC_ARROW);
      init_app_identity(dialog);
      return TRUE;
    case WM_CLOSE: end_scan_dialog(dialog, IDCANCEL); return TRUE;
    case WM_ENDSESSION:
      if (wparam) end_scan_dialog(dialog, IDCANCEL);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK: {
          // A reduction to nothing is refused here, while the user can still pick another factor.
          int32_t width = 0, height = 0;
          if (!held_reduced_size(&width, &height)) {
            free_held_dib();
            enable_image_controls(dialog, false);
            show_error(dialog, TEXT_TRANSFER_FAILED);
            return TRUE;
          }
          if (width == 0 || height == 0) {
            show_error(dialog, TEXT_TRANSFER_FAILED);
            return TRUE;
          }
          end_scan_dialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL: end_scan_dialog(dialog, IDCANCEL); return TRUE;
        case IDC_SCAN_SELECT_SOURCE:
          init_app_identity(dialog);
          if (open_source_manager()) {
            select_source();
            close_source_manager();
          }
          return TRUE;
        case IDC_SCAN_ACQUIRE: scan(dialog); return TRUE;
        case IDC_SCAN_FACTOR1:
        case IDC_SCAN_FACTOR2:
        case IDC_SCAN_FACTOR4:
          g_reduction_factor = LOWORD(wparam) == IDC_SCAN_FACTOR1 ? 1 : LOWORD(wparam) == IDC_SCAN_FACTOR2 ? 2 : 4;
          check_factor(dialog, g_reduction_factor);
          return TRUE;
      }
      return FALSE;
    case SCAN_NOTIFY:
      EnableWindow(dialog, TRUE);
      SetForegroundWindow(dialog);
      if (lparam != 1) return TRUE;
      if (!wparam) {
        show_error(dialog, TEXT_FETCH_FAILED);
        return TRUE;
      }
      receive_bitmap(dialog, reinterpret_cast<HGLOBAL>(wparam));
      return TRUE;
  }
  return FALSE;
}

int scanner_init() {
  if (!g_dsm_module) g_dsm_module = LoadLibraryA("twain_32.dll");
  if (!g_dsm_module) return 0;
  g_dsm_entry =
      reinterpret_cast<DsmEntryProc>(reinterpret_cast<void*>(GetProcAddress(g_dsm_module, MAKEINTRESOURCEA(1))));
  return 1;
}

int scanner_done() {
  if (g_dsm_module) FreeLibrary(g_dsm_module);
  g_dsm_module = nullptr;
  g_dsm_entry = nullptr;
  return 1;
}

ScanResult* scanner_acquire_image(HINSTANCE, HWND parent) {
  g_scan_result = {0, 0, nullptr};
  if (!g_dsm_module) {
    show_error(parent, TEXT_NO_LIBRARY);
    return nullptr;
  }
  if (!g_dsm_entry) {
    scanner_done();
    show_error(parent, TEXT_BAD_LIBRARY);
    return nullptr;
  }
  free_held_dib();
  const INT_PTR ended = DialogBoxParamA(g_module_instance, MAKEINTRESOURCEA(IDD_SCAN), parent, scan_dialog_proc, 0);
  shutdown_twain();
  if (ended == -1) show_error(parent, TEXT_TRANSFER_FAILED);
  if (parent) RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (!g_held_dib) return nullptr;

  const uint8_t* dib = static_cast<const uint8_t*>(GlobalLock(g_held_dib));
  DibLayout layout;
  if (!dib || check_block(g_held_dib, dib, &layout) != DibCheck::ok || layout.bit_count != 24) {
    if (dib) GlobalUnlock(g_held_dib);
    free_held_dib();
    show_error(parent, TEXT_TRANSFER_FAILED);
    return nullptr;
  }
  ScanResult* result = nullptr;
  if (ended == IDOK) {
    const int factor = g_reduction_factor;
    int32_t width, height;
    reduced_size(layout, factor, &width, &height);
    if (width == 0 || height == 0) {
      show_error(parent, TEXT_TRANSFER_FAILED);
    } else {
      HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
      const uint64_t bytes = uint64_t{3} * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
      auto* pixels = bytes <= SIZE_MAX ? static_cast<uint8_t*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(bytes))) : nullptr;
      if (!pixels) {
        SetCursor(previous);
        show_error(parent, TEXT_NO_MEMORY);
      } else {
        reduce_dib(layout, dib + layout.pixel_offset, factor, pixels);
        g_scan_result = {width, height, pixels};
        result = &g_scan_result;
        SetCursor(previous);
      }
    }
  }
  GlobalUnlock(g_held_dib);
  free_held_dib();
  return result;
}
