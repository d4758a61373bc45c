// The report printer run as a program on a fixture survey and report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/platform/jpegdecode.h"
#include "tests/reports/table_fixture.h"
#include "tests/support/tempfolder.h"

namespace quin::test {
namespace {

struct TRun {
  int Code = -1;
  std::string Out, Err;
};

class QuinReport : public testing::Test {
 protected:
  test::TTempFolder Dir;
  std::string Survey = Dir.File("s.zos");
  std::string Report = Dir.File("r.zor");

  void SetUp() override {
    Write(Survey, TableSurveyBytes());
    Write(Report,
          TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n", "cntW"));
  }
  static void Write(const std::string& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
  }
  static std::string ReadAll(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
  }
  TRun Run(const std::string& Args) {
    const std::string Cmd = std::string("'") + QUIN_REPORT_EXE + "' " + Args + " > '" +
                            Dir.File("out") + "' 2> '" + Dir.File("err") + "'";
    const int Status = std::system(Cmd.c_str());
    TRun R;
    R.Code = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    R.Out = ReadAll(Dir.File("out"));
    R.Err = ReadAll(Dir.File("err"));
    return R;
  }
  std::string Files() const { return "'" + Survey + "' '" + Report + "'"; }
};

TEST_F(QuinReport, PrintsEveryTableAsTextOrHtml) {
  TRun R = Run("-lang:enu " + Files());
  EXPECT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out.find("Analysis - Table 1\r\n"), 0u) << R.Out;
  // Wave 1: low education, North 1 and South 0.5.
  EXPECT_NE(R.Out.find("\r\nLow\t1\t0.5\r\n"), std::string::npos) << R.Out;
  R = Run("--html -lang:enu " + Files());
  EXPECT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Out.find("<h3>Analysis - Table 1</h3>\r\n<table class=main"), 0u) << R.Out;
  EXPECT_NE(R.Out.find("&nbsp;High &amp; &lt;b&gt;</td>"), std::string::npos);
  // Polish texts come out in UTF-8.
  R = Run(Files());
  EXPECT_EQ(R.Code, 0) << R.Err;
  EXPECT_EQ(R.Out.find("Analiza - Tabela 1\r\n"), 0u) << R.Out;
}

// A survey with texts in both languages and counts in thousands: the numbers and the survey's
// texts follow the chosen language as on a session's page.
TEST_F(QuinReport, PrintsPolishAndEnglishAsASessionShowsThem) {
  const std::string Definition =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"<PLK>Badanie<ENU>Survey\"; wizards = table1d; "
      "end;\r\n"
      "def recordset id = resp; name = \"<PLK>Respondenci<ENU>Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def weights def weight id = wgt; name = \"<PLK>Waga<ENU>Weight\"; column = wgt; end; "
      "end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
      "def data\r\n"
      "  def question id = sex; name = \"<PLK>Płeć<ENU>Sex\";\r\n"
      "    def responseList column = sex;\r\n"
      "      def response id = m; name = \"<PLK>Mężczyzna<ENU>Male\"; code = 1; end;\r\n"
      "      def response id = f; name = \"<PLK>Kobieta<ENU>Female\"; code = 2; end;\r\n"
      "    end;\r\n"
      "  end;\r\n"
      "end;\r\n";
  // Weighted: men 1000 of 3000, women 900 + 1100.
  Write(Survey,
        SurveyFileBytes(Cp1250(Definition),
                        {{"resp", {Wave({{"sex", {1, 2, 2}}, {"wgt", {1000, 900, 1100}}})}}}));
  Write(Report, ReportWith("  def analysis\r\n"
                           "    def parameters\r\n"
                           "      def varList list = sex; end;\r\n"
                           "      def statList list = cntW, pctCol; end;\r\n"
                           "    end;\r\n"
                           "    dataBasedOn = resp; weight = wgt;\r\n"
                           "    def table rowParams = 0; colParams = 1; end;\r\n"
                           "  end;\r\n"));
  struct TCase {
    std::string Lang;
    std::vector<std::string> Cells;
  };
  const std::vector<TCase> Cases{
      {"",
       {"&nbsp;Liczebność waż.</td>", "<b>&nbsp;Płeć</b>", "&nbsp;Mężczyzna</td>",
        "&nbsp;1 000</td>", "&nbsp;33,3</td>", "&nbsp;Kobieta</td>", "&nbsp;2 000</td>",
        "&nbsp;66,7</td>"}},
      {"-lang:enu ",
       {"&nbsp;CntW</td>", "<b>&nbsp;Sex</b>", "&nbsp;Male</td>", "&nbsp;1,000</td>",
        "&nbsp;33.3</td>", "&nbsp;Female</td>", "&nbsp;2,000</td>", "&nbsp;66.7</td>"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Lang);
    const TRun R = Run("--html " + C.Lang + Files());
    EXPECT_EQ(R.Code, 0) << R.Err;
    for (const std::string& T : C.Cells) EXPECT_NE(R.Out.find(T), std::string::npos) << T << R.Out;
  }
}

TEST_F(QuinReport, DrawsEveryChartAsAJpegFile) {
  Write(Report, TableReport("      rowParams = 0; colParams = 1; layerParams = 2, 3;\r\n"
                            "      def chart end;\r\n      def chart seriesIn = columns; end;\r\n",
                            "cntW"));
  const TRun R = Run("--charts '" + Dir.File("") + "' -lang:enu " + Files());
  EXPECT_EQ(R.Code, 0) << R.Err;
  for (const char* Name : {"A1T1_Chart1.jpg", "A1T1_Chart2.jpg"}) {
    TBitmap B;
    ASSERT_TRUE(jpegtest::Decode(ReadAll(Dir.File(Name)), B)) << Name;
    EXPECT_EQ(B.Width, 686);
    EXPECT_EQ(B.Height, 387);
  }
  EXPECT_EQ(Run("--charts").Code, 2);
}

TEST_F(QuinReport, BadArgumentsAndDamagedFilesAreRefused) {
  struct TCase {
    std::string Args;
    int Code;
    std::string Says;
  };
  Write(Dir.File("garbage.zos"), "not a survey at all");
  Write(Dir.File("empty.zor"), "");
  Write(Dir.File("truncated.zor"), ReadAll(Report).substr(0, 200));
  const std::vector<TCase> Cases{
      {"", 2, "usage: quin-report"},
      {"'" + Survey + "'", 2, "usage"},
      {"--pdf " + Files(), 2, "unknown option --pdf"},
      {"'" + Dir.File("none.zos") + "' '" + Report + "'", 1, "none.zos"},
      {"'" + Dir.File("garbage.zos") + "' '" + Report + "'", 1, "garbage.zos"},
      {"'" + Survey + "' '" + Dir.File("none.zor") + "'", 1, "none.zor"},
      {"'" + Survey + "' '" + Dir.File("empty.zor") + "'", 1, "Report definition missing"},
      {"'" + Survey + "' '" + Dir.File("truncated.zor") + "'", 1, "truncated.zor:"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Args);
    const TRun R = Run("-lang:enu " + C.Args);
    EXPECT_EQ(R.Code, C.Code);
    EXPECT_NE(R.Err.find(C.Says), std::string::npos) << R.Err;
    EXPECT_EQ(R.Out, "");
  }
}

}  // namespace
}  // namespace quin::test
