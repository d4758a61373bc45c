// Opening survey files for analysis: the file header of every version, column reads through
// the record sets and their cache, the panel join, statistic lists, and damaged files.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "base/orvbinary.h"
#include "base/text.h"
#include "survey_files.h"
#include "surveykit/gimstat.h"
#include "surveykit/merenviron.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using namespace quin::test;
constexpr double M = kPelMissingDouble;

// The values a layout holds, missing among them, most varied first.
std::vector<double> LayoutPool(int Layout) {
  switch (Layout) {
    case cdlfBit2:
      return {0, 1, 2, M};
    case cdlfBit4:
      return {0, 14, 3, M, 7, 1, 9, 2};
    case cdlfUInt1:
      return {0, 254, M, 7, 100, 1, 2, 3};
    case cdlfUInt2:
      return {0, 65534, M, 1000, 1, 2, 3, 4};
    case cdlfUInt4:
      return {0, 4294967294.0, M, 4e9, 1, 2, 300, 4};
    case cdlfSInt1:
      return {-128, 126, M, 5, 0, -1, 2, 3};
    case cdlfSInt2:
      return {-32768, 32766, M, 300, 0, -1, 2, 3};
    case cdlfSInt4:
      return {-2147483648.0, 2147483646.0, M, 70000, 0, -1, 2, 3};
    default:
      return {2.5, -1.25, M, 1e10, 3.5, 0, 300, -1};
  }
}

// Runs of varied length over the first N pool values, so that every RLE code form occurs.
std::vector<double> Pattern(const std::vector<double>& Pool, size_t N, int Records, int Seed) {
  std::vector<double> V;
  for (int I = 0; static_cast<int>(V.size()) < Records; ++I) {
    const double X = Pool[(I * 5 + Seed) % N];
    const int Run = I % 4 == 0 ? 1 + (I * 37 + Seed) % 40 : 1;
    for (int K = 0; K < Run && static_cast<int>(V.size()) < Records; ++K) V.push_back(X);
  }
  return V;
}

std::string ColName(int L, int C) {
  return LowerCase(std::string(PelColDataLayoutNames[L]) + "_" + PelColDataCompressionNames[C]);
}

TEST(PelSurvey, RoundTripOverLayoutsCompressionsAndVersions) {
  TEnglishSession English;
  // Every layout in every compression the dictionary fits, two waves of unequal size.
  const int Records[2] = {37, 300};
  TSwSurveyRecset Resp{"resp", {}};
  std::map<std::string, std::vector<double>> Expected;
  for (int W = 0; W < 2; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = Records[W];
    for (int L = 0; L < kPelColDataLayoutCount; ++L)
      for (int C = 0; C < kPelColDataCompressionCount; ++C) {
        const std::vector<double> Pool = LayoutPool(L);
        const size_t N = C == cdcfNoCompression
                             ? Pool.size()
                             : std::min<size_t>(Pool.size(), PelCompressionMaxDictionary(C));
        TSwSurveyColumn Col{ColName(L, C),
                            Pattern(Pool, N, Records[W], W + L + C),
                            {L, static_cast<TPelColDataCompression>(C)}};
        auto& E = Expected[Col.Name];
        E.insert(E.end(), Col.Values.begin(), Col.Values.end());
        Wave.Columns.push_back(std::move(Col));
      }
    Resp.Waves.push_back(std::move(Wave));
  }
  for (int V = 0; V <= 8; ++V) {
    SCOPED_TRACE("version " + std::to_string(V));
    TSwSurveyOptions O;
    O.Version = V;
    O.Version6Text = "six";
    O.Version8Text = "eight";
    O.ExtraBlock = "extra";
    TOpened<> S(SurveyFileBytes(Definition(), {Resp}, O));
    TPelRecset& R = S.R(0);
    ASSERT_EQ(R.RecCount(), 337);
    ASSERT_EQ(R.Cols->Count(), static_cast<int>(Expected.size()));
    std::vector<double> D;
    std::vector<uint8_t> B;
    for (const auto& [Name, Values] : Expected) {
      R.LoadColumn(Name, D);
      R.ReadColumnBytesByName(Name, B);
      int Bad = 0;
      for (size_t I = 0; I < Values.size(); ++I) {
        Bad += std::memcmp(&D[I], &Values[I], 8) != 0;
        Bad += B[I] != PelDoubleToByte(Values[I]);
      }
      EXPECT_EQ(Bad, 0) << Name;
    }
  }
}

