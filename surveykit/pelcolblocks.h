// Column blocks of a survey file's data files: one block per column and data file, holding the
// column's values either plain (one per record) or as a small dictionary with packed codes.
// The three decoders give one byte, one double or (value, run length) pairs per record.
//
// Blocks come from untrusted files. Every count and size is checked against the record count
// and the bytes left in the stream before anything is allocated, every dictionary index against
// the dictionary, every code read against the end of the codes; inflated codes are capped at
// the record count. A damaged block raises EPelDamagedData, a block of another version, kind,
// layout or compression EVERErr. Nothing is ever written beyond the caller's RecordCount values,
// and a block that is refused before decoding leaves the caller's buffer untouched.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvexceptions.h"
#include "base/orvstreams.h"

namespace quin {

// The value that stands for a missing double (and the missing marker of cdlfFlt8).
constexpr double kPelMissingDouble = -1.7e308;
// The value that stands for a missing byte.
constexpr uint8_t kPelMissingByte = 255;

// A survey file whose structure does not hold together: a count, size, offset or index that
// lies outside what the file holds. Detail names what was found (in English; it is technical).
class EPelDamagedData : public EOrvException {
 public:
  explicit EPelDamagedData(std::string Detail);
  static const std::string& DefaultTemplate();
};
// "The survey file is damaged.": the reason shown for a survey that cannot be opened when the
// failure carries no text of its own.
const std::string& PelDamagedFileText();

// Stored value layouts.
enum TPelColDataLayout : uint8_t {
  cdlfBit2 = 0,
  cdlfBit4 = 1,
  cdlfUInt1 = 2,
  cdlfUInt2 = 3,
  cdlfUInt4 = 4,
  cdlfSInt1 = 5,
  cdlfSInt2 = 6,
  cdlfSInt4 = 7,
  cdlfFlt8 = 8,
};
constexpr int kPelColDataLayoutCount = 9;
extern const char* const PelColDataLayoutNames[kPelColDataLayoutCount];

// Packings of the codes of a dictionary block.
enum TPelColDataCompression : uint8_t {
  cdcfNoCompression = 0,
  cdcfRLE_1_2 = 1,
  cdcfRLE_1_4 = 2,
  cdcfRLE_1_8 = 3,
  cdcfRLE_1_16 = 4,
  cdcfRLE_3_4 = 5,
  cdcfRLE_3_8 = 6,
  cdcfIDX_1 = 7,
  cdcfIDX_2 = 8,
  cdcfIDX_4 = 9,
  cdcfIDX_8 = 10,
  cdcfZLib = 11,
};
constexpr int kPelColDataCompressionCount = 12;
extern const char* const PelColDataCompressionNames[kPelColDataCompressionCount];

// Block kinds.
constexpr uint8_t kPelColBlockPlain = 1;
constexpr uint8_t kPelColBlockDictionary = 2;
// The one block version there is.
constexpr uint8_t kPelColBlockVersion = 1;
// The largest dictionary: codes address at most 256 values.
constexpr int kPelMaxDictionary = 256;

// The missing marker of a layout as an unsigned bit pattern (the double's bits for cdlfFlt8).
uint64_t PelLayoutMissingBits(TPelColDataLayout Layout);
// Stored bytes of Count values in Layout; -1 for a layout above cdlfFlt8 or a negative Count.
int64_t PelLayoutStoredSize(int Layout, int64_t Count);
// The largest dictionary a compression can address (0 for cdcfNoCompression and unknown ones).
int PelCompressionMaxDictionary(int Compression);

// The most records one byte of codes can stand for in Compression (kMaxInflateRatio for
// cdcfZLib; 0 for cdcfNoCompression and unknown ones). A dictionary block of N records needs
// at least N divided by this many code bytes.
int64_t PelCompressionRecordsPerCodeByte(int Compression);

// Counted copies of one value.
struct TPelColRun {
  uint8_t Value = 0;
  int32_t Count = 0;
};

// One block while it is decoded. A caller that reads many blocks may keep one and pass it
// again: its buffers are reused.
struct TPelColBlock {
  uint8_t Kind = 0;
  uint8_t Layout = 0;
  uint8_t Compression = 0;
  int32_t Count = 0;
  int32_t CodeSize = 0;
  // The stored values, then the codes, as they follow each other in the file (read at once).
  std::vector<uint8_t> Data;
  std::vector<uint8_t> Scratch;  // inflated codes

