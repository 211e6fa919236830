// The preferences key of the test prefix: emptied before a test and removed after it.
#pragma once

#include <windows.h>

#include <cstring>

#include "editor/preferences.h"

class PreferencesKey {
 public:
  explicit PreferencesKey(bool create) {
    RegDeleteTreeA(HKEY_CURRENT_USER, PREFERENCES_KEY);
    if (create)
      RegCreateKeyExA(HKEY_CURRENT_USER, PREFERENCES_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~PreferencesKey() {
    if (key_) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, PREFERENCES_KEY);
  }
  HKEY key() const { return key_; }
  void set_dword(const char* name, DWORD v) const {
    RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  void set_string(const char* name, const char* text, DWORD type = REG_SZ) const {
    RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
  }
  void set_binary(const char* name, const void* data, DWORD size) const {
    RegSetValueExA(key_, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  }

 private:
  HKEY key_ = nullptr;
};
