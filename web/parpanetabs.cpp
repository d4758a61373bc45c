#include "web/parpanetabs.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "platform/websession.h"
#include "surveykit/gimdata.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebParPaneWithTabsFrame, TPelWebParPaneFrame)
QUIN_IMPLEMENT_CLASS(TPelWebParPaneWithTreesFrame, TPelWebParPaneWithTabsFrame)

namespace {
// Layout of the two sides: the width of the buttons between them, the height of the label
// line above each side, and where the buttons stand.
constexpr int kTabButtonWidth = 110;
constexpr int kSideTopHeight = 24;
constexpr int kFirstButtonTop = 60;
constexpr int kButtonStep = 40;
constexpr const char* kAddCaption = "<PLK>Dodaj >&><ENU>Add >&>";
}  // namespace

// --- two sides ---

void TPelWebParPaneWithTabsFrame::CreateControls() {
  TPelWebParPaneFrame::CreateControls();
  auto Side = [this](const char* Name, const char* TopName, const char* LabelName,
                     const char* InnerName, TWebLabel*& Label, TWebRegion*& Top,
                     TWebRegion*& Inner) {
    TWebRegion* R = FrameRegion->Add<TWebRegion>(Name);
    R->Css = "paneside";
    Top = R->Add<TWebRegion>(TopName);
    Top->Css = "panesidetop";
    Label = Top->Add<TWebLabel>(LabelName);
    Label->Css = "main";
    Inner = R->Add<TWebRegion>(InnerName);
    Inner->Css = "panesideinner";
    return R;
  };
  AvailableRegion =
      Side("AvailableRegion", "AvailableRegionTop", "AvailableLabel", "AvailableRegionInner",
           AvailableLabel, AvailableRegionTop, AvailableRegionInner);
  SelectedRegion =
      Side("SelectedRegion", "SelectedRegionTop", "SelectedLabel", "SelectedRegionInner",
           SelectedLabel, SelectedRegionTop, SelectedRegionInner);
  auto Button = [this](const char* Name, void (TPelWebParPaneWithTabsFrame::*Click)()) {
    TWebButton* B = FrameRegion->Add<TWebButton>(Name);
    B->Width = kTabButtonWidth;
    B->OnClick = [this, Click](TWebControl&) { (this->*Click)(); };
    return B;
  };
  AddButton = Button("AddButton", &TPelWebParPaneWithTabsFrame::AddButtonClick);
  DelButton = Button("DelButton", &TPelWebParPaneWithTabsFrame::DelButtonClick);
  ClearButton = Button("ClearButton", &TPelWebParPaneWithTabsFrame::ClearButtonClick);
}

void TPelWebParPaneWithTabsFrame::AfterConstruction() {
  TPelWebParPaneFrame::AfterConstruction();
  UpdateButtons();
}

void TPelWebParPaneWithTabsFrame::ApplyTexts() {
  TPelWebParPaneFrame::ApplyTexts();
  AvailableLabel->Caption = Tr("<PLK>Dostępne<ENU>Available");
  SelectedLabel->Caption = Tr("<PLK>Wybrane<ENU>Selected");
  AddButton->Caption = Tr(kAddCaption);
  DelButton->Caption = Tr("<PLK>&<< Usuń<ENU>&<< Delete");
  ClearButton->Caption = Tr("<PLK>&Wyczyść<ENU>&Clear");
  ClearButton->Confirmation = Tr("<PLK>Usunąć dotychczasowy wybór?<ENU>Clear current choice?");
}

std::string TPelWebParPaneWithTabsFrame::GetDeleteRefusedMessage() const {
  return Tr(
      "<PLK>Brak podświetlonych elementów do usunięcia (w prawej liście).<ENU>No elements "
      "highlighted for deletion (in the right-hand list).");
}

void TPelWebParPaneWithTabsFrame::UpdateButtons() { ClearButton->Enabled = CanClear(); }

void TPelWebParPaneWithTabsFrame::Alert(const std::string& Text) const {
  if (TWebForm* F = Form(); F && F->Session()) F->Session()->Alert(Text);
}

