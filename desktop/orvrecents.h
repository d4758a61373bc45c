// Lists of recently used files for the "reopen" menus of the desktop programs, on one or more
// levels: on the first level the documents used lately (surveys), on a further level the
// documents used while a given first-level document was open (the reports of that survey).
// The handler keeps the lists, builds the menu and list entries, and loads and saves them in
// the settings store.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/metaclass.h"
#include "base/orvclasses.h"
#include "desktop/orvform.h"

namespace quin {

class ISettingsStore;
class TOrvRecents_List;

class TOrvRecents_File : public TObject {
  QUIN_CLASS(TOrvRecents_File, TObject)
 public:
  TOrvRecents_File();
  ~TOrvRecents_File() override;
  // The file is the one open now on its level; it is not offered for reopening.
  bool Current = false;
  // The files of the next level used while this one was open (always there).
  std::unique_ptr<TOrvRecents_List> SubFiles;
  std::string Path;  // full file name
};

class TOrvRecents_List : public TOrvTypedList<TOrvRecents_File> {
  QUIN_CLASS(TOrvRecents_List, TOrvObjectList)
 public:
  TOrvRecents_List() : TOrvTypedList(true) {}
  // The index of the entry whose path equals Path without regard to case; -1 when none.
  int FindFile(std::string_view Path) const;
  // Deletes every entry whose file does not exist, then does the same in the sub-lists of
  // the entries that remain.
  virtual void RemoveMissing();
};

// A list-style control the handler fills (a list box, the items of a combo box).
class TOrvListControl {
 public:
  virtual ~TOrvListControl() = default;
  virtual void ClearItems() = 0;
  // Data is the entry the item stands for (null for "[no files]").
  virtual void AddItem(const std::string& Text, TOrvRecents_File* Data) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ScrollBarWidth() const = 0;
  virtual int TextWidth(std::string_view Text) const = 0;
};

class TOrvRecents_Handler : public TObject {
  QUIN_CLASS(TOrvRecents_Handler, TObject)
 public:
  // One level of at most 26 entries, the first with the letter "A".
  TOrvRecents_Handler();
  // Levels levels (at least one); a level missing from the arrays gets 26 entries and "A", a
  // negative maximum counts as 0.
  TOrvRecents_Handler(int ALevels, std::vector<int> AMaxPerLevel, std::vector<char> AFirstLetter);
  ~TOrvRecents_Handler() override;

  // Called after every change.
  std::function<void()> OnChange;

  int Levels() const { return FLevels; }
  int MaxPerLevel(int Level) const;
  char FirstLetter(int Level) const;
  // The entry open now on the level, or null (also for a level out of range).
  TOrvRecents_File* CurrentFile(int Level) const;
  TOrvRecents_List& Files() { return FFiles; }
  // The list of a level: the top list for level 0, else the sub-list of the current file of
  // the level above; null when that level has no current file or Level is out of range.
  TOrvRecents_List* LevelList(int Level) const;

  // Puts the file (expanded to a full path) at the front of its level's list and returns the
  // list; nothing happens (null) for an empty name or when the level has no list.
  virtual TOrvRecents_List* AddFile(int Level, std::string_view FileName);
  // Empties the top list and forgets every current file.
  virtual void Clear();
  // The path relative to the current folder, as program text.
  virtual std::string GetDisplayText(const TOrvRecents_File& File) const;
  virtual std::string GetHint(const TOrvRecents_File& File) const;
  virtual int GetImageIndex(const TOrvRecents_File& File) const { return -1; }
  // Runs after the items of a level; descendants may add items.
  virtual void AfterMenuLevel(TWebMenuItem& Menu) {}
  // The display texts of one level, or of every level when Level is -1 (stopping after the
  // first level without a current file).
  virtual void FillStrings(TOrvListControl& Control, int Level);
  virtual void FileClosed(int Level, std::string_view FileName);
  virtual void FileOpened(int Level, std::string_view FileName);
  // As FillStrings, without current and missing files, each text shortened as a path to the
  // control's width; "[no files]" when nothing was added.
  virtual void FillListControl(TOrvListControl& Control, int Level);
  // Rebuilds Menu's items: the entries of the level (or of every level, Level -1), then the
  // items that remove obsolete or all entries; "[no files]" when there are no entries.
  virtual void BuildMenu(TWebMenuItem& Menu, int Level, const TMenuClickEvent& OnClick);
  // Level 0 clears everything; a higher level empties the list of that level and forgets
  // the current files from that level on.
  virtual void ClearLevel(int Level);
  // The entries of missing files leave the level's list and the lists below it (-1: all).
  virtual void RemoveMissingLevel(int Level);
  virtual void LoadFromSettings(ISettingsStore& Settings, std::string_view Key);
  virtual void SaveToSettings(ISettingsStore& Settings, std::string_view Key);

 private:
  void Changed();
  // Forgets the current files that are no longer in their level's list (cut off, removed, or
  // below another file of the level above).
  void ForgetLostCurrentFiles();
  void AddMenuLevel(TWebMenuItem& Menu, int Level, const TMenuClickEvent& OnClick, int& Added);
  void SaveList(ISettingsStore& Settings, const std::string& ListKey, const TOrvRecents_List& L,
                int Level);
  void LoadList(ISettingsStore& Settings, const std::string& ListKey, TOrvRecents_List& L,
                int Level);

  int FLevels = 1;
  std::vector<int> FMaxPerLevel;
  std::vector<char> FFirstLetter;
  std::vector<TOrvRecents_File*> FCurrentFiles;  // not owned
  TOrvRecents_List FFiles;
};

// A file name of the file system (UTF-8) as program text (Windows-1250), for captions and hints.
std::string FileNameText(std::string_view Path);
// The full path of FileName: relative names are taken in the current folder; "." and ".."
// parts are resolved without looking at the disk.
std::string ExpandFileName(std::string_view FileName);
bool FileExists(const std::string& Path);

}  // namespace quin