  // Bytes of the stored values: PelLayoutStoredSize(Layout, Count).
  int64_t ValueBytes() const { return PelLayoutStoredSize(Layout, Count); }
  // Views into Data (empty when Data is too short for what the header says).
  std::span<const uint8_t> Values() const;
  std::span<const uint8_t> Codes() const;
};

// The block varint: one byte n; n = 255: a 16-bit unsigned m follows; m = 65535: an int32
// follows and is the value; otherwise the value is m, or n.
int32_t ReadBlockVarint(TStream& Stream);
// The same form in a byte buffer at Pos (advanced); a varint cut at the buffer's end raises
// EPelDamagedData.
int32_t ReadBufferVarint(std::span<const uint8_t> Data, int64_t& Pos);

// Reads the block header at the stream's position: version (EVERErr unless 1), kind, layout,
// count, for kind 2 compression and code size, and checks it against RecordCount and the
// bytes left in the stream; the stream then stands at the stored values. Refused: a kind
// other than 1 or 2, a layout above cdlfFlt8, a dictionary block with cdcfNoCompression or an
// unknown compression (EVERErr); a negative RecordCount, a plain block whose count is not
// RecordCount, a dictionary above 256 values or above what the compression addresses, codes
// too few for RecordCount records, a size beyond the bytes left in the stream
// (EPelDamagedData).
void ReadColumnBlockHeader(TStream& Stream, TPelColBlock& Block, int RecordCount);
// ReadColumnBlockHeader, then the values and codes in one read. Nothing is allocated before
// the header has passed its checks.
void ReadColumnBlock(TStream& Stream, TPelColBlock& Block, int RecordCount);

// Decode a block read by ReadColumnBlock into one byte (missing 255) or one double (missing
// kPelMissingDouble) per element of the buffer, or into runs (room for one pair per record;
// returns the pairs made, which cover exactly Runs.size() records). A block of an unknown kind
// raises EVERErr in all three (the runs decoder never answers -1) and leaves the buffer
// untouched. Codes that end before the last record, or an index past the dictionary, raise
// EPelDamagedData; a run reaching past the last record is cut there, and codes after the last
// record are not read. A buffer of more than INT32_MAX elements raises EPelDamagedData.
void DecodeColumnBytes(TPelColBlock& Block, std::span<uint8_t> Buffer);
void DecodeColumnDoubles(TPelColBlock& Block, std::span<double> Values);
int DecodeColumnRuns(TPelColBlock& Block, std::span<TPelColRun> Runs);

// Read and decode the block at the stream's position, for as many records as the buffer holds.
void ReadColumnBytes(TStream& Stream, std::span<uint8_t> Buffer);
void ReadColumnDoubles(TStream& Stream, std::span<double> Values);
int ReadColumnRuns(TStream& Stream, std::span<TPelColRun> Runs);
// The same with a block whose buffers are reused.
void ReadColumnBytes(TStream& Stream, std::span<uint8_t> Buffer, TPelColBlock& Block);
void ReadColumnDoubles(TStream& Stream, std::span<double> Values, TPelColBlock& Block);
int ReadColumnRuns(TStream& Stream, std::span<TPelColRun> Runs, TPelColBlock& Block);

// A double as a byte: missing, non-finite and |X| >= 2^63 give 255; others are rounded to the
// nearest integer, ties to even (whatever the floating-point mode), and keep their low 8 bits.
uint8_t PelDoubleToByte(double X);

}  // namespace quin