bool TPelWebParPaneWithTabsFrame::CheckChoice(bool Chosen, std::string_view Template,
                                              std::string& Message) const {
  const TPelPar* P = GetPar();
  if (Chosen || (P && P->AllowsEmpty())) return true;
  const TOrvLangManager& LM = CurrentLangManager();
  Message = Format(Tr(Template), {Tr(kAddCaption)}, LM.FormatSettings);
  return false;
}

void TPelWebParPaneWithTabsFrame::AddButtonClick() {
  if (!PageIsCurrent()) return;
  if (CanAdd()) {
    AddHighlighted();
    UpdateButtons();
  } else if (std::string M = GetAddRefusedMessage(); !M.empty()) {
    Alert(M);
  }
}

void TPelWebParPaneWithTabsFrame::DelButtonClick() {
  if (!PageIsCurrent()) return;
  if (CanDelete()) {
    DeleteHighlighted();
    UpdateButtons();
  } else if (std::string M = GetDeleteRefusedMessage(); !M.empty()) {
    Alert(M);
  }
}

void TPelWebParPaneWithTabsFrame::ClearButtonClick() {
  if (!PageIsCurrent()) return;
  if (!CanClear()) return;
  ClearChoice();
  UpdateButtons();
}

void TPelWebParPaneWithTabsFrame::FrameRegionRender() {
  TPelWebParPaneFrame::FrameRegionRender();
  const int FW = FrameRegion->Width, FH = FrameRegion->Height;
  const int W = (FW - AddButton->Width) / 2;
  const int Side = std::max(W - 20, 0);
  AvailableRegion->SetPosition(0, 0);
  SelectedRegion->SetPosition(FW - Side, 0);
  for (TWebRegion* R : {AvailableRegion, SelectedRegion}) R->SetSize(Side, FH);
  for (TWebRegion* R : {AvailableRegionTop, SelectedRegionTop}) {
    R->SetPosition(0, 0);
    R->SetSize(Side, kSideTopHeight);
  }
  for (TWebRegion* R : {AvailableRegionInner, SelectedRegionInner}) {
    R->SetPosition(0, kSideTopHeight);
    R->SetSize(Side, std::max(FH - kSideTopHeight, 0));
  }
  int Top = kFirstButtonTop;
  for (TWebButton* B : {AddButton, DelButton, ClearButton}) {
    B->SetPosition(W, Top);
    Top += kButtonStep;
  }
}

// --- two trees ---

namespace {

const TGimDataObject* AsFolder(const TObject* Obj) {
  const auto* D = As<TGimDataObject>(Obj);
  return D && D->ChildCount() > 0 ? D : nullptr;
}

bool StartsUnopened(const std::string& Caption) {
  return Caption.compare(0, 2, kUnopenedMark) == 0;
}

}  // namespace

void TPelWebParPaneWithTreesFrame::CreateControls() {
  TPelWebParPaneWithTabsFrame::CreateControls();
  AvailableTV = AvailableRegionInner->Add<TWebTreeView>("AvailableTV");
  AvailableTV->Css = "tree";
  AvailableTV->OnItemClick = [this](TWebTreeView&, TWebTreeItem& It) {
    if (PageIsCurrent()) AvailableTVTreeItemClick(It);
  };
  SelectedTV = SelectedRegionInner->Add<TWebTreeView>("SelectedTV");
  SelectedTV->Css = "tree";
  SelectedTV->OnItemClick = [this](TWebTreeView&, TWebTreeItem& It) {
    if (PageIsCurrent()) SelectedTVTreeItemClick(It);
  };
}

TGimModule* TPelWebParPaneWithTreesFrame::RootModule() const {
  const TPelPar* Par = GetPar();
  return Par && Par->Survey && Par->Survey->Data ? Par->Survey->Data->Root.get() : nullptr;
}

TWebTreeItem* TPelWebParPaneWithTreesFrame::AddTreeItem(TWebTreeView& View,
                                                        TGimSimpleDataObject* Obj, bool Expanded,
                                                        TWebTreeItem* Parent) {
  std::string Caption = Obj->GetName();
  if (AsFolder(Obj)) Caption = kUnopenedMark + Caption;
  TWebTreeItem* It = View.AddItem(Parent, std::move(Caption), Obj);
  It->Css = "tree";
  It->Expanded = Expanded;
  return It;
}

