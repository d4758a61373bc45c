// Fuzz target of the definition-text readers: an input is a whole survey definition text, read
// by a survey with both list factories. The survey's "press" block holds the region and group
// lists here, so that their readers are reached as well. Every failure must be reported through
// the message list (a fatal message ends reading with EMsgList_FatalError); crashes, hangs,
// leaks and sanitizer reports are findings.
#include <cstdint>
#include <memory>
#include <string>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/urlprobe.h"
#include "deflang/register.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimregions.h"
#include "surveykit/mersurvey.h"
#include "surveykit/register.h"

using namespace quin;

namespace {

class TFuzzSurvey : public TMerSurvey {
 public:
  using TMerSurvey::TMerSurvey;
  std::unique_ptr<TGimWaveList> CreateWaveList() override {
    return std::make_unique<TGimWaveList>(this, true, nullptr);
  }
  std::unique_ptr<TGimWeightList> CreateWeightList() override {
    return std::make_unique<TGimWeightList>(this);
  }
  void ReadPress(TRixScanner& Scanner, const TOrvTextPos&) override {
    TGimBlockReader R;
    R.Block = [this](TRixScanner& S, const TOrvTextPos& At) {
      if (S.ReadDefComplexStart("regions")) {
        Regions.Read(S, At);
        return true;
      }
      if (S.ReadDefComplexStart("groups")) {
        auto Groups = std::make_unique<TGimGroupList>();
        Groups->Read(S, this);
        return true;
      }
      return false;
    };
    R.Read(Scanner);
  }
  TGimRegionList Regions{this};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterDeflangClasses();
  RegisterSurveykitClasses();
  SetURLProbing(false);
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Files named by the text are looked up beside the definition: in a folder that is not there.
  auto Survey = New<TFuzzSurvey>("/nonexistent/quin-fuzz/fuzz.zos");
  Survey->ThoroughChecks = Size % 2 == 1;
  TOrvMsgList Msgs(50, 50);
  auto Scanner =
      TRixScanner::CreateFromText(std::string(reinterpret_cast<const char*>(Data), Size), &Msgs);
  try {
    Survey->ReadDefinition(*Scanner);
  } catch (const EMsgList_FatalError&) {
  }
  // Every message renders.
  for (int I = 0; I < Msgs.Count(); ++I) (void)Msgs.GetItem(I)->MessageText();
  return 0;
}
