// Damaged survey files refused or opened without large allocations, measured through this
// program's own operator new and delete (heap_peak.cpp). They are a program of their own: the
// counting operator new takes the place of the sanitizer's, which then no longer reports a
// delete that does not match its new, and no other test should lose that.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/pelsurvey.h"
#include "base/orvbinary.h"
#include "base/orvexceptions.h"
#include "heap_peak.h"
#include "surveykit/pelcolblocks.h"
#include "tests/analysis/survey_files.h"

namespace quin {
namespace {

using namespace quin::test;

// A short file that claims far more records than its blocks can hold is refused before
// anything is sized for those records.
TEST(PelSurvey, RecordsBeyondTheBlocksAreRefusedWithLittleMemory) {
  TEnglishSession English;
  const std::string Full = SmallSurvey();
  const TChainSpots C0 = FindChain(Full, 0);
  ASSERT_LT(Full.size(), 4096u);
  // 2^26 records need more room than the blocks have; 4,000,000 fit the room of the last block
  // of the data file, but that block holds two values, which the join would read.
  for (int32_t Records : {kPelMaxRecords, 4000000}) {
    SCOPED_TRACE(Records);
    std::string B = Full;
    PutInt32At(B, C0.Records, Records);
    PutInt32At(B, C0.FileRecords, Records - 1);  // and one record in the second file
    THeapPeak Peak;
    EXPECT_THROW(TOpened<>{B}, EPelDamagedData);
    EXPECT_LT(Peak.Bytes(), int64_t{16} << 20);
  }
}

// The offset of the definition block's sizes: after the file header of a version-0 file.
int64_t DefinitionSizesAt(const std::string& Bytes) {
  int32_t DefOffset;
  std::memcpy(&DefOffset,
              Bytes.data() + kOrvStreamGUIDHeaderSize + 1 + std::strlen(kSwSurveyProductText), 4);
  return DefOffset + kOrvStreamGUIDHeaderSize;
}

TEST(PelSurvey, DefinitionBlockDamageAndBombs) {
  TEnglishSession English;
  TSwSurveyOptions V0;
  V0.Version = 0;
  const std::vector<TSwSurveyRecset> Data = {{"resp", {Wave({{"id", {1}}})}}};
  const std::string Def = Definition();
  const std::string Full = SurveyFileBytes(Def, Data, V0);
  const int64_t Sizes = DefinitionSizesAt(Full);
  // The stated plain size is an estimate: too small, none, nonsense or far too large, the
  // text opens as it is.
  const auto Len = static_cast<int32_t>(Def.size());
  for (int32_t Stated : {Len - 1, 0, Len / 4, -1, INT32_MAX}) {
    SCOPED_TRACE(Stated);
    std::string B = Full;
    PutInt32At(B, Sizes + 4, Stated);
    THeapPeak Peak;
    TOpened<> S(B);
    EXPECT_EQ(S.R(0).RecCount(), 1);
    EXPECT_LT(Peak.Bytes(), int64_t{4} << 20);
  }
  for (int32_t Bad : {-1, INT32_MAX}) {
    std::string B = Full;
    PutInt32At(B, Sizes, Bad);
    EXPECT_THROW(TOpened<>{B}, EPelDamagedData) << Bad;
  }
  {
    // A zlib bomb: a definition longer than any survey's, whatever size it states.
    std::string Bomb = Def + std::string(kPelMaxDefinitionSize, ' ');
    std::string B = SurveyFileBytes(Bomb, Data, V0);
    PutInt32At(B, DefinitionSizesAt(B) + 4, static_cast<int32_t>(Def.size()));
    EXPECT_THROW(TOpened<>{B}, EDecompressionError);
  }
  {
    std::string B = Full;
    PutInt32At(B, kOrvStreamGUIDHeaderSize + 1 + std::strlen(kSwSurveyProductText), -7);
    EXPECT_THROW(TOpened<>{B}, EPelDamagedData);
  }
  // A definition with errors is refused as a whole.
  EXPECT_THROW(TOpened<>(SurveyFileBytes(Def + "def nonsense end;\r\n", Data)),
               EPelSurveyLoadError);
  // A huge skipped string of a version-6 header ends in a read error, not an allocation.
  TSwSurveyOptions V6;
  V6.Version = 6;
  std::string B = SurveyFileBytes(Def, Data, V6);
  B[kOrvStreamGUIDHeaderSize] = static_cast<char>(kLongStringMarker);
  EXPECT_THROW(TOpened<>{B}, Exception);
}

}  // namespace
}  // namespace quin
