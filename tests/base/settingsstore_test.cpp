#include "base/settingsstore.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

class SettingsStore : public testing::Test {
 protected:
  test::TTempFolder Temp;
  void WriteRaw(const std::string& Text) {
    std::ofstream F(Dir + "/settings.txt", std::ios::binary | std::ios::trunc);
    F << Text;
  }
  std::string Dir = Temp.Path().string();
};

TEST_F(SettingsStore, ValuesSurviveInTheFile) {
  const std::string Polish = Cp1250("Zażółć gęślą jaźń");
  const std::string Odd = "100% a b\n\tc\r\x01\x7F" + std::string(1, '\0') + "end\\";
  {
    TOrvRegistry R(Dir);
    ASSERT_TRUE(R.OpenKey("Software\\Quinview\\", "Files", true));
    EXPECT_TRUE(R.WriteBool("Maximized", true));
    EXPECT_TRUE(R.WriteBool("Hidden", false));
    EXPECT_TRUE(R.WriteInteger("Min", INT32_MIN));
    EXPECT_TRUE(R.WriteInteger("Max", INT32_MAX));
    EXPECT_TRUE(R.WriteString("LastDir", Polish));
    EXPECT_TRUE(R.WriteString("Odd name %", Odd));
    EXPECT_TRUE(R.WriteString("", "default value"));
    EXPECT_TRUE(R.WriteString("Empty", ""));
    R.CloseKey();
    EXPECT_EQ(R.FileName(), Dir + "/settings.txt");
  }
  TOrvRegistry R(Dir);
  ASSERT_TRUE(R.OpenKey("software\\QUINVIEW\\", "files", false));  // names ignore case
  EXPECT_TRUE(R.ReadBool("Maximized", false));
  EXPECT_FALSE(R.ReadBool("Hidden", true));
  EXPECT_EQ(R.ReadInteger("Min", 0), INT32_MIN);
  EXPECT_EQ(R.ReadInteger("MAX", 0), INT32_MAX);
  EXPECT_EQ(R.ReadString("LastDir", ""), Polish);
  EXPECT_EQ(R.ReadString("Odd name %", ""), Odd);
  EXPECT_EQ(R.ReadString("", ""), "default value");
  EXPECT_EQ(R.ReadString("Empty", "x"), "");
  // Only the settings file is left behind: every temporary file was renamed over it.
  int Files = 0;
  for (const auto& E : std::filesystem::directory_iterator(Dir)) {
    ++Files;
    EXPECT_EQ(E.path().filename(), "settings.txt");
  }
  EXPECT_EQ(Files, 1);
}

TEST_F(SettingsStore, ReadsFallBackToTheDefault) {
  TOrvRegistry R(Dir);
  // No key open at all.
  EXPECT_EQ(R.ReadInteger("X", 7), 7);
  EXPECT_EQ(R.ReadString("X", "d"), "d");
  EXPECT_FALSE(R.WriteInteger("X", 1));  // nowhere to write
  // A missing value in a missing key.
  EXPECT_FALSE(R.OpenKey("Missing\\", "Key", false));
  EXPECT_EQ(R.ReadInteger("X", 7), 7);

  ASSERT_TRUE(R.OpenKey("Types", "", true));
  R.WriteString("Text", "12");
  R.WriteInteger("Number", 12);
  R.WriteBool("Flag", true);
  struct Case {
    const char* Name;
    int32_t AsInt;
    std::string AsString;
    bool AsBool;
  } Cases[] = {
      {"Text", -1, "12", false},    // text does not read as a number or a Boolean
      {"Number", 12, "<d>", true},  // a number does not read as text
      {"Flag", 1, "<d>", true},     // a Boolean is a number
      {"Missing", -1, "<d>", false},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(R.ReadInteger(C.Name, -1), C.AsInt) << C.Name;
    EXPECT_EQ(R.ReadString(C.Name, "<d>"), C.AsString) << C.Name;
    EXPECT_EQ(R.ReadBool(C.Name, false), C.AsBool) << C.Name;
  }
  EXPECT_TRUE(R.DeleteValue("number"));
  EXPECT_FALSE(R.DeleteValue("Number"));
  EXPECT_EQ(R.ReadInteger("Number", -1), -1);
  EXPECT_EQ(R.InfoText1() + R.InfoText2() + R.InfoText3(), "");
}

