#include "surveykit/pelcolumns.h"

#include <algorithm>

#include "base/orvbinary.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelCol, TOrvCol)
QUIN_IMPLEMENT_CLASS(TPelColList, TOrvColList)

const TGUID& MerRecsetHeaderSignature() {
  static const TGUID G = StringToGUID("{3991C166-F2A3-4C70-B115-FB13D7491403}");
  return G;
}

const TGUID& GimFileHeaderSignature() {
  static const TGUID G = StringToGUID("{BA9E0367-2309-41FD-AABA-4DEB2C5A68A7}");
  return G;
}

namespace {

// A column block is at least its version, kind, layout and a one-byte count.
constexpr int64_t kMinColumnBlockSize = 4;

// The fewest bytes a column block of Records records takes: a plain block of 2-bit values, or
// a dictionary block (compression and code size too) whose codes hold the longest runs.
int64_t MinColumnBlockSize(int64_t Records) {
  if (Records == 0) return kMinColumnBlockSize;
  const int64_t Plain = PelLayoutStoredSize(cdlfBit2, Records);
  const int64_t Coded = 2 + (Records + PelCompressionRecordsPerCodeByte(cdcfRLE_1_16) - 1) /
                                PelCompressionRecordsPerCodeByte(cdcfRLE_1_16);
  return kMinColumnBlockSize + std::min(Plain, Coded);
}
// A lengths varint takes at most 7 bytes; a names entry a prefix byte and 255 characters.
constexpr int64_t kMaxLengthBytes = 7;
constexpr int64_t kMaxNameBytes = 257;

int32_t ReadInt32(TStream& Stream) {
  uint8_t B[4];
  Stream.ReadBuffer(B);
  return static_cast<int32_t>(B[0] | (uint32_t(B[1]) << 8) | (uint32_t(B[2]) << 16) |
                              (uint32_t(B[3]) << 24));
}

void WriteInt32(TStream& Stream, int32_t V) {
  auto U = static_cast<uint32_t>(V);
  uint8_t B[4] = {uint8_t(U), uint8_t(U >> 8), uint8_t(U >> 16), uint8_t(U >> 24)};
  Stream.WriteBuffer(B);
}

void WriteGUIDHeader(TStream& Stream, const TGUID& Signature) {
  TOrvStreamGUIDHeader H;
  H.Signature = Signature;
  H.Version = 0;
  WriteStreamGUIDHeader(Stream, H);
}

// Reads the 5-byte header at Start and the Size compressed bytes behind it, and inflates them
// into Out with at most Cap bytes of output.
void ReadDirectoryBlock(TStream& Stream, int64_t Start, uint32_t Signature, int32_t Size,
                        int64_t Cap, TDynByteArr& Out, const char* What) {
  int64_t FileSize = Stream.Size();
  if (Start < 0 || Start > FileSize - kOrvStreamHeaderSize)
    throw EPelDamagedData(std::string(What) + " outside the file");
  Stream.SetPosition(Start);
  ReadStreamHeader(Stream, Signature, 0, 0);
  if (Size < 0 || Size > Stream.Remaining())
    throw EPelDamagedData(std::string(What) + " beyond the end of the file");
  TDynByteArr Packed(static_cast<size_t>(Size));
  Stream.ReadBuffer(Packed);
  int64_t OutSize = 0;
  DecompressBuffer(Packed.data(), Size, 0, Out, OutSize, Cap);
}

// Appends the name text at Pos to Name: 7-bit characters, the last byte with bit 7 set; a
// closing byte of 128 adds no character (so the single byte 128 is the empty text).
void ReadNameText(const uint8_t* Data, int64_t Size, int64_t& Pos, std::string& Name) {
  for (int Chars = 0;; ++Chars) {
    if (Pos >= Size) throw EPelDamagedData("column name cut at the end of the names block");
    uint8_t B = Data[Pos++];
    if (B == 128) return;
    if (Chars >= kGimMaxNameLength) throw EPelDamagedData("column name above 255 characters");
    Name.push_back(static_cast<char>(B & 127));
    if (B & 128) return;
  }
}

}  // namespace