// Counts the calls of the extra-block hook and reads three bytes there (the reader must go on
// after the block whatever the hook read).
class TSpySurvey : public TPelSurvey {
 public:
  using TPelSurvey::TPelSurvey;
  int ExtraCalls = 0;
  std::string ExtraStart;
  void ReadExtraBlock(TStream& S) override {
    ++ExtraCalls;
    ExtraStart.resize(3);
    S.ReadBuffer(ExtraStart);
  }
};

TEST(PelSurvey, HeaderPartsFollowTheVersion) {
  TEnglishSession English;
  for (int V = 0; V <= 8; ++V) {
    SCOPED_TRACE("version " + std::to_string(V));
    TSwSurveyOptions O;
    O.Version = V;
    O.Version6Text = "sixth";
    O.Version8Text = "eighth";
    O.DataDate = 40000.5;
    O.ExtraBlock = "0123456789";
    TOpened<TSpySurvey> S(
        SurveyFileBytes(Definition(), {{"resp", {Wave({{"a", {1, 2}}}), Wave({{"a", {3}}})}}}, O));
    EXPECT_EQ(S.Survey->IsVersion6File, V >= 6);
    EXPECT_EQ(S.Survey->DataDate, V >= 1 ? 40000.5 : 0.0);
    EXPECT_EQ(S.Survey->ExtraCalls, V >= 5 ? 1 : 0);
    EXPECT_EQ(S.Survey->ExtraStart, V >= 5 ? "012" : "");
    std::vector<double> A;
    S.R(0).LoadColumn("A", A);
    EXPECT_EQ(A, (std::vector<double>{1, 2, 3}));
  }
  // An extra block of size 0 calls nothing and skips nothing.
  TSwSurveyOptions O;
  O.Version = 5;
  TOpened<TSpySurvey> S(SurveyFileBytes(Definition(), {{"resp", {Wave({{"a", {1}}})}}}, O));
  EXPECT_EQ(S.Survey->ExtraCalls, 0);
  EXPECT_EQ(S.R(0).RecCount(), 1);
}

TEST(PelSurvey, ProductTextInternalFlagAndVersionRefused) {
  TEnglishSession English;
  const std::vector<TSwSurveyRecset> Data = {{"resp", {Wave({{"a", {1}}})}}};
  std::string Text = kSwSurveyProductText;
  std::string Changed = Text;
  Changed[5] = 'X';
  for (const std::string& P : {Changed, Text.substr(1), Text + " "}) {
    TSwSurveyOptions O;
    O.ProductText = P;
    EXPECT_THROW(TOpened<>(SurveyFileBytes(Definition(), Data, O)), ESIGErr);
  }
  TSwSurveyOptions O;
  O.Version = 3;
  O.Internal = 1;
  try {
    TOpened<> S(SurveyFileBytes(Definition(), Data, O));
    ADD_FAILURE() << "internal survey opened";
  } catch (const EPelInternalSurvey& E) {
    EXPECT_EQ(E.MessageText(), "Internal surveys are not supported anymore.");
  }
  O = {};
  O.Version = 9;
  EXPECT_THROW(TOpened<>(SurveyFileBytes(Definition(), Data, O)), EVERErr);
  std::string Bytes = SurveyFileBytes(Definition(), Data);
  Bytes[0] ^= 1;
  EXPECT_THROW(TOpened<>{Bytes}, ESIGErr);
}

