// Encoders for the data part of a survey file: column blocks in every layout and compression,
// the column directory (lengths and names blocks), data files and record-set chains. Values
// are given as doubles with kPelMissingDouble for missing; a value that the chosen layout
// cannot hold, or a dictionary that the chosen compression cannot address, raises
// ESurveyWriterError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/orvstreams.h"
#include "surveykit/pelcolblocks.h"
#include "surveykit/pelcolumns.h"

namespace quin {

class ESurveyWriterError : public Exception {
 public:
  using Exception::Exception;
};

// Appends the block / directory varint of V (V < 255: one byte; V < 65535: 255 and a 16-bit
// value; else 255, 65535 and the int32).
void PutVarint(std::string& Out, int32_t V);

// The stored form of one value in Layout (the missing marker for kPelMissingDouble): an
// integral value in the layout's range other than its marker, or any double for cdlfFlt8.
uint64_t PelStoredValue(TPelColDataLayout Layout, double Value);
// Appends stored values in Layout (bit layouts packed lowest bits first).
void PutStoredValues(std::string& Out, TPelColDataLayout Layout,
                     const std::vector<uint64_t>& Stored);

// A block with the given header fields and raw value and code bytes, written as they are (no
// checks: hostile fixtures are made with it).
std::string EncodeRawColumnBlock(uint8_t Kind, uint8_t Layout, int32_t Count, uint8_t Compression,
                                 const std::string& ValueBytes, const std::string& CodeBytes,
                                 uint8_t Version = 1);

// A plain block: one value per record.
std::string EncodePlainColumnBlock(TPelColDataLayout Layout, const std::vector<double>& Values);
// The codes of the given dictionary indexes (one per record) in Compression.
std::string EncodeColumnCodes(TPelColDataCompression Compression, const std::vector<int>& Indexes,
                              int DictionarySize);
// A dictionary block: the dictionary Dict and one dictionary index per record.
std::string EncodeDictColumnBlock(TPelColDataLayout Layout, TPelColDataCompression Compression,
                                  const std::vector<double>& Dict, const std::vector<int>& Indexes);
// A block of Values: plain for cdcfNoCompression, else a dictionary block whose dictionary
// holds the distinct values, most frequent first (so the RLE families run on the frequent
// values).
std::string EncodeColumnBlock(TPelColDataLayout Layout, TPelColDataCompression Compression,
                              const std::vector<double>& Values);

// The inflated contents of the lengths block (one varint per length) and of the names block
// (front-coded 7-bit names).
std::string EncodeColumnLengths(const std::vector<int64_t>& Lengths);
std::string EncodeColumnNames(const std::vector<std::string>& Names);
// The 5-byte header followed by the zlib stream of Data; returns the compressed size.
int32_t WriteDirectoryBlock(TStream& Stream, uint32_t Signature, const std::string& Data);

// A zlib stream of Data (compress2, best compression).
std::string ZlibCompress(const std::string& Data);

struct TSwColumn {
  std::string Name;
  std::string Block;  // an encoded column block
};

struct TSwDataFile {
  std::string Name;
  int32_t Records = 0;
  std::vector<TSwColumn> Columns;
};

struct TSwRecset {
  std::string Name;
  std::vector<TSwDataFile> Files;
};

// Writes one data file at the stream's position: the file header, the column blocks, the
// lengths block and the names block. Header.Next is written as given; the other fields are
// filled in. Returns the header's Position.
int64_t WriteDataFile(TStream& Stream, const TSwDataFile& File, int32_t Next,
                      TGimFileHeader& Header);
// Writes the record sets' chain at the stream's position, each record-set header followed by
// its data files; returns the absolute offset of the first record-set header.
int64_t WriteRecsetChain(TStream& Stream, const std::vector<TSwRecset>& Recsets);

}  // namespace quin
