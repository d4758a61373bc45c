// Recent-file lists: adding and cutting, levels, the menu, the list control and the settings.
#include <gtest/gtest.h>

#include "base/orvfiles.h"
#include "base/orvstrings.h"
#include "base/settingsstore.h"
#include "base/text.h"
#include "desktop/orvrecents.h"
#include "tests/desktop/desktop_fixtures.h"

namespace quin {
namespace {

using test::TDesktopFixture;
using test::TFakeListControl;

class Recents : public TDesktopFixture {
 protected:
  // An existing file of the temporary folder.
  std::string Existing(const std::string& Name) { return Temp.Write(Name, "x"); }
  std::string Missing(const std::string& Name) { return Temp.File(Name); }
  static std::vector<std::string> Captions(const TWebMenuItem& Menu) {
    std::vector<std::string> C;
    for (const auto& I : Menu.Items()) C.push_back(TrimChar(I->Caption, ' '));
    return C;
  }
};

TEST_F(Recents, AddingCutsTheListAndMovesKnownFilesToTheFront) {
  TOrvRecents_Handler H;
  int Changes = 0;
  H.OnChange = [&] { ++Changes; };
  for (int I = 0; I < 27; ++I) H.AddFile(0, "/data/survey" + std::to_string(I) + ".zos");
  ASSERT_EQ(H.Files().Count(), 26);
  EXPECT_EQ(H.Files()[0]->Path, "/data/survey26.zos");
  EXPECT_EQ(H.Files().FindFile("/data/survey0.zos"), -1);  // the oldest went
  H.AddFile(0, "/DATA/Survey5.zos");
  EXPECT_EQ(H.Files().Count(), 26);
  EXPECT_EQ(H.Files()[0]->Path, "/DATA/Survey5.zos");  // moved, with its new case
  EXPECT_EQ(H.Files().FindFile("/data/survey5.zos"), 0);
  EXPECT_EQ(H.AddFile(0, ""), nullptr);
  EXPECT_EQ(Changes, 0);  // adding alone tells nobody
  // A relative name is taken in the current folder.
  H.AddFile(0, "rel/../report.zor");
  EXPECT_EQ(H.Files()[0]->Path, ExpandFileName("report.zor"));
  EXPECT_EQ(H.Files()[0]->Path[0], '/');
}

TEST_F(Recents, HigherLevelsNeedAnOpenFileAbove) {
  TOrvRecents_Handler H(2, {5, 3}, {'A', 'K'});
  int Changes = 0;
  H.OnChange = [&] { ++Changes; };
  // No survey open: a report has no list to go to, and nothing changes.
  EXPECT_EQ(H.AddFile(1, "/d/r1.zor"), nullptr);
  H.FileOpened(1, "/d/r1.zor");
  H.FileClosed(1, "/d/r1.zor");
  EXPECT_EQ(H.AddFile(2, "/d/x"), nullptr);
  EXPECT_EQ(H.AddFile(-1, "/d/x"), nullptr);
  EXPECT_EQ(Changes, 0);

  H.FileOpened(0, "/d/a.zos");
  EXPECT_EQ(H.CurrentFile(0), H.Files()[0]);
  EXPECT_TRUE(H.Files()[0]->Current);
  for (const char* R : {"/d/r1.zor", "/d/r2.zor", "/d/r3.zor", "/d/r4.zor"}) H.FileOpened(1, R);
  TOrvRecents_List& Reports = *H.Files()[0]->SubFiles;
  EXPECT_EQ(Reports.Count(), 3);
  EXPECT_EQ(Reports[0]->Path, "/d/r4.zor");
  EXPECT_EQ(H.CurrentFile(1), Reports[0]);
  // Opening another survey leaves the reports of the first behind.
  H.FileClosed(0, "/d/a.zos");
  H.FileOpened(0, "/d/b.zos");
  EXPECT_EQ(H.CurrentFile(1), nullptr);
  EXPECT_EQ(H.LevelList(1), H.Files()[0]->SubFiles.get());
  EXPECT_TRUE(H.LevelList(1)->Empty());
  // ClearLevel of a higher level empties that level's list only.
  H.FileOpened(1, "/d/r9.zor");
  H.ClearLevel(1);
  EXPECT_TRUE(H.LevelList(1)->Empty());
  EXPECT_EQ(H.Files().Count(), 2);
  EXPECT_EQ(H.CurrentFile(0), H.Files()[0]);
  EXPECT_EQ(H.CurrentFile(1), nullptr);
  H.ClearLevel(0);
  EXPECT_TRUE(H.Files().Empty());
  EXPECT_EQ(H.CurrentFile(0), nullptr);
}

TEST_F(Recents, AnOpenFileCutFromItsListIsForgotten) {
  TOrvRecents_Handler H(2, {2, 2}, {'A', 'K'});
  H.FileOpened(0, "/d/a.zos");
  H.FileOpened(1, "/d/r.zor");
  H.AddFile(0, "/d/b.zos");
  H.AddFile(0, "/d/c.zos");  // a.zos, the open survey, is cut
  EXPECT_EQ(H.Files().FindFile("/d/a.zos"), -1);
  EXPECT_EQ(H.CurrentFile(0), nullptr);
  EXPECT_EQ(H.CurrentFile(1), nullptr);
  EXPECT_EQ(H.AddFile(1, "/d/r2.zor"), nullptr);
  TWebMenuItem Menu;
  H.BuildMenu(Menu, -1, {});
  EXPECT_EQ(Captions(Menu)[0], "&A    /d/c.zos");
}

TEST_F(Recents, MenuSkipsOpenFilesAndClosesUpItsLetters) {
  TOrvRecents_Handler H(2, {5, 5}, {'A', 'K'});
  const std::string A = Existing("a.zos"), B = Existing("b.zos"), Gone = Missing("gone.zos");
  const std::string R = Existing("a.reports/r.zor");
  H.AddFile(0, Gone);
  H.AddFile(0, B);
  H.FileOpened(0, A);
  H.AddFile(1, R);
  TObject* Clicked = nullptr;
  TWebMenuItem Menu;
  Menu.Add("old", "old item");
  H.BuildMenu(Menu, -1, [&](TWebMenuItem& I) { Clicked = As<TOrvMenuItem>(&I)->TagObject; });
  const std::string Rel = MakeRelativeToCurrentDir(B);
  EXPECT_EQ(Captions(Menu), (std::vector<std::string>{"&A    " + MakeRelativeToCurrentDir(B),
                                                      "&B    " + MakeRelativeToCurrentDir(Gone),
                                                      "-", "&K    " + MakeRelativeToCurrentDir(R),
                                                      "-", "Remove obsolete...", "Remove all..."}));
  EXPECT_EQ(Menu[0].Caption, "&A    " + Rel + std::string(10, ' '));
  EXPECT_TRUE(Menu[0].Enabled);
  EXPECT_FALSE(Menu[1].Enabled);  // its file is gone
  EXPECT_EQ(As<TOrvMenuItem>(&Menu[0])->Hint, "Opens file " + B);
  Menu[0].OnClick(Menu[0]);
  EXPECT_EQ(Clicked, H.Files()[1]);
  EXPECT_EQ(Menu[5].Tag, -1);

  // "Remove obsolete..." asks first; No keeps the list.
  DialogsGuard.Dialogs->Answer = IDNO;
  Menu[5].OnClick(Menu[5]);
  EXPECT_EQ(H.Files().Count(), 3);
  ASSERT_EQ(DialogsGuard.Dialogs->Boxes.size(), 1u);
  EXPECT_EQ(DialogsGuard.Dialogs->Boxes[0].Text, "Remove obsolete recent file entries?");
  DialogsGuard.Dialogs->Answer = IDYES;
  Menu[5].OnClick(Menu[5]);
  EXPECT_EQ(H.Files().Count(), 2);
  EXPECT_EQ(H.Files().FindFile(Gone), -1);
  EXPECT_EQ(H.CurrentFile(0), H.Files()[0]);  // the open survey stays

  // One level: the open survey's reports.
  H.BuildMenu(Menu, 1, {});
  EXPECT_EQ(Captions(Menu)[0], "&K    " + MakeRelativeToCurrentDir(R));
  EXPECT_EQ(Menu[2].Tag, 1);
  Menu[3].OnClick(Menu[3]);  // "Remove all..." of the reports
  EXPECT_EQ(DialogsGuard.Dialogs->Boxes.back().Text, "Remove all recent file entries?");
  EXPECT_TRUE(H.LevelList(1)->Empty());
  EXPECT_EQ(H.Files().Count(), 2);
}

TEST_F(Recents, EmptyMenuHasOneDisabledItem) {
  TOrvRecents_Handler H;
  TWebMenuItem Menu;
  H.BuildMenu(Menu, 0, {});
  ASSERT_EQ(Menu.Count(), 1);
  EXPECT_EQ(Menu[0].Caption, "[no files]" + std::string(10, ' '));
  EXPECT_FALSE(Menu[0].Enabled);
  EXPECT_EQ(As<TOrvMenuItem>(&Menu[0])->Hint, "There are no recently opened files");
  // The only file is the open one: still nothing to offer.
  H.FileOpened(0, "/d/a.zos");
  H.BuildMenu(Menu, -1, {});
  ASSERT_EQ(Menu.Count(), 1);
  EXPECT_FALSE(Menu[0].Enabled);
  // Polish texts.
  App->LangManager().SetLanguage("plk");
  H.BuildMenu(Menu, 0, {});
  EXPECT_EQ(Cp1250ToUtf8(Menu[0].Caption), "[brak plików]" + std::string(10, ' '));
}

TEST_F(Recents, ListControlShortensPathsToItsWidth) {
  TOrvRecents_Handler H;
  const std::string Long = Existing("one/two/three/four/five/survey.zos");
  const std::string Short = Existing("s.zos");
  H.AddFile(0, Long);
  H.AddFile(0, Missing("gone.zos"));
  H.FileOpened(0, Short);
  TFakeListControl C;
  C.Width = 7 * 30 + 16 + 2 + 1;  // room for 30 characters
  H.FillListControl(C, 0);
  ASSERT_EQ(C.Items.size(), 1u);  // neither the open nor the missing file
  EXPECT_EQ(C.Data[0], H.Files()[2]);
  EXPECT_LE(C.Items[0].size(), 30u);
  EXPECT_NE(C.Items[0].find("..."), std::string::npos);
  EXPECT_EQ(C.Items[0].substr(C.Items[0].size() - 10), "survey.zos");
  // A control too narrow for any text still ends its shortening.
  C.Width = 0;
  H.FillListControl(C, 0);
  ASSERT_EQ(C.Items.size(), 1u);
  EXPECT_EQ(C.Items[0], "");
  // Nothing to offer.
  H.Clear();
  H.FillListControl(C, -1);
  EXPECT_EQ(C.Items, std::vector<std::string>{"[no files]"});
  EXPECT_EQ(C.Data[0], nullptr);
}

TEST_F(Recents, StringsOfEveryLevelStopAfterALevelWithoutOpenFile) {
  TOrvRecents_Handler H(3, {5, 5, 5}, {'A', 'K', 'U'});
  H.FileOpened(0, "/d/a.zos");
  H.AddFile(1, "/d/r.zor");
  H.AddFile(0, "/d/b.zos");
  TFakeListControl C;
  H.FillStrings(C, -1);
  EXPECT_EQ(C.Items, (std::vector<std::string>{MakeRelativeToCurrentDir("/d/b.zos"),
                                               MakeRelativeToCurrentDir("/d/a.zos"),
                                               MakeRelativeToCurrentDir("/d/r.zor")}));
  H.FillStrings(C, 1);
  EXPECT_EQ(C.Items.size(), 1u);
}

TEST_F(Recents, SettingsKeepEveryLevel) {
  TOrvRegistry Store(Temp.File("store"));
  const std::string Key = "Software\\Orvsoft\\Viewer\\";
  {
    // Values of an earlier save that the new one must not keep.
    Store.OpenKey(Key, "Recents\\Files7", true);
    Store.WriteString("File0", "/old.zor");
    Store.CloseKey();
    TOrvRecents_Handler H(2, {3, 2}, {'A', 'K'});
    H.FileOpened(0, "/d/a.zos");
    H.AddFile(1, "/d/r1.zor");
    H.AddFile(1, "/d/r2.zor");
    H.AddFile(0, "/d/b.zos");
    H.SaveToSettings(Store, Key);
  }
  EXPECT_FALSE(Store.KeyExists(Key + "Recents\\Files7"));
  ASSERT_TRUE(Store.OpenKey(Key, "Recents", false));
  EXPECT_EQ(Store.ReadInteger("Count", 0), 2);
  EXPECT_EQ(Store.ReadString("File0", ""), "/d/b.zos");
  EXPECT_EQ(Store.ReadString("File1", ""), "/d/a.zos");
  Store.CloseKey();
  ASSERT_TRUE(Store.OpenKey(Key, "Recents\\Files1", false));
  EXPECT_EQ(Store.ReadString("File0", ""), "/d/r2.zor");
  Store.CloseKey();

  TOrvRecents_Handler H(2, {3, 2}, {'A', 'K'});
  int Changes = 0;
  H.OnChange = [&] { ++Changes; };
  H.LoadFromSettings(Store, Key);
  EXPECT_EQ(Changes, 1);
  ASSERT_EQ(H.Files().Count(), 2);
  EXPECT_EQ(H.Files()[1]->Path, "/d/a.zos");
  ASSERT_EQ(H.Files()[1]->SubFiles->Count(), 2);
  EXPECT_EQ((*H.Files()[1]->SubFiles)[1]->Path, "/d/r1.zor");
  EXPECT_FALSE(H.Files()[1]->Current);

  // A damaged store: a count beyond the level's maximum, an empty and a repeated path.
  Store.OpenKey(Key, "Recents", true);
  Store.WriteInteger("Count", 1000000);
  Store.WriteString("File0", "/d/x.zos");
  Store.WriteString("File1", "");
  Store.WriteString("File2", "/D/X.zos");
  Store.WriteString("File3", "/d/y.zos");
  Store.CloseKey();
  H.LoadFromSettings(Store, Key);
  ASSERT_EQ(H.Files().Count(), 1);  // the count is capped at 3; two of those are unusable
  EXPECT_EQ(H.Files()[0]->Path, "/d/x.zos");
  EXPECT_EQ(H.Files()[0]->SubFiles->Count(), 0);  // Files0 was b.zos's, now x.zos's: none
}

}  // namespace
}  // namespace quin
