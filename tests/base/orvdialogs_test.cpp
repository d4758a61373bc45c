#include "base/orvdialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/settingsstore.h"
#include "base/text.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

// Records every box and dialog and answers as told.
class TRecordingHandler : public TDialogHandler {
 public:
  struct TBox {
    std::string Text;
    std::string Caption;
    unsigned Flags;
  };
  std::vector<TBox> Boxes;
  int Answer = IDYES;

  std::vector<TFileDialogParams> Dialogs;
  bool Confirm = true;
  bool Fail = false;
  std::string ChosenName;
  TDynStringArr ChosenFiles;
  int ChosenFilter = 0;

  int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) override {
    Boxes.push_back({Text, Caption, Flags});
    return Answer;
  }
  bool FileDialog(TFileDialogParams& Dialog) override {
    Dialogs.push_back(Dialog);
    if (Fail) {
      Dialog.Files = {"half", "filled"};
      throw Exception("dialog failed");
    }
    if (!Confirm) return false;
    Dialog.FileName = ChosenName;
    Dialog.Files = ChosenFiles;
    if (ChosenFilter) Dialog.FilterIndex = ChosenFilter;
    return true;
  }
};

// Restores the process-wide handler and last folder; gives a temporary folder.
class DialogsTest : public testing::Test {
 protected:
  void SetUp() override { SetLastDialogDir(""); }
  void TearDown() override {
    SetDialogHandler(nullptr);
    SetLastDialogDir("");
  }
  std::shared_ptr<TRecordingHandler> Record() {
    auto H = std::make_shared<TRecordingHandler>();
    SetDialogHandler(H);
    return H;
  }
  test::TTempFolder Temp;
  std::string Dir = Temp.Path().string();
  std::unique_ptr<TOrvLangManager> En = New<TOrvLangManager>("enu");
  std::unique_ptr<TOrvLangManager> Pl = New<TOrvLangManager>("plk");
};

TEST_F(DialogsTest, HeadlessHandlerRefusesAndNeverBlocks) {
  THeadlessDialogHandler H;
  const struct {
    unsigned Flags;
    int Id;
  } Cases[] = {
      {MB_YESNO | MB_ICONQUESTION, IDNO},
      {MB_YESNOCANCEL | MB_ICONQUESTION, IDCANCEL},
      {MB_OKCANCEL, IDCANCEL},
      {MB_RETRYCANCEL, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT},
      {0x0E, IDCANCEL},  // an unknown button set
  };
  for (const auto& C : Cases) EXPECT_EQ(H.MessageBox("Text", "Caption", C.Flags), C.Id);

  TLangManagerBinding Bind(En.get());
  EXPECT_EQ(ConfirmYesNo("<PLK>Zapisać?<ENU>Save?"), IDNO);
  EXPECT_EQ(ConfirmYesNoCancel("<PLK>Zapisać?<ENU>Save?"), IDCANCEL);

  testing::internal::CaptureStderr();
  ErrorBox(Cp1250("<PLK>Brak miejsca na dysku.<ENU>Disk full."));
  EXPECT_EQ(ShowMessageBox("Done.", "Info", MB_OK), IDOK);
  const std::string Err = testing::internal::GetCapturedStderr();
  EXPECT_NE(Err.find("Error: Disk full."), std::string::npos) << Err;
  EXPECT_NE(Err.find("Info: Done."), std::string::npos) << Err;

  TFileDialogParams D;
  EXPECT_FALSE(H.FileDialog(D));
  std::string Name = "unchanged";
  EXPECT_FALSE(ExecuteFileDialog(FileDialogSave, "Save", "", "a.zor", Name));
  EXPECT_EQ(Name, "unchanged");
}

TEST_F(DialogsTest, HandlerCanBeReplacedAndRestored) {
  auto H = std::make_shared<TRecordingHandler>();
  std::shared_ptr<TDialogHandler> Previous = SetDialogHandler(H);
  ASSERT_TRUE(Previous);
  EXPECT_EQ(DialogHandler(), H);
  EXPECT_EQ(SetDialogHandler(nullptr), H);
  EXPECT_NE(DialogHandler(), H);
  EXPECT_EQ(ShowMessageBox("?", "?", MB_YESNO), IDNO);  // headless again
}

