// The chart element: a child of a pivot table showing selected table lines as chart series.
// It keeps which lines it shows (cell addresses that survive recalculation and re-layout),
// whether a series is a table row or a table column, and the template chart whose look and
// series styles the chart takes (the component text of the charting library, kept as read).
// Filling a chart component from the table is the charting side's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analysis/peldatainfo.h"
#include "reports/pelrepelem.h"

namespace quin {

class TPelRepElemTable;

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
};

// Registers the chart's element kind ("chart" blocks in tables).
void RegisterChartElemKind();

}  // namespace quin
