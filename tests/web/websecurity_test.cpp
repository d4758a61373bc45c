// The web application against hostile or careless input: users files whose survey folder
// leads out of the surveys folder, survey files linked in from elsewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "tests/support/tempfolder.h"
#include "tools/userswriter.h"
#include "web/logon.h"
#include "web/session.h"

namespace quin {
namespace {

namespace fs = std::filesystem;

TEST(UsersFileSecurity, SurveyFolderStaysBelowTheSurveysFolder) {
  test::TTempFolder T;
  std::string File = T.File("Quin.pwd");
  struct Case {
    std::string Path;
    bool Ok;
  } Cases[] = {
      {"Guest", true},
      {"Guest\\", true},
      {"Press/2024/", true},
      {"..", false},
      {"..\\..\\..\\etc", false},
      {"../Other", false},
      {"Guest\\..\\..", false},
      {"Guest/../../x", false},
      {"a..b\\c", true},
  };
  for (const Case& C : Cases) {
    std::ofstream(File, std::ios::binary) << UsersFileXml({{"jan", "pw", "Jan", C.Path}});
    std::string Name, Path;
    EXPECT_EQ(CheckUserLogon(File, "jan", "pw", Name, Path), C.Ok) << C.Path;
    EXPECT_EQ(Path, C.Ok ? C.Path : "") << C.Path;
  }
}

TEST(SurveyListSecurity, LinksLeadingOutOfTheUsersFolderAreNotListed) {
  test::TTempFolder T;
  std::string Root = T.Dir(), User = Root + "User/", Other = Root + "Other/";
  fs::create_directories(User);
  fs::create_directories(Other);
  std::ofstream(User + "own.zos") << "x";
  std::ofstream(Other + "theirs.zos") << "x";
  fs::create_symlink(Other + "theirs.zos", User + "stolen.zos");
  fs::create_symlink(User + "own.zos", User + "alias.zos");
  fs::create_symlink("../Other/theirs.zos", User + "relative.zos");
  fs::create_directories(User + "folder.zos");
  EXPECT_EQ(ListFiles(User, ".zos"), (std::vector<std::string>{"alias.zos", "own.zos"}));
}

}  // namespace
}  // namespace quin