TEST_F(DialogsTest, BoxesAreTranslatedWithTheSessionLanguage) {
  auto H = Record();
  H->Answer = IDYES;
  const std::string Msg = Cp1250("<PLK>Nadpisać plik?<ENU>Overwrite the file?");
  const struct {
    TOrvLangManager* Lang;
    const char* Text;
    const char* ErrorCaption;
    const char* ConfirmCaption;
  } Cases[] = {{En.get(), "Overwrite the file?", "Error", "Confirm"},
               {Pl.get(), "Nadpisać plik?", "Błąd", "Potwierdź"}};
  for (const auto& C : Cases) {
    TLangManagerBinding Bind(C.Lang);
    H->Boxes.clear();
    ErrorBox(Msg);
    EXPECT_EQ(ConfirmYesNoCancel(Msg), IDYES);
    EXPECT_EQ(ConfirmYesNo(Msg), IDYES);
    ASSERT_EQ(H->Boxes.size(), 3u);
    for (const auto& B : H->Boxes) EXPECT_EQ(B.Text, Cp1250(C.Text));
    EXPECT_EQ(H->Boxes[0].Caption, Cp1250(C.ErrorCaption));
    EXPECT_EQ(H->Boxes[1].Caption, Cp1250(C.ConfirmCaption));
    EXPECT_EQ(H->Boxes[2].Caption, Cp1250(C.ConfirmCaption));
    EXPECT_EQ(H->Boxes[0].Flags, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(H->Boxes[1].Flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(H->Boxes[2].Flags, MB_YESNO | MB_ICONQUESTION);
  }
  // The pressed button reaches the caller as it is.
  H->Answer = IDNO;
  EXPECT_EQ(ConfirmYesNo("x"), IDNO);
}

TEST_F(DialogsTest, FileDialogSettingsAndResults) {
  auto H = Record();
  fs::create_directory(Dir + "/sub");
  SetLastDialogDir(Dir);
  H->ChosenName = Dir + "/sub/chosen.zor";
  H->ChosenFilter = 2;
  std::string Name;
  int Filter = 3;
  ASSERT_TRUE(ExecuteFileDialog(FileDialogOpen, "Open", "A|*.a|B|*.b", "start.zor", Name, nullptr,
                                &Filter, ofHideReadOnly, ofFileMustExist));
  ASSERT_EQ(H->Dialogs.size(), 1u);
  const TFileDialogParams& D = H->Dialogs[0];
  EXPECT_EQ(D.Kind, FileDialogOpen);
  EXPECT_EQ(D.Title, "Open");
  EXPECT_EQ(D.Filter, "A|*.a|B|*.b");
  EXPECT_EQ(D.InitialDir, Dir);
  EXPECT_EQ(D.FileName, "start.zor");
  EXPECT_EQ(D.FilterIndex, 3);
  EXPECT_EQ(D.Options, ofEnableSizing | ofPathMustExist | ofFileMustExist);
  EXPECT_EQ(Name, H->ChosenName);
  EXPECT_EQ(Filter, 2);
  EXPECT_EQ(LastDialogDir(), Dir + "/sub");

  // A save dialog; a last folder that no longer exists is not offered.
  SetLastDialogDir(Dir + "/gone");
  ASSERT_TRUE(ExecuteFileDialog(FileDialogSave, "Save", "", "", Name, nullptr, nullptr,
                                ofPathMustExist, 0));
  EXPECT_EQ(H->Dialogs[1].Options, DefaultOpenOptions | ofOverwritePrompt | ofCreatePrompt);
  EXPECT_EQ(H->Dialogs[1].InitialDir, "");
  EXPECT_EQ(H->Dialogs[1].FilterIndex, 1);

  // A cancelled dialog changes nothing.
  H->Confirm = false;
  Name = "kept";
  Filter = 3;
  EXPECT_FALSE(ExecuteFileDialog(FileDialogOpen, "Open", "", "", Name, nullptr, &Filter));
  EXPECT_EQ(Name, "kept");
  EXPECT_EQ(Filter, 3);

  EXPECT_THROW(ExecuteFileDialog(2, "", "", "", Name), EListError);
  EXPECT_THROW(ExecuteFileDialog(-1, "", "", "", Name), EListError);
}

TEST_F(DialogsTest, FileDialogMultipleSelectionAndErrors) {
  auto H = Record();
  fs::create_directory(Dir + "/a");
  H->ChosenFiles = {Dir + "/a/1.zos", Dir + "/b/2.zos"};
  H->ChosenName = H->ChosenFiles[0];
  std::string Name = "kept";
  TDynStringArr Files = {"stale"};
  ASSERT_TRUE(
      ExecuteFileDialog(FileDialogOpen, "", "", "", Name, &Files, nullptr, 0, ofAllowMultiSelect));
  EXPECT_EQ(Files, H->ChosenFiles);
  EXPECT_EQ(Name, "kept");
  EXPECT_EQ(LastDialogDir(), Dir + "/a");

  // Without multiple selection the name goes to FileName, even when a list is passed.
  Files.clear();
  ASSERT_TRUE(ExecuteFileDialog(FileDialogOpen, "", "", "", Name, &Files));
  EXPECT_EQ(Name, H->ChosenName);
  EXPECT_TRUE(Files.empty());

  // An error in the dialog empties the list and passes on.
  H->Fail = true;
  Files = {"stale"};
  EXPECT_THROW(
      ExecuteFileDialog(FileDialogOpen, "", "", "", Name, &Files, nullptr, 0, ofAllowMultiSelect),
      Exception);
  EXPECT_TRUE(Files.empty());
}

TEST_F(DialogsTest, SaveDialogAddsTheDefaultExtension) {
  auto H = Record();
  const struct {
    const char* Chosen;
    const char* DefaultExt;
    const char* Expected;
  } Cases[] = {
      {"/r/report", "zor", "/r/report.zor"},
      {"/r/report", ".zor", "/r/report.zor"},
      {"/r/report.txt", "zor", "/r/report.txt"},
      {"/r.d/report", "zor", "/r.d/report.zor"},
      {R"(C:\r.d\report)", "zor", R"(C:\r.d\report.zor)"},
      {"/r/report", "", "/r/report"},
  };
  for (const auto& C : Cases) {
    H->ChosenName = C.Chosen;
    std::string Name;
    int Filter = 1;
    ASSERT_TRUE(ExecuteSaveDialog("Save", "", C.DefaultExt, "", Name, &Filter));
    EXPECT_EQ(Name, C.Expected) << C.Chosen << " + " << C.DefaultExt;
    EXPECT_EQ(H->Dialogs.back().Kind, FileDialogSave);
  }
}

TEST_F(DialogsTest, RememberDialogDir) {
  fs::create_directory(Dir + "/sub");
  std::ofstream(Dir + "/sub/file.zos") << "x";
  const struct {
    std::string Path;
    std::string Expected;
  } Cases[] = {
      {Dir + "/sub", Dir + "/sub"},            // a folder
      {Dir + "/sub/file.zos", Dir + "/sub"},   // a file: its folder
      {Dir + "/sub/new.zos", Dir + "/sub"},    // a name still to be created
      {Dir + "/missing/new.zos", "previous"},  // the folder does not exist
      {"", "previous"},
      {"new.zos", "previous"},  // no folder part
  };
  for (const auto& C : Cases) {
    SetLastDialogDir("previous");
    RememberDialogDir(C.Path);
    EXPECT_EQ(LastDialogDir(), C.Expected) << C.Path;
  }
  SetLastDialogDir("previous");
  RememberDialogDir("/etc.zos");  // the root is a folder too
  EXPECT_EQ(LastDialogDir(), "/");
}

TEST_F(DialogsTest, LastDirSettingRoundTrip) {
  const std::string Key = R"(Software\Quin\Test\)";
  {
    TOrvRegistry Store(Dir + "/settings");
    SetLastDialogDir(Cp1250("/data/ankiety łódzkie"));
    EXPECT_TRUE(SaveLastDirSetting(Store, Key));
    // The key is closed again: nothing can be written without opening one.
    EXPECT_FALSE(Store.WriteString("Stray", "x"));
  }
  SetLastDialogDir("");
  TOrvRegistry Store(Dir + "/settings");
  EXPECT_TRUE(LoadLastDirSetting(Store, Key));
  EXPECT_EQ(LastDialogDir(), Cp1250("/data/ankiety łódzkie"));
  EXPECT_FALSE(Store.WriteString("Stray", "x"));
  ASSERT_TRUE(Store.OpenKey(Key, "Files", false));
  EXPECT_EQ(Store.ReadString("LastDir", ""), Cp1250("/data/ankiety łódzkie"));
  Store.CloseKey();

  // A key without the value keeps the folder in force.
  SetLastDialogDir("/kept");
  EXPECT_TRUE(LoadLastDirSetting(Store, R"(Software\Quin\Other\)"));
  EXPECT_EQ(LastDialogDir(), "/kept");
}

// A store that fails as told and counts CloseKey.
class TFailingStore : public TOrvRegistry {
 public:
  explicit TFailingStore(std::string Folder) : TOrvRegistry(std::move(Folder)) {}
  bool OpenFails = false;
  bool ReadThrows = false;
  int Closed = 0;
  bool OpenKey(std::string_view Base, std::string_view SubKey, bool CanCreate) override {
    return !OpenFails && TOrvRegistry::OpenKey(Base, SubKey, CanCreate);
  }
  std::string ReadString(std::string_view Name, std::string_view Default) override {
    if (ReadThrows) throw Exception("read failed");
    return TOrvRegistry::ReadString(Name, Default);
  }
  void CloseKey() override {
    ++Closed;
    TOrvRegistry::CloseKey();
  }
};

TEST_F(DialogsTest, LastDirSettingClosesTheKeyInEveryCase) {
  TFailingStore Store(Dir + "/settings");
  SetLastDialogDir("/kept");
  Store.OpenFails = true;
  int Before = Store.Closed;
  EXPECT_FALSE(LoadLastDirSetting(Store, "K\\"));
  EXPECT_GT(Store.Closed, Before);
  Before = Store.Closed;
  EXPECT_FALSE(SaveLastDirSetting(Store, "K\\"));
  EXPECT_GT(Store.Closed, Before);
  EXPECT_EQ(LastDialogDir(), "/kept");

  Store.OpenFails = false;
  Store.ReadThrows = true;
  Before = Store.Closed;
  EXPECT_THROW(LoadLastDirSetting(Store, "K\\"), Exception);
  EXPECT_GT(Store.Closed, Before);
  EXPECT_FALSE(Store.WriteString("Stray", "x"));  // no key left open
  EXPECT_EQ(LastDialogDir(), "/kept");
}

class TBaseData : public TObject {
  QUIN_CLASS(TBaseData, TObject)
};
class TDerivedData : public TBaseData {
  QUIN_CLASS(TDerivedData, TBaseData)
};
QUIN_IMPLEMENT_CLASS(TBaseData, TObject)
QUIN_IMPLEMENT_CLASS(TDerivedData, TBaseData)

class TTestNode : public TTreeNodeRef {
 public:
  explicit TTestNode(TObject* AData) : FData(AData) {}
  TObject* Data() const override { return FData; }
  int ImageIndex() const override { return FImage; }
  void SetImageIndex(int Index) override { FImage = Index; }
  int SelectedIndex() const override { return FSelected; }
  void SetSelectedIndex(int Index) override { FSelected = Index; }

 private:
  TObject* FData;
  int FImage = -1;
  int FSelected = -1;
};

TEST(TreeNodeHelpersTest, DataAndImages) {
  TBaseData Base;
  TDerivedData Derived;
  TTestNode Empty(nullptr), WithBase(&Base), WithDerived(&Derived);

  EXPECT_FALSE(TreeNodeHasData(nullptr));
  EXPECT_FALSE(TreeNodeHasData(&Empty));
  EXPECT_TRUE(TreeNodeHasData(&WithBase));

  EXPECT_TRUE(TreeNodeDataIs<TBaseData>(&WithBase));
  EXPECT_TRUE(TreeNodeDataIs<TBaseData>(&WithDerived));  // a descendant counts
  EXPECT_TRUE(TreeNodeDataIs(&WithDerived, TDerivedData::StaticClass()));
  EXPECT_FALSE(TreeNodeDataIs<TDerivedData>(&WithBase));
  EXPECT_FALSE(TreeNodeDataIs<TBaseData>(&Empty));
  EXPECT_FALSE(TreeNodeDataIs<TBaseData>(nullptr));
  EXPECT_TRUE(TreeNodeDataIs<TObject>(&WithBase));

  SetTreeNodeImage(&WithBase, 7);
  EXPECT_EQ(WithBase.ImageIndex(), 7);
  EXPECT_EQ(WithBase.SelectedIndex(), 7);
  SetTreeNodeImage(nullptr, 3);  // nothing to do
}

}  // namespace
}  // namespace quin
