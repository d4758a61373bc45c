// JPEG encoding: the files decode to the picture, the quality sets the quantisation tables,
// bad input raises, and saving replaces a file in one step.
#include "platform/jpeg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/orvstreams.h"
#include "tests/platform/jpegdecode.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

TBitmap Filled(int W, int H, TColor C) {
  TBitmap B{W, H, {}};
  B.Rgb.resize(size_t(W) * size_t(H) * 3);
  for (size_t I = 0; I < B.Rgb.size(); I += 3) {
    B.Rgb[I] = uint8_t(ColorRed(C));
    B.Rgb[I + 1] = uint8_t(ColorGreen(C));
    B.Rgb[I + 2] = uint8_t(ColorBlue(C));
  }
  return B;
}

TEST(Jpeg, FileDecodesToThePicture) {
  TBitmap B = Filled(37, 21, RGBToColor(0x2E, 0x75, 0xB6));
  for (int X = 0; X < 37; ++X) B.Rgb[size_t(X) * 3] = 255;  // a red-ish top row
  TBitmap Back;
  ASSERT_TRUE(jpegtest::Decode(EncodeJpeg(B, kChartJpegQuality), Back));
  EXPECT_EQ(Back.Width, 37);
  EXPECT_EQ(Back.Height, 21);
  const TColor Mid = Back.Pixel(18, 15);
  EXPECT_NEAR(ColorRed(Mid), 0x2E, 6);
  EXPECT_NEAR(ColorGreen(Mid), 0x75, 6);
  EXPECT_NEAR(ColorBlue(Mid), 0xB6, 6);
}

TEST(Jpeg, QualityScalesTheStandardTables) {
  // The first entry of the standard luminance table is 16: scaled to 40 % at quality 80 (6
  // after integer rounding), 100 % at 50, and 1 at 100.
  const struct { int Quality, First; } Cases[] = {{80, 6}, {50, 16}, {100, 1}, {10, 80}};
  for (const auto& C : Cases) {
    const auto Tables = JpegQuantTables(EncodeJpeg(Filled(8, 8, clWhite), C.Quality));
    ASSERT_EQ(Tables[0].size(), 64u) << C.Quality;
    EXPECT_EQ(Tables[0][0], C.First) << C.Quality;
  }
}

TEST(Jpeg, BadPicturesAndQualitiesRaise) {
  TBitmap Short = Filled(4, 4, clBlack);
  Short.Rgb.pop_back();
  EXPECT_THROW(EncodeJpeg(Short, 80), EJpegError);
  EXPECT_THROW(EncodeJpeg(TBitmap{}, 80), EJpegError);
  EXPECT_THROW(EncodeJpeg(Filled(2, 2, clBlack), 0), EJpegError);
  EXPECT_THROW(EncodeJpeg(Filled(2, 2, clBlack), 101), EJpegError);
}

TEST(Jpeg, SavingReplacesTheFileInOneStep) {
  namespace fs = std::filesystem;
  const test::TTempFolder Temp;
  const fs::path& Dir = Temp.Path();
  const std::string File = (Dir / "Chart1.jpg").string();
  SaveJpegFile(Filled(10, 10, clRed), 80, File);
  SaveJpegFile(Filled(20, 5, clBlue), 80, File);
  std::ifstream In(File, std::ios::binary);
  std::stringstream Data;
  Data << In.rdbuf();
  TBitmap Back;
  ASSERT_TRUE(jpegtest::Decode(Data.str(), Back));
  EXPECT_EQ(Back.Width, 20);
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
  // The web server's files are readable by everyone: so is the chart, although its temporary
  // file starts private.
  EXPECT_EQ(fs::status(File).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
  EXPECT_THROW(SaveJpegFile(Filled(2, 2, clRed), 80, (Dir / "missing" / "x.jpg").string()),
               EFOpenError);
}

}  // namespace
}  // namespace quin
