#include "base/orvdialogs.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/scopeguard.h"
#include "base/settingsstore.h"
#include "base/text.h"

namespace quin {

namespace fs = std::filesystem;

namespace {

std::mutex GDialogMutex;
std::shared_ptr<TDialogHandler> GHandler;  // null: the headless one
std::string GLastDialogDir;

bool IsSep(char C) { return C == '\\' || C == '/'; }

bool IsFolder(std::string_view Path) {
  if (Path.empty()) return false;
  std::error_code Ec;
  return fs::is_directory(fs::path(Path), Ec);
}

// The folder part of Path: up to its last separator, which is kept only when it is the root
// ("/", "C:\").
std::string FolderPart(std::string_view Path) {
  size_t I = Path.size();
  while (I > 0 && !IsSep(Path[I - 1])) --I;
  if (I == 0) return {};
  const bool Root = I == 1 || (I == 3 && Path[1] == ':');
  return std::string(Path.substr(0, Root ? I : I - 1));
}

bool HasExtension(std::string_view FileName) {
  for (size_t I = FileName.size(); I > 0; --I) {
    if (FileName[I - 1] == '.') return true;
    if (IsSep(FileName[I - 1])) break;
  }
  return false;
}

const std::string& ConfirmCaption() {
  static const std::string Caption = Cp1250("<PLK>Potwierdź<ENU>Confirm");
  return Caption;
}

}  // namespace

// ----- Handlers

int THeadlessDialogHandler::MessageBox(const std::string& Text, const std::string& Caption,
                                       unsigned Flags) {
  switch (Flags & MB_TYPEMASK) {
    case MB_OK: {
      const std::string Line = Cp1250ToUtf8(Caption) + ": " + Cp1250ToUtf8(Text) + "\n";
      std::fwrite(Line.data(), 1, Line.size(), stderr);  // one call: lines never interleave
      return IDOK;
    }
    case MB_YESNO:
      return IDNO;
    case MB_ABORTRETRYIGNORE:
      return IDABORT;
    default:
      return IDCANCEL;
  }
}

bool THeadlessDialogHandler::FileDialog(TFileDialogParams&) { return false; }

std::shared_ptr<TDialogHandler> DialogHandler() {
  std::lock_guard<std::mutex> Lock(GDialogMutex);
  if (!GHandler) GHandler = std::make_shared<THeadlessDialogHandler>();
  return GHandler;
}

std::shared_ptr<TDialogHandler> SetDialogHandler(std::shared_ptr<TDialogHandler> Handler) {
  std::lock_guard<std::mutex> Lock(GDialogMutex);
  std::shared_ptr<TDialogHandler> Previous = std::move(GHandler);
  GHandler = Handler ? std::move(Handler) : std::make_shared<THeadlessDialogHandler>();
  if (!Previous) Previous = std::make_shared<THeadlessDialogHandler>();
  return Previous;
}

// ----- Message boxes

int ShowMessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) {
  return DialogHandler()->MessageBox(Text, Caption, Flags);
}

void ErrorBox(std::string_view Msg) {
  static const std::string Caption = Cp1250("<PLK>Błąd<ENU>Error");
  const TOrvLangManager& Lang = CurrentLangManager();
  ShowMessageBox(Lang.TranslateText(Msg), Lang.TranslateText(Caption), MB_OK | MB_ICONEXCLAMATION);
}

int ConfirmYesNoCancel(std::string_view Msg) {
  const TOrvLangManager& Lang = CurrentLangManager();
  return ShowMessageBox(Lang.TranslateText(Msg), Lang.TranslateText(ConfirmCaption()),
                        MB_YESNOCANCEL | MB_ICONQUESTION);
}

int ConfirmYesNo(std::string_view Msg) {
  const TOrvLangManager& Lang = CurrentLangManager();
  return ShowMessageBox(Lang.TranslateText(Msg), Lang.TranslateText(ConfirmCaption()),
                        MB_YESNO | MB_ICONQUESTION);
}

// ----- The last dialog folder

std::string LastDialogDir() {
  std::lock_guard<std::mutex> Lock(GDialogMutex);
  return GLastDialogDir;
}

