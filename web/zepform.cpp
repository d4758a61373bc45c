#include "web/zepform.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "desktop/orvwebpage.h"
#include "platform/websession.h"
#include "web/controller.h"
#include "web/prefshelp.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_ABSTRACT_CLASS(TZepForm, TWebForm)
QUIN_IMPLEMENT_CLASS(TOrvFrameFrame, TWebFrame)
QUIN_IMPLEMENT_CLASS(TZepFrame, TOrvFrameFrame)

std::string Tr(std::string_view Utf8, std::string_view Separator) {
  return CurrentLangManager().TranslateText(Cp1250(Utf8), Separator);
}

namespace {
std::string FilesUrl() {
  TZepServerController* C = GetZepServerController();
  return C ? C->GetFilesUrl() : "/Files/Quin/";
}
}  // namespace

// --- TZepForm ---

void TZepForm::AfterConstruction() {
  CreateControls();
  ApplyTexts();
  AddExtraHeader();
  AfterCreate();
  IWAppFormCreate();
  AddMenuSeparators();
}

void TZepForm::CreateControls() {
  OnRender = [this](TWebForm&) { IWAppFormRender(); };
  IWFrameRegion = Add<TWebRegion>("IWFrameRegion");
  IWFrameRegion->Css = "frameregion";
  TopImageRegion = IWFrameRegion->Add<TWebRegion>("TopImageRegion");
  TopImageRegion->Css = "topimageregion";
  TopBGImageFile = TopImageRegion->Add<TWebImageFile>("TopBGImageFile");
  TopBGImageFile->Css = "topbgimage";
  TopImageFile = TopImageRegion->Add<TWebImageFile>("TopImageFile");
  TopImageFile->Css = "topimage";
  TopImageFile->AltText = "Quinview";

  MenuRegion = IWFrameRegion->Add<TWebRegion>("MenuRegion");
  MenuRegion->Css = "menuregion";
  MenuImageFile = MenuRegion->Add<TWebImageFile>("MenuImageFile");
  MenuImageFile->Css = "menubgimage";
  IWMenu = MenuRegion->Add<TWebMenu>("IWMenu");
  IWMenu->Css = "topmenu";
  LangImageFile = MenuRegion->Add<TWebImageFile>("LangImageFile");
  LangImageFile->Css = "langimage";
  LangImageFile->SetSize(23, 16);
  LangLink = MenuRegion->Add<TWebLabel>("LangLink");
  LangLink->Css = "topmenu langlink";
  LangLink->OnClick = [this](TWebControl&) { LangLinkClick(); };

  StatusRegion = IWFrameRegion->Add<TWebRegion>("StatusRegion");
  StatusRegion->Css = "statusregion";
  StatusImageFile = StatusRegion->Add<TWebImageFile>("StatusImageFile");
  StatusImageFile->Css = "statusbgimage";
  StatusLabel = StatusRegion->Add<TWebLabel>("StatusLabel");
  StatusLabel->Css = "curmenu";

  SubtitleRegion = Add<TWebRegion>("SubtitleRegion");
  SubtitleRegion->Css = "subtitleregion";
  TitleImageFile = SubtitleRegion->Add<TWebImageFile>("TitleImageFile");
  TitleImageFile->SetSize(15, 16);
  TitleImageFile->Css = "titleimage";
  SubtitleLabel = SubtitleRegion->Add<TWebLabel>("SubtitleLabel");
  SubtitleLabel->Css = "subtitle";

  MainMenu = &IWMenu->Items;
  LogoutMenu = MainMenu->Add("LogoutMenu", "");
  LogoutMenu->OnClick = [this](TWebMenuItem&) { LogoutMenuClick(); };
  SettingsMenu = MainMenu->Add("SettingsMenu", "");
  SettingsMenu->OnClick = [this](TWebMenuItem&) { SettingsMenuClick(); };
  HelpMenu = MainMenu->Add("HelpMenu", "");
  HelpMenu->OnClick = [this](TWebMenuItem&) { HelpMenuClick(); };

  HeartbeatTimer = Add<TWebTimer>("HeartbeatTimer");
  TZepServerController* C = GetZepServerController();
  HeartbeatTimer->Interval = C ? C->HeartbeatInterval() : 20000;
  HeartbeatTimer->OnAsyncTimer = [this](TWebControl&) { HeartbeatTimerAsyncTimer(); };
}

void TZepForm::ApplyTexts() {
  TZepServerController* C = GetZepServerController();
  Title = C ? C->GetProductInfo(1) : GetProductInfoText(1);
  LogoutMenu->Caption = FormatConfirmMenuHtml(
      Tr("<PLK>Wyloguj<ENU>Logout"),
      Tr("<PLK>Czy na pewno chcesz się wylogować?<ENU>Are you sure you want to logout?"));
  SettingsMenu->Caption = Tr("<PLK>Ustawienia<ENU>Settings");
  HelpMenu->Caption = Tr("<PLK>Pomoc<ENU>Help");
  std::string Url = FilesUrl();
  TopImageFile->Url = Url + Tr("<PLK>top1a_plk.jpg<ENU>top1a.jpg");
  TopBGImageFile->Url = Url + "top2.jpg";
  MenuImageFile->Url = Url + "lbbg.jpg";
  StatusImageFile->Url = Url + "top2bg.jpg";
  TitleImageFile->Url = Url + "bullet3.gif";
  LangImageFile->Url = Url + Tr("<PLK>flagen.gif<ENU>flagpl.gif");
  LangLink->Caption = Tr("<PLK>English<ENU>Polski");
  SubtitleLabel->Caption = GetSubtitle();
  TZepSessionModule* M = GetSessionModuleBase();
  StatusLabel->Caption = M ? M->GetStatusText() : std::string();
}

