#include "base/orvstreams.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "base/langmanager.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

TEST(MemoryStream, WritesSeeksAndReads) {
  TMemoryStream S;
  S.WriteBuffer("abcdef");
  EXPECT_EQ(S.Size(), 6);
  EXPECT_EQ(S.Position(), 6);
  EXPECT_EQ(S.Seek(-4, TSeekOrigin::soEnd), 2);
  char Buf[3];
  S.ReadBuffer(std::span(Buf, 3));
  EXPECT_EQ(std::string(Buf, 3), "cde");
  EXPECT_EQ(S.Remaining(), 1);
  EXPECT_EQ(S.Seek(-1, TSeekOrigin::soCurrent), 4);
  S.WriteBuffer("XYZ");  // overwrites one byte, then extends
  EXPECT_EQ(S.DataString(), "abcdXYZ");
  // Writing after a seek past the end leaves zero bytes in the gap.
  S.SetPosition(9);
  EXPECT_EQ(S.Remaining(), 0);
  S.WriteBuffer("!");
  EXPECT_EQ(S.DataString(), std::string("abcdXYZ\0\0!", 10));
  EXPECT_THROW(S.Seek(-11, TSeekOrigin::soEnd), EStreamError);
  EXPECT_EQ(S.Position(), 10);  // a refused seek does not move
  S.Clear();
  EXPECT_EQ(S.Size(), 0);
  EXPECT_EQ(S.Position(), 0);
}

TEST(MemoryStream, ReadingPastTheEndRaises) {
  TMemoryStream S(std::string_view("abc"));
  char Buf[8];
  EXPECT_EQ(S.Read(WritableByteSpan(Buf)), 3);
  EXPECT_EQ(S.Read(WritableByteSpan(Buf)), 0);
  S.SetPosition(1);
  try {
    S.ReadBuffer(std::span(Buf, 3));
    FAIL() << "no error";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Stream read error");
  }
  S.SetPosition(100);
  EXPECT_THROW(S.ReadBuffer(std::span(Buf, 1)), EReadError);
  S.SetPosition(0);
  S.ReadBuffer(std::span(Buf, 0));  // nothing asked, nothing read
  EXPECT_EQ(S.Position(), 0);
}

TEST(MemoryStream, BorrowedBytesAreReadOnly) {
  const std::string Data = "fixed";
  TMemoryStream S(Data);
  EXPECT_TRUE(S.ReadOnly());
  EXPECT_EQ(S.Memory(), reinterpret_cast<const uint8_t*>(Data.data()));  // read in place
  try {
    S.WriteBuffer("x");
    FAIL() << "no error";
  } catch (const EWriteError& E) {
    EXPECT_STREQ(E.what(), "Stream write error");
  }
  EXPECT_THROW(S.SetSize(2), EWriteError);
  EXPECT_EQ(S.DataString(), "fixed");
  TMemoryStream Empty{std::span<const uint8_t>()};
  EXPECT_EQ(Empty.Size(), 0);
  EXPECT_THROW(Empty.WriteBuffer("x"), EWriteError);
}

class FileStreamTest : public testing::Test {
 protected:
  test::TTempFolder Temp;
  std::string Dir = Temp.Path().string();
};

TEST_F(FileStreamTest, CreateWriteReopenRead) {
  const std::string Name = Dir + "/a.bin";
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer("0123456789");
    EXPECT_EQ(F.Size(), 10);
    EXPECT_EQ(F.Seek(2, TSeekOrigin::soBeginning), 2);
    F.WriteBuffer("ab");
  }
  {
    TFileStream F(Name, fmOpenRead);
    EXPECT_EQ(F.Size(), 10);
    EXPECT_EQ(F.Seek(-3, TSeekOrigin::soEnd), 7);
    char Buf[4] = {};
    EXPECT_THROW(F.ReadBuffer(Buf), EReadError);
    F.SetPosition(0);
    F.ReadBuffer(Buf);
    EXPECT_EQ(std::string(Buf, 4), "01ab");
    EXPECT_EQ(F.Remaining(), 6);
    EXPECT_THROW(F.WriteBuffer("x"), EWriteError);  // opened for reading
    EXPECT_THROW(F.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
  }
  {
    TFileStream F(Name, fmOpenReadWrite);
    F.Seek(0, TSeekOrigin::soEnd);
    F.WriteBuffer("!");
    EXPECT_EQ(F.Size(), 11);
  }
  TFileStream F(Name, fmCreate);  // truncates
  EXPECT_EQ(F.Size(), 0);
}

