// The settings store: user settings (language, window placement, views, recent files, the
// last dialog folder) kept as a hierarchy of keys with named, typed values. Callers open a
// key, read or write values with defaults, and close the key again; reading never fails.
//
// `TOrvRegistry` keeps the hierarchy in a small text file below the user's configuration
// folder. Inside it the three registry roots (classes root, current user, local machine) are
// emulated; the settings themselves live under the current user.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/metaclass.h"

namespace quin {

// The settings interface; callers share it through std::shared_ptr (the reference count).
class ISettingsStore {
 public:
  static constexpr const char* IID = "{C308EC76-C930-412D-A212-CDAB16E7A1C0}";
  virtual ~ISettingsStore() = default;

  // Closes the open key (nothing happens when none is open).
  virtual void CloseKey() = 0;
  virtual std::string InfoText1() = 0;
  // Removes a value of the open key; whether it existed.
  virtual bool DeleteValue(std::string_view Name) = 0;
  virtual std::string InfoText2() = 0;
  virtual std::string InfoText3() = 0;
  virtual bool KeyExists(std::string_view Key) = 0;
  // True when the key cannot be opened, or when it has neither subkeys nor values.
  virtual bool KeyIsEmpty(std::string_view Key) = 0;
  // Copies OldKey with all its contents into NewKey (created when missing; values of the same
  // name are replaced), then deletes OldKey when Delete is set. Refused (false) when OldKey
  // does not exist or when NewKey is OldKey itself or lies inside it.
  virtual bool MoveKey(std::string_view OldKey, std::string_view NewKey, bool Delete) = 0;
  // Opens the key Base + SubKey (plain concatenation; Base ends with "\"), creating it when
  // CanCreate is set; whether it is open. Values are read and written in the key opened last.
  // The key open before is closed first, also when the new one cannot be opened.
  virtual bool OpenKey(std::string_view Base, std::string_view SubKey, bool CanCreate) = 0;
  // The stored value when it exists and has that type, otherwise Default. A Boolean is kept
  // as an integer (0 or 1); any integer value reads as a Boolean (non-zero is true).
  virtual bool ReadBool(std::string_view Name, bool Default) = 0;
  virtual int32_t ReadInteger(std::string_view Name, int32_t Default) = 0;
  virtual std::string ReadString(std::string_view Name, std::string_view Default) = 0;
  // Deletes the key with all its subkeys, depth first; false when it does not exist. A root
  // is never deleted. A key that is open inside the deleted one is closed.
  virtual bool DeleteKey(std::string_view Key) = 0;
  virtual void NoOp1() = 0;
  virtual void NoOp2() = 0;
  virtual void NoOp3() = 0;
  // Store a value in the open key; false when no key is open or it could not be stored.
  virtual bool WriteBool(std::string_view Name, bool Value) = 0;
  virtual bool WriteInteger(std::string_view Name, int32_t Value) = 0;
  virtual bool WriteString(std::string_view Name, std::string_view Value) = 0;
};

// The emulated registry roots.
enum class TRegRoot { ClassesRoot, CurrentUser, LocalMachine };

// The folder that holds the settings file: the one set with SetSettingsFolder, otherwise
// $XDG_CONFIG_HOME (when absolute) or $HOME/.config, followed by "/quinview". Empty when
// neither is known (the store then keeps nothing).
std::string SettingsFolder();
// Sets the settings folder for stores created afterwards; an empty text returns to the default.
void SetSettingsFolder(std::string Folder);

// The file-backed store. One instance is used by one thread at a time (it holds the open key);
// instances on the same file may live side by side: each reloads the file when another has
// changed it, and every change is written at once (to a temporary file that then replaces the
// settings file, so a reader never sees half a file). A damaged or oversized file reads as
// empty and is replaced by the next write.
class TOrvRegistry : public TObject, public ISettingsStore {
  QUIN_CLASS(TOrvRegistry, TObject)

 public:
  // The store in Folder + "/settings.txt"; the folder is created on the first write.
  explicit TOrvRegistry(std::string Folder = SettingsFolder());
  ~TOrvRegistry() override;

  // The root that key paths start from (the current user unless set otherwise). Changing it
  // closes the open key.
  TRegRoot RootKey() const { return Root; }
  void SetRootKey(TRegRoot R);
  // Emulated access rights: a read-only root opens existing keys only and refuses writes.
  void SetRootReadOnly(TRegRoot R, bool ReadOnly);

  std::string FileName() const;

  void CloseKey() override;
  std::string InfoText1() override { return {}; }
  bool DeleteValue(std::string_view Name) override;
  std::string InfoText2() override { return {}; }
  std::string InfoText3() override { return {}; }
  bool KeyExists(std::string_view Key) override;
  bool KeyIsEmpty(std::string_view Key) override;
  bool MoveKey(std::string_view OldKey, std::string_view NewKey, bool Delete) override;
  bool OpenKey(std::string_view Base, std::string_view SubKey, bool CanCreate) override;
  bool ReadBool(std::string_view Name, bool Default) override;
  int32_t ReadInteger(std::string_view Name, int32_t Default) override;
  std::string ReadString(std::string_view Name, std::string_view Default) override;
  bool DeleteKey(std::string_view Key) override;
  void NoOp1() override {}
  void NoOp2() override {}
  void NoOp3() override {}
  bool WriteBool(std::string_view Name, bool Value) override;
  bool WriteInteger(std::string_view Name, int32_t Value) override;
  bool WriteString(std::string_view Name, std::string_view Value) override;

  // Limits that every key and value obeys (larger ones are refused on write, and a file that
  // breaks them is damaged).
  static constexpr std::size_t MaxKeyNameLength = 255;
  static constexpr std::size_t MaxKeyDepth = 512;
  static constexpr std::size_t MaxValueNameLength = 16383;
  static constexpr std::size_t MaxStringLength = 1 << 20;
  static constexpr std::size_t MaxFileSize = 8 << 20;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
  TRegRoot Root = TRegRoot::CurrentUser;
};

// A new store on the settings folder of the moment.
std::shared_ptr<ISettingsStore> NewSettingsStore();

}  // namespace quin
