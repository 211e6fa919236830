// Project file: round trips, the bytes of field blocks and headers, malformed files, failing
// streams, damaged field blocks, running out of memory while loading, 64-bit file positions.
#include "editor/core/project_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "editor/core/frame_slots.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/render_band.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t M = FIELD_RUN_MARKER;
const float NaN = std::numeric_limits<float>::quiet_NaN(), INF = std::numeric_limits<float>::infinity();

uint32_t bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}
uint32_t u32_at(const Bytes& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
void set_u32(Bytes& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
Bytes words(const std::vector<uint32_t>& w) {
  Bytes b(w.size() * 4);
  std::memcpy(b.data(), w.data(), b.size());
  return b;
}

class Host : public EngineHost {
 public:
  std::vector<int> enabled;
  int fail_at = -1, allocations = 0;
  void enable_menu_item(int id, bool on) override {
    if (on) enabled.push_back(id);
  }
  void* allocate_field(uint64_t bytes) override {
    return allocations++ == fail_at ? nullptr : EngineHost::allocate_field(bytes);
  }
};

class ProjectFile : public ::testing::Test {
 protected:
  void SetUp() override { set_engine_host(&host); }
  void TearDown() override {
    free_frame_slots();
    g_source_pixels = g_mask_bits = nullptr;
    g_undo_field = nullptr;
    g_mask_exists = g_mask_applied = g_mask_shown = 0;
    set_engine_host(nullptr);
  }
  // The workspace a new project, and the caller of load_project, prepares.
  void workspace(int32_t w, int32_t h) {
    free_frame_slots();
    g_image_width = w;
    g_image_height = h;
    source.assign(size_t(w) * h * 4 + 100, 0);
    mask.assign(size_t(w) * h / 8 + 1, 0);
    g_source_pixels = source.data();
    g_mask_bits = mask.data();
    g_mask_exists = g_mask_applied = g_mask_shown = 0;
    host.allocations = 0;
    ASSERT_TRUE(reset_frame_slots());
    host.enabled.clear();
  }
  // Pixels, a mask when asked, and `slots` filled slots of pairs, about every third zero.
  void fill(int slots, bool with_mask) {
    for (size_t i = 0; i + 100 < source.size(); ++i) source[i] = i % 4 == 3 ? 0 : uint8_t(i * 37 + 11);
    if (with_mask) {
      for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t(i * 53 + 7);
      g_mask_exists = 1;
    }
    const int64_t n = int64_t(g_image_width) * g_image_height;
    for (int k = 1; k <= slots; ++k) {
      FrameSlot& slot = frame_slot(k);
      if (!slot.field) slot.field = allocate_field_block();
      for (int64_t i = 0; i < n; ++i)
        slot.field[i] = (i * 7 + k) % 3 ? DisplacementPair{float(i % 97) - 40.5f, k * 0.25f - float(i % 13)}
                                        : DisplacementPair{0.0f, 0.0f};
      set_frames_text(slot, std::to_string(k * 4).c_str());
    }
  }
  Bytes save() {
    MemoryStream s;
    EXPECT_EQ(save_project(s), 0);
    return s.data;
  }
  // Opens as the editor does: check, rebuild the workspace for the file's size, load.
  int open(const Bytes& file) {
    MemoryStream s(file);
    if (const int r = check_project_file(s)) return r;
    workspace(g_image_width, g_image_height);
    return load_project(s);
  }
  // The project as the file stores it: 3 bytes a pixel, whole mask bytes, fields, texts.
  std::vector<std::string> snapshot() {
    const size_t n = size_t(g_image_width) * g_image_height;
    std::vector<std::string> out = {std::string(), std::string(mask.begin(), mask.begin() + long(n / 8))};
    for (size_t i = 0; i < n; ++i) out[0].append(reinterpret_cast<char*>(&source[4 * i]), 4);
    for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
      const FrameSlot& slot = frame_slot(k);
      out.push_back(slot.frames_text);
      if (slot.field) out.emplace_back(reinterpret_cast<const char*>(slot.field), n * 8);
    }
    return out;
  }
  Host host;
  Bytes source, mask;
};

TEST_F(ProjectFile, RoundTripKeepsPixelsMaskFieldsAndFrameCounts) {
  struct Case {
    int32_t w, h;
    int slots;
    bool mask;
  } cases[] = {{3, 2, 2, false}, {7, 5, 8, true},     {1, 1, 3, true},
               {2, 3, 5, true},  {300, 200, 4, true}, {3, 40000, 3, false}};  // strips of many columns, of one
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    workspace(c.w, c.h);
    fill(c.slots, c.mask);
    const Bytes file = save();
    const auto before = snapshot();
    ASSERT_EQ(open(file), 0);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(filled_slot_count(), c.slots);
    EXPECT_EQ(g_current_field, frame_slot(2).field);
    EXPECT_EQ(g_mask_exists, int(c.mask));
    EXPECT_EQ(g_mask_applied, 0);
    EXPECT_EQ(host.enabled, (c.mask ? std::vector<int>{280, 282, 283} : std::vector<int>()));
    EXPECT_EQ(save(), file);
  }
}

