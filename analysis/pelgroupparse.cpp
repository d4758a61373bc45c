// The reader of target-group expressions:
//   expr      = "all" | or
//   or        = and {"or" and}
//   and       = factor {"and" factor}
//   factor    = "not" factor | "(" or [")"] | condition
//   condition = question ("=" value | "in" ["["] value {"," value} ["]"])
//   value     = response ["in" ["["] codes "]"]
// Every loop of the reader consumes a token per pass; nesting is bounded.
#include "analysis/pelgroup.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "base/text.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimexpr.h"
#include "surveykit/mermessages.h"

namespace quin {

namespace {

using TObj = std::unique_ptr<TPelGroupObject>;

class TGroupParser {
 public:
  TGroupParser(TRixScanner& AScanner, TPelSurvey* ASurvey, TPelGroup& AGroup)
      : S(AScanner), Survey(ASurvey), Group(AGroup) {}

  TObj Or(int Depth) {
    std::vector<TObj> Operands;
    Keep(Operands, And(Depth));
    bool AnyOr = false;
    while (!Aborted && S.Accept(TRixTokenDisjunction::StaticClass())) {
      AnyOr = true;
      Keep(Operands, And(Depth));
    }
    if (Aborted) return nullptr;
    if (AnyOr) return NodeOf(ExprOperator<TGimExprOperatorLogicDisjunction>(), Operands);
    if (Operands.empty()) return nullptr;
    // A lone condition stands in an "and" of one child.
    if (Operands[0]->IsVar())
      return NodeOf(ExprOperator<TGimExprOperatorLogicConjunction>(), Operands);
    return std::move(Operands[0]);
  }

  bool Aborted = false;

 private:
  static void Keep(std::vector<TObj>& Operands, TObj Obj) {
    if (Obj) Operands.push_back(std::move(Obj));
  }

  TObj NodeOf(const TGimExprOperator& Op, std::vector<TObj>& Operands) {
    auto N = std::make_unique<TPelGroupNode>(nullptr, Survey, Op);
    for (TObj& O : Operands) N->Children.Add(std::move(O));
    return N;
  }

  TObj And(int Depth) {
    std::vector<TObj> Operands;
    Keep(Operands, Factor(Depth));
    bool AnyAnd = false;
    while (!Aborted && S.Accept(TRixTokenConjunction::StaticClass())) {
      AnyAnd = true;
      Keep(Operands, Factor(Depth));
    }
    if (Aborted) return nullptr;
    if (AnyAnd) return NodeOf(ExprOperator<TGimExprOperatorLogicConjunction>(), Operands);
    return Operands.empty() ? nullptr : std::move(Operands[0]);
  }

  TObj Factor(int Depth) {
    if (Depth >= kPelGroupMaxDepth) {
      Abort();
      return nullptr;
    }
    if (S.Accept(TRixTokenNegation::StaticClass())) {
      auto N = std::make_unique<TPelGroupNode>(nullptr, Survey,
                                               ExprOperator<TGimExprOperatorLogicNegation>());
      if (TObj C = Factor(Depth + 1)) N->Children.Add(std::move(C));
      return N;
    }
    if (S.Accept(TRixTokenExprLPar::StaticClass())) {
      TObj X = Or(Depth + 1);
      if (!Aborted) S.Accept(TRixTokenExprRPar::StaticClass());
      return X;
    }
    if (S.Token->Is<TOrvTokenIdentifier>()) return Condition();
    return nullptr;
  }

  // The rest of the instruction up to its ";" is passed over.
  void Abort() {
    S.AddMsgAt(TPelError_GroupTooDeep, S.Token->StartPos);
    while (!S.Token->Is<TRixTokenInstrSep>() && !S.Token->Is<TRixTokenDefStart>() &&
           !S.Token->Is<TOrvTokenEOF>())
      S.NextToken();
    Aborted = true;
  }

