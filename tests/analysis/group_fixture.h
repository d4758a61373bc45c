// A small weighted survey for target groups and result elements: two waves of three
// respondents with answers to "sex" and "edu" (some missing) and a numeric "age", and a
// stand-in table cell that counts in the respondents' record set.
//
//   record  wave  sex     edu   age  w
//   0       1     male    low   20   1
//   1       1     female  -     30   2
//   2       1     -       high  -    1
//   3       2     male    mid   40   0.5
//   4       2     female  low   50   1
//   5       2     -       -     60   2
#pragma once

#include <memory>
#include <string>

#include "analysis/pelgroup.h"
#include "analysis/pelreselem.h"
#include "base/orvmessages.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "survey_files.h"

namespace quin::test {

// The survey of two waves of weighted respondents (weighting "wgt", population 1000, column
// w), up to its data section; RecsetKeys are further keys of the respondents' record set.
inline std::string WeightedSurveyHead(const std::string& RecsetKeys = "") {
  return "def environ languages = plk, enu; end;\r\n"
         "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d; end;\r\n"
         "def recordset id = resp; name = \"Respondents\";" +
         RecsetKeys +
         "\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
         "end;\r\n"
         "def weights\r\n"
         "  def weight id = wgt; name = \"Weight\"; population = 1000; column = w; end;\r\n"
         "end;\r\n"
         "def waves\r\n"
         "  def wave id = w1; name = \"W1\"; end;\r\n"
         "  def wave id = w2; name = \"W2\"; end;\r\n"
         "end;\r\n";
}

inline std::string GroupDefinition() {
  return WeightedSurveyHead() + "def data\r\n" + kSexQuestionDef +
         "  def question id = edu; name = \"Education\";\r\n"
         "    def responseList column = edu;\r\n"
         "      def response id = low; name = \"Low\"; code = 1; end;\r\n"
         "      def response id = mid; name = \"Middle\"; code = 2; end;\r\n"
         "      def response id = high; name = \"High\"; code = 3; end;\r\n"
         "    end;\r\n"
         "  end;\r\n" +
         kAgeQuestionDef + "end;\r\n";
}

inline std::string GroupSurveyBytes() {
  return SurveyFileBytes(GroupDefinition(), {ParseSurveyCsv("resp",
                                                            "wave,sex,edu,age,w\n"
                                                            "1,1,1,20,1\n"
                                                            "1,2,,30,2\n"
                                                            "1,,3,,1\n"
                                                            "2,1,2,40,0.5\n"
                                                            "2,2,1,50,1\n"
                                                            "2,,,60,2\n")});
}

// A table cell of the respondents' record set and the survey's weighting.
class TTestCell : public TPelResCell {
 public:
  explicit TTestCell(TPelSurvey& S, const TGimWeight* AWeight = nullptr)
      : Recset(S.Recset(0)), Weight(AWeight) {}
  TMerRecset* Recset;
  const TGimWeight* Weight;
  TPelResElemList Elems{false};
  bool Stat = true;
  bool SysMis = false;
  bool NotComputable = false;
  TMerRecset* GetBasedOnRecset() const override { return Recset; }
  const TGimWeight* GetWeight() const override { return Weight; }
  const TPelResElemList& GetAllElems() const override { return Elems; }
  bool HasStatElem() const override { return Stat; }
  bool ExcludesSysMis() const override { return SysMis; }
  void SetNotComputable() override { NotComputable = true; }
};

struct TGroupSurvey {
  TEnglishSession English;
  TOpened<> Opened{GroupSurveyBytes()};
  TPelSurvey& S = *Opened.Survey;
  TOrvMsgList Msgs{0, 0};

  TGimWeight* Weight() const { return S.Weights->FindByID("wgt"); }
  TGimQuestion* Q(const char* ID) const { return S.Data->FindQuestion(ID, false); }
  TGimResponse* R(const char* Question, const char* ID) const {
    return Q(Question)->Responses->FindByID(ID);
  }
  // A scanner over Text at its first token.
  std::unique_ptr<TRixScanner> Scan(const std::string& Text) {
    auto Sc = New<TRixScanner>(Text, &Msgs);
    Sc->NextToken();
    return Sc;
  }
  // A group read from an expression.
  std::unique_ptr<TPelGroup> Group(const std::string& Expr) {
    auto G = New<TPelGroup>(&S, nullptr);
    G->ParseExpr(*Scan(Expr), &S);
    return G;
  }
};

// Flags as text: "1" selected, "0" not, one character per record.
inline std::string FlagText(const TPelFlags& F) {
  std::string T;
  for (uint8_t B : F) T += B ? '1' : '0';
  return T;
}

}  // namespace quin::test
