#include "web/repwindow.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "analysis/pelgroup.h"
#include "analysis/pelpargroups.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "desktop/orvform.h"
#include "platform/websession.h"
#include "reports/pelchart.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "reports/pelwiz.h"
#include "web/choicepages.h"
#include "web/controller.h"
#include "web/exportpage.h"
#include "web/parstepform.h"
#include "web/pelwebsurvey.h"
#include "web/reppanes.h"
#include "web/repparform.h"
#include "web/session.h"
#include "web/surveyinfo.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_CLASS(TPelWebParComboBox, TWebComboBox)
QUIN_IMPLEMENT_CLASS(TPelWebParButton, TWebButton)
QUIN_IMPLEMENT_CLASS(TPelWebRepWindowForm, TPelWebIWForm)

TPelWebRepWindowHooks& PelWebRepWindowHooks() {
  static TPelWebRepWindowHooks Hooks;
  return Hooks;
}

namespace {

// Layout of the layer selectors.
constexpr int kLayersWidth = 200;
constexpr int kComboHeight = 21;

const TOrvLangManager& SurveyLM(TPelRepElem* Elem) {
  const TOrvLangManager* L = Elem ? SurveyLangManager(Elem->Survey) : nullptr;
  return L ? *L : CurrentLangManager();
}

void ForEachAnalysis(TPelRep& Report, const std::function<void(TPelRepElemAnalysis&)>& Fn) {
  TPelRepElem* Root = Report.Root();
  for (int I = 0; I < Root->ChildCount(); ++I)
    if (auto* A = As<TPelRepElemAnalysis>(Root->Child(I))) Fn(*A);
}

// Par leaves an axis list (every occurrence).
void RemoveFrom(TPelParList& L, TPelPar* Par) {
  while (L.Remove(Par) >= 0) {
  }
}

// A name from the session's listing: no folder part.
bool IsPlainName(const std::string& Name) {
  return !Name.empty() && Name != "." && Name != ".." &&
         Name.find_first_of("/\\") == std::string::npos && Name.find('\0') == std::string::npos;
}

}  // namespace

void MarkAllForRecalc(TPelRep& Report) {
  ForEachAnalysis(Report, [](TPelRepElemAnalysis& A) { A.NeedsRecalc = true; });
}

// --- creation ---

TPelWebRepWindowForm::TPelWebRepWindowForm(std::string AFileName, std::unique_ptr<TPelRep> AReport)
    : FileName(std::move(AFileName)), FromWizard(false), Report(std::move(AReport)) {
  ElemPanes = std::make_unique<TPelWebRepElemList>();
}

TPelWebRepWindowForm::TPelWebRepWindowForm() : FromWizard(true) {
  ElemPanes = std::make_unique<TPelWebRepElemList>();
}

// Freeing the report and the panes raises nothing; the lookups below cannot fail.
TPelWebRepWindowForm::~TPelWebRepWindowForm() {  // NOLINT(bugprone-exception-escape): see above
  FreeReport();
  // The session forgets a window that goes (not only at logout).
  if (TWebSession* S = Session())
    if (auto* M = As<THobSessionModule>(S->Data()))
      if (M->ReportWindow == this) M->ReportWindow = nullptr;
}

THobSessionModule& TPelWebRepWindowForm::Module() const {
  THobSessionModule* M = Session() ? As<THobSessionModule>(Session()->Data()) : nullptr;
  if (!M) throw Exception("The report window belongs to no session.");
  return *M;
}

void TPelWebRepWindowForm::FreeReport() {
  // The panes belong to the page's controls; they are left to it.
  if (ElemPanes)
    for (int I = 0; I < ElemPanes->Count(); ++I) ElemPanes->GetItem(I)->Pane = nullptr;
  ElemPanes.reset();
  CurrentElem = nullptr;
  Analysis = nullptr;
  Table = nullptr;
  ParFile.reset();
  Report.reset();
}

void TPelWebRepWindowForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  // The element list with its previous and next buttons above; the layer selectors beside
  // the element shown.
  SubItemRegion = Add<TWebRegion>("SubItemRegion");
  SubItemRegion->Css = "subitemregion";
  SubItemSelPrevButton = SubItemRegion->Add<TWebButton>("SubItemSelPrevButton");
  SubItemSelPrevButton->Caption = "<";
  SubItemSelPrevButton->OnClick = [this](TWebControl&) { SubItemSelPrevButtonClick(); };
  SubItemComboBox = SubItemRegion->Add<TWebComboBox>("SubItemComboBox");
  SubItemComboBox->Css = "main";
  SubItemComboBox->OnChange = [this](TWebControl&) { SubItemComboBoxChange(); };
  SubItemSelNextButton = SubItemRegion->Add<TWebButton>("SubItemSelNextButton");
  SubItemSelNextButton->Caption = ">";
  SubItemSelNextButton->OnClick = [this](TWebControl&) { SubItemSelNextButtonClick(); };
  RepBodyRegion = Add<TWebRegion>("RepBodyRegion");
  RepBodyRegion->Css = "repbody";
  LayersRegion = RepBodyRegion->Add<TWebRegion>("LayersRegion");
  LayersRegion->Css = "layersregion";
  LayersRegion->SetSize(kLayersWidth, 0);
  LayersText = LayersRegion->Add<TWebLabel>("LayersText");
  LayersText->Css = "main";
  RepElemRegion = RepBodyRegion->Add<TWebRegion>("RepElemRegion");
  RepElemRegion->Css = "repelemregion";
  InfoLabel = Add<TWebLabel>("InfoLabel");
  InfoLabel->Css = "parheader";
  // The caption heads the comments of the print page.
  InfoLabel->Visible = false;

  SurveyMenu = MainMenu->Add("SurveyMenu", "");
  SurveyOpenMenu = SurveyMenu->Add("SurveyOpenMenu", "");
  SurveyOpenMenu->OnClick = [this](TWebMenuItem&) { SurveyOpenMenuClick(); };
  SurveyInfoMenu = SurveyMenu->Add("SurveyInfoMenu", "");
  SurveyInfoMenu->OnClick = [this](TWebMenuItem&) { SurveyInfoMenuClick(); };
  SurveyCloseMenu = SurveyMenu->Add("SurveyCloseMenu", "");
  SurveyCloseMenu->OnClick = [this](TWebMenuItem&) { SurveyCloseMenuClick(); };
  RepMenu = MainMenu->Add("RepMenu", "");
  RepNewMenu = RepMenu->Add("RepNewMenu", "");
  RepNewMenu->OnClick = [this](TWebMenuItem&) { RepNewMenuClick(); };
  RepOpenMenu = RepMenu->Add("RepOpenMenu", "");
  RepOpenMenu->OnClick = [this](TWebMenuItem&) { RepOpenMenuClick(); };
  RepPrintMenu = RepMenu->Add("RepPrintMenu", "");
  RepPrintMenu->OnClick = [this](TWebMenuItem&) { PrintCurrent(); };
  RepExportMenu = RepMenu->Add("RepExportMenu", "");
  RepExportMenu->OnClick = [this](TWebMenuItem&) { RepExportMenuClick(); };
  RepCloseMenu = RepMenu->Add("RepCloseMenu", "");
  RepCloseMenu->OnClick = [this](TWebMenuItem&) { RepCloseMenuClick(); };
  ParMenu = MainMenu->Add("ParMenu", "");
  ParAllMenu = ParMenu->Add("ParAllMenu", "");
  ParAllMenu->OnClick = [this](TWebMenuItem&) { ParAllMenuClick(); };
}

void TPelWebRepWindowForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  SurveyMenu->Caption = Tr("<PLK>Badanie<ENU>Survey");
  SurveyOpenMenu->Caption = Tr("<PLK>Otwórz...<ENU>Open...");
  SurveyCloseMenu->Caption =
      FormatConfirmMenuHtml(Tr("<PLK>Zamknij<ENU>Close"),
                            Tr("<PLK>Zamknąć aktualne badanie?<ENU>Close the current survey?"));
  SurveyInfoMenu->Caption = Tr("<PLK>Informacje...<ENU>Information...");
  RepMenu->Caption = Tr("<PLK>Raport<ENU>Report");
  RepNewMenu->Caption = Tr("<PLK>Nowy...<ENU>New...");
  RepOpenMenu->Caption = Tr("<PLK>Otwórz...<ENU>Open...");
  RepPrintMenu->Caption = Tr("<PLK>Drukuj/kopiuj...<ENU>Print/copy...");
  RepExportMenu->Caption = Tr("<PLK>Eksportuj...<ENU>Export...");
  RepCloseMenu->Caption =
      FormatConfirmMenuHtml(Tr("<PLK>Zamknij<ENU>Close"),
                            Tr("<PLK>Zamknąć aktualny raport?<ENU>Close the current report?"));
  ParMenu->Caption = Tr("<PLK>Parametry<ENU>Parameters");
  ParAllMenu->Caption = Tr("<PLK>Edytuj wszystkie...<ENU>Edit all...");
  InfoLabel->Caption = Tr("<PLK>Uwagi<ENU>Comments");
  LayersText->Visible = false;
}

