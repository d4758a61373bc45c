// The chart part of the .xlsx writer: each chart's series read their values, category labels
// and names from cells of one hidden worksheet, a block of rows per chart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbookchart.h"

struct lxw_workbook;
struct lxw_chart;

namespace quin {

// Raises EXlWorkbookError naming the file and the reason.
[[noreturn]] void FailXlsx(const std::string& FileName, std::string_view Reason);
// Texts for the file: Windows-1250 to UTF-8.
std::string XlsxText(std::string_view Cp1250Text);
// A colour as the library takes it (black has a value of its own there).
std::uint32_t XlsxColor(TXlColor C);

class TXlsxChartWriter {
 public:
  // DataSheet: the name of the hidden worksheet (not used by any sheet of the workbook).
  TXlsxChartWriter(lxw_workbook* Book, std::string DataSheet, std::string FileName);
  TXlsxChartWriter(const TXlsxChartWriter&) = delete;
  TXlsxChartWriter& operator=(const TXlsxChartWriter&) = delete;

  // A chart of the workbook drawing C, its data planned in the hidden sheet.
  lxw_chart* Build(const TXlChart& C);
  // Adds the hidden sheet after every other sheet and writes the planned data; nothing when
  // no chart was built.
  void WriteData();

 private:
  // One chart's cells: texts in its first row (chart title, category and value axis titles),
  // series names in the second, then one row per point: the category label, then one value
  // per series.
  struct TBlock {
    int Row0 = 0;
    std::vector<std::string> Texts;
    std::vector<std::string> Names;
    std::vector<std::string> Categories;
    std::vector<std::vector<double>> Values;
  };
  lxw_workbook* FBook;
  std::string FDataSheet;
  std::string FFileName;
  std::vector<TBlock> FBlocks;
  int FNextRow = 0;
};

}  // namespace quin
