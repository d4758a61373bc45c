#include "analysis/pelgroup.h"

#include "analysis/pelresgroup.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvbinary.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimexpr.h"
#include "surveykit/gimquestions.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupObject, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelChildrenList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupNode, TPelGroupObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupVal, TPelGroupObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupValSingle, TPelGroupVal)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupValCodeRange, TPelGroupValSingle)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupResponseList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelGroupVar, TPelGroupObject)
QUIN_IMPLEMENT_CLASS(TPelGroup, TPelSubPar)

const TOrvMsgClass TPelError_GroupTooDeep{
    "TPelError_GroupTooDeep", &TOrvMsgKind_Error,
    "<PLK>Wyrażenie jest zbyt głęboko zagnieżdżone.<ENU>Expression nested too deeply."};

namespace {

const TGimExprOperator& OpNot() { return ExprOperator<TGimExprOperatorLogicNegation>(); }
const TGimExprOperator& OpAnd() { return ExprOperator<TGimExprOperatorLogicConjunction>(); }
const TGimExprOperator& OpOr() { return ExprOperator<TGimExprOperatorLogicDisjunction>(); }

const TFormatSettings& SessionFormat() { return CurrentLangManager().FormatSettings; }

std::string ResponseName(const TGimResponse* R) { return R ? R->GetName() : std::string(); }
std::string ResponseID(const TGimResponse* R) { return R ? R->GetID() : std::string(); }

// The definition text of an expression object.
std::string DefText(const TPelGroupObject& Obj) {
  TMemoryStream M;
  Obj.WriteToStream(M);
  return M.DataString();
}

}  // namespace

// ---- TPelChildrenList

TPelGroupObject* TPelChildrenList::Add(std::unique_ptr<TPelGroupObject> Obj) {
  return Insert(Count(), std::move(Obj));
}

TPelGroupObject* TPelChildrenList::Insert(int Index, std::unique_ptr<TPelGroupObject> Obj) {
  Obj->Parent = Node;
  TPelGroupObject* P = Obj.release();
  TOrvObjectList::Insert(Index, P);
  return P;
}

std::unique_ptr<TPelGroupObject> TPelChildrenList::Take(int Index) {
  TPelGroupObject* P = GetItem(Index);
  Extract(P);
  P->Parent = nullptr;
  return std::unique_ptr<TPelGroupObject>(P);
}

// ---- TPelGroupNode

TPelGroupNode::TPelGroupNode(TPelGroupObject* AParent, TPelSurvey* ASurvey,
                             const TGimExprOperator& AOperator)
    : TPelGroupObject(AParent, ASurvey), Operator(&AOperator) {}

TPelGroupNode::TPelGroupNode(const TPelGroupNode& Source)
    : TPelGroupObject(Source), Operator(Source.Operator) {
  for (int I = 0; I < Source.ChildCount(); ++I) {
    const TPelGroupObject* C = Source.Child(I);
    if (C->IsNode() || C->IsVar()) Children.Add(CopyOf(*C));
  }
}

bool TPelGroupNode::IsNot() const { return Operator == &OpNot(); }
bool TPelGroupNode::IsAnd() const { return Operator == &OpAnd(); }
bool TPelGroupNode::IsOr() const { return Operator == &OpOr(); }

std::string TPelGroupNode::Text(bool Display) const {
  const std::string Op = Display ? Operator->Name() : Operator->ID();
  const bool Prefix = Operator->Notation() == TGimExprNotation::Prefix;
  std::string S;
  for (int I = 0; I < ChildCount(); ++I) {
    const TPelGroupObject* C = Child(I);
    if (Prefix && I == 0) S += Op + " ";
    if (!Prefix && I > 0) S += " " + Op + " ";
    const std::string T = Display ? C->GetText() : DefText(*C);
    const auto* N = As<TPelGroupNode>(C);
    S += N && N->ChildCount() > 1 ? "(" + T + ")" : T;
  }
  return S;
}

std::string TPelGroupNode::GetText() const { return Text(true); }

void TPelGroupNode::WriteToStream(TStream& Stream) const { WriteStreamText(Stream, Text(false)); }

