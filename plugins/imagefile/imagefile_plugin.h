// The image file plug-in interface: six C exports, bound by name, over caller-owned pixel buffers.
//
// Pixel buffer (both directions): width * height * 4 bytes, top row first, no row padding;
// pixel (x, y) starts at byte 4 * (y * width + x) with blue, green, red; byte 3 is never read and
// never written by a plug-in. The caller allocates it (after get() for reading) and frees it.
//
// Reading: openFile(path, 0), get(&w, &h), open(pixels, w, h), closeFile(). Writing: openFile(path, 1),
// save(pixels, w, h), closeFile(). Every call returns 0 or a code private to the plug-in that only
// its own getError() turns into text. get() reports only sizes of at least 1 x 1 whose buffer stays
// within 2^31 - 1 bytes.
//
// This header is for the Windows side (the libraries and the program that binds them); the codecs
// behind the exports live in namespaces and are platform-free.
#pragma once

#include <cstdint>

// The six exports as the program binds them with GetProcAddress; every library defines them
// extern "C" under exactly these names. (Only the pointer types are declared here: a declaration
// of open() would clash with the C runtime's.)

// Opens the file for reading ("rb") or, with for_writing non-zero, writing ("wb"); an open file is
// closed first. 0 on success, 1 on failure.
typedef int32_t(__cdecl* ImExOpenFileProc)(const char* path, int32_t for_writing);
// Closes the open file: the stream library's close result, non-zero when no file was open.
typedef int32_t(__cdecl* ImExCloseFileProc)();
// Reads the header and reports the image size.
typedef int32_t(__cdecl* ImExGetProc)(int32_t* width, int32_t* height);
// Reads the pixels of the image get() reported, into a buffer of exactly that size.
typedef int32_t(__cdecl* ImExOpenProc)(uint8_t* pixels, int32_t width, int32_t height);
// Writes the whole image and flushes it.
typedef int32_t(__cdecl* ImExSaveProc)(const uint8_t* pixels, int32_t width, int32_t height);
// 0 the library's description, -1 the file type's name, -2 the file pattern, a code its message;
// the text is static and stays in the plug-in.
typedef const char*(__cdecl* ImExGetErrorProc)(int32_t code);
