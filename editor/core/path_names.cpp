// Project names from file paths.
#include "editor/core/path_names.h"

#include <cstring>

void path_base_name(const char* path, char* out, size_t size) {
  if (size == 0) return;
  const char* start = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
  const char* end = std::strrchr(start, '.');
  if (!end) end = start + std::strlen(start);
  size_t n = static_cast<size_t>(end - start);
  if (n > size - 1) n = size - 1;
  std::memcpy(out, start, n);
  out[n] = 0;
}

bool copy_path(char* out, size_t size, const char* src) {
  const size_t n = std::strlen(src);
  if (n >= size) return false;
  std::memcpy(out, src, n + 1);
  return true;
}
