// A small survey for the parameter tests, written with the survey-file writer: waves w1..wN,
// a coded question, a numeric question and a grid question of two axes; and a holder of the
// result elements that parameters make.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelrwobjectfiles.h"
#include "base/orvstreams.h"
#include "survey_files.h"
#include "surveykit/gimwaves.h"

namespace quin::test {

struct TParSurveyOptions {
  int Waves = 5;
  std::string WavesLines;  // extra keys of the "waves" block
  std::string InfoLines;   // extra keys of the "survey" block
  std::string Sections;    // further sections after the data tree (media definitions)
};

// The coded question "sex" (male 1, female 2) and the numeric question "age" (15 to 99), as
// blocks of the "data" section.
inline const std::string kSexQuestionDef =
    "  def question id = sex; name = \"Sex\";\r\n"
    "    def responseList column = sex;\r\n"
    "      def response id = male; name = \"Male\"; code = 1; end;\r\n"
    "      def response id = female; name = \"Female\"; code = 2; end;\r\n"
    "    end;\r\n"
    "  end;\r\n";
inline const std::string kAgeQuestionDef =
    "  def question id = age; name = \"Age\";\r\n"
    "    def response id = years; name = \"Years\"; column = age; numeric = 15:99; end;\r\n"
    "  end;\r\n";

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
  S += "end;\r\ndef data\r\n" + kSexQuestionDef + kAgeQuestionDef +
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
       "end;\r\n" +
       O.Sections;
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

// Owns the elements a test asks parameters for and hands them out as their classes.
class TMadeElems {
 public:
  // Elem (kept from now on) as T; null, with a failed expectation, when it is not one.
  template <class T>
  T* As(TPelResElem* Elem) {
    Keep(Elem);
    T* R = quin::As<T>(Elem);
    EXPECT_TRUE(R != nullptr) << (Elem ? Elem->ClassName() : "null");
    return R;
  }
  // Keeps Elem once, however often it is handed in.
  TPelResElem* Keep(TPelResElem* Elem) {
    for (const auto& E : FOwned)
      if (E.get() == Elem) return Elem;
    if (Elem) FOwned.emplace_back(Elem);
    return Elem;
  }
  const TPelResElemVec& KeepAll(const TPelResElemVec& Elems) {
    for (TPelResElem* E : Elems) Keep(E);
    return Elems;
  }

 private:
  std::vector<std::unique_ptr<TPelResElem>> FOwned;
};

// The waves of a waves element, in order.
inline std::vector<TGimWave*> WavesOf(const TPelResWaves* E) {
  std::vector<TGimWave*> R;
  for (int I = 0; E && I < E->Waves->Count(); ++I) R.push_back(E->Waves->GetItem(I));
  return R;
}

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

}  // namespace quin::test