void SetLastDialogDir(std::string Dir) {
  std::lock_guard<std::mutex> Lock(GDialogMutex);
  GLastDialogDir = std::move(Dir);
}

void RememberDialogDir(std::string_view Path) {
  if (IsFolder(Path)) {
    SetLastDialogDir(std::string(Path));
    return;
  }
  std::string Folder = FolderPart(Path);
  if (IsFolder(Folder)) SetLastDialogDir(std::move(Folder));
}

bool LoadLastDirSetting(ISettingsStore& Settings, std::string_view Key) {
  auto CloseKey = OnScopeExit([&] { Settings.CloseKey(); });
  if (!Settings.OpenKey(Key, "Files", true)) return false;
  SetLastDialogDir(Settings.ReadString("LastDir", LastDialogDir()));
  return true;
}

bool SaveLastDirSetting(ISettingsStore& Settings, std::string_view Key) {
  auto CloseKey = OnScopeExit([&] { Settings.CloseKey(); });
  if (!Settings.OpenKey(Key, "Files", true)) return false;
  return Settings.WriteString("LastDir", LastDialogDir());
}

// ----- File dialogs

bool ExecuteFileDialog(int Kind, std::string_view Title, std::string_view Filter,
                       std::string_view InitialName, std::string& FileName, TDynStringArr* Files,
                       int* FilterIndex, TOpenOptions RemoveOptions, TOpenOptions AddOptions) {
  TFileDialogParams Dialog;
  if (Kind == FileDialogOpen) {
    Dialog.Options |= ofPathMustExist;
  } else if (Kind == FileDialogSave) {
    Dialog.Options |= ofOverwritePrompt | ofPathMustExist | ofCreatePrompt;
  } else {
    throw EListError("Invalid file dialog kind");
  }
  Dialog.Kind = Kind;
  const std::string LastDir = LastDialogDir();
  if (IsFolder(LastDir)) Dialog.InitialDir = LastDir;
  Dialog.Title = Title;
  Dialog.Filter = Filter;
  Dialog.Options = (Dialog.Options | AddOptions) & ~RemoveOptions;
  Dialog.FileName = InitialName;
  if (FilterIndex) Dialog.FilterIndex = *FilterIndex;
  auto ClearOnFail = OnScopeFail([&] {
    if (Files) Files->clear();
  });
  if (!DialogHandler()->FileDialog(Dialog)) return false;
  std::string First = Dialog.Files.empty() ? Dialog.FileName : Dialog.Files.front();
  if ((Dialog.Options & ofAllowMultiSelect) && Files) {
    *Files = std::move(Dialog.Files);
    if (Files->empty() && !Dialog.FileName.empty()) Files->push_back(Dialog.FileName);
  } else {
    FileName = First;
  }
  if (FilterIndex) *FilterIndex = Dialog.FilterIndex;
  RememberDialogDir(First);
  return true;
}

bool ExecuteSaveDialog(std::string_view Title, std::string_view Filter, std::string_view DefaultExt,
                       std::string_view InitialName, std::string& FileName, int* FilterIndex,
                       TOpenOptions RemoveOptions, TOpenOptions AddOptions) {
  if (!ExecuteFileDialog(FileDialogSave, Title, Filter, InitialName, FileName, nullptr, FilterIndex,
                         RemoveOptions, AddOptions))
    return false;
  if (!DefaultExt.empty() && !FileName.empty() && !HasExtension(FileName)) {
    if (DefaultExt.front() != '.') FileName += '.';
    FileName.append(DefaultExt);
  }
  return true;
}

// ----- Tree nodes

bool TreeNodeHasData(const TTreeNodeRef* Node) { return Node && Node->Data(); }

bool TreeNodeDataIs(const TTreeNodeRef* Node, const ClassInfo& Class) {
  return TreeNodeHasData(Node) && Node->Data()->Is(Class);
}

void SetTreeNodeImage(TTreeNodeRef* Node, int Index) {
  if (!Node) return;
  Node->SetImageIndex(Index);
  Node->SetSelectedIndex(Index);
}

}  // namespace quin
