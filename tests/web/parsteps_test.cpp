// The parameter step pages through the request seam: skipped parameters, Next, Back, Finish
// and Cancel in the wizard, single edit of one parameter, and the pane registry of the web
// survey.
#include <gtest/gtest.h>

#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "analysis/pelparwaves.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimstat.h"
#include "surveykit/merenviron.h"
#include "tests/web/analysis_fixture.h"
#include "web/parpanequestions.h"
#include "web/parpanestats.h"

namespace quin {
namespace {

class StepsTest : public test::TAnalysisPageTest {
 protected:
  TPelWebParPaneQuestionsFrame* QuestionsPane() {
    return As<TPelWebParPaneQuestionsFrame>(Step()->Pane);
  }
  // Clicks Folder (when given and still unopened), then the available item Caption, then Add.
  void AddQuestion(const std::string& Folder, const std::string& Caption) {
    TWebTreeView& T = *QuestionsPane()->AvailableTV;
    if (ItemOf(T, Folder) >= 0) Post(T, "item", std::to_string(ItemOf(T, Folder)));
    ASSERT_GE(ItemOf(T, Caption), 0) << Caption;
    Post(T, "item", std::to_string(ItemOf(T, Caption)));
    Post(*QuestionsPane()->AddButton, "click");
  }
};

TEST_F(StepsTest, WizardSkipsMarkedParametersAndKeepsWhatWasEntered) {
  auto* S0 = AddPar<TPelParStats>();
  S0->NotAsked = true;
  auto* Q1 = AddPar<TPelParDefQuestions>();
  AddPar<TPelParDefQuestions>()->NotAsked = true;
  auto* S3 = AddPar<TPelParStats>();
  S3->Stats.Add(Kind(1));
  InSession([&] { StartWizardSteps(Module()); });
  THobSessionModule& M = Module();
  EXPECT_EQ(M.FirstStep, 1);
  EXPECT_EQ(M.LastStep, 3);
  EXPECT_EQ(M.CurrentStep, 1);

  std::string P = Page(Sid);
  ASSERT_TRUE(Step());
  ASSERT_TRUE(QuestionsPane());
  EXPECT_EQ(Step()->Pane->Name, "PelWebFrame1");
  // The template's name, then the numbered name of the parameter (two of its class).
  EXPECT_NE(P.find(">Table: Questions 1</span>"), std::string::npos);
  EXPECT_FALSE(Step()->PrevButton->Enabled);
  EXPECT_EQ(Step()->NextButton->Caption, "Next");
  EXPECT_EQ(Step()->CancelButton->Confirmation, "Cancel analysis definition?");
  EXPECT_EQ(Step()->GetHelpTopic(), "PelWebParPaneQuestions");

  AddQuestion("+ Household", "Size");
  Next();
  EXPECT_EQ(Q1->Questions, std::vector<TGimQuestion*>{Question("size")});
  EXPECT_EQ(M.CurrentStep, 3);
  ASSERT_TRUE(As<TPelWebParPaneStatsFrame>(Step()->Pane));
  EXPECT_EQ(Step()->NextButton->Caption, "Finish");
  EXPECT_TRUE(Step()->PrevButton->Enabled);

  // Back to the first step: the choice is there again, "Back" disabled.
  Post(*Step()->PrevButton, "click");
  EXPECT_EQ(M.CurrentStep, 1);
  EXPECT_FALSE(Step()->PrevButton->Enabled);
  EXPECT_GE(ItemOf(*QuestionsPane()->SelectedTV, "Size"), 0);
  Next();

  // Finish: while the report window cannot be made the step stays and works on.
  OpenReportWindowAnswer = false;
  TWebForm* Last = Step();
  Next();
  EXPECT_EQ(ReportWindows, 1);
  EXPECT_EQ(Active(Sid), Last);
  ASSERT_TRUE(M.WorkingCopy);
  OpenReportWindowAnswer = true;
  Next();
  EXPECT_EQ(ReportWindows, 2);
  EXPECT_FALSE(Step());
  EXPECT_FALSE(M.WorkingCopy);
  EXPECT_EQ(S3->Stats.Count(), 1);
  EXPECT_EQ(TemplatePages, 0);
}

TEST_F(StepsTest, CancelAndBackFromTheFirstStepReturnToTheTemplatePage) {
  auto* Q = AddPar<TPelParDefQuestions>();
  auto* S = AddPar<TPelParStats>();
  InSession([&] { StartWizardSteps(Module()); });
  AddQuestion("+ People & places", "Sex");
  Next();
  ASSERT_TRUE(As<TPelWebParPaneStatsFrame>(Step()->Pane));
  std::string P = Post(*Step()->CancelButton, "click");
  EXPECT_EQ(TemplatePages, 1);
  // What Next stored stays; the step's copy is gone.
  EXPECT_EQ(Q->Questions, std::vector<TGimQuestion*>{Question("sex")});
  EXPECT_TRUE(S->Stats.Empty());
  EXPECT_FALSE(Module().WorkingCopy);

  InSession([&] { StartWizardSteps(Module()); });
  Post(*Step()->PrevButton, "click");  // disabled on the first step: the page refuses it
  EXPECT_EQ(TemplatePages, 1);
  // The handler itself goes back to the template page from the first step.
  InSession([&] { Step()->PrevButtonClick(); });
  EXPECT_EQ(TemplatePages, 2);
}

TEST_F(StepsTest, BackKeepsTheChoicesMadeOnTheStepLeft) {
  AddPar<TPelParDefQuestions>();
  auto* S = AddPar<TPelParStats>();
  InSession([&] { StartWizardSteps(Module()); });
  AddQuestion("+ People & places", "Sex");
  Next();
  auto* Stats = As<TPelWebParPaneStatsFrame>(Step()->Pane);
  ASSERT_TRUE(Stats);
  TWebValues Highlighted;
  Highlighted.Add(Stats->AvailableLB->Id(), "1");  // the weighted count
  Post(*Stats->AddButton, "click", {}, Highlighted);
  ASSERT_EQ(Stats->SelectedLB->Count(), 1);

  Post(*Step()->PrevButton, "click");
  EXPECT_EQ(Module().CurrentStep, 0);
  ASSERT_EQ(S->Stats.Count(), 1);
  EXPECT_EQ(S->Stats.GetItem(0)->ID(), "cntW");
  // Coming forward again the step shows the choice.
  Next();
  Stats = As<TPelWebParPaneStatsFrame>(Step()->Pane);
  ASSERT_TRUE(Stats);
  ASSERT_EQ(Stats->SelectedLB->Count(), 1);
  EXPECT_EQ(As<TGimStat>(Stats->SelectedLB->Items[0].Object)->ID(), "cntW");
}

TEST_F(StepsTest, TemplateWithoutParametersOpensTheReportWindowAtOnce) {
  InSession([&] { StartWizardSteps(Module()); });
  EXPECT_EQ(ReportWindows, 1);
  EXPECT_FALSE(Step());
}

TEST_F(StepsTest, SingleEditAppliesOnOKAndLeavesTheParameterOnCancel) {
  int Refreshed = 0;
  PelWebStepHooks().RefreshAfterEdit = [&](THobSessionModule&) { ++Refreshed; };
  auto* Q = AddPar<TPelParDefQuestions>();
  Q->Questions = {Question("sex")};
  InSession([&] { ShowParForm(Module(), Q, true); });
  std::string P = Page(Sid);
  EXPECT_EQ(Step()->NextButton->Caption, "OK");
  EXPECT_FALSE(Step()->PrevButton->Enabled);
  EXPECT_TRUE(Step()->CancelButton->Confirmation.empty());
  EXPECT_NE(P.find(">Questions</span>"), std::string::npos);

  // Deleting the only question and pressing OK: refused, nothing changes.
  TWebTreeView& Chosen = *QuestionsPane()->SelectedTV;
  Post(Chosen, "item", std::to_string(ItemOf(Chosen, "People & places")));
  Post(*QuestionsPane()->DelButton, "click");
  EXPECT_EQ(Chosen.Count(), 0);
  P = Next();
  EXPECT_NE(P.find(AlertOf("Please select a question or a whole folder in the left-hand list,\r\n"
                           "then press the \"Add >>\" button.\r\n\r\nYou can then add other "
                           "questions and / or folders.")),
            std::string::npos);
  EXPECT_EQ(Q->Questions, std::vector<TGimQuestion*>{Question("sex")});
  Post(*Step()->CancelButton, "click");
  EXPECT_FALSE(Step());
  EXPECT_EQ(Q->Questions, std::vector<TGimQuestion*>{Question("sex")});
  EXPECT_EQ(Refreshed, 0);

  InSession([&] { ShowParForm(Module(), Q, true); });
  AddQuestion("+ People & places", "Age");
  Next();
  EXPECT_FALSE(Step());
  EXPECT_EQ(Q->Questions, (std::vector<TGimQuestion*>{Question("sex"), Question("age")}));
  EXPECT_EQ(Refreshed, 1);
}

TEST_F(StepsTest, WebSurveyRegistersItsPanesByExactClassAndDefaultVariant) {
  // The survey's own Polish texts are recoded for the pages and keep their "&", which page
  // texts lose.
  Survey().Environ->LangManager->SetLanguage("plk");
  Module().LangManager->SetLanguage("plk");
  std::string SurveyText = Cp1250("Źródła R&D"), PageText = SurveyText;
  Survey().Environ->LangManager->PostProcessText(SurveyText);
  Module().LangManager->PostProcessText(PageText);
  EXPECT_EQ(SurveyText, Iso("Źródła R&D"));
  EXPECT_EQ(PageText, Iso("Źródła RD"));
  const TPelParPaneRegList& R = *Survey().ParPaneRegs;
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParDefQuestions>(), 0),
            &TPelWebParPaneQuestionsFrame::StaticClass());
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParStats>(), 0),
            &TPelWebParPaneStatsFrame::StaticClass());
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParStats>(), 1), nullptr);
  EXPECT_EQ(R.FindPaneClass(RWClassOf<TPelParWaves>(), 0), nullptr);
  // A parameter without a pane gets a step without one; Next still moves on.
  AddPar<TPelParWaves>();
  auto* Q = AddPar<TPelParDefQuestions>();
  Q->SetPaneVariant(1);
  InSession([&] { StartWizardSteps(Module()); });
  EXPECT_FALSE(Step()->Pane);
  EXPECT_EQ(Step()->GetHelpTopic(), "");
  Next();
  EXPECT_EQ(Module().CurrentStep, 1);
  EXPECT_FALSE(Step()->Pane);
  Next();
  EXPECT_EQ(ReportWindows, 1);
}

TEST_F(StepsTest, ANewStepReleasesStepsLeftInTheSession) {
  auto* Q = AddPar<TPelParDefQuestions>();
  InSession([&] { ShowParForm(Module(), Q, true); });
  ASSERT_TRUE(Step());
  // The first step is freed, so a later page may reuse its address: pages are told apart by
  // their serial numbers.
  const std::string First = Step()->PageId();
  InSession([&] { ShowParForm(Module(), Q, true); });
  ASSERT_TRUE(Step());
  EXPECT_NE(Step()->PageId(), First);
  for (TWebForm* F : Session->FormStack()) EXPECT_NE(F->PageId(), First);
  EXPECT_EQ(Session->FormStack().size(), 2u);  // the logon page and the new step
}

}  // namespace
}  // namespace quin