std::string TPelWebRepWindowForm::GetSubtitle() const {
  if (Report && !Report->Title.empty())
    return HtmlEscape(SurveyLangManager(Report->Survey)
                          ? SurveyLangManager(Report->Survey)->TranslateText(Report->Title)
                          : Report->Title);
  if (!FileName.empty()) {
    std::string Name = TextAfterLast(FileName, "/");
    if (Name.empty()) Name = FileName;
    size_t Dot = Name.rfind('.');
    if (Dot != std::string::npos && Dot > 0) Name.erase(Dot);
    return HtmlEscape(Name);
  }
  return Tr("<PLK>Analiza<ENU>Analysis");
}

void TPelWebRepWindowForm::IWAppFormCreate() {
  TPelWebIWForm::IWAppFormCreate();
  THobSessionModule& M = Module();
  if (FromWizard) {
    auto* Survey = As<TPelSurvey>(M.Survey.get());
    if (!Survey) throw Exception("No survey is open.");
    const auto& Fill = Need(PelWebRepWindowHooks().FillFromWizard, "The analysis templates");
    Report = std::make_unique<TPelRep>(Survey);
    TPelRepElemAnalysis* A = static_cast<TPelRepElemAnalysis*>(
        Report->Root()->AddChild(New<TPelRepElemAnalysis>(Report->Root(), Survey)));
    Analysis = A;
    Fill(M, *A);
    Table = A->ChildCount() > 0 ? As<TPelRepElemTable>(A->Child(0)) : nullptr;
  } else {
    if (!Report) throw Exception("The report window has no report.");
    const std::string Zop =
        M.GetReportsFolder() + fs::path(FileName).replace_extension(".zop").string();
    std::error_code Ec;
    if (IsPlainName(FileName) && fs::is_regular_file(Zop, Ec)) {
      ParFile = std::make_unique<TPelRWObjectFile>(Report->Survey, 0);
      ParFile->LoadFromFile(Zop);
      MarkAllForRecalc(*Report);
    }
  }
  M.SetReportWindow(this);
  if (FromWizard) {
    if (Table) RecalcCurrent();
  } else if (!ParFile) {
    MarkAllForRecalc(*Report);
  }
  FillElementList();
  SelectFirstTable();
  BuildParMenu();
  BuildLayerControls();
  SurveyOpenMenu->Visible = M.HasSeveralSurveys();
  SurveyCloseMenu->Visible = M.HasSeveralSurveys();
  ParAllMenu->Visible = ParFile != nullptr;
  RepNewMenu->Visible = M.AllowsNewAnalyses();
  RepOpenMenu->Visible = M.CanOpenReport();
  RepCloseMenu->Visible = M.CanCloseReport();
  SubtitleLabel->Caption = GetSubtitle();
}

void TPelWebRepWindowForm::RefreshTexts() {
  TPelWebIWForm::RefreshTexts();
  SubtitleLabel->Caption = GetSubtitle();
  BuildParMenu();
  for (TWebListItem& It : SubItemComboBox->Items)
    It.Text = ElementCaption(static_cast<TPelRepElem*>(It.Object));
  for (TPelWebParComboBox* C : LayerCombos) C->RefreshCombo(Table);
  for (TPelWebParButton* B : ParButtons) B->Caption = HtmlEscape(B->Par->GetName());
  if (ParamButton) ParamButton->Caption = Tr("<PLK>Parametry<ENU>Parameters");
  LayersText->Visible = false;
  if (TPelWebRepPaneFrame* P = CurrentPane()) P->LanguageChanged();
}

void TPelWebRepWindowForm::IWAppFormRender() {
  TPelWebIWForm::IWAppFormRender();
  const int I = SubItemComboBox->ItemIndex();
  SubItemSelPrevButton->Enabled = I > 0;
  SubItemSelNextButton->Enabled = I >= 0 && I < SubItemComboBox->Count() - 1;
  if (TPelWebRepPaneFrame* P = CurrentPane()) P->BeforeRender();
}

// --- elements ---

std::string TPelWebRepWindowForm::ElementCaption(TPelRepElem* Elem) {
  const TOrvLangManager& L = SurveyLM(Elem);
  std::vector<std::string> Parts;
  for (TPelRepElem* E = Elem; E && E->ParentElem(); E = E->ParentElem())
    Parts.push_back(L.TranslateText(E->GetCaption()));
  std::string S;
  for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) S += (S.empty() ? "" : " - ") + *It;
  return S;
}

void TPelWebRepWindowForm::AddElementEntries(TPelRepElem* Elem) {
  if (!Elem->Is<TPelRepElemAnalysis>()) SubItemComboBox->AddItem(ElementCaption(Elem), Elem);
  for (int I = 0; I < Elem->ChildCount(); ++I) AddElementEntries(Elem->Child(I));
}

