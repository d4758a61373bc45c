#include "web/grouppane.h"

#include <algorithm>
#include <functional>

#include "analysis/pelgroup.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelsurvey.h"
#include "base/orvstrings.h"
#include "platform/websession.h"
#include "surveykit/gimexpr.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimweights.h"
#include "web/rangedialog.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebParPaneGroupsFrame, TPelWebParPaneWithTreesFrame)

namespace {
// Layout: the response list under the available tree, the three description lines under both
// sides.
constexpr int kResponseListHeight = 120;
constexpr int kInfoHeight = 66;
constexpr int kGap = 6;

// Every response of List, nested lists walked in order.
void CollectResponses(const TMerResponseList* List, std::vector<TGimResponse*>& Out) {
  for (int I = 0; List && I < List->ChildCount(); ++I) {
    TGimSimpleDataObject* C = List->Child(I);
    if (auto* R = As<TGimResponse>(C))
      Out.push_back(R);
    else
      CollectResponses(As<TMerResponseList>(C), Out);
  }
}

bool IsNumeric(const TGimResponse* R) { return R && R->NumericCodes; }
}  // namespace

TPelWebParPaneGroupsFrame::TPelWebParPaneGroupsFrame() = default;
TPelWebParPaneGroupsFrame::~TPelWebParPaneGroupsFrame() = default;

void TPelWebParPaneGroupsFrame::CreateControls() {
  TPelWebParPaneWithTreesFrame::CreateControls();
  ResponseList = AvailableRegion->Add<TWebListBox>("ResponseList");
  ResponseList->Css = "main panelist responselist";
  ResponseList->MultiSelect = true;
  ResponseList->OnDblClick = [this](TWebControl&) { AddButtonClick(); };
  // The hint stands above the (empty) chosen tree.
  InfoText = SelectedRegionInner->Add<TWebLabel>("InfoText");
  InfoText->Css = "main infotext";
  InfoRegion = FrameRegion->Add<TWebRegion>("InfoRegion");
  InfoRegion->Css = "inforegion";
  TargetLabel = InfoRegion->Add<TWebLabel>("TargetLabel");
  MaxErrLabel = InfoRegion->Add<TWebLabel>("MaxErrLabel");
  MissingLabel = InfoRegion->Add<TWebLabel>("MissingLabel");
  for (TWebLabel* L : {TargetLabel, MaxErrLabel, MissingLabel}) L->Css = "main infoline";
}

TPelParGroups* TPelWebParPaneGroupsFrame::Groups() const { return As<TPelParGroups>(Obj); }

TPelGroup* TPelWebParPaneGroupsFrame::CurrentGroup() const {
  return SelectedTV->Count() > 0 ? As<TPelGroup>(SelectedTV->Item(0).Object) : nullptr;
}

void TPelWebParPaneGroupsFrame::ApplyTexts() {
  TPelWebParPaneWithTreesFrame::ApplyTexts();
  UpdateInfo();
  InfoText->Caption =
      Tr("<PLK>Wybrana cała próba.\\n\\nPrzejdź na następnego okna dialogowego lub zdefiniuj "
         "pod-próbę przez wybór pytań i odpowiedzi.<ENU>All cases selected.\\n\\nMove to the "
         "next dialog or define a sub-sample by selecting questions and responses.",
         "<br>");
}

void TPelWebParPaneGroupsFrame::UpdateInfo() {
  InfoText->Visible = SelectedTV->Count() == 0;
  TPelParGroups* P = Groups();
  if (!P) return;
  const TPelParList* L = P->Owner;
  const TPelDataBasedOn* Basis = L ? L->BasedOn : nullptr;
  // Without a basis of its own the analysis counts in the survey's first one.
  if (!Basis && P->Survey && P->Survey->DataBasedOnList && !P->Survey->DataBasedOnList->Empty())
    Basis = P->Survey->DataBasedOnList->GetItem(0);
  TPelGroup* G = CurrentGroup();
  const std::unique_ptr<TGimWaveList> Waves = P->GetInfoWaveList();
  const auto Texts = P->GetGroupInfoTexts(G, Waves.get(), L ? L->Weight : nullptr,
                                          Basis ? Basis->Recset : nullptr);
  TargetLabel->Caption = HtmlEscape(Texts[0]);
  MaxErrLabel->Caption = HtmlEscape(Texts[1]);
  MissingLabel->Caption = HtmlEscape(Texts[2]);
  MissingLabel->Enabled = G && G->CaseCount > 0;
  MissingLabel->Css = MissingLabel->Enabled ? "main infoline" : "main infoline disabledtext";
}

