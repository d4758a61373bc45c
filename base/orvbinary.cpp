#include "base/orvbinary.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "base/orvexceptions.h"
#include "base/scopeguard.h"
#include "base/scramble.h"

namespace quin {

namespace {

uint32_t GetLE32(const uint8_t* P) {
  return uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16) | (uint32_t(P[3]) << 24);
}

void PutLE32(uint8_t* P, uint32_t V) {
  for (int I = 0; I < 4; ++I) P[I] = static_cast<uint8_t>(V >> (8 * I));
}

}  // namespace

uint8_t ReadStreamByte(TStream& Stream) {
  uint8_t B;
  Stream.ReadBuffer({&B, 1});
  return B;
}

void ReadStreamHeaderRecord(TStream& Stream, TOrvStreamHeader& Header) {
  uint8_t Bytes[kOrvStreamHeaderSize];
  Stream.ReadBuffer(Bytes);
  Header.Signature = GetLE32(Bytes);
  Header.Version = Bytes[4];
}

void WriteStreamHeader(TStream& Stream, const TOrvStreamHeader& Header) {
  uint8_t Bytes[kOrvStreamHeaderSize];
  PutLE32(Bytes, Header.Signature);
  Bytes[4] = Header.Version;
  Stream.WriteBuffer(Bytes);
}

void ReadStreamGUIDHeaderRecord(TStream& Stream, TOrvStreamGUIDHeader& Header) {
  uint8_t Bytes[kOrvStreamGUIDHeaderSize];
  Stream.ReadBuffer(Bytes);
  uint8_t G[16];
  std::copy(Bytes, Bytes + 16, G);
  Header.Signature = GUIDFromBytes(G);
  Header.Version = Bytes[16];
}

void WriteStreamGUIDHeader(TStream& Stream, const TOrvStreamGUIDHeader& Header) {
  uint8_t Bytes[kOrvStreamGUIDHeaderSize];
  uint8_t G[16];
  GUIDToBytes(Header.Signature, G);
  std::copy(G, G + 16, Bytes);
  Bytes[16] = Header.Version;
  Stream.WriteBuffer(Bytes);
}

void CheckSignature(uint32_t A, uint32_t B) {
  if (A != B) throw ESIGErr();
}

void CheckGUIDSignature(const TGUID& A, const TGUID& B) {
  if (A != B) throw ESIGErr();
}

int CheckStreamVersion(int Version, int Min, int Max) {
  if (Version < Min || Version > Max) throw EVERErr();
  return Version;
}

int ReadStreamHeader(TStream& Stream, uint32_t Signature, int MinVersion, int MaxVersion,
                     TOrvStreamHeader& Header) {
  ReadStreamHeaderRecord(Stream, Header);
  CheckSignature(Header.Signature, Signature);
  return CheckStreamVersion(Header.Version, MinVersion, MaxVersion);
}

int ReadStreamHeader(TStream& Stream, uint32_t Signature, int MinVersion, int MaxVersion) {
  TOrvStreamHeader Header;
  return ReadStreamHeader(Stream, Signature, MinVersion, MaxVersion, Header);
}

int ReadStreamGUIDHeader(TStream& Stream, const TGUID& Signature, int MinVersion, int MaxVersion,
                         TOrvStreamGUIDHeader& Header) {
  ReadStreamGUIDHeaderRecord(Stream, Header);
  CheckGUIDSignature(Header.Signature, Signature);
  return CheckStreamVersion(Header.Version, MinVersion, MaxVersion);
}

int ReadStreamGUIDHeader(TStream& Stream, const TGUID& Signature, int MinVersion, int MaxVersion) {
  TOrvStreamGUIDHeader Header;
  return ReadStreamGUIDHeader(Stream, Signature, MinVersion, MaxVersion, Header);
}

int32_t ReadStreamLength(TStream& Stream) {
  uint8_t B = ReadStreamByte(Stream);
  if (B != kLongStringMarker) return B;
  ReadStreamHeader(Stream, kLongStringSignature, 0, 0);
  uint8_t Bytes[4];
  Stream.ReadBuffer(Bytes);
  auto N = static_cast<int32_t>(GetLE32(Bytes));
  if (N < 0) throw EReadError();
  return N;
}

void WriteStreamLength(TStream& Stream, int32_t N) {
  if (N < 0) throw EWriteError();
  if (N < kLongStringMarker) {
    uint8_t B = static_cast<uint8_t>(N);
    Stream.WriteBuffer({&B, 1});
    return;
  }
  uint8_t Bytes[1 + kOrvStreamHeaderSize + 4];
  Bytes[0] = kLongStringMarker;
  PutLE32(Bytes + 1, kLongStringSignature);
  Bytes[5] = 0;
  PutLE32(Bytes + 6, static_cast<uint32_t>(N));
  Stream.WriteBuffer(Bytes);
}

std::string ReadStreamString(TStream& Stream) {
  int32_t N = ReadStreamLength(Stream);
  if (N == 0) return std::string();
  // The bytes must be there before the string is allocated.
  if (N > Stream.Remaining()) throw EReadError();
  std::string S(static_cast<size_t>(N), '\0');
  Stream.ReadBuffer(S);
  return S;
}

