#include "web/parpanequestions.h"

#include <algorithm>
#include <unordered_set>

#include "analysis/pelparquestions.h"
#include "surveykit/gimquestions.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebParPaneQuestionsFrame, TPelWebParPaneWithTreesFrame)

namespace {

// The objects below Obj, each object's children before the object itself.
void AppendDescendants(const TGimSimpleDataObject* Obj, std::vector<TObject*>& List) {
  const auto* D = As<TGimDataObject>(Obj);
  for (int I = 0; D && I < D->ChildCount(); ++I) {
    AppendDescendants(D->Child(I), List);
    List.push_back(D->Child(I));
  }
}

}  // namespace

TPelParDefQuestions* TPelWebParPaneQuestionsFrame::Questions() const {
  return As<TPelParDefQuestions>(Obj);
}

void TPelWebParPaneQuestionsFrame::FillAvailable() {
  HighlightedAvailable = nullptr;
  HighlightedChosen = nullptr;
  AvailableTV->Clear();
  AddModuleItems(*AvailableTV, RootModule(), true, nullptr);
  UpdateButtons();
}

void TPelWebParPaneQuestionsFrame::FillChosen() {
  TPelWebParPaneWithTreesFrame::FillChosen();
  ClearSelectedTV();
  TPelParDefQuestions* P = Questions();
  if (!P) return;
  AddChosenItems(RootModule(), std::vector<TObject*>(P->Questions.begin(), P->Questions.end()),
                 true);
}

void TPelWebParPaneQuestionsFrame::ApplyToObject() {
  TPelParDefQuestions* P = Questions();
  if (!P) return;
  P->Questions.clear();
  for (int I = 0; I < SelectedTV->Count(); ++I)
    if (auto* Q = As<TGimQuestion>(SelectedTV->Item(I).Object)) P->Questions.push_back(Q);
}

void TPelWebParPaneQuestionsFrame::AddHighlighted() {
  std::vector<TObject*> List;
  for (int I = 0; I < SelectedTV->Count(); ++I)
    if (auto* Q = As<TGimQuestion>(SelectedTV->Item(I).Object)) List.push_back(Q);
  auto* Obj = As<TGimSimpleDataObject>(HighlightedAvailable->Object);
  AppendDescendants(Obj, List);
  List.push_back(Obj);
  ClearSelectedTV();
  AddChosenItems(RootModule(), List, true);
}

void TPelWebParPaneQuestionsFrame::DeleteHighlighted() {
  ApplyToObject();
  TPelParDefQuestions* P = Questions();
  if (!P) return;
  // The highlighted item and every item below it.
  std::unordered_set<const TObject*> Gone;
  for (int I = 0; I < SelectedTV->Count(); ++I)
    for (const TWebTreeItem* It = &SelectedTV->Item(I); It; It = It->Parent)
      if (It == HighlightedChosen) Gone.insert(SelectedTV->Item(I).Object);
  auto& Q = P->Questions;
  Q.erase(std::remove_if(Q.begin(), Q.end(), [&](TGimQuestion* X) { return Gone.count(X) > 0; }),
          Q.end());
  ClearChoice();
  FillChosen();
}

void TPelWebParPaneQuestionsFrame::ClearChoice() {
  TPelWebParPaneWithTreesFrame::ClearChoice();
  ClearSelectedTV();
}

std::string TPelWebParPaneQuestionsFrame::GetAddRefusedMessage() const {
  return Tr(
      "<PLK>Brak podświetlonych do wyboru pytań (w lewej liście).<ENU>No highlighted questions "
      "for selection (in the left list).");
}

bool TPelWebParPaneQuestionsFrame::Validate(std::string& Message) {
  return CheckChoice(
      SelectedTV->Count() > 0,
      "<PLK>Proszę wybrać pytanie lub cały folder,\\nnastępnie nacisnąć przycisk "
      "\"%s\".\\n\\nW ten sposób można wybierać wiele pytań i / lub folderów.<ENU>Please "
      "select a question or a whole folder in the left-hand list,\\nthen press the \"%s\" "
      "button.\\n\\nYou can then add other questions and / or folders.",
      Message);
}

void TPelWebParPaneQuestionsFrame::LanguageChanged() {
  TPelWebParPaneWithTreesFrame::LanguageChanged();
  for (int I = 0; I < SelectedTV->Count(); ++I) RecaptionItem(SelectedTV->Item(I));
}

}  // namespace quin
