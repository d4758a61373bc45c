// The terminal symbols of the definition language and the list elements that its readers
// produce.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/orvscanner.h"

namespace quin {

// ---- Terminals

// Every terminal of the language is a class of its own, derived from TOrvTerminal (or from
// TRixTokenOpCmp for the comparisons); the class is what readers test with Accept.
// NOLINTBEGIN(bugprone-macro-parentheses): the arguments are class names
#define QUIN_RIX_TERMINAL(Class, Parent) \
  class Class : public Parent {          \
    QUIN_CLASS(Class, Parent)            \
   public:                               \
    using Parent::Parent;                \
    Class() = default;                   \
  };
// NOLINTEND(bugprone-macro-parentheses)

QUIN_RIX_TERMINAL(TRixTokenInstrSep, TOrvTerminal)     // ";"   end of an instruction
QUIN_RIX_TERMINAL(TRixTokenDefStart, TOrvTerminal)     // "def" start of a block
QUIN_RIX_TERMINAL(TRixTokenDefEnd, TOrvTerminal)       // "end" end of a block
QUIN_RIX_TERMINAL(TRixTokenDefSimple, TOrvTerminal)    // "="   between key and value
QUIN_RIX_TERMINAL(TRixTokenIDPartSep, TOrvTerminal)    // "@"   joins a qualified identifier
QUIN_RIX_TERMINAL(TRixTokenExprLPar, TOrvTerminal)     // "("
QUIN_RIX_TERMINAL(TRixTokenExprRPar, TOrvTerminal)     // ")"
QUIN_RIX_TERMINAL(TRixTokenConjunction, TOrvTerminal)  // "and"
QUIN_RIX_TERMINAL(TRixTokenDisjunction, TOrvTerminal)  // "or"
QUIN_RIX_TERMINAL(TRixTokenNegation, TOrvTerminal)     // "not"
QUIN_RIX_TERMINAL(TRixTokenInList, TOrvTerminal)       // "in"
QUIN_RIX_TERMINAL(TRixTokenListLPar, TOrvTerminal)     // "["
QUIN_RIX_TERMINAL(TRixTokenListRPar, TOrvTerminal)     // "]"
QUIN_RIX_TERMINAL(TRixTokenListSep, TOrvTerminal)      // ","
QUIN_RIX_TERMINAL(TRixTokenRangeSep, TOrvTerminal)     // ":"   range of codes or days
QUIN_RIX_TERMINAL(TRixTokenMinus, TOrvTerminal)        // "-"   sign of a number
QUIN_RIX_TERMINAL(TRixTokenDateSep, TOrvTerminal)      // "/"   parts of a date
// The comparisons; the class itself stands for no text.
QUIN_RIX_TERMINAL(TRixTokenOpCmp, TOrvTerminal)
QUIN_RIX_TERMINAL(TRixTokenOpLT, TRixTokenOpCmp)  // "<"  open range below, exclusive
QUIN_RIX_TERMINAL(TRixTokenOpLE, TRixTokenOpCmp)  // "<=" open range below, inclusive
QUIN_RIX_TERMINAL(TRixTokenOpGT, TRixTokenOpCmp)  // ">"  open range above, exclusive
QUIN_RIX_TERMINAL(TRixTokenOpGE, TRixTokenOpCmp)  // ">=" open range above, inclusive

#undef QUIN_RIX_TERMINAL

// The terminal table of the language. Create with New<TRixTerminalList>(CaseSensitive).
class TRixTerminalList : public TOrvTerminalList {
  QUIN_CLASS(TRixTerminalList, TOrvTerminalList)
 public:
  using TOrvTerminalList::TOrvTerminalList;
  void RegisterTerminals() override;
};

// ---- List elements

// One element of a list value; owns a copy of the token it was read from (text replaced by
// the element's final value, spanning the whole element in the source).
class TRixListElem : public TOrvObject {
  QUIN_CLASS(TRixListElem, TOrvObject)
  QUIN_COPY(TRixListElem)
 public:
  TRixListElem() = default;
  // Keeps a copy of AToken made through its own class.
  explicit TRixListElem(const TOrvToken& AToken) : FToken(CopyOf(AToken)) {}
  // Takes the token over.
  explicit TRixListElem(std::unique_ptr<TOrvToken> AToken) : FToken(std::move(AToken)) {}
  TRixListElem(const TRixListElem& Source)
      : TOrvObject(Source), FToken(Source.FToken ? CopyOf(*Source.FToken) : nullptr) {}

  const TOrvToken* Token() const { return FToken.get(); }

 private:
  std::unique_ptr<TOrvToken> FToken;
};

class TRixIntegerElem : public TRixListElem {
  QUIN_CLASS(TRixIntegerElem, TRixListElem)
  QUIN_COPY(TRixIntegerElem)
 public:
  using TRixListElem::TRixListElem;
  TRixIntegerElem() = default;
  // The integer of the token (0 when it holds none).
  int32_t Value() const;
};

class TRixTextElem : public TRixListElem {
  QUIN_CLASS(TRixTextElem, TRixListElem)
  QUIN_COPY(TRixTextElem)
 public:
  using TRixListElem::TRixListElem;
  TRixTextElem() = default;
  std::string Text() const;
};

// Owning lists of elements.
class TRixIntegerList : public TOrvTypedList<TRixIntegerElem> {
  QUIN_CLASS(TRixIntegerList, TOrvObjectList)
 public:
  TRixIntegerList() : TOrvTypedList(true) {}
  TRixIntegerList(const TRixIntegerList& Source) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TRixIntegerList(*this));
  }
};

class TRixTextList : public TOrvTypedList<TRixTextElem> {
  QUIN_CLASS(TRixTextList, TOrvObjectList)
 public:
  TRixTextList() : TOrvTypedList(true) {}
  TRixTextList(const TRixTextList& Source) = default;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TRixTextList(*this));
  }
};

}  // namespace quin
