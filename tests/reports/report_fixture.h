// Report fixtures: a small survey written with the survey-file writer (respondents with a
// weight column, optionally a diary record set joined to them), a parameter class and two
// element kinds nested below analyses, and helpers that write and read report texts.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/pelpar.h"
#include "analysis/pelsurvey.h"
#include "base/orvmessages.h"
#include "deflang/rixscanner.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "tests/analysis/par_fixture.h"
#include "tests/analysis/test_pars.h"

namespace quin::test {

struct TRepSurveyOptions {
  bool Diary = false;         // a second record set, "diary"
  double DataDate = 40000.5;  // the survey file's date
};

inline std::string RepDefinition(bool Diary) {
  std::string S =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"<PLK>Respondenci<ENU>Respondents\";\r\n"
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n";
  if (Diary)
    S += "def recordset id = diary; name = \"<PLK>Dzienniczek<ENU>Diary\"; join = id;\r\n"
         "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
         "end;\r\n";
  S += "def weights noWeight = 1;\r\n"
       "  def weight id = wgt; name = \"<PLK>Waga<ENU>Weight\"; column = wgt; end;\r\n"
       "end;\r\n"
       "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
       "def data end;\r\n";
  return S;
}

struct TRepSurvey {
  TEnglishSession English;
  TOpened<> Opened;
  TPelSurvey& S;
  explicit TRepSurvey(const TRepSurveyOptions& O = {}) : Opened(Bytes(O)), S(*Opened.Survey) {}

  static std::string Bytes(const TRepSurveyOptions& O) {
    std::vector<TSwSurveyRecset> Recsets{{"resp", {Wave({{"id", {1, 2}}, {"wgt", {1, 3}}})}}};
    if (O.Diary) Recsets.push_back({"diary", {Wave({{"id", {1, 1, 2}}})}});
    TSwSurveyOptions FileOptions;
    FileOptions.DataDate = O.DataDate;
    return SurveyFileBytes(RepDefinition(O.Diary), Recsets, FileOptions);
  }
};

// A parameter whose block reads "value" (an integer, written back), "missing = id;" (reported
// as a statistic the survey lacks, the way parameters report what they cannot restore) and
// "fail = 1;" (raises). It counts the list's synchronisation and records the list it resolved
// its links with, in order.
class TRepTestPar : public TPelPar {
  QUIN_CLASS(TRepTestPar, TPelPar)
  QUIN_RW_CLASS(TRepTestPar)
 public:
  using TPelPar::TPelPar;
  static std::string StaticKeyword() { return "repTestPar"; }
  std::string GetDefaultName() const override { return "Test parameter"; }

  int32_t Value = 0;
  std::vector<std::string> Calls;  // "sync", "resolve"
  TPelParList* ResolvedWith = nullptr;

  void SyncWithParList() override { Calls.emplace_back("sync"); }
  void ResolveLinks(TPelParList* ParList) override {
    Calls.emplace_back("resolve");
    ResolvedWith = ParList;
  }
  void ReadBody(TRixScanner& Scanner, TPelSurvey*) override {
    ReadKeysToEnd(Scanner, [this](TRixScanner& S) { return ReadOwnKey(S); });
  }
  void WriteBody(TStream& Stream, int& Indent) const override;

 protected:
  TRepTestPar& operator=(const TRepTestPar&) = default;

 private:
  bool ReadOwnKey(TRixScanner& S);
};

// A savable class that is no parameter.
class TRepTestPrices : public TPelRWObject {
  QUIN_CLASS(TRepTestPrices, TPelRWObject)
  QUIN_RW_CLASS(TRepTestPrices)
 public:
  using TPelRWObject::TPelRWObject;
  static std::string StaticKeyword() { return "repTestPrices"; }
  std::string GetDefaultName() const override { return "Prices"; }
};

// Element kinds read from "testTable" blocks in analyses and "testChart" blocks in those. Their
// blocks read the element keys, "stale = 1;" (sets the stale flag handed in) and "fail = 1;"
// (raises); the stale flag handed in is kept.
class TTestRepElem : public TPelRepElem {
  QUIN_CLASS(TTestRepElem, TPelRepElem)
 public:
  using TPelRepElem::TPelRepElem;
  bool StaleOnEntry = false;
  void ReadBody(TRixScanner& Scanner, bool& Stale) override;
  // The own description, or an exception when DescriptionFails.
  std::string OwnDescription;
  bool DescriptionFails = false;
  std::string GetOwnDescription(int Options) override;
};

class TTestTable : public TTestRepElem {
  QUIN_CLASS(TTestTable, TTestRepElem)
 public:
  using TTestRepElem::TTestRepElem;
  std::string GetKindCaption() const override;
  std::string GetKindName(bool Short) const override;
  std::string GetDefKeyword() const override { return "testTable"; }
  bool IsTableElement() const override { return true; }
};

class TTestChart : public TTestRepElem {
  QUIN_CLASS(TTestChart, TTestRepElem)
 public:
  using TTestRepElem::TTestRepElem;
  std::string GetKindCaption() const override;
  std::string GetKindName(bool Short) const override;
  std::string GetDefKeyword() const override { return "testChart"; }
};

// The test parameters (these and the analysis tests' ones) and the test element kinds.
void RegisterReportTestClasses();

inline std::string ReportText(const TPelRep& Report) {
  return Written([&](TStream& S) { Report.SaveToStream(S); });
}

// A new report of Survey read from Text with Msgs.
inline std::unique_ptr<TPelRep> ReadReport(TPelSurvey& Survey, const std::string& Text,
                                           TOrvMsgList& Msgs) {
  auto R = std::make_unique<TPelRep>(&Survey);
  TMemoryStream M{std::string_view(Text)};
  R->LoadFromStream(M, &Msgs);
  return R;
}

// A report text: the head, "def report", the survey's identity, Body and "end;".
inline std::string ReportWith(const std::string& Body, const std::string& Identity = "s1@ns") {
  return "signature = \"{EB70CF26-15B3-4DB3-A59E-A6AB01C5CF16}\";\r\nversion = 1;\r\n"
         "def report\r\n  survey = " +
         Identity + ";\r\n" + Body + "end;\r\n";
}

// Message Index of L as "class@line:column".
inline std::string MsgAt(const TOrvMsgList& L, int Index) {
  const TOrvMsg& M = *L.GetItem(Index);
  return std::string(M.MsgClass ? M.MsgClass->Name : "?") + "@" + std::to_string(M.Pos.Line) + ":" +
         std::to_string(M.Pos.Column);
}

inline TPelRepElemAnalysis* AnalysisAt(const TPelRep& R, int Index) {
  return As<TPelRepElemAnalysis>(R.Root()->Child(Index));
}

}  // namespace quin::test
