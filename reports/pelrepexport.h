// The export of a report to a workbook: an introduction sheet with the survey's header lines
// and the product, optionally a contents sheet, then one sheet per chosen element; the previous
// workbook kept as a backup. And the packing of a workbook into a ZIP archive with the 7-Zip
// program, when it is installed.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quin {

class TOrvExcel;
class TPelRep;
class TPelRepElem;
class TPelRepElemTable;
class TXlWorksheet;

// The product lines of the introduction sheet.
struct TPelExportProduct {
  std::string NameAndVersion;  // the product's name and full version
  std::string Company;
};

// Told before each element is exported: its full caption and its number from 1.
using TPelExportProgress = std::function<void(const std::string& Caption, int Number)>;

// Writes the workbook FileName (an .xlsx file): sheet "Intro" with "Introduction" in A1, the
// survey's report header lines from A3, the product lines below them; with TOC a sheet "TOC"
// ("Table of contents", headers frozen above A3) where each element lists itself in row
// number + 2; then each element's own sheet, with SigMarkers the significance markers as
// number formats. An existing FileName is kept as its backup ("Report.~xlsx") first. Raises
// when an element or the file fails; then no new workbook exists under FileName.
void ExportReportToExcel(const std::string& FileName, TPelRep& Report,
                         const std::vector<TPelRepElem*>& Elements,
                         const TPelExportProgress& Progress, bool SigMarkers, bool TOC,
                         const TPelExportProduct& Product);

// The table whose texts an element's sheet is made of: a table itself, a chart's table, else
// none.
TPelRepElemTable* ExportedTable(TPelRepElem& Elem);

// One element's sheet: the chart elements' chart sheet, every other element's own export.
void ExportElementToExcel(TOrvExcel& Excel, TPelRepElem& Elem, TXlWorksheet* Contents, int Options,
                          int Index);

// The 7-Zip command-line program found on the PATH ("7zz" of the 7zip package, else "7z");
// empty when there is none.
std::string FindZipProgram();

// Packs the workbook into an archive beside it with the same name and the extension ".zip"
// (any older archive of that name is deleted first), running Program in the workbook's folder
// with TimeLimit. Returns the archive's path when the program ended with exit code 0 within the
// limit and the archive it wrote passes the program's own test; otherwise the empty text, and
// no archive is left. A workbook name holding a double quote is refused (empty text).
std::string PackWorkbook(const std::string& Workbook, const std::string& Program,
                         std::chrono::milliseconds TimeLimit);

}  // namespace quin