void TPelWebParPaneGroupsFrame::AvailableTVTreeItemClick(TWebTreeItem& Item) {
  TPelWebParPaneWithTreesFrame::AvailableTVTreeItemClick(Item);
  ResponseList->Clear();
  std::vector<TGimResponse*> Responses;
  if (auto* Q = As<TGimQuestion>(Item.Object)) CollectResponses(Q->Responses.get(), Responses);
  for (TGimResponse* R : Responses) ResponseList->AddItem(R->GetName(), R);
  if (ResponseList->Count() > 0) ResponseList->SetItemIndex(0);
  UpdateButtons();
}

bool TPelWebParPaneGroupsFrame::CanAdd() const {
  return HighlightedAvailable && ResponseList->Count() > 0 && ResponseList->ItemIndex() >= 0;
}

std::string TPelWebParPaneGroupsFrame::GetAddRefusedMessage() const {
  if (!HighlightedAvailable)
    return Tr(
        "<PLK>Proszę wybrać pytanie z lewej listy.<ENU>Please select a question in the "
        "left-hand list.");
  if (ResponseList->Count() > 0)
    return Tr(
        "<PLK>Proszę wybrać odpowiedź lub odpowiedzi\\nz dolnej lewej listy.<ENU>Please select "
        "a response or responses\\nfrom the list in the lower left.");
  return Tr(
      "<PLK>Wybrano folder; proszę wybrać jakieś pytanie.<ENU>You selected a folder; "
      "please select a question.");
}

void TPelWebParPaneGroupsFrame::AddHighlighted() {
  TPelParGroups* P = Groups();
  if (!P) return;
  TPelGroup* G = CurrentGroup();
  if (!G) G = static_cast<TPelGroup*>(P->AddSubPar(P->NewSubPar(nullptr)));
  AddResponsesToGroup(G);
  FillChosen();
  TPelWebParPaneWithTreesFrame::AddHighlighted();
}

void TPelWebParPaneGroupsFrame::AddResponsesToGroup(TPelGroup* Group) {
  auto* Q = As<TGimQuestion>(HighlightedAvailable->Object);
  TPelGroupVar* Cond = nullptr;
  for (int I = 0; Group->Root && I < Group->Root->ChildCount() && !Cond; ++I) {
    auto* V = As<TPelGroupVar>(Group->Root->Child(I));
    if (V && V->Question == Q) Cond = V;
  }
  std::unique_ptr<TPelGroupVar> New;
  if (!Cond) {
    New = std::make_unique<TPelGroupVar>(nullptr, GetPar()->Survey);
    New->Question = Q;
    Cond = New.get();
  }
  QueueSelectedResponses(Cond);
  // Only a new condition joins the group; a question's condition is there once.
  if (New)
    Group->AddCondition(std::move(New), ExprOperator<TGimExprOperatorLogicConjunction>(),
                        Group->Root.get(), nullptr);
  OpenRangeDialogs(Group, Cond);
}

void TPelWebParPaneGroupsFrame::QueueSelectedResponses(TPelGroupVar* Cond) {
  NumericQueue.clear();
  TPelGroupResponseList& Values = Cond->Values;
  const std::vector<TWebListItem>& Items = ResponseList->Items;
  for (size_t I = 0; I < Items.size(); ++I) {
    auto* R = As<TGimResponse>(Items[I].Object);
    if (!Items[I].Selected || !R) continue;
    const int At = Values.IndexOfResponse(R);
    if (At < 0) {
      // The values keep the order of the response list.
      int K = 0;
      for (size_t J = 0; J < I; ++J)
        if (Values.ContainsResponse(As<TGimResponse>(Items[J].Object))) ++K;
      if (IsNumeric(R)) {
        auto Item = std::make_unique<TCodeNumericResponse>();
        Item->Index = K;
        Item->Response = Item->Source = R;
        NumericQueue.push_back(std::move(Item));
      } else {
        Values.InsertResponse(K, R);
      }
    } else if (IsNumeric(R)) {
      auto Item = std::make_unique<TCodeNumericResponse>();
      Item->Existing = true;
      Item->Index = At;
      Item->Source = R;
      Item->Copy = CopyOf(*R);
      const auto* Ranges = As<TPelGroupValCodeRange>(Values.GetItem(At));
      Item->Copy->Codes = Ranges ? std::make_unique<TRixCodeList>(*Ranges->Codes) : nullptr;
      Item->Response = Item->Copy.get();
      NumericQueue.push_back(std::move(Item));
    }
  }
}

