#include "base/settingsstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TOrvRegistry, TObject)

namespace {

std::mutex FolderMutex;
std::string FolderOverride;

// Every file access of every store in the process goes through this lock.
std::mutex FileMutex;
std::atomic<unsigned> TempCounter{0};

const char* const FileHeader = "QUINVIEW SETTINGS 1";
const std::array<const char*, 3> RootNames = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                              "HKEY_LOCAL_MACHINE"};

struct TRegValue {
  std::string Name;
  bool IsInteger = false;
  int32_t Int = 0;
  std::string Str;
};

// One key: its own name, its subkeys and its values, both found without regard to ASCII case.
struct TRegNode {
  std::string Name;
  std::map<std::string, std::unique_ptr<TRegNode>> Keys;  // by lower-cased name
  std::map<std::string, TRegValue> Values;                // by lower-cased name

  TRegNode* FindKey(std::string_view N) const {
    auto It = Keys.find(LowerCase(N));
    return It == Keys.end() ? nullptr : It->second.get();
  }
  TRegNode* AddKey(std::string_view N) {
    auto& Slot = Keys[LowerCase(N)];
    if (!Slot) {
      Slot = std::make_unique<TRegNode>();
      Slot->Name = std::string(N);
    }
    return Slot.get();
  }
  const TRegValue* FindValue(std::string_view N) const {
    auto It = Values.find(LowerCase(N));
    return It == Values.end() ? nullptr : &It->second;
  }
  std::size_t Height() const {
    std::size_t H = 0;
    for (const auto& [K, Sub] : Keys) H = std::max(H, Sub->Height() + 1);
    return H;
  }
  // Copies the contents of Src into this key: values of the same name are replaced, subkeys
  // of the same name are merged.
  void MergeFrom(const TRegNode& Src) {
    for (const auto& [K, V] : Src.Values) Values[K] = V;
    for (const auto& [K, Sub] : Src.Keys) AddKey(Sub->Name)->MergeFrom(*Sub);
  }
};

using TPath = std::vector<std::string>;

// Splits a key path at "\" (empty parts are skipped); nothing when a part or the depth is
// beyond the limits.
std::optional<TPath> SplitKeyPath(std::string_view Key) {
  TPath Parts;
  std::size_t Start = 0;
  while (Start <= Key.size()) {
    std::size_t End = Key.find('\\', Start);
    if (End == std::string_view::npos) End = Key.size();
    if (End > Start) {
      if (End - Start > TOrvRegistry::MaxKeyNameLength) return std::nullopt;
      if (Parts.size() >= TOrvRegistry::MaxKeyDepth) return std::nullopt;
      Parts.emplace_back(Key.substr(Start, End - Start));
    }
    Start = End + 1;
  }
  return Parts;
}

bool PathStartsWith(const TPath& P, const TPath& Prefix) {
  if (P.size() < Prefix.size()) return false;
  for (std::size_t I = 0; I < Prefix.size(); ++I)
    if (!SameText(P[I], Prefix[I])) return false;
  return true;
}

// File text: one item a line, fields separated by one blank; inside a field the bytes below
// 0x20, 0x7F, the blank and '%' are written as %XX.
void AppendEscaped(std::string& Out, std::string_view S) {
  static const char Hex[] = "0123456789ABCDEF";
  for (char C : S) {
    const unsigned char U = static_cast<unsigned char>(C);
    if (U < 0x20 || U == 0x7F || C == ' ' || C == '%') {
      Out += '%';
      Out += Hex[U >> 4];
      Out += Hex[U & 15];
    } else {
      Out += C;
    }
  }
}

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view S) {
  std::string Out;
  Out.reserve(S.size());
  for (std::size_t I = 0; I < S.size(); ++I) {
    const unsigned char U = static_cast<unsigned char>(S[I]);
    if (U < 0x20 || U == 0x7F) return std::nullopt;
    if (S[I] != '%') {
      Out += S[I];
      continue;
    }
    if (I + 2 >= S.size()) return std::nullopt;
    const int H = HexDigit(S[I + 1]), L = HexDigit(S[I + 2]);
    if (H < 0 || L < 0) return std::nullopt;
    Out += char(H * 16 + L);
    I += 2;
  }
  return Out;
}

std::vector<std::string_view> SplitFields(std::string_view Line) {
  std::vector<std::string_view> F;
  std::size_t Start = 0;
  while (true) {
    std::size_t End = Line.find(' ', Start);
    if (End == std::string_view::npos) {
      F.push_back(Line.substr(Start));
      return F;
    }
    F.push_back(Line.substr(Start, End - Start));
    Start = End + 1;
  }
}