TEST_F(ProjectFile, FieldBlocksAndHeaderHoldTheseBytes) {
  struct Case {
    int32_t w, h;
    std::vector<std::pair<int, DisplacementPair>> pairs;  // pair index y * w + x, value
    std::vector<uint32_t> block;
  } cases[] = {
      {3, 2, {}, {M, 6}},  // a new project's field
      {3, 2, {{3, {1.5f, -2.0f}}}, {M, 1, bits(1.5f), bits(-2.0f), M, 4}},
      {2, 3, {{0, {1, 2}}, {5, {3, 4}}}, {bits(1), bits(2), M, 4, bits(3), bits(4)}},  // a run over a column end
      {2, 1, {{0, {-0.0f, 0.0f}}, {1, {NaN, 1}}}, {M, 2}},
      {2, 1, {{0, {INF, 0}}, {1, {0, -0.0f}}}, {M, 2}},
      {1, 2, {{0, {-0.0f, 5}}}, {bits(-0.0f), bits(5), M, 1}},
  };
  for (const Case& c : cases) {
    workspace(c.w, c.h);
    for (const auto& [i, p] : c.pairs) frame_slot(1).field[i] = p;
    const Bytes file = save();
    const size_t pixels = size_t(c.w) * c.h * 3, field1 = 92 + pixels, field2 = field1 + c.block.size() * 4;
    ASSERT_EQ(file.size(), field2 + 8);
    EXPECT_EQ(Bytes(file.begin() + long(field1), file.begin() + long(field2)), words(c.block));
    EXPECT_EQ(Bytes(file.begin() + long(field2), file.end()), words({M, uint32_t(c.w * c.h)}));
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 20), words({0x0A0A0200, uint32_t(c.w), uint32_t(c.h), 92, 0}));
    EXPECT_EQ(Bytes(file.begin() + 20, file.begin() + 92),
              words({uint32_t(field1), 15, uint32_t(field2), 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
}

TEST_F(ProjectFile, LargeFieldsCodeInColumnOrderAcrossStrips) {
  for (auto [w, h] : {std::pair{300, 200}, std::pair{3, 40000}}) {
    workspace(w, h);
    fill(2, false);
    std::vector<uint32_t> expected;  // one pixel at a time, as the format reads
    uint32_t run = 0;
    for (int32_t x = 0; x < w; ++x)
      for (int32_t y = 0; y < h; ++y) {
        const DisplacementPair p = frame_slot(1).field[size_t(y) * w + x];
        if (p.dx == 0 && p.dy == 0) {
          ++run;
          continue;
        }
        if (run) expected.insert(expected.end(), {M, run});
        expected.insert(expected.end(), {bits(p.dx), bits(p.dy)});
        run = 0;
      }
    if (run) expected.insert(expected.end(), {M, run});
    const Bytes file = save(), block = words(expected);
    const size_t at = u32_at(file, 20);
    EXPECT_EQ(Bytes(file.begin() + long(at), file.begin() + long(at + block.size())), block);
    EXPECT_EQ(u32_at(file, 28), at + block.size());
  }
}

TEST_F(ProjectFile, FramesTextsGiveStepsAndStoredStepsGiveTexts) {
  const struct {
    const char* text;
    uint32_t steps;
    const char* loaded;
  } cases[] = {{"15", 15, "15"},     {"", 15, "15"},     {"a1", 15, "15"}, {" ", 15, "15"},
               {"1000", 999, "999"}, {"-5", 999, "999"}, {" 7", 7, "7"},   {"0", 0, "0"}};
  for (const auto& c : cases) {
    workspace(2, 2);
    set_frames_text(frame_slot(1), c.text);
    Bytes file = save();
    EXPECT_EQ(u32_at(file, 24), c.steps) << c.text;
    ASSERT_EQ(open(file), 0);
    EXPECT_STREQ(frame_slot(1).frames_text, c.loaded);
  }
  workspace(2, 2);
  Bytes file = save();
  set_u32(file, 24, 123456789);
  set_u32(file, 32, uint32_t(-3));
  ASSERT_EQ(open(file), 0);
  EXPECT_STREQ(frame_slot(1).frames_text, "999");
  EXPECT_STREQ(frame_slot(2).frames_text, "0");
}

TEST_F(ProjectFile, MalformedFilesAreRefusedAndKeepTheImageSize) {
  workspace(4, 3);
  fill(3, true);
  const Bytes good = save();  // pixels at 92, mask at 128, fields at 129, ...
  const uint32_t length = uint32_t(good.size());
  const struct {
    size_t at;  // 0: the version word
    uint32_t value;
    int result;
  } cases[] = {
      {12, 92, 0},         {20, 92, 0},          {28, 92, 0},         {16, 0, 0},          {12, length, 22},
      {12, length - 1, 0}, {12, 91, 22},         {20, 0, 22},         {28, 0, 22},         {16, length, 22},
      {36, length, 22},    {12, 0xFFFFFF00, 22}, {4, 0, 22},          {8, 0x10000, 22},    {8, uint32_t(-1), 22},
      {0, 0x0A0A0000, 22}, {0, 0x0A0A01FF, 22},  {0, 0x0A0A0201, 20}, {0, 0x0B0A0200, 21}, {0, 0x0B0A0300, 21},
  };
  for (const auto& c : cases) {
    Bytes file = good;
    set_u32(file, c.at, c.value);
    g_image_width = g_image_height = 77;
    MemoryStream s(file);
    EXPECT_EQ(check_project_file(s), c.result) << c.at << " " << c.value;
    EXPECT_EQ(g_image_width, c.result ? 77 : 4);
  }
  const struct {
    Bytes file;
    int result;
  } short_files[] = {{{}, 22},
                     {{0x00, 0x02, 0x0A}, 1},
                     {Bytes(good.begin(), good.begin() + 91), 1},
                     {words({0x0A0A0100, 0, 5, 0}), 1},
                     {words({0x0A0A0100, 0, 0, 5, 0, 0}), 22}};
  for (const auto& c : short_files) {
    MemoryStream s(c.file);
    EXPECT_EQ(check_project_file(s), c.result) << c.file.size();
  }
}

TEST_F(ProjectFile, OldVersionLoadsItsFieldIntoSlotTwo) {
  Bytes file = words({0x0A0A0100, 0, 2, 2, 0, 0, M, 1, bits(0.5f), bits(-1), M, 2});
  for (uint8_t i = 0; i < 12; ++i) file.push_back(i + 1);
  ASSERT_EQ(open(file), 0);
  EXPECT_EQ(g_image_width, 2);
  EXPECT_EQ(Bytes(source.begin(), source.begin() + 16), Bytes({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0}));
  EXPECT_EQ(frame_slot(2).field[2].dx, 0.5f);  // pixel (0, 1) is the second in column order
  EXPECT_EQ(frame_slot(2).field[2].dy, -1.0f);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(frame_slot(1).field), 32), std::string(32, '\0'));
  EXPECT_STREQ(frame_slot(1).frames_text, "15");
  EXPECT_EQ(g_mask_exists, 0);
  file.pop_back();
  EXPECT_EQ(open(file), 1);
}

