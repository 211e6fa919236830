// Filters of the image file dialogs and the plug-in chosen for a path.
#include "editor/core/plugin_filters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const PluginFormat BMP = {"Windows Bitmap", "*.bmp"};
const PluginFormat TIF = {"TIFF (unkomprimiert)", "*.tif"};
const PluginFormat EMPTY = {nullptr, nullptr};

// The filter's pairs as strings, up to the double zero.
std::vector<std::string> pairs_of(const char* filter) {
  std::vector<std::string> out;
  for (const char* p = filter; *p; p += out.back().size() + 1) out.push_back(p);
  return out;
}

TEST(PluginFilter, ListsLoadedSlotsWithAndWithoutTheCombinedEntry) {
  const PluginFormat slots[] = {EMPTY, BMP, EMPTY, TIF};
  const struct {
    bool combined;
    std::vector<std::string> expected;
  } cases[] = {
      {true,
       {"Bilddateien", "*.bmp;*.tif", "Windows Bitmap (*.bmp)", "*.bmp", "TIFF (unkomprimiert) (*.tif)", "*.tif"}},
      {false, {"Windows Bitmap (*.bmp)", "*.bmp", "TIFF (unkomprimiert) (*.tif)", "*.tif"}},
  };
  for (const auto& c : cases) {
    char filter[PLUGIN_FILTER_SIZE];
    EXPECT_TRUE(build_plugin_filter(slots, 4, c.combined, filter, sizeof filter));
    EXPECT_EQ(pairs_of(filter), c.expected);
  }
}

TEST(PluginFilter, SixteenLongEntriesStayInsideTheBufferAndEndWithTwoZeros) {
  const std::string name(300, 'n');
  std::vector<PluginFormat> slots(16, PluginFormat{name.c_str(), "*.xyz"});
  std::vector<char> filter(PLUGIN_FILTER_SIZE + 8, '#');
  EXPECT_FALSE(build_plugin_filter(slots.data(), 16, true, filter.data(), PLUGIN_FILTER_SIZE));
  const auto pairs = pairs_of(filter.data());
  EXPECT_EQ(pairs.size() % 2, 0u);
  EXPECT_GT(pairs.size(), 2u);
  EXPECT_EQ(filter[PLUGIN_FILTER_SIZE - 1], 0);
  EXPECT_EQ(filter[PLUGIN_FILTER_SIZE], '#');
}

TEST(PluginChoice, FirstSlotWhosePatternFitsTheExtensionWins) {
  const PluginFormat other_bmp = {"Other", "*.BMP"};
  const PluginFormat slots[] = {EMPTY, TIF, other_bmp, BMP};
  const struct {
    const char* path;
    int expected;
  } cases[] = {
      {"C:\\bilder\\photo.TIF", 1},
      {"photo.bmp", 2},
      {"a.b\\noext", -1},
      {"photo", -1},
      {"photo.png", -1},
      {"x.tif.bak", -1},
      {"dir/x.Tif", 1},
      {"C:.bmp", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(plugin_for_path(slots, 4, c.path), c.expected) << c.path;
}

TEST(PluginChoice, DefaultExtensionDropsTheWildcardAndDot) {
  EXPECT_STREQ(default_extension("*.bmp"), "bmp");
  EXPECT_STREQ(default_extension("*"), "");
  EXPECT_STREQ(default_extension(nullptr), "");
}

}  // namespace
