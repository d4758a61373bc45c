// The questions and statistics panes through the request seam: folders opened on their first
// click, whole folders added and deleted, the statistic kinds moved between the lists, the
// refusals and checks of both panes in English and Polish, and language changes.
#include <gtest/gtest.h>

#include "analysis/pelparquestions.h"
#include "analysis/pelparstats.h"
#include "tests/web/analysis_fixture.h"
#include "web/parpanequestions.h"
#include "web/parpanestats.h"

namespace quin {
namespace {

std::vector<std::string> Captions(TWebTreeView& T) {
  std::vector<std::string> R;
  for (int I = 0; I < T.Count(); ++I) R.push_back(T.Item(I).Caption);
  return R;
}

class QuestionsPaneTest : public test::TAnalysisPageTest {
 protected:
  void SetUp() override {
    TAnalysisPageTest::SetUp();
    Q = AddPar<TPelParDefQuestions>();
    InSession([&] { StartWizardSteps(Module()); });
    ASSERT_TRUE(As<TPelWebParPaneQuestionsFrame>(Step()->Pane));
  }
  TPelWebParPaneQuestionsFrame& Pane() { return *As<TPelWebParPaneQuestionsFrame>(Step()->Pane); }
  std::string Click(TWebTreeView& T, const std::string& Caption) {
    int I = ItemOf(T, Caption);
    EXPECT_GE(I, 0) << Caption;
    return Post(T, "item", std::to_string(I));
  }
  TPelParDefQuestions* Q = nullptr;
};

TEST_F(QuestionsPaneTest, FoldersOpenOnceAndWholeFoldersAreAddedAndDeleted) {
  TWebTreeView& A = *Pane().AvailableTV;
  TWebTreeView& C = *Pane().SelectedTV;
  EXPECT_EQ(Captions(A), (std::vector<std::string>{"+ Household", "+ People & places"}));
  // A survey text keeps its "&" and is shown as text.
  EXPECT_NE(Page(Sid).find(">+ People &amp; places</span>"), std::string::npos);

  Click(A, "+ Household");
  EXPECT_EQ(Captions(A), (std::vector<std::string>{"Household", "+ People & places",
                                                   "+ Adults + children", "Size"}));
  EXPECT_EQ(A.Item(0).Css, "treesel");
  Click(A, "Household");
  EXPECT_EQ(A.Count(), 4);
  // Only the mark goes from the caption; the folder's own "+ " stays.
  Click(A, "+ Adults + children");
  EXPECT_EQ(A.Item(2).Caption, "Adults + children");
  EXPECT_EQ(A.Item(4).Caption, "Children");
  EXPECT_EQ(A.Item(4).Parent, &A.Item(2));
  EXPECT_EQ(A.Item(0).Css, "tree");

  Click(A, "Size");
  Post(*Pane().AddButton, "click");
  EXPECT_EQ(Captions(C), (std::vector<std::string>{"Household", "Size"}));
  // The folder whose question is chosen already: each question once, in the survey's order.
  Click(A, "Household");
  Post(*Pane().AddButton, "click");
  EXPECT_EQ(Captions(C),
            (std::vector<std::string>{"Household", "Adults + children", "Children", "Size"}));
  EXPECT_TRUE(Q->Questions.empty());  // nothing is applied before Next

  // Deleting a chosen folder removes its questions from the parameter.
  Click(C, "Adults + children");
  Post(*Pane().DelButton, "click");
  EXPECT_EQ(Q->Questions.size(), 0u);  // the edited parameter: only Next writes it back
  auto* Copy = As<TPelParDefQuestions>(Pane().Obj);
  EXPECT_EQ(Copy->Questions, std::vector<TGimQuestion*>{Question("size")});
  EXPECT_EQ(Captions(C), (std::vector<std::string>{"Household", "Size"}));

  EXPECT_TRUE(Pane().ClearButton->Enabled);
  EXPECT_EQ(Pane().ClearButton->Confirmation, "Clear current choice?");
  Post(*Pane().ClearButton, "click");
  EXPECT_EQ(C.Count(), 0);
  EXPECT_FALSE(Pane().ClearButton->Enabled);

  Click(A, "+ People & places");
  Click(A, "Sex");
  Post(*Pane().AddButton, "click");
  Click(A, "Children");
  Post(*Pane().AddButton, "click");
  Next();
  EXPECT_EQ(Q->Questions, (std::vector<TGimQuestion*>{Question("kidsno"), Question("sex")}));
}

TEST_F(QuestionsPaneTest, RefusalsAndTheCheckInBothLanguages) {
  std::string P = Post(*Pane().AddButton, "click");
  EXPECT_NE(P.find(AlertOf("No highlighted questions for selection (in the left list).")),
            std::string::npos);
  EXPECT_FALSE(Pane().ClearButton->Enabled);
  EXPECT_NE(P.find("value=\"Clear\" disabled"), std::string::npos);
  P = Post(*Pane().DelButton, "click");
  EXPECT_NE(P.find(AlertOf("No elements highlighted for deletion (in the right-hand list).")),
            std::string::npos);
  EXPECT_EQ(Pane().AddButton->Caption, "Add >>");
  EXPECT_EQ(Pane().DelButton->Caption, "<< Delete");

  Click(*Pane().AvailableTV, "+ Household");
  P = ToggleLanguage();
  // The opened folder keeps its children, the unopened one its mark.
  EXPECT_EQ(Captions(*Pane().AvailableTV),
            (std::vector<std::string>{Iso("Gospodarstwo"), Iso("+ Ludzie & miejsca"),
                                      Iso("+ Dorośli + dzieci"), Iso("Wielkość")}));
  EXPECT_NE(P.find(Cp1250(">Dostępne<")), std::string::npos);
  EXPECT_NE(P.find(">Wybrane<"), std::string::npos);
  EXPECT_NE(P.find(Cp1250("value=\"Zakończ\"")), std::string::npos);
  EXPECT_NE(P.find(Cp1250("value=\"Powrót\" disabled")), std::string::npos);
  EXPECT_NE(P.find(Cp1250("Tabela: Pytania</span>")), std::string::npos);
  P = Next();
  EXPECT_NE(P.find(AlertOf(Cp1250(
                "Proszę wybrać pytanie lub cały folder,\r\nnastępnie nacisnąć przycisk \"Dodaj "
                ">>\".\r\n\r\nW ten sposób można wybierać wiele pytań i / lub folderów."))),
            std::string::npos);
  EXPECT_EQ(ReportWindows, 0);
}

class StatsPaneTest : public test::TAnalysisPageTest {
 protected:
  void SetUp() override {
    TAnalysisPageTest::SetUp();
    S = AddPar<TPelParStats>();
    InSession([&] { StartWizardSteps(Module()); });
    ASSERT_TRUE(As<TPelWebParPaneStatsFrame>(Step()->Pane));
  }
  TPelWebParPaneStatsFrame& Pane() { return *As<TPelWebParPaneStatsFrame>(Step()->Pane); }
  // The IDs of the kinds a list holds, in order.
  static std::vector<std::string> IDs(const TWebListBox& L) {
    std::vector<std::string> R;
    for (const TWebListItem& It : L.Items) R.push_back(As<TGimStat>(It.Object)->ID());
    return R;
  }
  // Posts an event with the given entries of List selected.
  std::string WithSelected(const TWebControl& C, const std::string& Kind, const TWebListBox& List,
                           const std::vector<int>& Selected) {
    TWebValues V;
    for (int I : Selected) V.Add(List.Id(), std::to_string(I));
    return Post(C, Kind, {}, V);
  }
  TPelParStats* S = nullptr;
};

TEST_F(StatsPaneTest, KindsMoveBetweenTheListsInCatalogueOrder) {
  TWebListBox& A = *Pane().AvailableLB;
  TWebListBox& C = *Pane().SelectedLB;
  // The survey's catalogue: a survey without media offers no media indices.
  EXPECT_EQ(IDs(A),
            (std::vector<std::string>{"cntA", "cntW", "pctLayer", "pctRow", "pctCol", "index",
                                      "est", "meanRow", "meanCol", "varRow", "varCol", "stdDevRow",
                                      "stdDevCol", "sumRow", "sumCol", "shareRow", "shareCol"}));
  EXPECT_EQ(A.ItemIndex(), 0);
  EXPECT_TRUE(A.MultiSelect);
  EXPECT_EQ(Step()->GetHelpTopic(), "PelWebParPaneStats");

  WithSelected(*Pane().AddButton, "click", A, {4, 1});
  EXPECT_EQ(IDs(C), (std::vector<std::string>{"cntW", "pctCol"}));
  EXPECT_EQ(C.ItemIndex(), 0);
  WithSelected(*Pane().AddButton, "click", A, {4});  // chosen already: nothing changes
  EXPECT_EQ(IDs(C), (std::vector<std::string>{"cntW", "pctCol"}));
  WithSelected(A, "dblclick", A, {6});
  EXPECT_EQ(IDs(C), (std::vector<std::string>{"cntW", "pctCol", "est"}));

  // Deleting the last entry leaves the index on the new last one.
  WithSelected(*Pane().DelButton, "click", C, {2});
  EXPECT_EQ(IDs(C), (std::vector<std::string>{"cntW", "pctCol"}));
  EXPECT_EQ(C.ItemIndex(), 1);
  WithSelected(C, "dblclick", C, {0});
  EXPECT_EQ(IDs(C), (std::vector<std::string>{"pctCol"}));
  EXPECT_EQ(C.ItemIndex(), 0);
  WithSelected(*Pane().DelButton, "click", C, {0});
  EXPECT_EQ(C.Count(), 0);
  EXPECT_EQ(C.ItemIndex(), -1);
  EXPECT_FALSE(Pane().ClearButton->Enabled);

  std::string P = Next();
  EXPECT_NE(P.find(AlertOf("Please select at least one statistic.\r\n\r\nHighlight statistics "
                           "in the left-hand list,\r\nthen press the \"Add >>\" button.")),
            std::string::npos);
  EXPECT_EQ(ReportWindows, 0);
  WithSelected(*Pane().AddButton, "click", A, {16, 0});
  Next();
  EXPECT_EQ(ReportWindows, 1);
  ASSERT_EQ(S->Stats.Count(), 2);
  EXPECT_EQ(S->Stats.GetItem(0)->ID(), "cntA");
  EXPECT_EQ(S->Stats.GetItem(1)->ID(), "shareCol");
}

TEST_F(StatsPaneTest, LanguageChangeKeepsTheChoiceAndRefusalsSpeakPolish) {
  TWebListBox& A = *Pane().AvailableLB;
  TWebListBox& C = *Pane().SelectedLB;
  WithSelected(*Pane().AddButton, "click", A, {1});
  const std::string English = C.Items[0].Text;
  ToggleLanguage();
  ASSERT_EQ(IDs(C), std::vector<std::string>{"cntW"});
  EXPECT_NE(C.Items[0].Text, English);
  EXPECT_EQ(C.Items[0].Text, A.Items[1].Text);
  EXPECT_EQ(Pane().ClearButton->Confirmation, Iso("Usunąć dotychczasowy wybór?"));
  std::string P = Post(*Pane().AddButton, "click");  // nothing highlighted on the left
  EXPECT_NE(P.find(AlertOf(Cp1250("Brak podświetlonych do wyboru statystyk (w lewej liście)."))),
            std::string::npos);
  WithSelected(*Pane().ClearButton, "click", C, {});
  EXPECT_EQ(C.Count(), 0);
  P = Next();
  EXPECT_NE(P.find(AlertOf(Cp1250("Proszę wybrać co najmniej jedną statystykę.\r\n\r\nNależy "
                                  "podświetlić nazwę w lewej liście,\r\nnastępnie naciśnij "
                                  "przycisk \"Dodaj >>\"."))),
            std::string::npos);
}

}  // namespace
}  // namespace quin
