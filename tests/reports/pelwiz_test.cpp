// Analysis templates: the list a survey offers (media, waves, grid questions, modes), the
// parameters they collect for the survey, merging two target groups, and new analyses whose
// tables calculate the counts of the fixture's records.
#include "reports/pelwiz.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/pelgroup.h"
#include "analysis/pelparaxes.h"
#include "analysis/pelparbase.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelres.h"
#include "base/langmanager.h"
#include "deflang/rixscanner.h"
#include "reports/pelwizgen.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimstat.h"
#include "tests/reports/table_fixture.h"

namespace quin {

// A media template for the list's order: one target-group parameter.
template <int K, class Family>
class TTestMediaWiz : public Family {
 public:
  using Family::Family;
  static const ClassInfo& StaticClass() {
    static const ClassInfo Info{"TTestMediaWiz", &Family::StaticClass(), nullptr};
    return Info;
  }
  const ClassInfo& ClassType() const override { return StaticClass(); }
  QUIN_WIZ_CLASS(TTestMediaWiz)
 public:
  static constexpr int StaticKind = K;
  void AfterConstruction() override { this->AddGroupsParameter(); }
  std::string GetDescription() const override { return {}; }
};

}  // namespace quin

namespace quin::test {
namespace {

struct TWizDefOptions {
  std::string Wizards = "general";
  bool OneWave = false;
  bool NoGrid = false;
};

void Erase(std::string& Text, const std::string& Part) {
  const size_t At = Text.find(Part);
  ASSERT_NE(At, std::string::npos) << Part;
  Text.erase(At, Part.size());
}

std::string WizDefinition(const TWizDefOptions& O) {
  std::string D = TableDefinition();
  const std::string Key = "wizards = table1d;";
  D.replace(D.find(Key), Key.size(), "wizards = " + O.Wizards + ";");
  if (O.OneWave) Erase(D, "  def wave id = w2; name = \"W2\"; end;\r\n");
  if (O.NoGrid) {
    const size_t From = D.find("  def question id = g;");
    const size_t To = D.find("  def question id = reg;");
    D.erase(From, To - From);
  }
  return D;
}

// The table fixture's survey with its own "wizards" key, opened in Mode (0 desktop, 1 web).
struct TWizSurvey {
  TEnglishSession English;
  TOpened<> Opened;
  TPelSurvey& S;
  explicit TWizSurvey(int Mode, const TWizDefOptions& O = {})
      : Opened(TableSurveyBytes(WizDefinition(O))), S(*Opened.Survey) {
    S.Mode = Mode;
  }
  TPelWizList List() { return TPelWizList(&S, S.Info->WizEnabled); }
  TGimQuestion* Q(const char* ID) { return S.Data->FindQuestion(ID, false); }
};

std::vector<int> Kinds(const TPelWizList& L) {
  std::vector<int> K;
  for (int I = 0; I < L.Count(); ++I) K.push_back(L.GetItem(I)->Kind());
  return K;
}

std::vector<std::string> ParClasses(const TPelParList& L) {
  std::vector<std::string> C;
  for (int I = 0; I < L.Count(); ++I) C.push_back(L.GetItem(I)->ClassName());
  return C;
}

TPelParDefQuestions* Questions(const TPelParList& L, int N = 0) {
  return static_cast<TPelParDefQuestions*>(
      L.FindByClass(TPelParDefQuestions::StaticClass(), true, N));
}

// Installs a class for a kind while the guard lives.
struct TWizClassGuard {
  int Kind;
  const TPelWizClass* Old;
  TWizClassGuard(int AKind, const TPelWizClass& Class)
      : Kind(AKind), Old(SetWizClass(AKind, &Class)) {}
  ~TWizClassGuard() { SetWizClass(Kind, Old); }
};

// g++ 12 optimising takes the strings of this table's rows for maybe uninitialized where the
// rows are destroyed (each row replaces the default of Wizards with its own): a false warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
TEST(WizList, OffersTheEnabledKindsInThePagesOrder) {
  struct TCase {
    TWizDefOptions Options;
    std::vector<int> Kinds;
  } Cases[] = {
      // Compare waves only with several waves; complex questions only with a grid question.
      {{"general"}, {0, 1, 2, 3, 6, 4, 5}},
      {{"general", true}, {0, 1, 2, 3, 6, 5}},
      {{"general", false, true}, {0, 1, 2, 3, 6, 4}},
      {{"cmpWaves, table1d", true}, {0}},
      {{"genCrossBann, table2d, genComplex"}, {3, 6, 5}},
      // Media kinds are left out without their medium.
      {{"tv, radio, press, cmpGroups"}, {2}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Options.Wizards);
    TWizSurvey F(0, C.Options);
    TPelWizList L = F.List();
    EXPECT_EQ(Kinds(L), C.Kinds);
    // A waves parameter only where there are waves to choose.
    for (int I = 0; I < L.Count(); ++I)
      EXPECT_EQ(L.GetItem(I)->ParList->IndexOfClass(TPelParWaves::StaticClass()) >= 0,
                !C.Options.OneWave);
  }
}

#pragma GCC diagnostic pop

TEST(WizList, MediaKindsComeFirstAndOnlyWithTheirMedium) {
  TWizClassGuard TV(31, WizClassOf<TTestMediaWiz<31, TPelWizTV>>());
  TWizClassGuard Radio(7, WizClassOf<TTestMediaWiz<7, TPelWizRadio>>());
  TWizClassGuard Press(20, WizClassOf<TTestMediaWiz<20, TPelWizPress>>());
  TWizSurvey F(0, {"table1d, tvAudience, radioAudience, pressReadership"});
  EXPECT_EQ(Kinds(F.List()), (std::vector<int>{0}));
  F.S.Press = std::make_unique<TOrvObject>();
  F.S.TV = std::make_unique<TOrvObject>();
  EXPECT_EQ(Kinds(F.List()), (std::vector<int>{31, 20, 0}));
  F.S.Radio = std::make_unique<TOrvObject>();
  TPelWizList L = F.List();
  EXPECT_EQ(Kinds(L), (std::vector<int>{31, 7, 20, 0}));
  // Media kinds are desktop templates.
  L.DropRejected(1);
  EXPECT_EQ(Kinds(L), (std::vector<int>{0}));
}

TEST(WizList, NoTemplateOfferedRaisesNoValidWizards) {
  // Only a medium the survey lacks.
  {
    TWizSurvey F(0, {"press"});
    try {
      F.List();
      FAIL() << "no exception";
    } catch (const EPelNoValidWizards& E) {
      EXPECT_STREQ(E.what(), "No valid wizards.");
    }
  }
  // Desktop templates only, in the web: the list is built, then emptied by the mode.
  {
    TWizSurvey F(1, {"cmpGroups, cmpGroups2"});
    EXPECT_EQ(Kinds(F.List()), (std::vector<int>{1, 2}));
    EXPECT_THROW(F.S.AfterOpen(), EPelNoValidWizards);
  }
}

TEST(WizList, SurveyOpeningCollectsOneParameterOfEachClass) {
  // The web offers frequencies, cross-tabs and cross-tabs + means, without waves.
  TWizSurvey Web(1, {"general, radio, press, tv"});
  ASSERT_TRUE(Web.S.AfterOpen());
  const TPelWizList* L = PelWizList(Web.S);
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(Kinds(*L), (std::vector<int>{0, 3, 6}));
  for (int I = 0; I < L->Count(); ++I)
    EXPECT_EQ(L->GetItem(I)->ParList->FindByClass(TPelParWaves::StaticClass(), false), nullptr);
  EXPECT_EQ(ParClasses(*Web.S.ParList),
            (std::vector<std::string>{"TPelParGroups", "TPelParDefQuestions", "TPelParStats"}));
  // The survey's parameters are copies.
  EXPECT_NE(Web.S.ParList->GetItem(0), L->GetItem(0)->ParList->GetItem(0));
  EXPECT_EQ(Web.S.ParList->GetItem(0)->Owner, Web.S.ParList.get());

  TWizSurvey Desktop(0);
  ASSERT_TRUE(Desktop.S.AfterOpen());
  EXPECT_EQ(Kinds(*PelWizList(Desktop.S)), (std::vector<int>{0, 1, 2, 3, 6, 4, 5}));
  EXPECT_EQ(ParClasses(*Desktop.S.ParList),
            (std::vector<std::string>{"TPelParWaves", "TPelParGroups", "TPelParDefQuestions",
                                      "TPelParStats", "TPelParDefBase"}));
}

std::string StatIDs(const TPelParList& L) {
  const auto* P =
      static_cast<const TPelParStats*>(L.FindByClass(TPelParStats::StaticClass(), true));
  std::string S;
  for (int I = 0; P && I < P->Stats.Count(); ++I) S += (I ? "," : "") + P->Stats.GetItem(I)->ID();
  if (P) S += std::string(" margins ") + (P->ColMargins ? "C" : "") + (P->RowMargins ? "R" : "");
  return S;
}

TEST(WizGeneral, ParametersStatisticsAndClassAnswersOfEachKind) {
  struct TCase {
    int Kind, Icon;
    bool Web, SeveralWaves;
    std::vector<std::string> Pars;  // after the waves parameter
    std::string Stats;
  } Cases[] = {
      {0,
       0,
       true,
       false,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParStats"},
       "cntW,pctCol margins C"},
      {1,
       3,
       false,
       false,
       {"TPelParGroups", "TPelParGroups", "TPelParDefQuestions", "TPelParStats"},
       "pctCol,cntW,est,index,meanCol margins CR"},
      {2,
       3,
       false,
       false,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParStats"},
       "pctCol,cntW,est,index,meanCol margins CR"},
      {3,
       1,
       true,
       false,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParDefQuestions", "TPelParStats"},
       "pctRow,pctCol,cntW,est,index,meanRow,meanCol margins CR"},
      {4,
       2,
       false,
       true,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParStats"},
       "pctCol,cntW,est,index,meanCol margins CR"},
      {5,
       15,
       false,
       false,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParStats"},
       "pctRow,cntW,est,meanRow margins "},
      {6,
       1,
       true,
       false,
       {"TPelParGroups", "TPelParDefQuestions", "TPelParDefQuestions", "TPelParStats"},
       "pctRow,meanRow margins CR"},
  };
  TWizSurvey F(0);
  TPelWizList L = F.List();
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Kind);
    TPelWiz* W = L.FindKind(C.Kind);
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->GetIconNumber(), C.Icon);
    EXPECT_EQ(W->AcceptsMode(0), true);
    EXPECT_EQ(W->AcceptsMode(1), C.Web);
    EXPECT_FALSE(W->AcceptsMode(2));
    EXPECT_EQ(W->NeedsSeveralWaves(), C.SeveralWaves);
    std::vector<std::string> Pars = C.Pars;
    Pars.insert(Pars.begin(), "TPelParWaves");
    EXPECT_EQ(ParClasses(*W->ParList), Pars);
    EXPECT_EQ(StatIDs(*W->ParList), C.Stats);
    EXPECT_EQ(W->GetFamilyCaption(), "General analyses");
  }
  // Texts in the session's language; descriptions with line breaks.
  EXPECT_EQ(L.FindKind(6)->GetTranslatedName(), "Cross-tabs + means");
  EXPECT_EQ(L.FindKind(0)->GetDescription().substr(0, 76),
            "Calculates distribution and/or means of responses of selected questions.\r\n\r\n");
  // The pane variant of several groups at once, the texts of the two questions parameters.
  EXPECT_EQ(L.FindKind(2)->ParList->GetItem(1)->GetPaneVariant(), 1);
  EXPECT_EQ(L.FindKind(1)->ParList->GetItem(1)->GetPaneVariant(), 0);
  const TPelParList& Cross = *L.FindKind(6)->ParList;
  EXPECT_EQ(Questions(Cross, 0)->CaptionSuffix, "<PLK>w kolumnach<ENU>in columns");
  EXPECT_EQ(Questions(Cross, 1)->CaptionSuffix, "<PLK>w wierszach<ENU>in rows");
  EXPECT_EQ(Questions(Cross, 0)->GetHeaderText().substr(0, 24), "Select ONE question with");
  EXPECT_TRUE(Questions(Cross, 1)->HeaderText.empty());
  // A copy is a template of its own.
  auto Copy = CopyOf(*L.FindKind(3));
  EXPECT_EQ(Copy->Kind(), 3);
  EXPECT_EQ(ParClasses(*Copy->ParList), ParClasses(*L.FindKind(3)->ParList));
  EXPECT_NE(Copy->ParList->GetItem(0), L.FindKind(3)->ParList->GetItem(0));
}

