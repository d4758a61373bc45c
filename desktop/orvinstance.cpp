#include "desktop/orvinstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace quin {

namespace {

constexpr char kMagic[4] = {'Q', 'V', 'I', '1'};

void PutU32(std::string& S, uint32_t V) {
  for (int I = 0; I < 4; ++I) S += static_cast<char>((V >> (8 * I)) & 0xFF);
}

bool GetU32(const std::string& S, std::size_t& Pos, uint32_t& V) {
  if (S.size() - Pos < 4) return false;
  V = 0;
  for (int I = 0; I < 4; ++I) V |= uint32_t(static_cast<unsigned char>(S[Pos + I])) << (8 * I);
  Pos += 4;
  return true;
}

bool MakeAddress(const std::string& Path, sockaddr_un& A) {
  std::memset(&A, 0, sizeof A);
  A.sun_family = AF_UNIX;
  if (Path.size() >= sizeof A.sun_path) return false;
  std::memcpy(A.sun_path, Path.data(), Path.size());
  return true;
}

bool WriteAll(int Fd, const std::string& Data) {
  std::size_t Done = 0;
  while (Done < Data.size()) {
    const ssize_t N = send(Fd, Data.data() + Done, Data.size() - Done, MSG_NOSIGNAL);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    Done += static_cast<std::size_t>(N);
  }
  return true;
}

// Reads a whole message from a connection until the peer closes it, within the time limit.
bool ReadMessage(int Fd, std::string& Message) {
  const auto Deadline = std::chrono::steady_clock::now() + TOrvSingleInstance::ReadTimeLimit;
  char Buf[4096];
  for (;;) {
    const auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (Left.count() <= 0) return false;
    pollfd P{Fd, POLLIN, 0};
    const int R = poll(&P, 1, static_cast<int>(Left.count()));
    if (R < 0 && errno == EINTR) continue;
    if (R <= 0) return false;
    const ssize_t N = recv(Fd, Buf, sizeof Buf, 0);
    if (N < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (N < 0) return false;
    if (N == 0) return true;
    if (Message.size() + static_cast<std::size_t>(N) > TOrvSingleInstance::MaxMessage) return false;
    Message.append(Buf, static_cast<std::size_t>(N));
  }
}

}  // namespace

std::string TOrvSingleInstance::EncodeArgs(const std::vector<std::string>& Args) {
  std::string S(kMagic, sizeof kMagic);
  PutU32(S, static_cast<uint32_t>(Args.size()));
  for (const std::string& A : Args) {
    PutU32(S, static_cast<uint32_t>(A.size()));
    S += A;
  }
  return S;
}

bool TOrvSingleInstance::DecodeArgs(const std::string& Message, std::vector<std::string>& Args) {
  Args.clear();
  if (Message.size() > MaxMessage || Message.size() < sizeof kMagic ||
      Message.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0)
    return false;
  std::size_t Pos = sizeof kMagic;
  uint32_t Count = 0;
  if (!GetU32(Message, Pos, Count) || Count > MaxArgs) return false;
  for (uint32_t I = 0; I < Count; ++I) {
    uint32_t Len = 0;
    if (!GetU32(Message, Pos, Len) || Len > Message.size() - Pos) return false;
    Args.emplace_back(Message, Pos, Len);
    Pos += Len;
  }
  return Pos == Message.size();
}

TOrvSingleInstance::TOrvSingleInstance(std::string Name, std::string Folder)
    : FFolder(Folder.empty() ? RuntimeFolder() : std::move(Folder)), FName(std::move(Name)) {
  for (char& C : FName)
    if (!std::isalnum(static_cast<unsigned char>(C)) && C != '-' && C != '_' && C != '.') C = '_';
  if (FName.empty() || FName[0] == '.') FName.insert(0, "_");
}

TOrvSingleInstance::~TOrvSingleInstance() {
  if (FListenFd >= 0) {
    close(FListenFd);
    // Removed while the lock is still held: a new first instance then makes its own.
    unlink((FFolder + "/" + FName + ".sock").c_str());
  }
  if (FLockFd >= 0) close(FLockFd);
}

std::string TOrvSingleInstance::RuntimeFolder() {
  std::error_code E;
  if (const char* X = std::getenv("XDG_RUNTIME_DIR");
      X && X[0] == '/' && std::filesystem::is_directory(X, E))
    return X;
  std::string Dir =
      (std::filesystem::temp_directory_path(E) / ("quinview-" + std::to_string(getuid()))).string();
  mkdir(Dir.c_str(), 0700);
  struct stat St {};
  if (lstat(Dir.c_str(), &St) != 0 || !S_ISDIR(St.st_mode) || St.st_uid != getuid() ||
      (St.st_mode & 077) != 0)
    return {};
  return Dir;
}

TOrvSingleInstance::TStart TOrvSingleInstance::Start(const std::vector<std::string>& Args) {
  if (FFolder.empty() || FLockFd >= 0) return TStart::Alone;
  const std::string LockPath = FFolder + "/" + FName + ".lock";
  const std::string SockPath = FFolder + "/" + FName + ".sock";
  sockaddr_un Address{};
  if (!MakeAddress(SockPath, Address)) return TStart::Alone;
  const int Lock = open(LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (Lock < 0) return TStart::Alone;
  if (flock(Lock, LOCK_EX | LOCK_NB) != 0) {
    close(Lock);
    return Forward(Args) ? TStart::Forwarded : TStart::Alone;
  }
  FLockFd = Lock;
  unlink(SockPath.c_str());  // left by an instance that ended abruptly
  const int Fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (Fd < 0) return TStart::Alone;
  if (bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0 || listen(Fd, 16) != 0) {
    close(Fd);
    return TStart::Alone;
  }
  FListenFd = Fd;
  return TStart::First;
}

bool TOrvSingleInstance::Forward(const std::vector<std::string>& Args) {
  const std::string Message = EncodeArgs(Args);
  if (Message.size() > MaxMessage) return false;
  sockaddr_un Address{};
  if (!MakeAddress(FFolder + "/" + FName + ".sock", Address)) return false;
  const auto Deadline = std::chrono::steady_clock::now() + ConnectTimeLimit;
  for (;;) {
    const int Fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (Fd < 0) return false;
    if (connect(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0) {
      const bool Sent = WriteAll(Fd, Message);
      close(Fd);
      return Sent;
    }
    const int Err = errno;
    close(Fd);
    // The first instance holds the lock but may not listen yet.
    if ((Err != ENOENT && Err != ECONNREFUSED) || std::chrono::steady_clock::now() >= Deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<std::vector<std::string>> TOrvSingleInstance::ReceivePending() {
  std::vector<std::vector<std::string>> Lines;
  if (FListenFd < 0) return Lines;
  for (;;) {
    const int Fd = accept4(FListenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (Fd < 0) {
      if (errno == EINTR) continue;
      break;  // nothing more waiting
    }
    ucred Peer{};
    socklen_t Len = sizeof Peer;
    std::string Message;
    std::vector<std::string> Args;
    if (getsockopt(Fd, SOL_SOCKET, SO_PEERCRED, &Peer, &Len) == 0 && Peer.uid == getuid() &&
        ReadMessage(Fd, Message) && DecodeArgs(Message, Args))
      Lines.push_back(std::move(Args));
    close(Fd);
  }
  return Lines;
}

}  // namespace quin