TEST_F(SettingsStore, KeysExistAndAreEmpty) {
  TOrvRegistry R(Dir);
  EXPECT_FALSE(R.KeyExists("A"));
  EXPECT_TRUE(R.KeyIsEmpty("A"));  // cannot be opened
  ASSERT_TRUE(R.OpenKey("A\\", "B", true));
  R.CloseKey();
  EXPECT_TRUE(R.KeyExists("A"));
  EXPECT_TRUE(R.KeyExists("\\a\\b\\"));
  EXPECT_FALSE(R.KeyIsEmpty("A"));  // a subkey
  EXPECT_TRUE(R.KeyIsEmpty("A\\B"));
  ASSERT_TRUE(R.OpenKey("A\\", "B", false));
  R.WriteInteger("One", 1);
  R.CloseKey();
  EXPECT_FALSE(R.KeyIsEmpty("A\\B"));  // one value
  // Each root is a tree of its own.
  R.SetRootKey(TRegRoot::LocalMachine);
  EXPECT_FALSE(R.KeyExists("A"));
  // A key name beyond the limit is refused.
  EXPECT_FALSE(R.OpenKey(std::string(TOrvRegistry::MaxKeyNameLength + 1, 'k'), "", true));
  EXPECT_TRUE(R.OpenKey(std::string(TOrvRegistry::MaxKeyNameLength, 'k'), "", true));
}

TEST_F(SettingsStore, DeleteKeyRemovesEveryLevel) {
  TOrvRegistry R(Dir);
  ASSERT_TRUE(R.OpenKey("Top\\L1\\L2\\", "L3", true));
  R.WriteString("Deep", "x");
  R.CloseKey();
  ASSERT_TRUE(R.OpenKey("Top\\L1\\", "Sibling", true));
  R.WriteString("S", "y");  // this key stays open while its parent is deleted
  ASSERT_TRUE(R.OpenKey("Top", "", true));
  R.WriteInteger("Own", 1);
  ASSERT_TRUE(R.OpenKey("Top\\L1\\", "Sibling", false));

  EXPECT_TRUE(R.DeleteKey("Top\\L1"));
  EXPECT_FALSE(R.WriteString("S", "lost"));  // the open key went with it
  EXPECT_EQ(R.ReadString("S", "d"), "d");
  for (const char* K : {"Top\\L1", "Top\\L1\\L2", "Top\\L1\\L2\\L3", "Top\\L1\\Sibling"})
    EXPECT_FALSE(R.KeyExists(K)) << K;
  EXPECT_FALSE(R.KeyIsEmpty("Top"));  // its own value is kept
  EXPECT_FALSE(R.DeleteKey("Top\\L1"));
  EXPECT_FALSE(R.DeleteKey("Nowhere\\At\\All"));
  EXPECT_FALSE(R.DeleteKey(""));  // a root stays
  EXPECT_TRUE(R.DeleteKey("TOP"));
  TOrvRegistry Again(Dir);
  EXPECT_FALSE(Again.KeyExists("Top"));
}

TEST_F(SettingsStore, MoveKeyCopiesEverything) {
  TOrvRegistry R(Dir);
  ASSERT_TRUE(R.OpenKey("Old\\", "Sub", true));
  R.WriteInteger("N", 5);
  ASSERT_TRUE(R.OpenKey("Old", "", false));
  R.WriteString("S", "top");

  EXPECT_TRUE(R.MoveKey("Old", "Copy", false));
  ASSERT_TRUE(R.OpenKey("Copy\\", "Sub", false));
  EXPECT_EQ(R.ReadInteger("N", 0), 5);
  ASSERT_TRUE(R.OpenKey("Copy", "", false));
  EXPECT_EQ(R.ReadString("S", ""), "top");
  EXPECT_TRUE(R.KeyExists("Old\\Sub"));

  EXPECT_TRUE(R.MoveKey("Old", "New\\Place", true));
  EXPECT_FALSE(R.KeyExists("Old"));
  ASSERT_TRUE(R.OpenKey("New\\Place\\", "Sub", false));
  EXPECT_EQ(R.ReadInteger("N", 0), 5);

  // Into itself: refused, nothing lost.
  EXPECT_FALSE(R.MoveKey("New", "New\\Place\\Sub\\Deeper", true));
  EXPECT_FALSE(R.MoveKey("New", "new", true));
  EXPECT_TRUE(R.KeyExists("New\\Place\\Sub"));
  EXPECT_FALSE(R.MoveKey("Nowhere", "Else", true));
  EXPECT_FALSE(R.KeyExists("Else"));
}

