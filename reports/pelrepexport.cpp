#include "reports/pelrepexport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/orvfiles.h"
#include "base/process.h"
#include "base/text.h"
#include "reports/orvexcel.h"
#include "reports/orvexportserie.h"
#include "reports/pelchart.h"
#include "reports/pelrep.h"
#include "reports/pelrepelem.h"
#include "reports/peltable.h"

namespace quin {

namespace fs = std::filesystem;

namespace {

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().TranslateText(Cp1250(Utf8));
}

std::string WithoutTrailingBreaks(std::string S) {
  while (!S.empty() && (S.back() == '\r' || S.back() == '\n')) S.pop_back();
  return S;
}

}  // namespace

TPelRepElemTable* ExportedTable(TPelRepElem& Elem) {
  if (auto* C = As<TPelRepElemChart>(&Elem)) return C->GetTable();
  return As<TPelRepElemTable>(&Elem);
}

void ExportElementToExcel(TOrvExcel& Excel, TPelRepElem& Elem, TXlWorksheet* Contents, int Options,
                          int Index) {
  // The table's texts are made afresh from the program's own texts: those a page left behind
  // are in the page's character set.
  if (TPelRepElemTable* T = ExportedTable(Elem)) T->RefreshTexts();
  // A chart is filled afresh as for the pages (a template that cannot be read gives the
  // default look) and becomes a chart sheet.
  if (auto* C = As<TPelRepElemChart>(&Elem)) {
    TChart Chart = C->CreateChart(true);
    // A chart sheet stands on its own: the chart's full caption titles it.
    const std::string Caption = C->GetFullCaption();
    Chart.Title.Visible = true;
    Chart.Title.Text = {Caption};
    ExportChartSheet(Excel, Chart, C->GetIdentPath(false), Contents, Index, Caption);
    return;
  }
  Elem.ExportToExcel(Excel, Contents, Options, Index);
}

void ExportReportToExcel(const std::string& FileName, TPelRep& Report,
                         const std::vector<TPelRepElem*>& Elements,
                         const TPelExportProgress& Progress, bool SigMarkers, bool TOC,
                         const TPelExportProduct& Product) {
  TOrvExcel Excel(xlWorksheet);
  TXlWorksheet& Intro = *Excel.GetWorksheet(1);
  Excel.SetSheetName(Intro, "Intro");
  Excel.SetValue(Excel.GetCell(Intro, 1, 1), Translated("<PLK>Wstęp<ENU>Introduction"));
  std::vector<std::string> Lines;
  if (Report.Survey) Report.Survey->GetReportHeaderLines(Lines);
  int R = 2;
  for (const std::string& L : Lines)
    Excel.SetValue(Excel.GetCell(Intro, 1, ++R), WithoutTrailingBreaks(L));
  Excel.SetAlignment(Excel.GetCell(Intro, 1, R), xlLeft, std::nullopt);
  Excel.SetValue(Excel.GetCell(Intro, 1, R + 2), Product.NameAndVersion);
  Excel.SetValue(Excel.GetCell(Intro, 1, R + 3), Product.Company);
  Excel.AutoFitColumn(Intro, 1);

  TXlWorksheet* Contents = nullptr;
  if (TOC) {
    Contents = &Excel.AddWorksheet("TOC");
    Excel.SetValue(Excel.GetCell(*Contents, 1, 1),
                   Translated("<PLK>Spis treści<ENU>Table of contents"));
    Excel.Select(Excel.GetCell(*Contents, 1, 3));
    Excel.FreezePanes(*Contents);
  }
  for (int I = 0; I < int(Elements.size()); ++I) {
    TPelRepElem& E = *Elements[std::size_t(I)];
    if (Progress) Progress(E.GetFullCaption(), I + 1);
    ExportElementToExcel(Excel, E, Contents, SigMarkers ? 1 : 0, I);
  }
  if (Contents) {
    Excel.AutoFitColumn(*Contents, 1);
    Excel.AutoFitColumn(*Contents, 2);
  }
  BackupFile(FileName, false);
  Excel.SaveAs(FileName);
}

std::string FindZipProgram() {
  const char* Path = std::getenv("PATH");
  if (!Path) return {};
  for (const char* Name : {"7zz", "7z"}) {
    std::string_view Rest(Path);
    while (true) {
      const std::size_t Colon = Rest.find(':');
      const std::string_view Dir = Rest.substr(0, Colon);
      if (!Dir.empty()) {
        const fs::path P = fs::path(Dir) / Name;
        std::error_code Ec;
        if (fs::is_regular_file(P, Ec) && ::access(P.c_str(), X_OK) == 0) return P.string();
      }
      if (Colon == std::string_view::npos) break;
      Rest.remove_prefix(Colon + 1);
    }
  }
  return {};
}

std::string PackWorkbook(const std::string& Workbook, const std::string& Program,
                         std::chrono::milliseconds TimeLimit) {
  const fs::path Book(Workbook);
  const std::string Name = Book.filename().string();
  const std::string ArchiveName = Book.stem().string() + ".zip";
  if (Program.empty() || Name.empty() || Name.find('"') != std::string::npos) return {};
  const fs::path Archive = Book.parent_path() / ArchiveName;
  std::error_code Ec;
  fs::remove(Archive, Ec);
  if (Ec || !fs::is_regular_file(Book, Ec)) return {};
  const std::string Folder = Book.parent_path().string();
  // Quiet: no messages or progress on the server's own output. The names are the program's
  // arguments as they stand (no shell); they start with no "-", so none reads as a switch.
  const int Packed = RunProcessAndWait(
      Folder, {Program, "a", "-tzip", "-bso0", "-bsp0", "-y", ArchiveName, Name}, 0, TimeLimit);
  bool Good = Packed == 0 && fs::is_regular_file(Archive, Ec);
  if (Good) {
    char Magic[4] = {};
    std::ifstream In(Archive, std::ios::binary);
    In.read(Magic, 4);
    Good = In.gcount() == 4 && std::string_view(Magic, 4) == std::string_view("PK\x03\x04", 4) &&
           RunProcessAndWait(Folder, {Program, "t", "-tzip", "-bso0", "-bsp0", ArchiveName}, 0,
                             TimeLimit) == 0;
  }
  if (!Good) {
    fs::remove(Archive, Ec);
    return {};
  }
  return Archive.string();
}

}  // namespace quin
