// The server's texts and helpers: recoding and accelerator marks, product information, the
// HTML helpers, the help template, the users file and the session folders' clean-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/digest.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "desktop/orvwebpage.h"
#include "tests/support/tempfolder.h"
#include "tools/userswriter.h"
#include "web/controller.h"
#include "web/logon.h"
#include "web/zepform.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

TEST(PostProcessText, AcceleratorMarksAndPolishLetters) {
  struct Case {
    const char* Lang;
    std::string In, Out;
  } Cases[] = {
      {"enu", "Zamknij &raport", "Zamknij raport"},
      {"plk", "Zamknij &raport", "Zamknij raport"},
      {"enu", "R\\&D", "R&D"},
      {"enu", "A & B", "A & B"},
      {"enu", "Menu&", "Menu&"},
      {"enu", "&Open", "Open"},
      {"enu", "O&K", "OK"},
      {"enu", "", ""},
      {"enu", "&", "&"},
      {"enu", "&nbsp;x", "nbsp;x"},
      {"plk", Cp1250("ś&ą"), "\xB6\xB1"},
      {"enu", Cp1250("ś"), "\x9C"},
      {"PLK", Cp1250("ś"), "\x9C"},  // the code is compared exactly
  };
  for (const Case& C : Cases) {
    std::string T = C.In;
    PostProcessText(C.Lang, T);
    EXPECT_EQ(T, C.Out) << C.Lang << " " << C.In;
  }
  // All 18 letters are recoded for Polish.
  std::string All = Cp1250("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
  PostProcessText("plk", All);
  EXPECT_EQ(All, "\xB1\xE6\xEA\xB3\xF1\xF3\xB6\xBC\xBF\xA1\xC6\xCA\xA3\xD1\xD3\xA6\xAC\xAF");
}

TEST(ProductInfo, KindsOfTheServerAndTheSharedTable) {
  auto C = New<THobServerController>();
  EXPECT_EQ(C->GetProductInfo(1), "Quinview");
  EXPECT_EQ(C->GetProductInfo(12), "Quinview Analyzer");
  EXPECT_EQ(C->GetProductInfo(129), "");  // masked to 1 in the shared table, which has none
  EXPECT_EQ(C->GetProductInfo(0), "Fennix");
  EXPECT_EQ(C->GetProductInfo(128), "Fennix");
  EXPECT_EQ(C->GetProductInfo(5), "Orvsoft");
  EXPECT_EQ(C->GetProductInfo(200), "");
  EXPECT_EQ(C->Description, "Quinview");
  std::string Credits = C->GetProductInfo(7);
  EXPECT_NE(Credits.find("\r\n"), std::string::npos);
  EXPECT_EQ(Credits.find('<'), std::string::npos);  // translated
  for (int K : {2, 3, 4, 6, 8, 9, 10, 11}) EXPECT_FALSE(C->GetProductInfo(K).empty()) << K;
  EXPECT_EQ(C->GetProductInfo(3).size(), 10u);  // year-month-day
}

TEST(HtmlHelpers, ConfirmMenu) {
  std::string M = FormatConfirmMenuHtml("Logout", "Sure?");
  EXPECT_EQ(M.rfind("<TABLE class=\"topmenu \"border=\"0\"", 0), 0u);
  EXPECT_NE(M.find("onClick=\"event.cancelBubble=!confirm('Sure?');\""), std::string::npos);
  EXPECT_NE(M.find("<td nowrap onMouseOver=\"this.className='curmenu'\""), std::string::npos);
  EXPECT_NE(M.find(">Logout</td></tr></table>"), std::string::npos);
}

TEST(HelpTemplate, OnlyTextPlaceholders) {
  EXPECT_EQ(FormatTextTemplate("%s v%s, 100%%", {"Q", "1", "unused"}), "Q v1, 100%");
  EXPECT_THROW(FormatTextTemplate("%d", {"1"}), EConvertError);
  EXPECT_THROW(FormatTextTemplate("%s %s", {"1"}), EConvertError);
  EXPECT_THROW(FormatTextTemplate("50%", {}), EConvertError);
}

TEST(ContentLanguage, FollowsTheLanguage) {
  TOrvLangManager En("enu");
  En.AfterConstruction();
  {
    TLangManagerBinding B(&En);
    EXPECT_EQ(GetContentLanguageMeta(), "<meta http-equiv=\"content-language\" content=\"en\" />");
  }
  EXPECT_EQ(GetContentLanguageMeta(), "<meta http-equiv=\"content-language\" content=\"pl\" />");
}

class TempDir : public testing::Test {
 protected:
  std::string Write(const std::string& Name, const std::string& Data) {
    return Folder.Write(Name, Data);
  }
  test::TTempFolder Folder;
  std::string Dir = Folder.Dir();
};

using SessionFolders = TempDir;

TEST_F(SessionFolders, DeletedWithTheirFilesOnly) {
  std::string Sid = "0123456789abcdef0123456789abcdef";
  Write("TMPCharts/" + Sid + "/a.png", "1");
  Write("TMPCharts/" + Sid + "/b.png", "2");
  Write("TMPCharts/other/keep.png", "3");
  DeleteSessionFolder(Dir, "TMPCharts", Sid);
  EXPECT_FALSE(fs::exists(Dir + "TMPCharts/" + Sid));
  EXPECT_TRUE(fs::exists(Dir + "TMPCharts/other/keep.png"));
  DeleteSessionFolder(Dir, "TMPReports", Sid);  // missing: no error
  // A folder holding a subfolder stays; its files go.
  Write("TMPReports/" + Sid + "/sub/x", "1");
  Write("TMPReports/" + Sid + "/r.htm", "1");
  DeleteSessionFolder(Dir, "TMPReports", Sid);
  EXPECT_TRUE(fs::exists(Dir + "TMPReports/" + Sid + "/sub/x"));
  EXPECT_FALSE(fs::exists(Dir + "TMPReports/" + Sid + "/r.htm"));
  // An identifier that leads elsewhere is not used.
  DeleteSessionFolder(Dir, "TMPCharts", "../TMPCharts/other");
  EXPECT_TRUE(fs::exists(Dir + "TMPCharts/other/keep.png"));
}

using UsersFile = TempDir;

TEST_F(UsersFile, WrittenFileLogsOnItsUsers) {
  std::string F = Write("Quin.pwd", UsersFileXml({{"qazo", "qazo", Cp1250("Gość"), "Guest"},
                                                  {"anna", "tajne&<", "Anna", "Press\\"}}));
  std::string Name, Path;
  EXPECT_TRUE(CheckUserLogon(F, "qazo", "qazo", Name, Path));
  EXPECT_EQ(Name, Cp1250("Gość"));
  EXPECT_EQ(Path, "Guest");
  EXPECT_TRUE(CheckUserLogon(F, "anna", "tajne&<", Name, Path));
  EXPECT_EQ(Path, "Press\\");
  EXPECT_FALSE(CheckUserLogon(F, "QAZO", "qazo", Name, Path));  // login case matters
  EXPECT_FALSE(CheckUserLogon(F, "qazo", "Qazo", Name, Path));
  EXPECT_FALSE(CheckUserLogon(F, "nobody", "", Name, Path));
  EXPECT_FALSE(CheckUserLogon(Dir + "missing.pwd", "qazo", "qazo", Name, Path));
  EXPECT_THROW(UsersFileXml({{"", "x", "", ""}}), Exception);
  EXPECT_THROW(ReadUserRows("a\tb\tc\n"), Exception);
  auto Rows = ReadUserRows("# comment\n\nqazo\tqazo\tGość\tGuest\r\n");
  ASSERT_EQ(Rows.size(), 1u);
  EXPECT_EQ(Rows[0].Name, Cp1250("Gość"));
  // Text that is no UTF-8, or has characters Windows-1250 lacks, is refused with its line.
  struct Case {
    std::string Text;
    const char* Line;
  } Bad[] = {{"a\tb\tc\td\nqazo\tqazo\tGo\x9C\xE6\tGuest\n", "Line 2:"},
             {"# x\n\njan\tpw\tJan \xF0\x9F\x98\x80\tJan\n", "Line 3:"},
             {"jan\tp\xC3w\tJan\tJan\n", "Line 1:"}};
  for (const Case& C : Bad) {
    try {
      ReadUserRows(C.Text);
      ADD_FAILURE() << C.Line;
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message.rfind(C.Line, 0), 0u) << E.Message;
    }
  }
}

