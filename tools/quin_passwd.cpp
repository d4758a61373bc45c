// quin-passwd ROWS OUTPUT: writes the users file OUTPUT from the rows of ROWS (UTF-8; login,
// password, display name and survey folder separated by tabs, one user a line).
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/exception.h"
#include "tools/userswriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: quin-passwd ROWS OUTPUT\n";
    return 2;
  }
  try {
    std::ifstream In(argv[1], std::ios::binary);
    if (!In) throw quin::Exception(std::string("Cannot read ") + argv[1] + ".");
    std::stringstream Buf;
    Buf << In.rdbuf();
    std::vector<quin::TUserRow> Rows;
    try {
      Rows = quin::ReadUserRows(Buf.str());
    } catch (const quin::Exception& E) {
      throw quin::Exception(std::string(argv[1]) + ": " + E.Message);
    }
    std::string Xml = quin::UsersFileXml(Rows);
    std::ofstream Out(argv[2], std::ios::binary | std::ios::trunc);
    if (!Out.write(Xml.data(), std::streamsize(Xml.size())))
      throw quin::Exception(std::string("Cannot write ") + argv[2] + ".");
  } catch (const quin::Exception& E) {
    std::cerr << "quin-passwd: " << E.Message << "\n";
    return 1;
  }
  return 0;
}
