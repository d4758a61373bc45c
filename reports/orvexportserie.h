// Charts of the report in an exported workbook: a chart filled as for the web becomes the
// chart of a chart sheet. One exporter per series kind carries the spreadsheet's chart type,
// data labels, colours, patterns and markers of its series; ExportChartToExcel converts the
// whole chart (series, category labels, axes, legend, title). Three-dimensional charts keep
// their three-dimensional chart types in the workbook's chart; the file writer draws them flat.
#pragma once

#include <memory>

#include "base/metaclass.h"
#include "platform/chart.h"
#include "platform/workbookchart.h"

namespace quin {

class TOrvExcel;
class TXlChartSheet;
class TXlWorksheet;

// Converts one series of Chart into XlSeries.
class TOrvExportSerie : public TObject {
  QUIN_CLASS(TOrvExportSerie, TObject)
 public:
  // Chart3D: the chart is drawn in three dimensions.
  TOrvExportSerie(bool Chart3D, const TChart& Chart, int SeriesIndex, TXlSeries& XlSeries);

  // Fill colours: every point's from the series' point colours when the series colours each
  // point, else the series' one.
  virtual void SetColors();
  virtual void SetChartType() = 0;
  // The series' values (an empty point has none).
  virtual void SetValues();
  // With visible marks: the labels' kind by the marks' style, their fill, font and frame.
  virtual void SetDataLabels();
  virtual void SetExtras() {}

 protected:
  bool IsPie() const { return Series.Kind == TChartSeriesKind::Pie; }
  TXlColor SeriesColor() const;
  TXlColor PointColor(int Point) const;
  // Point formats for the first Count points.
  TXlPointFormat& PointFormat(int Point);

  bool Chart3D;
  const TChart& Chart;
  const TChartSeries& Series;
  int SeriesIndex;
  TXlSeries& Xl;
};

// Vertical bars: clustered, stacked or stacked to 100 %; the bar pen as border; a patterned
// brush as a patterned fill.
class TSetupVBarSerie : public TOrvExportSerie {
  QUIN_CLASS(TSetupVBarSerie, TOrvExportSerie)
 public:
  using TOrvExportSerie::TOrvExportSerie;
  void SetColors() override;
  void SetChartType() override;
};

// Horizontal bars; their values lie along the horizontal axis.
class TSetupHBarSerie : public TSetupVBarSerie {
  QUIN_CLASS(TSetupHBarSerie, TSetupVBarSerie)
 public:
  using TSetupVBarSerie::TSetupVBarSerie;
  void SetChartType() override;
};

class TSetupAreaSerie : public TOrvExportSerie {
  QUIN_CLASS(TSetupAreaSerie, TOrvExportSerie)
 public:
  using TOrvExportSerie::TOrvExportSerie;
  void SetColors() override;
  void SetChartType() override;
};

// Points: no connecting line, a marker per point.
class TSetupPointSerie : public TOrvExportSerie {
  QUIN_CLASS(TSetupPointSerie, TOrvExportSerie)
 public:
  using TOrvExportSerie::TOrvExportSerie;
  void SetChartType() override;
  void SetExtras() override;

 protected:
  void SetMarkers();
};

// Lines: the line pen and colour, markers when the pointer shows.
class TSetupLineSerie : public TSetupPointSerie {
  QUIN_CLASS(TSetupLineSerie, TSetupPointSerie)
 public:
  using TSetupPointSerie::TSetupPointSerie;
  void SetChartType() override;
  void SetColors() override;
  void SetExtras() override;
};

class TSetupPieSerie : public TOrvExportSerie {
  QUIN_CLASS(TSetupPieSerie, TOrvExportSerie)
 public:
  using TOrvExportSerie::TOrvExportSerie;
  void SetColors() override;
  void SetChartType() override;
};

// The exporter of the series' kind.
std::unique_ptr<TOrvExportSerie> NewExportSerie(bool Chart3D, const TChart& Chart, int SeriesIndex,
                                                TXlSeries& XlSeries);

// Replaces every series of XlChart by the active series of Chart, in order, and takes over the
// axes, legend and title.
void ExportChartToExcel(TXlChart& XlChart, const TChart& Chart);

// A chart sheet named SheetName holding Chart; with a contents sheet, row Index + 3 lists
// Caption and the sheet's name (no link: a chart sheet has no cell to name).
TXlChartSheet& ExportChartSheet(TOrvExcel& Excel, const TChart& Chart, const std::string& SheetName,
                                TXlWorksheet* Contents, int Index, const std::string& Caption);

}  // namespace quin