void TPelWebParPaneGroupsFrame::OpenRangeDialogs(TPelGroup* Group, TPelGroupVar* Cond) {
  TWebSession* S = Form() ? Form()->Session() : nullptr;
  if (!S) return;
  for (const auto& Item : NumericQueue)
    S->CreateForm<TPelWebSelRangeForm>(/*AAllowMinMax=*/true, /*AIntOnly=*/false, this, Cond, Group,
                                       Item.get(), GetPar()->Survey)
        ->Show();
}

void TPelWebParPaneGroupsFrame::FillChosen() {
  TPelWebParPaneWithTreesFrame::FillChosen();
  ClearSelectedTV();
  if (TPelParGroups* P = Groups()) {
    auto Add = [this](TWebTreeItem* Parent, std::string Caption, TObject* Obj) {
      TWebTreeItem* It = SelectedTV->AddItem(Parent, std::move(Caption), Obj);
      It->Css = "tree";
      It->Expanded = true;
      return It;
    };
    for (int I = 0; I < P->SubParCount(); ++I) {
      auto* G = As<TPelGroup>(P->SubPar(I));
      if (!G) continue;
      TWebTreeItem* Top = Add(nullptr, G->GetName(), G);
      const TPelGroupNode* Root = G->Root.get();
      for (int C = 0; Root && C < Root->ChildCount(); ++C) {
        // The operator between conditions stands for nothing itself.
        if (C > 0) Add(Top, Root->Operator->Name(), nullptr)->Css = "treesep";
        TPelGroupObject* Child = Root->Child(C);
        auto* V = As<TPelGroupVar>(Child);
        std::string Caption =
            V ? (V->Question ? V->Question->GetName() : std::string()) : Child->GetText();
        TWebTreeItem* It = Add(Top, std::move(Caption), Child);
        for (int K = 0; V && K < V->Values.Count(); ++K)
          Add(It, V->Values.GetItem(K)->AsLabel(), V->Values.GetItem(K));
      }
    }
  }
  UpdateInfo();
}

void TPelWebParPaneGroupsFrame::DeleteHighlighted() {
  TPelWebParPaneWithTreesFrame::DeleteHighlighted();
  TPelParGroups* P = Groups();
  TWebTreeItem* It = HighlightedChosen;
  if (P && CurrentGroup() && It) {
    if (auto* G = As<TPelGroup>(It->Object)) {
      P->DeleteSubPar(P->SubPars->IndexOf(G));
    } else if (auto* O = As<TPelGroupObject>(It->Object)) {
      const TWebTreeItem* Top = It;
      while (Top->Parent) Top = Top->Parent;
      if (auto* Holder = As<TPelGroup>(Top->Object)) Holder->RemoveObject(O, true);
    }
  }
  ClearSelectedTV();
  FillChosen();
}

void TPelWebParPaneGroupsFrame::ClearChoice() {
  if (SelectedTV->Count() > 0) {
    if (TPelParGroups* P = Groups())
      for (int I = P->SubParCount() - 1; I >= 0; --I) P->DeleteSubPar(I);
    ClearSelectedTV();
    UpdateInfo();
  }
  TPelWebParPaneWithTreesFrame::ClearChoice();
}

void TPelWebParPaneGroupsFrame::LanguageChanged() {
  TPelWebParPaneWithTreesFrame::LanguageChanged();
  FillChosen();
  for (TWebListItem& It : ResponseList->Items)
    if (const auto* R = As<TGimResponse>(It.Object)) It.Text = R->GetName();
}

void TPelWebParPaneGroupsFrame::FrameRegionRender() {
  TPelWebParPaneWithTreesFrame::FrameRegionRender();
  const int FW = FrameRegion->Width;
  const int SideH = std::max(FrameRegion->Height - kInfoHeight - kGap, 0);
  const int Side = AvailableRegion->Width;
  for (TWebRegion* R : {AvailableRegion, SelectedRegion}) R->Height = SideH;
  const int InnerH = std::max(SideH - AvailableRegionInner->Top, 0);
  SelectedRegionInner->Height = InnerH;
  AvailableRegionInner->Height = std::max(InnerH - kResponseListHeight - kGap, 0);
  ResponseList->SetPosition(0, SideH - kResponseListHeight);
  ResponseList->SetSize(Side, kResponseListHeight);
  InfoRegion->SetPosition(0, SideH + kGap);
  InfoRegion->SetSize(FW, kInfoHeight);
}

}  // namespace quin
