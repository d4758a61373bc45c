// The target-group pane and the numeric range dialog through the request seam: responses
// added as conditions joined by "and", the group's description checked against a count of
// the fixture's respondents, deleting and clearing, the refusals, the range dialog's checks in
// both languages, stacked dialogs and the removal of a parameter emptied in single edit.
#include "web/grouppane.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "analysis/pelgroup.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "deflang/rixcodes.h"
#include "surveykit/gimexpr.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "tests/web/analysis_fixture.h"
#include "web/logon.h"
#include "web/parpanequestions.h"
#include "web/prefshelp.h"
#include "web/rangedialog.h"

namespace quin {
namespace {

using namespace test;

// The respondents of the fixture for whom Keep holds.
int CountTiny(const std::function<bool(int)>& Keep) {
  int N = 0;
  for (int I = 0; I < 10; ++I) N += Keep(I) ? 1 : 0;
  return N;
}

std::vector<std::string> Captions(TWebTreeView& T) {
  std::vector<std::string> R;
  for (int I = 0; I < T.Count(); ++I) R.push_back(T.Item(I).Caption);
  return R;
}

class GroupPaneTest : public test::TAnalysisPageTest {
 protected:
  void Start() {
    InSession([&] { StartWizardSteps(Module()); });
    ASSERT_TRUE(As<TPelWebParPaneGroupsFrame>(Step()->Pane));
  }
  // The pane of the step page, also while range dialogs stand over it.
  TPelWebParPaneGroupsFrame& Pane() {
    for (TWebForm* F : Session->FormStack())
      if (auto* S = As<TPelWebRWObjectForm_Form>(F)) return *As<TPelWebParPaneGroupsFrame>(S->Pane);
    throw Exception("No step page");
  }
  // The groups the pane edits (the step's working copy).
  TPelParGroups& Edited() { return *Pane().Groups(); }
  std::string Click(TWebTreeView& T, const std::string& Caption) {
    int I = ItemOf(T, Caption);
    EXPECT_GE(I, 0) << Caption;
    return Post(T, "item", std::to_string(I));
  }
  // Opens Folder when still unopened, clicks Question and adds the responses at Picks.
  std::string AddResponses(const std::string& Folder, const std::string& Question,
                           const std::vector<int>& Picks) {
    TWebTreeView& A = *Pane().AvailableTV;
    if (ItemOf(A, "+ " + Folder) >= 0) Click(A, "+ " + Folder);
    Click(A, Question);
    TWebValues V;
    for (int I : Picks) V.Add(Pane().ResponseList->Id(), std::to_string(I));
    return Post(*Pane().AddButton, "click", {}, V);
  }
  TPelWebSelRangeForm* Dialog() { return ActiveAs<TPelWebSelRangeForm>(); }
  std::string Answer(const std::string& Text) {
    TWebValues V;
    V.Add(Dialog()->SelectedNumVals->Id(), Text);
    return Post(*Dialog()->OKButton, "click", {}, V);
  }
  std::string CasesText(int N) {
    return "Cases: " + std::to_string(N) + " = " + std::to_string(N * 10) +
           ".0% of the whole sample";
  }
  TPelParGroups* G = nullptr;
  void SetUp() override {
    TAnalysisPageTest::SetUp();
    G = AddPar<TPelParGroups>();
  }
};

TEST_F(GroupPaneTest, ResponsesBecomeConditionsJoinedByAndWithTheGroupDescribed) {
  Start();
  std::string P = Page(Sid);
  EXPECT_NE(P.find("All cases selected.<br><br>Move to the next dialog or define a sub-sample by "
                   "selecting questions and responses."),
            std::string::npos);
  EXPECT_EQ(Pane().TargetLabel->Caption, CasesText(10));
  EXPECT_EQ(Pane().MaxErrLabel->Caption, "Unknown maximum error - group size too small");
  EXPECT_EQ(Pane().MissingLabel->Caption,
            "There are no missing values in the selected target group");
  EXPECT_FALSE(Pane().MissingLabel->Enabled);
  EXPECT_EQ(Step()->GetHelpTopic(), "PelWebParPaneGroups");

  // Two responses of a question, then a third: one condition, values in the list's order.
  Click(*Pane().AvailableTV, "+ Household");
  Click(*Pane().AvailableTV, "+ Adults + children");
  AddResponses("Household", "Children", {2});
  EXPECT_EQ(Pane().ResponseList->Count(), 3);
  AddResponses("Household", "Children", {0, 1});
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "Children", "none", "one", "two"}));
  ASSERT_EQ(Edited().SubParCount(), 1);
  EXPECT_FALSE(Pane().InfoText->Visible);

  // A second question: a second condition after the conjunction's separator.
  AddResponses("People & places", "Sex", {1});
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "Children", "none", "one", "two", "and",
                                      "Sex", "Female"}));
  EXPECT_EQ(Pane().SelectedTV->Item(5).Css, "treesep");
  EXPECT_EQ(Pane().TargetLabel->Caption,
            CasesText(CountTiny([](int I) { return kTinySex[I] == 2; })));
  EXPECT_TRUE(Pane().MissingLabel->Enabled);

  // Deleting a value narrows the group; the separator stands for nothing.
  Click(*Pane().SelectedTV, "none");
  Post(*Pane().DelButton, "click");
  Click(*Pane().SelectedTV, "and");
  Post(*Pane().DelButton, "click");
  EXPECT_EQ(
      Captions(*Pane().SelectedTV),
      (std::vector<std::string>{"Target group", "Children", "one", "two", "and", "Sex", "Female"}));
  EXPECT_EQ(Pane().TargetLabel->Caption,
            CasesText(CountTiny([](int I) { return kTinySex[I] == 2 && kTinyKids[I] >= 1; })));

  Next();
  EXPECT_EQ(ReportWindows, 1);
  ASSERT_EQ(G->SubParCount(), 1);
  EXPECT_EQ(As<TPelGroup>(G->SubPar(0))->ExprText(), "kidsno in [k1, k2] and sex = f");
}

