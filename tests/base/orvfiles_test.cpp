#include "base/orvfiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/langmanager.h"
#include "base/orvstreams.h"
#include "base/text.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

TEST(OrvFilesTest, ExtToMask) {
  const struct {
    const char* Ext;
    const char* Mask;
  } Cases[] = {{"zop", "*.zop"}, {".zop", "*.zop"}, {"tar.gz", "*.tar.gz"}, {"", "*."}};
  for (const auto& C : Cases) EXPECT_EQ(ExtToMask(C.Ext), C.Mask) << C.Ext;
}

TEST(OrvFilesTest, DialogFilterInBothLanguages) {
  auto En = New<TOrvLangManager>("enu");
  auto Pl = New<TOrvLangManager>("plk");
  {
    TLangManagerBinding Bind(En.get());
    EXPECT_EQ(MakeDialogFilter({"Reports"}, {"*.zor"}, true),
              "Reports (*.zor)|*.zor|All files (*.*)|*.*");
    EXPECT_EQ(MakeDialogFilter({"Reports", "Surveys"}, {"*.zor", "*.zos"}, false),
              "Reports (*.zor)|*.zor|Surveys (*.zos)|*.zos");
    EXPECT_EQ(MakeDialogFilter({}, {}, true), "All files (*.*)|*.*");
    EXPECT_EQ(MakeDialogFilter({}, {}, false), "");
    // Arrays of different lengths give no filter at all, not even "All files".
    EXPECT_EQ(MakeDialogFilter({"Reports"}, {}, true), "");
    EXPECT_EQ(MakeDialogFilter({"Reports"}, {"*.zor", "*.zos"}, false), "");
  }
  TLangManagerBinding Bind(Pl.get());
  EXPECT_EQ(MakeDialogFilter({"Raporty"}, {"*.zor"}, true),
            "Raporty (*.zor)|*.zor|Wszystkie pliki (*.*)|*.*");
}

