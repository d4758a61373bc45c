#include "web/prefshelp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/systemlocale.h"
#include "base/text.h"
#include "platform/websession.h"
#include "web/controller.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_CLASS(TZepPrefsForm, TZepForm)
QUIN_IMPLEMENT_CLASS(THobPrefsForm, TZepPrefsForm)
QUIN_IMPLEMENT_CLASS(TZepHelpForm, TZepForm)
QUIN_IMPLEMENT_CLASS(THobHelpForm, TZepHelpForm)

namespace {

bool SessionHasPage(const ClassInfo& C) {
  TWebSession* S = CurrentWebSession();
  if (!S) return false;
  for (TWebForm* F : S->Forms())
    if (!F->IsReleased() && F->Is(C)) return true;
  return false;
}

// Fills List with the display names of Codes in the page's language, selecting Current (else
// the first).
void FillLanguages(TWebListBox& List, const std::vector<std::string>& Codes,
                   const std::string& Current) {
  List.Clear();
  int Sel = -1;
  for (const std::string& Code : Codes) {
    std::string Name = LanguageDisplayName(Code, CurrentLangManager().Current());
    int I = List.AddItem(Name.empty() ? Code : Name);
    if (Sel < 0 && SameText(Code, Current)) Sel = I;
  }
  if (List.Count() > 0) List.SetItemIndex(Sel >= 0 ? Sel : 0);
}

// The code at the list's selected index, or the first code.
std::string ChosenCode(const TWebListBox& List, const std::vector<std::string>& Codes) {
  int I = List.ItemIndex();
  if (I >= 0 && I < int(Codes.size())) return Codes[I];
  return Codes.empty() ? std::string() : Codes[0];
}

TOrvLangManager* SurveyLangManager() {
  THobSessionModule* M = GetSessionModule();
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  if (!M || !M->Survey || !H.SurveyLangManager) return nullptr;
  return H.SurveyLangManager(*M->Survey);
}

}  // namespace

// --- preferences ---

void TZepPrefsForm::CreateControls() {
  TZepForm::CreateControls();
  LangRegion = Add<TWebRegion>("LangRegion");
  LangRegion->Css = "langregion";
  AppLangLabel = LangRegion->Add<TWebLabel>("AppLangLabel");
  AppLangLabel->Css = "header";
  AppLangHintLabel = LangRegion->Add<TWebLabel>("AppLangHintLabel");
  AppLangHintLabel->Css = "main hint";
  AppLangsListBox = LangRegion->Add<TWebListBox>("AppLangsListBox");
  AppLangsListBox->Css = "main langlist";
  AppLangsListBox->Rows = 3;
  CreateExtraControls();
  ButtonRegion = LangRegion->Add<TWebRegion>("ButtonRegion");
  ButtonRegion->Css = "buttonrow";
  OKButton = ButtonRegion->Add<TWebButton>("OKButton");
  OKButton->OnClick = [this](TWebControl&) { OKButtonClick(); };
  CancelButton = ButtonRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
}

void TZepPrefsForm::ApplyTexts() {
  TZepForm::ApplyTexts();
  AppLangLabel->Caption = Tr("<PLK>Język &aplikacji<ENU>&Application language");
  AppLangHintLabel->Caption =
      Tr("<PLK>Wybierz język, w którym będą wyświetlane teksty programu:<ENU>Select the language "
         "in which program texts will be displayed:");
  OKButton->Caption = Tr("O&K");
  CancelButton->Caption = Tr("<PLK>Anuluj<ENU>Cancel");
  FillAppLanguages();
}

std::string TZepPrefsForm::GetSubtitle() const { return Tr("<PLK>Preferencje<ENU>Preferences"); }

void TZepPrefsForm::FillAppLanguages() {
  const TOrvLangManager& LM = CurrentLangManager();
  FillLanguages(*AppLangsListBox, LM.Languages(), LM.Current());
}

void TZepPrefsForm::IWAppFormCreate() {
  TZepForm::IWAppFormCreate();
  LogoutMenu->Visible = false;
  SettingsMenu->Enabled = false;
  HelpMenu->Enabled = !SessionHasPage(TZepHelpForm::StaticClass());
}

void TZepPrefsForm::ApplyChoice() {
  TZepSessionModule* M = GetSessionModuleBase();
  if (!M || !M->LangManager) return;
  std::string Code = ChosenCode(*AppLangsListBox, M->LangManager->Languages());
  if (!Code.empty()) M->LangManager->SetLanguage(Code);
}

