// Project names from file paths.
#include "editor/core/path_names.h"

#include <cstring>

const char* path_file_name(const char* path) {
  const char* start = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
  return start;
}

const char* path_extension(const char* path) {
  const char* name = path_file_name(path);
  const char* dot = std::strrchr(name, '.');
  return dot ? dot : name + std::strlen(name);
}

void path_base_name(const char* path, char* out, size_t size) {
  if (size == 0) return;
  const char* start = path_file_name(path);
  const char* end = path_extension(start);
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
