// What every codec shares: calls out of order or without a file, one file at a time, failed writes.
#include <unistd.h>

#include "plugins/imagefile/tests/codec_fixture.h"

namespace {

using namespace imagefile_test;

class EveryCodec : public ::testing::TestWithParam<const Codec*> {
 protected:
  const Codec& c = *GetParam();
  TempDir dir;
  void TearDown() override { c.closeFile(); }
};

TEST_P(EveryCodec, CallsWithoutAFileFailInsteadOfCrashing) {
  ASSERT_EQ(*c.stream, nullptr);
  int32_t w = 0, h = 0;
  uint8_t px[4] = {1, 2, 3, 4};
  EXPECT_EQ(c.get(&w, &h), c.get_read_failed);
  EXPECT_EQ(c.open(px, 1, 1), c.open_read_failed);
  EXPECT_EQ(c.save(px, 1, 1), c.write_failed);
  EXPECT_NE(c.closeFile(), 0);
  EXPECT_NE(c.closeFile(), 0);
  EXPECT_EQ(px[0], 1);
  EXPECT_EQ(c.openFile(nullptr, 0), 1);
  EXPECT_EQ(c.openFile(dir.path("missing").c_str(), 0), 1);
  EXPECT_EQ(*c.stream, nullptr);
}

TEST_P(EveryCodec, CloseForgetsTheFileAndItsHeader) {
  const Bytes picture = test_picture(3, 2);
  ASSERT_EQ(encode(c, dir.path("a"), picture, 3, 2), 0);
  ASSERT_EQ(c.openFile(dir.path("a").c_str(), 0), 0);
  int32_t w = 0, h = 0;
  ASSERT_EQ(c.get(&w, &h), 0);
  EXPECT_EQ(c.closeFile(), 0);
  EXPECT_EQ(*c.stream, nullptr);
  Bytes buffer(3 * 2 * 4, 0xee);
  EXPECT_EQ(c.open(buffer.data(), 3, 2), c.open_read_failed);
  EXPECT_NE(c.closeFile(), 0);
  EXPECT_EQ(buffer, Bytes(3 * 2 * 4, 0xee));
}

TEST_P(EveryCodec, OpeningAgainClosesTheOpenFile) {
  const Bytes picture = test_picture(4, 3);
  ASSERT_EQ(c.openFile(dir.path("first").c_str(), 1), 0);
  ASSERT_EQ(c.save(picture.data(), 4, 3), 0);
  ASSERT_EQ(c.openFile(dir.path("second").c_str(), 1), 0);  // without closeFile
  // The first file is complete and closed (the leak checker sees an unclosed one).
  const Decoded d = decode(c, dir.path("first"));
  EXPECT_EQ(d.open_code, 0);
  EXPECT_TRUE(same_colours(picture, d.pixels));
}

TEST_P(EveryCodec, OpenReadsOnlyTheImageGetReportedAndOnlyOnce) {
  const Bytes picture = test_picture(4, 3);
  ASSERT_EQ(encode(c, dir.path("a"), picture, 4, 3), 0);
  int32_t w = 0, h = 0;
  Bytes buffer(4 * 3 * 4, 0xee);
  const Bytes untouched = buffer;

  ASSERT_EQ(c.openFile(dir.path("a").c_str(), 0), 0);
  EXPECT_EQ(c.open(buffer.data(), 4, 3), c.open_read_failed) << "open before get";
  ASSERT_EQ(c.get(&w, &h), 0);
  EXPECT_EQ(c.open(buffer.data(), 3, 4), c.open_read_failed) << "other size";
  EXPECT_EQ(buffer, untouched);
  ASSERT_EQ(c.get(&w, &h), 0);  // get may run again
  EXPECT_EQ(c.open(nullptr, 4, 3), c.open_read_failed);
  ASSERT_EQ(c.get(&w, &h), 0);
  EXPECT_EQ(c.open(buffer.data(), 4, 3), 0);
  EXPECT_TRUE(same_colours(picture, buffer));
  EXPECT_EQ(c.open(buffer.data(), 4, 3), c.open_read_failed) << "second open";
  EXPECT_EQ(c.closeFile(), 0);
}

TEST_P(EveryCodec, OpenAfterAFailedGetFails) {
  write_file(dir.path("junk"), std::string("junk that is no image at all, in no format"));
  ASSERT_EQ(c.openFile(dir.path("junk").c_str(), 0), 0);
  int32_t w = 0, h = 0;
  EXPECT_NE(c.get(&w, &h), 0);
  uint8_t px[4] = {};
  EXPECT_EQ(c.open(px, 1, 1), c.open_read_failed);
  EXPECT_NE(c.get(nullptr, &h), 0);
}

TEST_P(EveryCodec, ReadingAFileOpenedForWritingFails) {
  ASSERT_EQ(c.openFile(dir.path("w").c_str(), 1), 0);
  int32_t w = 0, h = 0;
  EXPECT_NE(c.get(&w, &h), 0);
}

TEST_P(EveryCodec, SaveRefusesSizesNoReaderWouldAccept) {
  const Bytes px(16, 0);
  ASSERT_EQ(c.openFile(dir.path("s").c_str(), 1), 0);
  EXPECT_EQ(c.save(px.data(), 0, 1), c.write_failed);
  EXPECT_EQ(c.save(px.data(), 1, -1), c.write_failed);
  EXPECT_EQ(c.save(px.data(), 65536, 16384), c.write_failed);
  EXPECT_EQ(c.save(nullptr, 1, 1), c.write_failed);
}

TEST_P(EveryCodec, AFullDiskIsAFailedSave) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  for (auto [w, h] : {std::pair{1, 1}, {300, 200}}) {
    const Bytes picture = test_picture(w, h);
    ASSERT_EQ(c.openFile("/dev/full", 1), 0);
    EXPECT_EQ(c.save(picture.data(), w, h), c.write_failed) << w;
    c.closeFile();
  }
}

TEST_P(EveryCodec, SavingOnAReadingStreamFails) {
  ASSERT_EQ(encode(c, dir.path("a"), test_picture(2, 2), 2, 2), 0);
  ASSERT_EQ(c.openFile(dir.path("a").c_str(), 0), 0);
  const Bytes picture = test_picture(2, 2);
  EXPECT_EQ(c.save(picture.data(), 2, 2), c.write_failed);
}

TEST_P(EveryCodec, NamesAndUnknownCodes) {
  EXPECT_EQ(std::string(c.getError(-2)), std::string("*.") + c.name);
  EXPECT_STREQ(c.getError(-3), "unknown error");
  EXPECT_STREQ(c.getError(99), "unknown error");
  EXPECT_STREQ(c.getError(INT32_MIN), "unknown error");
}

INSTANTIATE_TEST_SUITE_P(Codecs, EveryCodec, ::testing::Values(&bmp_codec(), &tif_codec(), &ppm_codec()), codec_name);

}  // namespace
