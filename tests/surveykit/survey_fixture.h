// A survey class with both list factories, and helpers that read definition texts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "deflang/rixscanner.h"
#include "surveykit/mersurvey.h"

namespace quin::test {

class TTestSurvey : public TMerSurvey {
 public:
  using TMerSurvey::TMerSurvey;
  std::unique_ptr<TGimWaveList> CreateWaveList() override {
    return std::make_unique<TGimWaveList>(this, true, nullptr);
  }
  std::unique_ptr<TGimWeightList> CreateWeightList() override {
    return std::make_unique<TGimWeightList>(this);
  }
  void PrepareRecsets() override {
    ++PrepareCalls;
    RecsetsAtPrepare = RecsetCount();
  }
  int PrepareCalls = 0;
  int RecsetsAtPrepare = -1;
};

// Binds an English session manager to the test's thread while it lives.
struct TEnglishSession {
  std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding{Manager.get()};
};

// Lines joined with CR LF.
inline std::string Lines(std::initializer_list<const char*> L) {
  std::string S;
  for (const char* Line : L) S += std::string(Line) + "\r\n";
  return S;
}

// One message as "class@line:column".
inline std::vector<std::string> MsgSummary(const TOrvMsgList& L) {
  std::vector<std::string> R;
  for (int I = 0; I < L.Count(); ++I) {
    const TOrvMsg& M = *L.GetItem(I);
    R.push_back(std::string(M.MsgClass ? M.MsgClass->Name : "?") + "@" +
                std::to_string(M.Pos.Line) + ":" + std::to_string(M.Pos.Column));
  }
  return R;
}

}  // namespace quin::test
