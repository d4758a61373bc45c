#include "base/orvclasses.h"

#include <gtest/gtest.h>

#include "base/orvexceptions.h"

namespace quin {
namespace {

// Counts live instances so ownership can be checked exactly.
struct TCounted : TOrvObject {
  QUIN_CLASS(TCounted, TOrvObject)
  QUIN_COPY(TCounted)
 public:
  static inline int Live = 0;
  int Value = 0;
  explicit TCounted(int V = 0) : Value(V) { ++Live; }
  TCounted(const TCounted& S) : TOrvObject(S), Value(S.Value) { ++Live; }
  ~TCounted() override { --Live; }
};
struct TCountedChild : TCounted {
  QUIN_CLASS(TCountedChild, TCounted)
  QUIN_COPY(TCountedChild)
 public:
  std::string Extra;
  TCountedChild(int V, std::string E) : TCounted(V), Extra(std::move(E)) {}
  TCountedChild(const TCountedChild&) = default;
};
// A class outside the model's copy contract.
struct TForeign : TObject {
  QUIN_CLASS(TForeign, TObject)
 public:
  static inline int Live = 0;
  TForeign() { ++Live; }
  ~TForeign() override { --Live; }
};
QUIN_IMPLEMENT_CLASS(TCounted, TOrvObject)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TCountedChild, TCounted)
QUIN_IMPLEMENT_CLASS(TForeign, TObject)

struct TNamedNode : TOrvTreeNode {
  QUIN_CLASS(TNamedNode, TOrvTreeNode)
  QUIN_COPY(TNamedNode)
 public:
  std::string Name;
  explicit TNamedNode(std::string N) : Name(std::move(N)) {}
  TNamedNode(const TNamedNode&) = default;
};
QUIN_IMPLEMENT_ABSTRACT_CLASS(TNamedNode, TOrvTreeNode)

TEST(OrvObjectList, DeepCopyKeepsEachItemsClassAndSkipsForeignItems) {
  {
    TOrvObjectList L(true);
    L.Add(new TCounted(1));
    L.Add(new TForeign());
    L.Add(new TCountedChild(2, "x"));
    auto Inner = std::make_unique<TOrvObjectList>(true);
    Inner->Add(new TCounted(3));
    L.Add(std::move(Inner));

    auto C = L.CreateCopy();
    ASSERT_EQ(C->Count(), 3);  // the foreign item is not copied
    EXPECT_TRUE(C->OwnsObjects);
    EXPECT_TRUE(C->Items(0)->IsExactly<TCounted>());
    EXPECT_NE(C->Items(0), L.Items(0));
    ASSERT_TRUE(C->Items(1)->IsExactly<TCountedChild>());
    EXPECT_EQ(static_cast<TCountedChild*>(C->Items(1))->Extra, "x");
    auto* InnerCopy = As<TOrvObjectList>(C->Items(2));
    ASSERT_NE(InnerCopy, nullptr);
    EXPECT_NE(InnerCopy, L.Items(3));
    EXPECT_EQ(static_cast<TCounted*>(InnerCopy->Items(0))->Value, 3);
    EXPECT_EQ(TCounted::Live, 6);
  }
  EXPECT_EQ(TCounted::Live, 0);
  EXPECT_EQ(TForeign::Live, 0);
}

TEST(OrvObjectList, NonOwningCopyIsShallow) {
  TCounted A(1), B(2);
  TOrvObjectList L(false);
  L.Add(&A);
  L.Add(&B);
  auto C = L.CreateCopy();
  EXPECT_FALSE(C->OwnsObjects);
  EXPECT_TRUE(SameObjectLists(&L, C.get()));
  EXPECT_GE(C->Capacity(), 2);
}

TEST(OrvObjectList, RemoveObjectFreesOnce) {
  {
    TOrvObjectList L(true);
    auto* X = new TCounted(7);
    L.Add(X);
    L.Add(new TCounted(8));
    L.Add(X);
    L.Add(X);
    L.RemoveObject(X);  // three occurrences, one free (ASan would report a double free)
    EXPECT_EQ(L.Count(), 1);
    EXPECT_EQ(TCounted::Live, 1);
  }
  TCounted Y(9);
  TOrvObjectList N(false);
  N.Add(&Y);
  N.Add(&Y);
  N.RemoveObject(&Y);
  EXPECT_EQ(N.Count(), 0);
  EXPECT_EQ(TCounted::Live, 1);  // Y still alive: a non-owning list frees nothing
}

TEST(OrvObjectList, IndicesAreChecked) {
  TOrvTypedList<TCounted> L;
  EXPECT_THROW(L.Items(0), EListError);
  L.Add(new TCounted(1));
  L.Add(new TForeign());
  EXPECT_THROW(L.Items(-1), EListError);
  EXPECT_THROW(L.Delete(2), EListError);
  EXPECT_EQ(L.GetItem(0)->Value, 1);
  EXPECT_THROW(L.GetItem(1), EListError);  // an item of another class
  TObject* F = L.Extract(L.Items(1));
  EXPECT_EQ(L.Count(), 1);
  delete F;
}

TEST(OrvObjectList, SameObjectLists) {
  TOrvObjectList Empty1(false), Empty2(false), One(false), Other(false);
  TCounted A, B;
  One.Add(&A);
  Other.Add(&B);
  EXPECT_TRUE(SameObjectLists(nullptr, nullptr));
  EXPECT_FALSE(SameObjectLists(nullptr, &Empty1));
  EXPECT_TRUE(SameObjectLists(&Empty1, &Empty2));
  EXPECT_FALSE(SameObjectLists(&One, &Other));
}

TEST(OrvPersistent, CopyHasNoOwner) {
  TOrvPersistent Owner;
  TOrvPersistent P(&Owner);
  auto C = CopyOf(P);
  EXPECT_EQ(P.Owner, &Owner);
  EXPECT_EQ(C->Owner, nullptr);
}

TEST(OrvTree, LevelsTreesAndCopies) {
  TOrvTree Tree;
  auto Root = std::make_unique<TNamedNode>("root");
  TOrvTreeNode* Child = Root->AddChild(std::make_unique<TNamedNode>("child"));
  TOrvTreeNode* Grand = Child->AddChild(std::make_unique<TNamedNode>("grand"));
  Tree.SetRoot(std::move(Root));
  EXPECT_EQ(Tree.Root()->Level(), 0);
  EXPECT_EQ(Grand->Level(), 2);
  EXPECT_EQ(Grand->Tree, &Tree);
  EXPECT_EQ(Child->Tree, &Tree);

  // Create(Owner) does not add the node to its parent's children.
  TNamedNode Loose("loose");
  TOrvTreeNode Parent;
  TOrvTreeNode Orphan(&Parent);
  EXPECT_EQ(Orphan.Parent(), &Parent);
  EXPECT_EQ(Parent.Children().Count(), 0);

  // A copy clones the subtree through each node's class; the clone's top has no parent/tree.
  auto Sub = CopyOf(*static_cast<TNamedNode*>(Child));
  EXPECT_EQ(Sub->Name, "child");
  EXPECT_EQ(Sub->Parent(), nullptr);
  EXPECT_EQ(Sub->Tree, nullptr);
  ASSERT_EQ(Sub->Children().Count(), 1);
  auto* G = As<TNamedNode>(Sub->Children().GetItem(0));
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Name, "grand");
  EXPECT_EQ(G->Parent(), Sub.get());
  EXPECT_NE(G, Grand);