void TPelWebRepWindowForm::FillElementList() {
  SubItemComboBox->Clear();
  TPelRepElem* Root = Report->Root();
  for (int I = 0; I < Root->ChildCount(); ++I) AddElementEntries(Root->Child(I));
  if (SubItemComboBox->Count() > 0) SubItemComboBox->SetItemIndex(0);
}

void TPelWebRepWindowForm::SelectFirstTable() {
  for (int I = 0; I < SubItemComboBox->Count(); ++I) {
    auto* E = static_cast<TPelRepElem*>(SubItemComboBox->Items[I].Object);
    if (E && E->Is<TPelRepElemTable>()) {
      SubItemComboBox->SetItemIndex(I);
      SubItemComboBoxChange();
      return;
    }
  }
}

TPelWebRepPaneFrame* TPelWebRepWindowForm::CurrentPane() const {
  TPelWebRepElem* E = ElemPanes && CurrentElem ? ElemPanes->Find(CurrentElem) : nullptr;
  return E ? E->Pane : nullptr;
}

void TPelWebRepWindowForm::SubItemComboBoxChange() {
  const int I = SubItemComboBox->ItemIndex();
  auto* E = I >= 0 ? static_cast<TPelRepElem*>(SubItemComboBox->Items[I].Object) : nullptr;
  if (E && E->Is<TPelRepElemAnalysis>()) {
    for (int K = 0; K < SubItemComboBox->Count(); ++K)
      if (SubItemComboBox->Items[K].Object == CurrentElem) SubItemComboBox->SetItemIndex(K);
    return;
  }
  if (TPelWebRepPaneFrame* P = CurrentPane()) P->Visible = false;
  if (!E) return;
  TPelRepElemTable* OldTable = Table;
  CurrentElem = E;
  Analysis = FindEnclosingAnalysis(E);
  Table = FindEnclosingTable(E);
  ShowElement(CurrentElem);
  // The layer selectors belong to the table shown.
  if (Table != OldTable && LayersRegion) BuildLayerControls();
}

void TPelWebRepWindowForm::SubItemSelNextButtonClick() {
  const int I = SubItemComboBox->ItemIndex();
  if (I + 1 >= SubItemComboBox->Count()) return;
  SubItemComboBox->SetItemIndex(I + 1);
  SubItemComboBoxChange();
}

void TPelWebRepWindowForm::SubItemSelPrevButtonClick() {
  const int I = SubItemComboBox->ItemIndex();
  if (I <= 0) return;
  SubItemComboBox->SetItemIndex(I - 1);
  SubItemComboBoxChange();
}

bool TPelWebRepWindowForm::SavedParMatchesAnalysisPar(TPelPar* Saved, TPelPar* Par) {
  if (!Saved || !Par || !Par->Is<TPelParMulti>() || !Par->IsExactly(Saved->ClassType()))
    return false;
  if (auto* W = As<TPelParWaves>(Par)) {
    for (int I = 0; I < W->SubParCount(); ++I) {
      auto* S = As<TPelSubParWaves>(W->SubPar(I));
      if (!S || S->Mode != TPelSubParWaves::wmSelected || S->ElemCount() != 1) return false;
    }
    return true;
  }
  if (Par->Is<TPelParGroups>()) {
    auto FirstCondition = [](TPelPar* P) -> TPelGroupVar* {
      auto* M = static_cast<TPelParMulti*>(P);
      for (int I = 0; I < M->SubParCount(); ++I) {
        auto* G = As<TPelGroup>(M->SubPar(I));
        if (!G || !G->Root) continue;
        return G->Root->ChildCount() > 0 ? As<TPelGroupVar>(G->Root->Child(0)) : nullptr;
      }
      return nullptr;
    };
    TPelGroupVar* C1 = FirstCondition(Saved);
    TPelGroupVar* C2 = FirstCondition(Par);
    return C1 && C2 && C1->Question && C1->Question == C2->Question;
  }
  return false;
}

void TPelWebRepWindowForm::ApplySavedPars() {
  if (!ParFile || !Analysis) return;
  for (int I = 0; I < ParFile->Elems.Count(); ++I) {
    auto* Saved = As<TPelPar>(ParFile->Elems.GetItem(I)->Obj.get());
    if (!Saved) continue;
    TPelParList& L = *Analysis->Parameters;
    for (int K = 0; K < L.Count(); ++K) {
      TPelPar* P = L.GetItem(K);
      if (!SavedParMatchesAnalysisPar(Saved, P)) continue;
      auto* M = static_cast<TPelParMulti*>(P);
      std::vector<TGUID> Ids;
      for (int S = 0; S < M->SubParCount(); ++S) Ids.push_back(M->SubPar(S)->GUID);
      M->Assign(*Saved);
      // Tables and charts address the sub-parameters by GUID: those of the analysis stay.
      const int N = std::min(static_cast<int>(Ids.size()), M->SubParCount());
      for (int S = 0; S < N; ++S) M->SubPar(S)->GUID = Ids[S];
    }
  }
}