TEST(PelSurvey, LoadFromFileTakesTheFileTimeUnlessTheHeaderHasADate) {
  TEnglishSession English;
  namespace fs = std::filesystem;
  const TTempFolder Temp;
  const fs::path& Dir = Temp.Path();
  auto Write = [&](const char* Name, int Version) {
    TSwSurveyOptions O;
    O.Version = Version;
    O.DataDate = 41000;
    const std::string B = SurveyFileBytes(Definition(), {{"resp", {Wave({{"a", {1}}})}}}, O);
    const fs::path P = Dir / Name;
    std::ofstream(P, std::ios::binary).write(B.data(), static_cast<std::streamsize>(B.size()));
    return P;
  };
  const fs::path V0 = Write("v0.zos", 0), V1 = Write("v1.zos", 1);
  const auto When = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(V0, When);
  auto A = New<TPelSurvey>(V0.string(), 1);
  A->LoadFromFile(V0.string());
  // A second session opens the same file while the first keeps it open.
  auto B = New<TPelSurvey>(V0.string(), 1);
  B->LoadFromFile(V0.string());
  const double Today =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count() /
          86400 +
      25569;
  EXPECT_NEAR(A->DataDate, Today - 400, 1.0);
  EXPECT_EQ(A->DataDate, B->DataDate);
  auto C = New<TPelSurvey>(V1.string(), 1);
  C->LoadFromFile(V1.string());
  EXPECT_EQ(C->DataDate, 41000);
  std::vector<double> X;
  B->PelRecset(0)->LoadColumn("a", X);
  EXPECT_EQ(X, std::vector<double>{1});
  A.reset();
  B.reset();
  C.reset();
  fs::remove_all(Dir);
  auto D = New<TPelSurvey>("missing.zos", 1);
  EXPECT_THROW(D->LoadFromFile((Dir / "missing.zos").string()), EFOpenError);
}

