#include "base/orvstreams.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "base/langmanager.h"

namespace quin {
namespace {

TEST(MemoryStream, WritesSeeksAndReads) {
  TMemoryStream S;
  S.WriteBuffer("abcdef", 6);
  EXPECT_EQ(S.Size(), 6);
  EXPECT_EQ(S.Position(), 6);
  EXPECT_EQ(S.Seek(-4, TSeekOrigin::soEnd), 2);
  char Buf[3];
  S.ReadBuffer(Buf, 3);
  EXPECT_EQ(std::string(Buf, 3), "cde");
  EXPECT_EQ(S.Remaining(), 1);
  EXPECT_EQ(S.Seek(-1, TSeekOrigin::soCurrent), 4);
  S.WriteBuffer("XYZ", 3);  // overwrites one byte, then extends
  EXPECT_EQ(S.DataString(), "abcdXYZ");
  // Writing after a seek past the end leaves zero bytes in the gap.
  S.SetPosition(9);
  EXPECT_EQ(S.Remaining(), 0);
  S.WriteBuffer("!", 1);
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
  EXPECT_EQ(S.Read(Buf, 8), 3);
  EXPECT_EQ(S.Read(Buf, 8), 0);
  S.SetPosition(1);
  try {
    S.ReadBuffer(Buf, 3);
    FAIL() << "no error";
  } catch (const EReadError& E) {
    EXPECT_STREQ(E.what(), "Stream read error");
  }
  S.SetPosition(0);
  EXPECT_THROW(S.ReadBuffer(Buf, -1), EReadError);
  S.SetPosition(100);
  EXPECT_THROW(S.ReadBuffer(Buf, 1), EReadError);
  S.SetPosition(0);
  S.ReadBuffer(Buf, 0);  // nothing asked, nothing read
  EXPECT_EQ(S.Position(), 0);
}

TEST(MemoryStream, BorrowedBytesAreReadOnly) {
  const std::string Data = "fixed";
  TMemoryStream S(Data);
  EXPECT_TRUE(S.ReadOnly());
  EXPECT_EQ(S.Memory(), reinterpret_cast<const uint8_t*>(Data.data()));  // read in place
  try {
    S.WriteBuffer("x", 1);
    FAIL() << "no error";
  } catch (const EWriteError& E) {
    EXPECT_STREQ(E.what(), "Stream write error");
  }
  EXPECT_THROW(S.SetSize(2), EWriteError);
  EXPECT_EQ(S.DataString(), "fixed");
  TMemoryStream Empty(nullptr, 0);
  EXPECT_EQ(Empty.Size(), 0);
  EXPECT_THROW(Empty.WriteBuffer("x", 1), EWriteError);
  EXPECT_THROW(TMemoryStream(nullptr, 5), EStreamError);
  EXPECT_THROW(TMemoryStream(Data.data(), -1), EStreamError);
}

class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string Templ = ::testing::TempDir() + "quin_streams_XXXXXX";
    ASSERT_NE(::mkdtemp(Templ.data()), nullptr);
    Dir = Templ;
  }
  void TearDown() override {
    for (const char* Name : {"/a.bin", "/fifo"}) ::unlink((Dir + Name).c_str());
    ::rmdir(Dir.c_str());
  }
  std::string Dir;
};

TEST_F(FileStreamTest, CreateWriteReopenRead) {
  const std::string Name = Dir + "/a.bin";
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer("0123456789", 10);
    EXPECT_EQ(F.Size(), 10);
    EXPECT_EQ(F.Seek(2, TSeekOrigin::soBeginning), 2);
    F.WriteBuffer("ab", 2);
  }
  {
    TFileStream F(Name, fmOpenRead);
    EXPECT_EQ(F.Size(), 10);
    EXPECT_EQ(F.Seek(-3, TSeekOrigin::soEnd), 7);
    char Buf[4] = {};
    EXPECT_THROW(F.ReadBuffer(Buf, 4), EReadError);
    F.SetPosition(0);
    F.ReadBuffer(Buf, 4);
    EXPECT_EQ(std::string(Buf, 4), "01ab");
    EXPECT_EQ(F.Remaining(), 6);
    EXPECT_THROW(F.WriteBuffer("x", 1), EWriteError);  // opened for reading
    EXPECT_THROW(F.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
  }
  {
    TFileStream F(Name, fmOpenReadWrite);
    F.Seek(0, TSeekOrigin::soEnd);
    F.WriteBuffer("!", 1);
    EXPECT_EQ(F.Size(), 11);
  }
  TFileStream F(Name, fmCreate);  // truncates
  EXPECT_EQ(F.Size(), 0);
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
  { TFileStream(Name, fmCreate).WriteBuffer("data", 4); }
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