// ---- New analyses

// Target groups read from expressions.
struct TGroupParse {
  TPelSurvey& S;
  TOrvMsgList Msgs{0, 0};
  std::unique_ptr<TPelSubPar> Group(const std::string& Expr) {
    auto Sc = New<TRixScanner>(Expr, &Msgs);
    Sc->NextToken();
    auto G = New<TPelGroup>(&S, nullptr);
    G->ParseExpr(*Sc, &S);
    return G;
  }
};

struct TNewAnalysis {
  TWizSurvey F;
  TPelWizList L;
  TPelRep Rep{&F.S};
  TPelRepElemAnalysis* A = nullptr;

  explicit TNewAnalysis(int Mode = 1, const TWizDefOptions& O = {}) : F(Mode, O), L(F.List()) {}
  TPelWiz& Wiz(int Kind) {
    TPelWiz* W = L.FindKind(Kind);
    if (!W) throw std::runtime_error("kind not offered");
    W->BasedOn = F.S.DataBasedOnList->GetItem(0);
    W->Weight = F.S.Weights->GetItem(0);
    return *W;
  }
  TPelRepElemAnalysis& Build(TPelWiz& W) {
    A = static_cast<TPelRepElemAnalysis*>(
        Rep.Root()->AddChild(New<TPelRepElemAnalysis>(Rep.Root(), &F.S)));
    A->FillFromWiz(W);
    return *A;
  }
  TPelRepElemTable& Table(int Index = 0) { return *As<TPelRepElemTable>(A->Child(Index)); }
};

