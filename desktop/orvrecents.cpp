#include "desktop/orvrecents.h"

#include <algorithm>
#include <filesystem>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvdialogs.h"
#include "base/orvfiles.h"
#include "base/settingsstore.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvRecents_File, TObject)
QUIN_IMPLEMENT_CLASS(TOrvRecents_List, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TOrvRecents_Handler, TObject)

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultMax = 26;
constexpr char kDefaultLetter = 'A';

const char* const kNoFiles = "<PLK>[brak plików]<ENU>[no files]";

}  // namespace

std::string FileNameText(std::string_view Path) { return Cp1250(Path); }

std::string ExpandFileName(std::string_view FileName) {
  if (FileName.empty()) return {};
  std::error_code E;
  fs::path P = fs::absolute(fs::path(FileName), E);
  if (E) P = fs::path(FileName);
  return P.lexically_normal().string();
}

bool FileExists(const std::string& Path) {
  std::error_code E;
  return !Path.empty() && fs::is_regular_file(Path, E);
}

// ---- entries and lists

TOrvRecents_File::TOrvRecents_File() : SubFiles(std::make_unique<TOrvRecents_List>()) {}
TOrvRecents_File::~TOrvRecents_File() = default;

int TOrvRecents_List::FindFile(std::string_view Path) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->Path, Path)) return I;
  return -1;
}

void TOrvRecents_List::RemoveMissing() {
  for (int I = Count() - 1; I >= 0; --I)
    if (!FileExists(GetItem(I)->Path)) Delete(I);
  for (int I = 0; I < Count(); ++I) GetItem(I)->SubFiles->RemoveMissing();
}

// ---- the handler

TOrvRecents_Handler::TOrvRecents_Handler()
    : TOrvRecents_Handler(1, {kDefaultMax}, {kDefaultLetter}) {}

TOrvRecents_Handler::TOrvRecents_Handler(int ALevels, std::vector<int> AMaxPerLevel,
                                         std::vector<char> AFirstLetter)
    : FLevels(std::max(ALevels, 1)),
      FMaxPerLevel(std::move(AMaxPerLevel)),
      FFirstLetter(std::move(AFirstLetter)) {
  FMaxPerLevel.resize(FLevels, kDefaultMax);
  for (int& M : FMaxPerLevel) M = std::max(M, 0);
  FFirstLetter.resize(FLevels, kDefaultLetter);
  FCurrentFiles.assign(FLevels, nullptr);
}

TOrvRecents_Handler::~TOrvRecents_Handler() = default;

int TOrvRecents_Handler::MaxPerLevel(int Level) const {
  return Level >= 0 && Level < FLevels ? FMaxPerLevel[Level] : 0;
}

char TOrvRecents_Handler::FirstLetter(int Level) const {
  return Level >= 0 && Level < FLevels ? FFirstLetter[Level] : kDefaultLetter;
}

TOrvRecents_File* TOrvRecents_Handler::CurrentFile(int Level) const {
  return Level >= 0 && Level < FLevels ? FCurrentFiles[Level] : nullptr;
}

TOrvRecents_List* TOrvRecents_Handler::LevelList(int Level) const {
  if (Level < 0 || Level >= FLevels) return nullptr;
  if (Level == 0) return const_cast<TOrvRecents_List*>(&FFiles);
  TOrvRecents_File* Above = FCurrentFiles[Level - 1];
  return Above ? Above->SubFiles.get() : nullptr;
}

void TOrvRecents_Handler::Changed() {
  if (OnChange) OnChange();
}

void TOrvRecents_Handler::ForgetLostCurrentFiles() {
  for (int L = 0; L < FLevels; ++L) {
    TOrvRecents_List* List = LevelList(L);
    if (!List || (FCurrentFiles[L] && List->IndexOf(FCurrentFiles[L]) < 0))
      FCurrentFiles[L] = nullptr;
  }
}

TOrvRecents_List* TOrvRecents_Handler::AddFile(int Level, std::string_view FileName) {
  if (FileName.empty()) return nullptr;
  TOrvRecents_List* List = LevelList(Level);
  if (!List) return nullptr;
  const std::string Path = ExpandFileName(FileName);
  const int Found = List->FindFile(Path);
  if (Found >= 0) {
    List->Move(Found, 0);
    List->GetItem(0)->Path = Path;
  } else {
    auto F = std::make_unique<TOrvRecents_File>();
    F->Path = Path;
    List->Insert(0, F.release());
    while (List->Count() > MaxPerLevel(Level)) List->Delete(List->Count() - 1);
    ForgetLostCurrentFiles();
  }
  return List;
}

void TOrvRecents_Handler::Clear() {
  FFiles.Clear();
  std::fill(FCurrentFiles.begin(), FCurrentFiles.end(), nullptr);
  Changed();
}

