// Plug-in binding: scanner library and image file library slots.
#include "editor/plugin_slots.h"

#include <cstdio>
#include <cstring>

#include "editor/preferences.h"

const char* const IMEX_FIXED_LIBRARIES[IMEX_FIXED_COUNT] = {"DQJPG.DLL", "DQBMP.DLL", "DQPNG.DLL", "DQTIF.DLL",
                                                            "DQPPM.DLL"};

HMODULE g_imex_modules[MAX_IMEX_LIBS] = {};
ImExLibEntry g_imex_entries[MAX_IMEX_LIBS] = {};
int g_imex_count = IMEX_FIXED_COUNT;
int g_no_image_plugins = 1;

HMODULE g_twain_module = nullptr;
ScanAcquireImageProc g_twain_acquire_image = nullptr;
ScanInitProc g_twain_init = nullptr;
ScanDoneProc g_twain_done = nullptr;
int g_scanner_unavailable = 1;

namespace {

template <typename Proc>
bool bind_export(HMODULE module, const char* name, Proc& proc) {
  proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return proc != nullptr;
}

// The library that a registry value names, or null when the value is no usable string.
HMODULE load_named_library(DWORD type, char* name) {
  if (type == REG_EXPAND_SZ) {
    char expanded[IMEX_NAME_BUFFER];
    const DWORD n = ExpandEnvironmentStringsA(name, expanded, sizeof expanded);
    if (n == 0 || n > sizeof expanded) return nullptr;
    return LoadLibraryA(expanded);
  }
  if (type != REG_SZ || name[0] == '\0') return nullptr;
  return LoadLibraryA(name);
}

}  // namespace

void bind_scanner_plugin(const char* library) {
  g_scanner_unavailable = 1;
  g_twain_module = LoadLibraryA(library);
  if (!g_twain_module) return;
  const bool complete = bind_export(g_twain_module, "acquireImage", g_twain_acquire_image) &
                        bind_export(g_twain_module, "init", g_twain_init) &
                        bind_export(g_twain_module, "done", g_twain_done);
  if (!complete) {
    FreeLibrary(g_twain_module);
    g_twain_module = nullptr;
    g_twain_acquire_image = nullptr;
    g_twain_init = nullptr;
    g_twain_done = nullptr;
    return;
  }
  if (g_twain_init() != 0) g_scanner_unavailable = 0;
}

void release_scanner_plugin() {
  if (!g_twain_module) return;
  g_twain_done();
  FreeLibrary(g_twain_module);
  g_twain_module = nullptr;
  g_twain_acquire_image = nullptr;
  g_twain_init = nullptr;
  g_twain_done = nullptr;
}

void load_fixed_image_plugins() {
  for (int i = 0; i < IMEX_FIXED_COUNT; ++i) g_imex_modules[i] = LoadLibraryA(IMEX_FIXED_LIBRARIES[i]);
  g_imex_count = IMEX_FIXED_COUNT;
}

void load_registry_image_plugins(HKEY key) {
  while (g_imex_count < MAX_IMEX_LIBS) {
    char value_name[16];
    std::snprintf(value_name, sizeof value_name, "ImExLib%d", g_imex_count + 1);
    char name[IMEX_NAME_BUFFER + 1];  // one byte more than offered, for a terminator
    DWORD type = 0;
    DWORD size = IMEX_NAME_BUFFER;
    if (RegQueryValueExA(key, value_name, nullptr, &type, reinterpret_cast<BYTE*>(name), &size) != ERROR_SUCCESS) break;
    name[size < IMEX_NAME_BUFFER ? size : IMEX_NAME_BUFFER] = '\0';
    g_imex_modules[g_imex_count] = load_named_library(type, name);
    ++g_imex_count;
  }
}

void bind_image_plugin_entries() {
  g_no_image_plugins = 1;
  for (int i = 0; i < g_imex_count; ++i) {
    ImExLibEntry& e = g_imex_entries[i];
    e = {};
    HMODULE module = g_imex_modules[i];
    if (!module) continue;
    const bool complete = bind_export(module, "save", e.save) & bind_export(module, "get", e.get) &
                          bind_export(module, "open", e.open) & bind_export(module, "getError", e.getError) &
                          bind_export(module, "openFile", e.openFile) & bind_export(module, "closeFile", e.closeFile);
    if (!complete) {
      FreeLibrary(module);
      g_imex_modules[i] = nullptr;
      e = {};
      continue;
    }
    g_no_image_plugins = 0;
  }
}

void bind_image_plugins() {
  load_fixed_image_plugins();
  if (HKEY key = open_preferences_key(KEY_READ)) {
    load_registry_image_plugins(key);
    RegCloseKey(key);
  }
  bind_image_plugin_entries();
}

void release_image_plugins() {
  for (int i = 0; i < g_imex_count; ++i) {
    if (g_imex_modules[i]) FreeLibrary(g_imex_modules[i]);
    g_imex_modules[i] = nullptr;
    g_imex_entries[i] = {};
  }
}
