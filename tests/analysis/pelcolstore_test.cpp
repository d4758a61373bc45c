// Decoded columns shared between the sessions that have one survey file open: decoded once,
// kept within the budget while no computation holds them, and gone with the last session.
#include "analysis/pelcolstore.h"

#include <gtest/gtest.h>

#include <fstream>

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

TEST_F(ColStore, CodesAreBytesOtherValuesDoublesAndTheBudgetDropsUnheldColumns) {
  auto S = Open();
  TPelColumnStore& Store = *(S->ColumnStore = TPelColumnStore::ForFile(File));
  TPelRecset& R = *S->PelRecset(0);
  auto Edu = Store.Bytes(R, 0, R.FindCol("edu"));
  ASSERT_TRUE(Edu);
  const TCalcData D;
  for (int I = 0; I < D.N(); ++I)
    EXPECT_EQ((*Edu)[static_cast<size_t>(I)], D.Edu[I] == M ? 255 : D.Edu[I]);
  EXPECT_FALSE(Store.Bytes(R, 0, R.FindCol("w")));  // weights of 0.5
  auto W = Store.Doubles(R, 0, R.FindCol("w"));
  ASSERT_TRUE(W);
  EXPECT_EQ(*W, D.W);
  const size_t Old = TPelColumnStore::Budget();
  TPelColumnStore::SetBudget(1);
  W.reset();
  // Trims: the weights go; the held codes and the column just decoded stay.
  Store.Bytes(R, 0, R.FindCol("reg"));
  EXPECT_EQ(Store.HeldBytes(), 2 * D.Edu.size());
  EXPECT_EQ(Store.Bytes(R, 0, R.FindCol("edu")), Edu);
  TPelColumnStore::SetBudget(Old);
}

}  // namespace
}  // namespace quin