TEST_F(GroupPaneTest, DeletingInTheSecondGroupAndClearingEverything) {
  // Two groups made before the step: sex = m; kidsno in [k1, k2].
  auto Group = [&](const char* QuestionID, const std::vector<const char*>& Responses) {
    auto* Sub = As<TPelGroup>(G->AddSubPar(G->NewSubPar(nullptr)));
    auto V = std::make_unique<TPelGroupVar>(nullptr, &Survey());
    V->Question = Question(QuestionID);
    for (const char* R : Responses) V->Values.AddResponse(V->Question->Responses->FindByID(R));
    Sub->AddCondition(std::move(V), ExprOperator<TGimExprOperatorLogicConjunction>(), nullptr,
                      nullptr);
  };
  Group("sex", {"m"});
  Group("kidsno", {"k1", "k2"});
  Start();
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group 1", "Sex", "Male", "Target group 2", "Children",
                                      "one", "two"}));
  Click(*Pane().SelectedTV, "two");
  Post(*Pane().DelButton, "click");
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group 1", "Sex", "Male", "Target group 2", "Children",
                                      "one"}));
  // The description is the first group's.
  EXPECT_EQ(Pane().TargetLabel->Caption,
            CasesText(CountTiny([](int I) { return kTinySex[I] == 1; })));

  EXPECT_EQ(Pane().ClearButton->Confirmation, "Clear current choice?");
  std::string P = Post(*Pane().ClearButton, "click");
  EXPECT_EQ(Edited().SubParCount(), 0);
  EXPECT_TRUE(Pane().InfoText->Visible);
  EXPECT_NE(P.find("All cases selected."), std::string::npos);
  EXPECT_EQ(Pane().TargetLabel->Caption, CasesText(10));
  // No group is all cases: nothing to refuse.
  Next();
  EXPECT_EQ(ReportWindows, 1);
  EXPECT_EQ(G->SubParCount(), 0);
}

