// Byte streams of the program: the abstract stream, a stream in memory and a file stream.
// Positions and sizes are 64-bit byte counts; ReadBuffer / WriteBuffer transfer all or raise.
// Buffers are passed as spans, so that a size never travels apart from its bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/metaclass.h"

namespace quin {

// Stream failures stand outside the EOrvException family.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
// The stream ended before the requested bytes (or held a length that cannot be right).
class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("Stream read error") {}
};
// The bytes could not be written in full.
class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("Stream write error") {}
};
// A file could not be opened or created. The message, in the current language, names the
// file; ErrorCode keeps the system's error number (0 when the file is not a regular file).
class EFOpenError : public EStreamError {
 public:
  EFOpenError(std::string AFileName, int AErrorCode);
  std::string FileName;
  int ErrorCode;
};

// The bytes of 8-bit text as a span, to be filled or to be read.
inline std::span<uint8_t> WritableByteSpan(std::span<char> S) {
  return {reinterpret_cast<uint8_t*>(S.data()), S.size()};
}
inline std::span<const uint8_t> ByteSpan(std::string_view S) {
  return {reinterpret_cast<const uint8_t*>(S.data()), S.size()};
}

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
  QUIN_CLASS(TStream, TObject)
 public:
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to Buffer.size() bytes at the position; returns the number read (0 at the end or
  // for an empty buffer).
  virtual int64_t Read(std::span<uint8_t> Buffer) = 0;
  // Writes up to Buffer.size() bytes at the position; returns the number written.
  virtual int64_t Write(std::span<const uint8_t> Buffer) = 0;
  // Moves the position and returns the new one. A position before the start raises
  // EStreamError; a position after the end is allowed (reads there return nothing).
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end (0 when the position is past the end).
  int64_t Remaining();

  // Fills Buffer exactly or raises EReadError.
  void ReadBuffer(std::span<uint8_t> Buffer);
  void ReadBuffer(std::span<char> Buffer) { ReadBuffer(WritableByteSpan(Buffer)); }
  // Writes all of Buffer or raises EWriteError.
  void WriteBuffer(std::span<const uint8_t> Buffer);
  void WriteBuffer(std::string_view Text) { WriteBuffer(ByteSpan(Text)); }

 protected:
  TStream() = default;
};

// The rest of Stream from its current position, as a string (reads Remaining() bytes).
std::string ReadRestOfStream(TStream& Stream);

// A stream over bytes in memory. The default stream owns a growable buffer; a stream built
// over borrowed bytes reads them in place (the caller keeps them alive) and refuses writes.
class TMemoryStream : public TStream {
  QUIN_CLASS(TMemoryStream, TStream)
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::span<const uint8_t> Data);  // borrowed, read-only
  explicit TMemoryStream(std::string_view Data) : TMemoryStream(ByteSpan(Data)) {}
  // Borrowing from a temporary string would leave the stream dangling.
  explicit TMemoryStream(std::string&&) = delete;

  int64_t Read(std::span<uint8_t> Buffer) override;
  int64_t Write(std::span<const uint8_t> Buffer) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }

  bool ReadOnly() const { return FBorrowed != nullptr; }
  const uint8_t* Memory() const { return FBorrowed ? FBorrowed : FOwned.data(); }
  // The bytes of the stream as a string (a copy).
  std::string DataString() const;
  // Sets the size of an owned buffer (new bytes are zero); the position is kept. A borrowed
  // stream raises EWriteError.
  void SetSize(int64_t NewSize);
  // Empties an owned buffer and moves to the start.
  void Clear();

 private:
  std::vector<uint8_t> FOwned;
  const uint8_t* FBorrowed = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// Open modes of a file stream; one of the first four, optionally or-ed with a share mode.
enum : uint32_t {
  fmCreate = 0xFF00,  // create or truncate, read and write
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareExclusive = 0x0010,  // exclusive advisory lock
  fmShareDenyWrite = 0x0020,  // shared advisory lock: exclusive lockers are kept out
  fmShareDenyNone = 0x0040,   // no lock
};

// A stream over a regular file (POSIX descriptor). The share modes become advisory flock()
// locks taken without waiting: a lock held elsewhere makes the open fail with EFOpenError.
// Anything but a regular file (a directory, a pipe, a device) is refused, so opening never
// blocks.
//
// The stream keeps its own position: seeking costs no system call, and reading and writing
// go to the file at that position. Small reads are served from a read-ahead window of the
// file (one system call fills it); reads as large as the window go straight into the caller's
// buffer. A stream opened for reading only takes the file's size once, when it opens.
class TFileStream : public TStream {
  QUIN_CLASS(TFileStream, TStream)
 public:
  TFileStream(const std::string& AFileName, uint32_t Mode);
  ~TFileStream() override;

  int64_t Read(std::span<uint8_t> Buffer) override;
  int64_t Write(std::span<const uint8_t> Buffer) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;

  const std::string& FileName() const { return FFileName; }
  int Handle() const { return FHandle; }

  // The size of the read-ahead window.
  static constexpr int64_t kWindowSize = 64 << 10;

 private:
  // Bytes read straight from the file at Offset (short at its end); 0 after a failure.
  int64_t ReadAt(int64_t Offset, std::span<uint8_t> Buffer);

  std::string FFileName;
  int FHandle = -1;
  int64_t FPosition = 0;
  int64_t FKnownSize = -1;       // the size taken at opening (read-only streams), else -1
  std::vector<uint8_t> FWindow;  // read-ahead bytes of the file
  int64_t FWindowStart = 0;      // the file offset of FWindow[0]
  int64_t FWindowLength = 0;     // valid bytes in FWindow
};

}  // namespace quin