std::string TOrvRecents_Handler::GetDisplayText(const TOrvRecents_File& File) const {
  return FileNameText(MakeRelativeToCurrentDir(File.Path));
}

std::string TOrvRecents_Handler::GetHint(const TOrvRecents_File& File) const {
  return Format(TranslateLiteral("<PLK>Otwiera plik %s<ENU>Opens file %s"),
                {FileNameText(File.Path)}, CurrentLangManager().FormatSettings);
}

void TOrvRecents_Handler::FileOpened(int Level, std::string_view FileName) {
  TOrvRecents_List* List = AddFile(Level, FileName);
  if (!List || List->Empty()) return;
  TOrvRecents_File* F = List->GetItem(0);
  F->Current = true;
  FCurrentFiles[Level] = F;
  for (int I = 0; I < F->SubFiles->Count(); ++I) F->SubFiles->GetItem(I)->Current = false;
  ForgetLostCurrentFiles();
  Changed();
}

void TOrvRecents_Handler::FileClosed(int Level, std::string_view FileName) {
  TOrvRecents_List* List = AddFile(Level, FileName);
  if (!List || List->Empty()) return;
  List->GetItem(0)->Current = false;
  Changed();
}

void TOrvRecents_Handler::ClearLevel(int Level) {
  if (Level <= 0) {
    Clear();
    return;
  }
  if (TOrvRecents_List* List = LevelList(Level)) List->Clear();
  for (int L = std::min(Level, FLevels); L < FLevels; ++L) FCurrentFiles[L] = nullptr;
  Changed();
}

void TOrvRecents_Handler::RemoveMissingLevel(int Level) {
  // Every level (-1) is the top list with the sub-lists below it.
  if (TOrvRecents_List* List = LevelList(std::max(Level, 0))) List->RemoveMissing();
  ForgetLostCurrentFiles();
  Changed();
}

void TOrvRecents_Handler::FillStrings(TOrvListControl& Control, int Level) {
  Control.ClearItems();
  const int First = Level < 0 ? 0 : Level;
  const int Last = Level < 0 ? FLevels - 1 : Level;
  for (int L = First; L <= Last; ++L) {
    TOrvRecents_List* List = LevelList(L);
    if (!List) break;
    for (int I = 0; I < List->Count(); ++I)
      Control.AddItem(GetDisplayText(*List->GetItem(I)), List->GetItem(I));
    if (!CurrentFile(L)) break;
  }
}

void TOrvRecents_Handler::FillListControl(TOrvListControl& Control, int Level) {
  Control.ClearItems();
  const int Room = Control.ClientWidth() - Control.ScrollBarWidth() - 2;
  bool Added = false;
  const int First = Level < 0 ? 0 : Level;
  const int Last = Level < 0 ? FLevels - 1 : Level;
  for (int L = First; L <= Last; ++L) {
    TOrvRecents_List* List = LevelList(L);
    if (!List) break;
    for (int I = 0; I < List->Count(); ++I) {
      TOrvRecents_File* F = List->GetItem(I);
      if (F->Current || !FileExists(F->Path)) continue;
      const std::string Full = GetDisplayText(*F);
      std::string Text = Full;
      // One character less at a time; the empty text ends it on any width.
      for (int N = static_cast<int>(Full.size()) - 1; N >= 0 && Control.TextWidth(Text) > Room; --N)
        Text = ShortenPath(Full, N);
      Control.AddItem(Text, F);
      Added = true;
    }
    if (!CurrentFile(L)) break;
  }
  if (!Added) Control.AddItem(TranslateLiteral(kNoFiles), nullptr);
}

void TOrvRecents_Handler::AddMenuLevel(TWebMenuItem& Menu, int Level,
                                       const TMenuClickEvent& OnClick, int& Added) {
  TOrvRecents_List* List = LevelList(Level);
  if (!List) return;
  int N = 0;
  for (int I = 0; I < List->Count(); ++I) {
    TOrvRecents_File* F = List->GetItem(I);
    if (F->Current) continue;
    const char Letter = static_cast<char>(FirstLetter(Level) + N);
    TOrvMenuItem* Item = CreateMenuItem(
        Menu, std::string("&") + Letter + "    " + GetDisplayText(*F), F, nullptr, {}, {}, OnClick);
    Item->Hint = GetHint(*F);
    Item->ImageIndex = GetImageIndex(*F);
    Item->Enabled = FileExists(F->Path);
    ++N;
  }
  if (N > 0) {
    AfterMenuLevel(Menu);
    AddSeparatorMenuItem(Menu);
    Added += N;
  }
}