// The data row whose row header reads Label; -1 when none.
int RowOf(const TPelRepElemTable& T, const std::string& Label) {
  for (int R = T.FirstDataRow; R < T.RowCount; ++R)
    for (int C = 1; C < T.FirstDataCol; ++C)
      if (T.TextAt(C, R) == Label) return R;
  return -1;
}

// The data column whose last column-header line reads Inner, below a header reading Outer on
// an outer line (a header spans the columns up to the next one of its line); -1 when none.
int ColOf(const TPelRepElemTable& T, const std::string& Inner, const std::string& Outer = "") {
  const int Last = T.FirstDataRow - 1;
  std::vector<std::string> Above(static_cast<size_t>(std::max(Last, 0)));
  for (int C = T.FirstDataCol; C < T.ColCount; ++C) {
    bool Under = Outer.empty();
    for (int R = 1; R < Last; ++R) {
      if (!T.TextAt(C, R).empty()) Above[static_cast<size_t>(R)] = T.TextAt(C, R);
      Under = Under || Above[static_cast<size_t>(R)] == Outer;
    }
    if (T.TextAt(C, Last) == Inner && Under) return C;
  }
  return -1;
}

// The grid's texts, a line per row, for failure messages.
std::string Dump(const TPelRepElemTable& T) {
  std::string S;
  for (int R = 0; R < T.RowCount; ++R) {
    for (int C = 0; C < T.ColCount; ++C) S += "[" + T.TextAt(C, R) + "]";
    S += "\n";
  }
  return S;
}