TEST(PelSurvey, ColumnMissingInTheSecondDataFileReadsMissingThere) {
  TEnglishSession English;
  TOpened<> S(SurveyFileBytes(
      Definition(), {{"resp", {Wave({{"a", {1, 2}}, {"b", {5, 6}}}), Wave({{"a", {3, 4, 5}}})}}}));
  TPelRecset& R = S.R(0);
  std::vector<double> D;
  std::vector<uint8_t> B;
  R.LoadColumn("B", D);
  R.ReadColumnBytesByName("b", B);
  EXPECT_EQ(D, (std::vector<double>{5, 6, M, M, M}));
  EXPECT_EQ(B, (std::vector<uint8_t>{5, 6, 255, 255, 255}));
  R.LoadColumn("nothing", D);
  EXPECT_EQ(D, std::vector<double>(5, M));
  EXPECT_EQ(R.FileRecCounts, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(R.MaxFileRecCount(), 3);
  EXPECT_EQ(R.FileRanges[1].First, 2);
  EXPECT_EQ(R.FileRanges[1].Last, 4);
}

TEST(PelSurvey, OneColumnCacheOfDoubles) {
  TEnglishSession English;
  TOpened<> S(SurveyFileBytes(Definition(), {{"resp", {Wave({{"a", {1, 2}}, {"b", {3, 4}}})}}}));
  TPelRecset& R = S.R(0);
  std::vector<double> D;
  std::vector<uint8_t> B;
  R.LoadColumn("a", D);
  R.LoadColumn("a", D);
  EXPECT_EQ(R.ColumnDecodes, 1);  // A, A
  R.LoadColumn("b", D);
  R.LoadColumn("a", D);
  EXPECT_EQ(R.ColumnDecodes, 3);  // A, B, A
  EXPECT_EQ(D, (std::vector<double>{1, 2}));
  // Byte reads neither use nor change the cache.
  R.ReadColumnBytesByName("b", B);
  EXPECT_EQ(R.ColumnDecodes, 4);
  R.LoadColumn("a", D);
  EXPECT_EQ(R.ColumnDecodes, 4);
  EXPECT_EQ(R.CacheCol, R.FindCol("a"));
  // A new file count replaces the columns and forgets the cached one.
  R.SetFileCount(1);
  EXPECT_EQ(R.CacheCol, nullptr);
}

TEST(PelSurvey, PanelJoinByJoinValues) {
  TEnglishSession English;
  TDefOptions O;
  O.Panels = {"pan"};
  // Wave 1: respondents 1, 1, 2, 3 against panel records 1, 1, 3; wave 2: a missing
  // respondent ID against missing panel IDs, then an ID found. The panel has a third wave's
  // respondents nothing.
  TOpened<> S(SurveyFileBytes(
      Definition(O),
      {{"resp", {Wave({{"id", {1, 1, 2, 3}}}), Wave({{"id", {M, 7}}}), Wave({{"id", {8}}})}},
       {"pan", {Wave({{"id", {1, 1, 3}}}), Wave({{"id", {M, M, 7}}})}}}));
  auto* J = S.Survey->PanelJoins[1].get();
  ASSERT_NE(J, nullptr);
  EXPECT_EQ(S.Survey->PanelJoins[0], nullptr);
  std::vector<std::pair<int, int>> Got;
  for (const auto& C : J->CaseRanges) Got.emplace_back(C.First, C.Last);
  const std::vector<std::pair<int, int>> Want = {{0, 1}, {0, 1}, {3, 2}, {2, 2},
                                                 {3, 2}, {5, 5}, {0, -1}};
  EXPECT_EQ(Got, Want);
  for (int I : {2, 4, 6}) EXPECT_GT(J->CaseRanges[I].First, J->CaseRanges[I].Last) << I;
}

TEST(PelSurvey, ColumnNamesWavesAndBasedOn) {
  TEnglishSession English;
  TDefOptions O;
  O.Waves = 3;
  O.Panels = {"pan"};
  O.HiddenPanel = true;
  TOpened<> S(SurveyFileBytes(Definition(O), {{"resp",
                                               {Wave({{"q1", {1}}, {"q10", {1}}, {"Age", {1}}}),
                                                Wave({{"q2", {1}}, {"q1", {2}}})}},
                                              {"pan", {Wave({{"id", {1}}})}}}));
  TPelRecset& R = S.R(0);
  using V = std::vector<std::string>;
  EXPECT_EQ(R.GetColumnNames("q?"), (V{"q1", "q2"}));
  EXPECT_EQ(R.GetColumnNames("q*"), (V{"q1", "q10", "q2"}));
  EXPECT_EQ(R.GetColumnNames("*"), (V{"age", "q1", "q10", "q2"}));
  EXPECT_EQ(R.GetColumnNames("a[1]"), V{});
  ASSERT_TRUE(S.Survey->Waves);
  ASSERT_EQ(S.Survey->Waves->Count(), 3);
  EXPECT_EQ(S.Survey->Waves->GetItem(1)->RecCount(&R), 1);
  EXPECT_EQ(S.Survey->Waves->GetItem(2)->RecCount(&R), 0);  // no third data file
  EXPECT_EQ(S.Survey->Waves->RecCount(&R), 2);
  ASSERT_EQ(S.Survey->DataBasedOnList->Count(), 1);  // the hidden panel is left out
  EXPECT_EQ(S.Survey->DataBasedOnList->FindByID("RESP")->Recset, &R);
  EXPECT_EQ(S.Survey->DataBasedOnList->FindByID("pan"), nullptr);
}

std::vector<std::string> StatIDs(const TGimStatList& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) R.push_back(L.GetItem(I)->ID());
  return R;
}

TEST(PelSurvey, StatisticListsFollowVersionMediaAndInfo) {
  TEnglishSession English;
  const std::vector<TSwSurveyRecset> Data = {{"resp", {Wave({{"a", {1}}})}}};
  TDefOptions O;
  O.InfoLines = "  advStats = cntW;\r\n";
  O.RespLines = "  stats = sumRow, cntA, indRow;\r\n";
  TSwSurveyOptions V5;
  V5.Version = 5;
  TOpened<> S(SurveyFileBytes(Definition(O), Data, V5));
  EXPECT_TRUE(S.Survey->AfterOpen());
  const TMerInfo& I = *S.Survey->Info;
  // No sum or share before version 6, no media indicators without media; the standard list
  // is the catalogue without the advanced kinds.
  const std::vector<std::string> Std = {"cntA",   "pctLayer", "pctRow",    "pctCol",
                                        "index",  "est",      "meanRow",   "meanCol",
                                        "varRow", "varCol",   "stdDevRow", "stdDevCol"};
  EXPECT_EQ(StatIDs(I.StdStatList), Std);
  EXPECT_EQ(StatIDs(I.AdvStatList), std::vector<std::string>{"cntW"});
  EXPECT_EQ(I.StatCatalogue.Count(), 13);
  // The record set no longer allows the dropped kinds.
  EXPECT_EQ(S.R(0).Stats, std::vector<int>{0});

  // Version 8 keeps sum and share; a standard list without advanced kinds prunes the rest.
  O = {};
  O.InfoLines = "  stdStats = cntA, sumRow;\r\n";
  TOpened<> S8(SurveyFileBytes(Definition(O), Data));
  S8.Survey->AfterOpen();
  EXPECT_EQ(StatIDs(S8.Survey->Info->StatCatalogue), (std::vector<std::string>{"cntA", "sumRow"}));
  EXPECT_EQ(S8.Survey->Info->StdStats, (std::vector<int>{0, 13}));
}

