// The panes of the report window: each report element shown is paired with its pane (a table
// as the pivot table's HTML, a chart as a JPEG image drawn on the server, an analysis as the
// dimension frames of its parameters), with the element's description below. Chart images lie
// in the session's "TMPCharts/<session>/" folder; the print page in "TMPReports/<session>/".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/orvclasses.h"
#include "web/zepform.h"

namespace quin {

class TPelRepElem;
class TPelRepElemChart;
class TPelWebPivotDimFrame;
struct TChart;

// The session folder Name ("TMPCharts", "TMPReports") below the files folder of the calling
// request's session: files folder + Name + "/" + session id; raises outside a session.
std::string SessionFilesFolder(const std::string& Name);

// The element's information as HTML: the demonstration warning for a demonstration survey,
// then the description, every survey and user text escaped, leading blanks as "&nbsp;" and
// "<br>" after every line.
std::string FillElementInfo(TPelRepElem& Elem);

class TPelWebRepPaneFrame : public TZepFrame {
  QUIN_CLASS(TPelWebRepPaneFrame, TZepFrame)
 public:
  // Elem stored; the pane is built and refreshed when it is added to its region.
  TPelWebRepPaneFrame(TWebForm* AWindow, TPelRepElem* AElem) : Window(AWindow), Elem(AElem) {}
  void AfterConstruction() override;

  TWebRegion* InfoRegion = nullptr;
  TWebText* InfoText = nullptr;
  TWebRegion* SplitRegion = nullptr;
  TWebForm* Window;   // not owned
  TPelRepElem* Elem;  // not owned

  // The information text anew.
  virtual void Refresh();
  // Appends the pane's printable HTML to Lines (nothing here).
  virtual void PrintHtml(std::vector<std::string>& Lines) {}
  // Before each rendering of the page that shows the pane.
  virtual void BeforeRender() {}
  void LanguageChanged() override;

 protected:
  void CreateControls() override;
  // Where the descendants put their content (above the information).
  TWebRegion* ContentRegion = nullptr;
};

class TPelWebRepPaneAnalysisGenFrame : public TPelWebRepPaneFrame {
  QUIN_CLASS(TPelWebRepPaneAnalysisGenFrame, TPelWebRepPaneFrame)
 public:
  using TPelWebRepPaneFrame::TPelWebRepPaneFrame;
};

class TPelWebRepPaneLayersFrame : public TPelWebRepPaneAnalysisGenFrame {
  QUIN_CLASS(TPelWebRepPaneLayersFrame, TPelWebRepPaneAnalysisGenFrame)
 public:
  using TPelWebRepPaneAnalysisGenFrame::TPelWebRepPaneAnalysisGenFrame;
};

// An analysis: one pivot-dimension frame per parameter that tables take as a dimension.
class TPelWebRepPaneAnalysisFrame : public TPelWebRepPaneAnalysisGenFrame {
  QUIN_CLASS(TPelWebRepPaneAnalysisFrame, TPelWebRepPaneAnalysisGenFrame)
 public:
  using TPelWebRepPaneAnalysisGenFrame::TPelWebRepPaneAnalysisGenFrame;
  TWebRegion* ParPanesRegion = nullptr;
  std::vector<TPelWebPivotDimFrame*> DimFrames;  // owned by ParPanesRegion
  void Refresh() override;

 protected:
  void CreateControls() override;
};

class TPelWebRepPaneTableFrame : public TPelWebRepPaneLayersFrame {
  QUIN_CLASS(TPelWebRepPaneTableFrame, TPelWebRepPaneLayersFrame)
 public:
  using TPelWebRepPaneLayersFrame::TPelWebRepPaneLayersFrame;
  TWebRegion* TableRegion = nullptr;
  TWebText* TableText = nullptr;
  // The headers in the current language, coordinates, cell texts, sort, then the HTML.
  void Refresh() override;
  void PrintHtml(std::vector<std::string>& Lines) override;

 protected:
  void CreateControls() override;
};

class TPelWebRepPaneChartFrame : public TPelWebRepPaneLayersFrame {
  QUIN_CLASS(TPelWebRepPaneChartFrame, TPelWebRepPaneLayersFrame)
 public:
  TPelWebRepPaneChartFrame(TWebForm* AWindow, TPelRepElem* AElem, std::uint64_t AImageNumber);
  ~TPelWebRepPaneChartFrame() override;
  TWebRegion* ChartRegion = nullptr;
  TWebImageFile* ChartImage = nullptr;
  std::unique_ptr<TChart> Chart;
  std::string ChartFolder;
  std::uint64_t ImageNumber;

  // Sizes the chart from the image, fills it from the element (a failure leaves what it
  // holds), turns the gradient and bevels off and writes the image; the image shows it.
  void ChartRegionRender();
  // Writes the chart as ChartFolder/Chart<number>.jpg (JPEG quality 80), the folder made
  // when missing; the file name.
  std::string WriteChartImage();
  // An image tag addressing the written image below the files URL.
  void PrintHtml(std::vector<std::string>& Lines) override;
  void BeforeRender() override { ChartRegionRender(); }

 protected:
  void CreateControls() override;
};

// A report element and its pane (owned; none until the element is first shown). The number
// names the pane and the chart image while the element exists.
class TPelWebRepElem : public TOrvObject {
  QUIN_CLASS(TPelWebRepElem, TOrvObject)
 public:
  explicit TPelWebRepElem(TPelRepElem* AElem = nullptr);
  ~TPelWebRepElem() override;
  TPelRepElem* Elem;
  TPelWebRepPaneFrame* Pane = nullptr;  // belongs to the region it was created in
  std::uint64_t Number;

  // A pane of the class the element asks for (analysis, table, chart) in Region, at its top
  // left, named "PelWebRepPane" + the number; null for other elements.
  TPelWebRepPaneFrame* CreatePane(TWebForm& Window, TWebContainer& Region);
  void RefreshPane() {
    if (Pane) Pane->Refresh();
  }
  // Frees the pane.
  void FreePane();
};

class TPelWebRepElemList : public TOrvTypedList<TPelWebRepElem> {
  QUIN_CLASS(TPelWebRepElemList, TOrvObjectList)
 public:
  TPelWebRepElemList() : TOrvTypedList(true) {}
  // The entry of Elem; null when none.
  TPelWebRepElem* Find(const TPelRepElem* Elem) const;
  // The entry of Elem, added when missing.
  TPelWebRepElem* FindOrAdd(TPelRepElem* Elem);
};

}  // namespace quin