void TMerRecsetHeader::Create(TStream& Stream) {
  Position = Stream.Position();
  ReadStreamGUIDHeader(Stream, MerRecsetHeaderSignature(), 0, 0);
  Name = ReadScrambledString(Stream);
  Records = ReadInt32(Stream);
  Next = ReadInt32(Stream);
  FirstFile = ReadInt32(Stream);
  Files = ReadInt32(Stream);
  if (Records < 0 || Files < 0) throw EPelDamagedData("negative count in a record-set header");
}

void TMerRecsetHeader::WriteToStream(TStream& Stream) const {
  WriteGUIDHeader(Stream, MerRecsetHeaderSignature());
  WriteScrambledString(Stream, Name);
  WriteInt32(Stream, Records);
  WriteInt32(Stream, Next);
  WriteInt32(Stream, FirstFile);
  WriteInt32(Stream, Files);
}

void TGimFileHeader::Create(TStream& Stream) {
  Position = Stream.Position();
  ReadStreamGUIDHeader(Stream, GimFileHeaderSignature(), 0, 0);
  Name = ReadScrambledString(Stream);
  Records = ReadInt32(Stream);
  Next = ReadInt32(Stream);
  Columns = ReadInt32(Stream);
  LengthsOffset = ReadInt32(Stream);
  LengthsSize = ReadInt32(Stream);
  NamesOffset = ReadInt32(Stream);
  NamesSize = ReadInt32(Stream);
  if (Records < 0 || Columns < 0 || LengthsSize < 0 || NamesSize < 0)
    throw EPelDamagedData("negative count in a data-file header");
}

void TGimFileHeader::WriteToStream(TStream& Stream) const {
  WriteGUIDHeader(Stream, GimFileHeaderSignature());
  WriteScrambledString(Stream, Name);
  WriteInt32(Stream, Records);
  WriteInt32(Stream, Next);
  WriteInt32(Stream, Columns);
  WriteInt32(Stream, LengthsOffset);
  WriteInt32(Stream, LengthsSize);
  WriteInt32(Stream, NamesOffset);
  WriteInt32(Stream, NamesSize);
}