// The computed value of the cell at (C, R); NaN when it holds no result.
double ValueAt(const TPelRepElemTable& T, int C, int R) {
  const TPelRes* Cell = T.CellAt(C, R);
  return Cell ? Cell->Value : std::nan("");
}

const char* const kEdu[] = {"", "Low", "Middle", "High & <b>", "None"};
const char* const kReg[] = {"", "North", "South"};

TEST(WizAnalysis, FrequenciesCountTheRecordsOfEachResponse) {
  TNewAnalysis N;
  TPelWiz& W = N.Wiz(0);
  Questions(*W.ParList)->Questions = {N.F.Q("edu"), N.F.Q("reg")};
  N.Build(W);
  TPelRepElemTable& T = N.Table();
  ASSERT_EQ(N.A->ChildCount(), 1);
  // The empty target groups are gone; the web has no waves.
  EXPECT_EQ(ParClasses(*N.A->Parameters),
            (std::vector<std::string>{"TPelParDefQuestions", "TPelParStats"}));
  T.Calculate();
  const double All = WeightOf([](const TTableRecord&) { return true; });
  const int Cnt = ColOf(T, "CntW"), Pct = ColOf(T, "Col %");
  ASSERT_GE(Cnt, 0) << Dump(T);
  ASSERT_GE(Pct, 0) << Dump(T);
  for (int E = 1; E <= 4; ++E) {
    const int R = RowOf(T, kEdu[E]);
    ASSERT_GE(R, 0) << kEdu[E];
    const double W0 = WeightOf([&](const TTableRecord& Rec) { return Rec.Edu == E; });
    EXPECT_DOUBLE_EQ(ValueAt(T, Cnt, R), W0) << E;
    EXPECT_DOUBLE_EQ(ValueAt(T, Pct, R), W0 / All) << E;
  }
  for (int G = 1; G <= 2; ++G)
    EXPECT_DOUBLE_EQ(ValueAt(T, Cnt, RowOf(T, kReg[G])),
                     WeightOf([&](const TTableRecord& Rec) { return Rec.Reg == G; }));
  // As the analyst reads it: 3.5 of 9.5 respondents have low education.
  EXPECT_EQ(T.TextAt(Pct, RowOf(T, "Low")), "36.8");
}

