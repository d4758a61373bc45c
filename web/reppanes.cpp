#include "web/reppanes.h"

#include <atomic>
#include <filesystem>
#include <utility>

#include "analysis/pelsurvey.h"
#include "base/exception.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/chart.h"
#include "platform/chartrender.h"
#include "platform/html.h"
#include "platform/jpeg.h"
#include "platform/websession.h"
#include "reports/pelchart.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "web/repparform.h"

namespace quin {

namespace fs = std::filesystem;

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneFrame, TZepFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneAnalysisGenFrame, TPelWebRepPaneFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneLayersFrame, TPelWebRepPaneAnalysisGenFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneAnalysisFrame, TPelWebRepPaneAnalysisGenFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneTableFrame, TPelWebRepPaneLayersFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepPaneChartFrame, TPelWebRepPaneLayersFrame)
QUIN_IMPLEMENT_CLASS(TPelWebRepElem, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelWebRepElemList, TOrvObjectList)

std::string SessionFilesFolder(const std::string& Name) {
  TWebSession* S = CurrentWebSession();
  if (!S) throw Exception("No session is bound to this request.");
  return S->FilesFolder() + Name + "/" + S->Id();
}

// --- element information ---

std::string FillElementInfo(TPelRepElem& Elem) {
  std::string Html;
  TPelSurvey* Survey = Elem.Survey;
  if (Survey && Survey->Info && Survey->Info->Demo) {
    Html += "<font class=warning>" + Tr("<PLK>Ostrzeżenie<ENU>Warning") + "<br>";
    Html += ReplaceText(
                ReplaceText(Tr("<PLK>To jest wersja demonstracyjna badania.\\nWyniki oparte są na "
                               "niereprezentatywnych danych i nie powinny podlegać statystycznej "
                               "interpretacji.<ENU>This is a demonstration version of the "
                               "survey.\\nResults are based on non-representative data and should "
                               "not be subject to statistical analysis."),
                            "\r\n", "\n"),
                "\n", "<br>") +
            "<br>";
    Html += "</font><br>";
  }
  // The description in its HTML form: the survey and user texts in it (names of questions,
  // groups, weightings) come escaped, significance markers as their images.
  std::string Text = Elem.GetDescription(1);
  Text = ReplaceText(Text, "\r\n", "\n");
  std::string Lines;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find('\n', Start);
    std::string Line = Text.substr(Start, End == std::string::npos ? End : End - Start);
    size_t Blanks = Line.find_first_not_of(' ');
    if (Blanks != std::string::npos && Blanks > 0) {
      std::string Lead;
      for (size_t I = 0; I < Blanks; ++I) Lead += "&nbsp;";
      Lead.append(Line, Blanks);
      Line = std::move(Lead);
    }
    Lines += Line + "<br>";
    if (End == std::string::npos) break;
    Start = End + 1;
  }
  return Html + Lines;
}

// --- panes ---

void TPelWebRepPaneFrame::AfterConstruction() {
  TZepFrame::AfterConstruction();
  Refresh();
}

void TPelWebRepPaneFrame::CreateControls() {
  TZepFrame::CreateControls();
  FrameRegion->SetSize(0, 0);
  ContentRegion = FrameRegion->Add<TWebRegion>("ContentRegion");
  SplitRegion = FrameRegion->Add<TWebRegion>("SplitRegion");
  SplitRegion->Css = "splitregion";
  InfoRegion = FrameRegion->Add<TWebRegion>("InfoRegion");
  InfoRegion->Css = "inforegion";
  InfoText = InfoRegion->Add<TWebText>("InfoText");
  InfoText->Css = "main";
}

void TPelWebRepPaneFrame::Refresh() { InfoText->Text = Elem ? FillElementInfo(*Elem) : ""; }

void TPelWebRepPaneFrame::LanguageChanged() {
  TZepFrame::LanguageChanged();
  Refresh();
}

void TPelWebRepPaneAnalysisFrame::CreateControls() {
  TPelWebRepPaneAnalysisGenFrame::CreateControls();
  ParPanesRegion = ContentRegion->Add<TWebRegion>("ParPanesRegion");
}

void TPelWebRepPaneAnalysisFrame::Refresh() {
  TPelWebRepPaneAnalysisGenFrame::Refresh();
  for (TPelWebPivotDimFrame* F : DimFrames) ParPanesRegion->Delete(F);
  DimFrames.clear();
  auto* An = As<TPelRepElemAnalysis>(Elem);
  if (!An) return;
  for (int I = 0; I < An->Parameters->Count(); ++I) {
    TPelPar* P = An->Parameters->GetItem(I);
    if (P->NotDimension) continue;
    auto* F =
        ParPanesRegion->Add<TPelWebPivotDimFrame>("PelWebPivotDim" + IntToStr(I), std::string(), P);
    // One below the other, in the page's flow.
    F->Left = 10;
    F->Top = I * 160;
    F->SetSize(400, 150);
    F->FillValues();
    DimFrames.push_back(F);
  }
}

void TPelWebRepPaneTableFrame::CreateControls() {
  TPelWebRepPaneLayersFrame::CreateControls();
  TableRegion = ContentRegion->Add<TWebRegion>("TableRegion");
  TableRegion->Css = "tableregion";
  TableText = TableRegion->Add<TWebText>("TableText");
}

void TPelWebRepPaneTableFrame::Refresh() {
  TPelWebRepPaneLayersFrame::Refresh();
  auto* T = As<TPelRepElemTable>(Elem);
  if (!T) return;
  T->RefreshTexts();
  TableText->Text = T->RenderHtmlText();
}