TEST(OrvFilesTest, ShortenPath) {
  const struct {
    const char* Path;
    int MaxLen;
    const char* Expected;
  } Cases[] = {
      {R"(C:\one\two\three\file.txt)", 20, R"(C:\...\file.txt)"},
      {R"(C:\one\two\three\file.txt)", 25, R"(C:\one\two\three\file.txt)"},  // fits
      {R"(C:\one\two\three\file.txt)", 22, R"(C:\...\three\file.txt)"},
      {"/one/two/three/file.txt", 20, "/.../three/file.txt"},
      {"/one/two/three/file.txt", 13, "/.../file.txt"},
      {R"(C:/one\two/file.txt)", 15, R"(C:/...\file.txt)"},  // mixed separators
      {R"(one\two\three\file.txt)", 15, R"(...\file.txt)"},  // relative: first folder goes
      {"one/two/three/file.txt", 18, ".../three/file.txt"},
      {R"(\\srv\share\dir\f.txt)", 15, R"(\\...\dir\f.txt)"},
      // Nothing left to remove: the result is cut.
      {R"(C:\one\two\file.txt)", 5, R"(C:\..)"},
      // Only one separator: no "..." at all, only the cut.
      {R"(folder\file.txt)", 6, "folder"},
      {"verylongname.txt", 4, "very"},
      {R"(C:\file.txt)", 5, R"(C:\fi)"},
      {"", 5, ""},
      {R"(C:\one\file.txt)", -1, ""},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(ShortenPath(C.Path, C.MaxLen), C.Expected) << C.Path << " to " << C.MaxLen;
}

TEST(OrvFilesTest, ShortenPathNeverExceedsMaxLen) {
  const std::string Path = R"(C:\a\bb\\ccc\...\dddd\e\file.name.txt)";
  for (int Len = 0; Len <= static_cast<int>(Path.size()) + 1; ++Len)
    EXPECT_LE(ShortenPath(Path, Len).size(), static_cast<size_t>(Len));
}

TEST(OrvFilesTest, BackupFileName) {
  const struct {
    const char* Name;
    const char* Backup;
  } Cases[] = {
      {"report.zor", "report.~zor"},
      {"report", "report.~"},
      {"x.", "x.~"},
      {R"(C:\dir.d\report)", R"(C:\dir.d\report.~)"},
      {"/data.v1/c.tar.gz", "/data.v1/c.tar.~gz"},
      {"Report.xls", "Report.~xls"},
  };
  for (const auto& C : Cases) EXPECT_EQ(BackupFileName(C.Name), C.Backup) << C.Name;
}

TEST(OrvFilesTest, MakeRelativePath) {
  const struct {
    const char* Path;
    const char* Base;
    const char* Expected;
  } Cases[] = {
      {R"(C:\Data\Surveys\a.zos)", R"(c:\data)", R"(Surveys\a.zos)"},
      {R"(C:\Data\Surveys\a.zos)", R"(C:\DATA\)", R"(Surveys\a.zos)"},
      {"/home/u/data/a.zos", "/home/u", "data/a.zos"},
      {"/home/u/data/a.zos", "/home/u/", "data/a.zos"},
      {R"(C:/Data\Surveys/a.zos)", R"(c:\data/surveys)", "a.zos"},     // separators are alike
      {R"(C:\Database\a.zos)", R"(C:\Data)", R"(C:\Database\a.zos)"},  // not a folder prefix
      {R"(C:\Data)", R"(C:\Data)", R"(C:\Data)"},
      {R"(C:\Data\)", R"(C:\Data)", ""},
      {R"(D:\Data\a.zos)", R"(C:\Data)", R"(D:\Data\a.zos)"},
      {"/a/b", "", "/a/b"},  // no base: unchanged
  };
  for (const auto& C : Cases)
    EXPECT_EQ(MakeRelativePath(C.Path, C.Base), C.Expected) << C.Path << " - " << C.Base;
}

TEST(OrvFilesTest, MakeRelativeToCurrentDir) {
  const std::string Cur = fs::current_path().string();
  EXPECT_EQ(MakeRelativeToCurrentDir(Cur + "/sub/x.zos"), "sub/x.zos");
  EXPECT_EQ(MakeRelativeToCurrentDir("relative/x.zos"), "relative/x.zos");
}

TEST(OrvFilesTest, TextTables) {
  const TTextTable& IO = IOErrorTexts();
  ASSERT_EQ(IO.size(), 31u);
  std::set<std::string> Keys;
  for (const TTextTableEntry& E : IO) {
    EXPECT_EQ(E.Name.size(), 9u);
    EXPECT_EQ(E.Name.rfind("IOErr", 0), 0u) << E.Name;
    EXPECT_EQ(E.Value.rfind("<PLK>", 0), 0u) << E.Name;
    EXPECT_NE(E.Value.find("<ENU>"), std::string::npos) << E.Name;
    Keys.insert(E.Name);
  }
  EXPECT_EQ(Keys.size(), 31u);
  EXPECT_EQ(IO.front().Name, "IOErr0002");
  EXPECT_EQ(IO.back().Name, "IOErr0161");

  const TTextTable& Colors = ColorNames();
  ASSERT_EQ(Colors.size(), 53u);
  EXPECT_EQ(Colors[0].Name, "Custom...");
  EXPECT_EQ(Colors[0].Value, Cp1250("<PLK>Własny...<ENU>Custom..."));
  EXPECT_EQ(Colors[1].Name, "clBlack");
  EXPECT_EQ(Colors[17].Name, "clMoneyGreen");
  EXPECT_EQ(Colors[46].Name, "clNone");
  EXPECT_EQ(Colors.back().Name, "clWindowText");
  const struct {
    const char* Name;
    const char* Value;
  } Rows[] = {{"clBlack", "<PLK>Czarny<ENU>Black"},
              {"clMoneyGreen", "<PLK>Zielony pieniędzy<ENU>Money green"},
              {"CLNONE", "<PLK>Brak<ENU>None"},
              {"clWindowText", "<PLK>Tekst okna<ENU>Window text"}};
  for (const auto& R : Rows) EXPECT_EQ(TextTableValue(Colors, R.Name), Cp1250(R.Value));
  EXPECT_EQ(TextTableValue(Colors, "clNoSuchColour"), "");
}

TEST(OrvFilesTest, IOErrorLookups) {
  EXPECT_EQ(IOErrorKey(2), "IOErr0002");
  EXPECT_EQ(IOErrorKey(161), "IOErr0161");
  EXPECT_EQ(IOErrorKey(0), "IOErr0000");
  EXPECT_EQ(IOErrorKey(9999), "IOErr9999");
  EXPECT_EQ(IOErrorKey(-1), "");
  EXPECT_EQ(IOErrorKey(10000), "");
  EXPECT_EQ(IOErrorText(2), Cp1250("<PLK>Plik nie został znaleziony.<ENU>File not found."));
  EXPECT_EQ(IOErrorText(32), Cp1250("<PLK>Brak dostępu - prawdopodobnie plik używany przez "
                                    "inną aplikację.<ENU>File access denied - possibly in use "
                                    "by another application."));
  EXPECT_EQ(IOErrorText(1), "");
  EXPECT_EQ(IOErrorText(-5), "");

  auto En = New<TOrvLangManager>("enu");
  EXPECT_EQ(En->Translate(IOErrorText(161)), "Invalid path name.");
}

TEST(OrvFilesTest, ErrnoMapping) {
  const struct {
    int Errno;
    bool Writing;
    int Code;
  } Cases[] = {
      {ENOENT, false, 2},         {ENOTDIR, false, 3}, {EMFILE, false, 4},  {EACCES, false, 5},
      {EPERM, true, 5},           {EBADF, false, 6},   {ENOMEM, false, 8},  {EBUSY, false, 32},
      {EIO, false, 100},          {EIO, true, 101},    {ENOSPC, true, 112}, {EROFS, true, 150},
      {ENAMETOOLONG, false, 161}, {EXDEV, false, 17},  {EINVAL, false, 0},  {0, false, 0},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(IOErrorCodeOfErrno(C.Errno, C.Writing), C.Code) << C.Errno;
    if (C.Code != 0) {
      EXPECT_NE(IOErrorText(C.Code), "") << C.Code;
    }
  }
}

// A fresh folder, removed with its contents afterwards.
class TempFolderTest : public testing::Test {
 protected:
  test::TTempFolder Temp;
  std::string Dir = Temp.Path().string();
  std::string Path(const std::string& Name) const { return Dir + "/" + Name; }
  static void Write(const std::string& Name, const std::string& Content) {
    std::ofstream(Name, std::ios::binary) << Content;
  }
  static std::string Read(const std::string& Name) {
    std::ifstream In(Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), {});
  }
  std::unique_ptr<TOrvLangManager> En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind{En.get()};
};