struct TFileStamp {
  bool Exists = false;
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = 0;
  timespec MTime{};
  bool operator==(const TFileStamp& O) const {
    return Exists == O.Exists && Dev == O.Dev && Ino == O.Ino && Size == O.Size &&
           MTime.tv_sec == O.MTime.tv_sec && MTime.tv_nsec == O.MTime.tv_nsec;
  }
};

TFileStamp StampOf(const struct stat& St) {
  TFileStamp S;
  S.Exists = true;
  S.Dev = St.st_dev;
  S.Ino = St.st_ino;
  S.Size = St.st_size;
  S.MTime = St.st_mtim;
  return S;
}

}  // namespace

std::string SettingsFolder() {
  {
    std::lock_guard<std::mutex> L(FolderMutex);
    if (!FolderOverride.empty()) return FolderOverride;
  }
  const char* Xdg = std::getenv("XDG_CONFIG_HOME");
  if (Xdg && Xdg[0] == '/') return std::string(Xdg) + "/quinview";
  const char* Home = std::getenv("HOME");
  if (Home && Home[0] == '/') return std::string(Home) + "/.config/quinview";
  return {};
}

void SetSettingsFolder(std::string Folder) {
  std::lock_guard<std::mutex> L(FolderMutex);
  FolderOverride = std::move(Folder);
}

struct TOrvRegistry::TImpl {
  std::string Folder;
  std::array<TRegNode, 3> Roots;
  std::array<bool, 3> ReadOnly{};
  bool Loaded = false;
  TFileStamp Stamp;

  bool IsOpen = false;
  TRegRoot OpenRoot = TRegRoot::CurrentUser;
  TPath OpenPath;

  std::string FileName() const { return Folder.empty() ? std::string() : Folder + "/settings.txt"; }

  void Clear() {
    for (std::size_t I = 0; I < Roots.size(); ++I) {
      Roots[I].Keys.clear();
      Roots[I].Values.clear();
      Roots[I].Name = RootNames[I];
    }
  }

  bool Parse(std::string_view Text) {
    std::size_t Pos = 0;
    bool First = true;
    TRegNode* Current = nullptr;
    while (Pos < Text.size()) {
      std::size_t End = Text.find('\n', Pos);
      if (End == std::string_view::npos) End = Text.size();
      const std::string_view Line = Text.substr(Pos, End - Pos);
      Pos = End + 1;
      if (First) {
        if (Line != FileHeader) return false;
        First = false;
        continue;
      }
      const auto F = SplitFields(Line);
      if (F[0] == "K" && F.size() == 2) {
        auto Path = Unescape(F[1]);
        if (!Path) return false;
        const std::size_t Sep = Path->find('\\');
        const std::string RootName = Path->substr(0, Sep);
        Current = nullptr;
        for (std::size_t I = 0; I < RootNames.size(); ++I)
          if (RootName == RootNames[I]) Current = &Roots[I];
        if (!Current) return false;
        if (Sep != std::string::npos) {
          auto Parts = SplitKeyPath(std::string_view(*Path).substr(Sep + 1));
          if (!Parts) return false;
          for (const auto& P : *Parts) Current = Current->AddKey(P);
        }
      } else if ((F[0] == "I" || F[0] == "S") && F.size() == 3 && Current) {
        auto Name = Unescape(F[1]);
        if (!Name || Name->size() > MaxValueNameLength) return false;
        TRegValue V;
        V.Name = *Name;
        if (F[0] == "I") {
          V.IsInteger = true;
          const char* B = F[2].data();
          const char* E = B + F[2].size();
          auto R = std::from_chars(B, E, V.Int);
          if (F[2].empty() || R.ec != std::errc() || R.ptr != E) return false;
        } else {
          auto S = Unescape(F[2]);
          if (!S || S->size() > MaxStringLength) return false;
          V.Str = std::move(*S);
        }
        Current->Values[LowerCase(V.Name)] = std::move(V);
      } else {
        return false;
      }
    }
    return !First || Text.empty();
  }

  static void Serialize(std::string& Out, const TRegNode& Node, std::string& Path) {
    Out += "K ";
    AppendEscaped(Out, Path);
    Out += '\n';
    for (const auto& [K, V] : Node.Values) {
      Out += V.IsInteger ? "I " : "S ";
      AppendEscaped(Out, V.Name);
      Out += ' ';
      if (V.IsInteger)
        Out += std::to_string(V.Int);
      else
        AppendEscaped(Out, V.Str);
      Out += '\n';
    }
    for (const auto& [K, Sub] : Node.Keys) {
      const std::size_t Len = Path.size();
      Path += '\\';
      Path += Sub->Name;
      Serialize(Out, *Sub, Path);
      Path.resize(Len);
    }
  }