void TPelWebRepWindowForm::ShowElement(TPelRepElem* Elem) {
  RepElemRegion->Visible = false;
  struct TShowAgain {
    TWebRegion* R;
    ~TShowAgain() { R->Visible = true; }
  } ShowAgain{RepElemRegion};
  TPelRepElemAnalysis* A = FindEnclosingAnalysis(Elem);
  if (A && A->NeedsRecalc) {
    for (int I = 0; I < ElemPanes->Count(); ++I) ElemPanes->GetItem(I)->FreePane();
    ApplySavedPars();
    A->CheckCalculable();
    for (int I = 0; I < A->ChildCount(); ++I)
      if (auto* T = As<TPelRepElemTable>(A->Child(I))) T->Calculate();
    A->NeedsRecalc = false;
  }
  TPelWebRepElem* E = ElemPanes->FindOrAdd(Elem);
  if (E->Pane)
    E->Pane->Visible = true;
  else
    E->CreatePane(*this, *RepElemRegion);
  LayersText->Visible = false;
}

void TPelWebRepWindowForm::RefreshCurrent() {
  if (CurrentElem) ShowElement(CurrentElem);
}

void TPelWebRepWindowForm::RecalcCurrent() {
  if (!Table) return;
  if (TPelRepElemAnalysis* A = Table->Analysis()) A->CheckCalculable();
  Table->Calculate();
  TPelWebRepElem* E = ElemPanes->FindOrAdd(Table);
  if (E->Pane)
    E->RefreshPane();
  else
    E->CreatePane(*this, *RepElemRegion);
  // The pane of the table's chart, when one is shown, draws itself when the page renders.
  if (TPelWebRepElem* Cur = CurrentElem ? ElemPanes->Find(CurrentElem) : nullptr)
    if (Cur != E) {
      Cur->RefreshPane();
      E->Pane->Visible = false;
    }
}

void TPelWebRepWindowForm::RefreshAfterEdit() {
  RecalcCurrent();
  BuildParMenu();
  BuildLayerControls();
}

// --- layers ---

void TPelWebParComboBox::RefreshCombo(TPelRepElemTable* Table) {
  const int Index = ItemIndex();
  Clear();
  if (!Par) return;
  for (const std::string& L : Par->GetAllLabels()) AddItem(L);
  if (Label) Label->Caption = HtmlEscape(Par->GetName());
  int Sel = Index >= 0 ? Index : (Table ? Table->ParSelections->GetSelected(Par) : 0);
  if (Sel >= 0 && Sel < Count()) SetItemIndex(Sel);
}

void TPelWebRepWindowForm::FreeLayerControls() {
  for (TPelWebParComboBox* C : LayerCombos) {
    if (C->Label) LayersRegion->Delete(C->Label);
    LayersRegion->Delete(C);
  }
  LayerCombos.clear();
  for (TPelWebParButton* B : ParButtons) LayersRegion->Delete(B);
  ParButtons.clear();
  if (ParamButton) LayersRegion->Delete(ParamButton);
  ParamButton = nullptr;
}

void TPelWebRepWindowForm::BuildLayerControls() {
  FreeLayerControls();
  const int W = LayersRegion->Width;
  LayersRegion->Height = 0;
  if (FromWizard || !ParFile) {
    const int Count = Table ? Table->LayerParams->Count() : 0;
    LayersRegion->Visible = Count > 0;
    for (int A = 0; A < Count; ++A) {
      TPelPar* P = Table->LayerParams->GetItem(A);
      if (!P || P->NotDimension) continue;
      const int Top = A * (kComboHeight + 16) + 16;
      auto* L = LayersRegion->Add<TWebLabel>("LayerLabel" + IntToStr(A));
      L->Css = "parheader";
      L->Positioned = true;
      L->SetPosition(2, Top - 14);
      L->SetSize(W - 2, 14);
      auto* C = LayersRegion->Add<TPelWebParComboBox>("LayerCombo" + IntToStr(A), P);
      C->Css = "main";
      C->Positioned = true;
      C->SetPosition(2, Top);
      C->SetSize(W - 2, kComboHeight);
      C->Label = L;
      C->RefreshCombo(Table);
      C->SetItemIndex(std::min(Table->ParSelections->GetSelected(P), C->Count() - 1));
      C->OnChange = [this, C](TWebControl&) { LayerChanged(*C); };
      LayerCombos.push_back(C);
      LayersRegion->Height = Top + kComboHeight + 4;
    }
    return;
  }
  LayersRegion->Visible = true;
  const int BW = W * 3 / 4;
  ParamButton = LayersRegion->Add<TWebButton>("ParamButton");
  ParamButton->Positioned = true;
  ParamButton->SetPosition(W - BW, 4);
  ParamButton->SetSize(BW, 20);
  ParamButton->Caption = Tr("<PLK>Parametry<ENU>Parameters");
  ParamButton->OnClick = [this](TWebControl&) { ParAllMenuClick(); };
  LayersRegion->Height = 28;
  for (int I = 0; I < ParFile->Elems.Count(); ++I) {
    auto* P = As<TPelPar>(ParFile->Elems.GetItem(I)->Obj.get());
    if (!P) continue;
    auto* B = LayersRegion->Add<TPelWebParButton>("ParButton" + IntToStr(I), P);
    B->Positioned = true;
    B->SetPosition(W - BW, (I + 1) * 24 + 12);
    B->SetSize(BW, 20);
    B->Caption = HtmlEscape(P->GetName());
    B->Tag = I;
    B->OnClick = [this, P](TWebControl&) { ParMenuItemClick(P); };
    ParButtons.push_back(B);
    LayersRegion->Height = B->Top + 24;
  }
}

