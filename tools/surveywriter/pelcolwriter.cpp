#include "tools/surveywriter/pelcolwriter.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <map>

#include "base/orvbinary.h"

namespace quin {

namespace {

void PutLE(std::string& Out, uint64_t V, int Bytes) {
  for (int I = 0; I < Bytes; ++I) Out.push_back(static_cast<char>((V >> (8 * I)) & 0xFF));
}

[[noreturn]] void Fail(const std::string& What) { throw ESurveyWriterError(What); }

// Packs codes of Bits bits (1, 2 or 4), lowest bits first.
std::string PackCodes(const std::vector<int>& Codes, int Bits) {
  const int PerByte = 8 / Bits;
  std::string Out((Codes.size() + PerByte - 1) / PerByte, '\0');
  for (size_t I = 0; I < Codes.size(); ++I)
    Out[I / PerByte] = static_cast<char>(static_cast<uint8_t>(Out[I / PerByte]) |
                                         (Codes[I] << ((I % PerByte) * Bits)));
  return Out;
}

int32_t CheckedInt32(int64_t V, const char* What) {
  if (V < 0 || V > INT32_MAX) Fail(std::string(What) + " beyond the 32-bit range");
  return static_cast<int32_t>(V);
}

}  // namespace

void PutVarint(std::string& Out, int32_t V) {
  if (V >= 0 && V < 255) {
    Out.push_back(static_cast<char>(V));
  } else if (V >= 0 && V < 65535) {
    Out.push_back(static_cast<char>(255));
    PutLE(Out, static_cast<uint32_t>(V), 2);
  } else {
    Out.push_back(static_cast<char>(255));
    PutLE(Out, 65535, 2);
    PutLE(Out, static_cast<uint32_t>(V), 4);
  }
}

uint64_t PelStoredValue(TPelColDataLayout Layout, double Value) {
  if (Layout == cdlfFlt8) return std::bit_cast<uint64_t>(Value);
  if (Value == kPelMissingDouble) return PelLayoutMissingBits(Layout);
  int64_t Lo = 0, Hi = 0;
  switch (Layout) {
    case cdlfBit2:
      Hi = 2;
      break;
    case cdlfBit4:
      Hi = 14;
      break;
    case cdlfUInt1:
      Hi = 254;
      break;
    case cdlfUInt2:
      Hi = 65534;
      break;
    case cdlfUInt4:
      Hi = 4294967294LL;
      break;
    case cdlfSInt1:
      Lo = -128;
      Hi = 126;
      break;
    case cdlfSInt2:
      Lo = -32768;
      Hi = 32766;
      break;
    case cdlfSInt4:
      Lo = INT32_MIN;
      Hi = INT32_MAX - 1;
      break;
    default:
      Fail("unknown layout");
  }
  if (!(Value >= static_cast<double>(Lo) && Value <= static_cast<double>(Hi)) ||
      std::floor(Value) != Value)
    Fail("value outside the layout " + std::string(PelColDataLayoutNames[Layout]));
  auto I = static_cast<int64_t>(Value);
  int Bytes = Layout == cdlfSInt1 ? 1 : Layout == cdlfSInt2 ? 2 : 4;
  if (Layout == cdlfSInt1 || Layout == cdlfSInt2 || Layout == cdlfSInt4)
    return static_cast<uint64_t>(I) & ((uint64_t(1) << (8 * Bytes)) - 1);
  return static_cast<uint64_t>(I);
}

void PutStoredValues(std::string& Out, TPelColDataLayout Layout,
                     const std::vector<uint64_t>& Stored) {
  switch (Layout) {
    case cdlfBit2:
    case cdlfBit4: {
      std::vector<int> Codes(Stored.begin(), Stored.end());
      Out += PackCodes(Codes, Layout == cdlfBit2 ? 2 : 4);
      break;
    }
    case cdlfUInt1:
    case cdlfSInt1:
      for (uint64_t V : Stored) PutLE(Out, V, 1);
      break;
    case cdlfUInt2:
    case cdlfSInt2:
      for (uint64_t V : Stored) PutLE(Out, V, 2);
      break;
    case cdlfUInt4:
    case cdlfSInt4:
      for (uint64_t V : Stored) PutLE(Out, V, 4);
      break;
    case cdlfFlt8:
      for (uint64_t V : Stored) PutLE(Out, V, 8);
      break;
  }
}

std::string EncodeRawColumnBlock(uint8_t Kind, uint8_t Layout, int32_t Count, uint8_t Compression,
                                 const std::string& ValueBytes, const std::string& CodeBytes,
                                 uint8_t Version) {
  std::string Out;
  Out.push_back(static_cast<char>(Version));
  Out.push_back(static_cast<char>(Kind));
  Out.push_back(static_cast<char>(Layout));
  PutVarint(Out, Count);
  if (Kind == kPelColBlockDictionary) {
    Out.push_back(static_cast<char>(Compression));
    PutVarint(Out, static_cast<int32_t>(CodeBytes.size()));
  }
  Out += ValueBytes;
  if (Kind == kPelColBlockDictionary) Out += CodeBytes;
  return Out;
}

std::string EncodePlainColumnBlock(TPelColDataLayout Layout, const std::vector<double>& Values) {
  std::vector<uint64_t> Stored;
  Stored.reserve(Values.size());
  for (double V : Values) Stored.push_back(PelStoredValue(Layout, V));
  std::string Bytes;
  PutStoredValues(Bytes, Layout, Stored);
  return EncodeRawColumnBlock(kPelColBlockPlain, Layout,
                              CheckedInt32(static_cast<int64_t>(Values.size()), "record count"), 0,
                              Bytes, "");
}

std::string EncodeColumnCodes(TPelColDataCompression Compression, const std::vector<int>& Indexes,
                              int DictionarySize) {
  if (DictionarySize > PelCompressionMaxDictionary(Compression))
    Fail("dictionary too large for " + std::string(PelColDataCompressionNames[Compression]));
  for (int I : Indexes)
    if (I < 0 || I >= DictionarySize) Fail("dictionary index out of range");
  const size_t N = Indexes.size();
  std::string Out;
  std::vector<int> Units;
  // The run of Indexes[I] starting at I, at most Max long.
  auto RunAt = [&](size_t I, size_t Max) {
    size_t E = I;
    while (E < N && E - I < Max && Indexes[E] == Indexes[I]) ++E;
    return E - I;
  };
  switch (Compression) {
    case cdcfRLE_1_2:
    case cdcfRLE_1_4:
    case cdcfRLE_1_8:
    case cdcfRLE_1_16: {
      const size_t MaxRun = Compression == cdcfRLE_1_2   ? 2
                            : Compression == cdcfRLE_1_4 ? 8
                            : Compression == cdcfRLE_1_8 ? 128
                                                         : 32768;
      for (size_t I = 0; I < N;) {
        int D = Indexes[I];
        if (D == 0) {
          size_t Run = RunAt(I, MaxRun);
          int C = static_cast<int>(Run - 1);
          if (Compression == cdcfRLE_1_16) {
            Out.push_back(static_cast<char>(C >> 8));
            Out.push_back(static_cast<char>(C & 0xFF));
          } else {
            Units.push_back(C);
          }
          I += Run;
        } else {
          int S = D - 1;
          if (Compression == cdcfRLE_1_2)
            Units.push_back(2 | S);
          else if (Compression == cdcfRLE_1_4)
            Units.push_back(8 | S);
          else if (Compression == cdcfRLE_1_8)
            Units.push_back(128 | S);
          else
            Out.push_back(static_cast<char>(128 | S));
          ++I;
        }
      }
      if (Compression == cdcfRLE_1_2)
        Out = PackCodes(Units, 2);
      else if (Compression == cdcfRLE_1_4)
        Out = PackCodes(Units, 4);
      else if (Compression == cdcfRLE_1_8)
        for (int U : Units) Out.push_back(static_cast<char>(U));
      break;
    }
    case cdcfRLE_3_4:
    case cdcfRLE_3_8: {
      const bool Four = Compression == cdcfRLE_3_4;
      const size_t MaxRun = Four ? 4 : 64;
      for (size_t I = 0; I < N;) {
        int D = Indexes[I];
        if (D < 3) {
          size_t Run = RunAt(I, MaxRun);
          Units.push_back(Four ? (D << 2) | int(Run - 1) : (D << 6) | int(Run - 1));
          I += Run;
        } else {
          Units.push_back(Four ? 12 | (D - 3) : 192 | (D - 3));
          ++I;
        }
      }
      if (Four)
        Out = PackCodes(Units, 4);
      else
        for (int U : Units) Out.push_back(static_cast<char>(U));
      break;
    }
    case cdcfIDX_1:
      Out = PackCodes(Indexes, 1);
      break;
    case cdcfIDX_2:
      Out = PackCodes(Indexes, 2);
      break;
    case cdcfIDX_4:
      Out = PackCodes(Indexes, 4);
      break;
    case cdcfIDX_8:
    case cdcfZLib:
      for (int I : Indexes) Out.push_back(static_cast<char>(I));
      if (Compression == cdcfZLib) Out = ZlibCompress(Out);
      break;
    default:
      Fail("no codes for this compression");
  }
  return Out;
}

std::string EncodeDictColumnBlock(TPelColDataLayout Layout, TPelColDataCompression Compression,
                                  const std::vector<double>& Dict,
                                  const std::vector<int>& Indexes) {
  std::vector<uint64_t> Stored;
  for (double V : Dict) Stored.push_back(PelStoredValue(Layout, V));
  std::string ValueBytes;
  PutStoredValues(ValueBytes, Layout, Stored);
  std::string Codes = EncodeColumnCodes(Compression, Indexes, static_cast<int>(Dict.size()));
  CheckedInt32(static_cast<int64_t>(Codes.size()), "code size");
  return EncodeRawColumnBlock(kPelColBlockDictionary, Layout, static_cast<int32_t>(Dict.size()),
                              Compression, ValueBytes, Codes);
}

std::string EncodeColumnBlock(TPelColDataLayout Layout, TPelColDataCompression Compression,
                              const std::vector<double>& Values) {
  if (Compression == cdcfNoCompression) return EncodePlainColumnBlock(Layout, Values);
  // Distinct stored values by frequency (then first appearance).
  std::map<uint64_t, std::pair<int64_t, size_t>> Seen;  // stored -> (count, first index)
  std::vector<uint64_t> Stored;
  Stored.reserve(Values.size());
  for (size_t I = 0; I < Values.size(); ++I) {
    uint64_t S = PelStoredValue(Layout, Values[I]);
    Stored.push_back(S);
    auto [It, New] = Seen.try_emplace(S, 0, I);
    ++It->second.first;
  }
  std::vector<std::pair<uint64_t, std::pair<int64_t, size_t>>> Order(Seen.begin(), Seen.end());
  std::sort(Order.begin(), Order.end(), [](const auto& A, const auto& B) {
    if (A.second.first != B.second.first) return A.second.first > B.second.first;
    return A.second.second < B.second.second;
  });
  std::map<uint64_t, int> IndexOf;
  std::vector<uint64_t> Dict;
  for (const auto& E : Order) {
    IndexOf[E.first] = static_cast<int>(Dict.size());
    Dict.push_back(E.first);
  }
  std::vector<int> Indexes;
  Indexes.reserve(Values.size());
  for (uint64_t S : Stored) Indexes.push_back(IndexOf[S]);
  std::string ValueBytes;
  PutStoredValues(ValueBytes, Layout, Dict);
  std::string Codes = EncodeColumnCodes(Compression, Indexes, static_cast<int>(Dict.size()));
  CheckedInt32(static_cast<int64_t>(Codes.size()), "code size");
  return EncodeRawColumnBlock(kPelColBlockDictionary, Layout, static_cast<int32_t>(Dict.size()),
                              Compression, ValueBytes, Codes);
}

std::string EncodeColumnLengths(const std::vector<int64_t>& Lengths) {
  std::string Out;
  for (int64_t L : Lengths) PutVarint(Out, CheckedInt32(L, "column length"));
  return Out;
}

std::string EncodeColumnNames(const std::vector<std::string>& Names) {
  std::string Out;
  auto PutText = [&](std::string_view T) {
    if (T.empty()) {
      Out.push_back(static_cast<char>(128));
      return;
    }
    for (size_t I = 0; I < T.size(); ++I)
      Out.push_back(static_cast<char>(I + 1 == T.size() ? (T[I] | 128) : T[I]));
  };
  std::string Prev;
  for (size_t K = 0; K < Names.size(); ++K) {
    const std::string& Name = Names[K];
    if (Name.size() > static_cast<size_t>(kGimMaxNameLength)) Fail("column name too long");
    for (char C : Name)
      if (C <= 0) Fail("column name with a character outside 1..127");
    if (K == 0) {
      PutText(Name);
    } else {
      size_t P = 0;
      while (P < Prev.size() && P < Name.size() && P < 126 && Prev[P] == Name[P]) ++P;
      if (P == 0 && Name.size() >= 2) {
        PutText(Name);
      } else {
        Out.push_back(static_cast<char>(128 | (P + 1)));
        PutText(std::string_view(Name).substr(P));
      }
    }
    Prev = Name;
  }
  return Out;
}

std::string ZlibCompress(const std::string& Data) {
  uLongf Size = compressBound(static_cast<uLong>(Data.size()));
  std::string Out(Size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(Out.data()), &Size,
                reinterpret_cast<const Bytef*>(Data.data()), static_cast<uLong>(Data.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    Fail("zlib compression failed");
  Out.resize(Size);
  return Out;
}

int32_t WriteDirectoryBlock(TStream& Stream, uint32_t Signature, const std::string& Data) {
  TOrvStreamHeader H;
  H.Signature = Signature;
  H.Version = 0;
  WriteStreamHeader(Stream, H);
  std::string Packed = ZlibCompress(Data);
  Stream.WriteBuffer(Packed);
  return CheckedInt32(static_cast<int64_t>(Packed.size()), "directory block");
}

int64_t WriteDataFile(TStream& Stream, const TSwDataFile& File, int32_t Next,
                      TGimFileHeader& Header) {
  Header = TGimFileHeader();
  Header.Name = File.Name;
  Header.Records = File.Records;
  Header.Next = Next;
  Header.Columns = CheckedInt32(static_cast<int64_t>(File.Columns.size()), "column count");
  const int64_t P = Stream.Position();
  Header.Position = P;
  Header.WriteToStream(Stream);  // the offsets follow once they are known
  std::vector<int64_t> Lengths;
  std::vector<std::string> Names;
  int64_t Previous = Stream.Position() - P;
  for (const TSwColumn& C : File.Columns) {
    Lengths.push_back(Previous);
    Names.push_back(C.Name);
    Stream.WriteBuffer(C.Block);
    Previous = static_cast<int64_t>(C.Block.size());
  }
  Header.LengthsOffset = CheckedInt32(Stream.Position() - P, "lengths offset");
  Header.LengthsSize =
      WriteDirectoryBlock(Stream, kGimLengthsSignature, EncodeColumnLengths(Lengths));
  Header.NamesOffset = CheckedInt32(Stream.Position() - P, "names offset");
  Header.NamesSize = WriteDirectoryBlock(Stream, kGimNamesSignature, EncodeColumnNames(Names));
  const int64_t End = Stream.Position();
  Stream.SetPosition(P);
  Header.WriteToStream(Stream);
  Stream.SetPosition(End);
  return P;
}

int64_t WriteRecsetChain(TStream& Stream, const std::vector<TSwRecset>& Recsets) {
  const int64_t First = Stream.Position();
  for (size_t K = 0; K < Recsets.size(); ++K) {
    const TSwRecset& R = Recsets[K];
    TMerRecsetHeader H;
    H.Name = R.Name;
    int64_t Records = 0;
    for (const TSwDataFile& F : R.Files) Records += F.Records;
    H.Records = CheckedInt32(Records, "record count");
    H.Files = CheckedInt32(static_cast<int64_t>(R.Files.size()), "data-file count");
    H.Position = Stream.Position();
    H.WriteToStream(Stream);
    H.FirstFile = CheckedInt32(Stream.Position() - H.Position, "first data file");
    for (size_t J = 0; J < R.Files.size(); ++J) {
      TGimFileHeader FH;
      WriteDataFile(Stream, R.Files[J], -1, FH);
      if (J + 1 < R.Files.size()) {
        const int64_t End = Stream.Position();
        FH.Next = CheckedInt32(End - H.Position, "next data file");
        Stream.SetPosition(FH.Position);
        FH.WriteToStream(Stream);
        Stream.SetPosition(End);
      }
    }
    const int64_t End = Stream.Position();
    H.Next = K + 1 < Recsets.size() ? CheckedInt32(End, "next record set") : -1;
    Stream.SetPosition(H.Position);
    H.WriteToStream(Stream);
    Stream.SetPosition(End);
  }
  return First;
}

}  // namespace quin