// ---- Values

std::string TPelGroupValSingle::AsLabel() const { return ResponseName(Response); }

std::string TPelGroupValSingle::AsString() const {
  return Response ? Format("%g", {Response->SingleCode}, SessionFormat()) : std::string();
}

std::unique_ptr<TGimResponse> TPelGroupValSingle::GetResponse() const {
  return Response ? CopyOf(*Response) : nullptr;
}

std::string TPelGroupValSingle::GetText() const { return ResponseName(Response); }

void TPelGroupValSingle::WriteToStream(TStream& Stream) const {
  WriteStreamText(Stream, ResponseID(Response));
}

TPelGroupValCodeRange::TPelGroupValCodeRange(TPelGroupObject* AParent, TPelSurvey* ASurvey,
                                             TGimResponse* AResponse,
                                             std::unique_ptr<TRixCodeList> ACodes)
    : TPelGroupValSingle(AParent, ASurvey, AResponse),
      Codes(ACodes ? std::move(ACodes) : std::make_unique<TRixCodeList>()) {}

TPelGroupValCodeRange::TPelGroupValCodeRange(const TPelGroupValCodeRange& Source)
    : TPelGroupValSingle(Source), Codes(std::make_unique<TRixCodeList>(*Source.Codes)) {}

namespace {
// " in " of a condition's display text, in the session's language (the written form keeps
// " in ").
std::string InOperatorText() { return " " + TranslateLiteral("<PLK>w<ENU>in") + " "; }
}  // namespace

std::string TPelGroupValCodeRange::AsLabel() const {
  const std::string Name = ResponseName(Response);
  return Name.empty() ? "[" + AsString() + "]" : Name + ": [" + AsString() + "]";
}

std::string TPelGroupValCodeRange::AsString() const {
  return CodeListAsString(*Codes, SessionFormat());
}

std::unique_ptr<TGimResponse> TPelGroupValCodeRange::GetResponse() const {
  std::unique_ptr<TGimResponse> R = TPelGroupValSingle::GetResponse();
  if (R) R->Codes = std::make_unique<TRixCodeList>(*Codes);
  return R;
}

std::string TPelGroupValCodeRange::GetText() const {
  return ResponseName(Response) + InOperatorText() + "[" + AsString() + "]";
}

void TPelGroupValCodeRange::WriteToStream(TStream& Stream) const {
  WriteStreamText(Stream, ResponseID(Response) + " in [" + CodeListAsUSAString(*Codes) + "]");
}

// ---- TPelGroupResponseList

TPelGroupVal* TPelGroupResponseList::InsertValue(int Index, std::unique_ptr<TPelGroupVal> Val) {
  Val->Parent = Var;
  TPelGroupVal* P = Val.release();
  TOrvObjectList::Insert(Index, P);
  return P;
}

TPelGroupVal* TPelGroupResponseList::AddResponse(TGimResponse* Response) {
  return InsertResponse(Count(), Response);
}

TPelGroupVal* TPelGroupResponseList::InsertResponse(int Index, TGimResponse* Response) {
  return InsertValue(Index, std::make_unique<TPelGroupValSingle>(nullptr, Survey, Response));
}

TPelGroupVal* TPelGroupResponseList::AddCodeRange(TGimResponse* Response,
                                                  std::unique_ptr<TRixCodeList> Codes) {
  return InsertCodeRange(Count(), Response, std::move(Codes));
}

TPelGroupVal* TPelGroupResponseList::InsertCodeRange(int Index, TGimResponse* Response,
                                                     std::unique_ptr<TRixCodeList> Codes) {
  return InsertValue(
      Index, std::make_unique<TPelGroupValCodeRange>(nullptr, Survey, Response, std::move(Codes)));
}

TPelGroupVal* TPelGroupResponseList::AddCode(TGimResponse* Response, double Code) {
  auto Codes = std::make_unique<TRixCodeList>();
  Codes->Add(std::make_unique<TRixCodeSingle>(Code));
  return AddCodeRange(Response, std::move(Codes));
}