// ---- damaged files

TEST(PelSurvey, EveryTruncationRaises) {
  TEnglishSession English;
  const std::string Full = SmallSurvey();
  TOpened<> Whole(Full);  // the whole file opens
  for (size_t N = 0; N < Full.size(); N += 3) {
    bool Raised = false;
    try {
      TOpened<> S(Full.substr(0, N));
    } catch (const std::exception&) {
      Raised = true;
    }
    EXPECT_TRUE(Raised) << N;
  }
}

TEST(PelSurvey, DamagedChainsAndCountsRaiseTheirErrors) {
  TEnglishSession English;
  const std::string Full = SmallSurvey();
  const TChainSpots C0 = FindChain(Full, 0);
  const TChainSpots C1 = FindChain(Full, 1);
  struct TCase {
    const char* What;
    int64_t At;
    int32_t Value;
  };
  // Record counts that do not add up are damage like any other.
  const TCase Cases[] = {
      {"negative records", C0.Records, -1},
      {"records beyond the data files", C0.Records, 4},
      {"records below the data files", C0.Records, 2},
      {"huge records", C0.Records, INT32_MAX},
      {"data file's records beyond the record set", C0.FileRecords, INT32_MAX},
      {"a record set without data files", C0.Files, 0},
      {"huge file count", C0.Files, INT32_MAX},
      {"negative file count", C0.Files, -5},
      {"fewer files than stated", C0.Files, 3},
      {"more files than stated", C0.Files, 1},
      {"record-set chain to itself", C0.Next, static_cast<int32_t>(C0.Recset)},
      {"record-set chain to itself in the second", C1.Next, static_cast<int32_t>(C1.Recset)},
      {"record-set chain back to the first", C1.Next, static_cast<int32_t>(C0.Recset)},
      {"record-set chain past the end", C0.Next, INT32_MAX},
      {"data-file chain to itself", C0.FileNext, static_cast<int32_t>(C0.File - C0.Recset)},
      {"first file at its record set's header", C0.FirstFile, 0},
      {"first file before the start of the file", C0.FirstFile,
       static_cast<int32_t>(-C0.Recset - 1)},
      {"huge column count", C0.FileColumns, INT32_MAX},
      {"negative column count", C0.FileColumns, -1},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    std::string B = Full;
    PutInt32At(B, C.At, C.Value);
    try {
      TOpened<> S(B);
      ADD_FAILURE() << "opened";
    } catch (const EPelDamagedData& E) {
      EXPECT_EQ(E.MessageText().rfind("The survey file is damaged (", 0), 0u) << E.MessageText();
    }
  }
  // A chain with a record set more than the definition holds.
  TDefOptions One;
  const std::string Extra = SurveyFileBytes(
      Definition(One), {{"resp", {Wave({{"id", {1}}})}}, {"more", {Wave({{"id", {1}}})}}});
  EXPECT_THROW(TOpened<>{Extra}, EPelDamagedData);
  TDefOptions Two;
  Two.Panels = {"pan"};
  const std::string Fewer = SurveyFileBytes(Definition(Two), {{"resp", {Wave({{"id", {1}}})}}});
  EXPECT_THROW(TOpened<>{Fewer}, EPelDamagedData);
}