  // Reads the file anew when it changed since it was last read or written.
  void Refresh() {
    std::lock_guard<std::mutex> L(FileMutex);
    const std::string Name = FileName();
    TFileStamp Now;
    struct stat St;
    if (!Name.empty() && ::stat(Name.c_str(), &St) == 0) Now = StampOf(St);
    if (Loaded && Now == Stamp) return;
    Clear();
    Loaded = true;
    Stamp = Now;
    if (!Now.Exists) return;
    const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) return;
    std::string Text;
    bool Ok = ::fstat(Fd, &St) == 0 && S_ISREG(St.st_mode) && St.st_size <= off_t(MaxFileSize);
    if (Ok) {
      Stamp = StampOf(St);
      Text.resize(std::size_t(St.st_size));
      std::size_t Got = 0;
      while (Got < Text.size()) {
        const ssize_t N = ::read(Fd, Text.data() + Got, Text.size() - Got);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0) break;
        Got += std::size_t(N);
      }
      Ok = Got == Text.size();
    }
    ::close(Fd);
    if (!Ok || !Parse(Text)) Clear();  // a damaged file reads as empty
  }

  // Writes the whole tree; on failure the next access reads the file again.
  bool Save() {
    std::string Out = FileHeader;
    Out += '\n';
    for (std::size_t I = 0; I < Roots.size(); ++I) {
      std::string Path = RootNames[I];
      Serialize(Out, Roots[I], Path);
    }
    std::lock_guard<std::mutex> L(FileMutex);
    const std::string Name = FileName();
    bool Ok = !Name.empty() && Out.size() <= MaxFileSize;
    if (Ok) {
      std::error_code Ec;
      std::filesystem::create_directories(Folder, Ec);
      const std::string Temp = Name + ".tmp." + std::to_string(::getpid()) + "." +
                               std::to_string(TempCounter.fetch_add(1));
      const int Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      Ok = Fd >= 0;
      std::size_t Put = 0;
      while (Ok && Put < Out.size()) {
        const ssize_t N = ::write(Fd, Out.data() + Put, Out.size() - Put);
        if (N < 0 && errno == EINTR) continue;
        if (N <= 0)
          Ok = false;
        else
          Put += std::size_t(N);
      }
      if (Fd >= 0) {
        if (Ok && ::fsync(Fd) != 0) Ok = false;
        if (::close(Fd) != 0) Ok = false;
        if (Ok && ::rename(Temp.c_str(), Name.c_str()) != 0) Ok = false;
        if (!Ok) ::unlink(Temp.c_str());
      }
    }
    struct stat St;
    if (Ok && ::stat(Name.c_str(), &St) == 0) {
      Stamp = StampOf(St);
    } else {
      Loaded = false;
    }
    return Ok;
  }

  TRegNode* Resolve(TRegRoot R, const TPath& Path, bool Create) {
    TRegNode* N = &Roots[std::size_t(R)];
    for (const auto& P : Path) {
      TRegNode* Next = N->FindKey(P);
      if (!Next) {
        if (!Create) return nullptr;
        Next = N->AddKey(P);
      }
      N = Next;
    }
    return N;
  }

  TRegNode* OpenNode() {
    Refresh();
    if (!IsOpen) return nullptr;
    TRegNode* N = Resolve(OpenRoot, OpenPath, false);
    if (!N) IsOpen = false;  // deleted meanwhile through another store
    return N;
  }

  bool WriteValue(std::string_view Name, TRegValue V) {
    TRegNode* N = OpenNode();
    if (!N || ReadOnly[std::size_t(OpenRoot)] || Name.size() > MaxValueNameLength ||
        V.Str.size() > MaxStringLength)
      return false;
    V.Name = std::string(Name);
    N->Values[LowerCase(Name)] = std::move(V);
    return Save();
  }

  // Removes the key at Path (never a root); whether it existed and the change was stored.
  bool RemoveKey(TRegRoot R, const TPath& Path) {
    if (Path.empty()) return false;
    TPath ParentPath(Path.begin(), Path.end() - 1);
    TRegNode* Parent = Resolve(R, ParentPath, false);
    if (!Parent) return false;
    auto It = Parent->Keys.find(LowerCase(Path.back()));
    if (It == Parent->Keys.end()) return false;
    Parent->Keys.erase(It);
    if (IsOpen && OpenRoot == R && PathStartsWith(OpenPath, Path)) IsOpen = false;
    return Save();
  }
};

TOrvRegistry::TOrvRegistry(std::string Folder) : Impl(std::make_unique<TImpl>()) {
  Impl->Folder = std::move(Folder);
  Impl->Clear();
}

TOrvRegistry::~TOrvRegistry() = default;

std::string TOrvRegistry::FileName() const { return Impl->FileName(); }

void TOrvRegistry::SetRootKey(TRegRoot R) {
  CloseKey();
  Root = R;
}