void WriteStreamString(TStream& Stream, std::string_view S) {
  if (S.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError();
  WriteStreamLength(Stream, static_cast<int32_t>(S.size()));
  WriteStreamText(Stream, S);
}

void WriteStreamText(TStream& Stream, std::string_view S) { Stream.WriteBuffer(S); }

void WriteStreamLine(TStream& Stream, std::string_view S) {
  WriteStreamText(Stream, S);
  Stream.WriteBuffer("\r\n");
}

void WriteScrambledString(TStream& Stream, std::string_view S) {
  WriteStreamString(Stream, ScrambleString(S));
}

std::string ReadScrambledString(TStream& Stream) {
  return UnscrambleString(ReadStreamString(Stream));
}

// ----- DecompressBuffer

namespace {

// Ends the inflater on every way out.
struct TInflater {
  z_stream Z{};
  bool Started = false;
  ~TInflater() {
    if (Started) inflateEnd(&Z);
  }
};

// The largest chunk handed to zlib at once (its counters are 32-bit).
constexpr int64_t kMaxChunk = int64_t{1} << 30;

void InflateInto(const uint8_t* In, int64_t InSize, int64_t Estimate, int64_t Limit,
                 TDynByteArr& Out, int64_t& Produced) {
  const int64_t Step = (InSize + 255) / 256 * 256;
  int64_t Capacity = std::min(Estimate > 0 ? Estimate : std::max<int64_t>(Step, 256), Limit);
  Out.resize(static_cast<size_t>(Capacity));
  Produced = 0;

  TInflater Inf;
  if (inflateInit(&Inf.Z) != Z_OK) throw EDecompressionError();
  Inf.Started = true;
  z_stream& Z = Inf.Z;
  int64_t Consumed = 0;  // input bytes handed to zlib so far
  for (;;) {
    if (Z.avail_in == 0 && Consumed < InSize) {
      int64_t Chunk = std::min(InSize - Consumed, kMaxChunk);
      Z.next_in = const_cast<Bytef*>(In + Consumed);
      Z.avail_in = static_cast<uInt>(Chunk);
      Consumed += Chunk;
    }
    if (Produced == Capacity && Capacity < Limit) {
      // The output is full but the stream goes on: grow geometrically, within the limit.
      Capacity = std::min(Limit, Capacity + std::max(Capacity, Step));
      Out.resize(static_cast<size_t>(Capacity));
    }
    // At the limit inflate still runs, into one spare byte: the stream may end right here
    // (its checksum needs no room); a byte produced there is one byte too many.
    uint8_t Spare;
    bool AtLimit = Produced == Capacity;
    uInt Room = AtLimit ? 1 : static_cast<uInt>(std::min(Capacity - Produced, kMaxChunk));
    Z.next_out = AtLimit ? &Spare : Out.data() + Produced;
    Z.avail_out = Room;
    bool AllIn = Consumed == InSize;
    int R = inflate(&Z, AllIn ? Z_FINISH : Z_NO_FLUSH);
    if (AtLimit) {
      if (Z.avail_out == 0) throw EDecompressionError();  // more output than allowed
    } else {
      Produced += Room - Z.avail_out;
    }
    if (R == Z_STREAM_END) break;
    if (R != Z_OK && R != Z_BUF_ERROR) throw EDecompressionError();  // also Z_NEED_DICT
    if (Z.avail_out == 0) continue;                                  // more room needed
    if (Z.avail_in == 0 && !AllIn) continue;                         // more input to hand over
    throw EDecompressionError();  // all input consumed, room left, no end: truncated
  }
}

}  // namespace

int DecompressBuffer(const void* InBuf, int64_t InSize, int64_t OutEstimate, TDynByteArr& OutBuf,
                     int64_t& OutSize, int64_t MaxOutSize) {
  OutBuf.clear();
  OutBuf.shrink_to_fit();
  OutSize = 0;
  if (InSize < 0 || (InSize > 0 && !InBuf) || OutEstimate < 0 ||
      (MaxOutSize < 0 && MaxOutSize != kNoOutLimit))
    throw EDecompressionError();
  int64_t Limit = kMaxDecompressedSize;
  if (InSize < (kMaxDecompressedSize - 65536) / kMaxInflateRatio)
    Limit = InSize * kMaxInflateRatio + 65536;
  if (MaxOutSize != kNoOutLimit) Limit = std::min(Limit, MaxOutSize);
  auto ClearOut = OnScopeFail([&] {
    OutBuf.clear();
    OutBuf.shrink_to_fit();
    OutSize = 0;
  });
  int64_t Produced = 0;
  InflateInto(static_cast<const uint8_t*>(InBuf), InSize, OutEstimate, Limit, OutBuf, Produced);
  OutBuf.resize(static_cast<size_t>(Produced));
  if (OutBuf.capacity() - OutBuf.size() > OutBuf.size() / 4 + 4096) OutBuf.shrink_to_fit();
  OutSize = Produced;
  return 0;
}

}  // namespace quin
