// A record set whose columns are held in memory, for tests of what reads record sets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/orvstrings.h"
#include "base/text.h"
#include "surveykit/gimstat.h"
#include "surveykit/merrecset.h"

namespace quin::test {

// Records records; Columns by lower-case name. As the survey's own record set does, a column
// it does not hold reads as all missing (and is absent from its names) (GimValueNoData), and so do
// the records past the end of a column's values. Counts its column loads.
class TMemRecset : public TMerRecset {
 public:
  int Records = 0;
  std::map<std::string, std::vector<double>> Columns;
  int Loads = 0;

  int RecCount() const override { return Records; }
  bool HasColumnDirectory() const override { return true; }
  bool HasColumn(std::string_view Name) const override {
    return Columns.count(LowerCase(Name)) != 0;
  }
  std::vector<std::string> GetColumnNames(std::string_view Mask) const override {
    std::vector<std::string> R;  // the map keeps them sorted
    for (const auto& [Name, Values] : Columns)
      if (MatchesWildcard(Name, Mask, /*Wildcards=*/true, /*Sets=*/false)) R.push_back(Name);
    return R;
  }
  void LoadColumn(const std::string& Name, std::vector<double>& Values) override {
    ++Loads;
    auto It = Columns.find(Name);
    for (size_t I = 0; I < Values.size(); ++I)
      Values[I] = It != Columns.end() && I < It->second.size() ? It->second[I] : GimValueNoData;
  }
};

}  // namespace quin::test
