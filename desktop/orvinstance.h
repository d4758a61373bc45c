// Makes a desktop program a single-instance application. The first start takes a lock in the
// user's runtime folder and listens on a local socket beside it; a later start finds the lock
// taken, hands its command line (as full paths) to the running instance and ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quin {

class TOrvSingleInstance {
 public:
  // Name names the lock and the socket (letters, digits, "-", "_" and "." only; other
  // characters become "_"). Folder: the runtime folder (RuntimeFolder() when empty).
  explicit TOrvSingleInstance(std::string Name, std::string Folder = "");
  ~TOrvSingleInstance();
  TOrvSingleInstance(const TOrvSingleInstance&) = delete;
  TOrvSingleInstance& operator=(const TOrvSingleInstance&) = delete;

  enum class TStart {
    First,      // this process holds the lock and listens
    Forwarded,  // another instance runs and was handed the arguments: end now (exit code 0)
    Alone       // no usable runtime folder or socket: the program runs without the others
  };
  // Args are sent as they are (callers expand file names to full paths first).
  TStart Start(const std::vector<std::string>& Args);

  // The listening socket for the program's event loop; -1 unless started first.
  int ListenFd() const { return FListenFd; }
  // Accepts the waiting connections and returns the command lines they carried. Each is read
  // within ReadTimeLimit; one that is malformed, too large or too slow is dropped, as is one
  // from another user.
  std::vector<std::vector<std::string>> ReceivePending();

  // $XDG_RUNTIME_DIR when it is an absolute folder; otherwise a folder of the user's own below
  // the temporary folder (made with access for the user only). Empty when neither is usable.
  static std::string RuntimeFolder();

  static constexpr std::size_t MaxMessage = 256 * 1024;
  static constexpr std::size_t MaxArgs = 4096;
  static constexpr std::chrono::milliseconds ReadTimeLimit{1000};
  // How long a later start waits for a first instance that holds the lock but does not listen
  // yet.
  static constexpr std::chrono::milliseconds ConnectTimeLimit{3000};

  // The message of a command line, and back (false for a malformed or oversized message).
  static std::string EncodeArgs(const std::vector<std::string>& Args);
  static bool DecodeArgs(const std::string& Message, std::vector<std::string>& Args);

 private:
  bool Forward(const std::vector<std::string>& Args);
  std::string FFolder;
  std::string FName;
  int FLockFd = -1;
  int FListenFd = -1;
};

}  // namespace quin
