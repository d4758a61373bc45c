// Writes the users file: per user the login, the salted digest of the password, the display
// name and the survey folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quin {

struct TUserRow {
  std::string Login;     // Windows-1250
  std::string Password;  // Windows-1250
  std::string Name;      // Windows-1250
  std::string SurveysPath;
};

// The users file's XML text (declared windows-1250) with one "Company" holding the users.
// Raises Exception on an empty login or on control characters in a field.
std::string UsersFileXml(const std::vector<TUserRow>& Users, std::string_view Company = "Quin");

// Reads rows from a UTF-8 definition text: one user a line, the four fields separated by
// tabs; empty lines and lines starting with '#' are skipped. Raises Exception (with the line
// number) on a line without four fields, and on one that is no UTF-8 text or holds characters
// Windows-1250 lacks.
std::vector<TUserRow> ReadUserRows(std::string_view Utf8Text);

}  // namespace quin