int TPelGroupResponseList::IndexOfResponse(const TGimResponse* Response) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->GetSourceResponse() == Response) return I;
  return -1;
}

std::unique_ptr<TMerResponseList> TPelGroupResponseList::CreateResponseList() const {
  std::unique_ptr<TMerResponseList> L = GimCreateResponseList(Survey, nullptr);
  for (int I = 0; I < Count(); ++I)
    if (std::unique_ptr<TGimResponse> R = GetItem(I)->GetResponse()) L->AddChild(std::move(R));
  return L;
}

std::string TPelGroupResponseList::GetText() const {
  std::string S;
  for (int I = 0; I < Count(); ++I) S += (I > 0 ? ", " : "") + GetItem(I)->GetText();
  return S;
}

void TPelGroupResponseList::WriteToStream(TStream& Stream) const {
  for (int I = 0; I < Count(); ++I) {
    if (I > 0) WriteStreamText(Stream, ", ");
    GetItem(I)->WriteToStream(Stream);
  }
}

// ---- TPelGroupVar

TPelGroupVar::TPelGroupVar(TPelGroupObject* AParent, TPelSurvey* ASurvey)
    : TPelGroupObject(AParent, ASurvey) {
  Values.Survey = ASurvey;
}

TPelGroupVar::TPelGroupVar(const TPelGroupVar& Source)
    : TPelGroupObject(Source), Question(Source.Question) {
  Values.Survey = Source.Values.Survey;
  for (int I = 0; I < Source.Values.Count(); ++I)
    Values.InsertValue(Values.Count(), CopyOf(*Source.Values.GetItem(I)));
}

std::string TPelGroupVar::GetText() const {
  const std::string Name = Question ? Question->GetFullName() : std::string();
  if (Values.Count() < 2) return Name + " = " + Values.GetText();
  return Name + InOperatorText() + "[" + Values.GetText() + "]";
}

void TPelGroupVar::WriteToStream(TStream& Stream) const {
  WriteStreamText(Stream, Question ? Question->GetID() : std::string());
  if (Values.Count() < 2) {
    WriteStreamText(Stream, " = ");
    Values.WriteToStream(Stream);
  } else {
    WriteStreamText(Stream, " in [");
    Values.WriteToStream(Stream);
    WriteStreamText(Stream, "]");
  }
}

// ---- Random content (test data)

std::unique_ptr<TPelGroupVar> TPelGroupVar::CreateRandom(TPelGroupObject* AParent,
                                                         TPelSurvey* ASurvey,
                                                         TGimQuestion* AQuestion,
                                                         TOrvRandGen& Gen) {
  auto V = std::make_unique<TPelGroupVar>(AParent, ASurvey);
  V->Question = AQuestion;
  std::vector<TGimResponse*> Choosable;
  const TMerResponseList* Rs = AQuestion ? AQuestion->Responses.get() : nullptr;
  for (int I = 0; Rs && I < Rs->Count(); ++I)
    if (TGimResponse* R = Rs->GetItem(I); R && R->Selectable) Choosable.push_back(R);
  for (TGimResponse* R : Choosable)
    if (Gen.RandomReal() < 0.3) V->Values.AddResponse(R);
  if (V->Values.Empty() && !Choosable.empty())
    V->Values.AddResponse(Choosable[Gen.RandomInt(static_cast<int>(Choosable.size()))]);
  return V;
}

namespace {

const TGimExprOperator& RandomOperator(const TPelGroupObject* Parent, TOrvRandGen& Gen) {
  const auto* P = As<TPelGroupNode>(Parent);
  const double D = Gen.RandomReal();
  if (!P) return D < 0.3 ? OpAnd() : (D < 0.95 ? OpOr() : OpNot());
  if (P->IsNot()) return D >= 0.5 ? OpOr() : OpAnd();
  if (D < 0.05) return OpNot();
  return P->IsAnd() ? OpOr() : OpAnd();
}

int Depth(const TPelGroupObject* O) {
  int D = 0;
  for (; O; O = O->Parent) ++D;
  return D;
}

}  // namespace

