// Table sorting: the stable sort of permutation ranges by values (sentinels last) or by texts
// in the session's alphabetical order, the sort keys' block and their lists.
#include "analysis/pelsortparams.h"

#include <gtest/gtest.h>

#include "analysis/pelparstats.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "group_fixture.h"
#include "par_fixture.h"
#include "surveykit/gimstat.h"

namespace quin {
namespace {

using namespace quin::test;

constexpr double NoData = GimValueNoData;          // "--"
constexpr double NotDefined = GimValueNotDefined;  // "!DEF"
constexpr double Empty = GimValueEmpty;

// The values in the order the permutation shows them.
std::vector<double> Shown(const std::vector<int>& P, const std::vector<double>& V) {
  std::vector<double> R;
  for (int I : P) R.push_back(V[I]);
  return R;
}

TEST(SortParams, ValuesSortStablyWithTheSentinelsLast) {
  struct TCase {
    const char* Name;
    std::vector<double> Values;
    int Direction;
    std::vector<int> Order;  // starting positions as shown
  } Cases[] = {
      {"sentinels", {3, NoData, 1, NotDefined, 2}, 1, {2, 4, 0, 3, 1}},
      {"all three sentinels", {Empty, 5, NoData, NotDefined, 4}, 1, {4, 1, 3, 0, 2}},
      {"ties ascending", {2, 1, 2, 1}, 1, {1, 3, 0, 2}},
      {"ties descending", {2, 1, 2, 1}, 2, {0, 2, 1, 3}},
      // A key without a direction sorts descending.
      {"unset direction", {1, 3, 2}, 0, {1, 2, 0}},
      {"only sentinels", {NoData, NotDefined}, 1, {1, 0}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TPelTableSortParams S;
    S.ResetOrder(/*Reset1=*/true, /*Reset2=*/false, /*ClearKeys=*/false,
                 static_cast<int>(C.Values.size()), 0);
    S.Sort(0, static_cast<int>(C.Values.size()) - 1, {}, C.Values, 1, C.Direction);
    EXPECT_EQ(S.Perm1, C.Order);
  }
}

TEST(SortParams, SortsOnlyItsRangeAndRefusesPositionsOutsideTheData) {
  TPelTableSortParams S;
  const std::vector<double> V{9, 8, 7, 6, 5};
  S.ResetOrder(/*Reset1=*/false, /*Reset2=*/true, /*ClearKeys=*/false, 0, 5);
  S.Sort(1, 3, {}, V, 2, 1);
  EXPECT_EQ(Shown(S.Perm2, V), (std::vector<double>{9, 6, 7, 8, 5}));
  const std::vector<int> Before = S.Perm2;
  S.Sort(2, 2, {}, V, 2, 1);       // one position
  S.Sort(3, 5, {}, V, 2, 1);       // beyond the permutation
  S.Sort(0, 4, {}, {1, 2}, 2, 1);  // fewer values than positions
  S.Sort(0, 4, {}, V, 3, 1);       // no such permutation
  EXPECT_EQ(S.Perm2, Before);
  S.ColSorts.Add(std::make_unique<TPelSortDataInfo>());
  EXPECT_TRUE(S.IsActive());
  S.ResetOrder(/*Reset1=*/true, /*Reset2=*/true, /*ClearKeys=*/true, 2, 1);
  EXPECT_EQ(S.Perm1, (std::vector<int>{0, 1}));
  EXPECT_EQ(S.Perm2, (std::vector<int>{0}));
  EXPECT_FALSE(S.IsActive());
}

TEST(SortParams, TextsFollowTheSessionsAlphabetIgnoringCase) {
  struct TCase {
    const char* Lang;
    std::vector<std::string> Texts;  // UTF-8
    std::vector<int> Order;
    std::vector<int> Descending;  // equal texts keep their order
  } Cases[] = {
      {"enu", {"b", "A", "a"}, {1, 2, 0}, {0, 1, 2}},
      {"plk", {"b", "ą", "a", "c"}, {2, 1, 0, 3}, {3, 0, 1, 2}},
      {"plk", {"Łódź", "lody", "Zebra", "źle", "żaba"}, {1, 0, 2, 3, 4}, {4, 3, 2, 0, 1}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Texts[0]);
    auto M = New<TOrvLangManager>(C.Lang);
    TLangManagerBinding Bind(M.get());
    std::vector<std::string> Texts;
    for (const std::string& T : C.Texts) Texts.push_back(Cp1250(T));
    TPelTableSortParams S;
    S.ResetOrder(/*Reset1=*/true, /*Reset2=*/false, /*ClearKeys=*/false,
                 static_cast<int>(Texts.size()), 0);
    S.Sort(0, static_cast<int>(Texts.size()) - 1, Texts, {}, 1, 1);
    EXPECT_EQ(S.Perm1, C.Order);
    S.Sort(0, static_cast<int>(Texts.size()) - 1, Texts, {}, 1, 2);
    EXPECT_EQ(S.Perm1, C.Descending);
  }
}

TEST(SortParams, DuplicateAndUnplacedKeysAreRemovedAndRangesNeedTwoPositions) {
  TPelSortDataInfoList L("colSortDataInfo");
  const TPelResElemList NoElems;
  for (int Line : {3, 0, 3, 5}) static_cast<TPelSortDataInfo*>(L.NewItem(NoElems))->Line = Line;
  L.SetKind(2);
  L.RemoveDuplicates();
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->Line, 3);
  EXPECT_EQ(L.GetItem(1)->Line, 5);
  EXPECT_EQ(L.GetItem(0)->Kind, 2);
  TPelSortRangeList R;
  R.AddRange(2, 2);
  R.AddRange(3, 1);
  R.AddRange(1, 4);
  ASSERT_EQ(R.Count(), 1);
  EXPECT_EQ(R.GetItem(0)->To, 4);
}

TEST(SortParams, KeysReadAndWriteTheirBlock) {
  TGroupSurvey G;
  TPelSortDataInfoList L("rowSortDataInfo");
  L.ReadFromScanner(&G.S, *G.Scan("def sortDataInfo\r\n"
                                  "  def dataInfoGroup group = sex = male; end;\r\n"
                                  "  sortOrder = sideways; sortParIndex = 2;\r\n"
                                  "end;\r\n"
                                  "def sortDataInfo sortOrder = Ascending; sortOrder = x; end;\r\n"
                                  "end;"));
  ASSERT_EQ(L.Count(), 2);
  // An unknown order of a key without one is reported; the next instruction is still read.
  EXPECT_EQ(G.Msgs.Count(), 1);
  EXPECT_TRUE(G.Msgs.GetItem(0)->IsClass(TRixMsgError_UnknownKey));
  EXPECT_EQ(L.GetItem(0)->SortParIndex, 2);
  EXPECT_EQ(L.GetItem(0)->SortOrder, 0);
  EXPECT_EQ(L.GetItem(0)->Elems.Count(), 1);
  EXPECT_EQ(L.GetItem(1)->SortOrder, 1);
  TPelParList Pars(&G.S);
  L.GetItem(1)->Par = Pars.AddPar(New<TPelParStats>(&G.S));
  L.GetItem(1)->SortParIndex = 0;
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              L.WriteToStream(S, Indent);
            }),
            "def rowSortDataInfo\r\n"
            "  def sortDataInfo\r\n"
            "    def dataInfoGroup\r\n"
            "      group = sex = male;\r\n"
            "    end;\r\n"
            "    sortOrder = descending;\r\n"
            "  end;\r\n"
            "  def sortDataInfo\r\n"
            "    sortParIndex = 0;\r\n"
            "    sortOrder = ascending;\r\n"
            "  end;\r\n"
            "end;\r\n");
  TPelTableSortParams Copy;
  Copy.RowSorts.NewItem(TPelResElemList());
  const TPelTableSortParams C(Copy);
  EXPECT_EQ(C.RowSorts.Count(), 1);
  EXPECT_EQ(C.RowSorts.BlockName, "rowSortDataInfo");
}

}  // namespace
}  // namespace quin
