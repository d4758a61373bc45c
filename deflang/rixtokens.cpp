#include "deflang/rixtokens.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TRixTokenInstrSep, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenDefStart, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenDefEnd, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenDefSimple, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenIDPartSep, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenExprLPar, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenExprRPar, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenConjunction, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenDisjunction, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenNegation, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenInList, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenListLPar, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenListRPar, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenListSep, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenRangeSep, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenMinus, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenDateSep, TOrvTerminal)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixTokenOpCmp, TOrvTerminal)
QUIN_IMPLEMENT_CLASS(TRixTokenOpLT, TRixTokenOpCmp)
QUIN_IMPLEMENT_CLASS(TRixTokenOpLE, TRixTokenOpCmp)
QUIN_IMPLEMENT_CLASS(TRixTokenOpGT, TRixTokenOpCmp)
QUIN_IMPLEMENT_CLASS(TRixTokenOpGE, TRixTokenOpCmp)
QUIN_IMPLEMENT_CLASS(TRixTerminalList, TOrvTerminalList)
QUIN_IMPLEMENT_CLASS(TRixListElem, TOrvObject)
QUIN_IMPLEMENT_CLASS(TRixIntegerElem, TRixListElem)
QUIN_IMPLEMENT_CLASS(TRixTextElem, TRixListElem)
QUIN_IMPLEMENT_CLASS(TRixIntegerList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TRixTextList, TOrvObjectList)

void TRixTerminalList::RegisterTerminals() {
  AddTerminal(";", TRixTokenInstrSep::StaticClass());
  AddTerminal("def", TRixTokenDefStart::StaticClass());
  AddTerminal("end", TRixTokenDefEnd::StaticClass());
  AddTerminal("=", TRixTokenDefSimple::StaticClass());
  AddTerminal("@", TRixTokenIDPartSep::StaticClass());
  AddTerminal("(", TRixTokenExprLPar::StaticClass());
  AddTerminal(")", TRixTokenExprRPar::StaticClass());
  AddTerminal("and", TRixTokenConjunction::StaticClass());
  AddTerminal("or", TRixTokenDisjunction::StaticClass());
  AddTerminal("not", TRixTokenNegation::StaticClass());
  AddTerminal("in", TRixTokenInList::StaticClass());
  AddTerminal("[", TRixTokenListLPar::StaticClass());
  AddTerminal("]", TRixTokenListRPar::StaticClass());
  AddTerminal(",", TRixTokenListSep::StaticClass());
  AddTerminal(":", TRixTokenRangeSep::StaticClass());
  AddTerminal("-", TRixTokenMinus::StaticClass());
  AddTerminal("/", TRixTokenDateSep::StaticClass());
  AddTerminal("<", TRixTokenOpLT::StaticClass());
  AddTerminal("<=", TRixTokenOpLE::StaticClass());
  AddTerminal(">", TRixTokenOpGT::StaticClass());
  AddTerminal(">=", TRixTokenOpGE::StaticClass());
}

int32_t TRixIntegerElem::Value() const {
  const auto* T = As<TOrvTokenInteger>(Token());
  return T ? T->Value : 0;
}

std::string TRixTextElem::Text() const { return Token() ? Token()->GetText() : std::string(); }

}  // namespace quin
