#include "web/parpanestats.h"

#include <algorithm>

#include "analysis/pelparstats.h"
#include "analysis/pelsurvey.h"
#include "surveykit/merenviron.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebParPaneStatsFrame, TPelWebParPaneWithTabsFrame)

namespace {

TWebListBox* AddStatList(TWebRegion* Parent, const char* Name) {
  TWebListBox* L = Parent->Add<TWebListBox>(Name);
  L->Css = "main panelist";
  L->MultiSelect = true;
  L->Rows = 20;
  return L;
}

// The kind's name in the session's language.
std::string StatName(const TObject* Kind) {
  const auto* S = As<TGimStat>(Kind);
  return S ? S->Name() : std::string();
}

}  // namespace

TPelParStats* TPelWebParPaneStatsFrame::Stats() const { return As<TPelParStats>(Obj); }

void TPelWebParPaneStatsFrame::CreateControls() {
  TPelWebParPaneWithTabsFrame::CreateControls();
  AvailableLB = AddStatList(AvailableRegionInner, "AvailableLB");
  AvailableLB->OnDblClick = [this](TWebControl&) { AddButtonClick(); };
  SelectedLB = AddStatList(SelectedRegionInner, "SelectedLB");
  SelectedLB->OnDblClick = [this](TWebControl&) { DelButtonClick(); };
}

void TPelWebParPaneStatsFrame::FillAvailable() {
  AvailableLB->Clear();
  const TPelParStats* P = Stats();
  if (P && P->Survey && P->Survey->Info)
    for (int I = 0; I < P->Survey->Info->StatCatalogue.Count(); ++I) {
      TGimStat* S = P->Survey->Info->StatCatalogue.GetItem(I);
      AvailableLB->AddItem(S->Name(), S);
    }
  if (AvailableLB->Count() > 0) AvailableLB->SetItemIndex(0);
  UpdateButtons();
}

void TPelWebParPaneStatsFrame::FillChosen() {
  TPelWebParPaneWithTabsFrame::FillChosen();
  SelectedLB->Clear();
  if (const TPelParStats* P = Stats())
    for (int I = 0; I < P->Stats.Count(); ++I) {
      TGimStat* S = P->Stats.GetItem(I);
      SelectedLB->AddItem(S->Name(), S);
    }
  if (SelectedLB->Count() > 0) SelectedLB->SetItemIndex(0);
}

void TPelWebParPaneStatsFrame::ApplyToObject() {
  TPelParStats* P = Stats();
  if (!P) return;
  P->Stats.Clear();
  for (const TWebListItem& It : SelectedLB->Items)
    if (auto* S = As<TGimStat>(It.Object)) P->Stats.Add(S);
}

bool TPelWebParPaneStatsFrame::CanAdd() const {
  return AvailableLB->Count() > 0 && AvailableLB->ItemIndex() >= 0;
}

bool TPelWebParPaneStatsFrame::CanDelete() const {
  return SelectedLB->Count() > 0 && SelectedLB->ItemIndex() >= 0;
}

void TPelWebParPaneStatsFrame::AddHighlighted() {
  for (const TWebListItem& It : AvailableLB->Items) {
    if (!It.Selected) continue;
    bool Chosen = std::any_of(SelectedLB->Items.begin(), SelectedLB->Items.end(),
                              [&It](const TWebListItem& S) { return S.Object == It.Object; });
    if (!Chosen) SelectedLB->AddItem(It.Text, It.Object);
  }
  if (SelectedLB->Count() > 0) SelectedLB->SetItemIndex(0);
}

void TPelWebParPaneStatsFrame::DeleteHighlighted() {
  const int Was = SelectedLB->ItemIndex();
  auto& Items = SelectedLB->Items;
  Items.erase(std::remove_if(Items.begin(), Items.end(),
                             [](const TWebListItem& It) { return It.Selected; }),
              Items.end());
  const int Index = std::min(Was, SelectedLB->Count() - 1);
  SelectedLB->SetItemIndex(Index < 0 ? -1 : Index);
}

void TPelWebParPaneStatsFrame::ClearChoice() {
  SelectedLB->Clear();
  TPelWebParPaneWithTabsFrame::ClearChoice();
}

std::string TPelWebParPaneStatsFrame::GetAddRefusedMessage() const {
  return Tr(
      "<PLK>Brak podświetlonych do wyboru statystyk (w lewej liście).<ENU>No highlighted "
      "statistics for selection (in the left list).");
}

bool TPelWebParPaneStatsFrame::Validate(std::string& Message) {
  return CheckChoice(
      SelectedLB->Count() > 0,
      "<PLK>Proszę wybrać co najmniej jedną statystykę.\\n\\nNależy podświetlić nazwę w lewej "
      "liście,\\nnastępnie naciśnij przycisk \"%s\".<ENU>Please select at least one "
      "statistic.\\n\\nHighlight statistics in the left-hand list,\\nthen press the \"%s\" "
      "button.",
      Message);
}

void TPelWebParPaneStatsFrame::LanguageChanged() {
  TPelWebParPaneWithTabsFrame::LanguageChanged();
  for (TWebListBox* L : {AvailableLB, SelectedLB})
    for (TWebListItem& It : L->Items) It.Text = StatName(It.Object);
}

}  // namespace quin
