#include "web/choicepages.h"

#include <algorithm>

#include "analysis/pelpar.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/html.h"
#include "platform/websession.h"
#include "reports/pelwiz.h"
#include "surveykit/gimweights.h"
#include "web/controller.h"
#include "web/parstepform.h"
#include "web/pelwebsurvey.h"
#include "web/session.h"
#include "web/surveyinfo.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelWebOpenSurveyForm, TPelWebIWForm)
QUIN_IMPLEMENT_CLASS(TPelWebOpenReportForm, TPelWebIWForm)
QUIN_IMPLEMENT_CLASS(TIWWizText, TWebText)
QUIN_IMPLEMENT_CLASS(TIWWizNameText, TIWWizText)
QUIN_IMPLEMENT_CLASS(TIWWizHintText, TIWWizText)
QUIN_IMPLEMENT_CLASS(TPelWebWizForm, TPelWebIWForm)

TPelWebChoiceHooks& PelWebChoiceHooks() {
  static TPelWebChoiceHooks Hooks;
  return Hooks;
}

namespace {

THobSessionModule* ModuleOf(const TWebForm& F) {
  return F.Session() ? As<THobSessionModule>(F.Session()->Data()) : nullptr;
}

// The session's open analysis survey; null when none.
TPelSurvey* OpenSurveyOf(THobSessionModule& M) { return As<TPelSurvey>(M.Survey.get()); }

// The templates the open survey offers; null when none is open.
TPelWizList* TemplatesOf(THobSessionModule& M) {
  TPelSurvey* S = OpenSurveyOf(M);
  return S ? PelWizList(*S) : nullptr;
}

TPelWiz* ChosenTemplate(THobSessionModule& M) {
  TPelWizList* L = TemplatesOf(M);
  if (!L || M.WizardIndex < 0 || M.WizardIndex >= L->Count()) return nullptr;
  return L->GetItem(M.WizardIndex);
}

// The entry chosen in List when it still names a file of Files (the list shows the session's
// own listing; a name is never taken from the request itself); empty when none.
std::string ChosenFile(const TWebListBox& List, const std::vector<std::string>& Files) {
  int I = List.ItemIndex();
  if (I < 0 || I >= List.Count()) return {};
  const std::string& Name = List.Items[I].Text;
  return std::find(Files.begin(), Files.end(), Name) != Files.end() ? Name : std::string();
}

void FillFileList(TWebListBox& List, const std::vector<std::string>& Files) {
  List.Clear();
  for (const std::string& F : Files) List.AddItem(F);
  if (List.Count() > 0) List.SetItemIndex(0);
}

std::string LogoutQuestion() {
  return Tr("<PLK>Czy na pewno chcesz się wylogować?<ENU>Are you sure you want to logout?");
}

// "Cancel" that goes back, or "Logout" that asks first.
void SetCancelCaption(TWebButton& B, bool Back) {
  B.Caption = Back ? Tr("<PLK>Anuluj<ENU>Cancel") : Tr("<PLK>Wyloguj<ENU>Logout");
  B.Confirmation = Back ? std::string() : LogoutQuestion();
}

}  // namespace

void ShowTemplatePage(THobSessionModule&) { ReplaceCurrentForm(TPelWebWizForm::StaticClass()); }

// --- open-survey page ---

void TPelWebOpenSurveyForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  AvailableSurveysRegion = Add<TWebRegion>("AvailableSurveysRegion");
  AvailableSurveysRegion->Css = "choiceregion";
  AvailableSurveysLabel = AvailableSurveysRegion->Add<TWebLabel>("AvailableSurveysLabel");
  AvailableSurveysLabel->Css = "main choicelabel";
  AvailableSurveysList = AvailableSurveysRegion->Add<TWebListBox>("AvailableSurveysList");
  AvailableSurveysList->Css = "main choicelist";
  AvailableSurveysList->Rows = 10;
  AvailableSurveysList->OnDblClick = [this](TWebControl&) { OpenButtonClick(); };
  AvailableSurveysList->OnEnter = [this](TWebControl&) { OpenButtonClick(); };
  ButtonRegion = Add<TWebRegion>("ButtonRegion");
  ButtonRegion->Css = "buttonrow choicebuttons";
  OpenButton = ButtonRegion->Add<TWebButton>("OpenButton");
  OpenButton->OnClick = [this](TWebControl&) { OpenButtonClick(); };
  InfoButton = ButtonRegion->Add<TWebButton>("InfoButton");
  InfoButton->OnClick = [this](TWebControl&) { InfoButtonClick(); };
  CancelButton = ButtonRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
  if (THobSessionModule* M = ModuleOf(*this)) FillFileList(*AvailableSurveysList, M->SurveyFiles);
}

void TPelWebOpenSurveyForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  AvailableSurveysLabel->Caption = Tr("<PLK>Dostępne badania:<ENU>Available surveys:");
  OpenButton->Caption = Tr("<PLK>Otwórz<ENU>Open");
  InfoButton->Caption = "Info";
  THobSessionModule* M = ModuleOf(*this);
  SetCancelCaption(*CancelButton, M && M->ReportWindow);
}

std::string TPelWebOpenSurveyForm::GetSubtitle() const {
  return Tr("<PLK>Otwórz badanie<ENU>Open survey");
}

void TPelWebOpenSurveyForm::OpenButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  std::string Name = ChosenFile(*AvailableSurveysList, M->SurveyFiles);
  if (Name.empty()) {
    Session()->Alert(Tr("<PLK>Nie wybrano żadnego badania.<ENU>No survey selected."));
    return;
  }
  M->OpenSurveyAndShow(Name, true);
}

void TPelWebOpenSurveyForm::CancelButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (M && M->ReportWindow)
    Release();
  else if (M)
    M->LogOff();
}

void TPelWebOpenSurveyForm::InfoButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  std::string Name = ChosenFile(*AvailableSurveysList, M->SurveyFiles);
  if (Name.empty()) return;
  std::unique_ptr<TPelWebSurvey> Survey = LoadInfoSurvey(*M, Name);
  Session()->CreateForm<TPelWebSurveyInfoForm>(std::move(Survey), nullptr)->Show();
}

// --- open-report page ---

void TPelWebOpenReportForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  AvailableReportsRegion = Add<TWebRegion>("AvailableReportsRegion");
  AvailableReportsRegion->Css = "choiceregion";
  AvailableReportsLabel = AvailableReportsRegion->Add<TWebLabel>("AvailableReportsLabel");
  AvailableReportsLabel->Css = "main choicelabel";
  AvailableReportsList = AvailableReportsRegion->Add<TWebListBox>("AvailableReportsList");
  AvailableReportsList->Css = "main choicelist";
  AvailableReportsList->Rows = 8;
  AvailableReportsList->OnDblClick = [this](TWebControl&) { OpenButtonClick(); };
  AvailableReportsList->OnEnter = [this](TWebControl&) { OpenButtonClick(); };
  TWebRegion* OpenRow = AvailableReportsRegion->Add<TWebRegion>("OpenRow");
  OpenRow->Css = "buttonrow";
  OpenButton = OpenRow->Add<TWebButton>("OpenButton");
  OpenButton->OnClick = [this](TWebControl&) { OpenButtonClick(); };
  NewAnalysisRegion = Add<TWebRegion>("NewAnalysisRegion");
  NewAnalysisRegion->Css = "choiceregion";
  NewAnalysisLabel = NewAnalysisRegion->Add<TWebLabel>("NewAnalysisLabel");
  NewAnalysisLabel->Css = "main choicelabel";
  TWebRegion* NewRow = NewAnalysisRegion->Add<TWebRegion>("NewRow");
  NewRow->Css = "buttonrow";
  NewAnalysisButton = NewRow->Add<TWebButton>("NewAnalysisButton");
  NewAnalysisButton->OnClick = [this](TWebControl&) { NewAnalysisButtonClick(); };
  ButtonRegion = Add<TWebRegion>("ButtonRegion");
  ButtonRegion->Css = "buttonrow choicebuttons";
  CancelButton = ButtonRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
  THobSessionModule* M = ModuleOf(*this);
  if (M) FillFileList(*AvailableReportsList, M->ReportFiles);
  NewAnalysisRegion->Visible = M && M->AllowsNewAnalyses();
}

void TPelWebOpenReportForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  AvailableReportsLabel->Caption = Tr("<PLK>Dostępne raporty:<ENU>Available reports:");
  OpenButton->Caption = Tr("<PLK>Otwórz<ENU>Open");
  THobSessionModule* M = ModuleOf(*this);
  SetCancelCaption(*CancelButton, M && (M->ReportWindow || M->HasSeveralSurveys()));
  NewAnalysisLabel->Caption =
      Tr("<PLK>W tym badaniu można definiować nowe analizy:<ENU>You can define new analyses for "
         "this survey:");
  NewAnalysisButton->Caption = Tr("<PLK>Nowa<ENU>New");
}

