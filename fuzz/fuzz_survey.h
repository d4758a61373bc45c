// The small survey the analysis-side fuzz targets read their files for: respondents with a
// coded, a numeric and a grid question in five waves; with Diary also a diary record set joined
// to the respondents and a weighting.
#pragma once

#include <string>
#include <vector>

#include "tools/surveywriter/zoswriter.h"

namespace quin {

inline std::string FuzzSurveyBytes(bool Diary) {
  std::string Definition =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"S\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"R\"; def files colSpec = \"x\"; dataFile = \"y\"; end; "
      "end;\r\n";
  if (Diary)
    Definition +=
        "def recordset id = diary; name = \"<PLK>Dzienniczek<ENU>Diary\"; join = id;\r\n"
        "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
        "end;\r\n"
        "def weights noWeight = 1;\r\n"
        "  def weight id = wgt; name = \"<PLK>Waga<ENU>Weight\"; column = wgt; end;\r\n"
        "end;\r\n";
  Definition +=
      "def waves minSelCount = 2; def wave id = w1; end; def wave id = w2; end; "
      "def wave id = w3; end; def wave id = w4; end; def wave id = w5; end; end;\r\n"
      "def data\r\n"
      "  def question id = sex; name = \"Sex\"; def responseList column = sex;\r\n"
      "    def response id = male; name = \"M\"; code = 1; end;\r\n"
      "    def response id = female; name = \"F\"; code = 2; end; end; end;\r\n"
      "  def question id = age; name = \"Age\";\r\n"
      "    def response id = years; name = \"Y\"; column = age; numeric = 15:99; end; end;\r\n"
      "  def question id = freq; name = \"Freq\"; def responseGrid columnMask = \"f_*\";\r\n"
      "    def responseAxis id = medium; name = \"Medium\";\r\n"
      "      def response id = tv; name = \"TV\"; columnText = \"tv\"; end;\r\n"
      "      def response id = radio; name = \"Radio\"; columnText = \"radio\"; end; end;\r\n"
      "    def responseAxis id = often; name = \"Often\";\r\n"
      "      def response id = daily; name = \"D\"; code = 1; end;\r\n"
      "      def response id = never; name = \"N\"; code = 2; end; end; end; end;\r\n"
      "end;\r\n";
  TSwSurveyRecset Resp{"resp", {}};
  TSwSurveyRecset Diaries{"diary", {}};
  for (int W = 0; W < 5; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = 3;
    Wave.Columns = {{"sex", {1, 2, 1}, {}},
                    {"age", {20.0 + W, 30, 44}, {}},
                    {"f_tv", {1, 2, 2}, {}},
                    {"f_radio", {2, 1, kPelMissingDouble}, {}}};
    if (Diary) {
      Wave.Columns.push_back({"id", {1, 2, 3}, {}});
      Wave.Columns.push_back({"wgt", {1, 0.5, 2}, {}});
      Diaries.Waves.push_back({2, {{"id", {1, 3}, {}}}});
    }
    Resp.Waves.push_back(Wave);
  }
  std::vector<TSwSurveyRecset> Recsets{Resp};
  if (Diary) Recsets.push_back(Diaries);
  TSwSurveyOptions Options;
  Options.DataDate = 40000.5;
  return SurveyFileBytes(Definition, Recsets, Options);
}

}  // namespace quin
