// The texts that describe an analysis survey: the header lines of an exported report, the root
// of its information pages and the HTML summary of the survey-information page. Labels are in
// the session's language; the survey's own texts come through its language manager and are
// escaped wherever they go into HTML.
#include <algorithm>

#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvdates.h"
#include "base/orvfiles.h"
#include "base/orvstrings.h"
#include "base/systemlocale.h"
#include "base/text.h"
#include "surveykit/merschema.h"

namespace quin {

namespace {

const char* const kWarningText = "<PLK>Ostrzeżenie<ENU>Warning";
const char* const kDemoText =
    "<PLK>To jest wersja demonstracyjna badania.\\nWyniki oparte są na niereprezentatywnych "
    "danych i nie powinny podlegać statystycznej interpretacji.<ENU>This is a demonstration "
    "version of the survey.\\nResults are based on non-representative data and should not be "
    "subject to statistical analysis.";

// A label of the program in the session's language; Separator stands for each line break.
std::string Label(std::string_view Utf8, std::string_view Separator = "") {
  return CurrentLangManager().TranslateText(Cp1250(Utf8), Separator);
}

const TFormatSettings& SessionSettings() { return CurrentLangManager().FormatSettings; }

// A text of the survey (bilingual) in the survey's language.
std::string SurveyText(const TPelSurvey& S, const std::string& Text) {
  const TOrvLangManager* M = SurveyLangManager(&S);
  return M ? M->TranslateText(Text) : Text;
}

// "Label: <b>Value</b><br>" with Value already HTML.
std::string BoldLine(std::string_view LabelUtf8, const std::string& Value) {
  return Label(LabelUtf8) + ": <b>" + Value + "</b><br>";
}

// Nothing but blanks and control characters.
bool IsBlank(std::string_view S) {
  return std::all_of(S.begin(), S.end(),
                     [](char C) { return static_cast<unsigned char>(C) <= ' '; });
}

std::string Population(double Value) { return Format("%1.0n", {Value}, SessionSettings()); }

// The number of cases of a record set, after Indent non-breaking spaces, with the mean per
// wave when there are several waves.
std::string CaseLine(const TMerRecset& R, int Indent, int Waves) {
  std::string T;
  for (int I = 0; I < Indent; ++I) T += "&nbsp;";
  const int Records = R.RecCount();
  T += Label("<PLK>Liczba przypadków<ENU>Number of cases") + ": <b>" + IntToStr(Records) + "</b>";
  if (Waves > 1)
    T += ", " + Label("<PLK>średnio na falę<ENU>mean per wave") + ": <b>" +
         IntToStr(Records / Waves) + "</b>";
  return T;
}

std::string RecsetsText(const TPelSurvey& S, int Waves) {
  if (S.RecsetCount() == 1) return CaseLine(*S.Recset(0), 0, Waves);
  std::string T = "<br>" + Label("<PLK>Zbiory danych<ENU>Record sets") + ":";
  for (int I = 0; I < S.RecsetCount(); ++I) {
    const TMerRecset& R = *S.Recset(I);
    T += "<br>&nbsp;&nbsp;<b>" + HtmlEscape(R.GetName()) + "</b><br>" + CaseLine(R, 2, Waves);
  }
  return T;
}

std::string WeightsText(const TGimWeightList& Weights) {
  const std::string PopLabel = Label("<PLK>populacja<ENU>population");
  const int Real = Weights.CountWeighted();
  if (Real == 0) return "<b>" + Label("<PLK>Dane nie ważone<ENU>Data not weighted") + "</b><br>";
  const TGimWeight* Off = nullptr;
  for (int I = 0; I < Weights.Count() && !Off; ++I)
    if (!Weights.GetItem(I)->IsWeighted()) Off = Weights.GetItem(I);
  std::string T = Label("<PLK>Dane nie ważone<ENU>Non-weighted data") + ": <b>";
  if (Off) {
    T += Label("<PLK>dostępne<ENU>available") + "</b>";
    if (Off->Population > 0) T += ", " + PopLabel + ": " + Population(Off->Population);
    T += "<br>";
  } else {
    T += Label("<PLK>nie dostępne<ENU>not available") + "</b><br>";
  }
  T += Real == 1 ? Label("<PLK>Waga analityczna<ENU>Analytical weight") + ": "
                 : Label("<PLK>Wagi analityczne<ENU>Analytical weights") + ":<br>";
  for (int I = 0; I < Weights.Count(); ++I) {
    const TGimWeight& W = *Weights.GetItem(I);
    if (!W.IsWeighted()) continue;
    if (Real > 1) T += "&nbsp;&nbsp;";
    T += "<b>" + HtmlEscape(W.GetName()) + "</b>";
    if (W.Population > 0) T += ", " + PopLabel + ": " + Population(W.Population);
    T += "<br>";
  }
  return T;
}

std::string LanguagesText(const TPelSurvey& S) {
  std::string T =
      Label(
          "<PLK>Badanie jest dostępne w następujących językach<ENU>Available languages for "
          "this survey") +
      ": <br>";
  const TOrvLangManager* M = SurveyLangManager(&S);
  for (const std::string& Code : S.Environ->LanguagesList) {
    // The name in the session's language reaches the page in the page's character set, as
    // survey texts do.
    std::string Name = LanguageDisplayName(Code, CurrentLangManager().Current());
    if (M) M->PostProcessText(Name);
    T += "&nbsp;&nbsp;<b>" + HtmlEscape(Name) + "</b><br>";
  }
  return T + "<br>";
}

}  // namespace

void TPelSurvey::GetReportHeaderLines(std::vector<std::string>& Lines) const {
  const TFormatSettings& FS = SessionSettings();
  std::string Period;
  if (Waves) Waves->GetPeriodText(Period, FS);
  Lines.push_back(Label("<PLK>Badanie<ENU>Survey") + ": " +
                  (Info ? SurveyText(*this, Info->Name) : std::string()));
  Lines.push_back(Label("<PLK>Realizacja<ENU>Fieldwork") + ": " + Period);
  Lines.emplace_back();
  Lines.push_back(Label("<PLK>Dane przetworzone<ENU>Data processed") + ": " +
                  ShortDateText(DataDate, FS));
  Lines.push_back(Label("<PLK>Raport przygotowany<ENU>Report prepared") + ": " +
                  ShortDateText(Today(), FS));
  Lines.emplace_back();
  if (Info && Info->Demo) {
    Lines.push_back(Label(kWarningText));
    // The warning's two sentences as two lines.
    const std::string Text = Label(kDemoText, "\n");
    std::string_view Demo = Text;
    for (size_t Br; (Br = Demo.find('\n')) != std::string_view::npos; Demo.remove_prefix(Br + 1))
      Lines.emplace_back(Demo.substr(0, Br));
    Lines.emplace_back(Demo);
    Lines.emplace_back();
  }
}

void TPelSurvey::PrepareInfoRootPage() {
  if (!Info || !Info->PageTree.Root()) return;
  TMerInfoPage& Root = Info->RootPage();
  Root.Name = Label("<PLK>Informacje o badaniu<ENU>Survey information");
  Root.Text = Format(
      Label("<PLK>Kolejne strony przedstawiają dokładne informacje<br>o aktualnie otwartym "
            "badaniu.<br><br>Jeżeli nie można znaleźć potrzebnych informacji,<br>proszę się "
            "kontaktować z właścicielem badania: <b>%s</b><ENU>The following pages show detailed "
            "information<br>about the currently opened survey.<br><br>If needed information is "
            "not found there,<br>please contact the survey owner: <b>%s</b>"),
      {HtmlEscape(SurveyText(*this, Info->DataOwner))}, SessionSettings());
}

void TPelSurvey::GetDataSummaryText(int Plain, std::string& Text) const {
  std::string T;
  if (Plain != 1) T += "<font face=\"MS Sans Serif\" size=1>";
  if (Info) {
    T += BoldLine("<PLK>Nazwa badania<ENU>Survey name", HtmlEscape(SurveyText(*this, Info->Name)));
    const std::string Owner = SurveyText(*this, Info->DataOwner);
    if (!IsBlank(Owner))
      T += BoldLine("<PLK>Właściciel badania<ENU>Survey owner", HtmlEscape(Owner));
    T += BoldLine("<PLK>Przestrzeń nazw badania<ENU>Survey namespace", HtmlEscape(Info->Namespace));
    T += BoldLine("<PLK>Identyfikator badania<ENU>Survey identifier", HtmlEscape(Info->ID));
  }
  T += "<br>";
  const std::string Dir = DefinitionDirOf(FileName);
  T += BoldLine("<PLK>Nazwa pliku<ENU>File name", HtmlEscape(FileName.substr(Dir.size())));
  if (Plain != 1) T += BoldLine("<PLK>Folder<ENU>Folder", HtmlEscape(GetDefinitionDir()));
  try {
    const int64_t Size = FileSizeByName(FileName);
    T += BoldLine("<PLK>Wielkość pliku<ENU>File size", IntToStr(Size / 1024) + " kB");
  } catch (const EStreamError&) {
    // A file whose size cannot be read has no size line.
  }
  T += BoldLine("<PLK>Dane przygotowane<ENU>Data prepared",
                DateTimeText(DataDate, SessionSettings()));
  const int WaveCount = Waves ? Waves->Count() : 0;
  T += "<br>" + BoldLine("<PLK>Liczba fal<ENU>Number of waves", IntToStr(WaveCount));
  if (Waves && Waves->MinSelCount > 1)
    T += BoldLine("<PLK>Minimalna liczba fal w analizach<ENU>Minimum number of waves in analyses",
                  IntToStr(Waves->MinSelCount));
  if (RecsetCount() > 0) T += RecsetsText(*this, WaveCount);
  T += "<br><br>";
  if (Weights) T += WeightsText(*Weights);
  T += "<br>";
  if (Info && Info->Demo)
    T += "<font color=\"#880000\"><b>" + Label(kDemoText, "<br>") + "</b></font><br><br>";
  T += LanguagesText(*this);
  Text = std::move(T);
}

}  // namespace quin