void TZepForm::AddMenuSeparators() {
  int Last = -1;
  for (int I = 0; I < MainMenu->Count(); ++I)
    if ((*MainMenu)[I].Visible) Last = I;
  std::string Sep = MenuSeparatorHtml(FilesUrl());
  for (int I = 0; I < Last; ++I) {
    TWebMenuItem& It = (*MainMenu)[I];
    if (It.Caption.find("lbdiv.gif") == std::string::npos) It.Caption += Sep;
  }
}

void TZepForm::RefreshTexts() {
  ApplyTexts();
  // The content-language line follows the language as well.
  const std::string Meta = "<meta http-equiv=\"content-language\"";
  for (std::string& L : ExtraHeader)
    if (L.compare(0, Meta.size(), Meta) == 0) L = GetContentLanguageMeta();
  AddMenuSeparators();
}

bool TZepForm::HasHelp() const {
  std::string Topic = GetHelpTopic();
  TZepServerController* C = GetZepServerController();
  std::error_code Ec;
  return !Topic.empty() && C && fs::is_regular_file(C->GetHelpFileName(Topic), Ec);
}

void TZepForm::ExpandLayoutFolder() {
  LayoutHtml = ReplaceText(LayoutHtml, "{%layout_folder%}",
                           FilesUrl() + "Layouts/" + GetLayoutFolder() + "/");
}

void TZepForm::AddExtraHeader() { ExtraHeader.push_back(GetContentLanguageMeta()); }

void TZepForm::BeforeRender() {
  TZepServerController* C = GetZepServerController();
  StyleSheetUrl = FilesUrl() + (C ? C->GetStyleSheetName() : std::string("Quin.css"));
  ForEachControl([](TWebControl& Ctl) {
    if (Ctl.Is<TWebButton>()) Ctl.Css = "button";
  });
}

void TZepForm::IWAppFormCreate() {
  std::string Folder = GetLayoutFolder();
  TZepServerController* C = GetZepServerController();
  if (Folder.empty() || !C) return;
  std::string File = C->GetFilesFolder() + "Layouts/" + Folder + "/" + GetLayoutFile();
  std::error_code Ec;
  if (!fs::is_regular_file(File, Ec) || fs::file_size(File, Ec) > (1u << 20)) return;
  std::ifstream In(File, std::ios::binary);
  std::stringstream Buf;
  Buf << In.rdbuf();
  LayoutHtml = Buf.str();
  ExpandLayoutFolder();
}

void TZepForm::IWAppFormRender() {
  BeforeRender();
  LangLink->Left = PageWidth - LangLink->Width - 34;
  LangImageFile->Left = PageWidth - LangImageFile->Width - 8;
}

void TZepForm::LangLinkClick() {
  if (TZepSessionModule* M = GetSessionModuleBase()) {
    M->ToggleLanguage();
    M->RefreshForms();
  }
}

void TZepForm::LogoutMenuClick() {
  if (TZepSessionModule* M = GetSessionModuleBase()) M->Logout();
}

void TZepForm::SettingsMenuClick() {
  TZepServerController* C = GetZepServerController();
  if (C && C->GetPrefsFormClass()) ShowFormOver(*C->GetPrefsFormClass());
}

void TZepForm::HelpMenuClick() {
  TZepServerController* C = GetZepServerController();
  if (!C || !C->GetHelpFormClass()) return;
  std::string Topic = GetHelpTopic();
  if (auto* H = As<TZepHelpForm>(ShowFormOver(*C->GetHelpFormClass()))) H->SetTopic(Topic);
}

// --- panes ---

void TZepFrame::AfterConstruction() {
  FrameRegion = Add<TWebRegion>("FrameRegion");
  FrameRegion->SetSize(343, 169);
  CreateControls();
  TOrvFrameFrame::AfterConstruction();
}

// --- page switching ---

TWebForm* ReplaceCurrentForm(const ClassInfo& FormClass) {
  TWebSession* S = CurrentWebSession();
  if (!S) throw Exception("No session is bound to this request.");
  TWebForm* F = S->CreateForm(FormClass);
  S->ReplaceActiveForm(F);
  return F;
}

TWebForm* ShowFormOver(const ClassInfo& FormClass) {
  TWebSession* S = CurrentWebSession();
  if (!S) throw Exception("No session is bound to this request.");
  TWebForm* F = S->CreateForm(FormClass);
  S->Show(F);
  return F;
}

// --- Menu pieces ---

std::string FormatConfirmMenuHtml(std::string_view Caption, std::string_view Question) {
  std::string S =
      "<TABLE class=\"topmenu \"border=\"0\" width=\"100%\" height=\"100%\" "
      "cellspacing=\"0\" cellpadding=\"0\" onClick=\"event.cancelBubble=!confirm('";
  S += Question;
  S += "');\"><tr><td nowrap onMouseOver=\"this.className='curmenu'\" "
       "onMouseOut=\"this.className='topmenu'\">";
  S += Caption;
  S += "</td></tr></table>";
  return S;
}

std::string MenuSeparatorHtml(std::string_view FilesUrl) {
  return "</td></tr></table><td><table border=\"0\" width=\"100%\" height=\"100%\" "
         "cellspacing=\"0\" cellpadding=\"0\"><tr><td nowrap><img src=\"" +
         std::string(FilesUrl) + "lbdiv.gif\" alt=\"\">";
}

}  // namespace quin
