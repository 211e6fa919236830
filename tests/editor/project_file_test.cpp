// Project file: round trips, the bytes of field blocks and headers, malformed files, failing
// streams, damaged field blocks, running out of memory while loading, 64-bit file positions.
#include "editor/core/project_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "editor/core/frame_slots.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/render_band.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint32_t>;
constexpr uint32_t M = FIELD_RUN_MARKER;
const float NaN = std::numeric_limits<float>::quiet_NaN(), INF = std::numeric_limits<float>::infinity();

template <typename T>
T load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
uint32_t bits(float f) { return load<uint32_t>(&f); }
uint32_t u32_at(const Bytes& b, size_t at) { return load<uint32_t>(&b[at]); }
void set_u32(Bytes& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
Bytes words(const Words& w) {
  Bytes b(w.size() * 4);
  std::memcpy(b.data(), w.data(), b.size());
  return b;
}
Bytes slice(const Bytes& b, size_t from, size_t bytes) {
  return Bytes(b.begin() + long(from), b.begin() + long(from + bytes));
}

// The field block written one pixel at a time in column order.
Words column_order_block(const DisplacementField* f, int32_t w, int32_t h) {
  Words out;
  uint32_t run = 0;
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y) {
      const DisplacementPair p = f[size_t(y) * w + x];
      if (p.dx == 0 && p.dy == 0 && ++run) continue;
      if (run) out.insert(out.end(), {M, run});
      out.insert(out.end(), {bits(p.dx), bits(p.dy)});
      run = 0;
    }
  if (run) out.insert(out.end(), {M, run});
  return out;
}

class Host : public EngineHost {
 public:
  std::vector<int> enabled;
  int fail_at = -1, allocations = 0;
  void enable_menu_item(int id, bool on) override { enabled.push_back(on ? id : -id); }
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
    g_mask_exists = 0;
    set_engine_host(nullptr);
  }
  // The workspace a new project, and the caller of load_project, prepares.
  void workspace(int32_t w, int32_t h) {
    g_image_width = w;
    g_image_height = h;
    source.assign(size_t(w) * h * 4 + 100, 0);
    mask.assign(size_t(w) * h / 8 + 1, 0);
    g_source_pixels = source.data();
    g_mask_bits = mask.data();
    g_mask_exists = g_mask_applied = g_mask_shown = host.allocations = 0;
    ASSERT_TRUE(reset_frame_slots());
    host.enabled.clear();
  }
  // Pixels, a mask when asked, and `slots` filled slots of pairs, about every third zero.
  void fill(int slots, bool with_mask) {
    for (size_t i = 0; i + 100 < source.size(); ++i) source[i] = i % 4 == 3 ? 0 : uint8_t(i * 37 + 11);
    for (size_t i = 0; i < mask.size() && with_mask; ++i) mask[i] = uint8_t(i * 53 + 7);
    g_mask_exists = with_mask;
    for (int k = 1; k <= slots; ++k) {
      FrameSlot& slot = frame_slot(k);
      if (!slot.field) slot.field = allocate_field_block();
      for (int64_t i = 0; i < int64_t(g_image_width) * g_image_height; ++i)
        slot.field[i] = {(i * 7 + k) % 3 ? float(i % 97) - 40.5f : 0.0f, (i * 7 + k) % 3 ? k - float(i % 13) : 0.0f};
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
  // The project as the file stores it: pixels, whole mask bytes, then text and field of each slot.
  std::vector<std::string> snapshot() {
    const size_t n = size_t(g_image_width) * g_image_height;
    std::vector<std::string> out = {std::string(source.begin(), source.begin() + long(4 * n)),
                                    std::string(mask.begin(), mask.begin() + long(n / 8))};
    for (const FrameSlot& slot : g_frame_slots) {
      out.push_back(slot.frames_text);
      if (slot.field) out.emplace_back(reinterpret_cast<const char*>(slot.field), n * 8);
    }
    return out;
  }
  Host host;
  Bytes source, mask;
};

TEST_F(ProjectFile, RoundTripKeepsPixelsMaskFieldsAndFrameCounts) {
  // Strips of many columns (300 x 200) and of one (3 x 40000); fewer than 8 pixels with a mask.
  const std::tuple<int32_t, int32_t, int, bool> cases[] = {{3, 2, 2, false}, {7, 5, 8, true},     {1, 1, 3, true},
                                                           {2, 3, 5, true},  {300, 200, 4, true}, {3, 40000, 3, false}};
  for (auto [w, h, slots, with_mask] : cases) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    workspace(w, h);
    fill(slots, with_mask);
    const Bytes file = save(), block1 = words(column_order_block(frame_slot(1).field, w, h));
    EXPECT_EQ(slice(file, u32_at(file, 20), block1.size()), block1);
    const auto before = snapshot();
    ASSERT_EQ(open(file), 0);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(filled_slot_count(), slots);
    EXPECT_EQ(g_current_field, frame_slot(2).field);
    EXPECT_EQ(g_mask_exists + g_mask_applied, int(with_mask));
    EXPECT_EQ(host.enabled, (with_mask ? std::vector<int>{280, 282, 283} : std::vector<int>()));
    EXPECT_EQ(save(), file);
  }
}

