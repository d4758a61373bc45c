// Writes the seed corpus of the report-file fuzz target: reports that the report writer makes
// for the fuzz target's survey, from an empty one to analyses with every element key, notes
// over several lines, both data bases and weightings, a weighting the survey lacks, and
// parameters of every class the analysis layer reads (read from their blocks first), and
// calculated tables with their sort keys and a chart (also without their marks, so that their
// figures are not used), and texts as found that once did not survive the round trip. The second
// argument names the fuzzer's working corpus, emptied here so that every run starts from the seeds
// alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "analysis/pelsurvey.h"
#include "base/orvmessages.h"
#include "base/orvstreams.h"
#include "fuzz/corpus_folders.h"
#include "fuzz/fuzz_survey.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"
#include "reports/register.h"

using namespace quin;

namespace {

// Analyses whose parameters the writer writes back.
const char* const kParameters =
    "def report\r\n"
    "  def analysis number = 1;\r\n"
    "    def parameters\r\n"
    "      def varList list = freq; splitResponseAxes = 1; total = 1; end;\r\n"
    "      def responseAxis id = often; end;\r\n"
    "      def statList list = cntA, pctCol, meanRow; sigPct = 1; sigLevel = "
    "$9A9999999999A93F; hideRowsCols = 2; end;\r\n"
    "      def waveList def subpar list = w5, w4; rolled = 3; end;\r\n"
    "        def subpar list = w3, w1; grouped = 1; name = \"Odd\"; end; end;\r\n"
    "      def base list = result, baseA, baseW; show = 1, 0, 2; baseDiff = 1; end;\r\n"
    "    end;\r\n"
    "    dataBasedOn = diary; weight = wgt;\r\n"
    "  end;\r\n"
    "  def analysis number = 2;\r\n"
    "    def parameters def varList list = sex, age; end; def statList list = cntW; end; end;\r\n"
    "    dataBasedOn = resp; weight = off;\r\n"
    "  end;\r\n"
    "end;\r\n";

// Tables (totals, sort keys, a split grid question) with a chart; calculated before they are
// written, so that the seed carries stored results, marks and layer counts.
const char* const kTables =
    "def report\r\n"
    "  def analysis number = 1;\r\n"
    "    def parameters\r\n"
    "      def varList list = sex; end;\r\n"
    "      def statList list = cntW, pctCol; sigPct = 1; rowMargins = 1; colMargins = 1; "
    "hideRowsCols = 2; end;\r\n"
    "      def waveList def subpar list = w1; end; def subpar list = w2; end; end;\r\n"
    "      def varList list = freq; splitResponseAxes = 1; end;\r\n"
    "      def responseAxis id = often; end;\r\n"
    "    end;\r\n"
    "    dataBasedOn = resp; weight = wgt;\r\n"
    "    def table title = \"Sex by wave\";\r\n"
    "      rowParams = 0; colParams = 2, 1;\r\n"
    "      def colSortDataInfo def sortDataInfo sortParIndex = 0; sortOrder = ascending; end; "
    "end;\r\n"
    "      def rowSortDataInfo def sortDataInfo\r\n"
    "        def dataInfoQuestion question = sex; response = female; end; end; end;\r\n"
    "      def chart seriesIn = columns;\r\n"
    "        def rowChartDataInfo def chartDataInfo\r\n"
    "          def dataInfoQuestion question = sex; response = male; end; end; end;\r\n"
    "        object <<\r\n"
    "          object Chart1: TChart\r\n"
    "            Title.Text.Strings = ('Sex')\r\n"
    "          end\r\n"
    "        >>;\r\n"
    "      end;\r\n"
    "    end;\r\n"
    "    def table rowParams = 3; colParams = 4; layerParams = 1, 2;\r\n"
    "      def parSelections def parSelection parIndex = 2; selected = 1; end; end;\r\n"
    "    end;\r\n"
    "  end;\r\n"
    "end;\r\n";

// Texts as found, not as the writer makes them: a statistics list whose only statistic the
// survey lacks, which the writer must not write as an empty list.
const char* const kFound[] = {
    "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\nversion = 1;\r\n"
    "def report\r\n"
    "  survey = s1@ns;\r\n"
    "  def analysis number = 1;\r\n"
    "    def parameters\r\n"
    "      def varList list = sex; end;\r\n"
    "      def statList list = bogus; sigPct = 1; end;\r\n"
    "    end;\r\n"
    "    dataBasedOn = resp;\r\n"
    "  end;\r\n"
    "end;\r\n",
};

void Save(const TPelRep& R, const std::filesystem::path& File) {
  TMemoryStream M;
  R.SaveToStream(M);
  std::ofstream(File, std::ios::binary)
      .write(reinterpret_cast<const char*>(M.Memory()), static_cast<std::streamsize>(M.Size()));
}

TPelRepElemAnalysis* AddAnalysis(TPelRep& R, int Basis, int Weight) {
  auto A = New<TPelRepElemAnalysis>(R.Root(), R.Survey);
  A->Number = R.Root()->ChildCount() + 1;
  A->Parameters->BasedOn = R.Survey->DataBasedOnList->GetItem(Basis);
  A->Parameters->Weight = R.Survey->Weights->GetItem(Weight);
  return static_cast<TPelRepElemAnalysis*>(R.Root()->AddChild(std::move(A)));
}

}  // namespace