TEST(WizAnalysis, CrossTabsPutTheFirstQuestionsInTheColumns) {
  TNewAnalysis N;
  TPelWiz& W = N.Wiz(3);
  Questions(*W.ParList, 0)->Questions = {N.F.Q("reg")};
  Questions(*W.ParList, 1)->Questions = {N.F.Q("edu")};
  N.Build(W);
  TPelRepElemTable& T = N.Table();
  T.Calculate();
  // The statistics are a layer showing the first one, row percentages.
  for (int E = 1; E <= 3; ++E)
    for (int G = 1; G <= 2; ++G) {
      const int C = ColOf(T, kReg[G]), R = RowOf(T, kEdu[E]);
      ASSERT_TRUE(C >= 0 && R >= 0) << Dump(T);
      EXPECT_DOUBLE_EQ(ValueAt(T, C, R),
                       WeightOf([&](const TTableRecord& Rec) {
                         return Rec.Edu == E && Rec.Reg == G;
                       }) / WeightOf([&](const TTableRecord& Rec) { return Rec.Edu == E; }))
          << E << " " << G;
    }
  EXPECT_EQ(T.TextAt(ColOf(T, "North"), RowOf(T, "Low")), "85.7");

  // Without questions for the columns, the rows' questions are found first and go there.
  TPelWiz& W2 = N.Wiz(3);
  Questions(*W2.ParList, 0)->Questions.clear();
  N.Build(W2);
  TPelRepElemTable& T2 = N.Table();
  EXPECT_EQ(T2.ColParams->Count(), 1);
  EXPECT_EQ(T2.ColParams->GetItem(0), Questions(*N.A->Parameters));
  EXPECT_EQ(T2.RowParams->Count(), 0);
}

