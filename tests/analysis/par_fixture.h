// A small survey for the parameter tests, written with the survey-file writer: waves w1..wN,
// a coded question, a numeric question and a grid question of two axes; and a result-element
// maker that records what parameters ask of it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "analysis/pelresmaker.h"
#include "analysis/pelrwobjectfiles.h"
#include "base/orvstreams.h"
#include "survey_files.h"
#include "surveykit/gimwaves.h"

namespace quin::testing {

struct TParSurveyOptions {
  int Waves = 5;
  std::string WavesLines;  // extra keys of the "waves" block
  std::string InfoLines;   // extra keys of the "survey" block
};

inline std::string ParDefinition(const TParSurveyOptions& O) {
  std::string S =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d;\r\n" +
      O.InfoLines +
      "end;\r\n"
      "def recordset id = resp; name = \"Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n"
      "def waves\r\n" +
      O.WavesLines;
  for (int W = 1; W <= O.Waves; ++W)
    S += "  def wave id = w" + std::to_string(W) + "; name = \"W" + std::to_string(W) +
         "\"; end;\r\n";
  S += "end;\r\n"
       "def data\r\n"
       "  def question id = sex; name = \"Sex\";\r\n"
       "    def responseList column = sex;\r\n"
       "      def response id = male; name = \"Male\"; code = 1; end;\r\n"
       "      def response id = female; name = \"Female\"; code = 2; end;\r\n"
       "    end;\r\n"
       "  end;\r\n"
       "  def question id = age; name = \"Age\";\r\n"
       "    def response id = years; name = \"Years\"; column = age; numeric = 15:99; end;\r\n"
       "  end;\r\n"
       "  def question id = freq; name = \"Frequency\";\r\n"
       "    def responseGrid columnMask = \"freq_*\";\r\n"
       "      def responseAxis id = medium; name = \"Medium\";\r\n"
       "        def response id = tv; name = \"TV\"; columnText = \"tv\"; end;\r\n"
       "        def response id = radio; name = \"Radio\"; columnText = \"radio\"; end;\r\n"
       "      end;\r\n"
       "      def responseAxis id = often; name = \"Often\";\r\n"
       "        def response id = daily; name = \"Daily\"; code = 1; end;\r\n"
       "        def response id = never; name = \"Never\"; code = 2; end;\r\n"
       "      end;\r\n"
       "    end;\r\n"
       "  end;\r\n"
       "end;\r\n";
  return S;
}

// Each wave holds two records; ages 20, 30, 20, 40, ... so the numeric question has a few
// distinct values.
inline std::string ParSurveyBytes(const TParSurveyOptions& O = {}) {
  TSwSurveyRecset Resp{"resp", {}};
  for (int W = 0; W < std::max(O.Waves, 1); ++W)
    Resp.Waves.push_back(Wave({{"sex", {1, 2}},
                               {"age", {20, W % 2 ? 40.0 : 30.0}},
                               {"freq_tv", {1, 2}},
                               {"freq_radio", {2, 1}}}));
  return SurveyFileBytes(ParDefinition(O), {Resp});
}

struct TParSurvey {
  TEnglishSession English;
  TOpened<> Opened;
  TPelSurvey& S;
  explicit TParSurvey(const TParSurveyOptions& O = {})
      : Opened(ParSurveyBytes(O)), S(*Opened.Survey) {}
  TGimWave* W(int Number) const { return S.Waves->GetItem(Number - 1); }
};

// What a parameter asked the maker for, one entry per element made.
struct TMadeElem {
  std::string Kind;  // "waves", "stat", "varVal", "varValCode", "var", "base"
  int ItemIndex = 0;
  TPelPar* Par = nullptr;
  std::vector<TGimWave*> Waves;
  TGimStat* Stat = nullptr;
  TGimResponse* Response = nullptr;
  TGimResponseAxis* Axis = nullptr;
  TGimQuestion* Question = nullptr;
  bool IsValueItem = false;
  double Code = 0;
  int BaseKind = -1;
  TGUID SubParGUID;
};

// Hands out stand-in addresses (never dereferenced) and records each request; installed for
// the lifetime of the object.
class TRecordingMaker : public TPelResElemMaker {
 public:
  TRecordingMaker() : FPrevious(SetPelResElemMaker(this)) { Made.reserve(4096); }
  ~TRecordingMaker() override { SetPelResElemMaker(FPrevious); }