// NOLINTNEXTLINE(bugprone-exception-escape): a failure ends the seed writer with its message
int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(argc, argv, 2,
                            "quin_report_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  RegisterReportsClasses();
  const std::string Bytes = FuzzSurveyBytes(true);
  TMemoryStream File{std::string_view(Bytes)};
  auto Survey = New<TPelSurvey>("fuzz.zos", 1);
  Survey->ReadSurveyFile(File);

  TPelRep Empty(Survey.get());
  Save(Empty, Seeds / "empty");

  TPelRep One(Survey.get());
  One.Title = "Readers \"2024\"";
  One.Zoomed = true;
  One.SelectedIndex = 3;
  TPelRepElemAnalysis* A = AddAnalysis(One, 1, 1);
  A->SetTitle("Reach by age");
  A->Notes = "Seen by all\r\nfrom >> here";
  A->SetExpanded(false);
  Save(One, Seeds / "one");

  TPelRep Two(Survey.get());
  AddAnalysis(Two, 0, 0);
  TPelRepElemAnalysis* Gone = AddAnalysis(Two, 1, 0);
  Gone->Parameters->Weight = nullptr;
  Gone->UnknownWeightID = "heavy";
  Gone->Notes = "x";
  Save(Two, Seeds / "two");

  TPelRep Parameters(Survey.get());
  TOrvMsgList Msgs;
  TMemoryStream Text{std::string_view(kParameters)};
  Parameters.LoadFromStream(Text, &Msgs);
  if (Msgs.Count() > 0) {
    std::fprintf(stderr, "the parameters seed reads with %d messages\n", Msgs.Count());
    return 1;
  }
  Save(Parameters, Seeds / "parameters");

  TPelRep Tables(Survey.get());
  TMemoryStream TablesText{std::string_view(kTables)};
  Tables.LoadFromStream(TablesText, &Msgs);
  if (Msgs.Count() > 0) {
    std::fprintf(stderr, "the tables seed reads with %d messages\n", Msgs.Count());
    return 1;
  }
  const auto Elems = Tables.Tree->CreateElemList();
  for (int I = 0; I < Elems->Count(); ++I)
    if (auto* T = As<TPelRepElemTable>(Elems->GetItem(I))) T->Calculate();
  Save(Tables, Seeds / "tables");
  // The tables without their significance marks: stored figures that are not used, which the
  // writer must not save as the tables' results.
  {
    TMemoryStream M;
    Tables.SaveToStream(M);
    std::string Text(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
    for (size_t At; (At = Text.find("sigDiffs =")) != std::string::npos;)
      Text.erase(At, Text.find(';', At) + 1 - At);
    std::ofstream(Seeds / "tables_stale", std::ios::binary) << Text;
  }
  int N = 0;
  for (const char* Text : kFound)
    std::ofstream(Seeds / ("found" + std::to_string(N++)), std::ios::binary) << Text;
  return 0;
}