// A writer may lay record sets and data files out in any order: a record-set chain and a
// data-file chain that point back to earlier places read as the same survey.
TEST(PelSurvey, ChainsMayPointBackwards) {
  TEnglishSession English;
  TSwSurveyOptions V0;
  V0.Version = 0;
  const std::string Full = SmallSurvey(V0);
  const TChainSpots C0 = FindChain(Full, 0);
  const TChainSpots C1 = FindChain(Full, 1);
  // The respondents' record set with its data files, moved behind the panel: the chain starts
  // at the end of the file and goes back to the panel.
  std::string Sets = Full;
  const int64_t MovedSet = AppendCopy(Sets, C0.Recset, C1.Recset);
  PutInt32At(Sets, ChainOffsetAt(), static_cast<int32_t>(MovedSet));
  // The first data file of the respondents, moved to the end: its Next goes back to the second.
  std::string Files = Full;
  const int64_t MovedFile = AppendCopy(Files, C0.File, C0.SecondFile);
  PutInt32At(Files, C0.FirstFile, static_cast<int32_t>(MovedFile - C0.Recset));
  TOpened<> Want(Full);
  for (const std::string* B : {&Sets, &Files}) {
    TOpened<> S(*B);
    std::vector<double> Got, Expected;
    for (int K = 0; K < 2; ++K) {
      S.R(K).LoadColumn("id", Got);
      Want.R(K).LoadColumn("id", Expected);
      EXPECT_EQ(Got, Expected) << K;
    }
    ASSERT_TRUE(S.Survey->PanelJoins[1]);
    EXPECT_EQ(S.Survey->PanelJoins[1]->CaseRanges.size(), 3u);
  }
}

TEST(PelSurvey, DictionaryIndexPastTheEndRaisesOnRead) {
  TEnglishSession English;
  // A dictionary of two values with IDX_8 codes that reach index 5.
  std::string Dict;
  PutStoredValues(Dict, cdlfUInt1, {1, 2});
  const std::string Block = EncodeRawColumnBlock(kPelColBlockDictionary, cdlfUInt1, 2, cdcfIDX_8,
                                                 Dict, std::string("\x00\x05", 2));
  TSwRecset R{"resp", {{"resp.1", 2, {{"id", Block}}}}};
  TMemoryStream S;
  WriteSurveyFile(S, Definition(), std::vector<TSwRecset>{R}, TSwSurveyOptions{});
  TOpened<> O(S.DataString());
  std::vector<double> D;
  EXPECT_THROW(O.R(0).LoadColumn("id", D), EPelDamagedData);
  std::vector<uint8_t> B;
  EXPECT_THROW(O.R(0).ReadColumnBytesByName("id", B), EPelDamagedData);
  // A failed read leaves no column cached.
  EXPECT_EQ(O.R(0).CacheCol, nullptr);
}

TEST(SurveyWriter, CsvAndSmallestLayouts) {
  const TSwSurveyRecset R = ParseSurveyCsv("resp", "id,wave,w\r\n1,1,0.5\r\n2,2,\r\n3,1,1.5\r\n");
  ASSERT_EQ(R.Waves.size(), 2u);
  EXPECT_EQ(R.Waves[0].Records, 2);
  EXPECT_EQ(R.Waves[0].Columns[0].Values, (std::vector<double>{1, 3}));
  EXPECT_EQ(R.Waves[1].Columns[1].Values, std::vector<double>{M});
  EXPECT_THROW(ParseSurveyCsv("r", "id,wave\r\n1\r\n"), ESurveyWriterError);
  EXPECT_THROW(ParseSurveyCsv("r", "id,wave\r\nx,1\r\n"), ESurveyWriterError);
  EXPECT_THROW(ParseSurveyCsv("r", "id\r\n1\r\n"), ESurveyWriterError);
  const std::pair<std::vector<double>, TPelColDataLayout> Layouts[] = {
      {{0, 2, M}, cdlfBit2},          {{0, 14}, cdlfBit4},      {{0, 254}, cdlfUInt1},
      {{-1, 126}, cdlfSInt1},         {{0, 65534}, cdlfUInt2},  {{-1, 32766}, cdlfSInt2},
      {{0, 4294967294.0}, cdlfUInt4}, {{-1, 70000}, cdlfSInt4}, {{0.5}, cdlfFlt8},
      {{0, 4294967295.0}, cdlfFlt8}};
  for (const auto& [V, L] : Layouts) EXPECT_EQ(SwSmallestLayout(V), L) << V.back();
}

}  // namespace
}  // namespace quin
