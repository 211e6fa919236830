// Parts of file paths: the file name, its extension, and the base name a project is named after.
#pragma once

#include <cstddef>

// The file name: the part of path after its last '\\', '/' or ':'.
const char* path_file_name(const char* path);

// The extension of the path's file name, dot included; the path's terminating zero when it
// has none, so the extension always starts where the name's stem ends.
const char* path_extension(const char* path);

// Writes the part of path after its last '\\', '/' or ':' and before its last '.' into out
// (size bytes, always terminated, cut when longer).
void path_base_name(const char* path, char* out, size_t size);

// Copies src into out (size bytes) only when it fits whole; false (out untouched) otherwise.
bool copy_path(char* out, size_t size, const char* src);
