#include "surveykit/gimdataobj.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "surveykit/mersurvey.h"

namespace quin {
namespace {

// A leaf of the data tree and a subclass of it, standing for questions.
class TTestLeaf : public TGimSimpleDataObject {
  QUIN_CLASS(TTestLeaf, TGimSimpleDataObject)
  QUIN_COPY(TTestLeaf)
 public:
  TTestLeaf() = default;
};
class TTestLeafSub : public TTestLeaf {
  QUIN_CLASS(TTestLeafSub, TTestLeaf)
  QUIN_COPY(TTestLeafSub)
 public:
  TTestLeafSub() = default;
};
QUIN_IMPLEMENT_CLASS(TTestLeaf, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TTestLeafSub, TTestLeaf)

template <class T>
T* Add(TGimDataObject& Parent, const char* ID, const char* Name, TMerSurvey* S = nullptr) {
  auto P = NewInSurvey<T>(S, &Parent);
  P->ID = ID;
  P->Name = Name;
  return static_cast<T*>(Parent.AddChild(std::move(P)));
}

// root
//   m1 "Demography"
//     q1 (leaf)   "Sex"
//     m2 "Inner"
//       q2 (sub)  "Age"
//       dup (leaf)
//   dup (sub)
//   q3 (sub)
struct TTree {
  std::unique_ptr<TGimModule> Root = NewInSurvey<TGimModule>(nullptr, nullptr);
  TGimModule* M1 = Add<TGimModule>(*Root, "m1", "Demography");
  TTestLeaf* Q1 = Add<TTestLeaf>(*M1, "q1", "Sex");
  TGimModule* M2 = Add<TGimModule>(*M1, "m2", "Inner");
  TTestLeafSub* Q2 = Add<TTestLeafSub>(*M2, "q2", "Age");
  TTestLeaf* Dup1 = Add<TTestLeaf>(*M2, "dup", "First");
  TTestLeafSub* Dup2 = Add<TTestLeafSub>(*Root, "dup", "Second");
  TTestLeafSub* Q3 = Add<TTestLeafSub>(*Root, "q3", "Q3");
};

TEST(GimDataObject, FindObjectIgnoresCaseHonoursClassAndIsDepthFirst) {
  TTree T;
  EXPECT_EQ(T.Root->FindObject(TTestLeaf::StaticClass(), "Q2"), T.Q2);
  EXPECT_EQ(T.Root->FindObject(TGimModule::StaticClass(), "M2"), T.M2);
  // The identifier matches but the class is not one the object derives from.
  EXPECT_EQ(T.Root->FindObject(TTestLeafSub::StaticClass(), "q1"), nullptr);
  EXPECT_EQ(T.Root->FindObject(TGimModule::StaticClass(), "q1"), nullptr);
  // Two objects with one identifier: the first in depth-first order.
  EXPECT_EQ(T.Root->FindObject(TTestLeaf::StaticClass(), "DUP"), T.Dup1);
  EXPECT_EQ(T.Root->FindObject(TTestLeafSub::StaticClass(), "dup"), T.Dup2);
  EXPECT_EQ(T.Root->FindObject(TTestLeaf::StaticClass(), "none"), nullptr);
}

TEST(GimDataObject, CollectObjectsExactOrWithDescendants) {
  TTree T;
  std::unique_ptr<TGimDataObjectList> L;
  T.Root->CollectObjects(TTestLeaf::StaticClass(), false, L);
  ASSERT_TRUE(L);
  EXPECT_FALSE(L->OwnsObjects);
  ASSERT_EQ(L->Count(), 2);
  EXPECT_EQ(L->GetItem(0), T.Q1);
  EXPECT_EQ(L->GetItem(1), T.Dup1);

  std::unique_ptr<TGimDataObjectList> All;
  T.Root->CollectObjects(TTestLeaf::StaticClass(), true, All);
  std::vector<TGimSimpleDataObject*> Want{T.Q1, T.Q2, T.Dup1, T.Dup2, T.Q3};
  ASSERT_EQ(All->Count(), 5);
  for (int I = 0; I < 5; ++I) EXPECT_EQ(All->GetItem(I), Want[I]) << I;

  // A matching module is collected and not descended into.
  std::unique_ptr<TGimDataObjectList> Mods;
  T.Root->CollectObjects(TGimModule::StaticClass(), false, Mods);
  ASSERT_EQ(Mods->Count(), 1);
  EXPECT_EQ(Mods->GetItem(0), T.M1);
}

TEST(GimDataObject, FullNameClimbsWhileFlaggedSkipsHiddenStopsAtSurvey) {
  TTree T;
  EXPECT_EQ(T.Q2->GetFullName(), "Age");
  T.Q2->NameWithOwners = true;
  EXPECT_EQ(T.Q2->GetFullName(), "Inner > Age");
  T.M2->NameWithOwners = true;
  EXPECT_EQ(T.Q2->GetFullName(), "Demography > Inner > Age");
  T.M2->HiddenInPath = true;
  EXPECT_EQ(T.Q2->GetFullName(), "Demography > Age");
  T.Q2->Nick = "A";
  T.M1->Nick = "D";
  EXPECT_EQ(T.Q2->GetFullNick(), "D > A");

  // An owner that is no survey object ends the climb.
  auto S = New<TMerSurvey>("x.zos");
  auto W = NewInSurvey<TGimSimpleDataObject>(S.get(), S.get());
  W->Name = "w";
  W->NameWithOwners = true;
  EXPECT_EQ(W->GetFullName(), "w");
}

TEST(GimDataObject, TextsTranslatedBySurveyOrKeptWithoutOne) {
  auto Free = New<TGimSimpleDataObject>();
  Free->Name = "<PLK>Płeć<ENU>Sex";
  Free->Info = "  <PLK>a<ENU>b  ";
  EXPECT_EQ(Free->GetName(), "<PLK>Płeć<ENU>Sex");
  EXPECT_EQ(Free->GetInfo(), "<PLK>a<ENU>b");

  auto S = New<TMerSurvey>("x.zos");
  S->Environ->LanguagesList = {"plk", "enu"};
  S->Environ->ApplyLanguages();
  S->Environ->LangManager->SetLanguage("enu");
  auto Q = NewInSurvey<TGimSimpleDataObject>(S.get(), nullptr);
  Q->Name = Cp1250("<PLK>Płeć<ENU>Sex");
  Q->Nick = "<PLK>P<ENU>S";
  Q->Info = "<PLK> i <ENU> info \r\n";
  EXPECT_EQ(Q->GetName(), "Sex");
  EXPECT_EQ(Q->GetNick(), "S");
  EXPECT_EQ(Q->GetInfo(), "info");
  S->Environ->LangManager->SetLanguage("plk");
  EXPECT_EQ(Q->GetName(), Cp1250("Płeć"));
}

TEST(GimDataObject, CopyIsDeepAndDropsPathFlagsAndOwner) {
  TTree T;
  T.M1->NameWithOwners = true;
  T.M1->HiddenInPath = true;
  T.M1->Info = "i";
  T.M1->Nick = "n";
  std::unique_ptr<TGimModule> Copy = CopyOf(*T.M1);
  EXPECT_TRUE(Copy->IsExactly<TGimModule>());
  EXPECT_EQ(Copy->ID, "m1");
  EXPECT_EQ(Copy->Info, "i");
  EXPECT_EQ(Copy->Nick, "n");
  EXPECT_FALSE(Copy->NameWithOwners);
  EXPECT_FALSE(Copy->HiddenInPath);
  EXPECT_EQ(Copy->Owner, nullptr);
  T.Root.reset();  // frees the source
  TGimSimpleDataObject* Q2 = Copy->FindObject(TTestLeafSub::StaticClass(), "q2");
  ASSERT_NE(Q2, nullptr);
  EXPECT_TRUE(Q2->IsExactly<TTestLeafSub>());
  EXPECT_EQ(Q2->Name, "Age");
  EXPECT_EQ(Q2->Owner->Owner, Copy.get());
}

TEST(GimDataObject, ViewsListTreeAndSelection) {
  TTree T;
  TGimViewModel List;
  T.M1->AddToListView(List);
  ASSERT_EQ(List.Items.size(), 5u);  // m1, q1, m2, q2, dup
  EXPECT_EQ(List.Items[0].Caption, "Demography");
  EXPECT_EQ(List.Items[4].Obj, T.Dup1);

  TGimViewModel Tree;
  T.M1->AddToTreeView(Tree, nullptr, TGimCheckState::Checked);
  ASSERT_EQ(Tree.Roots.size(), 1u);
  const auto& M1 = *Tree.Roots[0];
  EXPECT_EQ(M1.ImageIndex, 0);
  EXPECT_EQ(M1.State, TGimCheckState::Checked);
  ASSERT_EQ(M1.Children.size(), 2u);
  EXPECT_EQ(M1.Children[0]->Obj, T.Q1);
  EXPECT_EQ(M1.Children[0]->ImageIndex, -1);
  EXPECT_EQ(M1.Children[1]->Children.size(), 2u);

  // Only the path to the selected objects; a selected module whole when asked.
  TOrvObjectList Sel(false);
  Sel.Add(T.Q2);
  EXPECT_TRUE(T.M1->IsInSelection(Sel));
  EXPECT_FALSE(T.Q1->IsInSelection(Sel));
  TGimViewModel S1;
  T.Root->AddToTreeViewSelected(S1, nullptr, false, TGimCheckState::Unchecked, Sel);
  ASSERT_EQ(S1.Roots.size(), 1u);               // root
  ASSERT_EQ(S1.Roots[0]->Children.size(), 1u);  // m1
  const auto& SM1 = *S1.Roots[0]->Children[0];
  ASSERT_EQ(SM1.Children.size(), 1u);               // m2 (q1 left out)
  ASSERT_EQ(SM1.Children[0]->Children.size(), 1u);  // q2 only
  EXPECT_EQ(SM1.Children[0]->Children[0]->Obj, T.Q2);

  Sel.Add(T.M2);
  TGimViewModel S2;
  T.M1->AddToTreeViewSelected(S2, nullptr, true, TGimCheckState::Unchecked, Sel);
  ASSERT_EQ(S2.Roots[0]->Children.size(), 1u);
  EXPECT_EQ(S2.Roots[0]->Children[0]->Children.size(), 2u);  // m2 whole

  TOrvObjectList None(false);
  TGimViewModel S3;
  EXPECT_EQ(T.M1->AddToTreeViewSelected(S3, nullptr, false, TGimCheckState::Unchecked, None),
            nullptr);
  EXPECT_TRUE(S3.Roots.empty());
}

}  // namespace
}  // namespace quin
