#include "base/orvstreams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "base/langmanager.h"
#include "base/orvexceptions.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TStream, TObject)
QUIN_IMPLEMENT_CLASS(TMemoryStream, TStream)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TFileStream, TStream)

namespace {

std::string OpenErrorText(const std::string& FileName) {
  static const std::string Template =
      Cp1250("<PLK>Nie można otworzyć pliku %s.<ENU>Cannot open file %s.");
  return FormatTemplate(CurrentLangManager(), Template, {FileName});
}

// The position Offset from Origin, or EStreamError when it lies before the start or overflows.
int64_t SeekTarget(int64_t Offset, TSeekOrigin Origin, int64_t Current, int64_t Size) {
  int64_t Base = Origin == TSeekOrigin::soBeginning ? 0
                 : Origin == TSeekOrigin::soCurrent ? Current
                                                    : Size;
  int64_t Target;
  if (__builtin_add_overflow(Base, Offset, &Target) || Target < 0)
    throw EStreamError("Stream seek error");
  return Target;
}

}  // namespace

EFOpenError::EFOpenError(std::string AFileName, int AErrorCode)
    : EStreamError(OpenErrorText(AFileName)),
      FileName(std::move(AFileName)),
      ErrorCode(AErrorCode) {}

// ----- TStream

int64_t TStream::Remaining() {
  int64_t Pos = Position();
  int64_t S = Size();
  return S > Pos ? S - Pos : 0;
}

void TStream::ReadBuffer(std::span<uint8_t> Buffer) {
  while (!Buffer.empty()) {
    const int64_t N = Read(Buffer);
    if (N <= 0 || static_cast<uint64_t>(N) > Buffer.size()) throw EReadError();
    Buffer = Buffer.subspan(static_cast<size_t>(N));
  }
}

void TStream::WriteBuffer(std::span<const uint8_t> Buffer) {
  while (!Buffer.empty()) {
    const int64_t N = Write(Buffer);
    if (N <= 0 || static_cast<uint64_t>(N) > Buffer.size()) throw EWriteError();
    Buffer = Buffer.subspan(static_cast<size_t>(N));
  }
}

// ----- TMemoryStream