void TPelWebRepWindowForm::LayerChanged(TPelWebParComboBox& Combo) {
  if (!Table || !Combo.Par) return;
  Table->ParSelections->SetSelected(Combo.Par, Combo.ItemIndex());
  RecalcCurrent();
}

// --- parameter menu ---

void TPelWebRepWindowForm::AddParMenuItem(TWebMenuItem& Parent, TPelPar* Par,
                                          std::vector<const ClassInfo*>* Classes) {
  const ClassInfo& Class = Par->ClassType();
  auto Item = [this](TWebMenuItem& Under, TPelPar* P) {
    CreateMenuItem(Under, HtmlEscape(P->GetShortCaption()), P, nullptr, {}, {},
                   [this, P](TWebMenuItem&) { ParMenuItemClick(P); });
  };
  if (!Classes) return Item(Parent, Par);
  if (std::find(Classes->begin(), Classes->end(), &Class) != Classes->end()) return;
  TPelParList& L = *Analysis->Parameters;
  if (L.CountByClass(Class, true) == 1) return Item(Parent, Par);
  Classes->push_back(&Class);
  TWebMenuItem* Sub =
      CreateMenuItem(Parent, HtmlEscape(Par->GetDefaultName()), nullptr, nullptr, {}, {}, {});
  Sub->Tag = -1;
  for (int I = std::max(L.IndexOf(Par), 0); I < L.Count(); ++I)
    if (L.GetItem(I)->IsExactly(Class)) Item(*Sub, L.GetItem(I));
}

void TPelWebRepWindowForm::BuildParMenu() {
  if (EditMenuItem) {
    auto& Items = const_cast<std::vector<std::unique_ptr<TWebMenuItem>>&>(ParMenu->Items());
    std::erase_if(Items, [this](const auto& P) { return P.get() == EditMenuItem; });
    EditMenuItem = nullptr;
  }
  auto Edit = [this]() -> TWebMenuItem& {
    if (!EditMenuItem) {
      EditMenuItem =
          CreateMenuItem(*ParMenu, Tr("<PLK>Edytuj...<ENU>Edit..."), nullptr, nullptr, {}, {}, {});
      EditMenuItem->Tag = -1;
    }
    return *EditMenuItem;
  };
  if (FromWizard || !ParFile) {
    if (!Analysis) return;
    std::vector<const ClassInfo*> Classes;
    TPelParList& L = *Analysis->Parameters;
    for (int I = 0; I < L.Count(); ++I) {
      TPelPar* P = L.GetItem(I);
      if (P->IsEditable() && P->IsAvailableInMode(1)) AddParMenuItem(Edit(), P, &Classes);
    }
    return;
  }
  for (int I = 0; I < ParFile->Elems.Count(); ++I)
    if (auto* P = As<TPelPar>(ParFile->Elems.GetItem(I)->Obj.get()))
      AddParMenuItem(Edit(), P, nullptr);
}

void TPelWebRepWindowForm::ParMenuItemClick(TPelPar* Par) {
  THobSessionModule& M = Module();
  if (FromWizard || !ParFile) {
    ShowParForm(M, Par, true);
    return;
  }
  Session()->CreateForm<TPelWebRepParForm>(Par, this, ParFile.get(), Report.get())->Show();
}

void TPelWebRepWindowForm::ParAllMenuClick() {
  if (!ParFile) return;
  Session()->CreateForm<TPelWebRepParForm>(nullptr, this, ParFile.get(), Report.get())->Show();
}

