// File dialog filters from the image plug-in slots, and the plug-in for a file's extension.
#include "editor/core/plugin_filters.h"

#include <cctype>
#include <cstring>
#include <string>

#include "editor/core/path_names.h"

namespace {

bool loaded(const PluginFormat& f) { return f.name && f.pattern; }

// Appends the pair (text, pattern) when it fits with the closing zero still to come.
bool append_pair(const std::string& text, const std::string& pattern, char* out, size_t size, size_t* used) {
  const size_t need = text.size() + 1 + pattern.size() + 1;
  if (*used + need + 1 > size) return false;
  std::memcpy(out + *used, text.c_str(), text.size() + 1);
  *used += text.size() + 1;
  std::memcpy(out + *used, pattern.c_str(), pattern.size() + 1);
  *used += pattern.size() + 1;
  return true;
}

bool same_text_ignoring_case(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
}

}  // namespace

bool build_plugin_filter(const PluginFormat* formats, int count, bool combined, char* out, size_t size) {
  if (size == 0) return false;
  std::memset(out, 0, size);
  size_t used = 0;
  bool complete = true;
  if (combined) {
    std::string patterns;
    for (int i = 0; i < count; ++i) {
      if (!loaded(formats[i])) continue;
      if (!patterns.empty()) patterns += ';';
      patterns += formats[i].pattern;
    }
    complete &= append_pair("Bilddateien", patterns, out, size, &used);
  }
  for (int i = 0; i < count; ++i) {
    if (!loaded(formats[i])) continue;
    const std::string text = std::string(formats[i].name) + " (" + formats[i].pattern + ")";
    complete &= append_pair(text, formats[i].pattern, out, size, &used);
  }
  return complete;
}

int plugin_for_path(const PluginFormat* formats, int count, const char* path) {
  const char* extension = path_extension(path);
  if (!*extension) return -1;
  for (int i = 0; i < count; ++i)
    if (loaded(formats[i]) && formats[i].pattern[0] && same_text_ignoring_case(formats[i].pattern + 1, extension))
      return i;
  return -1;
}

const char* default_extension(const char* pattern) {
  if (!pattern) return "";
  const size_t n = std::strlen(pattern);
  return n >= 2 ? pattern + 2 : "";
}