TEST(WizAnalysis, CrossTabsWithMeansShowRowPercentsAndMeansOfTheColumnQuestion) {
  TNewAnalysis N;
  TPelWiz& W = N.Wiz(6);
  Questions(*W.ParList, 0)->Questions = {N.F.Q("edu")};
  Questions(*W.ParList, 1)->Questions = {N.F.Q("reg")};
  TPelRepElemAnalysis& A = N.Build(W);
  TPelRepElemTable& T = N.Table();
  T.Calculate();
  for (int G = 1; G <= 2; ++G) {
    SCOPED_TRACE(G);
    const int R = RowOf(T, kReg[G]);
    ASSERT_GE(R, 0) << Dump(T);
    auto InReg = [&](const TTableRecord& Rec) { return Rec.Reg == G; };
    for (int E = 1; E <= 3; ++E)
      EXPECT_DOUBLE_EQ(ValueAt(T, ColOf(T, kEdu[E], "Row %"), R),
                       WeightOf([&](const TTableRecord& Rec) {
                         return InReg(Rec) && Rec.Edu == E;
                       }) / WeightOf(InReg));
    double Sum = 0;
    for (const TTableRecord& Rec : TableRecords())
      if (InReg(Rec)) Sum += Rec.W * Rec.Edu;
    const int Mean = ColOf(T, "[1, 2, 3, 4]", "Row Mean");
    ASSERT_GE(Mean, 0) << Dump(T);
    EXPECT_DOUBLE_EQ(ValueAt(T, Mean, R), Sum / WeightOf(InReg));
  }
  // The analysis works on copies without the steps' texts; the template keeps its own, and
  // hands over its data basis and weighting.
  for (int I = 0; I < A.Parameters->Count(); ++I) {
    EXPECT_TRUE(A.Parameters->GetItem(I)->HeaderText.empty()) << I;
    EXPECT_TRUE(A.Parameters->GetItem(I)->CaptionSuffix.empty()) << I;
    EXPECT_EQ(W.ParList->IndexOf(A.Parameters->GetItem(I)), -1) << I;
  }
  EXPECT_FALSE(Questions(*W.ParList, 0)->HeaderText.empty());
  EXPECT_FALSE(Questions(*W.ParList, 1)->CaptionSuffix.empty());
  EXPECT_EQ(A.Parameters->BasedOn, W.BasedOn);
  EXPECT_EQ(A.Parameters->Weight, W.Weight);
  EXPECT_EQ(A.CalculationRefusal(), "");

  // Filled again, from frequencies: the cross-tab went with the parameters it laid out.
  TPelWiz& Freq = N.Wiz(0);
  Questions(*Freq.ParList)->Questions = {N.F.Q("reg")};
  A.FillFromWiz(Freq);
  ASSERT_EQ(A.ChildCount(), 1);
  TPelRepElemTable& T2 = N.Table();
  EXPECT_EQ(T2.RowParams->GetItem(0), Questions(*A.Parameters));
  T2.Calculate();
  EXPECT_DOUBLE_EQ(ValueAt(T2, ColOf(T2, "CntW"), RowOf(T2, "North")),
                   WeightOf([](const TTableRecord& Rec) { return Rec.Reg == 1; }));
}

TEST(WizAnalysis, AComplexQuestionStandsWithItsFirstAxisInTheRowsAndItsLastInTheColumns) {
  TNewAnalysis N(0);
  TPelWiz& W = N.Wiz(5);
  TPelParDefQuestions* Q = Questions(*W.ParList);
  Q->Questions = {N.F.Q("g")};
  Q->SplitAxes = true;
  Q->UpdateState();  // as after the user's edit: the axes are wanted
  N.Build(W);
  TPelRepElemTable& T = N.Table();
  ASSERT_EQ(T.RowParams->Count(), 1);
  EXPECT_EQ(T.RowParams->GetItem(0), Questions(*N.A->Parameters));
  ASSERT_EQ(T.ColParams->Count(), 1);
  EXPECT_TRUE(T.ColParams->GetItem(0)->IsExactly<TPelParDefResponseAxis>());
  T.Calculate();
  // Row percentages of each item's ratings.
  for (int Item = 0; Item < 2; ++Item)
    for (int Rate = 1; Rate <= 2; ++Rate) {
      auto Rating = [&](const TTableRecord& Rec) { return Item == 0 ? Rec.X : Rec.Y; };
      EXPECT_DOUBLE_EQ(ValueAt(T, ColOf(T, std::to_string(Rate)), RowOf(T, Item ? "Y" : "X")),
                       WeightOf([&](const TTableRecord& Rec) { return Rating(Rec) == Rate; }) /
                           WeightOf([](const TTableRecord&) { return true; }))
          << Item << " " << Rate << Dump(T);
    }
}

TEST(WizAnalysis, TwoTargetGroupsBecomeTheColumnsOfOneParameter) {
  TNewAnalysis N(0);
  TPelWiz& W = N.Wiz(1);
  TGroupParse P{N.F.S};
  static_cast<TPelParGroups*>(W.ParList->GetItem(1))->AddSubPar(P.Group("reg = north"));
  static_cast<TPelParGroups*>(W.ParList->GetItem(2))->AddSubPar(P.Group("reg = south"));
  Questions(*W.ParList)->Questions = {N.F.Q("edu")};
  TPelRepElemAnalysis& A = N.Build(W);
  ASSERT_EQ(A.Parameters->CountByClass(TPelParGroups::StaticClass(), true), 1);
  TPelRepElemTable& T = N.Table();
  T.Calculate();
  for (int G = 1; G <= 2; ++G)
    for (int E = 1; E <= 3; ++E) {
      auto InReg = [&](const TTableRecord& Rec) { return Rec.Reg == G; };
      const int C = ColOf(T, "Target group " + std::to_string(G)), R = RowOf(T, kEdu[E]);
      ASSERT_TRUE(C >= 0 && R >= 0) << Dump(T);
      // Column percentages, the first statistic of the layer.
      EXPECT_DOUBLE_EQ(ValueAt(T, C, R), WeightOf([&](const TTableRecord& Rec) {
                                           return InReg(Rec) && Rec.Edu == E;
                                         }) / WeightOf(InReg))
          << G << " " << E;
    }
}