std::unique_ptr<TPelGroupNode> TPelGroupNode::CreateRandom(
    TPelGroupObject* AParent, TPelSurvey* ASurvey, const std::vector<TGimQuestion*>& Questions,
    TOrvRandGen& Gen) {
  auto N = std::make_unique<TPelGroupNode>(AParent, ASurvey, RandomOperator(AParent, Gen));
  const int Count = N->IsNot() ? 1 : 2 + Gen.RandomInt(2);
  // Nested nodes stay well inside the depth the reader accepts.
  const bool MayNest = Depth(N.get()) < kPelGroupMaxDepth / 2;
  for (int I = 0; I < Count && !Questions.empty(); ++I) {
    if (MayNest && Gen.RandomReal() < 0.2) {
      N->Children.Add(CreateRandom(N.get(), ASurvey, Questions, Gen));
      continue;
    }
    TGimQuestion* Q = Questions[Gen.RandomInt(static_cast<int>(Questions.size()))];
    N->Children.Add(TPelGroupVar::CreateRandom(N.get(), ASurvey, Q, Gen));
  }
  return N;
}

std::unique_ptr<TPelGroup> TPelGroup::CreateRandom(TPelSurvey* ASurvey, TPelParMulti* AOwner,
                                                   TOrvRandGen& Gen) {
  std::unique_ptr<TPelGroup> G = New<TPelGroup>(ASurvey, AOwner);
  std::unique_ptr<TGimDataObjectList> All;
  if (ASurvey && ASurvey->Data && ASurvey->Data->Root)
    ASurvey->Data->Root->CollectObjects(TGimQuestion::StaticClass(), true, All);
  std::vector<TGimQuestion*> Questions;
  for (int I = 0; All && I < All->Count(); ++I)
    Questions.push_back(static_cast<TGimQuestion*>(All->GetItem(I)));
  if (Questions.empty()) return G;
  G->Root = TPelGroupNode::CreateRandom(nullptr, ASurvey, Questions, Gen);
  G->Normalize(G->Root.get());
  return G;
}

// ---- TPelGroup

TPelGroup::TPelGroup(TPelSurvey* ASurvey, TPelParMulti* AOwner) : TPelSubPar(ASurvey, AOwner) {}

TPelGroup::~TPelGroup() = default;

TPelGroup::TPelGroup(const TPelGroup& Source)
    : TPelSubPar(Source),
      FlagCount(Source.FlagCount),
      Selected(Source.Selected),
      Missing(Source.Missing),
      CaseCount(Source.CaseCount),
      SelectedCount(Source.SelectedCount),
      MissingCount(Source.MissingCount),
      WeightedCases(Source.WeightedCases),
      WeightedSelected(Source.WeightedSelected),
      WeightedMissing(Source.WeightedMissing),
      Root(Source.Root ? CopyOf(*Source.Root) : nullptr),
      ReadNotes(Source.ReadNotes) {}

std::string TPelGroup::GetText() const {
  std::string S = AutoNamed ? std::string() : Name + ": ";
  return S + (Root ? Root->GetText() : TranslateLiteral("<PLK>Cała próba<ENU>All cases"));
}

int TPelGroup::Position() const { return Owner ? Owner->SubPars->IndexOf(this) + 1 : 0; }

std::string TPelGroup::GetDefaultName() const {
  if (!Root) return TranslateLiteral("<PLK>Cała próba<ENU>All cases");
  std::string S = TranslateLiteral("<PLK>Grupa docelowa<ENU>Target group");
  if (Owner && Owner->SubParCount() > 1) S += " " + IntToStr(Position());
  return S;
}

void TPelGroup::Clear() {
  TPelSubPar::Clear();
  Root.reset();
}

TPelResElem* TPelGroup::CreateResElem() { return new TPelResGroup(Survey, this, -1, Owner); }

bool TPelGroup::IsSimple() const {
  if (!TPelSubPar::IsSimple()) return false;
  if (!Root) return true;
  if (!Root->IsAnd()) return false;
  for (int I = 0; I < Root->ChildCount(); ++I)
    if (Root->Child(I)->IsNode()) return false;
  return true;
}