TEST_F(ProjectFile, FieldBlocksAndHeaderHoldTheseBytes) {
  using Pairs = std::vector<std::pair<int, DisplacementPair>>;  // pair index y * w + x, value
  const std::tuple<int32_t, int32_t, Pairs, Words> cases[] = {
      {3, 2, {}, {M, 6}},  // a new project's field
      {3, 2, {{3, {1.5f, -2}}}, {M, 1, bits(1.5f), bits(-2), M, 4}},
      {2, 3, {{0, {1, 2}}, {5, {3, 4}}}, {bits(1), bits(2), M, 4, bits(3), bits(4)}},  // a run over a column end
      {2, 1, {{0, {-0.0f, 0}}, {1, {NaN, 1}}}, {M, 2}},
      {2, 1, {{0, {INF, 0}}, {1, {0, -0.0f}}}, {M, 2}},
      {1, 2, {{0, {-0.0f, 5}}}, {bits(-0.0f), bits(5), M, 1}},
  };
  for (const auto& [w, h, pairs, block] : cases) {
    workspace(w, h);
    for (const auto& [i, p] : pairs) frame_slot(1).field[i] = p;
    const Bytes file = save();
    const uint32_t field1 = 92 + uint32_t(w * h * 3), field2 = field1 + uint32_t(block.size() * 4);
    ASSERT_EQ(file.size(), field2 + 8);
    EXPECT_EQ(slice(file, field1, field2 - field1), words(block));
    EXPECT_EQ(slice(file, field2, 8), words({M, uint32_t(w * h)}));
    EXPECT_EQ(slice(file, 0, 92), words({0x0A0A0200, uint32_t(w), uint32_t(h), 92, 0, field1, 15, field2, 15, 0, 0, 0,
                                         0,          0,           0,           0,  0, 0,      0,  0,      0,  0, 0}));
  }
}

