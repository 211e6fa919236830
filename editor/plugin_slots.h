// Plug-in binding: the scanner library and the slots of the image file libraries, bound once at
// start-up by name and released at shutdown.
#pragma once

#include <windows.h>

#include "plugins/imagefile/imagefile_plugin.h"
#include "plugins/scanner/scanner_plugin.h"

// The six entry points of one image file library, in this order.
struct ImExLibEntry {
  ImExSaveProc save;
  ImExGetProc get;
  ImExOpenProc open;
  ImExGetErrorProc getError;
  ImExOpenFileProc openFile;
  ImExCloseFileProc closeFile;
};

constexpr int IMEX_FIXED_COUNT = 5;
constexpr int MAX_IMEX_LIBS = 16;
constexpr int IMEX_NAME_BUFFER = 260;  // bytes offered for each "ImExLib%d" value

// Slot order is priority order: the first library whose file pattern fits an extension wins.
extern const char* const IMEX_FIXED_LIBRARIES[IMEX_FIXED_COUNT];

// A slot whose library is absent (missing, failed to load, or lacking an export) holds a null
// handle and a zeroed entry, and still counts in g_imex_count.
extern HMODULE g_imex_modules[MAX_IMEX_LIBS];
extern ImExLibEntry g_imex_entries[MAX_IMEX_LIBS];
extern int g_imex_count;
extern int g_no_image_plugins;  // 1 when no slot below g_imex_count holds a library

// The scanner library's exports: C calling convention, arguments removed by the caller.

constexpr char TWAIN_LIBRARY[] = "DQTWAIN.DLL";

extern HMODULE g_twain_module;  // null when absent or lacking an export
extern ScanAcquireImageProc g_twain_acquire_image;
extern ScanInitProc g_twain_init;
extern ScanDoneProc g_twain_done;
extern int g_scanner_unavailable;  // 1 unless the library bound and its init returned non-zero

// Loads the scanner library and calls its init when all three exports exist.
void bind_scanner_plugin(const char* library = TWAIN_LIBRARY);
// Calls done and releases the library, when bound.
void release_scanner_plugin();

// Loads the five fixed libraries into slots 0 to 4 and sets g_imex_count to 5.
void load_fixed_image_plugins();
// Appends a slot for each value "ImExLib6", "ImExLib7", ... of the open key, in order, until
// the first that is missing or too long, or the tables are full.
void load_registry_image_plugins(HKEY key);
// Binds the six exports of every loaded slot (releasing a library that lacks one) and sets
// g_no_image_plugins.
void bind_image_plugin_entries();
// The whole image plug-in binding of start-up: the fixed libraries, the registry's, the entries.
void bind_image_plugins();
// Releases every loaded image library and empties the tables.
void release_image_plugins();
