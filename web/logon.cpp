#include "web/logon.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "base/digest.h"
#include "base/format.h"
#include "base/text.h"
#include "platform/html.h"
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

namespace {

// One "User" of the users file.
struct TUserEntry {
  bool HasPassword = false;
  std::string Password;
  std::string Name;
  std::string SurveysPath;
};

// A users file as read: its users by login, each login's in document order.
struct TUsersTable {
  std::unordered_map<std::string, std::vector<TUserEntry>> ByLogin;
};

// What tells a changed file: its identity, size and time stamps.
struct TFileStamp {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{};
  timespec Changed{};
  bool operator==(const TFileStamp& O) const {
    return Device == O.Device && Inode == O.Inode && Size == O.Size &&
           Modified.tv_sec == O.Modified.tv_sec && Modified.tv_nsec == O.Modified.tv_nsec &&
           Changed.tv_sec == O.Changed.tv_sec && Changed.tv_nsec == O.Changed.tv_nsec;
  }
};

std::atomic<std::size_t> UsersFileReads{0};

// Reads and parses a users file; null when it cannot be read or is no users file.
std::shared_ptr<const TUsersTable> ReadUsersFile(const std::string& FileName) {
  std::error_code Ec;
  if (!fs::is_regular_file(FileName, Ec)) return nullptr;
  auto Size = fs::file_size(FileName, Ec);
  if (Ec || Size == 0 || Size > MaxUsersFileSize) return nullptr;
  std::string Data(Size, '\0');
  {
    std::ifstream In(FileName, std::ios::binary);
    if (!In.read(Data.data(), std::streamsize(Size))) return nullptr;
  }
  ++UsersFileReads;
  // The parser's global state is set up once, before any two logons can race to do it.
  static std::once_flag ParserReady;
  std::call_once(ParserReady, [] { xmlInitParser(); });
  // No network, no external entities, no entity expansion; the declared encoding is honoured.
  std::unique_ptr<xmlDoc, TXmlDocFree> Doc(
      xmlReadMemory(Data.data(), int(Data.size()), "Quin.pwd", nullptr,
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!Doc) return nullptr;
  xmlNode* Root = xmlDocGetRootElement(Doc.get());
  if (!Root || !IsElement(Root, "QuinPwd")) return nullptr;
  auto Table = std::make_shared<TUsersTable>();
  for (xmlNode* Company = Root->children; Company; Company = Company->next) {
    if (!IsElement(Company, "Company")) continue;
    for (xmlNode* User = Company->children; User; User = User->next) {
      if (!IsElement(User, "User")) continue;
      bool HasLogin = false;
      TUserEntry E;
      std::string Login = Attribute(User, "Login", HasLogin);
      E.Password = Attribute(User, "Password", E.HasPassword);
      E.Name = ChildText(User, "Name");
      E.SurveysPath = ChildText(User, "SurveysPath");
      Table->ByLogin[Login].push_back(std::move(E));
    }
  }
  return Table;
}

// The users files read so far, kept until their stamps change.
class TUsersFileCache {
 public:
  std::shared_ptr<const TUsersTable> Get(const std::string& FileName) {
    struct stat St {};
    if (stat(FileName.c_str(), &St) != 0 || !S_ISREG(St.st_mode)) return nullptr;
    TFileStamp Stamp{St.st_dev, St.st_ino, St.st_size, St.st_mtim, St.st_ctim};
    // One reader at a time: logons that come while the file is read wait for that reading.
    std::lock_guard<std::mutex> G(FLock);
    auto It = FFiles.find(FileName);
    if (It != FFiles.end() && It->second.Stamp == Stamp) return It->second.Table;
    if (FFiles.size() >= 16) FFiles.clear();
    auto Table = ReadUsersFile(FileName);
    FFiles[FileName] = {Stamp, Table};
    return Table;
  }

 private:
  struct TKept {
    TFileStamp Stamp;
    std::shared_ptr<const TUsersTable> Table;
  };
  std::mutex FLock;
  std::unordered_map<std::string, TKept> FFiles;
};

TUsersFileCache& UsersFiles() {
  static TUsersFileCache Cache;
  return Cache;
}

}  // namespace

std::size_t UsersFileReadCount() { return UsersFileReads.load(); }

bool CheckUserLogon(const std::string& FileName, std::string_view Login, std::string_view Password,
                    std::string& Name, std::string& SurveysPath) {
  Name.clear();
  SurveysPath.clear();
  std::shared_ptr<const TUsersTable> Table = UsersFiles().Get(FileName);
  if (!Table) return false;
  auto It = Table->ByLogin.find(std::string(Login));
  if (It == Table->ByLogin.end()) return false;
  const std::string Digest = PasswordDigest(Login, Password);
  for (const TUserEntry& E : It->second) {
    if (!E.HasPassword || !DigestsEqual(E.Password, Digest)) continue;
    if (!IsSurveysSubfolder(E.SurveysPath)) return false;
    Name = E.Name;
    SurveysPath = E.SurveysPath;
    return true;
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
  if (MissingSurvey.empty())
    NoticeLabel->Caption =
        Tr("<PLK>Twoja sesja została zakończona. Zaloguj się ponownie.<ENU>Your session has ended. "
           "Please log on again.");
  else
    NoticeLabel->Caption = Format(Tr("<PLK>Nie znaleziono badania \"%s\".<ENU>The survey \"%s\" "
                                     "was not found."),
                                  {HtmlEscape(MissingSurvey)}, LM.FormatSettings);
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

void THobLogonForm::IWAppFormCreate() {
  TZepLogonForm::IWAppFormCreate();
  TWebSession* S = Session();
  THobSessionModule* M = GetSessionModule();
  if (!S || !M || M->MissingSurvey.empty() || S->Forms().size() != 1) return;
  MissingSurvey = M->MissingSurvey;
  NoticeLabel->Visible = true;
  ApplyTexts();
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
