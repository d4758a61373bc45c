// Pivot-table fixtures: a tiny weighted survey of two waves, and report texts whose analysis
// holds the survey's parameters and one table laid out from them.
//
//   wave 1: rec edu reg wgt x y    wave 2: rec edu reg wgt x y   edu: 1 low, 2 middle, 3 high
//           0   1   1   1   1 2            4   2   2   1.5 2 2   (4 "none": nobody)
//           1   2   1   2   2 1            5   3   1   1   1 1   reg: 1 north, 2 south
//           2   3   2   1   1 1            6   1   1   2   2 1   g: a grid of the items x, y
//           3   1   2   0.5 1 2            7   2   2   0.5 1 2   rated 1 or 2
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "reports/peltable.h"
#include "tests/reports/report_fixture.h"

namespace quin::test {

struct TTableRecord {
  int Wave, Edu, Reg;
  double W;
  int X, Y;  // the grid's ratings
};

inline const std::vector<TTableRecord>& TableRecords() {
  static const std::vector<TTableRecord> R{
      {1, 1, 1, 1, 1, 2},   {1, 2, 1, 2, 2, 1}, {1, 3, 2, 1, 1, 1}, {1, 1, 2, 0.5, 1, 2},
      {2, 2, 2, 1.5, 2, 2}, {2, 3, 1, 1, 1, 1}, {2, 1, 1, 2, 2, 1}, {2, 2, 2, 0.5, 1, 2}};
  return R;
}

inline std::string TableDefinition() {
  return "def environ languages = plk, enu; end;\r\n"
         "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d; end;\r\n"
         "def recordset id = resp; name = \"Respondents\";\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
         "end;\r\n"
         "def weights\r\n"
         "  def weight id = wgt; name = \"Weight\"; column = wgt; end;\r\n"
         "end;\r\n"
         "def waves\r\n"
         "  def wave id = w1; name = \"W1\"; end;\r\n"
         "  def wave id = w2; name = \"W2\"; end;\r\n"
         "end;\r\n"
         "def data\r\n"
         "  def question id = edu; name = \"Education\";\r\n"
         "    def responseList column = edu;\r\n"
         "      def response id = low; name = \"Low\"; code = 1; end;\r\n"
         "      def response id = mid; name = \"Middle\"; code = 2; end;\r\n"
         "      def response id = high; name = \"High & <b>\"; code = 3; end;\r\n"
         "      def response id = none; name = \"None\"; code = 4; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = g; name = \"Grid\";\r\n"
         "    def responseGrid columnMask = \"g_*\";\r\n"
         "      def responseAxis id = item; name = \"Item\";\r\n"
         "        def response id = x; name = \"X\"; columnText = \"x\"; end;\r\n"
         "        def response id = y; name = \"Y\"; columnText = \"y\"; end;\r\n"
         "      end;\r\n"
         "      def responseAxis id = rate; name = \"Rate\";\r\n"
         "        def response id = r1; name = \"1\"; code = 1; end;\r\n"
         "        def response id = r2; name = \"2\"; code = 2; end;\r\n"
         "      end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "  def question id = reg; name = \"Region\";\r\n"
         "    def responseList column = reg;\r\n"
         "      def response id = north; name = \"North\"; code = 1; end;\r\n"
         "      def response id = south; name = \"South\"; code = 2; end;\r\n"
         "    end;\r\n"
         "  end;\r\n"
         "end;\r\n";
}

inline std::string TableSurveyBytes(const std::string& Definition = TableDefinition()) {
  std::vector<TSwSurveyWave> Waves;
  for (int W = 1; W <= 2; ++W) {
    std::vector<double> Edu, Reg, Wgt, X, Y;
    for (const TTableRecord& R : TableRecords())
      if (R.Wave == W) {
        Edu.push_back(R.Edu);
        Reg.push_back(R.Reg);
        Wgt.push_back(R.W);
        X.push_back(R.X);
        Y.push_back(R.Y);
      }
    Waves.push_back(Wave({{"edu", Edu}, {"reg", Reg}, {"wgt", Wgt}, {"g_x", X}, {"g_y", Y}}));
  }
  return SurveyFileBytes(Definition, {{"resp", Waves}});
}

// The weighted count of the records that Keep selects.
template <class F>
double WeightOf(F&& Keep) {
  double S = 0;
  for (const TTableRecord& R : TableRecords())
    if (Keep(R)) S += R.W;
  return S;
}

// The parameters every fixture analysis holds, by position: 0 education, 1 region,
// 2 statistics, 3 waves (one item per wave), 4 base rows.
inline std::string TableParameters(const std::string& Stats = "cntW, pctCol",
                                   const std::string& StatOptions = "") {
  return "    def parameters\r\n"
         "      def varList list = edu; end;\r\n"
         "      def varList list = reg; end;\r\n"
         "      def statList list = " +
         Stats + ";" + StatOptions +
         " end;\r\n"
         "      def waveList def subpar list = w1; end; def subpar list = w2; end; end;\r\n"
         "      def base list = result; end;\r\n"
         "    end;\r\n"
         "    dataBasedOn = resp; weight = wgt;\r\n";
}

// A report of one analysis with the fixture's parameters and one table block holding TableKeys.
inline std::string TableReport(const std::string& TableKeys,
                               const std::string& Stats = "cntW, pctCol",
                               const std::string& StatOptions = "") {
  return ReportWith("  def analysis\r\n" + TableParameters(Stats, StatOptions) +
                    "    def table\r\n" + TableKeys + "    end;\r\n  end;\r\n");
}

struct TTableSurvey {
  TEnglishSession English;
  TOpened<> Opened{TableSurveyBytes()};
  TPelSurvey& S = *Opened.Survey;
  TOrvMsgList Msgs;
  std::unique_ptr<TPelRep> Report;

  // Reads Text; the first analysis's first table.
  TPelRepElemTable& Read(const std::string& Text) {
    Msgs.Clear();
    Report = ReadReport(S, Text, Msgs);
    return *As<TPelRepElemTable>(AnalysisAt(*Report, 0)->Child(0));
  }
  TPelRepElemAnalysis& Analysis() { return *AnalysisAt(*Report, 0); }
};

// The texts of the visible grid, row by row, cells joined by "|".
inline std::string VisibleTexts(const TPelRepElemTable& T) {
  std::string S;
  for (int B = 0; B < T.VisibleRowCount(); ++B) {
    for (int A = 0; A < T.VisibleColCount(); ++A) {
      if (A) S += "|";
      S += T.GetCellText(A, B);
    }
    S += "\n";
  }
  return S;
}

}  // namespace quin::test