void TZepPrefsForm::OKButtonClick() {
  ApplyChoice();
  Release();
  if (TZepSessionModule* M = GetSessionModuleBase()) M->RefreshForms();
}

void THobPrefsForm::CreateExtraControls() {
  SurveyLangLabel = LangRegion->Add<TWebLabel>("SurveyLangLabel");
  SurveyLangLabel->Css = "header";
  SurveyLangHintLabel = LangRegion->Add<TWebLabel>("SurveyLangHintLabel");
  SurveyLangHintLabel->Css = "main hint";
  SurveyLangsListBox = LangRegion->Add<TWebListBox>("SurveyLangsListBox");
  SurveyLangsListBox->Css = "main langlist";
  SurveyLangsListBox->Rows = 3;
}

void THobPrefsForm::ApplyTexts() {
  TZepPrefsForm::ApplyTexts();
  SurveyLangLabel->Caption = Tr("<PLK>Język &badania<ENU>&Survey language");
  SurveyLangHintLabel->Caption =
      Tr("<PLK>Wybierz język, w którym będą wyświetlane teksty badania,\\njak na przykład treść "
         "pytań i odpowiedzi:<ENU>Select the language in which survey texts,\\nsuch as question "
         "and response texts, will be displayed:",
         "<br>");
  FillSurveyLanguages();
}

void THobPrefsForm::FillSurveyLanguages() {
  TOrvLangManager* SL = SurveyLangManager();
  SurveyLangsListBox->Enabled = SL != nullptr;
  SurveyLangsListBox->Clear();
  if (SL) FillLanguages(*SurveyLangsListBox, SL->Languages(), SL->Current());
}

void THobPrefsForm::IWAppFormCreate() {
  TZepPrefsForm::IWAppFormCreate();
  THobSessionModule* M = GetSessionModule();
  if (M && !M->UserName.empty()) LogoutMenu->Visible = true;
}

void THobPrefsForm::ApplyChoice() {
  TZepPrefsForm::ApplyChoice();
  if (TOrvLangManager* SL = SurveyLangManager()) {
    std::string Code = ChosenCode(*SurveyLangsListBox, SL->Languages());
    if (!Code.empty()) SL->SetLanguage(Code);
  }
}

// --- help ---

void TZepHelpForm::AfterConstruction() {
  DefineTopics();
  TZepForm::AfterConstruction();
}

void TZepHelpForm::CreateControls() {
  TZepForm::CreateControls();
  TWebRegion* Bar = Add<TWebRegion>("TopicRegion");
  Bar->Css = "topicregion";
  SubItemSelPrevButton = Bar->Add<TWebButton>("SubItemSelPrevButton");
  SubItemSelPrevButton->Caption = "<";
  SubItemSelPrevButton->OnClick = [this](TWebControl&) { SubItemSelPrevButtonClick(); };
  SubItemComboBox = Bar->Add<TWebComboBox>("SubItemComboBox");
  SubItemComboBox->Css = "main";
  SubItemComboBox->OnChange = [this](TWebControl&) { SubItemComboBoxChange(); };
  SubItemSelNextButton = Bar->Add<TWebButton>("SubItemSelNextButton");
  SubItemSelNextButton->Caption = ">";
  SubItemSelNextButton->OnClick = [this](TWebControl&) { SubItemSelNextButtonClick(); };
  CancelButton = Bar->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { Release(); };
  ContentRegion = Add<TWebRegion>("ContentRegion");
  ContentRegion->Css = "contentregion";
  ContentText = ContentRegion->Add<TWebText>("ContentText");
  ContentText->Css = "main helptext";
}

void TZepHelpForm::ApplyTexts() {
  TZepForm::ApplyTexts();
  CancelButton->Caption = Tr("<PLK>Zamknij<ENU>Close");
}

std::string TZepHelpForm::GetSubtitle() const { return Tr("<PLK>Pomoc<ENU>Help"); }

void TZepHelpForm::RefreshTexts() {
  TZepForm::RefreshTexts();
  FillTopicList(CurrentTopic);
  ShowTopic();
}

void TZepHelpForm::SetTopic(const std::string& Topic) {
  CurrentTopic = Topic;
  FillTopicList(Topic);
  ShowTopic();
}

void TZepHelpForm::FillTopicList(const std::string& Topic) {
  const TOrvLangManager& LM = CurrentLangManager();
  SubItemComboBox->Clear();
  int Sel = -1;
  for (const TZepHelpElem& E : Topics) {
    int I = SubItemComboBox->AddItem(LM.TranslateText(E.Caption));
    if (Sel < 0 && SameText(E.Topic, Topic)) Sel = I;
  }
  if (SubItemComboBox->Count() > 0) SubItemComboBox->SetItemIndex(Sel >= 0 ? Sel : 0);
}

