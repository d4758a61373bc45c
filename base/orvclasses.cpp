#include "base/orvclasses.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/orvexceptions.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvObject, TObject)
QUIN_IMPLEMENT_CLASS(TOrvObjectList, TObject)
QUIN_IMPLEMENT_CLASS(TOrvPersistent, TOrvObject)
QUIN_IMPLEMENT_CLASS(TOrvTreeNodeList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TOrvTreeNode, TOrvPersistent)
QUIN_IMPLEMENT_CLASS(TOrvTree, TOrvPersistent)
QUIN_IMPLEMENT_CLASS(TOrvCol, TOrvObject)
QUIN_IMPLEMENT_CLASS(TOrvColList, TOrvObjectList)

std::unique_ptr<TOrvObject> TOrvObject::CreateCopy() const {
  return std::unique_ptr<TOrvObject>(new TOrvObject(*this));
}

// ---- TOrvObjectList

TOrvObjectList::TOrvObjectList(const TOrvObjectList& Source)
    : TObject(Source), OwnsObjects(Source.OwnsObjects) {
  CopyItemsFrom(Source);
}

void TOrvObjectList::CopyItemsFrom(const TOrvObjectList& Source) {
  FItems.reserve(Source.FItems.size());
  if (!Source.OwnsObjects) {
    FItems = Source.FItems;
    return;
  }
  for (const TObject* Item : Source.FItems) {
    if (const auto* Obj = As<TOrvObject>(Item)) {
      FItems.push_back(Obj->CreateCopy().release());
    } else if (const auto* List = As<TOrvObjectList>(Item)) {
      FItems.push_back(List->CreateCopy().release());
    }
    // any other item is not copied
  }
}

TOrvObjectList::~TOrvObjectList() { Clear(); }

std::unique_ptr<TOrvObjectList> TOrvObjectList::CreateCopy() const {
  return std::make_unique<TOrvObjectList>(*this);
}

void TOrvObjectList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TObject* TOrvObjectList::Items(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)];
}

int TOrvObjectList::IndexOf(const TObject* Item) const {
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I] == Item) return static_cast<int>(I);
  return -1;
}

void TOrvObjectList::SetCapacity(int N) {
  if (N > Count()) FItems.reserve(static_cast<size_t>(N));
}

int TOrvObjectList::Add(TObject* Item) {
  // Growing is the only step that can fail (the item is then freed when the list owns it).
  if (FItems.size() == FItems.capacity()) {
    try {
      FItems.reserve(FItems.size() * 2);
    } catch (...) {
      if (OwnsObjects) delete Item;
      throw;
    }
  }
  FItems.push_back(Item);
  return Count() - 1;
}

void TOrvObjectList::Insert(int Index, TObject* Item) {
  if (Index != Count()) CheckIndex(Index);
  FItems.insert(FItems.begin() + Index, Item);
}

void TOrvObjectList::Delete(int Index) {
  CheckIndex(Index);
  TObject* Item = FItems[static_cast<size_t>(Index)];
  FItems.erase(FItems.begin() + Index);
  if (OwnsObjects) delete Item;
}

int TOrvObjectList::Remove(TObject* Item) {
  const int Index = IndexOf(Item);
  if (Index >= 0) Delete(Index);
  return Index;
}

void TOrvObjectList::RemoveObject(TObject* Item) {
  // Every occurrence goes, from the last index down, without freeing; then the item is freed
  // once when the list owns it.
  for (int I = Count() - 1; I >= 0; --I)
    if (FItems[static_cast<size_t>(I)] == Item) FItems.erase(FItems.begin() + I);
  if (OwnsObjects) delete Item;
}

TObject* TOrvObjectList::Extract(TObject* Item) {
  const int Index = IndexOf(Item);
  if (Index < 0) return nullptr;
  FItems.erase(FItems.begin() + Index);
  return Item;
}

void TOrvObjectList::SetItem(int Index, TObject* Item) {
  CheckIndex(Index);
  TObject*& Slot = FItems[static_cast<size_t>(Index)];
  if (Slot == Item) return;
  TObject* Old = Slot;
  Slot = Item;
  if (OwnsObjects) delete Old;
}

void TOrvObjectList::Clear() {
  // The items leave the list before any is freed: a destructor that looks at the list finds
  // it empty.
  TSmallVector<TObject*, 4> Old;
  FItems.MoveTo(Old);
  if (OwnsObjects)
    for (TObject* Item : Old) delete Item;
}

void TOrvObjectList::Exchange(int A, int B) {
  CheckIndex(A);
  CheckIndex(B);
  std::swap(FItems[static_cast<size_t>(A)], FItems[static_cast<size_t>(B)]);
}

void TOrvObjectList::Move(int CurIndex, int NewIndex) {
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  TObject* Item = FItems[static_cast<size_t>(CurIndex)];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, Item);
}

void TOrvObjectList::Sort(const std::function<bool(const TObject*, const TObject*)>& Less) {
  std::stable_sort(FItems.begin(), FItems.end(), Less);
}

bool SameObjectLists(const TOrvObjectList* A, const TOrvObjectList* B) {
  if (!A || !B) return !A && !B;
  return std::ranges::equal(A->Raw(), B->Raw());
}

// ---- trees

TOrvTreeNode::TOrvTreeNode(TOrvTreeNode* AOwner)
    : TOrvPersistent(AOwner), FChildren(std::make_unique<TOrvTreeNodeList>(true)) {}

