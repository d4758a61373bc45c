#include "deflang/rixparser.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixParser, TObject)

TRixParser::TRixParser(bool Ordered)
    : FRoot(std::make_unique<TRixDefRoot>(Ordered ? rdfOrdered : 0)),
      FRootNode(TRixNodeComplex::CreateRoot(FRoot.get(), nullptr)) {}

TRixParser::~TRixParser() = default;

void TRixParser::SetStrict(bool Value) {
  FStrict = Value;
  FRoot->SetStrict(Value);
}

void TRixParser::Parse(TOrvLangManager*& LangManager, TRixScanner& Scanner, TObject* Target) {
  FScanner = &Scanner;
  if (!Scanner.Token || Scanner.Token->Is<TOrvTokenBOF>()) Scanner.NextToken();
  FRoot->Prepare(&LangManager, &Scanner, FStrict);
  FRoot->Defs().StopAtUnknownKey = StopAtUnknownKey;
  FRootNode = TRixNodeComplex::CreateRoot(FRoot.get(), Target);
  FRoot->Parse(Target, FRootNode.get(), *Scanner.Token);
}

}  // namespace quin