TEST_F(GroupPaneTest, AddIsRefusedWithTheReasonInBothLanguages) {
  Start();
  const struct {
    const char* Click;
    bool Picked;
    const char* English;
    const char* Polish;
  } Cases[] = {
      {nullptr, false, "Please select a question in the left-hand list.",
       "Proszę wybrać pytanie z lewej listy."},
      {"+ Household", false, "You selected a folder; please select a question.",
       "Wybrano folder; proszę wybrać jakieś pytanie."},
      {"Size", false, "Please select a response or responses\r\nfrom the list in the lower left.",
       "Proszę wybrać odpowiedź lub odpowiedzi\r\nz dolnej lewej listy."},
  };
  for (const auto& C : Cases) {
    if (C.Click) Click(*Pane().AvailableTV, C.Click);
    std::string P = Post(*Pane().AddButton, "click");  // no response selected
    EXPECT_NE(P.find(AlertOf(C.English)), std::string::npos) << C.English;
    ToggleLanguage();
    P = Post(*Pane().AddButton, "click");
    EXPECT_NE(P.find(AlertOf(Cp1250(C.Polish))), std::string::npos) << C.Polish;
    ToggleLanguage();
  }
  EXPECT_EQ(Edited().SubParCount(), 0);
}

TEST_F(GroupPaneTest, RangeDialogChecksTheValuesAndCancelLeavesNothingEmpty) {
  Start();
  AddResponses("People & places", "Age", {0});
  ASSERT_TRUE(Dialog());
  std::string P = Page(Sid);
  EXPECT_EQ(Dialog()->QuestionLabel->Caption, "Age: Years");
  EXPECT_EQ(Dialog()->AvailableNumVals->Text, "15 : 99");
  EXPECT_EQ(Dialog()->SelectedNumVals->Text, "");
  EXPECT_NE(P.find(">Notation example: : 1, 3.5, 5 : 7, 9 :<"), std::string::npos);
  EXPECT_NE(P.find(">Use min or max to specify unbounded ranges<"), std::string::npos);
  EXPECT_NE(P.find(">Integer and real values may be specified<"), std::string::npos);
  EXPECT_NE(P.find(">Select numeric values range</span>"), std::string::npos);
  EXPECT_EQ(Dialog()->GetHelpTopic(), "PelWebSelRange");
  // The condition waits for its values under the dialog.
  ASSERT_EQ(Edited().SubParCount(), 1);

  const std::string Invalid = AlertOf(
      "Invalid specification of numeric values.\r\nPlease define values and ranges as per "
      "example.");
  for (const char* Text : {"", "  ", "abc", "1:5,", "30:20", "1 : 5 x"}) {
    P = Answer(Text);
    EXPECT_NE(P.find(Invalid), std::string::npos) << Text;
    ASSERT_TRUE(Dialog()) << Text;
  }
  Post(*Dialog()->CancelButton, "click");
  EXPECT_FALSE(Dialog());
  EXPECT_EQ(Edited().SubParCount(), 0);
  EXPECT_EQ(Pane().SelectedTV->Count(), 0);

  // An open range; then the value again: the dialog shows its ranges and replaces them.
  AddResponses("People & places", "Age", {0});
  Answer("min : 30");
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "Age", "Years: [<= 30]"}));
  EXPECT_EQ(Pane().TargetLabel->Caption,
            CasesText(CountTiny([](int I) { return kTinyAge[I] <= 30; })));
  AddResponses("People & places", "Age", {0});
  EXPECT_EQ(Dialog()->SelectedNumVals->Text, "<= 30");
  // Enter in the edit answers like OK.
  TWebValues V;
  V.Add(Dialog()->SelectedNumVals->Id(), "70 : max, 18:20");
  Post(*Dialog()->SelectedNumVals, "submit", {}, V);
  EXPECT_FALSE(Dialog());
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "Age", "Years: [18 : 20, >= 70]"}));
  EXPECT_EQ(Pane().TargetLabel->Caption,
            CasesText(CountTiny([](int I) { return kTinyAge[I] <= 20 || kTinyAge[I] >= 70; })));
  // Cancel on an existing value changes nothing.
  AddResponses("People & places", "Age", {0});
  Post(*Dialog()->CancelButton, "click");
  EXPECT_EQ(Captions(*Pane().SelectedTV).back(), "Years: [18 : 20, >= 70]");
}

