// The memory of many sessions with the same survey open: each opens the 1,000,000-respondent
// survey file of the table benchmarks and computes its 40 x 12 table of weighted column
// percentages, and keeps both (as a session keeps its survey and report). Prints the
// process's resident memory before and after, its peak, and what the shared column store of
// the file holds. Run by hand on a Release build: quin_bench_sessions [sessions] [respondents].
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "analysis/pelcolstore.h"
#include "analysis/register.h"
#include "base/langmanager.h"
#include "table_data.h"

namespace {

// A field of /proc/self/status in MiB.
double StatusMiB(const char* Field) {
  std::ifstream F("/proc/self/status");
  std::string Line;
  while (std::getline(F, Line))
    if (Line.rfind(Field, 0) == 0) return std::stod(Line.substr(Line.find(':') + 1)) / 1024.0;
  return 0;
}

}  // namespace

int main(int Argc, char** Argv) {
  using namespace quin;
  using namespace quin::bench;
  const int Sessions = Argc > 1 ? std::stoi(Argv[1]) : 200;
  const int N = Argc > 2 ? std::stoi(Argv[2]) : 1000000;
  RegisterAnalysisClasses();
  const std::string File = "/tmp/quin_sessions_bench_" + std::to_string(getpid()) + ".zos";
  {
    std::ofstream Out(File, std::ios::binary);
    Out << TableSurveyBytes(TableColumns(N));
  }
  auto Lang = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding(Lang.get());
  const double Before = StatusMiB("VmRSS");
  struct TSession {
    std::unique_ptr<TPelSurvey> Survey;
    std::unique_ptr<TBenchTable> Table;
  };
  std::vector<TSession> All;
  const auto Start = std::chrono::steady_clock::now();
  for (int S = 0; S < Sessions; ++S) {
    TSession X;
    X.Survey = New<TPelSurvey>(File, 1);
    X.Survey->LoadFromFile(File);
    X.Table = std::make_unique<TBenchTable>(*X.Survey, "pctCol", false);
    X.Table->Calculate(false);
    All.push_back(std::move(X));
  }
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  const double After = StatusMiB("VmRSS");
  std::printf(
      "%d sessions, %d respondents: resident %.0f MiB before, %.0f MiB after "
      "(%.2f MiB a session), peak %.0f MiB; shared columns %.1f MiB, %lld decodes; "
      "%.2f s\n",
      Sessions, N, Before, After, (After - Before) / Sessions, StatusMiB("VmHWM"),
      static_cast<double>(All[0].Survey->ColumnStore->HeldBytes()) / (1 << 20),
      static_cast<long long>(All[0].Survey->ColumnStore->Decodes()), Seconds);
  All.clear();
  std::printf("after closing every session: shared columns of all files %.1f MiB\n",
              static_cast<double>(TPelColumnStore::TotalBytes()) / (1 << 20));
  std::remove(File.c_str());
  return 0;
}
