// Operators of the logical expressions in which target groups are written. Every answer is
// class-level: the reader, the writer and the panes ask an operator class, never an object.
#pragma once

#include <string>

#include "base/orvclasses.h"

namespace quin {

enum class TGimExprNotation { Prefix, Infix };

// The answers of one operator class; obtained from the class through Info().
class TGimExprOperator : public TOrvObject {
  QUIN_CLASS(TGimExprOperator, TOrvObject)
 public:
  virtual std::string ID() const = 0;
  // The display name in the session's language.
  virtual std::string Name() const = 0;
  virtual TGimExprNotation Notation() const = 0;
  virtual int ParamsCountMax() const;
  virtual int ParamsCountMin() const;
};

class TGimExprOperatorLogic : public TGimExprOperator {
  QUIN_CLASS(TGimExprOperatorLogic, TGimExprOperator)
};

class TGimExprOperatorLogicNegation : public TGimExprOperatorLogic {
  QUIN_CLASS(TGimExprOperatorLogicNegation, TGimExprOperatorLogic)
 public:
  std::string ID() const override { return "not"; }
  std::string Name() const override;
  TGimExprNotation Notation() const override { return TGimExprNotation::Prefix; }
};

class TGimExprOperatorLogicConjunction : public TGimExprOperatorLogic {
  QUIN_CLASS(TGimExprOperatorLogicConjunction, TGimExprOperatorLogic)
 public:
  std::string ID() const override { return "and"; }
  std::string Name() const override;
  TGimExprNotation Notation() const override { return TGimExprNotation::Infix; }
};

class TGimExprOperatorLogicDisjunction : public TGimExprOperatorLogic {
  QUIN_CLASS(TGimExprOperatorLogicDisjunction, TGimExprOperatorLogic)
 public:
  std::string ID() const override { return "or"; }
  std::string Name() const override;
  TGimExprNotation Notation() const override { return TGimExprNotation::Infix; }
};

// The class-level instance of an operator class (one shared, immutable object per class);
// null for a class that is not a concrete operator.
const TGimExprOperator* ExprOperatorOf(const ClassInfo& OperatorClass);
template <class T>
const TGimExprOperator& ExprOperator() {
  static const T Instance;
  return Instance;
}
// The operator whose keyword is ID (case ignored); null when none.
const TGimExprOperator* FindExprOperator(std::string_view ID);

}  // namespace quin
