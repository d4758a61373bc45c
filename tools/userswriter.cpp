#include "tools/userswriter.h"

#include "base/digest.h"
#include "base/exception.h"
#include "base/format.h"
#include "base/orvstrings.h"
#include "base/text.h"

namespace quin {

namespace {

void CheckField(std::string_view S, const char* What) {
  for (char C : S)
    if ((unsigned char)C < 0x20)
      throw Exception(std::string("A control character in the ") + What + ".");
}

}  // namespace

std::string UsersFileXml(const std::vector<TUserRow>& Users, std::string_view Company) {
  std::string X = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n<QuinPwd>\r\n";
  X += "  <Company Name=\"" + HtmlEscape(Company) + "\">\r\n";
  for (const TUserRow& U : Users) {
    if (U.Login.empty()) throw Exception("A user without a login.");
    CheckField(U.Login, "login");
    CheckField(U.Password, "password");
    CheckField(U.Name, "name");
    CheckField(U.SurveysPath, "survey folder");
    X += "    <User Login=\"" + HtmlEscape(U.Login) + "\" Password=\"" +
         PasswordDigest(U.Login, U.Password) + "\">\r\n";
    X += "      <Name>" + HtmlEscape(U.Name) + "</Name>\r\n";
    X += "      <SurveysPath>" + HtmlEscape(U.SurveysPath) + "</SurveysPath>\r\n";
    X += "    </User>\r\n";
  }
  X += "  </Company>\r\n</QuinPwd>\r\n";
  return X;
}

std::vector<TUserRow> ReadUserRows(std::string_view Utf8Text) {
  std::vector<TUserRow> Rows;
  int LineNo = 0;
  std::size_t Start = 0;
  while (Start <= Utf8Text.size()) {
    std::size_t Nl = Utf8Text.find('\n', Start);
    std::string_view Line =
        Utf8Text.substr(Start, Nl == std::string_view::npos ? std::string_view::npos : Nl - Start);
    Start = Nl == std::string_view::npos ? Utf8Text.size() + 1 : Nl + 1;
    ++LineNo;
    if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
    if (Line.empty() || Line[0] == '#') continue;
    // Every character must come through to Windows-1250 and back unchanged.
    if (Cp1250ToUtf8(Cp1250(Line)) != Line)
      throw Exception("Line " + IntToStr(LineNo) +
                      ": not UTF-8 text, or characters that Windows-1250 lacks.");
    std::vector<std::string> F;
    std::size_t P = 0;
    for (;;) {
      std::size_t T = Line.find('\t', P);
      F.push_back(
          Cp1250(Line.substr(P, T == std::string_view::npos ? std::string_view::npos : T - P)));
      if (T == std::string_view::npos) break;
      P = T + 1;
    }
    if (F.size() != 4)
      throw Exception("Line " + IntToStr(LineNo) + ": four fields separated by tabs expected.");
    Rows.push_back({F[0], F[1], F[2], F[3]});
  }
  return Rows;
}

}  // namespace quin