void TZepHelpForm::ShowTopic() {
  TZepServerController* C = GetZepServerController();
  const TOrvLangManager& LM = CurrentLangManager();
  // A topic names a file in the help folder, never a path.
  bool Plain = !CurrentTopic.empty() && CurrentTopic.find_first_of("/\\.") == std::string::npos;
  std::string File = C && Plain ? C->GetHelpFileName(CurrentTopic) : std::string();
  std::error_code Ec;
  if (File.empty() || !fs::is_regular_file(File, Ec) || fs::file_size(File, Ec) > (1u << 20)) {
    ContentText->Text =
        Tr("<PLK>Przepraszamy<br>Brak tekstu pomocy do niniejszego tematu...<ENU>Sorry<br>No help "
           "text available for this topic...");
    return;
  }
  std::string Text;
  {
    std::ifstream In(File, std::ios::binary);
    Text.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  }
  auto Info = [C](int Kind) { return C->GetProductInfo(Kind); };
  if (CurrentTopic.find("About") != std::string::npos)
    Text = FormatTextTemplate(Text, {Info(1), Info(2), Info(3), Info(6), Info(5)});
  Text = ReplaceText(Text, "{$comments}", ReplaceText(Info(7), "\r\n", "<br>"));
  Text = ReplaceText(Text, "{$mail}", Info(11));
  LM.PostProcessText(Text);
  ContentText->Text = Text;
}

void TZepHelpForm::SubItemComboBoxChange() {
  int I = SubItemComboBox->ItemIndex();
  if (I >= 0 && I < int(Topics.size())) SetTopic(Topics[I].Topic);
}

void TZepHelpForm::SubItemSelNextButtonClick() {
  int I = SubItemComboBox->ItemIndex();
  if (SubItemComboBox->Count() == 0) return;
  SubItemComboBox->SetItemIndex(std::min(I + 1, SubItemComboBox->Count() - 1));
  SubItemComboBoxChange();
}

void TZepHelpForm::SubItemSelPrevButtonClick() {
  int I = SubItemComboBox->ItemIndex();
  if (SubItemComboBox->Count() == 0) return;
  SubItemComboBox->SetItemIndex(std::max(I - 1, 0));
  SubItemComboBoxChange();
}

void TZepHelpForm::IWAppFormRender() {
  TZepForm::IWAppFormRender();
  int I = SubItemComboBox->ItemIndex();
  SubItemSelPrevButton->Enabled = I > 0;
  SubItemSelNextButton->Enabled = I < SubItemComboBox->Count() - 1;
  HelpMenu->Enabled = false;
  LogoutMenu->Visible = false;
  SettingsMenu->Enabled = !SessionHasPage(TZepPrefsForm::StaticClass());
}

void THobHelpForm::DefineTopics() {
  static const char* const List[][2] = {
      {"<plk>Logowanie<enu>Loggin on", "HobLogon"},
      {"<plk>Otwórz badanie<enu>Open survey", "PelWebOpenSurvey"},
      {"<plk>Informacje o badaniu<enu>Survey information", "PelWebSurveyInfo"},
      {"<plk>Otwórz raport<enu>Open report", "PelWebOpenReport"},
      {"<plk>Kreatory nowych analiz<enu>New analysis wizards", "PelWebWiz"},
      {"<plk>Parametry - grupy docelowe<enu>Parameters - target groups", "PelWebParPaneGroups"},
      {"<plk>Parametry - odpowiedzi numeryczne<enu>Parameters - numeric responses",
       "PelWebSelRange"},
      {"<plk>Parametry - pytania<enu>Parameters - questions", "PelWebParPaneQuestions"},
      {"<plk>Parametry - statystyki<enu>Parameters - statistics", "PelWebParPaneStats"},
      {"<plk>Parametry raportu<enu>Report parameters", "PelWebRepPar"},
      {"<plk>Okno raportu<enu>Report window", "PelWebRepWindow"},
      {"<plk>Eksport raportów<enu>Report export", "PelWebExport"},
      {"<plk>Ustawienia<enu>Settings", "HobPrefs"},
      {"<plk>Pomoc techniczna<enu>Support", "HobSupport"},
      {"<plk>O programie<enu>About", "HobAbout"}};
  Topics.clear();
  for (const auto& E : List) Topics.push_back({Cp1250(E[0]), E[1]});
}

}  // namespace quin