TMemoryStream::TMemoryStream(std::span<const uint8_t> Data) {
  if (Data.size() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
    throw EStreamError("Invalid memory block");
  // A borrowed empty block still marks the stream read-only.
  static const uint8_t kEmpty = 0;
  FBorrowed = Data.empty() ? &kEmpty : Data.data();
  FSize = static_cast<int64_t>(Data.size());
}

int64_t TMemoryStream::Read(std::span<uint8_t> Buffer) {
  if (Buffer.empty() || FPosition >= FSize) return 0;
  const int64_t N = std::min(static_cast<int64_t>(Buffer.size()), FSize - FPosition);
  std::memcpy(Buffer.data(), Memory() + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

int64_t TMemoryStream::Write(std::span<const uint8_t> Buffer) {
  if (Buffer.empty() || ReadOnly()) return 0;
  const auto Count = static_cast<int64_t>(Buffer.size());
  int64_t End;
  if (__builtin_add_overflow(FPosition, Count, &End) ||
      static_cast<uint64_t>(End) > FOwned.max_size())
    return 0;
  if (End > FSize) {
    if (static_cast<size_t>(End) > FOwned.capacity())
      FOwned.reserve(std::max(static_cast<size_t>(End), FOwned.capacity() * 2));
    FOwned.resize(static_cast<size_t>(End));  // a gap after a seek past the end stays zero
    FSize = End;
  }
  std::memcpy(FOwned.data() + FPosition, Buffer.data(), Buffer.size());
  FPosition = End;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(Offset, Origin, FPosition, FSize);
  return FPosition;
}

std::string TMemoryStream::DataString() const {
  return std::string(reinterpret_cast<const char*>(Memory()), static_cast<size_t>(FSize));
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (ReadOnly() || NewSize < 0 || static_cast<uint64_t>(NewSize) > FOwned.max_size())
    throw EWriteError();
  FOwned.resize(static_cast<size_t>(NewSize));
  FSize = NewSize;
}

void TMemoryStream::Clear() {
  if (ReadOnly()) throw EWriteError();
  FOwned.clear();
  FOwned.shrink_to_fit();
  FSize = 0;
  FPosition = 0;
}

// ----- TFileStream

TFileStream::TFileStream(const std::string& AFileName, uint32_t Mode) : FFileName(AFileName) {
  int Flags;
  if ((Mode & 0xFF00) == fmCreate) {
    Flags = O_RDWR | O_CREAT;  // truncated only once the lock is held
  } else {
    switch (Mode & 0x3) {
      case fmOpenRead:
        Flags = O_RDONLY;
        break;
      case fmOpenWrite:
        Flags = O_WRONLY;
        break;
      case fmOpenReadWrite:
        Flags = O_RDWR;
        break;
      default:
        throw EFOpenError(AFileName, EINVAL);
    }
  }
  // Not blocking on a pipe; the flag is cleared once the file is known to be regular.
  int Fd = ::open(AFileName.c_str(), Flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (Fd < 0) throw EFOpenError(AFileName, errno);
  struct stat St;
  int StatErr = ::fstat(Fd, &St) != 0 ? errno : 0;
  if (StatErr != 0 || !S_ISREG(St.st_mode)) {
    ::close(Fd);
    throw EFOpenError(AFileName, StatErr);
  }
  ::fcntl(Fd, F_SETFL, ::fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
  int Lock = 0;
  if (Mode & fmShareExclusive)
    Lock = LOCK_EX;
  else if (Mode & fmShareDenyWrite)
    Lock = LOCK_SH;
  if (Lock != 0 && ::flock(Fd, Lock | LOCK_NB) != 0) {
    int Err = errno;
    ::close(Fd);
    throw EFOpenError(AFileName, Err);
  }
  if ((Mode & 0xFF00) == fmCreate && ::ftruncate(Fd, 0) != 0) {
    int Err = errno;
    ::close(Fd);
    throw EFOpenError(AFileName, Err);
  }
  FHandle = Fd;
  // A file opened for reading only is not written through this stream: its size is known.
  if ((Mode & 0xFF00) != fmCreate && (Mode & 0x3) == fmOpenRead) FKnownSize = St.st_size;
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);  // closing releases the lock
}

namespace {
// One system call moves at most this much.
constexpr int64_t kMaxTransfer = int64_t{1} << 30;
}  // namespace

int64_t TFileStream::ReadAt(int64_t Offset, std::span<uint8_t> Buffer) {
  int64_t Done = 0;
  while (static_cast<uint64_t>(Done) < Buffer.size()) {
    const int64_t Want = std::min(static_cast<int64_t>(Buffer.size()) - Done, kMaxTransfer);
    const ssize_t N = ::pread(FHandle, Buffer.data() + Done, static_cast<size_t>(Want),
                              static_cast<off_t>(Offset + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;  // the end of the file, or a failure: what was read counts
    Done += N;
  }
  return Done;
}

int64_t TFileStream::Read(std::span<uint8_t> Buffer) {
  int64_t Done = 0;
  while (static_cast<uint64_t>(Done) < Buffer.size()) {
    const std::span<uint8_t> Rest = Buffer.subspan(static_cast<size_t>(Done));
    const int64_t WindowEnd = FWindowStart + FWindowLength;
    if (FPosition >= FWindowStart && FPosition < WindowEnd) {
      const int64_t N = std::min(static_cast<int64_t>(Rest.size()), WindowEnd - FPosition);
      std::memcpy(Rest.data(), FWindow.data() + (FPosition - FWindowStart), static_cast<size_t>(N));
      FPosition += N;
      Done += N;
      continue;
    }
    if (static_cast<int64_t>(Rest.size()) >= kWindowSize) {
      const int64_t N = ReadAt(FPosition, Rest);
      FPosition += N;
      Done += N;
      break;
    }
    FWindow.resize(static_cast<size_t>(kWindowSize));
    FWindowStart = FPosition;
    FWindowLength = ReadAt(FPosition, FWindow);
    if (FWindowLength == 0) break;
  }
  return Done;
}

int64_t TFileStream::Write(std::span<const uint8_t> Buffer) {
  if (Buffer.empty()) return 0;
  FWindowLength = 0;  // the window may hold the bytes being replaced
  const auto Want =
      static_cast<size_t>(std::min(static_cast<int64_t>(Buffer.size()), kMaxTransfer));
  for (;;) {
    const ssize_t N = ::pwrite(FHandle, Buffer.data(), Want, static_cast<off_t>(FPosition));
    if (N >= 0) {
      FPosition += N;
      return N;
    }
    if (errno != EINTR) return 0;
  }
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(Offset, Origin, FPosition, Origin == TSeekOrigin::soEnd ? Size() : 0);
  return FPosition;
}

int64_t TFileStream::Size() {
  if (FKnownSize >= 0) return FKnownSize;
  struct stat St;
  if (::fstat(FHandle, &St) != 0) throw EStreamError("Stream size error");
  return St.st_size;
}

std::string ReadRestOfStream(TStream& Stream) {
  const int64_t N = Stream.Remaining();
  if (N <= 0) return {};
  if (static_cast<uint64_t>(N) > std::string().max_size()) throw EReadError();
  std::string S(static_cast<size_t>(N), '\0');
  Stream.ReadBuffer(S);
  return S;
}

}  // namespace quin
