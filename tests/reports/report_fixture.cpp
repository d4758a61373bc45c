#include "report_fixture.h"

#include "base/langmanager.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"

namespace quin::test {

// The analysis tests' parameter classes, for this program.
QUIN_IMPLEMENT_CLASS(TTestSubElem, TPelSubElem)
QUIN_IMPLEMENT_CLASS(TTestSubPar, TPelSubPar)
QUIN_IMPLEMENT_CLASS(TTestMulti, TPelParMulti)
QUIN_IMPLEMENT_CLASS(TTestMultiChild, TTestMulti)
QUIN_IMPLEMENT_CLASS(TTestOption, TPelPar)

QUIN_IMPLEMENT_CLASS(TRepTestPar, TPelPar)
QUIN_IMPLEMENT_CLASS(TRepTestPrices, TPelRWObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TTestRepElem, TPelRepElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TTestTable, TTestRepElem)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TTestChart, TTestRepElem)

void TRepTestPar::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  WriteKeyInteger(Stream, Indent, "value", "", Value);
}

bool TRepTestPar::ReadOwnKey(TRixScanner& S) {
  if (RixKeyTaken(S, S.ReadInteger("value", Value))) return true;
  std::string ID;
  const TOrvTextPos At = S.Token->StartPos;
  if (S.ReadIdentifier("missing", ID)) {
    S.AddMsgArgsAt(TMerRepInfo_StatisticNotFound, At, {ID});
    return true;
  }
  if (RixKeyTaken(S, false)) return true;
  int32_t Fail = 0;
  if (S.ReadInteger("fail", Fail)) throw EOrvException("<ENU>The parameter is broken.");
  return RixKeyTaken(S, false);
}

void TTestRepElem::ReadBody(TRixScanner& Scanner, bool& Stale) {
  StaleOnEntry = Stale;
  TGimBlockReader R;
  R.Key = [this, &Stale](TRixScanner& S) {
    if (ReadElemKey(S)) return true;
    bool Flag = false;
    if (S.ReadBoolean("stale", Flag)) {
      Stale = Stale || Flag;
      return true;
    }
    if (S.ReadBoolean("fail", Flag)) throw EOrvException("<ENU>The element is broken.");
    return false;
  };
  R.Block = [this, &Stale](TRixScanner& S, const TOrvTextPos&) { return ReadChildBlock(S, Stale); };
  R.Read(Scanner);
}

std::string TTestRepElem::GetOwnDescription(int Options) {
  if (DescriptionFails) throw EOrvException("<ENU>No description.");
  return OwnDescription;
}

std::string TTestTable::GetKindCaption() const {
  return CurrentLangManager().Translate("<PLK>Tabela<ENU>Table");
}
std::string TTestTable::GetKindName(bool Short) const {
  return CurrentLangManager().Translate(Short ? "<PLK>T<ENU>T" : "<PLK>Tabela<ENU>Table");
}
std::string TTestChart::GetKindCaption() const {
  return CurrentLangManager().Translate("<PLK>Wykres<ENU>Chart");
}
std::string TTestChart::GetKindName(bool Short) const {
  return CurrentLangManager().Translate(Short ? "<PLK>W<ENU>C" : "<PLK>Wykres<ENU>Chart");
}

void RegisterReportTestClasses() {
  RegisterTestParClasses();
  RegisterRWObjectClass(RWClassOf<TRepTestPar>());
  RegisterRWObjectClass(RWClassOf<TRepTestPrices>());
  RegisterRepElemKind({"testTable", &TPelRepElemAnalysis::StaticClass(),
                       [](TPelRepElem* Parent, TPelSurvey* Survey) -> std::unique_ptr<TPelRepElem> {
                         return New<TTestTable>(Parent, Survey);
                       }});
  RegisterRepElemKind({"testChart", &TTestTable::StaticClass(),
                       [](TPelRepElem* Parent, TPelSurvey* Survey) -> std::unique_ptr<TPelRepElem> {
                         return New<TTestChart>(Parent, Survey);
                       }});
}

}  // namespace quin::test