TEST_F(SettingsStore, StoresOnOneFileSeeEachOther) {
  TOrvRegistry A(Dir), B(Dir);
  ASSERT_TRUE(B.OpenKey("Shared", "", true));
  EXPECT_EQ(B.ReadInteger("V", 0), 0);
  ASSERT_TRUE(A.OpenKey("Shared", "", false));
  ASSERT_TRUE(A.WriteInteger("V", 1));
  EXPECT_EQ(B.ReadInteger("V", 0), 1);
  ASSERT_TRUE(B.WriteInteger("W", 2));
  EXPECT_EQ(A.ReadInteger("V", 0), 1);  // B's write did not undo A's
  EXPECT_EQ(A.ReadInteger("W", 0), 2);
}

TEST_F(SettingsStore, ReadOnlyRootRefusesWrites) {
  TOrvRegistry R(Dir);
  R.SetRootKey(TRegRoot::ClassesRoot);
  ASSERT_TRUE(R.OpenKey(".zop", "", true));
  R.SetRootReadOnly(TRegRoot::ClassesRoot, true);
  EXPECT_FALSE(R.OpenKey(".new", "", true));
  ASSERT_TRUE(R.OpenKey(".zop", "", true));  // existing keys still open
  EXPECT_FALSE(R.WriteString("", "x"));
  EXPECT_FALSE(R.DeleteKey(".zop"));
  EXPECT_FALSE(R.MoveKey(".zop", ".other", false));
  EXPECT_TRUE(R.KeyExists(".zop"));
}

TEST_F(SettingsStore, DamagedFileReadsAsEmpty) {
  const std::string Good = "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nI V 5\n";
  {
    WriteRaw(Good);
    TOrvRegistry R(Dir);
    ASSERT_TRUE(R.OpenKey("K", "", false));
    ASSERT_EQ(R.ReadInteger("V", 0), 5);  // the format the damaged cases break
  }
  const std::string Cases[] = {
      "garbage",
      "QUINVIEW SETTINGS 2\nK HKEY_CURRENT_USER\\K\nI V 5\n",
      "QUINVIEW SETTINGS 1\nI V 5\nK HKEY_CURRENT_USER\\K\n",  // value before any key
      "QUINVIEW SETTINGS 1\nK HKEY_SOMEWHERE\\K\nI V 5\n",     // unknown root
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nI V 99999999999\nI V 5\n",
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nI V 5x\n",
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nS V %4\nI V 5\n",  // cut escape
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nS V a b\nI V 5\n",
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\n\nI V 5\n",
      "QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\" + std::string(300, 'k') + "\\K\nI V 5\n",
      Good.substr(0, Good.size() - 4) + std::string(TOrvRegistry::MaxFileSize, '5') + "\n",
      std::string("QUINVIEW SETTINGS 1\nK HKEY_CURRENT_USER\\K\nI V 5\n\0", 49),
  };
  for (const auto& Text : Cases) {
    WriteRaw(Text);
    TOrvRegistry R(Dir);
    EXPECT_FALSE(R.KeyExists("K")) << Text.substr(0, 80);
    EXPECT_EQ(R.ReadInteger("V", -1), -1);
    // The next write replaces the damaged file with a sound one.
    ASSERT_TRUE(R.OpenKey("Fresh", "", true));
    ASSERT_TRUE(R.WriteInteger("V", 3));
    TOrvRegistry Check(Dir);
    ASSERT_TRUE(Check.OpenKey("Fresh", "", false));
    EXPECT_EQ(Check.ReadInteger("V", 0), 3);
  }
}

TEST_F(SettingsStore, FolderComesFromTheEnvironmentUnlessSet) {
  ::setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
  EXPECT_EQ(SettingsFolder(), "/xdg/config/quinview");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  ::setenv("HOME", "/home/analyst", 1);
  EXPECT_EQ(SettingsFolder(), "/home/analyst/.config/quinview");
  SetSettingsFolder(Dir);
  EXPECT_EQ(SettingsFolder(), Dir);
  auto Store = NewSettingsStore();
  ASSERT_TRUE(Store->OpenKey("Software\\", "Quinview", true));
  EXPECT_TRUE(Store->WriteString("Language", "ENU"));
  EXPECT_TRUE(std::filesystem::exists(Dir + "/settings.txt"));
  SetSettingsFolder("");
  EXPECT_EQ(SettingsFolder(), "/home/analyst/.config/quinview");
}

}  // namespace
}  // namespace quin
