// Decoded columns shared between the sessions that have one survey file open: decoded once,
// kept within the budget while no computation holds them, and gone with the last session.
#include "analysis/pelcolstore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <set>

#include "calc_fixture.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

using namespace quin::test;

class ColStore : public testing::Test {
 protected:
  TEnglishSession English;
  test::TTempFolder Folder;
  std::string File = Folder.File("calc.zos");
  void SetUp() override {
    std::ofstream Out(File, std::ios::binary);
    Out << CalcSurveyBytes();
  }
  std::unique_ptr<TPelSurvey> Open() {
    auto S = New<TPelSurvey>(File, 1);
    S->LoadFromFile(File);
    return S;
  }
  static void Compute(TPelSurvey& S) {
    TCalcTable T(S);
    T.Rows = {{T.Resp("edu", "low")}, {T.Resp("edu", "mid")}};
    T.Cols = {{T.Resp("reg", "north")}};
    T.Build(T.Stat("pctCol"));
    T.CalculateTable();
  }
};

TEST_F(ColStore, SessionsOfOneFileShareItsColumnsUntilTheLastCloses) {
  auto A = Open(), B = Open();
  Compute(*A);
  ASSERT_TRUE(A->ColumnStore);
  const int64_t Decodes = A->ColumnStore->Decodes();
  EXPECT_EQ(Decodes, 2);  // the two questions' codes (the weights are counted apart)
  Compute(*B);
  EXPECT_EQ(B->ColumnStore, A->ColumnStore);
  EXPECT_EQ(A->ColumnStore->Decodes(), Decodes);
  // No session holds the decoded columns in its own record set.
  EXPECT_TRUE(A->PelRecset(0)->CacheValues.empty());
  std::weak_ptr<TPelColumnStore> Store = A->ColumnStore;
  A.reset();
  EXPECT_FALSE(Store.expired());
  B.reset();
  EXPECT_TRUE(Store.expired());
  auto C = Open();
  Compute(*C);
  EXPECT_EQ(C->ColumnStore->Decodes(), Decodes);  // a new store decodes again
}

TEST_F(ColStore, ColumnsOfFewValuesAreCodedAndTheBudgetDropsUnheldColumns) {
  auto S = Open();
  TPelColumnStore& Store = *(S->ColumnStore = TPelColumnStore::ForFile(File));
  TPelRecset& R = *S->PelRecset(0);
  const TCalcData D;
  // Small whole numbers are their own codes.
  auto Edu = Store.Codes(R, 0, R.FindCol("edu"));
  ASSERT_TRUE(Edu);
  for (int I = 0; I < D.N(); ++I)
    EXPECT_EQ(Edu->Codes[static_cast<size_t>(I)], D.Edu[I] == M ? 255 : D.Edu[I]);
  // Negative, fractional and large values get codes of their own, each code standing for
  // exactly one value.
  for (const auto& [Name, Values] : {std::pair{"sc", &D.Sc}, std::pair{"big", &D.Big},
                                     std::pair{"w", &D.W}, std::pair{"inc", &D.Inc}}) {
    SCOPED_TRACE(Name);
    auto C = Store.Codes(R, 0, R.FindCol(Name));
    ASSERT_TRUE(C);
    std::set<double> Distinct;
    for (int I = 0; I < D.N(); ++I) {
      const uint8_t Code = C->Codes[static_cast<size_t>(I)];
      const double X = (*Values)[static_cast<size_t>(I)];
      if (X == M) {
        EXPECT_EQ(Code, 255);
        continue;
      }
      Distinct.insert(X);
      EXPECT_NE(Code, 255);
      EXPECT_EQ(C->Value[Code], X);
    }
    EXPECT_EQ(C->Distinct, static_cast<int>(Distinct.size()));
    auto U = Store.Distinct(R, 0, R.FindCol(Name));
    ASSERT_TRUE(U);
    EXPECT_EQ(*U, std::vector<double>(Distinct.begin(), Distinct.end()));
  }
  auto W = Store.Doubles(R, 0, R.FindCol("w"));
  ASSERT_TRUE(W);
  EXPECT_EQ(*W, D.W);
  const size_t Old = TPelColumnStore::Budget();
  TPelColumnStore::SetBudget(1);
  W.reset();
  // Trims: every column no one holds goes; the held codes and the column just decoded stay.
  auto Reg = Store.Codes(R, 0, R.FindCol("reg"));
  EXPECT_EQ(Store.HeldBytes(), Edu->Bytes() + Reg->Bytes());
  EXPECT_EQ(Store.Codes(R, 0, R.FindCol("edu")), Edu);
  TPelColumnStore::SetBudget(Old);
}