TEST_F(ProjectFile, DamagedFieldBlocksNeverOverrunTheField) {
  const struct {
    std::vector<uint32_t> block;
    int result;
    std::vector<float> dx;  // of the four pairs after loading
  } cases[] = {
      {{M, 0}, 1, {0, 0, 0, 0}},                             // a run of nothing
      {{bits(1), 0, M, 1000, bits(9), 0}, 0, {1, 0, 0, 0}},  // a run longer than the field
      {{bits(NaN), 0, bits(2), bits(INF), bits(3), 0, M, 1}, 0, {0, 0, 3, 0}},
      {{bits(1), 0, bits(2)}, 1, {1, 0, 0, 0}},  // ends inside a pair
  };
  for (const auto& c : cases) {
    workspace(2, 2);
    fill(2, false);
    Bytes file = save();
    const size_t at = 92 + 12;
    file.resize(at);
    const Bytes block = words(c.block);
    file.insert(file.end(), block.begin(), block.end());
    set_u32(file, 28, uint32_t(at));  // both slots read the same block
    file.resize(file.size() + (c.result ? 0 : 8));
    ASSERT_EQ(open(file), c.result);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(frame_slot(1).field[i % 2 * 2 + i / 2].dx, c.dx[i]) << i;
    EXPECT_EQ(g_current_field, frame_slot(2).field);
  }
}

TEST_F(ProjectFile, FailingStreamsReportWithoutLosingTheCurrentField) {
  workspace(5, 4);
  fill(4, true);
  frame_slot(3).field[7] = {1, 1};
  const Bytes good = save();
  // In the header, the pixels, the mask, the first field, the last field.
  for (int64_t at : {int64_t{0}, int64_t{50}, int64_t{100}, int64_t{152}, int64_t{160}, int64_t(good.size()) - 3}) {
    MemoryStream s;
    s.fail_write_at = at;
    g_current_field = frame_slot(3).field;
    EXPECT_EQ(save_project(s), 2) << at;
    EXPECT_EQ(g_current_field, frame_slot(3).field);
  }
  MemoryStream s;
  s.fail_flush = true;
  EXPECT_EQ(save_project(s), 2);
  for (int64_t at : {int64_t{2}, int64_t{60}, int64_t{153}, int64_t{170}, int64_t(good.size()) - 1}) {
    workspace(5, 4);
    MemoryStream in(good);
    in.fail_read_at = at;
    EXPECT_EQ(load_project(in), 1) << at;
    EXPECT_EQ(g_current_field, frame_slot(2).field);
  }
}

