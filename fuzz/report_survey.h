// The survey the report-file fuzz target reads its reports for, and its seed writer writes them
// for: two record sets (respondents and a diary joined to them), a weighting and a wave.
#pragma once

#include <string>

#include "tools/surveywriter/zoswriter.h"

namespace quin {

inline std::string ReportFuzzSurveyBytes() {
  const std::string Definition =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"<PLK>Respondenci<ENU>Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def recordset id = diary; name = \"Diary\"; join = id;\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def weights noWeight = 1;\r\n"
      "  def weight id = wgt; name = \"<PLK>Waga<ENU>Weight\"; column = wgt; end;\r\n"
      "end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
      "def data end;\r\n";
  auto Wave = [](std::vector<TSwSurveyColumn> Columns) {
    TSwSurveyWave W;
    W.Records = static_cast<int32_t>(Columns[0].Values.size());
    W.Columns = std::move(Columns);
    return W;
  };
  const std::vector<TSwSurveyRecset> Recsets{
      {"resp", {Wave({{"id", {1, 2}, {}}, {"wgt", {1, 3}, {}}})}},
      {"diary", {Wave({{"id", {1, 1, 2}, {}}})}}};
  TSwSurveyOptions O;
  O.DataDate = 40000.5;
  return SurveyFileBytes(Definition, Recsets, O);
}

}  // namespace quin