std::string TPelWebOpenReportForm::GetSubtitle() const {
  return Tr("<PLK>Otwórz raport<ENU>Open report");
}

void TPelWebOpenReportForm::OpenButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  std::string Name = ChosenFile(*AvailableReportsList, M->ReportFiles);
  if (Name.empty()) return;
  const auto& Open = Need(PelWebChoiceHooks().OpenSavedReportWindow, "The report window");
  if (!M->OpenReport(Name)) return;
  if (Open(*M, Name)) Release();
}

void TPelWebOpenReportForm::NewAnalysisButtonClick() {
  ReplaceCurrentForm(TPelWebWizForm::StaticClass());
}

void TPelWebOpenReportForm::CancelButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  if (M->ReportWindow)
    Release();
  else if (M->HasSeveralSurveys())
    ReplaceCurrentForm(TPelWebOpenSurveyForm::StaticClass());
  else
    M->LogOff();
}

// --- template texts ---

void TIWWizText::SetLines(const std::string& Lines) {
  Text = ReplaceText(HtmlEscape(ReplaceText(Lines, "\r\n", "\n")), "\n", "<br>");
}

void TIWWizNameText::RefreshText() {
  if (Wiz) SetLines(Wiz->GetTranslatedName());
}

void TIWWizHintText::RefreshText() {
  if (Wiz) SetLines(Wiz->GetDescription());
}

// --- template page ---

namespace {
constexpr int kWizRowHeight = 120;
}

void TPelWebWizForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  TableRegion = Add<TWebRegion>("TableRegion");
  TableRegion->Css = "wiztable";
  HeaderRegion = TableRegion->Add<TWebRegion>("HeaderRegion");
  HeaderRegion->Css = "wizheaderregion";
  HeaderText = HeaderRegion->Add<TWebText>("HeaderText");
  HeaderText->Css = "main";
  AnalysisRegion = TableRegion->Add<TWebRegion>("AnalysisRegion");
  AnalysisRegion->Css = "analysisregion";
  ButtonRegion = Add<TWebRegion>("ButtonRegion");
  ButtonRegion->Css = "buttonrow choicebuttons";
  CancelButton = ButtonRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
  BuildTemplateList();
}

void TPelWebWizForm::BuildTemplateList() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  if (auto* Web = As<TPelWebSurvey>(OpenSurveyOf(*M))) FSurveyLife = Web->LifeToken();
  TPelWizList* L = TemplatesOf(*M);
  const int Count = L ? L->Count() : 0;
  TZepServerController* C = GetZepServerController();
  const std::string Url = C ? C->GetFilesUrl() : "/Files/Quin/";
  for (int I = 0; I < Count; ++I) {
    TPelWiz* Wiz = L->GetItem(I);
    auto* Region = AnalysisRegion->Add<TWebRegion>("PelWebIWRegion" + IntToStr(I));
    Region->Css = "wizicon";
    Region->Positioned = true;
    Region->SetPosition(0, I * kWizRowHeight);
    Region->SetSize(100, 100);
    auto* Name = Region->Add<TIWWizNameText>("PelWebIWText" + IntToStr(I));
    Name->Css = "centered";
    Name->Wiz = Wiz;
    // Below the icon, room for three lines: the Polish names need them.
    Name->Positioned = true;
    Name->SetPosition(1, 60);
    Name->SetSize(98, 40);
    Name->RefreshText();
    auto* Image = Region->Add<TWebImageFile>("PelWebIWImage" + IntToStr(I));
    Image->Url = Url + "wiz" + IntToStr(Wiz->GetIconNumber()) + ".gif";
    Image->Positioned = true;
    Image->SetPosition(26, 10);
    Image->SetSize(48, 48);
    Image->Tag = I;
    Image->OnClick = [this](TWebControl& Sender) { ChooseTemplate(Sender); };

    auto* HintRegion = AnalysisRegion->Add<TWebRegion>("PelWebIWHRegion" + IntToStr(I));
    HintRegion->Css = "wizhint";
    HintRegion->Positioned = true;
    HintRegion->SetPosition(140, I * kWizRowHeight);
    // Wide enough for the longest descriptions to show whole (the region scrolls otherwise).
    HintRegion->SetSize(620, 100);
    auto* Hint = HintRegion->Add<TIWWizHintText>("PelWebIWHText" + IntToStr(I));
    Hint->Css = "main";
    Hint->Wiz = Wiz;
    Hint->RefreshText();
  }
  AnalysisRegion->SetSize(760, std::max(Count, 1) * kWizRowHeight);
}