  // An identifier with its "@" parts, lower-cased; the current token is an identifier.
  std::string Identifier() {
    std::string V = S.Token->GetText();
    S.NextToken();
    while (S.Token->Is<TRixTokenIDPartSep>()) {
      S.NextToken();
      if (!S.Token->Is<TOrvTokenIdentifier>()) break;
      V += '@' + S.Token->GetText();
      S.NextToken();
    }
    return LowerCase(V);
  }

  void Note(const TOrvMsgClass& C, const TOrvTextPos& At, TDynStringArr Args) {
    Group.ReadNotes.Add(TOrvMsg::CreateFromArgs(C, At, Args));
    S.AddMsgArgsAt(C, At, std::move(Args));
  }

  TObj Condition() {
    const TOrvTextPos At = S.Token->StartPos;
    const std::string ID = Identifier();
    TGimQuestion* Q =
        Survey && Survey->Data ? Survey->Data->FindQuestion(ID, RaisesForOtherSurvey(S)) : nullptr;
    if (!Q) Note(TMerRepInfo_QuestionNotFound, At, {ID});
    auto V = std::make_unique<TPelGroupVar>(nullptr, Survey);
    V->Question = Q;
    if (S.Accept(TRixTokenDefSimple::StaticClass())) {
      Value(*V);
    } else if (S.Accept(TRixTokenInList::StaticClass())) {
      S.Accept(TRixTokenListLPar::StaticClass());
      Value(*V);
      while (S.Accept(TRixTokenListSep::StaticClass())) Value(*V);
      S.Accept(TRixTokenListRPar::StaticClass());
    }
    // An unknown question drops the condition.
    return Q ? std::move(V) : nullptr;
  }

  void Value(TPelGroupVar& V) {
    if (!S.Token->Is<TOrvTokenIdentifier>()) {
      S.AddMsgAt(TRixMsgError_UnknownKey, S.Token->StartPos);
      return;
    }
    const TOrvTextPos At = S.Token->StartPos;
    const std::string ID = Identifier();
    std::unique_ptr<TRixCodeList> Codes;
    if (S.Accept(TRixTokenInList::StaticClass())) {
      S.Accept(TRixTokenListLPar::StaticClass());
      Codes = std::make_unique<TRixCodeList>();
      ParseCodeList(*Codes, S, &TRixTokenListRPar::StaticClass());
    }
    if (!V.Question) return;
    TGimResponse* R = V.Question->Responses ? V.Question->Responses->FindByID(ID) : nullptr;
    if (!R) {
      Note(TMerRepInfo_ResponseNotFound, At, {ID, V.Question->GetID()});
      return;
    }
    // Codes that could not be read leave an empty list, which would select nobody and could
    // not be written so that it reads back: the value goes with the error reported.
    if (Codes && Codes->Count() == 0) return;
    if (Codes)
      V.Values.AddCodeRange(R, std::move(Codes));
    else
      V.Values.AddResponse(R);
  }

  TRixScanner& S;
  TPelSurvey* Survey;
  TPelGroup& Group;
};

}  // namespace

void TPelGroup::ParseExpr(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  Root.reset();
  ReadNotes.Clear();
  if (Scanner.AcceptIdentifier("all")) return;
  TGroupParser P(Scanner, ASurvey ? ASurvey : Survey, *this);
  TObj R = P.Or(0);
  if (!R || !R->IsNode()) return;
  Root.reset(static_cast<TPelGroupNode*>(R.release()));
  Root->Parent = nullptr;
  Normalize(Root.get());
}

void PelGroupExprEnd(TRixScanner& Scanner) {
  // A value whose codes could not be read has had its instruction skipped already.
  if (Scanner.PrevToken && Scanner.PrevToken->Is<TRixTokenInstrSep>()) return;
  Scanner.Expect(TRixTokenInstrSep::StaticClass(), TRixMsgError_InstrSepExpected, true);
}

}  // namespace quin
