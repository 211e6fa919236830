// The TWAIN acquisition layer: one session with the data source manager and one data source,
// driven by the scan dialog; transferred bitmaps reach the dialog as SCAN_NOTIFY messages.
#pragma once

#include <windows.h>

#include "plugins/scanner/twain_types.h"

// To the scan dialog: wParam a transferred bitmap (or 0), lParam 1 when a transfer ended, 0 when
// the session only asks to be brought back. A private message: WM_USER is DM_GETDEFID in a dialog.
constexpr UINT SCAN_NOTIFY = WM_APP + 1;

using DsmEntryProc = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                        TW_UINT16 msg, TW_MEMREF data);

extern HMODULE g_dsm_module;
extern DsmEntryProc g_dsm_entry;

extern TW_IDENTITY g_app_identity;
extern TW_IDENTITY g_source_identity;
extern HWND g_parent_window;
extern bool g_source_manager_open;
extern bool g_source_open;
extern bool g_source_enabled;
extern TW_UINT16 g_transfer_mode;
extern TW_USERINTERFACE g_user_interface;
extern TW_STATUS g_twain_status;
extern int g_trace_level;
extern HCURSOR g_wait_cursor;
extern HCURSOR g_arrow_cursor;

// Fills the application identity and makes window the parent of every request.
void init_app_identity(HWND window);

bool open_source_manager();
bool close_source_manager();
bool open_source();
bool close_source();
bool enable_source(TW_BOOL show_ui);
bool disable_source();
TW_UINT16 select_source();
TW_UINT16 set_native_transfer();

// Opens manager and source and enables the source; on failure everything opened is closed again.
bool start_acquire(HWND window, TW_BOOL show_ui, TW_UINT16 mode);
// Offers one message of the dialog to the open source; true when the source claimed it.
bool process_twain_event(MSG* msg);
// Disables, closes and releases whatever is still open, in that order.
void shutdown_twain();
