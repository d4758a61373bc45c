#include "surveykit/pelcolumns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfenv>
#include <cstring>
#include <functional>
#include <random>

#include "base/orvbinary.h"
#include "base/orvexceptions.h"
#include "surveykit/pelcolblocks.h"
#include "tools/surveywriter/pelcolwriter.h"

namespace quin {
namespace {

std::string Bytes(std::initializer_list<int> B) {
  std::string S;
  for (int V : B) S += static_cast<char>(V);
  return S;
}

std::string Le32(uint32_t V) {
  return Bytes({int(V & 0xFF), int((V >> 8) & 0xFF), int((V >> 16) & 0xFF), int(V >> 24)});
}

std::string F64(double D) {
  std::string S(8, '\0');
  std::memcpy(S.data(), &D, 8);
  return S;
}

std::vector<uint8_t> DecodeBytes(const std::string& Block, int N) {
  TMemoryStream S(Block);
  std::vector<uint8_t> Out(N + 1, 0xAB);  // one guard byte past the records
  ReadColumnBytes(S, std::span(Out).first(N));
  EXPECT_EQ(Out[N], 0xAB) << "written beyond the records";
  Out.resize(N);
  return Out;
}

std::vector<double> DecodeDoubles(const std::string& Block, int N) {
  TMemoryStream S(Block);
  std::vector<double> Out(N);
  ReadColumnDoubles(S, Out);
  return Out;
}

std::vector<TPelColRun> DecodeRuns(const std::string& Block, int N) {
  TMemoryStream S(Block);
  std::vector<TPelColRun> Out(N);
  int Pairs = ReadColumnRuns(S, Out);
  EXPECT_GE(Pairs, 0);
  EXPECT_LE(Pairs, N);
  Out.resize(Pairs);
  return Out;
}

std::vector<uint8_t> ExpandRuns(const std::vector<TPelColRun>& Runs) {
  std::vector<uint8_t> Out;
  for (const TPelColRun& R : Runs) {
    EXPECT_GT(R.Count, 0);
    Out.insert(Out.end(), R.Count, R.Value);
  }
  return Out;
}

bool SameBits(double A, double B) {
  return std::bit_cast<uint64_t>(A) == std::bit_cast<uint64_t>(B);
}

// ---- hand-written blocks -------------------------------------------------------------

TEST(PelColBlock, Rle18DictionaryAsBytesDoublesAndRuns) {
  // version, kind 2, UInt1, Count 3, RLE_1_8, CodeSize 3, dictionary {0, 7, 9}, codes.
  std::string B = Bytes({0x01, 0x02, 0x02, 0x03, 0x03, 0x03, 0x00, 0x07, 0x09, 0x02, 0x80, 0x81});
  EXPECT_EQ(DecodeBytes(B, 5), (std::vector<uint8_t>{0, 0, 0, 7, 9}));
  EXPECT_EQ(DecodeDoubles(B, 5), (std::vector<double>{0, 0, 0, 7, 9}));
  auto Runs = DecodeRuns(B, 5);
  ASSERT_EQ(Runs.size(), 3u);
  EXPECT_EQ(Runs[0].Value, 0);
  EXPECT_EQ(Runs[0].Count, 3);
  EXPECT_EQ(Runs[1].Value, 7);
  EXPECT_EQ(Runs[1].Count, 1);
  EXPECT_EQ(Runs[2].Value, 9);
  EXPECT_EQ(Runs[2].Count, 1);
  // A run that reaches past the records is cut at the last record.
  EXPECT_EQ(DecodeBytes(B, 2), (std::vector<uint8_t>{0, 0}));
  auto Cut = DecodeRuns(B, 2);
  ASSERT_EQ(Cut.size(), 1u);
  EXPECT_EQ(Cut[0].Count, 2);
}

TEST(PelColBlock, Rle38SinglesAndRuns) {
  std::string Dict;
  for (int I = 0; I < 67; ++I) Dict += static_cast<char>(100 + I);
  std::string B = Bytes({0x01, 0x02, 0x02, 67, 0x06, 0x02}) + Dict + Bytes({200, 70});
  EXPECT_EQ(DecodeBytes(B, 8), (std::vector<uint8_t>{111, 101, 101, 101, 101, 101, 101, 101}));
}

TEST(PelColBlock, Idx1LowestBitFirst) {
  std::string B = Bytes({0x01, 0x02, 0x02, 0x02, 0x07, 0x01, 5, 6, 0x02});
  EXPECT_EQ(DecodeBytes(B, 8), (std::vector<uint8_t>{5, 6, 5, 5, 5, 5, 5, 5}));
}

TEST(PelColBlock, Rle116BigEndianRunAndRle12Fill) {
  // RLE_1_16: run 0x0102 + 1 = 259 copies of dict[0], then dict[1].
  std::string B = Bytes({0x01, 0x02, 0x02, 0x02, 0x04, 0x03, 4, 8, 0x01, 0x02, 0x80});
  auto V = DecodeBytes(B, 260);
  EXPECT_EQ(std::count(V.begin(), V.end(), 4), 259);
  EXPECT_EQ(V[259], 8);
  // RLE_1_2 codes 1 (two copies of dict[0]), 2 (dict[1]), 3 (dict[2]), 0 (one copy): 0x39.
  std::string C = Bytes({0x01, 0x02, 0x02, 0x03, 0x01, 0x01, 0, 7, 9, 0x39});
  EXPECT_EQ(DecodeDoubles(C, 5), (std::vector<double>{0, 0, 7, 9, 0}));
}

// Each layout's missing marker and its value conversions, to bytes and to doubles.
TEST(PelColBlock, LayoutsMarkersAndConversions) {
  const double M = kPelMissingDouble;
  struct Case {
    int Layout;
    std::string Values;
    std::vector<uint8_t> AsBytes;
    std::vector<double> AsDoubles;
  } Cases[] = {
      {cdlfBit2, Bytes({0x1B, 0x01}), {255, 2, 1, 0, 1}, {M, 2, 1, 0, 1}},
      {cdlfBit4, Bytes({0x9F, 0x00}), {255, 9, 0}, {M, 9, 0}},
      {cdlfUInt1, Bytes({255, 0, 254}), {255, 0, 254}, {M, 0, 254}},
      {cdlfUInt2, Bytes({0xFF, 0xFF, 0x2C, 0x01}), {255, 44}, {M, 300}},
      {cdlfUInt4, Le32(0xFFFFFFFF) + Le32(4000000000u), {255, 0}, {M, 4000000000.0}},
      {cdlfSInt1, Bytes({127, 0xFF, 0x80}), {255, 255, 128}, {M, -1, -128}},
      {cdlfSInt2, Bytes({0xFF, 0x7F, 0xFE, 0xFF}), {255, 254}, {M, -2}},
      {cdlfSInt4, Le32(0x7FFFFFFF) + Le32(0xFFFFFFFE), {255, 254}, {M, -2}},
      {cdlfFlt8,
       F64(M) + F64(2.5) + F64(3.5) + F64(300.0) + F64(-1.0) + F64(-0.5) + F64(1e300),
       {255, 2, 4, 44, 255, 0, 255},
       {M, 2.5, 3.5, 300, -1, -0.5, 1e300}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(PelColDataLayoutNames[C.Layout]);
    int N = static_cast<int>(C.AsBytes.size());
    std::string B = Bytes({0x01, 0x01, C.Layout, N}) + C.Values;
    EXPECT_EQ(DecodeBytes(B, N), C.AsBytes);
    auto D = DecodeDoubles(B, N);
    for (int I = 0; I < N; ++I) EXPECT_TRUE(SameBits(D[I], C.AsDoubles[I])) << I;
    EXPECT_EQ(ExpandRuns(DecodeRuns(B, N)), C.AsBytes);
    // As a dictionary the same values give the same results.
    std::string Codes;
    for (int I = 0; I < N; ++I) Codes += static_cast<char>(I);
    std::string K = Bytes({0x01, 0x02, C.Layout, N, cdcfIDX_8, N}) + C.Values + Codes;
    EXPECT_EQ(DecodeBytes(K, N), C.AsBytes);
  }
}

// Flt8 values as bytes round ties to even, whatever rounding mode another part has set.
TEST(PelColBlock, Flt8BytesIndependentOfTheRoundingMode) {
  const double X[] = {2.5, 3.5, -2.5, -1.5, -0.5, 0.5, 255.5, 1.4999999999999998, -7.6, 1e17 + 8};
  const std::vector<uint8_t> Want = {
      2, 4, 254, 254, 0, 0, 0, 1, 248, static_cast<uint8_t>(int64_t(1e17 + 8) & 0xFF)};
  std::string Values;
  for (double V : X) Values += F64(V);
  std::string B = Bytes({1, 1, cdlfFlt8, int(Want.size())}) + Values;
  for (int Mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(Mode), 0);
    std::vector<uint8_t> Got = DecodeBytes(B, static_cast<int>(Want.size()));
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(Got, Want) << "mode " << Mode;
  }
}

TEST(PelColBlock, DoubleToByteTiesToEvenAndGuards) {
  struct {
    double X;
    int B;
  } Cases[] = {{2.5, 2},
               {3.5, 4},
               {-2.5, 254},
               {0.5, 0},
               {1.5, 2},
               {255.0, 255},
               {256.4, 0},
               {-1.5, 254},
               {1e19, 255},
               {-1e19, 255},
               {std::nan(""), 255},
               {INFINITY, 255},
               {kPelMissingDouble, 255},
               {4503599627370497.0, 1}};
  for (auto C : Cases) EXPECT_EQ(PelDoubleToByte(C.X), C.B) << C.X;
}

TEST(PelColBlock, ZlibCodesGiveOnePairPerRecordAsIdx8) {
  std::string Codes = Bytes({0, 0, 1, 1, 1, 0});
  std::string Z = ZlibCompress(Codes);
  std::string ZB = Bytes({1, 2, cdlfUInt1, 2, cdcfZLib, int(Z.size()), 3, 4}) + Z;
  std::string IB = Bytes({1, 2, cdlfUInt1, 2, cdcfIDX_8, 6, 3, 4}) + Codes;
  auto A = DecodeRuns(ZB, 6), B = DecodeRuns(IB, 6);
  ASSERT_EQ(A.size(), 6u);
  ASSERT_EQ(B.size(), 6u);
  for (int I = 0; I < 6; ++I) {
    EXPECT_EQ(A[I].Value, B[I].Value);
    EXPECT_EQ(A[I].Count, 1);
    EXPECT_EQ(B[I].Count, 1);
  }
  EXPECT_EQ(DecodeBytes(ZB, 6), (std::vector<uint8_t>{3, 3, 4, 4, 4, 3}));
}

// ---- damaged blocks ------------------------------------------------------------------

enum class Err { Ver, Damaged, Read, Inflate };

void ExpectError(Err E, const std::function<void()>& F) {
  switch (E) {
    case Err::Ver:
      EXPECT_THROW(F(), EVERErr);
      break;
    case Err::Damaged:
      EXPECT_THROW(F(), EPelDamagedData);
      break;
    case Err::Read:
      EXPECT_THROW(F(), EReadError);
      break;
    case Err::Inflate:
      EXPECT_THROW(F(), EDecompressionError);
      break;
  }
}

TEST(PelColBlock, DamagedBlocksRaiseAndWriteNothing) {
  std::string Bomb = ZlibCompress(std::string(20 << 20, '\0'));
  std::string ZShort = ZlibCompress(std::string(5, '\0'));
  std::string Huge = Bytes({0xFF, 0xFF, 0xFF}) + Le32(0x7FFFFFFF);
  std::string Negative = Bytes({0xFF, 0xFF, 0xFF}) + Le32(0x80000000);
  std::string Dict3 = Bytes({0, 7, 9});
  // 1125 code bytes of two-copy runs of dict[0] with one code for dict[1] (not there).
  std::string Rle12Codes(1125, '\x55');
  Rle12Codes[500] = '\x56';
  // Long columns whose one bad code lies where the table decoders read: a dictionary of one
  // value {0}, codes of 9000 records with a single index 1 among them.
  auto Long = [&](int Compression, char Good, char Bad, int CodeBytes) {
    std::string Codes(static_cast<size_t>(CodeBytes), Good);
    Codes[CodeBytes / 16 * 2] = Bad;  // a code of its own in every form
    std::string Size;
    PutVarint(Size, CodeBytes);
    return Bytes({1, 2, 2, 1, Compression}) + Size + Bytes({0}) + Codes;
  };
  struct Case {
    const char* Name;
    std::string Block;
    int N;
    Err E;
  } Cases[] = {
      {"version 2", Bytes({2, 1, 2, 1, 5}), 1, Err::Ver},
      {"kind 3", Bytes({1, 3, 2, 1, 5}), 1, Err::Ver},
      {"kind 0", Bytes({1, 0, 2, 1, 5}), 1, Err::Ver},
      {"layout 9", Bytes({1, 1, 9, 1, 5}), 1, Err::Ver},
      {"no compression", Bytes({1, 2, 2, 1, 0, 1, 5, 0}), 1, Err::Ver},
      {"compression 12", Bytes({1, 2, 2, 1, 12, 1, 5, 0}), 1, Err::Ver},
      {"plain count not the records", Bytes({1, 1, 2, 2, 5, 6}), 3, Err::Damaged},
      {"negative count", Bytes({1, 1, 2}) + Negative, 1, Err::Damaged},
      {"huge plain count", Bytes({1, 1, cdlfFlt8}) + Huge + F64(1), 0x7FFFFFFF, Err::Damaged},
      {"dictionary of 257", Bytes({1, 2, 2, 0xFF, 0x01, 0x01, 10, 0}), 1, Err::Damaged},
      {"huge code size", Bytes({1, 2, 2, 1, 10}) + Huge + Bytes({5, 0}), 1, Err::Damaged},
      {"negative code size", Bytes({1, 2, 2, 1, 10}) + Negative + Bytes({5, 0}), 1, Err::Damaged},
      {"values cut", Bytes({1, 1, cdlfUInt2, 2, 1, 0, 2}), 2, Err::Damaged},
      {"header cut", Bytes({1, 1}), 1, Err::Read},
      {"varint cut", Bytes({1, 1, 2, 0xFF, 0x01}), 1, Err::Read},
      {"rle_1_8 index past", Bytes({1, 2, 2, 2, 3, 1, 0, 7, 0x81}), 1, Err::Damaged},
      {"rle_1_8 run of empty dictionary", Bytes({1, 2, 2, 0, 3, 1, 0x00}), 1, Err::Damaged},
      {"long rle_1_2 index past",
       Bytes({1, 2, 2, 1, 1, 0xFF, 1125 & 0xFF, 1125 >> 8, 0}) + Rle12Codes, 9000, Err::Damaged},
      {"long rle_1_4 index past", Long(cdcfRLE_1_4, '\x77', '\x79', 1125), 9000, Err::Damaged},
      {"long rle_3_4 index past", Long(cdcfRLE_3_4, '\x33', '\x37', 2250), 9000, Err::Damaged},
      {"long rle_1_8 index past", Long(cdcfRLE_1_8, '\x07', '\x80', 1125), 9000, Err::Damaged},
      {"long rle_1_16 index past", Long(cdcfRLE_1_16, '\x00', '\x80', 18000), 9000, Err::Damaged},
      {"long rle_3_8 index past", Long(cdcfRLE_3_8, '\x07', '\x47', 1125), 9000, Err::Damaged},
      {"long idx_1 index past", Long(cdcfIDX_1, '\x00', '\x10', 1125), 9000, Err::Damaged},
      {"long idx_2 index past", Long(cdcfIDX_2, '\x00', '\x04', 2250), 9000, Err::Damaged},
      {"long idx_4 index past", Long(cdcfIDX_4, '\x00', '\x10', 4500), 9000, Err::Damaged},
      {"rle_1_16 codes too few for the records", Bytes({1, 2, 2, 1, cdcfRLE_1_16, 1, 0, 0x7F}),
       20000, Err::Damaged},
      {"rle_3_8 single past", Bytes({1, 2, 2, 3, 6, 1}) + Dict3 + Bytes({192}), 1, Err::Damaged},
      {"rle_3_4 run past", Bytes({1, 2, 2, 2, 5, 1, 0, 7, 0x08}), 1, Err::Damaged},
      {"idx_2 code past", Bytes({1, 2, 2, 3, 8, 1}) + Dict3 + Bytes({0x03}), 1, Err::Damaged},
      {"idx_8 code past", Bytes({1, 2, 2, 3, 10, 2}) + Dict3 + Bytes({0, 3}), 2, Err::Damaged},
      {"zlib code past",
       Bytes({1, 2, 2, 3, 11, int(ZlibCompress("\x05").size())}) + Dict3 + ZlibCompress("\x05"), 1,
       Err::Damaged},
      {"rle codes end early", Bytes({1, 2, 2, 3, 3, 1}) + Dict3 + Bytes({2}), 10, Err::Damaged},
      {"rle_1_16 cut in a run", Bytes({1, 2, 2, 3, 4, 1}) + Dict3 + Bytes({0}), 5, Err::Damaged},
      {"idx_8 codes short", Bytes({1, 2, 2, 3, 10, 2}) + Dict3 + Bytes({0, 1}), 3, Err::Damaged},
      {"idx_1 codes short", Bytes({1, 2, 2, 2, 7, 1, 0, 7, 0}), 9, Err::Damaged},
      {"zlib bomb",
       Bytes({1, 2, 2, 1, 11, 0xFF}) +
           std::string{char(Bomb.size() & 0xFF), char(Bomb.size() >> 8)} + Bytes({0}) + Bomb,
       100, Err::Damaged},
      {"zlib short", Bytes({1, 2, 2, 1, 11, int(ZShort.size()), 0}) + ZShort, 6, Err::Damaged},
      {"zlib codes far too short", Bytes({1, 2, 2, 1, 11, 1, 0, 0x78}), 0x7FFFFFFF, Err::Damaged},
      {"zlib garbage", Bytes({1, 2, 2, 1, 11, 4, 0, 1, 2, 3, 4}), 4, Err::Inflate},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    if (C.N > 100000) {
      // A huge record count is refused from the block's header, before any buffer is sized
      // for the records.
      ExpectError(C.E, [&] {
        TMemoryStream S(C.Block);
        TPelColBlock Block;
        ReadColumnBlock(S, Block, C.N);
      });
      continue;
    }
    std::vector<uint8_t> B(C.N, 0xAB);
    std::vector<double> D(C.N, 42.0);
    std::vector<TPelColRun> R(C.N);
    ExpectError(C.E, [&] {
      TMemoryStream S(C.Block);
      ReadColumnBytes(S, B);
    });
    ExpectError(C.E, [&] {
      TMemoryStream S(C.Block);
      ReadColumnDoubles(S, D);
    });
    ExpectError(C.E, [&] {
      TMemoryStream S(C.Block);
      ReadColumnRuns(S, R);
    });
    if (C.E == Err::Ver) {
      EXPECT_EQ(std::count(B.begin(), B.end(), 0xAB), C.N);
      EXPECT_EQ(std::count(D.begin(), D.end(), 42.0), C.N);
    }
  }
}

TEST(PelColBlock, BlockVarintForms) {
  struct {
    std::string In;
    int32_t V;
  } Cases[] = {{Bytes({0}), 0},
               {Bytes({254}), 254},
               {Bytes({255, 255, 0}), 255},
               {Bytes({255, 0x2C, 0x01}), 300},
               {Bytes({255, 0xFE, 0xFF}), 65534},
               {Bytes({255, 255, 255}) + Le32(65535), 65535},
               {Bytes({255, 255, 255}) + Le32(0xFFFFFFFF), -1}};
  for (const auto& C : Cases) {
    TMemoryStream S(C.In);
    EXPECT_EQ(ReadBlockVarint(S), C.V);
    EXPECT_EQ(S.Remaining(), 0);
    int64_t Pos = 0;
    EXPECT_EQ(ReadBufferVarint(ByteSpan(C.In), Pos), C.V);
    std::string Out;
    PutVarint(Out, C.V);
    if (C.V >= 0 && C.In != Bytes({255, 255, 0})) {
      EXPECT_EQ(Out, C.In);
    }
    // Every proper prefix is cut.
    for (size_t L = 0; L < C.In.size(); ++L) {
      int64_t P = 0;
      EXPECT_THROW(ReadBufferVarint(ByteSpan(C.In).first(L), P), EPelDamagedData);
    }
  }
}

// ---- round trip through the encoders ------------------------------------------------

// Values a layout holds, spread over its range.
std::vector<double> Pool(TPelColDataLayout L) {
  switch (L) {
    case cdlfBit2:
      return {0, 1, 2};
    case cdlfBit4:
      return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    case cdlfUInt1: {
      std::vector<double> P;
      for (int I = 0; I < 255; ++I) P.push_back(I);
      return P;
    }
    default:
      break;
  }
  std::vector<double> Edges;
  switch (L) {
    case cdlfUInt2:
      Edges = {0, 1, 255, 256, 65534};
      break;
    case cdlfUInt4:
      Edges = {0, 255, 65535, 4294967294.0};
      break;
    case cdlfSInt1:
      Edges = {-128, -1, 0, 126};
      break;
    case cdlfSInt2:
      Edges = {-32768, -1, 0, 32766};
      break;
    case cdlfSInt4:
      Edges = {-2147483648.0, -1, 0, 2147483646.0};
      break;
    default:
      Edges = {0, 2.5, 3.5, -1, 300, 1e300, -0.0, 1e-300};
      break;
  }
  std::vector<double> P = Edges;
  for (int I = 0; P.size() < 300; ++I) {
    double V = (I * 37) % 251;
    if (L == cdlfSInt1) V = (I * 37) % 250 - 125;
    if (L == cdlfFlt8) V = I * 0.75 - 40;
    P.push_back(V);
  }
  std::sort(P.begin(), P.end());
  P.erase(std::unique(P.begin(), P.end()), P.end());
  return P;
}

// A column of N values drawn from Distinct values of the pool (the first one frequent, in
// runs), with missing values when asked.
std::vector<double> Pattern(TPelColDataLayout L, int N, int Distinct, bool Missing, uint32_t Seed) {
  std::vector<double> P = Pool(L);
  std::mt19937 G(Seed);
  std::vector<double> Use;
  for (int I = 0; I < Distinct - (Missing ? 1 : 0) && I < static_cast<int>(P.size()); ++I)
    Use.push_back(P[(I * 7919) % P.size()]);
  if (Missing) Use.push_back(kPelMissingDouble);
  std::vector<double> V;
  while (static_cast<int>(V.size()) < N) {
    int Run = 1 + static_cast<int>(G() % 300);
    double X = Use[0];
    if (G() % 2) {
      X = Use[G() % Use.size()];
      Run = 1 + static_cast<int>(G() % 3);
    }
    for (int K = 0; K < Run && static_cast<int>(V.size()) < N; ++K) V.push_back(X);
  }
  return V;
}

uint8_t ExpectedByte(TPelColDataLayout L, double V) {
  if (V == kPelMissingDouble) return 255;
  if (L == cdlfFlt8) return PelDoubleToByte(V);
  return static_cast<uint8_t>(static_cast<int64_t>(V) & 0xFF);
}

TEST(PelColBlock, RoundTripEveryLayoutAndCompression) {
  const int Distincts[] = {1, 2, 3, 4, 7, 9, 16, 67, 129, 256};
  int Checked = 0;
  for (int L = 0; L < kPelColDataLayoutCount; ++L) {
    auto Layout = static_cast<TPelColDataLayout>(L);
    for (int C = 0; C < kPelColDataCompressionCount; ++C) {
      auto Comp = static_cast<TPelColDataCompression>(C);
      // Columns of 5000 records go through the table decoders, the shorter ones code by code;
      // plain 2- and 4-bit values unpack 32 and 16 stored bytes at a time, 5100 leaves some of
      // each size over.
      std::vector<int> Sizes = {0, 1, 7, 5000};
      if (C == cdcfRLE_1_2) Sizes.push_back(9001);
      if (C == cdcfNoCompression) Sizes.push_back(5100);
      for (int N : Sizes) {
        for (int Distinct : Distincts) {
          for (bool Missing : {false, true}) {
            int Available = static_cast<int>(Pool(Layout).size()) + (Missing ? 1 : 0);
            if (Distinct > Available) continue;
            if (C != cdcfNoCompression && Distinct > PelCompressionMaxDictionary(C)) continue;
            std::vector<double> V = Pattern(Layout, N, Distinct, Missing, 17 * L + C + N);
            SCOPED_TRACE(std::string(PelColDataLayoutNames[L]) + " " +
                         PelColDataCompressionNames[C] + " N=" + std::to_string(N) +
                         " distinct=" + std::to_string(Distinct) + (Missing ? " missing" : ""));
            std::string B = EncodeColumnBlock(Layout, Comp, V);
            std::vector<uint8_t> Want(N);
            for (int I = 0; I < N; ++I) Want[I] = ExpectedByte(Layout, V[I]);
            ASSERT_EQ(DecodeBytes(B, N), Want);
            auto D = DecodeDoubles(B, N);
            for (int I = 0; I < N; ++I) ASSERT_TRUE(SameBits(D[I], V[I])) << I;
            auto R = DecodeRuns(B, N);
            ASSERT_EQ(ExpandRuns(R), Want);
            if (C == cdcfNoCompression || C >= cdcfIDX_1) {
              EXPECT_EQ(R.size(), size_t(N));
            }
            ++Checked;
          }
        }
      }
    }
  }
  EXPECT_GT(Checked, 1000);
}

TEST(PelColBlock, EncoderRefusesWhatTheBlockCannotHold) {
  EXPECT_THROW(EncodeColumnBlock(cdlfBit2, cdcfNoCompression, {3}), ESurveyWriterError);
  EXPECT_THROW(EncodeColumnBlock(cdlfSInt1, cdcfNoCompression, {127}), ESurveyWriterError);
  EXPECT_THROW(EncodeColumnBlock(cdlfUInt1, cdcfNoCompression, {1.5}), ESurveyWriterError);
  EXPECT_THROW(EncodeColumnBlock(cdlfUInt1, cdcfRLE_1_2, {1, 2, 3, 4}), ESurveyWriterError);
  EXPECT_THROW(EncodeColumnBlock(cdlfUInt1, cdcfIDX_1, {1, 2, 3}), ESurveyWriterError);
}

// ---- headers ---------------------------------------------------------------------------

TEST(PelColumns, HeadersRoundTripAndSignatures) {
  TMemoryStream S;
  S.WriteBuffer("xyz");
  TMerRecsetHeader R;
  R.Name = "respondents";
  R.Records = 5000;
  R.Next = -1;
  R.FirstFile = 40;
  R.Files = 2;
  R.WriteToStream(S);
  TGimFileHeader F;
  F.Name = "wave 1";
  F.Records = 2500;
  F.Next = 1234;
  F.Columns = 3;
  F.LengthsOffset = 100;
  F.LengthsSize = 20;
  F.NamesOffset = 125;
  F.NamesSize = 30;
  int64_t FPos = S.Position();
  F.WriteToStream(S);
  std::string Data = S.DataString();
  EXPECT_EQ(Data.substr(3, 17), Bytes({0x66, 0xC1, 0x91, 0x39, 0xA3, 0xF2, 0x70, 0x4C, 0xB1, 0x15,
                                       0xFB, 0x13, 0xD7, 0x49, 0x14, 0x03, 0x00}));
  EXPECT_EQ(Data.find("respondents"), std::string::npos) << "the name is stored scrambled";

  TMemoryStream In(Data);
  In.SetPosition(3);
  TMerRecsetHeader R2;
  R2.Create(In);
  EXPECT_EQ(R2.Position, 3);
  EXPECT_EQ(R2.Name, "respondents");
  EXPECT_EQ(R2.Records, 5000);
  EXPECT_EQ(R2.Next, -1);
  EXPECT_EQ(R2.FirstFile, 40);
  EXPECT_EQ(R2.Files, 2);
  TGimFileHeader F2;
  F2.Create(In);
  EXPECT_EQ(F2.Position, FPos);
  EXPECT_EQ(F2.Name, "wave 1");
  EXPECT_EQ(F2.Records, 2500);
  EXPECT_EQ(F2.Next, 1234);
  EXPECT_EQ(F2.Columns, 3);
  EXPECT_EQ(F2.LengthsOffset, 100);
  EXPECT_EQ(F2.LengthsSize, 20);
  EXPECT_EQ(F2.NamesOffset, 125);
  EXPECT_EQ(F2.NamesSize, 30);
  EXPECT_EQ(In.Remaining(), 0);

  // A file header where a record-set header is expected, version 1, negative counts, a cut.
  In.SetPosition(FPos);
  EXPECT_THROW(R2.Create(In), ESIGErr);
  std::string V1 = Data;
  V1[3 + 16] = 1;
  TMemoryStream InV1(V1);
  InV1.SetPosition(3);
  EXPECT_THROW(R2.Create(InV1), EVERErr);
  std::string Neg = Data;
  Neg.replace(FPos - 16, 4, Le32(0xFFFFFFFF));  // Records of the record-set header
  TMemoryStream InNeg(Neg);
  InNeg.SetPosition(3);
  EXPECT_THROW(R2.Create(InNeg), EPelDamagedData);
  std::string Cut = Data.substr(0, Data.size() - 2);
  TMemoryStream InCut(Cut);
  InCut.SetPosition(FPos);
  EXPECT_THROW(F2.Create(InCut), EReadError);
}

// ---- directory -----------------------------------------------------------------------

// A data file at offset 0 whose lengths and names blocks hold the given inflated bytes; the
// file is padded to Size bytes before the blocks.
std::string DirectoryFile(int Columns, const std::string& Lengths, const std::string& Names,
                          TGimFileHeader& H, int64_t Size = 600) {
  H = TGimFileHeader();
  H.Columns = Columns;
  TMemoryStream S;
  H.WriteToStream(S);
  S.SetSize(Size);
  S.SetPosition(Size);
  H.LengthsOffset = static_cast<int32_t>(Size);
  H.LengthsSize = WriteDirectoryBlock(S, kGimLengthsSignature, Lengths);
  H.NamesOffset = static_cast<int32_t>(S.Position());
  H.NamesSize = WriteDirectoryBlock(S, kGimNamesSignature, Names);
  S.SetPosition(0);
  H.WriteToStream(S);
  return S.DataString();
}

TGimColPosArr ReadDirectory(const std::string& File, const TGimFileHeader& H) {
  TMemoryStream S(File);
  TGimColPosArr P;
  ReadColumnDirectory(S, H, P);
  return P;
}

TEST(PelColumns, LengthsAndFrontCodedNames) {
  TGimFileHeader H;
  // Names: "AGE"; prefix 130 and "ender"; prefix 128 and "x"; prefix 129 and "q"; prefix 200
  // (beyond the name: keeps it) and "z".
  std::string Names = Bytes({'A', 'G', 'E' | 128, 130, 'e', 'n', 'd', 'e', 'r' | 128, 128,
                             'x' | 128, 129, 'q' | 128, 200, 'z' | 128});
  std::string Lengths = Bytes({0x28, 0x64, 0xFF, 0x2C, 0x01, 0x05, 0x00});
  std::string F = DirectoryFile(5, Lengths, Names, H);
  auto P = ReadDirectory(F, H);
  ASSERT_EQ(P.size(), 5u);
  const char* Want[] = {"age", "aender", "aenderx", "q", "qz"};
  const int64_t Pos[] = {40, 140, 440, 445, 445};
  for (int I = 0; I < 5; ++I) {
    EXPECT_EQ(P[I].Name, Want[I]);
    EXPECT_EQ(P[I].Position, Pos[I]);
  }
  // age, then prefix 128 and x: agex. A first byte 128 is the empty name.
  EXPECT_EQ(
      ReadDirectory(
          DirectoryFile(2, Bytes({40, 4}), Bytes({'a', 'g', 'e' | 128, 128, 'x' | 128}), H), H)[1]
          .Name,
      "agex");
  auto E = ReadDirectory(DirectoryFile(2, Bytes({40, 4}), Bytes({128, 129, 'b' | 128}), H), H);
  EXPECT_EQ(E[0].Name, "");
  EXPECT_EQ(E[1].Name, "b");
}

TEST(PelColumns, NamesRoundTripThroughTheEncoder) {
  std::vector<std::string> Names = {
      "a", "b", "", "ab", "abc", "b", "x", std::string(255, 'k'), std::string(200, 'k') + "j",
      "zz"};
  for (int I = 0; I < 130; ++I) Names.push_back(std::string(140, 'p') + std::to_string(I));
  std::vector<int64_t> Lengths(Names.size(), 4);
  TGimFileHeader H;
  std::string File = DirectoryFile(static_cast<int>(Names.size()), EncodeColumnLengths(Lengths),
                                   EncodeColumnNames(Names), H, 1000);
  auto P = ReadDirectory(File, H);
  ASSERT_EQ(P.size(), Names.size());
  for (size_t I = 0; I < Names.size(); ++I) EXPECT_EQ(P[I].Name, Names[I]) << I;
}

TEST(PelColumns, DamagedDirectories) {
  std::string Age = Bytes({'a', 'g', 'e' | 128});
  std::string Bomb(200000, '\x01');
  struct Case {
    const char* Name;
    int Columns;
    std::string Lengths, Names;
    Err E;
  } Cases[] = {
      {"fewer lengths", 2, Bytes({40}), Age + Bytes({129, 'b' | 128}), Err::Damaged},
      {"more lengths", 1, Bytes({40, 4}), Age, Err::Damaged},
      {"length cut", 1, Bytes({0xFF, 0x2C}), Age, Err::Damaged},
      {"negative length", 1, Bytes({0xFF, 0xFF, 0xFF}) + Le32(0xFFFFFFF0), Age, Err::Damaged},
      {"block beyond the file", 2, Bytes({40, 0xFF, 0xFF, 0xFF}) + Le32(0x7FFFFFF0),
       Age + Bytes({129, 'b' | 128}), Err::Damaged},
      {"lengths bomb", 1, Bomb, Age, Err::Inflate},
      {"names bomb", 1, Bytes({40}), Bomb, Err::Inflate},
      {"name cut", 1, Bytes({40}), Bytes({'a', 'g'}), Err::Damaged},
      {"fewer names", 2, Bytes({40, 4}), Age, Err::Damaged},
      {"block shorter than a block header", 2, Bytes({40, 3}), Age + Bytes({129, 'b' | 128}),
       Err::Damaged},
      {"more names", 1, Bytes({40}), Age + Bytes({129, 'b' | 128}), Err::Damaged},
      {"name of 256", 1, Bytes({40}), std::string(255, 'a') + Bytes({'a' | 128}), Err::Damaged},
      {"huge column count", 0x7FFFFFFF, Bytes({40}), Age, Err::Damaged},
      {"negative column count", -1, Bytes({40}), Age, Err::Damaged},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TGimFileHeader H;
    std::string F = DirectoryFile(C.Columns, C.Lengths, C.Names, H);
    ExpectError(C.E, [&] { ReadDirectory(F, H); });
  }
  // Blocks outside the file, with sizes beyond it, or with another signature.
  TGimFileHeader H;
  std::string F = DirectoryFile(1, Bytes({40}), Age, H);
  TGimFileHeader Bad = H;
  Bad.LengthsOffset = -10;
  ExpectError(Err::Damaged, [&] { ReadDirectory(F, Bad); });
  Bad = H;
  Bad.NamesOffset = static_cast<int32_t>(F.size());
  ExpectError(Err::Damaged, [&] { ReadDirectory(F, Bad); });
  Bad = H;
  Bad.NamesSize = 0x7FFFFFFF;
  ExpectError(Err::Damaged, [&] { ReadDirectory(F, Bad); });
  Bad = H;
  Bad.LengthsOffset = H.NamesOffset;
  EXPECT_THROW(ReadDirectory(F, Bad), ESIGErr);
  // Records that no block of the room up to the end of the file can hold: the longest runs
  // need a code byte per 16384 records.
  Bad = H;
  Bad.Records = 16384 * 100;
  EXPECT_EQ(ReadDirectory(F, Bad).size(), 1u);
  Bad.Records = 16384 * 1000;
  ExpectError(Err::Damaged, [&] { ReadDirectory(F, Bad); });
}

TEST(PelColumns, SortIsOrdinal) {
  TGimColPosArr P = {{"b", 1}, {"aa", 2}, {"a_", 3}, {"a", 4}, {"B", 5}};
  SortColumnDirectory(P);
  const char* Want[] = {"B", "a", "a_", "aa", "b"};
  for (int I = 0; I < 5; ++I) EXPECT_EQ(P[I].Name, Want[I]);
}

TEST(PelColumns, MergeFilePositions) {
  TPelColList L;
  L.MergeFilePositions(0, 2, {{"a", 10}, {"c", 20}}, 1000);
  L.MergeFilePositions(1, 2, {{"b", 30}, {"c", 40}}, 5000);
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L.Col(0)->Name(), "a");
  EXPECT_EQ(L.Col(0)->Positions, (TPelColPosArr{1010, -1}));
  EXPECT_EQ(L.Col(1)->Name(), "b");
  EXPECT_EQ(L.Col(1)->Positions, (TPelColPosArr{-1, 5030}));
  EXPECT_EQ(L.Col(2)->Name(), "c");
  EXPECT_EQ(L.Col(2)->Positions, (TPelColPosArr{1020, 5040}));
  EXPECT_EQ(L.FindCol("C"), L.Col(2));
  // Outside the file range nothing changes; a repeated name is refused before any change.
  L.MergeFilePositions(2, 2, {{"d", 1}}, 0);
  L.MergeFilePositions(-1, 2, {{"d", 1}}, 0);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_THROW(L.MergeFilePositions(1, 2, {{"a", 1}, {"d", 2}, {"d", 3}}, 0), EPelDamagedData);
  EXPECT_THROW(L.MergeFilePositions(1, 2, {{"d", 1}, {"a", 2}}, 0), EPelDamagedData);
  EXPECT_EQ(L.Count(), 3);
  EXPECT_EQ(L.Col(1)->Positions, (TPelColPosArr{-1, 5030}));
  // The copy is a list of columns with their positions.
  auto Copy = L.CreateCopy();
  auto* CL = As<TPelColList>(Copy.get());
  ASSERT_NE(CL, nullptr);
  EXPECT_EQ(CL->Col(2)->Positions, (TPelColPosArr{1020, 5040}));
}

// A record set of two data files written by the writer, walked as a reader walks it.
TEST(PelColumns, ChainOfDataFilesReadsBack) {
  std::vector<double> Age1 = {18, 25, kPelMissingDouble, 40};
  std::vector<double> Sex1 = {1, 2, 2, 1};
  std::vector<double> Age2 = {60, 61, 62};
  std::vector<double> W2 = {0.5, 1.25, 2};
  TSwRecset R{"respondents",
              {{"wave 1",
                4,
                {{"sex", EncodeColumnBlock(cdlfBit2, cdcfIDX_2, Sex1)},
                 {"Age", EncodeColumnBlock(cdlfUInt1, cdcfRLE_1_8, Age1)}}},
               {"wave 2",
                3,
                {{"age", EncodeColumnBlock(cdlfUInt2, cdcfZLib, Age2)},
                 {"weight", EncodeColumnBlock(cdlfFlt8, cdcfNoCompression, W2)}}}}};
  TSwRecset Other{"panel",
                  {{"wave 1", 1, {{"id", EncodeColumnBlock(cdlfUInt4, cdcfNoCompression, {7})}}}}};
  TMemoryStream S;
  S.WriteBuffer("header");
  int64_t First = WriteRecsetChain(S, {R, Other});
  std::string File = S.DataString();

  TMemoryStream In(File);
  In.SetPosition(First);
  TMerRecsetHeader RH;
  RH.Create(In);
  EXPECT_EQ(RH.Records, 7);
  ASSERT_EQ(RH.Files, 2);
  TPelColList Cols;
  In.SetPosition(RH.Position + RH.FirstFile);
  std::vector<int> Records;
  for (int F = 0; F < RH.Files; ++F) {
    TGimFileHeader FH;
    FH.Create(In);
    Records.push_back(FH.Records);
    TGimColPosArr P;
    ReadColumnDirectory(In, FH, P);
    SortColumnDirectory(P);
    Cols.MergeFilePositions(F, RH.Files, P, FH.Position);
    if (F + 1 < RH.Files) {
      ASSERT_GE(FH.Next, 0);
      In.SetPosition(RH.Position + FH.Next);
    } else {
      EXPECT_LT(FH.Next, 0);
    }
  }
  ASSERT_EQ(Cols.Count(), 3);
  auto* Age = static_cast<TPelCol*>(Cols.FindCol("age"));
  auto* Sex = static_cast<TPelCol*>(Cols.FindCol("sex"));
  auto* W = static_cast<TPelCol*>(Cols.FindCol("weight"));
  ASSERT_TRUE(Age && Sex && W);
  EXPECT_EQ(Sex->Positions[1], -1) << "sex is missing from the second data file";
  EXPECT_EQ(W->Positions[0], -1);
  std::vector<double> All(7);
  In.SetPosition(Age->Positions[0]);
  ReadColumnDoubles(In, std::span(All).first(Records[0]));
  In.SetPosition(Age->Positions[1]);
  ReadColumnDoubles(In, std::span(All).subspan(Records[0], Records[1]));
  for (int I = 0; I < 7; ++I) EXPECT_TRUE(SameBits(All[I], I < 4 ? Age1[I] : Age2[I - 4])) << I;
  std::vector<uint8_t> SexBytes(4);
  In.SetPosition(Sex->Positions[0]);
  ReadColumnBytes(In, SexBytes);
  EXPECT_EQ(SexBytes, (std::vector<uint8_t>{1, 2, 2, 1}));
  In.SetPosition(W->Positions[1]);
  ReadColumnDoubles(In, std::span(All).first(3));
  EXPECT_EQ(All[1], 1.25);

  ASSERT_GE(RH.Next, 0);
  In.SetPosition(RH.Next);
  RH.Create(In);
  EXPECT_EQ(RH.Name, "panel");
  EXPECT_LT(RH.Next, 0);
}

}  // namespace
}  // namespace quin
