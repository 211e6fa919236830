// Plug-in binding with stand-in libraries: which registry values take slots, which libraries
// count as present, and when the scanner's init and done run.
#include "editor/plugin_slots.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/preferences_key.h"

namespace {

std::string test_dir() {
  char path[MAX_PATH];
  std::string s(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return s.substr(0, s.find_last_of('\\') + 1);
}

// A copy of the full stand-in whose path is exactly length characters long.
std::string copy_with_path_length(size_t length) {
  char temp[MAX_PATH];
  std::string path = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "qxfake_";
  path += std::string(length - path.size() - 4, 'x') + ".dll";
  CopyFileA((test_dir() + "qxfake_imex_full.dll").c_str(), path.c_str(), FALSE);
  return path;
}

struct SlotCase {
  const char* name;
  std::vector<std::pair<int, std::string>> values;  // "ImExLib%d" and its text; REG_SZ unless noted
  std::vector<const char*> slots;                   // getError(0) of slots 5 on, null for an empty slot
};

TEST(ImageSlots, RegistryValuesTakeSlotsInOrderUpToSixteen) {
  const std::string full = "qxfake_imex_full.dll", other = test_dir() + "qxfake_imex_other.dll";
  const std::string long_path = copy_with_path_length(259), too_long = copy_with_path_length(262);
  SetEnvironmentVariableA("QX_FAKE_DIR", test_dir().c_str());
  SlotCase twelve = {"at most sixteen slots", {}, {}};
  for (int n = 6; n <= 17; ++n) twelve.values.push_back({n, n % 2 ? other : full});
  for (int n = 6; n <= 16; ++n) twelve.slots.push_back(n % 2 ? "other" : "full");
  const SlotCase cases[] = {
      {"no values", {}, {}},
      {"missing file keeps its slot", {{6, "qxfake_none.dll"}, {7, other}}, {nullptr, "other"}},
      {"gap at ImExLib6", {{7, full}}, {}},
      {"gap stops the scan", {{6, full}, {8, other}}, {"full"}},
      {"missing export counts as absent", {{6, "qxfake_imex_partial.dll"}, {7, other}}, {nullptr, "other"}},
      {"non-string value", {{6, "binary"}, {7, full}}, {nullptr, "full"}},
      {"expandable string", {{6, "expand:%QX_FAKE_DIR%qxfake_imex_other.dll"}}, {"other"}},
      twelve,
      {"short path, then 259 characters", {{6, full}, {7, long_path}}, {"full", "full"}},
      {"a path beyond the buffer ends the scan", {{6, too_long}, {7, full}}, {}},
  };
  for (const SlotCase& c : cases) {
    PreferencesKey key(true);
    for (const auto& [n, text] : c.values) {
      const std::string name = "ImExLib" + std::to_string(n);
      const bool expand = text.rfind("expand:", 0) == 0;
      const std::string data = expand ? text.substr(7) : text;
      key.set(name.c_str(),
              text == "binary" ? REG_BINARY
              : expand         ? REG_EXPAND_SZ
                               : REG_SZ,
              data.c_str(), data.size() + 1);
    }
    bind_image_plugins();
    ASSERT_EQ(g_imex_count, IMEX_FIXED_COUNT + static_cast<int>(c.slots.size())) << c.name;
    bool any = false;
    for (int i = 0; i < MAX_IMEX_LIBS; ++i) {
      const size_t k = i - IMEX_FIXED_COUNT;
      const char* want = i >= IMEX_FIXED_COUNT && k < c.slots.size() ? c.slots[k] : nullptr;
      const ImExLibEntry& e = g_imex_entries[i];
      const bool bound = e.save && e.get && e.open && e.getError && e.openFile && e.closeFile;
      EXPECT_EQ(g_imex_modules[i] != nullptr, want != nullptr) << c.name << " slot " << i;
      EXPECT_EQ(bound, want != nullptr) << c.name << " slot " << i;
      if (bound && want) {
        EXPECT_STREQ(e.getError(0), want) << c.name << " slot " << i;
      }
      any |= want != nullptr;
    }
    EXPECT_EQ(g_no_image_plugins, any ? 0 : 1) << c.name;
    release_image_plugins();
  }
  DeleteFileA(long_path.c_str());
}

TEST(ScannerBinding, InitOnlyWithAllThreeExportsAndDoneAtRelease) {
  const struct {
    const char* library;
    int unavailable;
    const char* calls;  // after binding and after releasing
  } cases[] = {{"qxfake_twain_ready.dll", 0, "init | init done "},
               {"qxfake_twain_refusing.dll", 1, "init | init done "},
               {"qxfake_twain_partial.dll", 1, "| "},
               {"qxfake_none.dll", 1, "| "}};
  for (const auto& c : cases) {
    SetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", "");
    std::string calls;
    char text[256];
    bind_scanner_plugin(c.library);
    const bool bound = g_twain_module && g_twain_acquire_image && g_twain_init && g_twain_done;
    EXPECT_EQ(bound, std::string(c.calls) != "| ") << c.library;
    EXPECT_EQ(g_scanner_unavailable, c.unavailable) << c.library;
    calls.append(text, GetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", text, sizeof text)) += "| ";
    release_scanner_plugin();
    EXPECT_EQ(g_twain_module, nullptr);
    calls.append(text, GetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", text, sizeof text));
    EXPECT_EQ(calls, c.calls) << c.library;
  }
}

}  // namespace
