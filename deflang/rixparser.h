// The schema-driven parser of the definition language. A parser holds a schema (a root
// definition with its tree of value and block definitions), reads one text through a
// TRixScanner into a target object and keeps the parse tree of what it read.
//
//   class TEnvironParser : public TRixParser {
//    public:
//     TEnvironParser() : TRixParser(false) {
//       auto* Env = Root().AddDef(std::make_unique<TRixDefComplex>("environ", rdfOnce, "", "Mer"));
//       Env->AddDef(std::make_unique<TRixDefSimpleStringLong>("name", rdfMandatory | rdfOnce));
//     }
//   };
#pragma once

#include <memory>

#include "deflang/rixdefs.h"
#include "deflang/rixnodes.h"
#include "deflang/rixscanner.h"

namespace quin {

class TRixParser : public TObject {
  QUIN_CLASS(TRixParser, TObject)
 public:
  // With Ordered the top-level keys must come in the declared order.
  explicit TRixParser(bool Ordered = false);
  ~TRixParser() override;
  TRixParser(const TRixParser&) = delete;
  TRixParser& operator=(const TRixParser&) = delete;

  TRixDefRoot& Root() { return *FRoot; }
  const TRixDefRoot& Root() const { return *FRoot; }
  // The parse tree of the last reading; its target is the object read into.
  TRixNodeComplex& RootNode() { return *FRootNode; }
  const TRixNodeComplex& RootNode() const { return *FRootNode; }
  TRixScanner* Scanner() const { return FScanner; }

  // The first top-level key that the schema does not know ends the reading, with the scanner
  // left at that key (for a block: at its "def").
  bool StopAtUnknownKey = false;
  bool Strict() const { return FStrict; }
  // Unknown keys and invalid enumeration values are reported only in a strict reading.
  void SetStrict(bool Value);

  // Reads the text of Scanner into Target (may be null: the text is only checked). LangManager
  // is the reading's language-manager variable; the definitions look at it while they read,
  // so it may be filled during the reading. Problems go to the scanner's message list.
  void Parse(TOrvLangManager*& LangManager, TRixScanner& Scanner, TObject* Target);

  // The schema as EBNF-like rules.
  void WriteGrammar(TRixLines& Lines) const { FRoot->WriteGrammar(Lines, 0); }

 private:
  std::unique_ptr<TRixDefRoot> FRoot;
  TRixScanner* FScanner = nullptr;
  bool FStrict = false;
  std::unique_ptr<TRixNodeComplex> FRootNode;
};

}  // namespace quin