TEST_F(UsersFile, Variants) {
  const std::string D1 = PasswordDigest("jan", "one"), D2 = PasswordDigest("jan", "two");
  auto User = [](const std::string& Attrs, const std::string& Name, const std::string& Path) {
    return "<User " + Attrs + "><Name>" + Name + "</Name><SurveysPath>" + Path +
           "</SurveysPath></User>";
  };
  struct Case {
    const char* What;
    std::string Xml;
    const char* Password;
    bool Ok;
    std::string Name;
  } Cases[] = {
      {"wrong root",
       "<Quinpwd><Company>" + User("Login=\"jan\" Password=\"" + D1 + "\"", "J", "P") +
           "</Company></Quinpwd>",
       "one", false, ""},
      {"missing password",
       "<QuinPwd><Company>" + User("Login=\"jan\"", "J", "P") + "</Company></QuinPwd>", "one",
       false, ""},
      {"user outside a company",
       "<QuinPwd>" + User("Login=\"jan\" Password=\"" + D1 + "\"", "J", "P") + "</QuinPwd>", "one",
       false, ""},
      {"malformed", "<QuinPwd><Company>", "one", false, ""},
      {"second of two with the same login",
       "<QuinPwd><Company Name=\"x\">" +
           User("Login=\"jan\" Password=\"" + D1 + "\"", "First", "A") +
           "</Company><Other/><Company>" +
           User("Login=\"jan\" Password=\"" + D2 + "\"", "Second", "B") + "</Company></QuinPwd>",
       "two", true, "Second"},
      {"lower-case digest",
       "<QuinPwd><Company>" + User("Login=\"jan\" Password=\"" + LowerCase(D1) + "\"", "J", "P") +
           "</Company></QuinPwd>",
       "one", false, ""},
      {"Polish name in a Windows-1250 file",
       "<?xml version=\"1.0\" encoding=\"windows-1250\"?><QuinPwd><Company>" +
           User("Login=\"jan\" Password=\"" + D1 + "\"", Cp1250("Łukasz Żółć"), "P") +
           "</Company></QuinPwd>",
       "one", true, Cp1250("Łukasz Żółć")},
      {"Polish name in a UTF-8 file",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><QuinPwd><Company>" +
           User("Login=\"jan\" Password=\"" + D1 + "\"", "Łukasz Żółć", "P") +
           "</Company></QuinPwd>",
       "one", true, Cp1250("Łukasz Żółć")},
      {"external entity is not read",
       "<?xml version=\"1.0\"?><!DOCTYPE QuinPwd [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
       "<QuinPwd><Company>" +
           User("Login=\"jan\" Password=\"" + D1 + "\"", "&x;", "P") + "</Company></QuinPwd>",
       "one", true, ""},
  };
  for (const Case& C : Cases) {
    std::string F = Write("Quin.pwd", C.Xml);
    std::string Name = "stale", Path;
    EXPECT_EQ(CheckUserLogon(F, "jan", C.Password, Name, Path), C.Ok) << C.What;
    if (C.Ok) {
      EXPECT_EQ(Name, C.Name) << C.What;
    }
  }
}

TEST_F(UsersFile, PolishLoginInWindows1250) {
  std::string Login = Cp1250("żółw");
  std::string F = Write("Quin.pwd", UsersFileXml({{Login, Cp1250("hasło"), "Z", "Z"}}));
  std::string Name, Path;
  EXPECT_TRUE(CheckUserLogon(F, Login, Cp1250("hasło"), Name, Path));
}

}  // namespace
}  // namespace quin
