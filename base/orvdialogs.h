// Translated message boxes and file dialogs, the last folder of the program's file dialogs and
// helpers for the nodes of tree views.
//
// Boxes and dialogs go through the process-wide dialog handler. The default handler is
// headless: the server never blocks on a dialog. It answers each box with its refusing button
// (No, Cancel; OK for a box that has nothing else, after writing the text to stderr) and
// cancels every file dialog, so files stay unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/metaclass.h"
#include "base/orvclasses.h"

namespace quin {

class ISettingsStore;

// Ids of the pressed button.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Message box flags: one button set, optionally or-ed with one icon.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_OKCANCEL = 0x01;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x02;
constexpr unsigned MB_YESNOCANCEL = 0x03;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_RETRYCANCEL = 0x05;
constexpr unsigned MB_TYPEMASK = 0x0F;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;

// Options of the file dialogs (a set of bits).
using TOpenOptions = uint32_t;
constexpr TOpenOptions ofReadOnly = 1u << 0;
constexpr TOpenOptions ofOverwritePrompt = 1u << 1;
constexpr TOpenOptions ofHideReadOnly = 1u << 2;
constexpr TOpenOptions ofNoChangeDir = 1u << 3;
constexpr TOpenOptions ofShowHelp = 1u << 4;
constexpr TOpenOptions ofNoValidate = 1u << 5;
constexpr TOpenOptions ofAllowMultiSelect = 1u << 6;
constexpr TOpenOptions ofExtensionDifferent = 1u << 7;
constexpr TOpenOptions ofPathMustExist = 1u << 8;
constexpr TOpenOptions ofFileMustExist = 1u << 9;
constexpr TOpenOptions ofCreatePrompt = 1u << 10;
constexpr TOpenOptions ofShareAware = 1u << 11;
constexpr TOpenOptions ofNoReadOnlyReturn = 1u << 12;
constexpr TOpenOptions ofNoTestFileCreate = 1u << 13;
constexpr TOpenOptions ofEnableSizing = 1u << 14;
constexpr TOpenOptions ofDontAddToRecent = 1u << 15;
constexpr TOpenOptions ofForceShowHidden = 1u << 16;
// The options a new file dialog starts with.
constexpr TOpenOptions DefaultOpenOptions = ofHideReadOnly | ofEnableSizing;

// Kinds of file dialog.
constexpr int FileDialogOpen = 0;
constexpr int FileDialogSave = 1;

// A file dialog as shown: the handler reads the settings and, when the user confirms, fills
// FileName (the first or only chosen name), Files (every chosen name) and FilterIndex.
struct TFileDialogParams {
  int Kind = FileDialogOpen;
  std::string Title;
  std::string Filter;
  std::string InitialDir;  // empty: the handler's choice
  TOpenOptions Options = DefaultOpenOptions;
  std::string FileName;
  int FilterIndex = 1;  // 1-based
  TDynStringArr Files;
};

// What shows boxes and file dialogs. Implementations are called from any request thread.
class TDialogHandler {
 public:
  virtual ~TDialogHandler() = default;
  // The id of the pressed button.
  virtual int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) = 0;
  // True when the user confirmed.
  virtual bool FileDialog(TFileDialogParams& Dialog) = 0;
};

// The default handler of a process without a desktop.
class THeadlessDialogHandler : public TDialogHandler {
 public:
  // MB_OK: writes "Caption: Text" to stderr and answers IDOK. Otherwise the refusing button:
  // IDNO for Yes/No, IDABORT for Abort/Retry/Ignore, IDCANCEL for the sets with Cancel and
  // for an unknown set.
  int MessageBox(const std::string& Text, const std::string& Caption, unsigned Flags) override;
  // Always cancelled.
  bool FileDialog(TFileDialogParams& Dialog) override;
};

// The handler in force (never null).
std::shared_ptr<TDialogHandler> DialogHandler();
// Installs Handler (null: the headless one); returns the previous handler.
std::shared_ptr<TDialogHandler> SetDialogHandler(std::shared_ptr<TDialogHandler> Handler);

// The application's message box; the id of the pressed button.
int ShowMessageBox(const std::string& Text, const std::string& Caption, unsigned Flags);
// Caption "Error" and Msg, both translated; an OK button with the exclamation icon.
void ErrorBox(std::string_view Msg);
// Caption "Confirm", Msg translated; Yes, No and Cancel with the question icon.
int ConfirmYesNoCancel(std::string_view Msg);
// Caption "Confirm", Msg translated; Yes and No with the question icon.
int ConfirmYesNo(std::string_view Msg);

// The folder in which the last file dialog ended; empty at start.
std::string LastDialogDir();
void SetLastDialogDir(std::string Dir);
// LastDialogDir := Path when Path is an existing folder, else the folder part of Path when
// that exists; unchanged otherwise.
void RememberDialogDir(std::string_view Path);

// Shows an open (Kind 0; path-must-exist added) or a save dialog (Kind 1; overwrite-prompt,
// path-must-exist and create-prompt added). It starts in LastDialogDir when that folder
// exists, with Title, Filter, the file name InitialName and, when given, *FilterIndex; its
// options become (its options | AddOptions) without RemoveOptions. On confirmation: with
// multiple selection on and Files given, *Files receives the chosen names, otherwise FileName
// the chosen name; *FilterIndex the chosen filter; LastDialogDir follows the first chosen
// name. Returns whether the user confirmed. When an error passes through, *Files is emptied.
// Another Kind raises EListError.
bool ExecuteFileDialog(int Kind, std::string_view Title, std::string_view Filter,
                       std::string_view InitialName, std::string& FileName,
                       TDynStringArr* Files = nullptr, int* FilterIndex = nullptr,
                       TOpenOptions RemoveOptions = 0, TOpenOptions AddOptions = 0);
// ExecuteFileDialog with Kind 1; when DefaultExt is given ("zor" or ".zor") and the chosen
// name has no extension, DefaultExt is appended.
bool ExecuteSaveDialog(std::string_view Title, std::string_view Filter, std::string_view DefaultExt,
                       std::string_view InitialName, std::string& FileName,
                       int* FilterIndex = nullptr, TOpenOptions RemoveOptions = 0,
                       TOpenOptions AddOptions = 0);

// Read or write LastDialogDir as the string value "LastDir" of the key Key + "Files" (created
// when missing). The key is closed again in every case. Whether the key could be opened (and,
// for Save, the value written).
bool LoadLastDirSetting(ISettingsStore& Settings, std::string_view Key);
bool SaveLastDirSetting(ISettingsStore& Settings, std::string_view Key);

// A node of a tree view as the helpers see it; the web tree item implements it.
class TTreeNodeRef {
 public:
  virtual ~TTreeNodeRef() = default;
  virtual TObject* Data() const = 0;
  virtual int ImageIndex() const = 0;
  virtual void SetImageIndex(int Index) = 0;
  virtual int SelectedIndex() const = 0;
  virtual void SetSelectedIndex(int Index) = 0;
};

// Node exists and its data reference is set.
bool TreeNodeHasData(const TTreeNodeRef* Node);
// TreeNodeHasData and the data object is of Class or of a descendant.
bool TreeNodeDataIs(const TTreeNodeRef* Node, const ClassInfo& Class);
template <class T>
bool TreeNodeDataIs(const TTreeNodeRef* Node) {
  return TreeNodeDataIs(Node, T::StaticClass());
}
// Sets both the image and the selected image of Node (nothing for a null Node).
void SetTreeNodeImage(TTreeNodeRef* Node, int Index);

}  // namespace quin
