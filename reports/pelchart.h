// The chart element: a child of a pivot table showing selected table lines as chart series.
// It keeps which lines it shows (cell addresses that survive recalculation and re-layout),
// whether a series is a table row or a table column, and the template chart whose look and
// series styles the chart takes (the component text of the charting library, kept as read).
//
// What the pages and the export call: CreateChart gives the chart model of the element (the
// default look filled from the table), DrawImage and RenderJpeg draw it as the web pane shows
// it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/peldatainfo.h"
#include "platform/bitmap.h"
#include "platform/chart.h"
#include "reports/pelrepelem.h"

namespace quin {

class TPelRepElemTable;
class TPelRes;

// The default look of a report's chart: 686 x 387, white with a grey-to-white background
// gradient, a legend of series with check boxes, upright category labels, percentage axes
// (right and top) fixed at 0 to 100, a custom axis on the far side each way for statistics
// that are neither counts nor percentages, flat (3-D settings kept for when it is switched
// on) and the print margins.
void ApplyChartDefaults(TChart& Chart);

// A table line a chart shows: its visible position, and the address that chose it (null when
// the chart has no addresses for that direction).
struct TPelChartLine {
  int Line = 0;
  TPelChartDataInfo* Info = nullptr;
};

class TPelRepElemChart : public TPelRepElem {
  QUIN_CLASS(TPelRepElemChart, TPelRepElem)
 public:
  // The element below Table with two empty chart data-info lists.
  TPelRepElemChart(TPelRepElem* ATable, TPelSurvey* ASurvey);

  std::string Template;  // the template chart's component text ("object"); empty: none
  uint8_t SeriesIn = 0;  // 0 one series per table row, 1 per table column
  std::unique_ptr<TPelChartDataInfoList> ColChartDataInfo;  // column addresses
  std::unique_ptr<TPelChartDataInfoList> RowChartDataInfo;  // row addresses

  // The table the chart shows (its parent); null outside a table.
  TPelRepElemTable* GetTable() const;
  // The table's columns and rows the chart shows (the table's cells are built when it has none):
  // the lines its addresses match best (exactly, or failing that at the positions their
  // elements map to), every data line without addresses; then only rows with a real value in
  // a chosen column, and columns with one in a kept row. True when some line remains.
  bool SelectLines(std::vector<TPelChartLine>& ColSel, std::vector<TPelChartLine>& RowSel);

  // ---- Filling a chart
  // Chart takes the template's look when the template has custom axes (the whole template but
  // its name, place and size), else only its 3-D switch; the left and bottom axis labels are
  // switched on and the series are built. FreshStyles: the series styles the addresses hold
  // are not used. A template text that cannot be read raises EFormTextError and leaves Chart
  // as it was.
  void BuildChart(TChart& Chart, bool FreshStyles);
  // The series of the chosen lines: one per row (seriesIn rows) or column, titled with its
  // header path, a point per crossing line labelled with that line's header path. Each takes
  // the style its address holds (unless FreshStyles) or the template series of its position
  // (cycling; a template without series gives side-by-side bars without marks), and the
  // address keeps the style it got. Counts are drawn on the left (bottom) axis, percentages
  // on the right (top) one, other statistics on the custom axis; empty cells are empty points,
  // pies take real values only. Standard and custom axes are shown when a series uses them;
  // the legend when there is more than one series. Raises EFormTextError as BuildChart.
  void BuildChartSeries(TChart& Chart, bool FreshStyles);

  // ---- What the pages and the export call
  // The chart of the element: the default look filled by BuildChart. A template that cannot
  // be read gives the default look with default series styles.
  TChart CreateChart(bool FreshStyles = false);
  // The chart as the web pane shows it, drawn Width x Height: without background gradient
  // and bevels. Raises EChartError for a size the renderer refuses.
  TBitmap DrawImage(int Width, int Height);
  // The JPEG file of DrawImage at Quality (1 to 100; the pages use kChartJpegQuality).
  std::string RenderJpeg(int Width, int Height, int Quality);

  bool IsTextElement() const override { return false; }
  // Some table line is left to show.
  bool HasContent() override;
  std::string GetKindCaption() const override;
  std::string GetKindName(bool Short) const override;
  std::string GetDefKeyword() const override { return "chart"; }
  bool IsContentElement() const override { return true; }
  // The analysis's caption, " - ", the chart's caption.
  std::string GetFullCaption() const override;
  // The element keys, "seriesIn", the data-info lists (when not empty) and the template text.
  void WriteKeys(TStream& Stream, int& Indent) const override;
  // The element keys, "selection" (skipped), "seriesIn", the two data-info lists and "object";
  // then the addresses' elements are linked to the table's parameters.
  void ReadBody(TRixScanner& Scanner, bool& Stale) override;

 private:
  void RelinkDataInfos();
  // The lines of one direction (Cols: the columns along the reference row).
  std::vector<TPelChartLine> MatchLines(TPelRepElemTable& T, bool Cols, int RefA, int RefB);
  // The template read into a chart; an empty template gives a chart without series.
  TChart ReadTemplate() const;
  void BuildSeriesFrom(TChart& Chart, const TChart& Tmpl, bool FreshStyles);
  TChartSeries& NewChartSeries(TChart& Chart, const TChart& Tmpl, const std::string& Title,
                               TPelChartDataInfo* Info, bool FreshStyles);
  static void AddChartPoint(const TChart& Chart, TChartSeries& Series, TPelRes* Cell,
                            const std::string& Label, double Value);
};

// Registers the chart's element kind ("chart" blocks in tables).
void RegisterChartElemKind();

}  // namespace quin
