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