// Reading a report asks for the values of numeric answers: the column's distinct values are
// kept with it, found once for every session.
TEST_F(ColStore, NumericValuesComeFromTheColumnsDistinctValuesFoundOnce) {
  const TCalcData D;
  std::set<double> Ages;
  for (double X : D.Age)
    if (X != M && X >= 15 && X <= 99) Ages.insert(X);
  auto A = Open(), B = Open();
  int64_t Decodes = -1;
  for (TPelSurvey* S : {A.get(), B.get()}) {
    TGimResponse* Years = S->Data->FindQuestion("age", false)->Responses->FindByID("years");
    const std::vector<double>* V = Years->GetNumericValues(S->Recset(0));
    ASSERT_TRUE(V);
    EXPECT_EQ(*V, std::vector<double>(Ages.begin(), Ages.end()));
    if (Decodes < 0) Decodes = S->ColumnStore->Decodes();
  }
  EXPECT_EQ(Decodes, 1);
  EXPECT_EQ(B->ColumnStore->Decodes(), 1);
}

TEST(ColStoreWide, AColumnOfMoreValuesThanCodesStaysDoublesAndIsDecodedOnce) {
  TEnglishSession English;
  const TCalcData D = RandomCalcData(600, 3);
  TOpened<> Opened{CalcSurveyBytes(D)};
  TPelRecset& R = *Opened.Survey->PelRecset(0);
  auto Store = TPelColumnStore::Private();
  std::set<double> Distinct;
  for (double X : D.Inc)
    if (X != M) Distinct.insert(X);
  ASSERT_GT(Distinct.size(), 255u);
  EXPECT_FALSE(Store->Codes(R, 0, R.FindCol("inc")));
  const int64_t Decodes = Store->Decodes();
  EXPECT_FALSE(Store->Codes(R, 0, R.FindCol("inc")));
  EXPECT_EQ(Store->Decodes(), Decodes);
  auto U = Store->Distinct(R, 0, R.FindCol("inc"));
  ASSERT_TRUE(U);
  EXPECT_EQ(*U, std::vector<double>(Distinct.begin(), Distinct.end()));
}

TEST(ColStoreMaking, OneEntryBeingMadeHoldsUpOnlyThoseWhoWantIt) {
  auto Store = TPelColumnStore::Private();
  std::promise<void> AStarted, BMade;
  std::shared_future<void> BMadeF = BMade.get_future().share();
  // A's making waits until B has been made meanwhile: were the store locked while A is made,
  // B would wait for A, and A would give up after a while and say so.
  auto A = std::async(std::launch::async, [&] {
    return Store->Mask("a", [&] {
      AStarted.set_value();
      const bool Seen = BMadeF.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
      return TPelByteColumn{static_cast<uint8_t>(Seen ? 1 : 0)};
    });
  });
  AStarted.get_future().wait();
  auto B = Store->Mask("b", [] { return TPelByteColumn{2}; });
  BMade.set_value();
  // Another who wants A waits for it and gets the same mask.
  auto A2 = std::async(std::launch::async,
                       [&] { return Store->Mask("a", [] { return TPelByteColumn{9}; }); });
  const auto MaskA = A.get();
  EXPECT_EQ(*MaskA, TPelByteColumn{1});
  EXPECT_EQ(A2.get(), MaskA);
  EXPECT_EQ(*B, TPelByteColumn{2});
  EXPECT_EQ(Store->MasksMade(), 2);
}

}  // namespace
}  // namespace quin
