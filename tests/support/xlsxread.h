// Reads a saved .xlsx file back for tests: its ZIP entries, XPath queries over their XML, the
// sheets by name and the shown text of cells.
#pragma once

#include <string>
#include <vector>

namespace quin::test {

class TXlsxReader {
 public:
  // Raises std::runtime_error when the file is no ZIP archive.
  explicit TXlsxReader(const std::string& FileName);

  std::vector<std::string> EntryNames() const;
  bool HasEntry(const std::string& Name) const;
  // The entry's bytes; raises std::runtime_error when it is missing.
  std::string Entry(const std::string& Name) const;

  // The text of every node the expression selects in the entry (UTF-8), or the value of an
  // expression such as count(...). Prefixes: x (spreadsheet), r (relationships), c (chart),
  // a (drawing), p (package relationships).
  std::vector<std::string> Query(const std::string& Entry, const std::string& XPath) const;
  // The first result, or "" when there is none.
  std::string QueryOne(const std::string& Entry, const std::string& XPath) const;

  // The entry of the sheet (worksheet or chart sheet) named Name, "" when there is none.
  std::string SheetEntry(const std::string& Name) const;
  // The cell's value as stored: a shared or inline string resolved, a number as written;
  // "" for a cell that is missing or has no value.
  std::string CellValue(const std::string& Sheet, const std::string& Ref) const;
  // The cell's number format code ("General" when it has none).
  std::string CellNumberFormat(const std::string& Sheet, const std::string& Ref) const;
  // The cell's style index (its "s" attribute; 0 when none).
  int CellStyle(const std::string& Sheet, const std::string& Ref) const;
  // The chart entries ("xl/charts/chart1.xml", ...) in the order they were written.
  std::vector<std::string> ChartEntries() const;

 private:
  std::string FFileName;
  std::vector<std::string> FNames;
};

}  // namespace quin::test
