// Fuzz target of the survey-file reader: an input is a whole survey file. A file that opens has
// every column of every record set read as doubles and as bytes. Every failure must be one of
// the program's exceptions; crashes, hangs, leaks and sanitizer reports are findings.
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvstreams.h"

using namespace quin;

namespace {
// Column reads of record sets larger than this are left out (their allocation is legal but
// would only slow the fuzzer down).
constexpr int kMaxReadRecords = 1 << 16;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterAnalysisClasses();
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemoryStream S(std::span(Data, Size));
  auto Survey = New<TPelSurvey>("fuzz.zos", 1);
  try {
    Survey->ReadSurveyFile(S);
  } catch (const Exception&) {
    return 0;
  }
  std::vector<double> D;
  std::vector<uint8_t> B;
  for (int K = 0; K < Survey->RecsetCount(); ++K) {
    TPelRecset* R = Survey->PelRecset(K);
    if (!R || R->RecCount() > kMaxReadRecords) continue;
    for (const std::string& Name : R->GetColumnNames("*")) {
      try {
        R->LoadColumn(Name, D);
        R->LoadColumn(Name, D);
        if (D.size() != static_cast<size_t>(R->RecCount())) __builtin_trap();
      } catch (const Exception&) {
      }
      try {
        R->ReadColumnBytesByName(Name, B);
      } catch (const Exception&) {
      }
    }
  }
  try {
    Survey->AfterOpen();
  } catch (const Exception&) {
  }
  return 0;
}
