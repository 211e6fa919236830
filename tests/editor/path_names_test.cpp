// Project names and bounded path copies.
#include "editor/core/path_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathNames, BaseNameDropsDirectoryAndExtension) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\Bilder\\Urlaub.vbmap", "Urlaub"},
      {"C:/a/b.c/d", "d"},
      {"x.tar.gz", "x.tar"},
      {"\"C:\\q.vbmap\"", "q"},
      {"D:name.vbmap", "name"},
      {"C:\\dir\\", ""},
      {"noext", "noext"},
      {".vbmap", ""},
  };
  for (const auto& c : cases) {
    char out[32];
    path_base_name(c.path, out, sizeof out);
    EXPECT_STREQ(out, c.name) << c.path;
  }
}

TEST(PathNames, LongNamesAreCutAndLongPathsRefused) {
  const std::string long_name(300, 'a');
  char out[8];
  path_base_name((long_name + ".vbmap").c_str(), out, sizeof out);
  EXPECT_STREQ(out, "aaaaaaa");

  char path[8] = "keep";
  EXPECT_FALSE(copy_path(path, sizeof path, "12345678"));
  EXPECT_STREQ(path, "keep");
  EXPECT_TRUE(copy_path(path, sizeof path, "1234567"));
  EXPECT_STREQ(path, "1234567");
}

}  // namespace
