#include "web/logon.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "base/digest.h"
#include "base/format.h"
#include "base/text.h"
#include "platform/websession.h"
#include "web/controller.h"
#include "web/session.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_CLASS(TZepLogonForm, TZepForm)
QUIN_IMPLEMENT_CLASS(THobLogonForm, TZepLogonForm)

// --- users file ---

namespace {

struct TXmlDocFree {
  void operator()(xmlDoc* D) const { xmlFreeDoc(D); }
};
struct TXmlCharFree {
  void operator()(xmlChar* C) const { xmlFree(C); }
};

bool IsElement(const xmlNode* N, const char* Name) {
  return N->type == XML_ELEMENT_NODE && xmlStrcmp(N->name, BAD_CAST Name) == 0;
}

// An attribute as Windows-1250 text; Found tells whether it was there.
std::string Attribute(xmlNode* N, const char* Name, bool& Found) {
  std::unique_ptr<xmlChar, TXmlCharFree> V(xmlGetProp(N, BAD_CAST Name));
  Found = V != nullptr;
  return V ? Cp1250(reinterpret_cast<const char*>(V.get())) : std::string();
}

std::string ChildText(xmlNode* N, const char* Name) {
  for (xmlNode* C = N->children; C; C = C->next) {
    if (!IsElement(C, Name)) continue;
    std::unique_ptr<xmlChar, TXmlCharFree> V(xmlNodeGetContent(C));
    return V ? Cp1250(reinterpret_cast<const char*>(V.get())) : std::string();
  }
  return {};
}

// A user's survey folder must stay below the surveys folder: no ".." step, in either kind of
// separator.
bool IsSurveysSubfolder(std::string_view Path) {
  std::size_t Start = 0;
  for (;;) {
    std::size_t Sep = Path.find_first_of("/\\", Start);
    bool Last = Sep == std::string_view::npos;
    if (Path.substr(Start, Last ? Sep : Sep - Start) == "..") return false;
    if (Last) return true;
    Start = Sep + 1;
  }
}

}  // namespace

