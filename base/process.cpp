#include "base/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "base/scopeguard.h"
#include "base/settingsstore.h"
#include "base/text.h"

extern char** environ;

namespace quin {
namespace {

std::mutex TitleMutex;
std::string Title = "Quinview Server";

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

bool HasNul(std::string_view S) { return S.find('\0') != std::string_view::npos; }

class TSpawnFileActions {
 public:
  TSpawnFileActions() { Ok = posix_spawn_file_actions_init(&FA) == 0; }
  ~TSpawnFileActions() {
    if (Ok) posix_spawn_file_actions_destroy(&FA);
  }
  posix_spawn_file_actions_t FA;
  bool Ok;
};

class TSpawnAttr {
 public:
  TSpawnAttr() { Ok = posix_spawnattr_init(&A) == 0; }
  ~TSpawnAttr() {
    if (Ok) posix_spawnattr_destroy(&A);
  }
  posix_spawnattr_t A;
  bool Ok;
};

}  // namespace

std::string ApplicationTitle() {
  std::lock_guard<std::mutex> L(TitleMutex);
  return Title;
}

void SetApplicationTitle(std::string NewTitle) {
  std::lock_guard<std::mutex> L(TitleMutex);
  Title = std::move(NewTitle);
}

// ---------------------------------------------------------------------------------------------
// Process runner

std::vector<std::string> SplitCommandLine(std::string_view C) {
  std::vector<std::string> Args;
  const std::size_t N = C.size();
  std::size_t I = 0;
  while (I < N && IsBlank(C[I])) ++I;
  if (I >= N) return Args;

  // The program name: quotes group, backslashes are plain characters.
  std::string Prog;
  bool InQuotes = false;
  for (; I < N; ++I) {
    if (C[I] == '"') {
      InQuotes = !InQuotes;
      continue;
    }
    if (!InQuotes && IsBlank(C[I])) break;
    Prog += C[I];
  }
  Args.push_back(std::move(Prog));

  while (true) {
    while (I < N && IsBlank(C[I])) ++I;
    if (I >= N) break;
    std::string Arg;
    InQuotes = false;
    while (I < N) {
      const char Ch = C[I];
      if (!InQuotes && IsBlank(Ch)) break;
      if (Ch == '\\') {
        std::size_t Count = 0;
        while (I < N && C[I] == '\\') {
          ++Count;
          ++I;
        }
        if (I < N && C[I] == '"') {
          Arg.append(Count / 2, '\\');
          if (Count % 2 == 1) {
            Arg += '"';
            ++I;
          }
          // With an even count the quote is handled as a quote on the next round.
        } else {
          Arg.append(Count, '\\');
        }
        continue;
      }
      if (Ch == '"') {
        if (InQuotes && I + 1 < N && C[I + 1] == '"') {
          Arg += '"';
          I += 2;
        } else {
          InQuotes = !InQuotes;
          ++I;
        }
        continue;
      }
      Arg += Ch;
      ++I;
    }
    Args.push_back(std::move(Arg));
  }
  return Args;
}

int RunProcessAndWait(std::string_view WorkDir, const std::vector<std::string>& Argv,
                      int ShowWindow) {
  // Over-long input is refused, never cut: a shortened path or command would run something
  // else than was asked for.
  if (WorkDir.size() > MaxProcessInputLength || HasNul(WorkDir)) return -1;
  if (Argv.empty() || Argv[0].empty()) return -1;
  std::size_t Joined = 0;
  for (const auto& A : Argv) {
    if (HasNul(A)) return -1;
    Joined += A.size() + 1;
  }
  if (Joined - 1 > MaxProcessInputLength) return -1;

  TSpawnFileActions Actions;
  TSpawnAttr Attr;
  if (!Actions.Ok || !Attr.Ok) return -1;
  const std::string Dir(WorkDir);
  if (!Dir.empty() && posix_spawn_file_actions_addchdir_np(&Actions.FA, Dir.c_str()) != 0)
    return -1;
  if (posix_spawn_file_actions_addopen(&Actions.FA, 0, "/dev/null", O_RDONLY, 0) != 0 ||
      posix_spawn_file_actions_addclosefrom_np(&Actions.FA, 3) != 0)
    return -1;
  sigset_t Defaults, Mask;
  sigfillset(&Defaults);
  sigdelset(&Defaults, SIGKILL);
  sigdelset(&Defaults, SIGSTOP);
  sigemptyset(&Mask);
  if (posix_spawnattr_setsigdefault(&Attr.A, &Defaults) != 0 ||
      posix_spawnattr_setsigmask(&Attr.A, &Mask) != 0 ||
      posix_spawnattr_setflags(&Attr.A, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) != 0)
    return -1;

  std::vector<char*> Ptrs;
  Ptrs.reserve(Argv.size() + 1);
  for (const auto& A : Argv) Ptrs.push_back(const_cast<char*>(A.c_str()));
  Ptrs.push_back(nullptr);

  pid_t Pid = 0;
  if (posix_spawnp(&Pid, Ptrs[0], &Actions.FA, &Attr.A, Ptrs.data(), environ) != 0) return -1;

  int Status = 0;
  while (::waitpid(Pid, &Status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(Status)) return WEXITSTATUS(Status);
  return -1;  // ended by a signal
}

int RunProcessAndWait(std::string_view WorkDir, std::string_view CmdLine, int ShowWindow) {
  if (CmdLine.size() > MaxProcessInputLength || HasNul(CmdLine)) return -1;
  return RunProcessAndWait(WorkDir, SplitCommandLine(CmdLine), ShowWindow);
}

// ---------------------------------------------------------------------------------------------
// Desktop shell

int ShellOpen(void* Window, std::string_view FileName, std::string_view Parameters, int ShowCmd) {
  constexpr int NoAssociation = 31, FileNotFound = 2, Success = 42;
  const char* Display = std::getenv("DISPLAY");
  if (!Display || !Display[0]) return NoAssociation;
  if (FileName.empty()) return FileNotFound;
  const int Rc = RunProcessAndWait("", {"xdg-open", std::string(FileName)}, ShowCmd);
  if (Rc == 0) return Success;
  if (Rc == 2) return FileNotFound;
  return NoAssociation;
}

// ---------------------------------------------------------------------------------------------
// File types in the registry

namespace {

const char* const FileExtsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
const char* const ApplicationsKey = "SOFTWARE\\Classes\\Applications\\";

std::string ProgramFileName(std::string_view ExePath) {
  const std::size_t P = ExePath.find_last_of("\\/");
  return std::string(P == std::string_view::npos ? ExePath : ExePath.substr(P + 1));
}

// The letters a..z of an MRUList, each once, in their order.
std::string CleanMruList(std::string_view S) {
  std::string Out;
  for (char C : S)
    if (C >= 'a' && C <= 'z' && Out.find(C) == std::string::npos) Out += C;
  return Out;
}

}  // namespace

void RegisterFileType(TOrvRegistry& R, std::string_view Ext, std::string_view ProgID,
                      std::string_view Description, std::string_view IconPath,
                      std::string_view ExePath) {
  if (Ext.empty() || ProgID.empty()) return;  // would write into a root itself
  // The registry's root is given back when the function ends.
  const TRegRoot SavedRoot = R.RootKey();
  auto RestoreRoot = OnScopeExit([&] { R.SetRootKey(SavedRoot); });
  const std::string OpenCommand = std::string(ExePath) + " \"%1\"";

  R.SetRootKey(TRegRoot::ClassesRoot);
  if (R.OpenKey(Ext, "", true)) {
    R.WriteString("", ProgID);
    R.CloseKey();
  }
  if (R.OpenKey(ProgID, "", true)) {
    R.WriteString("", Description);
    R.CloseKey();
  }
  if (R.OpenKey(ProgID, "\\DefaultIcon", true)) {
    R.WriteString("", IconPath.empty() ? std::string(ExePath) + ", 0" : std::string(IconPath));
    R.CloseKey();
  }
  bool Registered = false;
  if (R.OpenKey(ProgID, "\\Shell\\Open\\Command", true)) {
    Registered = R.WriteString("", OpenCommand);
    R.CloseKey();
  }
  if (Registered) return;

  // No write access to the classes root: the current user's list of programs for Ext.
  const std::string ExeName = ProgramFileName(ExePath);
  if (ExeName.empty()) return;
  bool Listed = false;
  R.SetRootKey(TRegRoot::CurrentUser);
  if (R.OpenKey(std::string(FileExtsKey) + std::string(Ext), "\\OpenWithList", true)) {
    std::string Mru = CleanMruList(R.ReadString("MRUList", ""));
    char Letter = 0;
    for (char L : Mru)
      if (SameText(R.ReadString(std::string(1, L), ""), ExeName)) {
        Letter = L;
        break;
      }
    bool Named = Letter != 0;
    if (!Letter) {
      for (char L = 'a'; L <= 'z' && !Letter; ++L)
        if (Mru.find(L) == std::string::npos) Letter = L;
      // Every letter taken: the least recently used entry gives way.
      if (!Letter) Letter = Mru.back();
      Named = R.WriteString(std::string(1, Letter), ExeName);
    }
    if (Named) {
      Mru.erase(std::remove(Mru.begin(), Mru.end(), Letter), Mru.end());
      Listed = R.WriteString("MRUList", std::string(1, Letter) + Mru);
    }
    R.CloseKey();
  }
  if (!Listed) return;
  R.SetRootKey(TRegRoot::LocalMachine);
  if (R.OpenKey(std::string(ApplicationsKey) + ExeName, "\\shell\\open\\command", true)) {
    R.WriteString("", OpenCommand);
    R.CloseKey();
  }
}

void RegisterFileType(std::string_view Ext, std::string_view ProgID, std::string_view Description,
                      std::string_view IconPath, std::string_view ExePath) {
  TOrvRegistry R;
  RegisterFileType(R, Ext, ProgID, Description, IconPath, ExePath);
}

std::string GetOpenCommand(TOrvRegistry& R, std::string_view Ext) {
  if (Ext.empty()) return {};
  // The registry's root is given back when the function ends.
  const TRegRoot SavedRoot = R.RootKey();
  auto RestoreRoot = OnScopeExit([&] { R.SetRootKey(SavedRoot); });
  R.SetRootKey(TRegRoot::ClassesRoot);
  std::string ProgID;
  if (R.OpenKey(Ext, "", false)) {
    ProgID = R.ReadString("", "");
    R.CloseKey();
  }
  if (!ProgID.empty() && R.OpenKey(ProgID, "", false)) {
    R.CloseKey();
    std::string Command;
    if (R.OpenKey(ProgID, "\\Shell\\Open\\Command", false)) {
      Command = R.ReadString("", "");
      R.CloseKey();
    }
    return Command;
  }

  R.SetRootKey(TRegRoot::CurrentUser);
  std::string ExeName;
  if (R.OpenKey(std::string(FileExtsKey) + std::string(Ext), "\\OpenWithList", false)) {
    const std::string Mru = R.ReadString("MRUList", "");
    if (!Mru.empty()) ExeName = R.ReadString(std::string(1, Mru[0]), "");
    R.CloseKey();
  }
  if (ExeName.empty()) return {};
  R.SetRootKey(TRegRoot::LocalMachine);
  if (R.OpenKey(std::string(ApplicationsKey) + ExeName, "\\shell\\open\\command", false)) {
    std::string Command = R.ReadString("", "");
    R.CloseKey();
    return Command;
  }
  return ExeName;
}

std::string GetOpenCommand(std::string_view Ext) {
  TOrvRegistry R;
  return GetOpenCommand(R, Ext);
}

}  // namespace quin
