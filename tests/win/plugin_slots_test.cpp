// Plug-in binding with stand-in libraries: which registry values take slots, which libraries
// count as present, and when the scanner's init and done run.
#include "editor/plugin_slots.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/win/preferences_key.h"

namespace {

std::string test_dir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1);
}

// A copy of the full stand-in whose path is exactly length characters long.
std::string copy_with_path_length(size_t length) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string path = std::string(temp) + "qxfake_";
  path += std::string(length - path.size() - 4, 'x') + ".dll";
  CopyFileA((test_dir() + "qxfake_imex_full.dll").c_str(), path.c_str(), FALSE);
  return path;
}

struct Value {
  int number;  // of "ImExLib%d"
  std::string data;
  DWORD type;
};

struct SlotCase {
  const char* name;
  std::vector<Value> values;
  int count;
  std::vector<const char*> extra_slots;  // getError(0) of slots 5 on, null for an empty slot
};

class ImageSlots : public ::testing::Test {
 protected:
  void TearDown() override {
    release_image_plugins();
    g_imex_count = IMEX_FIXED_COUNT;
    for (const std::string& p : copies_) DeleteFileA(p.c_str());
  }
  std::vector<std::string> copies_;
};

TEST_F(ImageSlots, RegistryValuesTakeSlotsInOrderUpToSixteen) {
  const std::string full = "qxfake_imex_full.dll", other = test_dir() + "qxfake_imex_other.dll";
  const std::string partial = "qxfake_imex_partial.dll";
  const std::string long_path = copy_with_path_length(259), too_long = copy_with_path_length(262);
  copies_ = {long_path, too_long};
  SetEnvironmentVariableA("QX_FAKE_DIR", test_dir().c_str());
  std::vector<Value> twelve;
  for (int n = 6; n <= 17; ++n) twelve.push_back({n, n % 2 ? other : full, REG_SZ});
  std::vector<const char*> eleven;
  for (int n = 6; n <= 16; ++n) eleven.push_back(n % 2 ? "other" : "full");

  const SlotCase cases[] = {
      {"no values", {}, 5, {}},
      {"one library", {{6, full, REG_SZ}}, 6, {"full"}},
      {"missing file keeps its slot", {{6, "qxfake_none.dll", REG_SZ}, {7, other, REG_SZ}}, 7, {nullptr, "other"}},
      {"gap at ImExLib6", {{7, full, REG_SZ}}, 5, {}},
      {"gap stops the scan", {{6, full, REG_SZ}, {8, other, REG_SZ}}, 6, {"full"}},
      {"missing export counts as absent", {{6, partial, REG_SZ}, {7, other, REG_SZ}}, 7, {nullptr, "other"}},
      {"non-string value", {{6, "\x01\x02", REG_BINARY}, {7, full, REG_SZ}}, 7, {nullptr, "full"}},
      {"expandable string", {{6, "%QX_FAKE_DIR%qxfake_imex_other.dll", REG_EXPAND_SZ}}, 6, {"other"}},
      {"at most sixteen slots", twelve, 16, eleven},
      {"short path, then 259 characters", {{6, full, REG_SZ}, {7, long_path, REG_SZ}}, 7, {"full", "full"}},
      {"a path beyond the buffer ends the scan", {{6, too_long, REG_SZ}, {7, full, REG_SZ}}, 5, {}},
  };
  for (const SlotCase& c : cases) {
    PreferencesKey key(true);
    for (const Value& v : c.values)
      key.set_string(("ImExLib" + std::to_string(v.number)).c_str(), v.data.c_str(), v.type);
    bind_image_plugins();
    ASSERT_EQ(g_imex_count, c.count) << c.name;
    const bool any = std::any_of(c.extra_slots.begin(), c.extra_slots.end(), [](const char* s) { return s; });
    EXPECT_EQ(g_no_image_plugins, any ? 0 : 1) << c.name;
    for (int i = 0; i < MAX_IMEX_LIBS; ++i) {
      const char* want = i >= IMEX_FIXED_COUNT && i < c.count ? c.extra_slots[i - IMEX_FIXED_COUNT] : nullptr;
      const ImExLibEntry& e = g_imex_entries[i];
      if (!want) {
        EXPECT_EQ(g_imex_modules[i], nullptr) << c.name << " slot " << i;
        EXPECT_EQ(e.closeFile, nullptr) << c.name << " slot " << i;
        continue;
      }
      ASSERT_NE(g_imex_modules[i], nullptr) << c.name << " slot " << i;
      ASSERT_TRUE(e.save && e.get && e.open && e.getError && e.openFile && e.closeFile) << c.name << " slot " << i;
      EXPECT_STREQ(e.getError(0), want) << c.name << " slot " << i;
    }
    release_image_plugins();
  }
}

TEST_F(ImageSlots, NoKeyLeavesTheFixedSlots) {
  PreferencesKey key(false);
  g_imex_count = 9;
  bind_image_plugins();
  EXPECT_EQ(g_imex_count, IMEX_FIXED_COUNT);
  EXPECT_EQ(g_no_image_plugins, 1);
}

struct ScannerCase {
  const char* library;
  bool bound;
  int unavailable;
  const char* calls_after_bind;
  const char* calls_after_release;
};

TEST(ScannerBinding, InitOnlyWithAllThreeExportsAndDoneAtRelease) {
  const ScannerCase cases[] = {
      {"qxfake_twain_ready.dll", true, 0, "init ", "init done "},
      {"qxfake_twain_refusing.dll", true, 1, "init ", "init done "},
      {"qxfake_twain_partial.dll", false, 1, "", ""},
      {"qxfake_none.dll", false, 1, "", ""},
  };
  for (const ScannerCase& c : cases) {
    SetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", "");
    char calls[256] = "";
    bind_scanner_plugin(c.library);
    EXPECT_EQ(g_twain_module != nullptr, c.bound) << c.library;
    EXPECT_EQ(g_twain_done != nullptr, c.bound) << c.library;
    EXPECT_EQ(g_scanner_unavailable, c.unavailable) << c.library;
    GetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", calls, sizeof calls);
    EXPECT_STREQ(calls, c.calls_after_bind) << c.library;
    release_scanner_plugin();
    EXPECT_EQ(g_twain_module, nullptr);
    calls[0] = '\0';
    GetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", calls, sizeof calls);
    EXPECT_STREQ(calls, c.calls_after_release) << c.library;
  }
}

}  // namespace