TEST_F(ProjectFile, OutOfMemoryLoadsTheSlotsBeforeAndGapsClose) {
  workspace(3, 3);
  fill(5, false);
  const auto before = snapshot();
  Bytes file = save();
  host.fail_at = 3;  // two new-workspace fields, slot 3, then slot 4 fails
  ASSERT_EQ(open(file), 14);
  EXPECT_EQ(filled_slot_count(), 3);
  const auto after = snapshot();  // pixels, mask, then text and field of slots 1 to 3
  EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 8),
            std::vector<std::string>(before.begin(), before.begin() + 8));
  EXPECT_STREQ(frame_slot(4).frames_text, "0");
  EXPECT_EQ(g_current_field, frame_slot(2).field);
  host.fail_at = -1;
  set_u32(file, 36, 0);  // slot 3 left out: slots 4 and 5 move up
  ASSERT_EQ(open(file), 0);
  EXPECT_EQ(filled_slot_count(), 4);
  EXPECT_EQ(snapshot()[7], before[9]);
  EXPECT_STREQ(frame_slot(3).frames_text, "16");
}

TEST_F(ProjectFile, BlocksFitAndMemoryNeedsForCallersThatRefuseEarly) {
  workspace(4, 4);
  fill(6, true);
  const Bytes file = save();
  const struct {
    size_t length;
    uint32_t mask_offset;
    int result;
  } cases[] = {{file.size(), 140, 0}, {141, 140, 22}, {142, 140, 0}, {139, 0, 22}, {140, 0, 0}};
  for (const auto& c : cases) {
    MemoryStream s(Bytes(file.begin(), file.begin() + long(c.length)));
    set_u32(s.data, 16, c.mask_offset);
    for (int k = 0; k < 6; ++k) set_u32(s.data, 20 + 8 * k, 93);  // the smallest field block fits
    int fields = 0;
    EXPECT_EQ(project_blocks_fit(s, &fields), c.result) << c.length;
    EXPECT_EQ(fields, 6);
  }
  MemoryStream old(words({0x0A0A0100, 0, 1, 1, 0, 0, M, 1}));  // one pixel's 3 bytes missing
  EXPECT_EQ(project_blocks_fit(old), 22);
  old.data.resize(old.data.size() + 3);
  EXPECT_EQ(project_blocks_fit(old), 0);
  EXPECT_EQ(project_memory_bytes(4000, 3000, 8), 2 * 48000100ull + 9 * 96000100ull + 1500001);
  EXPECT_EQ(project_memory_bytes(65535, 65535, 8),
            2 * (4294836225ull * 4 + 100) + 9 * (4294836225ull * 8 + 100) + 4294836225ull / 8 + 1);
}

TEST_F(ProjectFile, FilePositionsBeyondFourGigabytesWork) {
  const char* path = "project_file_test.tmp";
  auto f = FileStream::open(path, "wb+");
  ASSERT_TRUE(f);
  const int64_t far = (int64_t{5} << 30) + 3;
  ASSERT_TRUE(f->seek(far, SeekFrom::begin));
  ASSERT_TRUE(f->write_all("abcd", 4));
  EXPECT_EQ(f->tell(), far + 4);
  ASSERT_TRUE(f->seek(-2, SeekFrom::end));
  char two[2];
  ASSERT_TRUE(f->read_all(two, 2));
  EXPECT_EQ(std::string(two, 2), "cd");
  // Blocks above 2 GiB: their offsets read as unsigned numbers.
  workspace(1, 2);
  fill(2, false);
  Bytes file = save();
  const Bytes fields(file.begin() + 98, file.end());
  set_u32(file, 20, 0x90000000u);
  set_u32(file, 28, 0x90000000u + 16);
  ASSERT_TRUE(f->seek(0, SeekFrom::begin) && f->write_all(file.data(), 98));
  ASSERT_TRUE(f->seek(0x90000000u, SeekFrom::begin) && f->write_all(fields.data(), fields.size()));
  EXPECT_EQ(check_project_file(*f), 0);
  const auto before = snapshot();
  workspace(1, 2);
  EXPECT_EQ(load_project(*f), 0);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(f->close());
  std::remove(path);
}

}  // namespace