TEST_F(GroupPaneTest, PolishRangesTakeTheSemicolonAndTheDecimalComma) {
  Start();
  ToggleLanguage();
  Click(*Pane().AvailableTV, "+ " + Iso("Gospodarstwo"));
  AddResponses("", Iso("Wielkość"), {0});
  ASSERT_TRUE(Dialog());
  std::string P = Page(Sid);
  EXPECT_NE(P.find(Cp1250(">Przykład zapisu: : 1; 3,5; 5 : 7; 9 :<")), std::string::npos);
  EXPECT_NE(P.find(Cp1250(">Wybór zakresu wartości numerycznych</span>")), std::string::npos);
  EXPECT_EQ(Dialog()->AvailableNumVals->Text, "1 : 8");
  P = Answer("1:5, 10");  // a comma is the decimal separator here
  EXPECT_NE(P.find(AlertOf(Cp1250("Wybrane kody są nieprawidłowo określone.\r\nProszę "
                                  "zdefiniować wartości i przedziały wartości wg przykładu."))),
            std::string::npos);
  Answer("1:2; 5");
  EXPECT_EQ(Captions(*Pane().SelectedTV).back(), Iso("Osoby: [1 : 2; 5]"));
  EXPECT_EQ(Pane().TargetLabel->Caption, Iso("Przypadków: 5 = 50,0% całej próby"));
  EXPECT_EQ(CountTiny([](int I) { return kTinySize[I] <= 2 || kTinySize[I] == 5; }), 5);

  // What is typed follows the separators when the language changes.
  AddResponses("", Iso("Wielkość"), {0});
  TWebValues V;
  V.Add(Dialog()->SelectedNumVals->Id(), "1,5; 3");
  Post(*Dialog()->LangLink, "click", {}, V);
  EXPECT_EQ(Dialog()->SelectedNumVals->Text, "1.5, 3");
  // And back: each separator is swapped once, the new decimal comma is no list separator.
  TWebValues E;
  E.Add(Dialog()->SelectedNumVals->Id(), "1.5, 3");
  Post(*Dialog()->LangLink, "click", {}, E);
  EXPECT_EQ(Dialog()->SelectedNumVals->Text, "1,5; 3");
  Post(*Dialog()->CancelButton, "click");
}

TEST_F(GroupPaneTest, StackedDialogsKeepTheConditionUntilTheLastOneIsAnswered) {
  Start();
  // Both numeric responses of one question: two dialogs, the last one on top.
  AddResponses("People & places", "TV viewing", {0, 1});
  std::vector<TWebForm*> Stack = Session->FormStack();
  ASSERT_EQ(Stack.size(), 4u);  // logon, step, Weekdays, Weekend
  EXPECT_EQ(As<TPelWebSelRangeForm>(Stack[2])->QuestionLabel->Caption, "TV viewing: Weekdays");
  EXPECT_EQ(Dialog()->QuestionLabel->Caption, "TV viewing: Weekend");
  Post(*Dialog()->CancelButton, "click");
  // The condition is empty but the dialog below works on it.
  ASSERT_EQ(Edited().SubParCount(), 1);
  EXPECT_EQ(Dialog()->QuestionLabel->Caption, "TV viewing: Weekdays");
  Answer("2:3");
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "TV viewing", "Weekdays: [2 : 3]"}));

  // Both cancelled, last one first: no empty condition, no empty group, nothing freed twice.
  AddResponses("People & places", "TV viewing", {0, 1});
  Post(*Dialog()->CancelButton, "click");  // Weekend: not a value yet
  Post(*Dialog()->CancelButton, "click");  // Weekdays: the value it had stays
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "TV viewing", "Weekdays: [2 : 3]"}));
  Click(*Pane().SelectedTV, "Target group");
  Post(*Pane().DelButton, "click");
  AddResponses("People & places", "TV viewing", {0, 1});
  Post(*Dialog()->CancelButton, "click");
  Post(*Dialog()->CancelButton, "click");
  EXPECT_EQ(Edited().SubParCount(), 0);
  EXPECT_EQ(Pane().SelectedTV->Count(), 0);

  // Answered in turn: the values keep the order of the response list.
  AddResponses("People & places", "TV viewing", {0, 1});
  Answer("6 : max");
  Answer("< 1");
  EXPECT_EQ(Captions(*Pane().SelectedTV),
            (std::vector<std::string>{"Target group", "TV viewing", "Weekdays: [< 1]",
                                      "Weekend: [>= 6]"}));
  EXPECT_EQ(
      Pane().TargetLabel->Caption,
      CasesText(CountTiny([](int I) { return kTinyWeekdays[I] < 1 || kTinyWeekend[I] >= 6; })));
}

