// quin-report: opens a survey file and a report file, calculates every table of the report and
// prints each table's tab-separated text (with --html its HTML table); with --charts FOLDER it
// also draws every chart of the report as FOLDER/<element path>.jpg, 686 x 387 as the pages
// show it. For tests, and for analysts who script their reports. Texts are printed in UTF-8.
//
//   quin-report [--html] [--charts FOLDER] [-lang:enu|-lang:plk] SURVEY.zos REPORT.zor
//
// Exit codes: 0 done, 1 a file could not be read or a table not calculated, 2 bad arguments.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/jpeg.h"
#include "reports/pelchart.h"
#include "reports/pelrep.h"
#include "reports/peltable.h"
#include "reports/register.h"
#include "surveykit/merenviron.h"

namespace {

using namespace quin;

int Usage(const std::string& Why) {
  std::cerr << "quin-report: " << Why
            << "\nusage: quin-report [--html] [--charts FOLDER] [-lang:enu|-lang:plk] SURVEY.zos "
               "REPORT.zor\n";
  return 2;
}

// A text of the program (Windows-1250) for the terminal.
std::string Out(const std::string& Text) { return Cp1250ToUtf8(Text); }

std::unique_ptr<TPelSurvey> OpenSurvey(const std::string& Path) {
  auto Survey = New<TPelSurvey>(Path, 1);
  Survey->LoadFromFile(Path);
  if (!Survey->AfterOpen()) throw Exception("The survey cannot be opened.");
  return Survey;
}

// Reads the report; the reader's messages go to the error output. False when it found errors.
bool ReadReport(TPelRep& Report, const std::string& Path) {
  TFileStream Stream(Path, fmOpenRead | fmShareDenyWrite);
  TOrvMsgList Msgs(100, 20);
  bool Failed = false;
  try {
    Report.LoadFromStream(Stream, &Msgs);
  } catch (const Exception& E) {
    if (Msgs.Empty() || !Msgs.GetItem(Msgs.Count() - 1)->IsFatal())
      std::cerr << Path << ": " << Out(E.Message) << "\n";
    Failed = true;
  }
  for (int I = 0; I < Msgs.Count(); ++I) {
    const TOrvMsg& M = *Msgs.GetItem(I);
    std::cerr << Path << ":" << M.Pos.Line << ":" << M.Pos.Column << ": " << Out(M.MessageText())
              << "\n";
    Failed = Failed || M.IsError();
  }
  return !Failed;
}

}  // namespace

int main(int argc, char** argv) {
  bool Html = false;
  std::string ChartFolder;
  std::vector<std::string> Files, LangArgs;
  for (int I = 1; I < argc; ++I) {
    const std::string A = argv[I];
    if (A == "--html") {
      Html = true;
    } else if (A == "--charts") {
      if (++I >= argc || !*argv[I]) return Usage("--charts needs a folder");
      ChartFolder = argv[I];
    } else if (SameText(A, "-lang:enu") || SameText(A, "-lang:plk")) {
      LangArgs.push_back(LowerCase(A));
    } else if (A == "--help" || A == "-h") {
      Usage("prints the tables of a report");
      return 0;
    } else if (!A.empty() && A[0] == '-') {
      return Usage("unknown option " + A);
    } else {
      Files.push_back(A);
    }
  }
  if (Files.size() != 2) return Usage("a survey file and a report file are needed");
  SetProgramArguments(LangArgs);
  RegisterReportsClasses();
  const std::string Lang = !LangArgs.empty() && LangArgs.back() == "-lang:enu" ? "enu" : "plk";
  auto Manager = New<TOrvLangManager>(Lang);
  TLangManagerBinding Binding(Manager.get());

  std::unique_ptr<TPelSurvey> Survey;
  try {
    Survey = OpenSurvey(Files[0]);
  } catch (const Exception& E) {
    std::cerr << Files[0] << ": " << Out(E.Message) << "\n";
    return 1;
  }
  // Numbers and survey texts in the chosen language, as an analyst's session shows them.
  SetUpSessionLanguage(*Manager, Survey->Environ ? Survey->Environ->LangManager.get() : nullptr);
  TPelRep Report(Survey.get());
  try {
    if (!ReadReport(Report, Files[1])) return 1;
  } catch (const Exception& E) {
    std::cerr << Files[1] << ": " << Out(E.Message) << "\n";
    return 1;
  }

  int Code = 0;
  const auto Elems = Report.Tree->CreateElemList();
  for (int I = 0; I < Elems->Count(); ++I) {
    if (auto* Chart = As<TPelRepElemChart>(Elems->GetItem(I)); Chart && !ChartFolder.empty()) {
      // Its table was calculated before it: the chart follows its table in the list.
      const std::string File = ChartFolder + "/" + Chart->GetIdentPath(false) + ".jpg";
      try {
        SaveJpegFile(Chart->DrawImage(686, 387), kChartJpegQuality, File);
      } catch (const Exception& E) {
        std::cerr << File << ": " << Out(E.Message) << "\n";
        Code = 1;
      }
      continue;
    }
    auto* Table = As<TPelRepElemTable>(Elems->GetItem(I));
    if (!Table) continue;
    const std::string Caption = Table->GetFullCaption();
    try {
      Table->Calculate();
    } catch (const Exception& E) {
      std::cerr << Files[1] << ": " << Out(Caption) << ": " << Out(E.Message) << "\n";
      Code = 1;
      continue;
    }
    if (Html) {
      Table->FillCoordinates();
      std::cout << "<h3>" << Out(HtmlEscape(Caption)) << "</h3>\r\n"
                << Out(Table->RenderHtmlText());
    } else {
      std::vector<std::string> Lines;
      Table->AppendTextLines(Lines, true, 0);
      for (const std::string& L : Lines) std::cout << Out(L);
    }
  }
  std::cout.flush();
  return std::cout ? Code : 1;
}
