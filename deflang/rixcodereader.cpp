#include "deflang/rixcodereader.h"

#include <memory>

namespace quin {

namespace {

bool At(const TRixScanner& S, const ClassInfo& C) { return S.Token && S.Token->Is(C); }

}  // namespace

void ParseCodeList(TRixCodeList& List, TRixScanner& Scanner, const ClassInfo* TerminatorClass) {
  for (;;) {
    std::unique_ptr<TRixCode> Code;
    if (At(Scanner, TRixTokenOpCmp::StaticClass())) {
      const bool Below =
          At(Scanner, TRixTokenOpLT::StaticClass()) || At(Scanner, TRixTokenOpLE::StaticClass());
      const bool Exclusive =
          At(Scanner, TRixTokenOpLT::StaticClass()) || At(Scanner, TRixTokenOpGT::StaticClass());
      Scanner.NextToken();
      double X = 0;
      if (!Scanner.ParseNumber(X)) {
        Scanner.SkipStatement(true);
        return;
      }
      Code = Below ? std::make_unique<TRixCodeRange>(RixCodeMin, X, false, Exclusive)
                   : std::make_unique<TRixCodeRange>(X, RixCodeMax, Exclusive, false);
    } else {
      // A single code holding a sentinel is written "min" or "max": both read back.
      double Lower = RixCodeMin;
      if (Scanner.AcceptIdentifier("max")) {
        Lower = RixCodeMax;
      } else if (!Scanner.AcceptIdentifier("min") &&
                 !At(Scanner, TRixTokenRangeSep::StaticClass()) && !Scanner.ParseNumber(Lower)) {
        Scanner.SkipStatement(true);
        return;
      }
      if (Scanner.Accept(TRixTokenRangeSep::StaticClass())) {
        double Upper = RixCodeMax;
        const bool NoNumber = Scanner.AcceptIdentifier("max") ||
                              At(Scanner, TRixTokenListSep::StaticClass()) ||
                              (TerminatorClass && At(Scanner, *TerminatorClass)) ||
                              At(Scanner, TOrvTokenEOF::StaticClass());
        if (!NoNumber && !Scanner.ParseNumber(Upper)) {
          Scanner.SkipStatement(true);
          return;
        }
        if (Lower > Upper)
          Scanner.AddMsgAt(TRixError_LeftGTRight, Scanner.LastTokenEnd());
        else if (Lower == Upper)
          Scanner.AddMsgAt(TRixWarning_LeftEQRight, Scanner.LastTokenEnd());
        Code = std::make_unique<TRixCodeRange>(Lower, Upper, /*ALowerExclusive=*/false,
                                               /*AUpperExclusive=*/false);
      } else {
        Code = std::make_unique<TRixCodeSingle>(Lower);
      }
    }
    List.Add(std::move(Code));

    if (Scanner.Accept(TRixTokenListSep::StaticClass())) {
      if (At(Scanner, TOrvTokenEOF::StaticClass())) {
        Scanner.AddMsgAt(TOrvMsg_FatalError_UnexpectedEOF, Scanner.Token->StartPos);
        return;  // without a message list nothing stops the reading
      }
      continue;
    }
    if (TerminatorClass ? Scanner.Accept(*TerminatorClass)
                        : At(Scanner, TOrvTokenEOF::StaticClass()))
      return;
    Scanner.AddMsgAt(TRixMsgError_InstrSepExpected, Scanner.Token->StartPos);
    return;
  }
}

}  // namespace quin
