// File dialog filters built from the image plug-in slots, and the choice of a plug-in by extension.
#pragma once

#include <cstddef>

// What one slot offers: its file type's name and pattern ("*.bmp"); both null for an empty slot.
struct PluginFormat {
  const char* name;
  const char* pattern;
};

constexpr size_t PLUGIN_FILTER_SIZE = 4096;

// Writes the filter pairs (text, pattern; each zero-terminated, a second zero at the end) of the
// loaded slots into out, zero-filled first. With combined, a first pair "Bilddateien" with every
// pattern joined by ";". Pairs that would not fit are left out whole; false when any was.
bool build_plugin_filter(const PluginFormat* formats, int count, bool combined, char* out, size_t size);

// Index of the first loaded slot whose pattern without its first character equals the path's
// extension (with its dot) regardless of case; -1 when the path has none or no slot serves it.
int plugin_for_path(const PluginFormat* formats, int count, const char* path);

// The save dialog's default extension: the pattern without its first two characters ("bmp").
const char* default_extension(const char* pattern);
