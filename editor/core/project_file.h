// The project file ("*.vbmap"): image, mask and key-frame fields, written as version 0x0200,
// version 0x0100 read too. Every operation returns 0 or a message id.
#pragma once

#include <cstdint>

#include "editor/core/stream.h"
#include "editor/resources/resource.h"

constexpr uint16_t PROJECT_VERSION = 0x0200;
constexpr uint16_t PROJECT_VERSION_OLD = 0x0100;
constexpr uint16_t PROJECT_MAGIC = 0x0A0A;
constexpr uint32_t FIELD_RUN_MARKER = 0x7FFFFFFF;
constexpr int64_t PROJECT_DATA_OFFSET = 92;  // preamble and header; the first block starts here
constexpr int32_t PROJECT_MAX_STEPS = 999;

// Message ids the project operations return.
constexpr int PROJECT_READ_ERROR = 1;
constexpr int PROJECT_WRITE_ERROR = 2;
constexpr int PROJECT_OUT_OF_MEMORY = 14;
constexpr int PROJECT_NEWER_VERSION = 20;
constexpr int PROJECT_NOT_A_PROJECT = 21;
constexpr int PROJECT_INVALID_FILE = 22;


// Encodes g_current_field as one run-coded field block at the stream's position. 0 or 2.
int write_field(Stream& s);
// Decodes one field block at the stream's position into g_current_field (honouring the mask
// only while it is applied) and leaves the stream just behind the block. 0 or 1.
int read_field(Stream& s);

// Writes the whole project: preamble, header, pixels, the mask when g_mask_exists, the field
// of every filled slot. Ends with a checked flush; the caller closes (and checks the close).
// Before calling, the caller has the animation bar store its edited frame counts into the
// slot texts. Returns 0, or 2 when a write, the flush or the final seek fails, or when a
// block would start beyond what a 32-bit offset holds. g_current_field is kept.
int save_project(Stream& s);

// Validates a file and on 0 sets g_image_width and g_image_height. 0, 1 read error,
// 20 newer version, 21 not a project file, 22 invalid file.
int check_project_file(Stream& s);

// After check_project_file accepted s: 0 when the pixel and mask blocks lie wholly inside the
// file and every field block has room for its smallest form, 22 when not, 1 on a read error.
// field_count (optional) receives how many fields the loaded project will hold (2..8).
int project_blocks_fit(Stream& s, int* field_count = nullptr);

// Bytes one project of w x h pixels with field_count key frames holds in memory: source and
// render pixels, a field per key frame plus the undo delta, the mask.
uint64_t project_memory_bytes(int32_t w, int32_t h, int field_count);

// Reads pixels, mask and fields into the workspace that the caller rebuilt for the size that
// check_project_file set: slots 1 and 2 zero with "15", slots 3..8 empty with "0", slot 2
// current, mask buffer W * H / 8 + 1 bytes, mask flags 0. Returns 0, 1 on a read error, or
// 14 when a field for slots 3..8 cannot be allocated (that slot and the later ones stay
// empty; what was read is kept). Slot 2's field is g_current_field afterwards in every case.
int load_project(Stream& s);
