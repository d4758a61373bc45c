#include "web/surveyinfo.h"

#include <algorithm>
#include <filesystem>

#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/html.h"
#include "platform/websession.h"
#include "surveykit/merenviron.h"
#include "surveykit/pelcolblocks.h"
#include "web/pelwebsurvey.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebSurveyInfoForm, TPelWebIWForm)

std::unique_ptr<TPelWebSurvey> LoadInfoSurvey(THobSessionModule& M, const std::string& FileName) {
  const TSessionSurveyHooks& H = SessionSurveyHooks();
  const TOrvLangManager& LM = CurrentLangManager();
  // The name comes from the session's own listing; it names a file of the folder, no path.
  if (std::find(M.SurveyFiles.begin(), M.SurveyFiles.end(), FileName) == M.SurveyFiles.end())
    throw Exception("Invalid survey file name.");
  std::unique_ptr<TPelWebSurvey> Survey;
  try {
    if (!H.LoadSurvey) throw Exception("Surveys cannot be opened by this server.");
    Survey = OwnedAs<TPelWebSurvey>(H.LoadSurvey(M, M.UserFolder + FileName));
    if (!Survey) throw Exception("The survey cannot be opened.");
  } catch (const std::exception& E) {
    std::string Reason = LM.TranslateText(E.what());
    if (std::all_of(Reason.begin(), Reason.end(), [](unsigned char C) { return C <= ' '; }))
      Reason = LM.TranslateText(PelDamagedFileText());
    throw Exception(
        LM.TranslateText(Cp1250(
            "<PLK>Nie można otworzyć tego badania:\\n<ENU>This survey cannot be opened:\\n")) +
        Reason);
  }
  if (M.LangManager) SetUpSessionLanguage(*M.LangManager, Survey->Environ->LangManager.get());
  return Survey;
}

bool IsWebAddress(const std::string& Address) {
  if (std::any_of(Address.begin(), Address.end(), [](unsigned char C) { return C < ' '; }))
    return false;
  std::string A = LowerCase(TrimChar(Address, ' '));
  return (A.rfind("http://", 0) == 0 && A.size() > 7) ||
         (A.rfind("https://", 0) == 0 && A.size() > 8);
}

TPelWebSurveyInfoForm::TPelWebSurveyInfoForm(std::unique_ptr<TPelWebSurvey> Owned,
                                             TPelWebSurvey* Shared)
    : Survey(Owned ? Owned.get() : Shared), OwnsSurvey(Owned != nullptr), FOwned(std::move(Owned)) {
  if (Survey) FSurveyLife = Survey->LifeToken();
}

TPelWebSurveyInfoForm::~TPelWebSurveyInfoForm() = default;

bool TPelWebSurveyInfoForm::IsCurrent() const { return Survey && !FSurveyLife.expired(); }

void TPelWebSurveyInfoForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  TWebRegion* Bar = Add<TWebRegion>("TopicRegion");
  Bar->Css = "topicregion";
  SubItemSelPrevButton = Bar->Add<TWebButton>("SubItemSelPrevButton");
  SubItemSelPrevButton->Caption = "<";
  SubItemSelPrevButton->OnClick = [this](TWebControl&) {
    SubItemComboBox->SetItemIndex(std::max(SubItemComboBox->ItemIndex() - 1, 0));
    ShowPage();
  };
  SubItemComboBox = Bar->Add<TWebComboBox>("SubItemComboBox");
  SubItemComboBox->Css = "main";
  SubItemComboBox->OnChange = [this](TWebControl&) { ShowPage(); };
  SubItemSelNextButton = Bar->Add<TWebButton>("SubItemSelNextButton");
  SubItemSelNextButton->Caption = ">";
  SubItemSelNextButton->OnClick = [this](TWebControl&) {
    SubItemComboBox->SetItemIndex(
        std::min(SubItemComboBox->ItemIndex() + 1, SubItemComboBox->Count() - 1));
    ShowPage();
  };
  CancelButton = Bar->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { Release(); };
  ContentRegion = Add<TWebRegion>("ContentRegion");
  ContentRegion->Css = "contentregion";
  ContentText = ContentRegion->Add<TWebText>("ContentText");
  ContentText->Css = "main infocontent";
}

std::string TPelWebSurveyInfoForm::GetSubtitle() const {
  return Tr("<PLK>Informacje o badaniu<ENU>Survey information");
}

void TPelWebSurveyInfoForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  CancelButton->Caption = Tr("<PLK>Zamknij<ENU>Close");
  SubItemComboBox->Clear();
  FEntries.clear();
  if (!IsCurrent()) {
    ContentText->Text.clear();
    return;
  }
  SubItemComboBox->AddItem(Tr("<PLK>Dane<ENU>Data"));
  FEntries.push_back(nullptr);
  Survey->PrepareInfoRootPage();
  if (Survey->Info) {
    TMerInfoPage& Root = Survey->Info->RootPage();
    for (int I = 0; I < Root.PageCount(); ++I)
      if (TMerInfoPage* P = Root.Page(I)) AddInfoPages(*P);
  }
  SubItemComboBox->SetItemIndex(0);
  ShowPage(false);
}