TOrvTreeNode::TOrvTreeNode(const TOrvTreeNode& Source)
    : TOrvPersistent(Source),
      Tree(nullptr),
      FChildren(static_cast<TOrvTreeNodeList*>(Source.FChildren->CreateCopy().release())) {
  for (int I = 0; I < FChildren->Count(); ++I)
    if (TOrvTreeNode* Child = As<TOrvTreeNode>(FChildren->Items(I))) Child->Owner = this;
}

TOrvTreeNode* TOrvTreeNode::AddChild(std::unique_ptr<TOrvTreeNode> Node) {
  TOrvTreeNode* P = FChildren->Add(std::move(Node));
  Attach(P);
  return P;
}

void TOrvTreeNode::Attach(TOrvTreeNode* Node) {
  Node->Owner = this;
  Node->Tree = Tree;
}

void TOrvTreeNode::SetTree(TOrvTree* ATree) {
  Tree = ATree;
  for (int I = 0; I < FChildren->Count(); ++I)
    if (TOrvTreeNode* Child = As<TOrvTreeNode>(FChildren->Items(I))) Child->SetTree(ATree);
}

int TOrvTreeNode::Level() const {
  int N = 0;
  for (const TOrvTreeNode* P = Parent(); P; P = P->Parent()) ++N;
  return N;
}

std::unique_ptr<TOrvTreeNode> TOrvTreeNode::ExtractChild(TOrvTreeNode* Node) {
  if (!Node || FChildren->IndexOf(Node) < 0) return nullptr;
  FChildren->Extract(Node);
  Node->Owner = nullptr;
  Node->SetTree(nullptr);
  return std::unique_ptr<TOrvTreeNode>(Node);
}

TOrvTree::TOrvTree(const TOrvTree& Source) : TOrvPersistent(Source) {
  if (Source.FRoot) SetRoot(CopyOf(*Source.FRoot));
}

void TOrvTree::SetRoot(std::unique_ptr<TOrvTreeNode> Node) {
  FRoot = std::move(Node);
  if (FRoot) {
    FRoot->Owner = nullptr;
    FRoot->SetTree(this);
  }
}

std::unique_ptr<TOrvTreeNode> TOrvTree::ExtractRoot() {
  if (FRoot) FRoot->SetTree(nullptr);
  return std::move(FRoot);
}

// ---- columns

void TOrvCol::SetName(std::string_view AName) { FName = LowerCase(AName); }

TOrvCol* TOrvColList::FindCol(std::string_view Name) {
  LastComparisons = 0;
  const int N = Count();
  if (N == 0) return nullptr;
  const std::string Key = LowerCase(Name);
  int I = LastHit >= 0 && LastHit < N ? LastHit : 0;
  for (int Visited = 0; Visited < N; ++Visited) {
    ++LastComparisons;
    TOrvCol* Col = GetItem(I);
    if (Col && Col->Name() == Key) {
      LastHit = I;
      return Col;
    }
    I = I + 1 < N ? I + 1 : 0;
  }
  LastHit = I;
  return nullptr;
}

// ---- helpers

void FreeMemAndNil(void*& P) {
  if (P) std::free(P);
  P = nullptr;
}

std::string DoubleToHexText(std::string_view Prefix, double Value) {
  static const char kHex[] = "0123456789ABCDEF";
  unsigned char Bytes[8];
  std::memcpy(Bytes, &Value, 8);  // memory order: least significant byte first
  std::string R(Prefix);
  for (unsigned char B : Bytes) {
    R += kHex[B >> 4];
    R += kHex[B & 15];
  }
  return R;
}

bool TryBytesToDouble(const TDynByteArr& Bytes, double& Value) {
  if (Bytes.size() < 8) return false;
  std::memcpy(&Value, Bytes.data(), 8);
  return true;
}

double BytesToDouble(const TDynByteArr& Bytes) {
  double V = 0;
  if (!TryBytesToDouble(Bytes, V)) throw EOrvInvalidBinData(EOrvInvalidBinData::kInvalidSize);
  return V;
}

namespace {
int VersionPart(std::string_view Part) {
  int V = 0;
  const char* End = Part.data() + Part.size();
  auto R = std::from_chars(Part.data(), End, V);
  return (R.ec == std::errc() && R.ptr == End && !Part.empty()) ? V : 0;
}
}  // namespace

int CompareVersions(std::string_view A, std::string_view B) {
  A = A.substr(0, A.find(' '));
  B = B.substr(0, B.find(' '));
  for (int Step = 0; Step < 4; ++Step) {
    const size_t DA = A.find('.');
    const size_t DB = B.find('.');
    const int PA = VersionPart(A.substr(0, DA));
    const int PB = VersionPart(B.substr(0, DB));
    if (PA != PB) {
      const long long D = static_cast<long long>(PB) - PA;
      return D > INT32_MAX ? INT32_MAX : D < INT32_MIN ? INT32_MIN : static_cast<int>(D);
    }
    A = DA == std::string_view::npos ? std::string_view() : A.substr(DA + 1);
    B = DB == std::string_view::npos ? std::string_view() : B.substr(DB + 1);
  }
  return 0;
}

std::string VersionText(std::string_view Version) { return std::string(Version); }

}  // namespace quin
