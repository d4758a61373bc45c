#include "tests/support/libreoffice.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "base/process.h"

namespace quin::test {

namespace fs = std::filesystem;

namespace {

// Fields separated by commas; a field in double quotes may hold commas, line breaks and
// doubled quotes.
TCsvSheet ParseCsv(const std::string& Text) {
  TCsvSheet Lines(1);
  std::string Field;
  bool Quoted = false;
  for (size_t I = 0; I < Text.size(); ++I) {
    const char C = Text[I];
    if (Quoted) {
      if (C == '"' && I + 1 < Text.size() && Text[I + 1] == '"') {
        Field += '"';
        ++I;
      } else if (C == '"') {
        Quoted = false;
      } else {
        Field += C;
      }
    } else if (C == '"') {
      Quoted = true;
    } else if (C == ',') {
      Lines.back().push_back(std::move(Field));
      Field.clear();
    } else if (C == '\n') {
      Lines.back().push_back(std::move(Field));
      Field.clear();
      Lines.emplace_back();
    } else if (C != '\r') {
      Field += C;
    }
  }
  if (Lines.back().empty() && Field.empty())
    Lines.pop_back();
  else
    Lines.back().push_back(Field);
  return Lines;
}

}  // namespace

bool HasLibreOffice() { return fs::exists("/usr/bin/soffice"); }

std::map<std::string, TCsvSheet> ReadSheetsWithLibreOffice(const std::string& Workbook,
                                                           const std::string& WorkDir) {
  const fs::path Out = fs::path(WorkDir) / "csv";
  // Comma, double quote, UTF-8, from line 1, values as shown, every sheet in a file of its own.
  const int Code = RunProcessAndWait(
      WorkDir,
      std::vector<std::string>{
          "soffice", "-env:UserInstallation=file://" + (fs::path(WorkDir) / "profile").string(),
          "--headless", "--convert-to",
          "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
          "--outdir", Out.string(), Workbook},
      0);
  if (Code != 0) throw std::runtime_error("soffice failed: " + std::to_string(Code));
  std::map<std::string, TCsvSheet> Sheets;
  const std::string Prefix = fs::path(Workbook).stem().string() + "-";
  for (const fs::directory_entry& E : fs::directory_iterator(Out)) {
    const std::string Name = E.path().stem().string();
    if (Name.rfind(Prefix, 0) != 0) continue;
    std::ifstream In(E.path(), std::ios::binary);
    Sheets[Name.substr(Prefix.size())] =
        ParseCsv(std::string(std::istreambuf_iterator<char>(In), {}));
  }
  if (Sheets.empty()) throw std::runtime_error("soffice wrote no sheet");
  return Sheets;
}

}  // namespace quin::test