TEST_F(GroupPaneTest, SingleEditThatEmptiesTheGroupsRemovesThemAndTheirDependants) {
  std::vector<const TPelPar*> FromTables;
  int Refreshed = 0;
  PelWebStepHooks().RemoveParFromTables = [&](THobSessionModule&, TPelPar& P) {
    FromTables.push_back(&P);
  };
  PelWebStepHooks().RefreshAfterEdit = [&](THobSessionModule&) { ++Refreshed; };
  G->AddSubPar(G->NewSubPar(nullptr));
  auto* Dependant = AddPar<TPelParStats>();
  Dependant->Parent = G;
  auto* Other = AddPar<TPelParStats>();
  InSession([&] { ShowParForm(Module(), G, true); });
  Post(*Pane().ClearButton, "click");
  Next();
  EXPECT_FALSE(Step());
  EXPECT_EQ(FromTables, (std::vector<const TPelPar*>{Dependant, G}));
  ASSERT_EQ(Pars->Count(), 1);
  EXPECT_EQ(Pars->GetItem(0), Other);
  EXPECT_EQ(Refreshed, 1);
  EXPECT_EQ(Module().EditedObject, nullptr);
}

TEST_F(GroupPaneTest, PagesLeftUnderTheLogonPageDoNothingOnceTheirSurveyIsGone) {
  Start();
  auto* Old = Step();
  AddResponses("People & places", "TV viewing", {0, 1});
  TWebForm* Lower = Session->FormStack()[2];
  // The menu's "Logout" on the upper dialog puts the logon page in its place, over the step and
  // the lower dialog; logging on again opens the survey anew, and the template goes with the
  // old one.
  Post(*Dialog()->IWMenu, "click", "0");
  TWebForm* Logon = ActiveAs<THobLogonForm>();
  ASSERT_TRUE(Logon);
  ASSERT_TRUE(InSession([&] { return Module().OpenSurvey("tiny.zos"); }));
  Pars.reset();
  EXPECT_FALSE(Old->IsCurrent());
  EXPECT_FALSE(As<TPelWebSelRangeForm>(Lower)->IsCurrent());
  ToggleLanguage();  // every page is translated anew; the pages left over stay as they were
  EXPECT_EQ(Old->NextButton->Caption, "Finish");
  InSession([&] { Session->Release(Logon); });
  ASSERT_EQ(Active(Sid), Lower);
  Answer("1");
  ASSERT_EQ(Active(Sid), Old);
  TWebTreeView& A = *As<TPelWebParPaneGroupsFrame>(Old->Pane)->AvailableTV;
  const int Items = A.Count();
  Post(A, "item", "0");  // would open a folder of the closed survey
  EXPECT_EQ(A.Count(), Items);
  Post(*Old->NextButton, "click");
  EXPECT_NE(Active(Sid), Old);
  EXPECT_EQ(ReportWindows, 0);
}