TEST(WizAnalysis, ComparingWavesPutsTheWavesInTheColumns) {
  TNewAnalysis N(0);
  TPelWiz& W = N.Wiz(4);
  Questions(*W.ParList)->Questions = {N.F.Q("edu")};
  TOrvMsgList Msgs{0, 0};
  auto Sc = New<TRixScanner>("def subpar list = w1; end; def subpar list = w2; end; end;", &Msgs);
  Sc->NextToken();
  W.ParList->FindByClass(TPelParWaves::StaticClass(), true)->ReadBody(*Sc, &N.F.S);
  ASSERT_EQ(Msgs.Count(), 0);
  N.Build(W);
  TPelRepElemTable& T = N.Table();
  T.Calculate();
  for (int Wave = 1; Wave <= 2; ++Wave)
    for (int E = 1; E <= 3; ++E) {
      auto InWave = [&](const TTableRecord& Rec) { return Rec.Wave == Wave; };
      const int C = ColOf(T, "W" + std::to_string(Wave)), R = RowOf(T, kEdu[E]);
      ASSERT_TRUE(C >= 0 && R >= 0) << Dump(T);
      EXPECT_DOUBLE_EQ(ValueAt(T, C, R), WeightOf([&](const TTableRecord& Rec) {
                                           return InWave(Rec) && Rec.Edu == E;
                                         }) / WeightOf(InWave))
          << Wave << " " << E;
    }
}

TEST(WizMerge, TheSecondTargetGroupParameterMovesIntoTheFirst) {
  struct TCase {
    int Subs1, Subs2;
    int MergedSubs;
  } Cases[] = {
      {1, 1, 2},
      // Already two groups in the first and none in the second: the second only goes.
      {2, 0, 2},
      // Neither defined: an empty group each.
      {0, 0, 2},
      {1, 2, 3},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Subs1) + " " + std::to_string(C.Subs2));
    TNewAnalysis N(0);
    TPelRepElemAnalysis& A = *static_cast<TPelRepElemAnalysis*>(
        N.Rep.Root()->AddChild(New<TPelRepElemAnalysis>(N.Rep.Root(), &N.F.S)));
    TGroupParse P{N.F.S};
    auto* G1 = static_cast<TPelParGroups*>(A.Parameters->AddPar(New<TPelParGroups>(&N.F.S)));
    auto* G2 = static_cast<TPelParGroups*>(A.Parameters->AddPar(New<TPelParGroups>(&N.F.S)));
    std::vector<TPelSubPar*> Moved;
    for (int I = 0; I < C.Subs1; ++I) G1->AddSubPar(P.Group("reg = north"));
    for (int I = 0; I < C.Subs2; ++I) Moved.push_back(G2->AddSubPar(P.Group("reg = south")));
    N.L.FindKind(1)->MergeGroupsParameters(A);
    ASSERT_EQ(A.Parameters->Count(), 1);
    EXPECT_EQ(A.Parameters->GetItem(0), G1);
    EXPECT_EQ(G1->SubParCount(), C.MergedSubs);
    // Several groups are edited in the pane of several groups.
    EXPECT_EQ(G1->GetPaneVariant(), 1);
    // The second's groups follow the first's, in their order.
    for (size_t I = 0; I < Moved.size(); ++I) {
      EXPECT_EQ(G1->SubPars->IndexOf(Moved[I]), C.Subs1 + static_cast<int>(I));
      EXPECT_EQ(Moved[I]->Owner, G1);
    }
  }
}

}  // namespace
}  // namespace quin::test