void TOrvRecents_Handler::BuildMenu(TWebMenuItem& Menu, int Level, const TMenuClickEvent& OnClick) {
  Menu.Clear();
  int Added = 0;
  if (Level >= 0) {
    AddMenuLevel(Menu, Level, OnClick, Added);
  } else {
    for (int L = 0; L < FLevels; ++L) {
      AddMenuLevel(Menu, L, OnClick, Added);
      if (!CurrentFile(L)) break;
    }
  }
  if (Added == 0) {
    TOrvMenuItem* None =
        CreateMenuItem(Menu, TranslateLiteral(kNoFiles), nullptr, nullptr, {}, {}, {});
    None->Enabled = false;
    None->Hint = TranslateLiteral(
        "<PLK>Nie ma ostatnio otwieranych plików<ENU>There are no recently opened files");
  } else {
    TOrvMenuItem* Obsolete = CreateMenuItem(
        Menu, TranslateLiteral("<PLK>Usuń nieaktualne...<ENU>Remove obsolete..."), nullptr, nullptr,
        {}, {}, [this](TWebMenuItem& Sender) {
          if (ConfirmYesNo(Cp1250("<PLK>Usunąć nieaktualne pliki z listy ostatnio używanych?"
                                  "<ENU>Remove obsolete recent file entries?")) == IDYES)
            RemoveMissingLevel(static_cast<int>(Sender.Tag));
        });
    Obsolete->Tag = Level;
    Obsolete->Hint = TranslateLiteral(
        "<PLK>Usuń nieaktualne elementy listy - te, które już nie wskazują na istniejące pliki"
        "<ENU>Remove obsolete entries from the list - these, that do not point to files anymore");
    TOrvMenuItem* All = CreateMenuItem(
        Menu, TranslateLiteral("<PLK>Usuń wszystkie...<ENU>Remove all..."), nullptr, nullptr, {},
        {}, [this](TWebMenuItem& Sender) {
          if (ConfirmYesNo(Cp1250("<PLK>Usunąć wszystkie pliki z listy ostatnio używanych?"
                                  "<ENU>Remove all recent file entries?")) == IDYES)
            ClearLevel(static_cast<int>(Sender.Tag));
        });
    All->Tag = Level;
    All->Hint =
        TranslateLiteral("<PLK>Usuń wszystkie elementy listy<ENU>Remove all entries from the list");
  }
  PadMenuItems(Menu);
}

// ---- settings

void TOrvRecents_Handler::SaveList(ISettingsStore& Settings, const std::string& ListKey,
                                   const TOrvRecents_List& List, int Level) {
  const int Count = std::min(List.Count(), MaxPerLevel(Level));
  if (!Settings.OpenKey(ListKey, "", true)) return;
  Settings.WriteInteger("Count", Count);
  for (int I = 0; I < Count; ++I) Settings.WriteString("File" + IntToStr(I), List[I]->Path);
  Settings.CloseKey();
  if (Level + 1 >= FLevels) return;
  for (int I = 0; I < Count; ++I)
    if (!List[I]->SubFiles->Empty())
      SaveList(Settings, ListKey + "\\Files" + IntToStr(I), *List[I]->SubFiles, Level + 1);
}

void TOrvRecents_Handler::SaveToSettings(ISettingsStore& Settings, std::string_view Key) {
  const std::string ListKey = std::string(Key) + "Recents";
  Settings.DeleteKey(ListKey);
  SaveList(Settings, ListKey, FFiles, 0);
}

void TOrvRecents_Handler::LoadList(ISettingsStore& Settings, const std::string& ListKey,
                                   TOrvRecents_List& List, int Level) {
  if (!Settings.OpenKey(ListKey, "", false)) return;
  const int Count = std::clamp(Settings.ReadInteger("Count", 0), 0, MaxPerLevel(Level));
  // The written index of each entry names its sub-list's key.
  std::vector<std::pair<int, TOrvRecents_File*>> Read;
  for (int I = 0; I < Count; ++I) {
    const std::string Path = Settings.ReadString("File" + IntToStr(I), "");
    if (Path.empty() || List.FindFile(Path) >= 0) continue;  // damaged: left out
    auto F = std::make_unique<TOrvRecents_File>();
    F->Path = Path;
    Read.emplace_back(I, List.Add(std::move(F)));
  }
  Settings.CloseKey();
  if (Level + 1 >= FLevels) return;
  for (const auto& [I, F] : Read) {
    const std::string SubKey = ListKey + "\\Files" + IntToStr(I);
    if (Settings.KeyExists(SubKey)) LoadList(Settings, SubKey, *F->SubFiles, Level + 1);
  }
}

void TOrvRecents_Handler::LoadFromSettings(ISettingsStore& Settings, std::string_view Key) {
  FFiles.Clear();
  std::fill(FCurrentFiles.begin(), FCurrentFiles.end(), nullptr);
  LoadList(Settings, std::string(Key) + "Recents", FFiles, 0);
  Changed();
}

}  // namespace quin
