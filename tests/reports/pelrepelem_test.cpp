// The element tree: captions, sheet path names, the flat element list, the enclosing elements,
// descriptions and view refreshes.
#include <gtest/gtest.h>

#include "base/text.h"
#include "report_fixture.h"

namespace quin {
namespace {

using namespace quin::test;

// Root - A1 (T1 (C1, C2), T2), A2 (T1 (C1, C2)).
class ElementTree : public testing::Test {
 protected:
  void SetUp() override {
    for (int A = 0; A < 2; ++A) {
      auto* An = Add<TPelRepElemAnalysis>(R.Root());
      for (int T = 0; T < 2 - A; ++T) {
        auto* Table = Add<TTestTable>(An);
        for (int C = 0; T == 0 && C < 2; ++C) Add<TTestChart>(Table);
      }
    }
  }
  template <class T>
  T* Add(TPelRepElem* Parent) {
    return static_cast<T*>(Parent->AddChild(New<T>(Parent, &P.S)));
  }
  TPelRepElem* At(std::initializer_list<int> Path) const {
    TPelRepElem* E = R.Root();
    for (int I : Path) E = E->Child(I);
    return E;
  }

  TRepSurvey P;
  TPelRep R{&P.S};
};

TEST_F(ElementTree, CaptionIsTheTitleOrTheKindAndNumberInTheSessionLanguage) {
  TPelRepElem* A = At({0});
  TPelRepElem* T = At({0, 0});
  EXPECT_EQ(R.Root()->GetCaption(), "");
  EXPECT_EQ(T->GetCaption(), "Table");
  T->Number = 3;
  EXPECT_EQ(T->GetCaption(), "Table 3");
  A->Number = -2;
  EXPECT_EQ(A->GetCaption(), "Analysis");
  A->SetTitle("Readers, \"2024\"");
  EXPECT_EQ(A->GetCaption(), "Readers, \"2024\"");
  EXPECT_EQ(A->GetFullCaption(), A->GetCaption());

  std::unique_ptr<TOrvLangManager> Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Binding(Polish.get());
  EXPECT_EQ(T->GetCaption(), "Tabela 3");
  EXPECT_EQ(At({1})->GetCaption(), "Analiza");
}

TEST_F(ElementTree, IdentPathsNameTheSheets) {
  const struct {
    std::initializer_list<int> Path;
    const char* English;
    const char* Polish;
    const char* Nested;
  } Cases[] = {
      {{0}, "Analysis_1", "Analiza_1", "A1"},
      {{0, 1}, "A1_Table2", "A1_Tabela2", "A1T2"},
      {{1, 0, 1}, "A2T1_Chart2", "A2T1_Wykres2", "A2T1C2"},
  };
  for (const auto& C : Cases) EXPECT_EQ(At(C.Path)->GetIdentPath(false), C.English) << C.English;
  EXPECT_EQ(At({1, 0, 1})->GetIdentPath(true), "A2T1C2");
  EXPECT_EQ(R.Root()->GetIdentPath(false), "");

  std::unique_ptr<TOrvLangManager> Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Binding(Polish.get());
  for (const auto& C : Cases) EXPECT_EQ(At(C.Path)->GetIdentPath(false), C.Polish) << C.Polish;
  EXPECT_EQ(At({1, 0, 1})->GetIdentPath(true), "A2T1W2");
}

TEST_F(ElementTree, ElementListIsDepthFirstEachElementBeforeItsChildren) {
  const std::unique_ptr<TPelRepElemList> L = R.Tree->CreateElemList();
  std::vector<std::string> Paths;
  for (int I = 0; I < L->Count(); ++I) Paths.push_back(L->GetItem(I)->GetIdentPath(true));
  EXPECT_EQ(Paths, (std::vector<std::string>{"A1", "A1T1", "A1T1C1", "A1T1C2", "A1T2", "A2", "A2T1",
                                             "A2T1C1", "A2T1C2"}));
  EXPECT_FALSE(L->OwnsObjects);

  TPelRep Empty(&P.S);
  EXPECT_EQ(Empty.Tree->CreateElemList()->Count(), 0);
}

TEST_F(ElementTree, EnclosingAnalysisAndTableAndTheDocument) {
  TPelRepElem* Chart = At({1, 0, 1});
  EXPECT_EQ(FindEnclosingAnalysis(Chart), At({1}));
  EXPECT_EQ(FindEnclosingTable<TTestTable>(Chart), At({1, 0}));
  EXPECT_EQ(FindEnclosingTable<TTestTable>(At({1, 0})), At({1, 0}));
  EXPECT_EQ(FindEnclosingTable<TTestTable>(At({1})), nullptr);
  EXPECT_EQ(FindEnclosingAnalysis(R.Root()), nullptr);
  EXPECT_EQ(FindEnclosingAnalysis(nullptr), nullptr);
  EXPECT_EQ(Chart->Report(), &R);
  EXPECT_EQ(Chart->Survey, &P.S);
  EXPECT_EQ(R.Root()->Survey, nullptr);
}

TEST_F(ElementTree, DescriptionJoinsTheAncestorsOutermostFirstLeavingOutEmptyAndFailingOnes) {
  auto* Analysis = As<TPelRepElemAnalysis>(At({0}));
  Analysis->Parameters->Weight = P.S.Weights->FindByID("wgt");
  auto* Table = As<TTestTable>(At({0, 0}));
  auto* Chart = As<TTestChart>(At({0, 0, 1}));
  Chart->OwnDescription = "Bars";
  EXPECT_EQ(Chart->GetDescription(0), "Data weighting: Weight\r\nBars");
  Table->OwnDescription = "Rows: age";
  EXPECT_EQ(Chart->GetDescription(0), "Data weighting: Weight\r\nRows: age\r\nBars");
  Table->DescriptionFails = true;
  EXPECT_EQ(Chart->GetDescription(0), "Data weighting: Weight\r\nBars");
}

TEST_F(ElementTree, ViewsRefreshFromAnElementDownward) {
  struct TView : IPelRepElemView {
    std::vector<std::string>* Log;
    std::string Name;
    TView(std::vector<std::string>* L, std::string N) : Log(L), Name(std::move(N)) {}
    void Refresh() override { Log->push_back(Name); }
  };
  std::vector<std::string> Log;
  TView A(&Log, "A2"), T(&Log, "A2T1"), C(&Log, "A2T1C2"), Other(&Log, "A1");
  At({1})->View = &A;
  At({1, 0})->View = &T;
  At({1, 0, 1})->View = &C;
  At({0})->View = &Other;
  At({1})->InvalidateViews();
  EXPECT_EQ(Log, (std::vector<std::string>{"A2", "A2T1", "A2T1C2"}));
}

}  // namespace
}  // namespace quin