TEST_F(TempFolderTest, FileSizeByName) {
  Write(Path("five.bin"), "12345");
  Write(Path("empty.bin"), "");
  EXPECT_EQ(FileSizeByName(Path("five.bin")), 5);
  EXPECT_EQ(FileSizeByName(Path("empty.bin")), 0);
  EXPECT_THROW(FileSizeByName(Path("missing.bin")), EFOpenError);
  EXPECT_THROW(FileSizeByName(Dir), EFOpenError);
}

TEST_F(TempFolderTest, BackupFileMovesOrCopies) {
  for (const bool Copy : {false, true}) {
    const std::string F = Path(Copy ? "copied.zor" : "moved.zor");
    const std::string B = BackupFileName(F);
    Write(F, "new version");
    Write(B, "old backup");
    BackupFile(F, Copy);
    EXPECT_EQ(Read(B), "new version") << Copy;
    EXPECT_EQ(fs::exists(F), Copy);
    if (Copy) {
      EXPECT_EQ(Read(F), "new version");
    }
  }
}

TEST_F(TempFolderTest, BackupFileOfEmptyOrMissingFile) {
  // An empty file: the file and the old backup are left alone.
  const std::string F = Path("empty.zor");
  Write(F, "");
  Write(BackupFileName(F), "old backup");
  BackupFile(F, false);
  EXPECT_TRUE(fs::exists(F));
  EXPECT_EQ(Read(BackupFileName(F)), "old backup");

  // A missing file: the old backup goes, nothing else happens.
  const std::string M = Path("missing.zor");
  Write(BackupFileName(M), "old backup");
  BackupFile(M, true);
  EXPECT_FALSE(fs::exists(BackupFileName(M)));
  EXPECT_FALSE(fs::exists(M));
  BackupFile(M, false);  // neither exists: still nothing
  EXPECT_FALSE(fs::exists(M));
}

TEST_F(TempFolderTest, BackupFileFailureIsReported) {
  // A folder in place of the backup is neither deleted nor overwritten, and the failure is
  // raised instead of letting the caller overwrite the only copy.
  const std::string F = Path("report.zor");
  Write(F, "data");
  fs::create_directory(BackupFileName(F));
  Write(BackupFileName(F) + "/inside", "x");
  for (const bool Copy : {false, true}) {
    try {
      BackupFile(F, Copy);
      ADD_FAILURE() << "no error raised";
    } catch (const EBackupError& E) {
      EXPECT_EQ(E.FileName, BackupFileName(F));
      EXPECT_NE(E.Message.find("report.~zor"), std::string::npos) << E.Message;
    }
    EXPECT_EQ(Read(F), "data");
    EXPECT_TRUE(fs::exists(BackupFileName(F) + "/inside"));
  }
  // A folder given as the file to back up is refused too.
  fs::create_directory(Path("folder.d"));
  EXPECT_THROW(BackupFile(Path("folder.d"), false), EBackupError);
  EXPECT_TRUE(fs::is_directory(Path("folder.d")));
}

}  // namespace
}  // namespace quin
