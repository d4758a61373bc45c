// Opens a saved workbook with LibreOffice (headless) and reads every sheet back as it shows
// its cells, for tests that check a workbook as a spreadsheet program sees it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace quin::test {

// Whether LibreOffice's soffice program is installed.
bool HasLibreOffice();

using TCsvSheet = std::vector<std::vector<std::string>>;  // lines of fields

// Converts every worksheet of the workbook into CSV (UTF-8, values as shown) in WorkDir, with
// a LibreOffice profile of its own there, and returns the sheets by name. Raises
// std::runtime_error when LibreOffice fails or writes nothing.
std::map<std::string, TCsvSheet> ReadSheetsWithLibreOffice(const std::string& Workbook,
                                                           const std::string& WorkDir);

}  // namespace quin::test
