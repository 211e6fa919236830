// Names taken from file paths: the project name is the file's base name.
#pragma once

#include <cstddef>

// Writes the part of path after its last '\\', '/' or ':' and before its last '.' into out
// (size bytes, always terminated, cut when longer).
void path_base_name(const char* path, char* out, size_t size);

// Copies src into out (size bytes) only when it fits whole; false (out untouched) otherwise.
bool copy_path(char* out, size_t size, const char* src);
