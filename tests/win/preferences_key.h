// The preferences key of the test prefix: removed before a test (created empty on request) and after it.
#pragma once

#include <windows.h>

#include "editor/preferences.h"

struct PreferencesKey {
  HKEY key = nullptr;
  explicit PreferencesKey(bool create) {
    RegDeleteTreeA(HKEY_CURRENT_USER, PREFERENCES_KEY);
    if (create)
      RegCreateKeyExA(HKEY_CURRENT_USER, PREFERENCES_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  }
  ~PreferencesKey() {
    if (key) RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, PREFERENCES_KEY);
  }
  void set(const char* name, DWORD type, const void* data, size_t size) const {
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  }
};