bool TPelWebWizForm::IsCurrent() const {
  THobSessionModule* M = ModuleOf(*this);
  return !IsReleased() && M && M->Survey && !FSurveyLife.expired();
}

void TPelWebWizForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  THobSessionModule* M = ModuleOf(*this);
  const bool Back = M && (M->ReportWindow || M->HasReports() || M->HasSeveralSurveys());
  SetCancelCaption(*CancelButton, Back);
  HeaderText->Text =
      Tr("<PLK>Wybierz (przez klik na ikonie) jeden z typów analizy - najodpowiedniejszy do "
         "przeprowadzenia potrzebnych obliczeń:<ENU>Select (by clicking on the image) the "
         "analysis type that is most appropriate for the needed computations:");
  const std::string ImageHint = Tr("<PLK>Kliknij aby wybrać<ENU>Click to select");
  AnalysisRegion->ForEachControl([&](TWebControl& C) {
    if (auto* I = As<TWebImageFile>(&C)) I->Hint = ImageHint;
  });
}

std::string TPelWebWizForm::GetSubtitle() const {
  return Tr("<PLK>Wybierz typ analizy<ENU>Select analysis type");
}

void TPelWebWizForm::RefreshTexts() {
  TPelWebIWForm::RefreshTexts();
  // A page left over from a survey closed under it names templates that are gone.
  if (!IsCurrent()) return;
  AnalysisRegion->ForEachControl([](TWebControl& C) {
    if (auto* T = As<TIWWizText>(&C)) T->RefreshText();
  });
}

void TPelWebWizForm::ChooseTemplate(TWebControl& Image) {
  THobSessionModule* M = ModuleOf(*this);
  if (!M || !IsCurrent()) return Release();
  TPelWizList* L = TemplatesOf(*M);
  const int Index = static_cast<int>(Image.Tag);
  if (!L || Index < 0 || Index >= L->Count()) return;
  TPelSurvey& Survey = *OpenSurveyOf(*M);
  M->WizardIndex = Index;
  TPelWiz* Wiz = L->GetItem(Index);
  // The analysis counts in the survey's first data basis, weighted by its first weighting.
  TPelDataBasedOn* Basis = Survey.DataBasedOnList && Survey.DataBasedOnList->Count() > 0
                               ? Survey.DataBasedOnList->GetItem(0)
                               : nullptr;
  TGimWeight* Weight =
      Survey.Weights && Survey.Weights->Count() > 0 ? Survey.Weights->GetItem(0) : nullptr;
  Wiz->BasedOn = Basis;
  Wiz->Weight = Weight;
  Wiz->ParList->BasedOn = Basis;
  Wiz->ParList->Weight = Weight;
  M->CurrentStep = 0;
  StartWizardSteps(*M);
  // The steps (or the report window) show over this page, which goes; when nothing came, the
  // page stays.
  if (Session()->ActiveForm() != this) Release();
}

void TPelWebWizForm::CancelButtonClick() {
  THobSessionModule* M = ModuleOf(*this);
  if (!M) return;
  if (M->ReportWindow) {
    Release();
  } else if (M->HasReports()) {
    ReplaceCurrentForm(TPelWebOpenReportForm::StaticClass());
  } else if (!M->HasSeveralSurveys()) {
    M->LogOff();
  } else {
    M->CloseSurvey();
    ReplaceCurrentForm(TPelWebOpenSurveyForm::StaticClass());
  }
}

// --- the steps' view of the templates ---

void InstallChoicePageHooks() {
  TPelWebStepHooks& H = PelWebStepHooks();
  H.WizardParList = [](THobSessionModule& M) -> TPelParList* {
    TPelWiz* Wiz = ChosenTemplate(M);
    return Wiz ? Wiz->ParList.get() : nullptr;
  };
  H.WizardName = [](THobSessionModule& M) {
    TPelWiz* Wiz = ChosenTemplate(M);
    return Wiz ? Wiz->GetName() : std::string();
  };
  H.ShowTemplatePage = [](THobSessionModule& M) { ShowTemplatePage(M); };
}

}  // namespace quin