void TOrvRegistry::SetRootReadOnly(TRegRoot R, bool ReadOnly) {
  Impl->ReadOnly[std::size_t(R)] = ReadOnly;
}

void TOrvRegistry::CloseKey() {
  Impl->IsOpen = false;
  Impl->OpenPath.clear();
}

bool TOrvRegistry::OpenKey(std::string_view Base, std::string_view SubKey, bool CanCreate) {
  CloseKey();
  std::string Full(Base);
  Full += SubKey;
  auto Path = SplitKeyPath(Full);
  if (!Path) return false;
  Impl->Refresh();
  if (!Impl->Resolve(Root, *Path, false)) {
    if (!CanCreate || Impl->ReadOnly[std::size_t(Root)]) return false;
    Impl->Resolve(Root, *Path, true);
    if (!Impl->Save()) return false;
  }
  Impl->IsOpen = true;
  Impl->OpenRoot = Root;
  Impl->OpenPath = std::move(*Path);
  return true;
}

bool TOrvRegistry::DeleteValue(std::string_view Name) {
  TRegNode* N = Impl->OpenNode();
  if (!N || Impl->ReadOnly[std::size_t(Impl->OpenRoot)]) return false;
  auto It = N->Values.find(LowerCase(Name));
  if (It == N->Values.end()) return false;
  N->Values.erase(It);
  return Impl->Save();
}

bool TOrvRegistry::KeyExists(std::string_view Key) {
  auto Path = SplitKeyPath(Key);
  if (!Path) return false;
  Impl->Refresh();
  return Impl->Resolve(Root, *Path, false) != nullptr;
}

bool TOrvRegistry::KeyIsEmpty(std::string_view Key) {
  auto Path = SplitKeyPath(Key);
  if (!Path) return true;
  Impl->Refresh();
  const TRegNode* N = Impl->Resolve(Root, *Path, false);
  return !N || (N->Keys.empty() && N->Values.empty());
}

bool TOrvRegistry::MoveKey(std::string_view OldKey, std::string_view NewKey, bool Delete) {
  auto Old = SplitKeyPath(OldKey);
  auto New = SplitKeyPath(NewKey);
  if (!Old || !New || Impl->ReadOnly[std::size_t(Root)]) return false;
  // Moving a key into itself would copy without end or delete what it just copied.
  if (PathStartsWith(*New, *Old)) return false;
  Impl->Refresh();
  const TRegNode* Src = Impl->Resolve(Root, *Old, false);
  if (!Src) return false;
  if (New->size() + Src->Height() > MaxKeyDepth) return false;
  TRegNode Copy;
  Copy.MergeFrom(*Src);
  Impl->Resolve(Root, *New, true)->MergeFrom(Copy);
  // Old is never a root here: every path starts with the empty root path.
  return Delete ? Impl->RemoveKey(Root, *Old) : Impl->Save();
}

bool TOrvRegistry::DeleteKey(std::string_view Key) {
  auto Path = SplitKeyPath(Key);
  if (!Path || Impl->ReadOnly[std::size_t(Root)]) return false;
  Impl->Refresh();
  return Impl->RemoveKey(Root, *Path);
}

bool TOrvRegistry::ReadBool(std::string_view Name, bool Default) {
  const TRegNode* N = Impl->OpenNode();
  const TRegValue* V = N ? N->FindValue(Name) : nullptr;
  return V && V->IsInteger ? V->Int != 0 : Default;
}

int32_t TOrvRegistry::ReadInteger(std::string_view Name, int32_t Default) {
  const TRegNode* N = Impl->OpenNode();
  const TRegValue* V = N ? N->FindValue(Name) : nullptr;
  return V && V->IsInteger ? V->Int : Default;
}

std::string TOrvRegistry::ReadString(std::string_view Name, std::string_view Default) {
  const TRegNode* N = Impl->OpenNode();
  const TRegValue* V = N ? N->FindValue(Name) : nullptr;
  return V && !V->IsInteger ? V->Str : std::string(Default);
}

bool TOrvRegistry::WriteBool(std::string_view Name, bool Value) {
  return WriteInteger(Name, Value ? 1 : 0);
}

bool TOrvRegistry::WriteInteger(std::string_view Name, int32_t Value) {
  TRegValue V;
  V.IsInteger = true;
  V.Int = Value;
  return Impl->WriteValue(Name, std::move(V));
}

bool TOrvRegistry::WriteString(std::string_view Name, std::string_view Value) {
  if (Value.size() > MaxStringLength) return false;
  TRegValue V;
  V.Str = std::string(Value);
  return Impl->WriteValue(Name, std::move(V));
}

std::shared_ptr<ISettingsStore> NewSettingsStore() {
  return std::make_shared<TOrvRegistry>(SettingsFolder());
}

}  // namespace quin
