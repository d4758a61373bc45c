// The codes of dictionary column blocks, decoded into values (bytes or doubles) or runs: the
// RLE families, the packed 1-, 2- and 4-bit indexes and the byte indexes. Used by the column
// block decoders (pelcolblocks.h), which check the block before handing its codes over.
//
// Long columns go through tables built for the block's dictionary: each code byte stands for
// a fixed group of values or pairs, copied at once; the last few records and short columns
// are decoded code by code. Both ways give the same result.
#pragma once

#include <cstdint>
#include <span>

#include "surveykit/pelcolblocks.h"

namespace quin::pelcodes {

// The decoded dictionary: all 256 entries (those past Count hold a harmless value), so that
// decoding never reads outside it; an index at or past Count raises EPelDamagedData.
template <class T>
struct TDictionary {
  T Values[kPelMaxDictionary];
  int Count = 0;
};

// Values of the RLE compressions (cdcfRLE_1_2 .. cdcfRLE_3_8) into Out, one per record. Codes
// that end before the last record, or an index past the dictionary, raise EPelDamagedData.
template <class T>
void DecodeRleValues(int Compression, std::span<const uint8_t> Codes, const TDictionary<T>& Dict,
                     std::span<T> Out);
// Values of the packed indexes (Bits 1, 2 or 4) or of byte codes (Bits 8) into Out.
template <class T>
void DecodeIndexValues(int Bits, std::span<const uint8_t> Codes, const TDictionary<T>& Dict,
                       std::span<T> Out);

// One pair per RLE code, cut at the last record; returns the pairs made.
int64_t DecodeRleRuns(int Compression, std::span<const uint8_t> Codes,
                      const TDictionary<uint8_t>& Dict, std::span<TPelColRun> Out);
// One pair {value, 1} per record from packed indexes or byte codes.
void DecodeIndexRuns(int Bits, std::span<const uint8_t> Codes, const TDictionary<uint8_t>& Dict,
                     std::span<TPelColRun> Out);

[[noreturn]] void CodesEnded();
[[noreturn]] void IndexPastDictionary();

}  // namespace quin::pelcodes
