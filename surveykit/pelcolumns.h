// The chain headers of a survey file's record sets and data files, and the column directory of
// a data file (a lengths block and a names block) with its merge into one sorted column list
// per record set. The column blocks themselves are in pelcolblocks.h.
//
// Offsets are kept and summed in 64 bits. Every count, size and offset read here is checked
// against the file before it is used: directory blocks lie inside the file, inflation is
// capped at what Columns entries can need, each column's block starts inside the file, and
// the directory holds exactly Columns entries. A damaged directory raises EPelDamagedData.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/guid.h"
#include "base/orvclasses.h"
#include "base/orvstreams.h"
#include "surveykit/pelcolblocks.h"

namespace quin {

// {3991C166-F2A3-4C70-B115-FB13D7491403}
const TGUID& MerRecsetHeaderSignature();
// {BA9E0367-2309-41FD-AABA-4DEB2C5A68A7}
const TGUID& GimFileHeaderSignature();
constexpr uint32_t kGimLengthsSignature = 0xBC365DE7;
constexpr uint32_t kGimNamesSignature = 0xDC8BBDF7;
// The longest name text of the names block.
constexpr int kGimMaxNameLength = 255;

// The head of one record set's chain of data files. Create reads a header in place (the
// object can be read again for the next header of a chain).
class TMerRecsetHeader {
 public:
  virtual ~TMerRecsetHeader() = default;
  // Records Position, checks the GUID header (ESIGErr, EVERErr), reads the name and the fields.
  // Negative Records or Files raise EPelDamagedData.
  virtual void Create(TStream& Stream);
  virtual void WriteToStream(TStream& Stream) const;

  std::string Name;  // scrambled in the file; kept, not used
  int32_t Records = 0;
  int32_t Next = -1;      // absolute offset of the next record-set header; negative: last
  int32_t FirstFile = 0;  // relative to Position
  int32_t Files = 0;
  int64_t Position = 0;  // where the header begins
};

// The header of one data file.
class TGimFileHeader {
 public:
  virtual ~TGimFileHeader() = default;
  // As TMerRecsetHeader::Create; negative Records, Columns or block sizes raise
  // EPelDamagedData.
  virtual void Create(TStream& Stream);
  virtual void WriteToStream(TStream& Stream) const;

  std::string Name;
  int32_t Records = 0;
  int32_t Next = -1;  // relative to the record-set header's Position; negative: last
  int32_t Columns = 0;
  int32_t LengthsOffset = 0;  // relative to Position
  int32_t LengthsSize = 0;
  int32_t NamesOffset = 0;  // relative to Position
  int32_t NamesSize = 0;
  int64_t Position = 0;
};

// One directory entry: lower-case name and the block's offset relative to the file header.
struct TGimColPos {
  std::string Name;
  int64_t Position = 0;
};
using TGimColPosArr = std::vector<TGimColPos>;

// Reads the directory of the data file whose header is FileHeader: Positions gets exactly
// FileHeader.Columns entries in stored order. ESIGErr / EVERErr for the block headers,
// EDecompressionError for failed inflation, EPelDamagedData for anything that does not fit.
void ReadColumnDirectory(TStream& Stream, const TGimFileHeader& FileHeader,
                         TGimColPosArr& Positions);
// Sorts by name in ordinal byte order.
void SortColumnDirectory(TGimColPosArr& Positions);

// The positions of one column in each data file of a record set: absolute offsets, -1 where a
// data file has no such column.
using TPelColPosArr = std::vector<int64_t>;

class TPelCol : public TOrvCol {
  QUIN_CLASS(TPelCol, TOrvCol)
  QUIN_COPY(TPelCol)
 public:
  TPelCol() = default;
  explicit TPelCol(std::string_view AName) : TOrvCol(AName) {}
  TPelColPosArr Positions;

 protected:
  TPelCol(const TPelCol&) = default;
};

// The columns of a record set, sorted by name in ordinal byte order; owns its columns.
class TPelColList : public TOrvColList {
  QUIN_CLASS(TPelColList, TOrvObjectList)
 public:
  TPelColList() : TOrvColList(true) {}
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TPelColList(*this));
  }
  std::unique_ptr<TOrvCol> CreateCol() const override { return std::make_unique<TPelCol>(); }
  TPelCol* Col(int Index) const;

  // Merges the sorted directory of data file FileIndex (of FileCount) into the list; BaseOffset
  // is the file header's Position. A FileIndex outside 0..FileCount-1 changes nothing. A
  // directory that is not strictly ascending (a repeated name) raises EPelDamagedData before
  // the list is changed.
  void MergeFilePositions(int FileIndex, int FileCount, const TGimColPosArr& Positions,
                          int64_t BaseOffset);

 protected:
  TPelColList(const TPelColList& Source) = default;
};

}  // namespace quin
