// Writes the seed corpus of the target-group fuzz target: expressions over the fuzz target's
// survey with every operator, nesting, lists, code ranges of the numeric question, grid
// responses, unknown questions and responses, codes that cannot be read, reversed and
// one-value ranges, and nesting near the reader's bound. The second argument names the
// fuzzer's working corpus, emptied here so that every run starts from the seeds alone.
#include <fstream>
#include <string>

#include "fuzz/corpus_folders.h"

using namespace quin;

namespace {

const char* const kSeeds[] = {
    "all",
    "sex = male",
    "SEX = Female",
    "sex in [male, female]",
    "sex in male, female",
    "not sex = male",
    "not not (sex = male or age = years in [20 : 30])",
    "sex = male and (age = years in [min : 25, 40 : max] or not sex = female)",
    "age = years in [20, 22.5, 30 : 44]",
    "freq@tv = daily or freq@radio in [daily, never]",
    "(sex = male and nosuch = x) or sex = nobody",
    "((((sex = female))))",
    "sex = male and sex = female and sex = male or age = years in [-1e300 : 1e300]",
    // Codes that cannot be read, a reversed range and a range of one value.
    "age = years in [2in\xF4, 22.5, 30 : <4]",
    "age = years in [20, 22.5, 30 : 4\xC5]",
    "sex = le or age = years in [-0e300 : 0e300]",
};

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(argc, argv, 2, "quin_group_seeds <seed folder> <working corpus folder>",
                            Seeds, Work))
    return 2;
  int N = 0;
  for (const char* S : kSeeds) std::ofstream(Seeds / ("group" + std::to_string(N++))) << S;
  // Nesting just inside the reader's bound.
  std::string Deep(62, '(');
  Deep += "sex = male" + std::string(62, ')');
  std::ofstream(Seeds / "deep") << Deep;
  return 0;
}