void TPelWebRepPaneTableFrame::PrintHtml(std::vector<std::string>& Lines) {
  Lines.push_back(TableText->Text);
}

TPelWebRepPaneChartFrame::TPelWebRepPaneChartFrame(TWebForm* AWindow, TPelRepElem* AElem,
                                                   std::uint64_t AImageNumber)
    : TPelWebRepPaneLayersFrame(AWindow, AElem),
      Chart(std::make_unique<TChart>()),
      ChartFolder(SessionFilesFolder("TMPCharts")),
      ImageNumber(AImageNumber) {}

TPelWebRepPaneChartFrame::~TPelWebRepPaneChartFrame() = default;

namespace {
// The size the chart image is drawn at.
constexpr int kChartWidth = 686;
constexpr int kChartHeight = 387;
}  // namespace

void TPelWebRepPaneChartFrame::CreateControls() {
  TPelWebRepPaneLayersFrame::CreateControls();
  ChartRegion = ContentRegion->Add<TWebRegion>("ChartRegion");
  ChartRegion->SetSize(kChartWidth, kChartHeight);
  ChartImage = ChartRegion->Add<TWebImageFile>("ChartImage");
  ChartImage->SetSize(kChartWidth, kChartHeight);
}

namespace {
// The table's texts are made for the page: in a Polish session their Polish letters are in the
// page's character set. The chart draws Windows-1250 text.
void RecodeChartTexts(TChart& Chart) {
  if (CurrentLangManager().Current() != "plk") return;
  auto R = [](std::string& S) { S = Iso88592ToCp1250(S); };
  for (std::string& L : Chart.Title.Text) R(L);
  for (TChartAxis* A : {&Chart.LeftAxis, &Chart.RightAxis, &Chart.TopAxis, &Chart.BottomAxis})
    R(A->Title.Caption);
  for (TChartAxis& A : Chart.CustomAxes) R(A.Title.Caption);
  for (TChartSeries& S : Chart.Series) {
    R(S.Title);
    for (TChartPoint& P : S.Points) R(P.Label);
  }
}
}  // namespace

void TPelWebRepPaneChartFrame::ChartRegionRender() {
  // The chart is filled anew from the element each time: the default look, then the table.
  *Chart = TChart();
  ApplyChartDefaults(*Chart);
  Chart->Width = ChartImage->Width;
  Chart->Height = ChartImage->Height;
  if (auto* C = As<TPelRepElemChart>(Elem)) {
    try {
      C->BuildChart(*Chart, false);
    } catch (const std::exception&) {
      // The chart shows what it holds.
      LogCaught(TLogLevel::Warning, "the chart cannot be built: " + C->GetCaption());
    }
    RecodeChartTexts(*Chart);
  }
  Chart->Gradient.Visible = false;
  Chart->BevelInner = TChartBevel::None;
  Chart->BevelOuter = TChartBevel::None;
  ChartImage->FileName = WriteChartImage();
  ChartImage->AltText = HtmlEscape(Elem ? Elem->GetCaption() : std::string());
}

std::string TPelWebRepPaneChartFrame::WriteChartImage() {
  std::string File = ChartFolder + "/Chart" + std::to_string(ImageNumber) + ".jpg";
  std::error_code Ec;
  fs::create_directories(ChartFolder, Ec);
  TChartDrawOptions O;
  O.Numbers = CurrentLangManager().FormatSettings;
  SaveJpegFile(DrawChart(*Chart, Chart->Width, Chart->Height, O), kChartJpegQuality, File);
  return File;
}

void TPelWebRepPaneChartFrame::PrintHtml(std::vector<std::string>& Lines) {
  TWebSession* S = CurrentWebSession();
  if (!S || ChartImage->FileName.empty()) return;
  // The image under a name of its own: the print page may be passed on, the session not.
  Lines.push_back("<img src=\"" + HtmlEscape(S->PublishFile(ChartImage->FileName)) + "\">");
}

// --- elements and their panes ---

namespace {
std::atomic<std::uint64_t> NextElemNumber{1};
}  // namespace

TPelWebRepElem::TPelWebRepElem(TPelRepElem* AElem) : Elem(AElem), Number(NextElemNumber++) {}

TPelWebRepElem::~TPelWebRepElem() { FreePane(); }

void TPelWebRepElem::FreePane() {
  if (!Pane) return;
  TPelWebRepPaneFrame* P = Pane;
  Pane = nullptr;
  if (P->Parent()) P->Parent()->Delete(P);
}

TPelWebRepPaneFrame* TPelWebRepElem::CreatePane(TWebForm& Window, TWebContainer& Region) {
  FreePane();
  const std::string Name = "PelWebRepPane" + std::to_string(Number);
  if (Elem->Is<TPelRepElemAnalysis>())
    Pane = Region.Add<TPelWebRepPaneAnalysisFrame>(Name, &Window, Elem);
  else if (Elem->Is<TPelRepElemChart>())
    Pane = Region.Add<TPelWebRepPaneChartFrame>(Name, &Window, Elem, Number);
  else if (Elem->Is<TPelRepElemTable>())
    Pane = Region.Add<TPelWebRepPaneTableFrame>(Name, &Window, Elem);
  // At the top left of the region, in the page's flow.
  return Pane;
}

TPelWebRepElem* TPelWebRepElemList::Find(const TPelRepElem* Elem) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->Elem == Elem) return GetItem(I);
  return nullptr;
}

TPelWebRepElem* TPelWebRepElemList::FindOrAdd(TPelRepElem* Elem) {
  if (TPelWebRepElem* E = Find(Elem)) return E;
  return Add(New<TPelWebRepElem>(Elem));
}

}  // namespace quin
