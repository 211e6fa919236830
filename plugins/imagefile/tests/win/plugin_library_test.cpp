// The three plug-in libraries as the program binds them: loaded by name, six exports by name and
// no others, and an image written and read back through the bound functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plugins/imagefile/imagefile_plugin.h"

namespace {

const char* const EXPORTS[] = {"closeFile", "get", "getError", "open", "openFile", "save"};

struct Library {
  const char* file;
  const char* pattern;
};

class PluginLibrary : public ::testing::TestWithParam<Library> {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(GetParam().file);
    ASSERT_NE(module_, nullptr) << GetParam().file << ": error " << GetLastError();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  template <typename Proc>
  Proc bind(const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HMODULE module_ = nullptr;
};

// The names in the module's export directory.
std::vector<std::string> export_names(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (dir.Size == 0) return names;
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto* name_rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    names.emplace_back(reinterpret_cast<const char*>(base + name_rvas[i]));
  std::sort(names.begin(), names.end());
  return names;
}

TEST_P(PluginLibrary, ExportsExactlyTheSixNames) {
  for (const char* name : EXPORTS) EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
  EXPECT_EQ(export_names(module_), std::vector<std::string>(std::begin(EXPORTS), std::end(EXPORTS)));
  EXPECT_EQ(GetProcAddress(module_, "DllMain"), nullptr);
}

TEST_P(PluginLibrary, RoundTripThroughTheBoundExports) {
  auto open_file = bind<ImExOpenFileProc>("openFile");
  auto close_file = bind<ImExCloseFileProc>("closeFile");
  auto get = bind<ImExGetProc>("get");
  auto open = bind<ImExOpenProc>("open");
  auto save = bind<ImExSaveProc>("save");
  auto get_error = bind<ImExGetErrorProc>("getError");
  ASSERT_TRUE(open_file && close_file && get && open && save && get_error);
  EXPECT_STREQ(get_error(-2), GetParam().pattern);
  EXPECT_STREQ(get_error(-3), "unknown error");

  char dir[MAX_PATH];
  ASSERT_NE(GetTempPathA(MAX_PATH, dir), 0u);
  const std::string path =
      std::string(dir) + "qx_plugin_" + std::to_string(GetCurrentProcessId()) + "_" + (GetParam().pattern + 2);
  const int32_t w = 7, h = 5;
  std::vector<uint8_t> picture(w * h * 4);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 37 + 11);

  ASSERT_EQ(open_file(path.c_str(), 1), 0);
  EXPECT_EQ(save(picture.data(), w, h), 0);
  EXPECT_EQ(close_file(), 0);

  ASSERT_EQ(open_file(path.c_str(), 0), 0);
  int32_t rw = 0, rh = 0;
  ASSERT_EQ(get(&rw, &rh), 0);
  EXPECT_EQ(rw, w);
  EXPECT_EQ(rh, h);
  std::vector<uint8_t> back(picture.size(), 0xee);
  EXPECT_EQ(open(back.data(), w, h), 0);
  EXPECT_EQ(close_file(), 0);
  EXPECT_NE(close_file(), 0);
  DeleteFileA(path.c_str());
  for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(back[i], i % 4 == 3 ? 0xee : picture[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Libraries, PluginLibrary,
                         ::testing::Values(Library{"dqbmp.dll", "*.bmp"}, Library{"dqtif.dll", "*.tif"},
                                           Library{"dqppm.dll", "*.ppm"}),
                         [](const ::testing::TestParamInfo<Library>& info) {
                           return std::string(info.param.file).substr(0, 5);
                         });

}  // namespace