// The help of every page built here comes from the application's help files in both languages.
TEST_F(GroupPaneTest, HelpOfEachPageHasItsTextInBothLanguages) {
  std::filesystem::copy(
      QUIN_HELP_DIR, Files + "Help",
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  AddPar<TPelParDefQuestions>();
  AddPar<TPelParStats>()->Stats.Add(Kind(0));
  Start();
  // Opens help over the active page and returns its text in English and in Polish.
  auto Help = [&]() {
    auto* F = As<TZepForm>(Active(Sid));
    Post(*F->IWMenu, "click", "2");
    auto* H = ActiveAs<THobHelpForm>();
    EXPECT_TRUE(H);
    if (!H) return std::pair<std::string, std::string>();
    std::string English = H->ContentText->Text;
    ToggleLanguage();
    std::string Polish = H->ContentText->Text;
    ToggleLanguage();
    Post(*H->CancelButton, "click");
    return std::make_pair(English, Polish);
  };
  auto Expect = [](const std::pair<std::string, std::string>& T, const char* English,
                   const char* Polish) {
    EXPECT_NE(T.first.find(English), std::string::npos) << T.first;
    EXPECT_NE(T.second.find(Iso(Polish)), std::string::npos) << T.second;
    // Entities written for the help page survive its post-processing with their "&".
    for (size_t At = T.first.find("lt;"); At != std::string::npos; At = T.first.find("lt;", At + 1))
      EXPECT_TRUE(At > 0 && T.first[At - 1] == '&') << T.first.substr(At > 5 ? At - 5 : 0, 12);
  };
  Expect(Help(), "<h2>Parameters - target groups</h2>", "<h2>Parametry - grupy docelowe</h2>");
  AddResponses("People & places", "Age", {0});
  Expect(Help(), "<h2>Parameters - numeric responses</h2>",
         "<h2>Parametry - odpowiedzi numeryczne</h2>");
  Post(*Dialog()->CancelButton, "click");
  Next();
  auto Q = Help();
  Expect(Q, "<h2>Parameters - questions</h2>", "<h2>Parametry - pytania</h2>");
  EXPECT_NE(Q.first.find("<b>&lt;&lt; Delete</b>"), std::string::npos);
  Post(*As<TPelWebParPaneQuestionsFrame>(Step()->Pane)->AvailableTV, "item", "0");
  Post(*As<TPelWebParPaneQuestionsFrame>(Step()->Pane)->AvailableTV, "item", "1");
  Post(*As<TPelWebParPaneQuestionsFrame>(Step()->Pane)->AddButton, "click");
  Next();
  Expect(Help(), "<h2>Parameters - statistics</h2>", "<h2>Parametry - statystyki</h2>");
}

// The numeric ranges as typed, in both languages' separators.
TEST(NumericRanges, TextsInTheSessionsSeparators) {
  TFormatSettings Plk, Enu;
  Plk.DecimalSeparator = ',';
  Plk.ListSeparator = ';';
  const struct {
    const char* Text;
    bool Polish, IntOnly, MinMax;
    const char* Codes;  // normalised, neutral form; null: refused
  } Cases[] = {
      {"1:5; 10", true, false, true, "1 : 5, 10"}, {"1,5", true, false, true, "1.5"},
      {"1:5, 10", true, false, true, nullptr},     {"1, 3.5 : 5", false, false, true, "1, 3.5 : 5"},
      {"4:6, 1:5", false, false, true, "1 : 6"},   {"min : 5", false, false, true, "<= 5"},
      {"min : 5", false, false, false, nullptr},   {">= 7", false, false, false, nullptr},
      {"1.5", false, true, true, nullptr},         {"1, 2", false, true, true, "1, 2"},
      {"", false, false, true, nullptr},           {"1,", false, false, true, nullptr},
      {"5:1", false, false, true, nullptr},        {"a", false, false, true, nullptr},
  };
  for (const auto& C : Cases) {
    std::unique_ptr<TRixCodeList> Codes;
    bool Ok = ParseNumericRanges(C.Text, true, Codes, C.IntOnly, C.MinMax, C.Polish ? Plk : Enu);
    EXPECT_EQ(Ok, C.Codes != nullptr) << C.Text;
    if (Ok && C.Codes) {
      EXPECT_EQ(CodeListAsUSAString(*Codes), C.Codes) << C.Text;
    }
    if (!Ok) {
      EXPECT_FALSE(Codes) << C.Text;
    }
  }
}

}  // namespace
}  // namespace quin