TEST_F(ProjectFile, FramesTextsGiveStepsAndStoredStepsGiveTexts) {
  const std::tuple<const char*, uint32_t, const char*> cases[] = {
      {"15", 15, "15"},     {"", 15, "15"},     {"a1", 15, "15"}, {" ", 15, "15"},
      {"1000", 999, "999"}, {"-5", 999, "999"}, {" 7", 7, "7"},   {"0", 0, "0"}};
  for (auto [text, steps, loaded] : cases) {
    workspace(2, 2);
    set_frames_text(frame_slot(1), text);
    const Bytes file = save();
    EXPECT_EQ(u32_at(file, 24), steps) << text;
    ASSERT_EQ(open(file), 0);
    EXPECT_STREQ(frame_slot(1).frames_text, loaded);
  }
  Bytes file = save();  // stored counts beyond the text's 7 characters, or negative
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
  const std::tuple<size_t, uint32_t, int> cases[] = {
      // offset in the file (0: version and magic), value, result
      {12, 92, 0},          {20, 92, 0},         {16, 0, 0},          {12, length - 1, 0},   {12, length, 22},
      {12, 91, 22},         {20, 0, 22},         {28, 0, 22},         {16, length, 22},      {36, length, 22},
      {12, 0xFFFFFF00, 22}, {4, 0, 22},          {8, 0x10000, 22},    {8, uint32_t(-1), 22}, {0, 0x0A0A0000, 22},
      {0, 0x0A0A01FF, 22},  {0, 0x0A0A0201, 20}, {0, 0x0B0A0200, 21}, {0, 0x0B0A0300, 21}};
  for (auto [at, value, result] : cases) {
    Bytes file = good;
    set_u32(file, at, value);
    g_image_width = 77;
    MemoryStream s(file);
    EXPECT_EQ(check_project_file(s), result) << at << " " << value;
    EXPECT_EQ(g_image_width, result ? 77 : 4);
  }
  const std::pair<Bytes, int> short_files[] = {{{}, 22},
                                               {{0x00, 0x02, 0x0A}, 1},
                                               {slice(good, 0, 91), 1},
                                               {words({0x0A0A0100, 0, 5, 0}), 1},
                                               {words({0x0A0A0100, 0, 0, 5, 0, 0}), 22}};
  for (const auto& [file, result] : short_files) {
    MemoryStream s(file);
    EXPECT_EQ(check_project_file(s), result) << file.size();
  }
}

TEST_F(ProjectFile, OldVersionLoadsItsFieldIntoSlotTwo) {
  Bytes file = words({0x0A0A0100, 0, 2, 2, 0, 0, M, 1, bits(0.5f), bits(-1), M, 2});
  for (uint8_t i = 0; i < 12; ++i) file.push_back(i + 1);
  ASSERT_EQ(open(file), 0);
  EXPECT_EQ(slice(source, 0, 16), Bytes({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0}));
  EXPECT_EQ(words(column_order_block(frame_slot(2).field, 2, 2)), slice(file, 24, 24));
  EXPECT_EQ(column_order_block(frame_slot(1).field, 2, 2), Words({M, 4}));
  EXPECT_STREQ(frame_slot(1).frames_text, "15");
  EXPECT_EQ(g_mask_exists, 0);
  file.pop_back();
  EXPECT_EQ(open(file), 1);
}

TEST_F(ProjectFile, DamagedFieldBlocksNeverOverrunTheField) {
  const std::tuple<Words, int, Words> cases[] = {
      // block of both slots, result, slot 1's field as it then reads
      {{M, 0}, 1, {M, 4}},                                         // a run of nothing
      {{bits(1), 0, M, 1000, bits(9), 0}, 0, {bits(1), 0, M, 3}},  // a run longer than the field
      {{bits(NaN), 0, bits(2), bits(INF), bits(3), 0, M, 1}, 0, {M, 2, bits(3), 0, M, 1}},
      {{bits(1), 0, bits(2)}, 1, {bits(1), 0, M, 3}},  // ends inside a pair
  };
  for (const auto& [block, result, field] : cases) {
    workspace(2, 2);
    Bytes file = slice(save(), 0, 104);
    const Bytes b = words(block);
    file.insert(file.end(), b.begin(), b.end());
    set_u32(file, 28, 104);
    ASSERT_EQ(open(file), result);
    EXPECT_EQ(column_order_block(frame_slot(1).field, 2, 2), field);
    EXPECT_EQ(g_current_field, frame_slot(2).field);
  }
}