// --- printing ---

void TPelWebRepWindowForm::PrintCurrent() {
  TPelWebRepPaneFrame* P = CurrentPane();
  if (!P) return;
  std::vector<std::string> Lines = ExtraHeader;
  Lines.insert(Lines.begin(), std::string("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                                          "charset=") +
                                  WebCharSet + "\">");
  Lines.emplace_back("<style type=\"text/css\">");
  Lines.emplace_back(".main { font-family: arial, helvetica; font-size: 11px; color: #666666; }");
  Lines.emplace_back("</style>");
  // A chart draws its image anew for the print.
  P->BeforeRender();
  P->PrintHtml(Lines);
  Lines.emplace_back("<p class = main>");
  Lines.emplace_back("<br>");
  Lines.push_back("<b>" + InfoLabel->Caption + "</b>");
  Lines.emplace_back("<br>");
  Lines.emplace_back("<br>");
  Lines.push_back(P->InfoText->Text);
  const std::string Folder = SessionFilesFolder("TMPReports");
  std::error_code Ec;
  fs::create_directories(Folder, Ec);
  const std::string File = Folder + "/report.html";
  const std::string Temp = File + ".tmp";
  {
    std::ofstream Out(Temp, std::ios::binary | std::ios::trunc);
    for (const std::string& L : Lines) Out << L << "\r\n";
    Out.close();
    if (!Out) throw EFOpenError(File, errno);
  }
  fs::rename(Temp, File, Ec);
  if (Ec) throw EFOpenError(File, Ec.value());
  // Under a name of its own, uncached: the print window's address hands over no session.
  Session()->OpenNewWindow(Session()->PublishFile(File, true));
}

// --- other menu items ---

void TPelWebRepWindowForm::SurveyOpenMenuClick() {
  const auto& Page = Need(SessionSurveyHooks().OpenSurveyPageClass, "The open-survey page");
  if (const ClassInfo* C = Page()) ShowFormOver(*C);
}

void TPelWebRepWindowForm::SurveyInfoMenuClick() {
  Need(PelWebRepWindowHooks().ShowSurveyInfo, "The survey information")(Module());
}

void TPelWebRepWindowForm::SurveyCloseMenuClick() {
  THobSessionModule& M = Module();
  const auto& Page = Need(SessionSurveyHooks().OpenSurveyPageClass, "The open-survey page");
  // The report points into the survey: it goes first.
  FreeReport();
  M.ReportWindow = nullptr;
  M.CloseSurvey();
  if (const ClassInfo* C = Page()) ReplaceCurrentForm(*C);
}

void TPelWebRepWindowForm::RepNewMenuClick() {
  const auto& Page = Need(PelWebRepWindowHooks().TemplatePageClass, "The template page");
  if (const ClassInfo* C = Page()) ShowFormOver(*C);
}

void TPelWebRepWindowForm::RepOpenMenuClick() {
  const auto& Page = Need(PelWebRepWindowHooks().OpenReportPageClass, "The open-report page");
  if (const ClassInfo* C = Page()) ShowFormOver(*C);
}

void TPelWebRepWindowForm::RepExportMenuClick() {
  if (!Report) return;
  Need(PelWebRepWindowHooks().ShowExportPage, "The export")(*this, *Report, CurrentElem);
}

void TPelWebRepWindowForm::RepCloseMenuClick() {
  THobSessionModule& M = Module();
  const TPelWebRepWindowHooks& H = PelWebRepWindowHooks();
  const bool Reports = !FileName.empty() || M.HasReports();
  const auto& Page = Reports ? Need(H.OpenReportPageClass, "The open-report page")
                             : Need(H.TemplatePageClass, "The template page");
  M.ReportWindow = nullptr;
  if (const ClassInfo* C = Page()) ReplaceCurrentForm(*C);
}

// --- opening ---

TPelWebRepWindowForm* CreateSavedReportWindow(THobSessionModule& M, const std::string& FileName) {
  TWebSession* S = M.Session();
  if (!S) throw Exception("No session is bound to this request.");
  // The open-report page may have read it already; otherwise it is read here.
  if (!As<TPelRep>(M.Report.get()) && !M.OpenReport(FileName)) return nullptr;
  std::unique_ptr<TPelRep> Report(As<TPelRep>(M.Report.get()));
  if (!Report) throw Exception("The report is not a report document.");
  (void)M.Report.release();
  return S->CreateForm<TPelWebRepWindowForm>(FileName, std::move(Report));
}

bool ShowSavedReportWindow(THobSessionModule& M, const std::string& FileName) {
  TPelWebRepWindowForm* W = CreateSavedReportWindow(M, FileName);
  if (!W) return false;
  M.Session()->ReplaceActiveForm(W);
  return true;
}

bool OpenNewAnalysisWindow(THobSessionModule& M) {
  TWebSession* S = M.Session();
  if (!S) throw Exception("No session is bound to this request.");
  M.CloseReportWindow();
  try {
    auto* W = S->CreateForm<TPelWebRepWindowForm>();
    S->ReplaceActiveForm(W);
    return true;
  } catch (const std::exception& E) {
    LogCaught(TLogLevel::Warning, "the analysis window cannot be opened");
    S->Alert(CurrentLangManager().TranslateText(E.what()));
    return false;
  }
}

void RegisterReportWindow() {
  for (const ClassInfo* C :
       {&TPelWebRepWindowForm::StaticClass(), &TPelWebParComboBox::StaticClass(),
        &TPelWebParButton::StaticClass(), &TPelWebRepParForm::StaticClass(),
        &TPelWebPivotDimFrame::StaticClass(), &TPelWebRepPaneFrame::StaticClass(),
        &TPelWebRepPaneAnalysisGenFrame::StaticClass(), &TPelWebRepPaneLayersFrame::StaticClass(),
        &TPelWebRepPaneAnalysisFrame::StaticClass(), &TPelWebRepPaneTableFrame::StaticClass(),
        &TPelWebRepPaneChartFrame::StaticClass(), &TPelWebRepElem::StaticClass(),
        &TPelWebRepElemList::StaticClass()})
    ClassRegistry::Register(*C);
  // The choice pages lead here, and the window back to them.
  PelWebChoiceHooks().OpenSavedReportWindow = ShowSavedReportWindow;
  TPelWebRepWindowHooks& W = PelWebRepWindowHooks();
  W.TemplatePageClass = [] { return &TPelWebWizForm::StaticClass(); };
  W.OpenReportPageClass = [] { return &TPelWebOpenReportForm::StaticClass(); };
  W.ShowSurveyInfo = [](THobSessionModule& M) {
    auto* Survey = As<TPelWebSurvey>(M.Survey.get());
    if (!Survey || !M.Session()) throw Exception("No survey is open.");
    M.Session()->CreateForm<TPelWebSurveyInfoForm>(nullptr, Survey)->Show();
  };
  // A new analysis takes the template the session chose among those its survey offers.
  W.FillFromWizard = [](THobSessionModule& M, TPelRepElemAnalysis& A) {
    auto* Survey = As<TPelSurvey>(M.Survey.get());
    TPelWizList* L = Survey ? PelWizList(*Survey) : nullptr;
    if (!L || M.WizardIndex < 0 || M.WizardIndex >= L->Count())
      throw Exception("No analysis template is chosen.");
    A.FillFromWiz(*L->GetItem(M.WizardIndex));
  };
  // Export... of the Report menu opens the export page with the current element chosen.
  W.ShowExportPage = [](TPelWebRepWindowForm&, TPelRep& Report, TPelRepElem* Preselected) {
    ShowExportPage(Preselected, Report);
  };
  TPelWebStepHooks& H = PelWebStepHooks();
  H.OpenReportWindow = OpenNewAnalysisWindow;
  H.RefreshAfterEdit = [](THobSessionModule& M) {
    if (auto* W = As<TPelWebRepWindowForm>(M.ReportWindow)) W->RefreshAfterEdit();
  };
  H.RemoveParFromTables = [](THobSessionModule& M, TPelPar& Par) {
    auto* W = As<TPelWebRepWindowForm>(M.ReportWindow);
    if (!W || !W->Report) return;
    const auto List = W->Report->Tree->CreateElemList();
    for (int I = 0; I < List->Count(); ++I) {
      auto* T = As<TPelRepElemTable>(List->GetItem(I));
      if (!T) continue;
      RemoveFrom(*T->ColParams, &Par);
      RemoveFrom(*T->RowParams, &Par);
      RemoveFrom(*T->LayerParams, &Par);
      std::erase_if(T->ParSelections->Pairs, [&Par](const auto& P) { return P.Par == &Par; });
    }
  };
  TSessionSurveyHooks& S = SessionSurveyHooks();
  if (!S.LoadReport)
    S.LoadReport = [](THobSessionModule& M, const std::string& Path) -> std::unique_ptr<TObject> {
      auto* Survey = As<TPelSurvey>(M.Survey.get());
      if (!Survey) throw Exception("No survey is open.");
      auto Report = std::make_unique<TPelRep>(Survey);
      TFileStream F(Path, fmOpenRead | fmShareDenyWrite);
      // The first error ends the reading.
      TOrvMsgList Msgs(0, 1);
      Report->LoadFromStream(F, &Msgs);
      return Report;
    };
}

}  // namespace quin
