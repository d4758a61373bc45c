// A record set whose columns are held in memory, for tests of what reads record sets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "surveykit/gimstat.h"
#include "surveykit/merrecset.h"

namespace quin::test {

// Records records; Columns by lower-case name. As the survey's own record set does, a column
// it does not hold reads as all missing (GimValueNoData), and so do the records past the end
// of a column's values. Counts its column loads.
class TMemRecset : public TMerRecset {
 public:
  int Records = 0;
  std::map<std::string, std::vector<double>> Columns;
  int Loads = 0;

  int RecCount() const override { return Records; }
  void LoadColumn(const std::string& Name, std::vector<double>& Values) override {
    ++Loads;
    auto It = Columns.find(Name);
    for (size_t I = 0; I < Values.size(); ++I)
      Values[I] = It != Columns.end() && I < It->second.size() ? It->second[I] : GimValueNoData;
  }
};

}  // namespace quin::test
