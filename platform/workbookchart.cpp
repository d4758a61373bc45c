#include "platform/workbookchart.h"

#include <utility>

namespace quin {

namespace {

using T = TXlChartType;

// Each three-dimensional kind and the flat kind it is drawn as.
constexpr std::pair<T, T> ThreeDKinds[] = {
    {T::Column3DClustered, T::ColumnClustered},
    {T::Column3DStacked, T::ColumnStacked},
    {T::Column3DStacked100, T::ColumnStacked100},
    {T::Bar3DClustered, T::BarClustered},
    {T::Bar3DStacked, T::BarStacked},
    {T::Bar3DStacked100, T::BarStacked100},
    {T::Area3D, T::Area},
    {T::Area3DStacked, T::AreaStacked},
    {T::Area3DStacked100, T::AreaStacked100},
    {T::Line3D, T::Line},
    {T::Pie3D, T::Pie},
};

}  // namespace

bool Is3DChartType(TXlChartType Kind) { return FlatChartType(Kind) != Kind; }

TXlChartType FlatChartType(TXlChartType Kind) {
  for (auto [K, Flat] : ThreeDKinds)
    if (K == Kind) return Flat;
  return Kind;
}

}  // namespace quin