void ReadColumnDirectory(TStream& Stream, const TGimFileHeader& FileHeader,
                         TGimColPosArr& Positions) {
  Positions.clear();
  const int64_t FileSize = Stream.Size();
  const int64_t Columns = FileHeader.Columns;
  if (Columns < 0 || Columns > FileSize / kMinColumnBlockSize)
    throw EPelDamagedData("column count beyond what the file can hold");
  if (FileHeader.Position < 0 || FileHeader.Position >= FileSize)
    throw EPelDamagedData("data-file header outside the file");
  TGimColPosArr Result;
  Result.reserve(static_cast<size_t>(Columns));

  TDynByteArr Data;
  ReadDirectoryBlock(Stream, FileHeader.Position + FileHeader.LengthsOffset, kGimLengthsSignature,
                     FileHeader.LengthsSize, kMaxLengthBytes * Columns, Data,
                     "column lengths block");
  int64_t Pos = 0;
  int64_t Sum = 0;
  const auto Size = static_cast<int64_t>(Data.size());
  while (Pos < Size) {
    int32_t Length = ReadBufferVarint(Data, Pos);
    if (Length < 0) throw EPelDamagedData("negative column length");
    if (static_cast<int64_t>(Result.size()) >= Columns)
      throw EPelDamagedData("more column lengths than columns");
    Sum += Length;
    if (FileHeader.Position + Sum >= FileSize)
      throw EPelDamagedData("column block outside the file");
    Result.push_back(TGimColPos{std::string(), Sum});
  }
  if (static_cast<int64_t>(Result.size()) != Columns)
    throw EPelDamagedData("fewer column lengths than columns");
  // Each block reaches at most to the next block that starts after it (the last to the end of
  // the file; columns may share a block): a data file whose records cannot fit in that room
  // claims more records than it holds.
  const int64_t Need = MinColumnBlockSize(FileHeader.Records);
  int64_t End = FileSize - FileHeader.Position;
  for (size_t I = Result.size(); I-- > 0;) {
    if (I + 1 < Result.size() && Result[I + 1].Position > Result[I].Position)
      End = Result[I + 1].Position;
    if (End - Result[I].Position < Need)
      throw EPelDamagedData("column block too short for the data file's records");
  }

  ReadDirectoryBlock(Stream, FileHeader.Position + FileHeader.NamesOffset, kGimNamesSignature,
                     FileHeader.NamesSize, kMaxNameBytes * Columns, Data, "column names block");
  const uint8_t* P = Data.data();
  const auto NSize = static_cast<int64_t>(Data.size());
  std::string Current;
  Pos = 0;
  for (TGimColPos& Entry : Result) {
    if (Pos >= NSize) throw EPelDamagedData("fewer column names than columns");
    uint8_t B = P[Pos];
    if (B < 128 || Pos == 0) {
      Current.clear();
    } else {
      ++Pos;
      int Keep = (B & 127) - 1;
      if (Keep >= 0 && Keep < static_cast<int>(Current.size())) Current.resize(Keep);
    }
    ReadNameText(P, NSize, Pos, Current);
    Entry.Name = LowerCase(Current);
  }
  if (Pos != NSize) throw EPelDamagedData("more column names than columns");
  Positions = std::move(Result);
}

void SortColumnDirectory(TGimColPosArr& Positions) {
  std::sort(Positions.begin(), Positions.end(),
            [](const TGimColPos& A, const TGimColPos& B) { return A.Name < B.Name; });
}

TPelCol* TPelColList::Col(int Index) const {
  TObject* P = Items(Index);
  TPelCol* C = As<TPelCol>(P);
  if (!C) throw EListError("Column list item that is not a TPelCol");
  return C;
}

void TPelColList::MergeFilePositions(int FileIndex, int FileCount, const TGimColPosArr& Positions,
                                     int64_t BaseOffset) {
  if (FileIndex < 0 || FileIndex >= FileCount) return;
  for (size_t I = 1; I < Positions.size(); ++I)
    if (!(Positions[I - 1].Name < Positions[I].Name))
      throw EPelDamagedData("column directory with a repeated or unsorted name");
  auto NewCol = [&](const TGimColPos& Entry) {
    auto C = std::make_unique<TPelCol>(Entry.Name);
    C->Positions.assign(static_cast<size_t>(FileCount), -1);
    C->Positions[FileIndex] = Entry.Position + BaseOffset;
    return C.release();
  };
  auto SetPos = [&](TPelCol* C, int64_t P) {
    if (C->Positions.size() < static_cast<size_t>(FileCount)) C->Positions.resize(FileCount, -1);
    C->Positions[FileIndex] = P;
  };
  int L = 0;
  size_t D = 0;
  for (;;) {
    if (L >= Count()) {
      for (; D < Positions.size(); ++D) Add(NewCol(Positions[D]));
      return;
    }
    if (D >= Positions.size()) {
      for (; L < Count(); ++L) SetPos(Col(L), -1);
      return;
    }
    TPelCol* C = Col(L);
    const std::string& Entry = Positions[D].Name;
    if (C->Name() == Entry) {
      SetPos(C, Positions[D].Position + BaseOffset);
      ++L;
      ++D;
    } else if (C->Name() < Entry) {
      SetPos(C, -1);
      ++L;
    } else {
      Insert(L, NewCol(Positions[D]));
      ++L;
      ++D;
    }
  }
}

}  // namespace quin