void TPelWebParPaneWithTreesFrame::AddModuleItems(TWebTreeView& View, TGimSimpleDataObject* Module,
                                                  bool Expanded, TWebTreeItem* Parent) {
  const TGimDataObject* D = As<TGimDataObject>(Module);
  for (int I = 0; D && I < D->ChildCount(); ++I) AddTreeItem(View, D->Child(I), Expanded, Parent);
}

void TPelWebParPaneWithTreesFrame::FillAvailable() {
  TPelWebParPaneWithTabsFrame::FillAvailable();
  AvailableTV->Clear();
  HighlightedAvailable = nullptr;
  AddModuleItems(*AvailableTV, RootModule(), false, nullptr);
}

void TPelWebParPaneWithTreesFrame::AvailableTVTreeItemClick(TWebTreeItem& Item) {
  if (HighlightedAvailable) HighlightedAvailable->Css = "tree";
  HighlightedAvailable = &Item;
  Item.Css = "treesel";
  Item.Expanded = true;
  if (StartsUnopened(Item.Caption)) OpenFolder(Item);
  UpdateButtons();
}

void TPelWebParPaneWithTreesFrame::SelectedTVTreeItemClick(TWebTreeItem& Item) {
  if (HighlightedChosen) HighlightedChosen->Css = "tree";
  HighlightedChosen = &Item;
  Item.Css = "treesel";
  Item.Expanded = true;
  UpdateButtons();
}

void TPelWebParPaneWithTreesFrame::OpenFolder(TWebTreeItem& Item) {
  // Only the mark goes: a name may hold "+ " itself.
  Item.Caption.erase(0, 2);
  AddModuleItems(*AvailableTV, As<TGimSimpleDataObject>(Item.Object), false, &Item);
}

void TPelWebParPaneWithTreesFrame::RecaptionItem(TWebTreeItem& Item) {
  const auto* Obj = As<TGimSimpleDataObject>(Item.Object);
  if (!Obj) return;
  Item.Caption = (StartsUnopened(Item.Caption) ? kUnopenedMark : "") + Obj->GetName();
}

void TPelWebParPaneWithTreesFrame::LanguageChanged() {
  TPelWebParPaneWithTabsFrame::LanguageChanged();
  for (int I = 0; I < AvailableTV->Count(); ++I) RecaptionItem(AvailableTV->Item(I));
}

bool TPelWebParPaneWithTreesFrame::CanClear() const { return SelectedTV->Count() > 0; }

void TPelWebParPaneWithTreesFrame::ClearChoice() {
  TPelWebParPaneWithTabsFrame::ClearChoice();
  if (HighlightedChosen) HighlightedChosen->Css = "tree";
  HighlightedChosen = nullptr;
}

void TPelWebParPaneWithTreesFrame::ClearSelectedTV() {
  SelectedTV->Clear();
  HighlightedChosen = nullptr;
}

void TPelWebParPaneWithTreesFrame::AddChosenItems(TGimSimpleDataObject* Module,
                                                  const std::vector<TObject*>& List,
                                                  bool Expanded) {
  // One pass over the subtree: whether each object is chosen or holds something chosen.
  const std::unordered_set<const TObject*> Chosen(List.begin(), List.end());
  std::unordered_map<const TObject*, bool> Holds;
  std::function<bool(const TGimSimpleDataObject*)> Shown = [&](const TGimSimpleDataObject* O) {
    bool R = Chosen.count(O) > 0;
    if (const auto* D = As<TGimDataObject>(O))
      for (int I = 0; I < D->ChildCount(); ++I) R = Shown(D->Child(I)) || R;
    Holds[O] = R;
    return R;
  };
  std::function<void(TGimSimpleDataObject*, TWebTreeItem*)> AddItem = [&](TGimSimpleDataObject* O,
                                                                          TWebTreeItem* Parent) {
    if (!Holds[O]) return;
    TWebTreeItem* It = SelectedTV->AddItem(Parent, O->GetName(), O);
    It->Css = "tree";
    It->Expanded = Expanded;
    if (const auto* D = As<TGimDataObject>(O))
      for (int I = 0; I < D->ChildCount(); ++I) AddItem(D->Child(I), It);
  };
  const auto* Root = As<TGimDataObject>(Module);
  for (int I = 0; Root && I < Root->ChildCount(); ++I) {
    Shown(Root->Child(I));
    AddItem(Root->Child(I), nullptr);
  }
}

}  // namespace quin
