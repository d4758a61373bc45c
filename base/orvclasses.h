// Root objects, owning lists, trees and named columns of the program's own model.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/metaclass.h"
#include "base/smallvector.h"

namespace quin {

using TDynStringArr = std::vector<std::string>;
using TDynByteArr = std::vector<uint8_t>;

// Root of the program's model objects. Its one contract is the virtual copy constructor:
// a copy is always made by the source object's own class. Each class that holds data copies
// its own fields in its C++ copy constructor (the inherited part is copied first, owned fields
// are cloned, references are copied as references) and declares QUIN_COPY(Class).
class TOrvObject : public TObject {
  QUIN_CLASS(TOrvObject, TObject)
 public:
  TOrvObject() = default;
  virtual std::unique_ptr<TOrvObject> CreateCopy() const;

 protected:
  TOrvObject(const TOrvObject&) = default;
  TOrvObject& operator=(const TOrvObject&) = default;
};

// The copy of an object through its own class, as its static type.
template <class T>
std::unique_ptr<T> CopyOf(const T& Source) {
  return std::unique_ptr<T>(static_cast<T*>(Source.CreateCopy().release()));
}

}  // namespace quin

// Defines CreateCopy of a concrete class through its copy constructor.
#define QUIN_COPY(Class)                                            \
 public:                                                            \
  std::unique_ptr<::quin::TOrvObject> CreateCopy() const override { \
    return std::unique_ptr<::quin::TOrvObject>(new Class(*this));   \
  }

namespace quin {

// An ordered list of object references that may own its items: when OwnsObjects is set,
// deleting an item or destroying the list frees the item. Indices are 0-based and checked
// (EListError). Typed lists derive from TOrvTypedList below.
class TOrvObjectList : public TObject {
  QUIN_CLASS(TOrvObjectList, TObject)
 public:
  explicit TOrvObjectList(bool AOwnsObjects = true) : OwnsObjects(AOwnsObjects) {}
  // The copy constructor of the list: capacity = the source's count, OwnsObjects copied; a
  // non-owning source gives the same references, an owning one a deep copy in which every
  // TOrvObject and TOrvObjectList item is cloned through its own class and other items are
  // skipped.
  TOrvObjectList(const TOrvObjectList& Source);
  TOrvObjectList& operator=(const TOrvObjectList&) = delete;
  ~TOrvObjectList() override;

  virtual std::unique_ptr<TOrvObjectList> CreateCopy() const;

  bool OwnsObjects;

  int Count() const { return static_cast<int>(FItems.size()); }
  bool Empty() const { return FItems.empty(); }
  TObject* Items(int Index) const;
  TObject* First() const { return Items(0); }
  TObject* Last() const { return Items(Count() - 1); }
  int IndexOf(const TObject* Item) const;
  int Capacity() const { return static_cast<int>(FItems.capacity()); }
  void SetCapacity(int N);

  // Appends Item (owned when OwnsObjects); returns its index.
  int Add(TObject* Item);
  template <class T>
  T* Add(std::unique_ptr<T> Item) {
    T* P = Item.release();
    Add(P);
    return P;
  }
  void Insert(int Index, TObject* Item);
  // Removes the item at Index, freeing it when the list owns it.
  void Delete(int Index);
  // Removes the first occurrence (freed when owning); returns its former index or -1.
  int Remove(TObject* Item);
  // Removes every occurrence of Item, then frees it once when the list owns its items.
  void RemoveObject(TObject* Item);
  // Removes the first occurrence without freeing it; the caller takes it over.
  TObject* Extract(TObject* Item);
  // Replaces the item at Index (the old one is freed when owning).
  void SetItem(int Index, TObject* Item);
  void Clear();
  void Exchange(int A, int B);
  void Move(int CurIndex, int NewIndex);
  // Stable sort by Less.
  void Sort(const std::function<bool(const TObject*, const TObject*)>& Less);

  std::span<TObject* const> Raw() const { return FItems.span(); }

 protected:
  void CheckIndex(int Index) const;
  // Cloned items are appended without ownership checks; used by copy constructors.
  void CopyItemsFrom(const TOrvObjectList& Source);

 private:
  TSmallVector<TObject*, 4> FItems;
};

// A typed list: GetItem returns the item as the list's item class (another class is a
// programming error and raises EListError).
template <class T, class Base = TOrvObjectList>
class TOrvTypedList : public Base {
 public:
  using Base::Base;
  T* GetItem(int Index) const {
    TObject* P = this->Items(Index);
    T* R = As<T>(P);
    if (P && !R)
      throw EListError("List item of class " + std::string(P->ClassName()) + " where " +
                       T::StaticClass().Name + " is expected");
    return R;
  }
  T* operator[](int Index) const { return GetItem(Index); }
};

// True when both are null, or both exist and hold the identical references in the same order.
bool SameObjectLists(const TOrvObjectList* A, const TOrvObjectList* B);

// A model object with a link to the object that holds it (not owned). A copy has no owner.
class TOrvPersistent : public TOrvObject {
  QUIN_CLASS(TOrvPersistent, TOrvObject)
  QUIN_COPY(TOrvPersistent)
 public:
  explicit TOrvPersistent(TOrvPersistent* AOwner = nullptr) : Owner(AOwner) {}
  TOrvPersistent(const TOrvPersistent& Source) : TOrvObject(Source), Owner(nullptr) {}
  virtual void EmptyHook() {}
  void SetCreationOwner(TObject* AOwner) override { Owner = As<TOrvPersistent>(AOwner); }
  TOrvPersistent* Owner;
};

class TOrvTree;
class TOrvTreeNode;
class TOrvTreeNodeList;

class TOrvTreeNodeList : public TOrvTypedList<TOrvTreeNode> {
  QUIN_CLASS(TOrvTreeNodeList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TOrvTreeNodeList(*this));
  }
};

