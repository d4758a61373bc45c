// Binary primitives of the program's files: headers pairing a signature with a version byte,
// length-prefixed 8-bit strings, plain text writing, scrambled strings and the inflation of a
// whole zlib block. All integers are little-endian; records are packed.
//
// Files are untrusted. A length read from a stream that is negative, or larger than the bytes
// left in the stream, raises EReadError (the same error as a stream that ends early) before
// anything is allocated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/guid.h"
#include "base/orvclasses.h"
#include "base/orvstreams.h"

namespace quin {

// 5 bytes: Signature (4), Version (1).
struct TOrvStreamHeader {
  uint32_t Signature = 0;
  uint8_t Version = 0;
};
constexpr int kOrvStreamHeaderSize = 5;

// 17 bytes: Signature as a GUID in its binary layout (16), Version (1).
struct TOrvStreamGUIDHeader {
  TGUID Signature;
  uint8_t Version = 0;
};
constexpr int kOrvStreamGUIDHeaderSize = 17;

// The escape header of a length from 255 up: after the byte 255 comes a header with this
// signature and version 0, then the length as a 32-bit signed integer.
constexpr uint32_t kLongStringSignature = 0xF32A52BE;
constexpr uint8_t kLongStringMarker = 255;

uint8_t ReadStreamByte(TStream& Stream);

// The headers as they are, without checks.
void ReadStreamHeaderRecord(TStream& Stream, TOrvStreamHeader& Header);
void WriteStreamHeader(TStream& Stream, const TOrvStreamHeader& Header);
void ReadStreamGUIDHeaderRecord(TStream& Stream, TOrvStreamGUIDHeader& Header);
void WriteStreamGUIDHeader(TStream& Stream, const TOrvStreamGUIDHeader& Header);

// ESIGErr unless A == B.
void CheckSignature(uint32_t A, uint32_t B);
void CheckGUIDSignature(const TGUID& A, const TGUID& B);
// Version when Min <= Version <= Max, else EVERErr.
int CheckStreamVersion(int Version, int Min, int Max);

// Reads the header, checks the signature (ESIGErr), then the version (EVERErr); returns the
// version. After a failed check the position is just after the header.
int ReadStreamHeader(TStream& Stream, uint32_t Signature, int MinVersion, int MaxVersion,
                     TOrvStreamHeader& Header);
int ReadStreamHeader(TStream& Stream, uint32_t Signature, int MinVersion, int MaxVersion);
int ReadStreamGUIDHeader(TStream& Stream, const TGUID& Signature, int MinVersion, int MaxVersion,
                         TOrvStreamGUIDHeader& Header);
int ReadStreamGUIDHeader(TStream& Stream, const TGUID& Signature, int MinVersion, int MaxVersion);

// The length of a length-prefixed string: one byte for 0..254, else the byte 255, the escape
// header (signature kLongStringSignature, version exactly 0: ESIGErr / EVERErr otherwise) and
// an int32. A negative length raises EReadError.
int32_t ReadStreamLength(TStream& Stream);
// Writes N (>= 0) in the form above; a negative N raises EWriteError.
void WriteStreamLength(TStream& Stream, int32_t N);

// The length, then exactly that many bytes (EReadError when the stream holds fewer).
std::string ReadStreamString(TStream& Stream);
// The length of S, then its bytes. A string longer than the int32 range raises EWriteError.
void WriteStreamString(TStream& Stream, std::string_view S);

// The bytes of S alone; nothing for an empty string.
void WriteStreamText(TStream& Stream, std::string_view S);
// S followed by CR LF.
void WriteStreamLine(TStream& Stream, std::string_view S);

// A length-prefixed string whose bytes are scrambled (ScrambleString before writing,
// UnscrambleString after reading).
void WriteScrambledString(TStream& Stream, std::string_view S);
std::string ReadScrambledString(TStream& Stream);

// No maximum beyond the built-in limit of DecompressBuffer.
constexpr int64_t kNoOutLimit = -1;
// The largest output DecompressBuffer ever produces.
constexpr int64_t kMaxDecompressedSize = 0x7FFFFFFF;
// The largest ratio of output to input that a deflate stream can reach.
constexpr int64_t kMaxInflateRatio = 1032;

// Inflates the complete zlib stream (header, data, checksum) of InSize bytes at InBuf into
// OutBuf, which ends up holding exactly the OutSize bytes produced. OutEstimate is the
// expected output size (0: unknown); it sets the first allocation, and the buffer grows
// geometrically when the output is larger. The output never exceeds MaxOutSize (when not
// kNoOutLimit), kMaxInflateRatio times InSize (plus a small allowance) or
// kMaxDecompressedSize. Returns 0.
// Raises EDecompressionError (OutBuf then empty) for corrupt data, a truncated stream, a
// stream that needs a preset dictionary, an output beyond the limit, a negative size or
// estimate.
int DecompressBuffer(const void* InBuf, int64_t InSize, int64_t OutEstimate, TDynByteArr& OutBuf,
                     int64_t& OutSize, int64_t MaxOutSize = kNoOutLimit);

}  // namespace quin