TEST_F(ProjectFile, FailingStreamsReportWithoutLosingTheCurrentField) {
  workspace(5, 4);
  fill(4, true);
  const Bytes good = save();
  // In the header, the pixels, the mask, the first field, the last field; the flush.
  for (int64_t at : {0, 50, 100, 152, 160, int(good.size()) - 3, -1}) {
    MemoryStream s;
    s.fail_write_at = at;
    s.fail_flush = at < 0;
    g_current_field = frame_slot(3).field;
    EXPECT_EQ(save_project(s), 2) << at;
    EXPECT_EQ(g_current_field, frame_slot(3).field);
  }
  for (int64_t at : {2, 60, 153, 170, int(good.size()) - 1}) {
    workspace(5, 4);
    MemoryStream in(good);
    in.fail_read_at = at;
    EXPECT_EQ(load_project(in), 1) << at;
    EXPECT_EQ(g_current_field, frame_slot(2).field);
  }
  g_image_width = 65536;  // a size no file can hold
  MemoryStream none;
  EXPECT_EQ(save_project(none), 2);
}

TEST_F(ProjectFile, OutOfMemoryLoadsTheSlotsBeforeAndGapsClose) {
  workspace(3, 3);
  fill(5, false);
  const auto before = snapshot();
  Bytes file = save();
  host.fail_at = 3;  // two new-workspace fields, slot 3, then slot 4 fails
  ASSERT_EQ(open(file), 14);
  const auto after = snapshot();  // pixels, mask, then text and field of slots 1 to 3, text of slot 4
  EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 8),
            std::vector<std::string>(before.begin(), before.begin() + 8));
  EXPECT_EQ(after[8], "0");
  EXPECT_EQ(filled_slot_count(), 3);
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
  const Bytes file = save();  // pixels at 92 to 140, then the mask's 2 bytes
  const std::tuple<size_t, uint32_t, int> cases[] = {
      {file.size(), 140, 0}, {141, 140, 22}, {142, 140, 0}, {139, 0, 22}, {140, 0, 0}};
  for (auto [length, mask_offset, result] : cases) {
    MemoryStream s(slice(file, 0, length));
    set_u32(s.data, 16, mask_offset);
    for (int k = 0; k < 6; ++k) set_u32(s.data, 20 + 8 * k, 93);  // the smallest field block fits
    int fields = 0;
    EXPECT_EQ(project_blocks_fit(s, &fields), result) << length;
    EXPECT_EQ(fields, 6);
  }
  MemoryStream old(words({0x0A0A0100, 0, 1, 1, 0, 0, M, 1}));  // one pixel's 3 bytes missing
  EXPECT_EQ(project_blocks_fit(old), 22);
  EXPECT_EQ(project_memory_bytes(4000, 3000, 8), 2 * 48000100ull + 9 * 96000100ull + 1500001);
  const uint64_t most = 65535ull * 65535;
  EXPECT_EQ(project_memory_bytes(65535, 65535, 8), 2 * (most * 4 + 100) + 9 * (most * 8 + 100) + most / 8 + 1);
}

TEST_F(ProjectFile, FilePositionsBeyondFourGigabytesWork) {
  workspace(1, 2);
  fill(2, false);
  const auto before = snapshot();
  Bytes file = save();  // the fields (at 98) moved to 2.25 GiB: offsets that read as unsigned
  const Bytes fields(file.begin() + 98, file.end());
  set_u32(file, 20, 0x90000000u);
  set_u32(file, 28, 0x90000000u + 16);
  static const char* const path = "project_file_test.tmp";
  const struct Removal {
    ~Removal() { std::remove(path); }
  } removal;
  auto f = FileStream::open(path, "wb+");
  ASSERT_TRUE(f && f->write_all(file.data(), 98) && f->seek(0x90000000u, SeekFrom::begin));
  ASSERT_TRUE(f->write_all(fields.data(), fields.size()) && f->seek(int64_t{5} << 30, SeekFrom::begin));
  ASSERT_TRUE(f->write_all("abcd", 4));
  EXPECT_EQ(f->tell(), (int64_t{5} << 30) + 4);
  EXPECT_EQ(check_project_file(*f), 0);
  workspace(1, 2);
  EXPECT_EQ(load_project(*f), 0);
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(f->close());
}

}  // namespace