// A node of a generic tree: parent (the Owner link), the tree that holds it, owned children.
// A node is removed from its parent only through the parent (ExtractChild).
class TOrvTreeNode : public TOrvPersistent {
  QUIN_CLASS(TOrvTreeNode, TOrvPersistent)
  QUIN_COPY(TOrvTreeNode)
 public:
  // Creates an empty child list and stores AOwner as parent; does not add the node to the
  // parent's children.
  explicit TOrvTreeNode(TOrvTreeNode* AOwner = nullptr);
  // Clones the children through their own classes; the clone has no parent and no tree.
  TOrvTreeNode(const TOrvTreeNode& Source);

  TOrvTreeNode* Parent() const { return static_cast<TOrvTreeNode*>(Owner); }
  TOrvTree* Tree = nullptr;
  TOrvTreeNodeList& Children() const { return *FChildren; }

  // Appends Node to the children, then Attach(Node); returns Node.
  TOrvTreeNode* AddChild(std::unique_ptr<TOrvTreeNode> Node);
  // Node's parent := this node, Node's tree := this node's tree (one level only).
  void Attach(TOrvTreeNode* Node);
  // Sets Tree here and on every descendant.
  void SetTree(TOrvTree* ATree);
  // The number of ancestors (0 for a node without parent).
  virtual int Level() const;
  // Detaches a direct child and hands it over; null when Node is not a child.
  std::unique_ptr<TOrvTreeNode> ExtractChild(TOrvTreeNode* Node);

 private:
  std::unique_ptr<TOrvTreeNodeList> FChildren;
};

// A tree with an owned root.
class TOrvTree : public TOrvPersistent {
  QUIN_CLASS(TOrvTree, TOrvPersistent)
  QUIN_COPY(TOrvTree)
 public:
  explicit TOrvTree(TOrvPersistent* AOwner = nullptr) : TOrvPersistent(AOwner) {}
  // Clones the source's root through its own class; a tree without a root copies as one.
  TOrvTree(const TOrvTree& Source);
  TOrvTreeNode* Root() const { return FRoot.get(); }
  // Installs Node (nobody else owns it) as root and frees the previous root; the new root's
  // parent is cleared and every node of its subtree reports this tree.
  void SetRoot(std::unique_ptr<TOrvTreeNode> Node);
  // Hands the root over and leaves the tree empty.
  std::unique_ptr<TOrvTreeNode> ExtractRoot();

 private:
  std::unique_ptr<TOrvTreeNode> FRoot;
};

// A named column; the name is kept in lower case.
class TOrvCol : public TOrvObject {
  QUIN_CLASS(TOrvCol, TOrvObject)
  QUIN_COPY(TOrvCol)
 public:
  TOrvCol() = default;
  explicit TOrvCol(std::string_view AName) { SetName(AName); }
  const std::string& Name() const { return FName; }
  void SetName(std::string_view AName);

 protected:
  TOrvCol(const TOrvCol&) = default;

 private:
  std::string FName;
};

class TOrvColList : public TOrvTypedList<TOrvCol> {
  QUIN_CLASS(TOrvColList, TOrvObjectList)
 public:
  using TOrvTypedList::TOrvTypedList;
  std::unique_ptr<TOrvObjectList> CreateCopy() const override {
    return std::unique_ptr<TOrvObjectList>(new TOrvColList(*this));
  }
  // Factory of a new, empty column of the list's column class.
  virtual std::unique_ptr<TOrvCol> CreateCol() const { return std::make_unique<TOrvCol>(); }
  // Finds a column by name without regard to case, searching in a circle from LastHit; a
  // repeated lookup costs one comparison, lookups in stored order two.
  TOrvCol* FindCol(std::string_view Name);
  int LastHit = 0;
  // Name comparisons made by the last FindCol (for measurements).
  int LastComparisons = 0;
};

// Releases a raw block allocated with malloc and sets the pointer to null.
void FreeMemAndNil(void*& P);

// Prefix followed by the 8 bytes of Value in memory order, two upper-case hex digits each.
std::string DoubleToHexText(std::string_view Prefix, double Value);
// The double whose bytes are the first 8 of Bytes. Fewer than 8 bytes are invalid binary data
// (raises EOrvInvalidBinData); TryBytesToDouble reports it instead.
double BytesToDouble(const TDynByteArr& Bytes);
bool TryBytesToDouble(const TDynByteArr& Bytes, double& Value);

// Compares dotted versions ('3.1.12.7'); text from the first blank on is ignored; up to four
// parts; a part that is not an integer counts 0. Result: B's part minus A's at the first
// difference (positive: B is newer), 0 when equal.
int CompareVersions(std::string_view A, std::string_view B);
// The display text of a version string (unchanged).
std::string VersionText(std::string_view Version);

}  // namespace quin