void TPelWebSurveyInfoForm::AddInfoPages(TMerInfoPage& Page) {
  const TOrvLangManager& SLM = *Survey->Environ->LangManager;
  if (!Page.Text.empty() || !Page.Addr.empty()) {
    // The names of the page's ancestors below the root, then its own, from the outermost.
    std::vector<std::string> Names;
    const TOrvTreeNode* Root = Survey->Info->PageTree.Root();
    for (const TOrvTreeNode* N = &Page; N && N != Root; N = N->Parent())
      if (auto* P = As<TMerInfoPage>(N)) Names.push_back(SLM.TranslateText(P->Name));
    std::reverse(Names.begin(), Names.end());
    std::string Caption;
    for (const std::string& N : Names) Caption += (Caption.empty() ? "" : " - ") + N;
    SubItemComboBox->AddItem(SLM.TranslateText(Caption));
    FEntries.push_back(&Page);
  }
  for (int I = 0; I < Page.PageCount(); ++I)
    if (TMerInfoPage* P = Page.Page(I)) AddInfoPages(*P);
}

void TPelWebSurveyInfoForm::RefreshTexts() {
  const int Index = SubItemComboBox->ItemIndex();
  // A survey of the page's own follows the session's language as the open one does.
  if (IsCurrent())
    if (THobSessionModule* M = As<THobSessionModule>(Session()->Data()); M && M->LangManager)
      SetUpSessionLanguage(*M->LangManager, Survey->Environ->LangManager.get());
  TPelWebIWForm::RefreshTexts();
  if (Index >= 0 && Index < SubItemComboBox->Count()) {
    SubItemComboBox->SetItemIndex(Index);
    ShowPage(false);
  }
}

void TPelWebSurveyInfoForm::ShowPage(bool Act) {
  const int Index = SubItemComboBox->ItemIndex();
  ContentText->Text.clear();
  if (!IsCurrent() || Index < 0 || Index >= static_cast<int>(FEntries.size())) return;
  TMerInfoPage* Page = FEntries[Index];
  if (!Page) {
    Survey->GetDataSummaryText(1, ContentText->Text);
    return;
  }
  const TOrvLangManager& SLM = *Survey->Environ->LangManager;
  const TOrvLangManager& LM = CurrentLangManager();
  if (!Page->Text.empty()) {
    // The survey's information texts are HTML by design.
    ContentText->Text = SLM.TranslateText(Page->Text);
    return;
  }
  const std::string Addr = SLM.TranslateText(Page->Addr);
  if (Addr.empty()) return;
  if (!Page->IsFile) {
    // Only web addresses open: an address of another kind (a script, a local file) is named
    // and left alone.
    if (!IsWebAddress(Addr)) {
      ContentText->Text =
          Format(Tr("<PLK>Tego adresu nie można otworzyć: <b>\"%s\"</b>.<ENU>This address cannot "
                    "be opened: <b>\"%s\"</b>."),
                 {HtmlEscape(Addr)}, LM.FormatSettings);
      return;
    }
    ContentText->Text = Format(Tr("<PLK>Przechodzenie do adresu <b>\"%s\"</b>...<ENU>Going to "
                                  "the address <b>\"%s\"</b>..."),
                               {HtmlEscape(Addr)}, LM.FormatSettings);
    if (Act && Session()) Session()->OpenNewWindow(TrimChar(Addr, ' '));
    return;
  }
  // A file beside the survey's definition, never outside its folder.
  const std::string Slashed = ReplaceChar(Addr, '\\', '/');
  const std::string Shown = HtmlEscape(Slashed.substr(Slashed.rfind('/') + 1));
  std::string Path;
  std::error_code Ec;
  bool Found =
      ResolveSurveyFile(Survey->GetDefinitionDir(), Addr, Path) && fs::is_regular_file(Path, Ec);
  if (Found) {
    const fs::path Dir = fs::canonical(
        Survey->GetDefinitionDir().empty() ? fs::path(".") : fs::path(Survey->GetDefinitionDir()),
        Ec);
    const fs::path File = fs::canonical(Path, Ec);
    const auto Rel = File.lexically_relative(Dir);
    Found = !Ec && !Rel.empty() && *Rel.begin() != "..";
  }
  if (!Found) {
    ContentText->Text = Format(Tr("<PLK><b>Błąd!</b><br><br>Nie znaleziono pliku:<br>\"%s\".<ENU>"
                                  "<b>Error!</b><br><br>File not found:<br>\"%s\"."),
                               {Shown}, LM.FormatSettings);
    return;
  }
  ContentText->Text =
      Format(Tr("<PLK>Otwieranie pliku <b>\"%s\"</b>...<ENU>Opening file <b>\"%s\"</b>..."),
             {Shown}, LM.FormatSettings);
  if (Act && Session()) Session()->SendFile(Path);
}

void TPelWebSurveyInfoForm::IWAppFormRender() {
  TPelWebIWForm::IWAppFormRender();
  const int I = SubItemComboBox->ItemIndex();
  SubItemSelPrevButton->Enabled = I > 0;
  SubItemSelNextButton->Enabled = I >= 0 && I < SubItemComboBox->Count() - 1;
}

}  // namespace quin
