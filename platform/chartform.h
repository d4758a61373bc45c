// Charts and series as component text (platform/formtext.h): how chart settings travel through
// report files and chart templates. The text holds only what differs from a fresh component of
// the same class, so reading starts from the defaults and takes what the text says; properties
// and owned objects the chart model does not know are skipped, as are values of the wrong kind
// or outside their range. Old templates therefore load what we know and keep the default look
// otherwise.
//
// Classes: TChart (also read: TDBChart) holding series objects of the classes TBarSeries,
// THorizBarSeries, TLineSeries, TAreaSeries, TPointSeries and TPieSeries.
#pragma once

#include <string>
#include <string_view>

#include "platform/chart.h"
#include "platform/formtext.h"

namespace quin {

// The class name of a series kind ("TBarSeries").
std::string SeriesClassName(TChartSeriesKind Kind);
// The kind of a series class name (case ignored); false for any other class.
bool SeriesKindOfClass(std::string_view ClassName, TChartSeriesKind& Kind);

TFormObject ChartToForm(const TChart& Chart);
TFormObject SeriesToForm(const TChartSeries& Series);
// A chart from a form tree whose root is a chart class; EFormTextError otherwise.
TChart FormToChart(const TFormObject& Form);
// A series from a form tree whose root is a series class; EFormTextError otherwise.
TChartSeries FormToSeries(const TFormObject& Form);

// The component's text with LinePrefix before every line.
std::string ComponentToText(const TChart& Chart, std::string_view LinePrefix = "");
std::string ComponentToText(const TChartSeries& Series, std::string_view LinePrefix = "");
// A new component read from its text: TextToComponent<TChart>(Text) or
// TextToComponent<TChartSeries>(Text). An empty text, a broken structure or a root of another
// class raises EFormTextError.
template <class T>
T TextToComponent(std::string_view Text);
template <>
TChart TextToComponent<TChart>(std::string_view Text);
template <>
TChartSeries TextToComponent<TChartSeries>(std::string_view Text);

}  // namespace quin