bool TPelGroup::ReadKey(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  if (!Scanner.ReadDefSimpleStart("expr")) return RixKeyTaken(Scanner, false);
  ParseExpr(Scanner, ASurvey);
  // A parenthesis after the expression is passed over with the token after it.
  if (Scanner.Accept(TRixTokenExprLPar::StaticClass())) {
    if (!Scanner.Token->Is<TOrvTokenEOF>()) Scanner.NextToken();
    Scanner.Accept(TRixTokenExprRPar::StaticClass());
  }
  PelGroupExprEnd(Scanner);
  return true;
}

namespace {

// Whether some condition below Node has no question or no values (it cannot be written so
// that it reads back).
bool HasIncompleteCondition(const TPelGroupNode& Node) {
  for (int I = 0; I < Node.ChildCount(); ++I) {
    const TPelGroupObject* C = Node.Child(I);
    if (const auto* N = As<TPelGroupNode>(C); N && HasIncompleteCondition(*N)) return true;
    if (const auto* V = As<TPelGroupVar>(C); V && (!V->Question || V->Values.Empty())) return true;
  }
  return false;
}

}  // namespace

std::string TPelGroup::ExprText() const {
  const TPelGroupNode* Written = Root.get();
  std::unique_ptr<TPelGroup> Normal;
  if (Root && HasIncompleteCondition(*Root)) {
    Normal = New<TPelGroup>(Survey, nullptr);
    Normal->Root = CopyOf(*Root);
    Normal->Normalize(Normal->Root.get());
    Written = Normal->Root.get();
  }
  return Written ? DefText(*Written) : std::string();
}

void TPelGroup::WriteBody(TStream& Stream, int& Indent) const {
  TPelSubPar::WriteBody(Stream, Indent);
  const std::string Expr = ExprText();
  if (Expr.empty()) {
    WriteKeyIdentifier(Stream, Indent, "expr", "", "all");
    return;
  }
  WriteIndentedText(Stream, Indent, "expr = " + Expr);
  WriteStreamLine(Stream, ";");
}

// ---- Editing

TPelGroupNode* TPelGroup::FindParentNode(const TPelGroupObject* Obj) const {
  if (!Obj || !Root || Obj == Root.get()) return nullptr;
  std::vector<TPelGroupNode*> Stack{Root.get()};
  while (!Stack.empty()) {
    TPelGroupNode* N = Stack.back();
    Stack.pop_back();
    for (int I = 0; I < N->ChildCount(); ++I) {
      TPelGroupObject* C = N->Child(I);
      if (C == Obj) return N;
      if (auto* CN = As<TPelGroupNode>(C)) Stack.push_back(CN);
    }
  }
  return nullptr;
}

TPelGroupVar* TPelGroup::AddCondition(std::unique_ptr<TPelGroupVar> Var,
                                      const TGimExprOperator& Operator, TPelGroupNode* Node,
                                      TPelGroupObject* Sibling) {
  TPelGroupVar* V = Var.get();
  if (!Root) {
    Root = std::make_unique<TPelGroupNode>(nullptr, Survey, Operator);
    Root->Children.Add(std::move(Var));
    return V;
  }
  TPelGroupNode* Target = Node ? Node : FindParentNode(Sibling);
  if (!Target) Target = Root.get();
  const int SiblingAt = Sibling ? Target->Children.IndexOf(Sibling) : -1;
  if (&Operator != Target->Operator) {
    if (Target->ChildCount() > 1 || Target->IsNot()) {
      if (SiblingAt >= 0) {
        // A new node of Operator takes the sibling's place and holds it and Var.
        auto N = std::make_unique<TPelGroupNode>(nullptr, Survey, Operator);
        N->Children.Add(Target->Children.Take(SiblingAt));
        N->Children.Add(std::move(Var));
        Target->Children.Insert(SiblingAt, std::move(N));
        return V;
      }
      // The target's children move into a node of the old operator, its only child.
      auto Inner = std::make_unique<TPelGroupNode>(nullptr, Survey, *Target->Operator);
      Inner->Expanded = Target->Expanded;
      while (Target->ChildCount() > 0) Inner->Children.Add(Target->Children.Take(0));
      Target->Children.Add(std::move(Inner));
    }
    Target->Operator = &Operator;
  }
  Target->Children.Add(std::move(Var));
  return V;
}