  std::vector<TMadeElem> Made;
  const TMadeElem& Of(const TPelResElem* E) const { return Made.at(Index(E)); }

  TPelResElem* NewWaves(TPelSurvey*, const std::vector<TGimWave*>& Waves, int ItemIndex,
                        TPelPar* Par) override {
    TMadeElem M = Make("waves", ItemIndex, Par);
    M.Waves = Waves;
    return Keep(M);
  }
  TPelResElem* NewStat(TPelSurvey*, TGimStat* Stat, int ItemIndex, TPelPar* Par) override {
    TMadeElem M = Make("stat", ItemIndex, Par);
    M.Stat = Stat;
    return Keep(M);
  }
  TPelResElem* NewVarVal(TPelSurvey*, TGimResponse* Response, TGimResponseAxis* Axis,
                         TGimQuestion* Question, int ItemIndex, TPelPar* Par) override {
    TMadeElem M = Make("varVal", ItemIndex, Par);
    M.Response = Response;
    M.Axis = Axis;
    M.Question = Question;
    return Keep(M);
  }
  TPelResElem* NewVarValCode(TPelSurvey*, bool IsValueItem, double Code, TGimResponse* Response,
                             TGimResponseAxis* Axis, TGimQuestion* Question, int ItemIndex,
                             TPelPar* Par) override {
    TMadeElem M = Make("varValCode", ItemIndex, Par);
    M.IsValueItem = IsValueItem;
    M.Code = Code;
    M.Response = Response;
    M.Axis = Axis;
    M.Question = Question;
    return Keep(M);
  }
  TPelResElem* NewVar(TPelSurvey*, TGimResponseAxis* HeaderObject, TGimQuestion* Question,
                      int ItemIndex, TPelPar* Par) override {
    TMadeElem M = Make("var", ItemIndex, Par);
    M.Axis = HeaderObject;
    M.Question = Question;
    return Keep(M);
  }
  TPelResElem* NewBase(TPelSurvey*, int Kind, int ItemIndex, TPelPar* Par) override {
    TMadeElem M = Make("base", ItemIndex, Par);
    M.BaseKind = Kind;
    return Keep(M);
  }
  void SetSubParGUID(TPelResElem& Elem, const TGUID& GUID) override {
    Made.at(Index(&Elem)).SubParGUID = GUID;
  }

 private:
  static TMadeElem Make(const char* Kind, int ItemIndex, TPelPar* Par) {
    TMadeElem M;
    M.Kind = Kind;
    M.ItemIndex = ItemIndex;
    M.Par = Par;
    return M;
  }
  TPelResElem* Keep(const TMadeElem& M) {
    Made.push_back(M);
    return reinterpret_cast<TPelResElem*>(&FSlots[Made.size() - 1]);
  }
  size_t Index(const TPelResElem* E) const {
    return static_cast<size_t>(reinterpret_cast<const char*>(E) - FSlots);
  }
  char FSlots[4096] = {};
  TPelResElemMaker* FPrevious;
};

// Text written by Write into a memory stream.
template <class F>
std::string Written(F&& Write) {
  TMemoryStream M;
  Write(M);
  return std::string(reinterpret_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

inline std::string FileText(const TPelRWObjectFile& F) {
  return Written([&](TStream& S) { F.WriteToStream(S); });
}

// A file of the survey read from Text.
inline std::unique_ptr<TPelRWObjectFile> ReadParFile(TPelSurvey& Survey, const std::string& Text,
                                                     const TPelRWClass* OnlyClass = nullptr) {
  auto F = std::make_unique<TPelRWObjectFile>(&Survey, 0);
  TMemoryStream M{std::string_view(Text)};
  F->ReadFromStream(M, OnlyClass);
  return F;
}

// The file head the writer puts before the blocks.
inline std::string ParFileHead() {
  return "// Tabulon parameter definitions file.\r\n"
         "// Do not change - may not function properly.\r\n"
         "\r\n"
         "signature = \"{BF2AC92A-CCC0-43FF-B261-F17C803F3A0C}\";\r\n"
         "version = 1;\r\n"
         "\r\n";
}

}  // namespace quin::testing