bool CheckUserLogon(const std::string& FileName, std::string_view Login, std::string_view Password,
                    std::string& Name, std::string& SurveysPath) {
  Name.clear();
  SurveysPath.clear();
  std::error_code Ec;
  if (!fs::is_regular_file(FileName, Ec)) return false;
  auto Size = fs::file_size(FileName, Ec);
  if (Ec || Size == 0 || Size > MaxUsersFileSize) return false;
  std::string Data(Size, '\0');
  {
    std::ifstream In(FileName, std::ios::binary);
    if (!In.read(Data.data(), std::streamsize(Size))) return false;
  }
  // The parser's global state is set up once, before any two logons can race to do it.
  static std::once_flag ParserReady;
  std::call_once(ParserReady, [] { xmlInitParser(); });
  // No network, no external entities, no entity expansion; the declared encoding is honoured.
  std::unique_ptr<xmlDoc, TXmlDocFree> Doc(
      xmlReadMemory(Data.data(), int(Data.size()), "Quin.pwd", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!Doc) return false;
  xmlNode* Root = xmlDocGetRootElement(Doc.get());
  if (!Root || !IsElement(Root, "QuinPwd")) return false;
  for (xmlNode* Company = Root->children; Company; Company = Company->next) {
    if (!IsElement(Company, "Company")) continue;
    for (xmlNode* User = Company->children; User; User = User->next) {
      if (!IsElement(User, "User")) continue;
      bool HasLogin = false, HasPassword = false;
      std::string UserLogin = Attribute(User, "Login", HasLogin);
      if (UserLogin != Login) continue;
      std::string Stored = Attribute(User, "Password", HasPassword);
      if (!HasPassword || !DigestsEqual(Stored, PasswordDigest(Login, Password))) continue;
      std::string Path = ChildText(User, "SurveysPath");
      if (!IsSurveysSubfolder(Path)) return false;
      Name = ChildText(User, "Name");
      SurveysPath = std::move(Path);
      return true;
    }
  }
  return false;
}

std::string UsersFileName() {
  TZepServerController* C = GetZepServerController();
  return (C ? C->GetFilesFolder() : ExecutableFolder() + "Files/Quin/") + UsersFileLeafName;
}

bool CheckUserLogon(std::string_view Login, std::string_view Password, std::string& Name,
                    std::string& SurveysPath) {
  return CheckUserLogon(UsersFileName(), Login, Password, Name, SurveysPath);
}

// --- logon pages ---

void TZepLogonForm::CreateControls() {
  TZepForm::CreateControls();
  LogonRegion = Add<TWebRegion>("LogonRegion");
  LogonRegion->Css = "logonregion";
  NoticeLabel = LogonRegion->Add<TWebLabel>("NoticeLabel");
  NoticeLabel->Css = "notice";
  TWebRegion* Registered = LogonRegion->Add<TWebRegion>("RegisteredRegion");
  Registered->Css = "logonbox";
  RegisteredLabel = Registered->Add<TWebLabel>("RegisteredLabel");
  RegisteredLabel->Css = "main logonintro";
  TWebRegion* UserRow = Registered->Add<TWebRegion>("UserRow");
  UserRow->Css = "logonrow";
  UserLabel = UserRow->Add<TWebLabel>("UserLabel");
  UserLabel->Css = "main logonlabel";
  UserEdit = UserRow->Add<TWebEdit>("UserEdit");
  UserEdit->Css = "edit";
  UserEdit->SubmitOnEnter = true;
  UserEdit->MaxLength = MaxCredentialLength;
  UserEdit->OnSubmit = [this](TWebControl&) { OKButtonClick(); };
  TWebRegion* PasswordRow = Registered->Add<TWebRegion>("PasswordRow");
  PasswordRow->Css = "logonrow";
  PasswordLabel = PasswordRow->Add<TWebLabel>("PasswordLabel");
  PasswordLabel->Css = "main logonlabel";
  PasswordEdit = PasswordRow->Add<TWebEdit>("PasswordEdit");
  PasswordEdit->Css = "edit";
  PasswordEdit->Password = true;
  PasswordEdit->SubmitOnEnter = true;
  PasswordEdit->MaxLength = MaxCredentialLength;
  PasswordEdit->OnSubmit = [this](TWebControl&) { OKButtonClick(); };
  TWebRegion* OKRow = Registered->Add<TWebRegion>("OKRow");
  OKRow->Css = "buttonrow";
  OKButton = OKRow->Add<TWebButton>("OKButton");
  OKButton->OnClick = [this](TWebControl&) { OKButtonClick(); };

  TWebRegion* Demo = LogonRegion->Add<TWebRegion>("DemoRegion");
  Demo->Css = "logonbox";
  DemoLabel = Demo->Add<TWebLabel>("DemoLabel");
  DemoLabel->Css = "main logonintro";
  TWebRegion* DemoRow = Demo->Add<TWebRegion>("DemoRow");
  DemoRow->Css = "buttonrow";
  DemoButton = DemoRow->Add<TWebButton>("DemoButton");
  DemoButton->OnClick = [this](TWebControl&) { DemoButtonClick(); };
}

void TZepLogonForm::ApplyTexts() {
  TZepForm::ApplyTexts();
  const TOrvLangManager& LM = CurrentLangManager();
  TZepServerController* C = GetZepServerController();
  std::string Product = C ? C->GetProductInfo(1) : GetProductInfoText(1);
  RegisteredLabel->Caption = Format(
      Tr("<PLK>Jeżeli jesteś <b>zarejestrowanym</b> użytkownikiem <b>%s</b>,\\nwprowadź swoje "
         "dane:<ENU>If you are a <b>registered</b> user of <b>%s</b>,\\nplease enter your login "
         "name and password:",
         "<br>"),
      {Product}, LM.FormatSettings);
  UserLabel->Caption = Tr("<PLK>&Identyfikator<ENU>&Login name");
  PasswordLabel->Caption = Tr("<PLK>&Hasło<ENU>&Password");
  DemoLabel->Caption = Format(
      Tr("<PLK>Aby sprawdzić wersję <b>demonstracyjną</b> <b>%s</b>\\nnaciśnij poniższy "
         "przycisk:<ENU>To see a <b>demonstration</b> version of <b>%s</b>\\npress the button "
         "below:",
         "<br>"),
      {Product}, LM.FormatSettings);
  DemoButton->Caption = Tr("<PLK>&Demo<ENU>&Demo");
  OKButton->Caption = Tr("O&K");
  NoticeLabel->Caption =
      Tr("<PLK>Twoja sesja została zakończona. Zaloguj się ponownie.<ENU>Your session has ended. "
         "Please log on again.");
}

std::string TZepLogonForm::GetSubtitle() const { return Tr("<PLK>Logowanie<ENU>Logon"); }

void TZepLogonForm::IWAppFormCreate() {
  TZepForm::IWAppFormCreate();
  LogoutMenu->Visible = false;
  TWebSession* S = Session();
  NoticeLabel->Visible = S && S->FollowsEndedSession() && S->Forms().size() == 1;
}

void TZepLogonForm::OKButtonClick() {
  if (TWebSession* S = Session())
    S->Alert(Tr("<PLK>Nieprawidłowy identyfikator lub hasło.<ENU>Invalid login name or password."));
}

void THobLogonForm::OKButtonClick() {
  NoticeLabel->Visible = false;
  std::string Login = UserEdit->Text, Password = PasswordEdit->Text;
  // The password never stays on the page.
  PasswordEdit->Text.clear();
  if (THobSessionModule* M = GetSessionModule()) M->LogonAndShow(Login, Password);
}

void THobLogonForm::DemoButtonClick() {
  NoticeLabel->Visible = false;
  if (THobSessionModule* M = GetSessionModule()) M->LogonAndShow(GuestLogin, GuestPassword);
}

}  // namespace quin