TEST_F(FileStreamTest, ReadsAcrossTheReadAheadWindowMatchTheFile) {
  const std::string Name = Dir + "/a.bin";
  const int64_t W = TFileStream::kWindowSize;
  std::string Pattern(static_cast<size_t>(3 * W + 123), '\0');
  for (size_t I = 0; I < Pattern.size(); ++I) Pattern[I] = static_cast<char>(I * 7 + I / 251);
  { TFileStream(Name, fmCreate).WriteBuffer(Pattern); }
  TFileStream F(Name, fmOpenRead);
  // Small reads that straddle a window's end, a read larger than the window, a seek back into
  // the window and a read that runs into the end of the file.
  const std::pair<int64_t, int64_t> Reads[] = {
      {0, 5}, {W - 3, 10}, {W + 100, 2 * W}, {W - 1, 1}, {2 * W, 7}, {3 * W + 100, 23}, {1, 0}};
  for (const auto& [At, Count] : Reads) {
    SCOPED_TRACE(At);
    std::string Got(static_cast<size_t>(Count), '\0');
    F.SetPosition(At);
    F.ReadBuffer(Got);
    EXPECT_EQ(Got, Pattern.substr(static_cast<size_t>(At), static_cast<size_t>(Count)));
    EXPECT_EQ(F.Position(), At + Count);
  }
  std::string Tail(30, '\0');
  F.SetPosition(3 * W + 100);
  EXPECT_EQ(F.Read(WritableByteSpan(Tail)), 23);  // short at the end of the file
  EXPECT_EQ(F.Read(WritableByteSpan(Tail)), 0);

  // A stream that writes sees its own writes, also where it has read ahead.
  TFileStream RW(Name, fmOpenReadWrite);
  char Two[2];
  RW.ReadBuffer(Two);
  RW.SetPosition(10);
  RW.WriteBuffer("XY");
  RW.SetPosition(9);
  char Four[4];
  RW.ReadBuffer(Four);
  EXPECT_EQ(std::string(Four, 4), Pattern.substr(9, 1) + "XY" + Pattern.substr(12, 1));
  RW.Seek(0, TSeekOrigin::soEnd);
  RW.WriteBuffer("end");
  EXPECT_EQ(RW.Size(), static_cast<int64_t>(Pattern.size()) + 3);
}

TEST_F(FileStreamTest, OpenFailuresNameTheFile) {
  auto En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind(En.get());
  const std::string Missing = Dir + "/missing.zos";
  try {
    TFileStream F(Missing, fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& E) {
    EXPECT_EQ(E.Message, "Cannot open file " + Missing + ".");
    EXPECT_EQ(E.FileName, Missing);
    EXPECT_EQ(E.ErrorCode, ENOENT);
  }
  En->SetLanguage("plk");
  try {
    TFileStream F(Missing, fmOpenRead);
    FAIL() << "no error";
  } catch (const EFOpenError& E) {
    EXPECT_EQ(E.Message, "Nie mo\xBFna otworzy\xE6 pliku " + Missing + ".");
  }
  // Neither a directory nor a pipe is opened (a pipe without a writer would block).
  EXPECT_THROW(TFileStream(Dir, fmOpenRead), EFOpenError);
  const std::string Fifo = Dir + "/fifo";
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  EXPECT_THROW(TFileStream(Fifo, fmOpenRead), EFOpenError);
}

TEST_F(FileStreamTest, DenyWriteIsAnAdvisoryLock) {
  const std::string Name = Dir + "/a.bin";
  { TFileStream(Name, fmCreate).WriteBuffer("data"); }
  auto Reader = std::make_unique<TFileStream>(Name, fmOpenRead | fmShareDenyWrite);
  auto SecondReader = std::make_unique<TFileStream>(Name, fmOpenRead | fmShareDenyWrite);
  EXPECT_THROW(TFileStream(Name, fmOpenReadWrite | fmShareExclusive), EFOpenError);
  // A create that cannot get its lock leaves the file as it was.
  EXPECT_THROW(TFileStream(Name, fmCreate | fmShareExclusive), EFOpenError);
  EXPECT_EQ(Reader->Size(), 4);
  TFileStream Unlocked(Name, fmOpenRead);  // no lock asked, none checked
  Reader.reset();
  SecondReader.reset();
  TFileStream Writer(Name, fmOpenReadWrite | fmShareExclusive);
  EXPECT_THROW(TFileStream(Name, fmOpenRead | fmShareDenyWrite), EFOpenError);
}

}  // namespace
}  // namespace quin
