// Filters of the image file dialogs and the plug-in chosen for a path.
#include "editor/core/plugin_filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/core/path_names.h"

namespace {

const PluginFormat BMP = {"Windows Bitmap", "*.bmp"}, TIF = {"TIFF (unkomprimiert)", "*.tif"}, NONE = {};

// The filter's strings up to the double zero.
std::vector<std::string> strings_of(const char* filter) {
  std::vector<std::string> out;
  for (const char* p = filter; *p; p += out.back().size() + 1) out.push_back(p);
  return out;
}

TEST(PluginFilter, ListsLoadedSlotsAndStaysInsideItsBuffer) {
  const PluginFormat slots[] = {NONE, BMP, NONE, TIF};
  char filter[PLUGIN_FILTER_SIZE];
  EXPECT_TRUE(build_plugin_filter(slots, 4, true, filter, sizeof filter));
  EXPECT_EQ(strings_of(filter), (std::vector<std::string>{"Bilddateien", "*.bmp;*.tif", "Windows Bitmap (*.bmp)",
                                                          "*.bmp", "TIFF (unkomprimiert) (*.tif)", "*.tif"}));
  EXPECT_TRUE(build_plugin_filter(slots, 4, false, filter, sizeof filter));
  EXPECT_EQ(strings_of(filter).size(), 4u);
  // Sixteen long names: whole pairs only, the last two bytes zero, nothing beyond the buffer.
  const std::string name(300, 'n');
  std::vector<PluginFormat> many(16, PluginFormat{name.c_str(), "*.xyz"});
  std::vector<char> big(PLUGIN_FILTER_SIZE + 1, '#');
  EXPECT_FALSE(build_plugin_filter(many.data(), 16, true, big.data(), PLUGIN_FILTER_SIZE));
  EXPECT_EQ(strings_of(big.data()).size() % 2, 0u);
  EXPECT_TRUE(big[PLUGIN_FILTER_SIZE - 1] == 0 && big[PLUGIN_FILTER_SIZE] == '#');
}

TEST(PluginChoice, FirstSlotWhosePatternFitsTheExtensionWins) {
  const PluginFormat slots[] = {NONE, TIF, {"Other", "*.BMP"}, BMP};
  const struct {
    const char* path;
    int expected;
  } cases[] = {{"C:\\bilder\\photo.TIF", 1},
               {"photo.bmp", 2},
               {"a.b\\noext", -1},
               {"photo", -1},
               {"photo.png", -1},
               {"x.tif.bak", -1},
               {"dir/x.Tif", 1},
               {"C:.bmp", 2}};
  for (const auto& c : cases) EXPECT_EQ(plugin_for_path(slots, 4, c.path), c.expected) << c.path;
  EXPECT_STREQ(default_extension("*.bmp"), "bmp");
  EXPECT_STREQ(default_extension("*"), "");
  const char* no_extension = "C:\\a.b\\film";
  EXPECT_EQ(path_extension(no_extension), no_extension + 11);  // the stem ends at the terminator
  EXPECT_STREQ(path_extension("C:\\a\\film.x.TIF"), ".TIF");
}

}  // namespace