  auto TreeCopy = CopyOf(Tree);
  ASSERT_NE(TreeCopy->Root(), nullptr);
  EXPECT_NE(TreeCopy->Root(), Tree.Root());
  EXPECT_EQ(TreeCopy->Root()->Children().GetItem(0)->Children().GetItem(0)->Tree, TreeCopy.get());

  TOrvTree NoRoot;
  EXPECT_EQ(CopyOf(NoRoot)->Root(), nullptr);

  // Detaching hands the child over with no parent and no tree.
  auto Detached = Tree.Root()->ExtractChild(Child);
  ASSERT_NE(Detached, nullptr);
  EXPECT_EQ(Detached->Parent(), nullptr);
  EXPECT_EQ(Grand->Tree, nullptr);
  EXPECT_EQ(Tree.Root()->ExtractChild(&Loose), nullptr);
}

TEST(OrvColList, FindColCirclesFromLastHit) {
  TOrvColList L;
  for (const char* N : {"Alpha", "beta", "GAMMA", "delta"}) L.Add(new TOrvCol(N));
  EXPECT_EQ(L.GetItem(0)->Name(), "alpha");
  TOrvCol* G = L.FindCol("gamma");
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(G->Name(), "gamma");
  EXPECT_EQ(L.LastHit, 2);
  EXPECT_EQ(L.FindCol("Gamma"), G);  // the same name again: one comparison
  EXPECT_EQ(L.LastComparisons, 1);
  EXPECT_EQ(L.FindCol("delta")->Name(), "delta");  // the next in stored order: two
  EXPECT_EQ(L.LastComparisons, 2);
  EXPECT_EQ(L.FindCol("alpha")->Name(), "alpha");  // wraps round
  EXPECT_EQ(L.FindCol("omega"), nullptr);
  EXPECT_EQ(L.LastComparisons, 4);
  L.LastHit = 99;  // past the end wraps to 0
  EXPECT_NE(L.FindCol("beta"), nullptr);
  EXPECT_EQ(L.LastComparisons, 2);
  EXPECT_NE(L.CreateCol(), nullptr);
  TOrvColList Empty;
  EXPECT_EQ(Empty.FindCol("x"), nullptr);
}

TEST(OrvHelpers, DoubleHexTextRoundTrip) {
  EXPECT_EQ(DoubleToHexText("$", 1.0), "$000000000000F03F");
  EXPECT_EQ(BytesToDouble({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), 1.0);
  EXPECT_EQ(BytesToDouble({0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x77}), 1.0);  // the first 8 bytes
  // Fewer than 8 bytes are invalid binary data, never read past the end.
  EXPECT_THROW(BytesToDouble({0x00}), EOrvInvalidBinData);
  double V = 5;
  EXPECT_FALSE(TryBytesToDouble({}, V));
  EXPECT_EQ(V, 5);
}

TEST(OrvHelpers, CompareVersions) {
  struct Case {
    const char* A;
    const char* B;
    int R;
  };
  const Case Cases[] = {
      {"1.2", "1.10", 8},
      {"2.0 beta", "2.0", 0},
      {"1.10", "1.2", -8},
      {"3.1.12.7", "3.1.12.9", 2},
      {"1.2.3.4.5", "1.2.3.4.9", 0},  // four parts at most
      {"x.1", "0.1", 0},
      {"", "1", 1},
      {"1.a", "1.0", 0},
      {"-2147483648", "2147483647", 2147483647},
  };
  for (const Case& C : Cases) EXPECT_EQ(CompareVersions(C.A, C.B), C.R) << C.A << " / " << C.B;
  EXPECT_EQ(VersionText("1.2 beta"), "1.2 beta");
}

TEST(OrvHelpers, FreeMemAndNil) {
  void* P = std::malloc(16);
  FreeMemAndNil(P);
  EXPECT_EQ(P, nullptr);
  FreeMemAndNil(P);  // twice is harmless
}

}  // namespace
}  // namespace quin
