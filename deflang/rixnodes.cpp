#include "deflang/rixnodes.h"

#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TRixNodeList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixNode, TObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixNodeSimple, TRixNode)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TRixNodeComplex, TRixNode)

namespace {
std::string Blanks(int Indent) { return std::string(static_cast<size_t>(Indent > 0 ? Indent : 0) * 2, ' '); }
}  // namespace

TRixNode::TRixNode(TRixNodeComplex* AParent, TRixDef* ADef, const TOrvToken* AKeyToken)
    : FParent(AParent),
      FDef(ADef),
      FKeyToken(AKeyToken ? CopyOf(*AKeyToken) : nullptr),
      FLevel(AParent ? AParent->Level() + 1 : 0) {}

TRixNode::~TRixNode() = default;

// ---- TRixNodeSimple

TRixNodeSimple* TRixNodeSimple::Create(TRixNodeComplex* AParent, TRixDef* ADef,
                                       const TOrvToken* AKeyToken) {
  std::unique_ptr<TRixNodeSimple> Node(new TRixNodeSimple(AParent, ADef, AKeyToken));
  TRixNodeSimple* P = Node.get();
  if (AParent) AParent->Children().Add(Node.release());
  return P;
}

void TRixNodeSimple::WriteText(std::vector<std::string>& Lines, int Indent) const {
  std::string Line = Blanks(Indent);
  if (KeyToken()) Line += KeyToken()->GetText();
  Line += '=';
  for (int I = 0; I < FValues.Count(); ++I) {
    if (I > 0) Line += ',';
    Line += FValues[I]->GetText();
  }
  Line += ';';
  Lines.push_back(std::move(Line));
}

// ---- TRixNodeComplex

TRixNodeComplex* TRixNodeComplex::Create(TRixNodeComplex* AParent, TRixDef* ADef,
                                         const TOrvToken* ADefToken, const TOrvToken* AKeyToken,
                                         TObject* ATarget) {
  std::unique_ptr<TRixNodeComplex> Node(new TRixNodeComplex(AParent, ADef, AKeyToken));
  if (ADefToken) Node->FDefToken = CopyOf(*ADefToken);
  Node->FTarget = ATarget;
  TRixNodeComplex* P = Node.get();
  if (AParent) AParent->Children().Add(Node.release());
  return P;
}

std::unique_ptr<TRixNodeComplex> TRixNodeComplex::CreateRoot(TRixDef* ADef, TObject* ATarget) {
  std::unique_ptr<TRixNodeComplex> Node(new TRixNodeComplex(nullptr, ADef, nullptr));
  Node->FTarget = ATarget;
  return Node;
}

void TRixNodeComplex::WriteText(std::vector<std::string>& Lines, int Indent) const {
  // The root has no "def" line of its own: its children stand at Indent.
  const bool Block = FDefToken != nullptr;
  if (Block)
    Lines.push_back(Blanks(Indent) + FDefToken->GetText() + " " +
                    (KeyToken() ? KeyToken()->GetText() : std::string()));
  for (int I = 0; I < FChildren.Count(); ++I)
    FChildren[I]->WriteText(Lines, Block ? Indent + 1 : Indent);
  if (Block && (FEndToken || SepToken()))
    Lines.push_back(Blanks(Indent) + (FEndToken ? FEndToken->GetText() : std::string()) +
                    (SepToken() ? SepToken()->GetText() : std::string()));
}

TRixNode* TRixNodeComplex::FindChild(std::string_view Key, int Occurrence) const {
  for (int I = 0; I < FChildren.Count(); ++I) {
    TRixNode* C = FChildren[I];
    if (C->KeyToken() && SameText(C->KeyToken()->GetText(), Key)) {
      if (Occurrence <= 0) return C;
      --Occurrence;
    }
  }
  return nullptr;
}

TRixNodeComplex* TRixNodeComplex::FindObjectNode(const TObject* Obj, bool Deep) const {
  if (!Obj) return nullptr;
  for (int I = 0; I < FChildren.Count(); ++I)
    if (auto* C = As<TRixNodeComplex>(FChildren[I]))
      if (C->FTarget == Obj) return C;
  if (Deep)
    for (int I = 0; I < FChildren.Count(); ++I)
      if (auto* C = As<TRixNodeComplex>(FChildren[I]))
        if (TRixNodeComplex* Found = C->FindObjectNode(Obj, true)) return Found;
  return nullptr;
}

TRixNode* TRixNodeComplex::DefNode(int Index) const {
  return Index >= 0 && static_cast<size_t>(Index) < FDefNodes.size() ? FDefNodes[Index] : nullptr;
}

void TRixNodeComplex::NoteDefNode(int Index, TRixNode* Node) {
  if (Index < 0) return;
  if (static_cast<size_t>(Index) >= FDefNodes.size()) FDefNodes.resize(Index + 1, nullptr);
  if (!FDefNodes[Index]) FDefNodes[Index] = Node;
}

}  // namespace quin
