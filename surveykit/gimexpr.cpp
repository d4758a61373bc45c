#include "surveykit/gimexpr.h"

#include <climits>

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimExprOperator, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimExprOperatorLogic, TGimExprOperator)
QUIN_IMPLEMENT_CLASS(TGimExprOperatorLogicNegation, TGimExprOperatorLogic)
QUIN_IMPLEMENT_CLASS(TGimExprOperatorLogicConjunction, TGimExprOperatorLogic)
QUIN_IMPLEMENT_CLASS(TGimExprOperatorLogicDisjunction, TGimExprOperatorLogic)

namespace {
std::string SessionText(const char* Utf8) { return CurrentLangManager().Translate(Cp1250(Utf8)); }
}  // namespace

int TGimExprOperator::ParamsCountMax() const {
  return Notation() == TGimExprNotation::Infix ? INT_MAX : 1;
}

int TGimExprOperator::ParamsCountMin() const {
  return Notation() == TGimExprNotation::Infix ? 2 : 1;
}

std::string TGimExprOperatorLogicNegation::Name() const { return SessionText("<PLK>nie<ENU>not"); }
std::string TGimExprOperatorLogicConjunction::Name() const { return SessionText("<PLK>i<ENU>and"); }
std::string TGimExprOperatorLogicDisjunction::Name() const {
  return SessionText("<PLK>lub<ENU>or");
}

const TGimExprOperator* ExprOperatorOf(const ClassInfo& C) {
  if (&C == &TGimExprOperatorLogicNegation::StaticClass())
    return &ExprOperator<TGimExprOperatorLogicNegation>();
  if (&C == &TGimExprOperatorLogicConjunction::StaticClass())
    return &ExprOperator<TGimExprOperatorLogicConjunction>();
  if (&C == &TGimExprOperatorLogicDisjunction::StaticClass())
    return &ExprOperator<TGimExprOperatorLogicDisjunction>();
  return nullptr;
}

const TGimExprOperator* FindExprOperator(std::string_view ID) {
  for (const TGimExprOperator* Op : {&ExprOperator<TGimExprOperatorLogicNegation>(),
                                     &ExprOperator<TGimExprOperatorLogicConjunction>(),
                                     &ExprOperator<TGimExprOperatorLogicDisjunction>()})
    if (SameText(Op->ID(), ID)) return Op;
  return nullptr;
}

}  // namespace quin
