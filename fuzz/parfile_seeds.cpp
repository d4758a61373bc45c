// Writes the seed corpus of the parameter-file fuzz target: parameter-definition files with a
// block of every parameter class the analysis layer reads, blocks of another survey, damaged
// blocks, a statistics list of unknown statistics only, and layer selections. The second argument
// names the fuzzer's working corpus, emptied here so that every run starts from the seeds alone.
#include <fstream>
#include <string>

#include "fuzz/corpus_folders.h"

using namespace quin;

namespace {

const char* const kHead =
    "// Tabulon parameter definitions file.\r\n"
    "// Do not change - may not function properly.\r\n\r\n"
    "signature = \"{BF2AC92A-CCC0-43FF-B261-F17C803F3A0C}\";\r\nversion = 1;\r\n\r\n";

const char* const kSeeds[] = {
    "def varList\r\n  survey = s1@ns;\r\n  name = \"Q\";\r\n  total = 1;\r\n"
    "  splitResponseAxes = 1;\r\n  question = freq;\r\nend;\r\n"
    "def responseAxis\r\n  survey = s1@ns;\r\n  id = often;\r\nend;\r\n",
    "def varList\r\n  survey = s1@ns;\r\n  list = sex, age, nosuch, x@other@ns;\r\n  selected = "
    "3;\r\n"
    "end;\r\n",
    "def waveList\r\n  survey = s1@ns;\r\n"
    "  def subpar\r\n    GUID = \"{3991C166-F2A3-4C70-B115-FB13D7491403}\";\r\n"
    "    list = w5, w4;\r\n    last = 2;\r\n    rolled = 3;\r\n  end;\r\n"
    "  def subpar\r\n    GUID = \"{3991C166-F2A3-4C70-B115-FB13D7491403}\";\r\n"
    "    list = w3, w1;\r\n    grouped = 1;\r\n    hidden = 0;\r\n    expanded = 0;\r\n"
    "    name = \"Odd\";\r\n    rolled = 1;\r\n  end;\r\n"
    "  def subpar\r\n    all = 1;\r\n    rolled = 2147483647;\r\n  end;\r\nend;\r\n",
    "def statList\r\n  survey = s1@ns;\r\n  list = cntA, pctCol, meanRow, bogus;\r\n"
    "  excludeSysMis = 1;\r\n  colMargins = 1;\r\n  rowMargins = 1;\r\n  showPctSign = 1;\r\n"
    "  showCodesForMeans = 0;\r\n  sigLevel = $9A9999999999A93F;\r\n  recsetDiff = 1;\r\n"
    "  sigMeans = 1;\r\n  sigMeansDim = 0;\r\n  sigMeansDir = 1;\r\n  sigMeansNOn = 1;\r\n"
    "  sigMeansNPos = 2;\r\n  sigPct = 1;\r\n  decPlacesPct = 3;\r\n  decPlacesMeans = 4;\r\n"
    "  hideRowsCols = 2;\r\nend;\r\n",
    "def base\r\n  survey = s1@ns;\r\n  list = result, baseA, baseW, recset;\r\n"
    "  show = 1, 0, 2, 1;\r\n  baseDiff = 1;\r\nend;\r\n",
    "def statList\r\n  survey = other@ns;\r\n  list = cntA;\r\n  def nested x = 1; end;\r\nend;\r\n"
    "def base list = result; end;\r\n"
    "def waveList survey = S1@NS; def subpar list = w2; bogus = 1; end; end;\r\n",
    // Every statistic unknown: the list is left empty.
    "def statList\r\n  survey = s1@ns;\r\n  list = bogus;\r\n  sigPct = 1;\r\nend;\r\n",
};

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(
          argc, argv, 2, "quin_parfile_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  int N = 0;
  for (const char* S : kSeeds)
    std::ofstream(Seeds / ("parfile" + std::to_string(N++)), std::ios::binary) << kHead << S;
  // Every block in one file, and the blocks without the file head.
  std::string All = kHead;
  for (const char* S : kSeeds) All += S;
  std::ofstream(Seeds / "parfile_all", std::ios::binary) << All;
  std::ofstream(Seeds / "parfile_headless", std::ios::binary)
      << All.substr(std::string(kHead).size());
  return 0;
}
