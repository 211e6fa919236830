// Interoperability with independent tools: files that ImageMagick, libtiff and netpbm write read
// back to the expected pixels, and the files the codecs write give those tools the same pixels.
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "plugins/imagefile/tests/codec_fixture.h"

namespace {

using namespace imagefile_test;

constexpr int32_t W = 37, H = 23;  // odd width (BMP padding), not square
const char* const CONVERT = "/usr/bin/convert";

bool have_tool(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

#define REQUIRE_TOOL(path) \
  if (!have_tool(path)) GTEST_SKIP() << path << " is not installed"

// Runs a shell command with its error output kept in `errors`; true when it exits with 0.
bool run(const std::string& command, std::string* errors = nullptr) {
  static int serial = 0;
  const std::string err_file = std::filesystem::temp_directory_path() /
                               ("qx_interop_err_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
  const int status = std::system((command + " 2>" + err_file).c_str());
  std::ifstream in(err_file);
  std::stringstream text;
  text << in.rdbuf();
  if (errors) *errors = text.str();
  std::filesystem::remove(err_file);
  if (status != 0) ADD_FAILURE() << command << " failed: " << text.str();
  return status == 0;
}

// A binary PPM or PGM (maximum 255) written byte by byte, without the codecs.
void write_pnm(const std::string& path, const Bytes& picture, bool gray) {
  Bytes f;
  put_text(f, std::string(gray ? "P5" : "P6") + "\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n");
  for (size_t i = 0; i < picture.size(); i += 4) {
    if (gray) {
      f.push_back(picture[i]);
    } else {
      f.insert(f.end(), {picture[i + 2], picture[i + 1], picture[i]});
    }
  }
  write_file(path, f);
}

// The pixels of a binary PPM a tool wrote (maximum 255, comments allowed), as a buffer.
Bytes read_tool_ppm(const std::string& path) {
  const Bytes f = read_file(path);
  size_t at = 0;
  auto word = [&] {
    std::string w;
    while (at < f.size() && (std::isspace(f[at]) || f[at] == '#')) {
      if (f[at] == '#') {
        while (at < f.size() && f[at] != '\n') ++at;
      }
      ++at;
    }
    while (at < f.size() && !std::isspace(f[at])) w += static_cast<char>(f[at++]);
    return w;
  };
  const std::string magic = word(), w = word(), h = word(), max = word();
  ++at;  // the one whitespace byte before the pixels
  EXPECT_EQ(magic, "P6") << path;
  EXPECT_EQ(max, "255") << path;
  const size_t pixels = static_cast<size_t>(std::atoi(w.c_str())) * std::atoi(h.c_str());
  Bytes picture;
  for (; at + 3 <= f.size() && picture.size() < pixels * 4; at += 3)
    picture.insert(picture.end(), {f[at + 2], f[at + 1], f[at], 0});
  EXPECT_EQ(picture.size(), pixels * 4) << path;
  return picture;
}

Bytes gray_picture() {
  Bytes p = test_picture(W, H);
  for (size_t i = 0; i < p.size(); i += 4) p[i + 1] = p[i + 2] = p[i];
  return p;
}

struct ToolFile {
  const char* what;
  std::string tool;     // must be installed
  std::string command;  // {in} and {out} stand for the source and the written file
  const Codec& (*codec)();
  bool gray;     // the source is a PGM and the expected picture gray
  int32_t code;  // 0: reads back to the source's pixels; else the code of get
};

std::string expand(std::string command, const std::string& in, const std::string& out) {
  for (size_t at; (at = command.find("{in}")) != std::string::npos;) command.replace(at, 4, in);
  for (size_t at; (at = command.find("{out}")) != std::string::npos;) command.replace(at, 5, out);
  return command;
}

TEST(Interop, FilesOtherToolsWriteReadBack) {
  const std::string im = CONVERT;
  const ToolFile files[] = {
      {"ImageMagick BMP3 24 bits", im, im + " {in} -depth 8 BMP3:{out}", bmp_codec, false, 0},
      {"ImageMagick BMP 124-byte header", im, im + " {in} -depth 8 BMP:{out}", bmp_codec, false, 0},
      {"ImageMagick BMP3 32 bits", im, im + " {in} -alpha set -define bmp3:alpha=true BMP3:{out}", bmp_codec, false, 0},
      {"ImageMagick BMP with bit fields", im, im + " {in} -alpha set BMP:{out}", bmp_codec, false,
       dqbmp::BMP_UNSUPPORTED},
      {"ImageMagick BMP 8-bit palette", im, im + " {in} -colors 16 -type Palette BMP3:{out}", bmp_codec, false,
       dqbmp::BMP_UNSUPPORTED},
      {"netpbm ppmtobmp 24 bits", "/usr/bin/ppmtobmp", "/usr/bin/ppmtobmp -bpp=24 {in} >{out}", bmp_codec, false, 0},
      {"ImageMagick TIFF", im, im + " {in} -depth 8 -compress none TIFF:{out}", tif_codec, false, 0},
      {"ImageMagick TIFF big-endian, a strip a row", im,
       im + " {in} -depth 8 -compress none -define tiff:endian=msb -define tiff:rows-per-strip=1 TIFF:{out}", tif_codec,
       false, 0},
      {"ImageMagick TIFF RGBA", im, im + " {in} -depth 8 -alpha set -compress none TIFF:{out}", tif_codec, false, 0},
      {"ImageMagick TIFF gray 8", im, im + " {in} -depth 8 -compress none TIFF:{out}", tif_codec, true, 0},
      {"ImageMagick TIFF gray 16, big-endian", im,
       im + " {in} -depth 16 -compress none -define tiff:endian=msb TIFF:{out}", tif_codec, true, 0},
      {"ImageMagick TIFF LZW", im, im + " {in} -compress lzw TIFF:{out}", tif_codec, false, dqtif::TIFF_COMPRESSED},
      {"netpbm pnmtotiff RGB in strips of 5 rows", "/usr/bin/pnmtotiff",
       "/usr/bin/pnmtotiff -truecolor -rowsperstrip=5 {in} >{out}", tif_codec, false, 0},
      {"netpbm pnmtotiff gray", "/usr/bin/pnmtotiff", "/usr/bin/pnmtotiff {in} >{out}", tif_codec, true, 0},
      {"ImageMagick PPM", im, im + " {in} -depth 8 PPM:{out}", ppm_codec, false, 0},
      {"ImageMagick plain PPM", im, im + " {in} -depth 8 -compress none PPM:{out}", ppm_codec, false, 0},
      {"ImageMagick 16-bit PPM", im, im + " {in} -depth 16 PPM:{out}", ppm_codec, false, dqppm::PPM_UNSUPPORTED},
      {"netpbm pnmtoplainpnm", "/usr/bin/pnmtoplainpnm", "/usr/bin/pnmtoplainpnm {in} >{out}", ppm_codec, false, 0},
      {"netpbm ppmtoppm", "/usr/bin/ppmtoppm", "/usr/bin/ppmtoppm <{in} >{out}", ppm_codec, false, 0},
      {"netpbm PGM is no PPM", "/usr/bin/pamtopnm", "/usr/bin/pamtopnm {in} >{out}", ppm_codec, true,
       dqppm::PPM_NOT_PPM},
  };
  TempDir dir;
  const Bytes colour = test_picture(W, H), gray = gray_picture();
  write_pnm(dir.path("colour.ppm"), colour, false);
  write_pnm(dir.path("gray.pgm"), gray, true);
  for (const ToolFile& f : files) {
    SCOPED_TRACE(f.what);
    if (!have_tool(f.tool)) {
      ADD_FAILURE() << f.tool << " is not installed";
      continue;
    }
    const std::string out = dir.path("tool_file");
    if (!run(expand(f.command, dir.path(f.gray ? "gray.pgm" : "colour.ppm"), out))) continue;
    const Decoded d = decode(f.codec(), out);
    EXPECT_EQ(d.get_code, f.code);
    if (f.code != 0 || d.get_code != 0) continue;
    EXPECT_EQ(d.open_code, 0);
    EXPECT_EQ(d.width, W);
    EXPECT_EQ(d.height, H);
    EXPECT_TRUE(same_colours(f.gray ? gray : colour, d.pixels));
  }
}

struct ToolReader {
  const char* what;
  std::string tool;
  std::string command;  // {in}: our file; {out}: the binary PPM the tool makes of it
  const Codec& (*codec)();
};

TEST(Interop, OtherToolsReadOurFiles) {
  const std::string im = CONVERT;
  const ToolReader readers[] = {
      {"ImageMagick reads BMP", im, im + " BMP:{in} -depth 8 PPM:{out}", bmp_codec},
      {"netpbm bmptoppm", "/usr/bin/bmptoppm", "/usr/bin/bmptoppm {in} >{out}", bmp_codec},
      {"ImageMagick reads TIFF", im, im + " TIFF:{in} -depth 8 PPM:{out}", tif_codec},
      {"netpbm tifftopnm (libtiff)", "/usr/bin/tifftopnm", "/usr/bin/tifftopnm {in} >{out}", tif_codec},
      {"ImageMagick reads PPM", im, im + " PPM:{in} -depth 8 PPM:{out}", ppm_codec},
      {"netpbm ppmtoppm", "/usr/bin/ppmtoppm", "/usr/bin/ppmtoppm <{in} >{out}", ppm_codec},
  };
  TempDir dir;
  const Bytes picture = test_picture(W, H);
  for (const ToolReader& r : readers) {
    SCOPED_TRACE(r.what);
    if (!have_tool(r.tool)) {
      ADD_FAILURE() << r.tool << " is not installed";
      continue;
    }
    const std::string ours = dir.path("ours"), out = dir.path("out.ppm");
    ASSERT_EQ(encode(r.codec(), ours, picture, W, H), 0);
    if (!run(expand(r.command, ours, out))) continue;
    EXPECT_TRUE(same_colours(picture, read_tool_ppm(out)));
  }
}

// The one remark libtiff makes is about the zero bytes that pad ImageDescription to its 42 bytes,
// which the format of the written header fixes.
TEST(Interop, LibtiffReadsOurTiffWithoutErrors) {
  REQUIRE_TOOL("/usr/bin/tiffinfo");
  TempDir dir;
  ASSERT_EQ(encode(tif_codec(), dir.path("ours.tif"), test_picture(W, H), W, H), 0);
  std::string errors;
  ASSERT_TRUE(run("/usr/bin/tiffinfo -D " + dir.path("ours.tif") + " >" + dir.path("info.txt"), &errors));
  const std::string padding_remark =
      "TIFFFetchNormalTag: Warning, ASCII value for tag \"ImageDescription\" contains null byte in value; "
      "value incorrectly truncated during reading due to implementation limitations.\n";
  EXPECT_TRUE(errors.empty() || errors == padding_remark) << errors;
  const Bytes info = read_file(dir.path("info.txt"));
  const std::string text(info.begin(), info.end());
  EXPECT_NE(text.find("Image Width: 37 Image Length: 23"), std::string::npos) << text;
  EXPECT_NE(text.find("Software: Quandrelix TIFF-Export"), std::string::npos) << text;
  EXPECT_NE(text.find("ImageDescription: no comment"), std::string::npos) << text;
}

TEST(Interop, OurTiffThroughTiffcpReadsBack) {
  REQUIRE_TOOL("/usr/bin/tiffcp");
  struct Copy {
    const char* options;
    int32_t code;
  } copies[] = {
      {"-B -r 4", 0},  // big-endian, strips of 4 rows
      {"-L -r 1", 0},  // little-endian, a strip a row
      {"-p separate", dqtif::TIFF_UNSUPPORTED},
      {"-t", dqtif::TIFF_UNSUPPORTED},  // tiles instead of strips
      {"-c lzw", dqtif::TIFF_COMPRESSED},
      {"-c zip", dqtif::TIFF_COMPRESSED},
  };
  TempDir dir;
  const Bytes picture = test_picture(W, H);
  ASSERT_EQ(encode(tif_codec(), dir.path("ours.tif"), picture, W, H), 0);
  for (const Copy& c : copies) {
    SCOPED_TRACE(c.options);
    ASSERT_TRUE(
        run(std::string("/usr/bin/tiffcp ") + c.options + " " + dir.path("ours.tif") + " " + dir.path("copy.tif")));
    const Decoded d = decode(tif_codec(), dir.path("copy.tif"));
    EXPECT_EQ(d.get_code, c.code);
    if (c.code == 0) {
      EXPECT_EQ(d.open_code, 0);
      EXPECT_TRUE(same_colours(picture, d.pixels));
    }
    std::filesystem::remove(dir.path("copy.tif"));
  }
}

}  // namespace