void TPelGroup::RemoveObject(TPelGroupObject* Obj, bool ANormalize) {
  if (!Obj || !Obj->IsRemovable()) return;
  if (auto* Val = As<TPelGroupVal>(Obj)) {
    auto* Var = As<TPelGroupVar>(Val->Parent);
    if (!Var) return;
    Var->Values.Remove(Val);
    if (Var->Values.Empty()) RemoveObject(Var, ANormalize);
    return;
  }
  if (Obj == Root.get()) {
    Root.reset();
    return;
  }
  TPelGroupNode* P = FindParentNode(Obj);
  if (!P) return;
  P->Children.Remove(Obj);
  if (ANormalize) Normalize(P);
}

namespace {

bool IsIncompleteCondition(const TPelGroupObject* O) {
  const auto* V = As<TPelGroupVar>(O);
  return V && (!V->Question || V->Values.Empty());
}

// What a normalised node asks of the node that holds it.
enum class TNormalResult { Keep, Remove, Lift };

// Normalises Node's subtree in place, children first. Lift: Node's children are to take its
// place (an "and"/"or" of one child, or the inner child of "not not").
TNormalResult NormalizeSub(TPelGroupNode& Node) {
  for (int I = 0; I < Node.ChildCount();) {
    TPelGroupObject* C = Node.Child(I);
    if (IsIncompleteCondition(C)) {
      Node.Children.Delete(I);
      continue;
    }
    auto* N = As<TPelGroupNode>(C);
    const TNormalResult R = N ? NormalizeSub(*N) : TNormalResult::Keep;
    if (R == TNormalResult::Remove) {
      Node.Children.Delete(I);
      continue;
    }
    if (R == TNormalResult::Lift) {
      std::unique_ptr<TPelGroupObject> Owned = Node.Children.Take(I);
      auto& Lifted = static_cast<TPelGroupNode&>(*Owned);
      const int K = Lifted.ChildCount();
      for (int J = 0; J < K; ++J) Node.Children.Insert(I + J, Lifted.Children.Take(0));
      I += K;
      continue;
    }
    ++I;
  }
  if (Node.ChildCount() == 0) return TNormalResult::Remove;
  if (Node.IsNot()) {
    auto* Inner = As<TPelGroupNode>(Node.Child(0));
    if (Node.ChildCount() == 1 && Inner && Inner->IsNot() && Inner->ChildCount() == 1) {
      // "not not x": x takes the outer node's place.
      std::unique_ptr<TPelGroupObject> X = Inner->Children.Take(0);
      Node.Children.Delete(0);
      Node.Children.Add(std::move(X));
      return TNormalResult::Lift;
    }
    return TNormalResult::Keep;
  }
  return Node.ChildCount() < Node.Operator->ParamsCountMin() ? TNormalResult::Lift
                                                             : TNormalResult::Keep;
}

}  // namespace

void TPelGroup::Normalize(TPelGroupNode* Node) {
  if (!Node) return;
  if (Node == Root.get()) {
    const TNormalResult R = NormalizeSub(*Root);
    if (R == TNormalResult::Remove) {
      Root.reset();
    } else if (R == TNormalResult::Lift && Root->ChildCount() == 1) {
      if (Root->Child(0)->IsNode()) {
        // A single child node becomes the root.
        std::unique_ptr<TPelGroupObject> C = Root->Children.Take(0);
        Root.reset(static_cast<TPelGroupNode*>(C.release()));
        Root->Parent = nullptr;
      } else if (Root->IsNot()) {
        // "not not q" at the root: an "and" of the condition.
        Root->Operator = &OpAnd();
      }
    }
    return;
  }
  TPelGroupNode* P = FindParentNode(Node);
  if (!P) {
    NormalizeSub(*Node);
    return;
  }
  // The changes reach upwards: the holder is normalised with the node.
  Normalize(P);
}

}  // namespace quin
