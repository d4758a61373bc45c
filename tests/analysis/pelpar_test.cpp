// The parameter base classes: display names, keys, both item numberings of multi-parameters,
// list texts with ranges, the parameter list and the layer selections; and the growable
// integer array.
#include "analysis/pelpar.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/orvfastarr.h"
#include "base/random.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "test_pars.h"

namespace quin {

namespace test {
QUIN_IMPLEMENT_CLASS(TTestSubElem, TPelSubElem)
QUIN_IMPLEMENT_CLASS(TTestSubPar, TPelSubPar)
QUIN_IMPLEMENT_CLASS(TTestMulti, TPelParMulti)
QUIN_IMPLEMENT_CLASS(TTestMultiChild, TTestMulti)
QUIN_IMPLEMENT_CLASS(TTestOption, TPelPar)
}  // namespace test

namespace {

using namespace quin::test;

// Reads the body of Obj's block from Text (the text after "def keyword").
void ReadBodyFrom(TPelRWObject& Obj, const std::string& Text, TOrvMsgList& Msgs) {
  auto S = New<TRixScanner>(Text, &Msgs);
  S->NextToken();
  Obj.ReadBody(*S, Obj.Survey);
}

std::string BodyText(const TPelRWObject& Obj) {
  return Written([&](TStream& S) {
    int Indent = 0;
    Obj.WriteBody(S, Indent);
  });
}

class ParBase : public testing::Test {
 protected:
  TParSurvey P;
  TPelParList List{&P.S};
  template <class T>
  T* Add() {
    return static_cast<T*>(List.AddPar(New<T>(&P.S)));
  }
};

TEST_F(ParBase, DisplayNamesNumberRepeatedClassesAndCarrySuffixes) {
  TTestMulti* A = Add<TTestMulti>();
  EXPECT_EQ(A->GetDisplayName(), "Multi");
  TTestMulti* B = Add<TTestMulti>();
  Add<TTestOption>();
  EXPECT_EQ(A->GetDisplayName(), "Multi 1");
  EXPECT_EQ(B->GetDisplayName(), "Multi 2");
  B->CaptionSuffix = "<PLK>dopisek<ENU>suffix";
  EXPECT_EQ(B->GetDisplayName(), "Multi 2 - suffix ");
  auto Lone = TPelPar::CreateWithTexts(RWClassOf<TTestOption>(), &P.S, "<ENU>tail", "<ENU>Head");
  EXPECT_EQ(Lone->GetDisplayName(), "Option - tail ");
  EXPECT_EQ(Lone->GetHeaderText(), "Head");
  Lone->ClearTexts();
  EXPECT_EQ(Lone->GetDisplayName(), "Option");
  A->SetName(std::string(51, 'x'));
  EXPECT_EQ(A->GetShortCaption(), std::string(50, 'x') + "...");
  A->SetName(std::string(50, 'x'));
  EXPECT_EQ(A->GetShortCaption(), std::string(50, 'x'));
}

TEST_F(ParBase, KeysReadAndWrittenByTheBaseClass) {
  TOrvMsgList Msgs;
  auto O = New<TTestOption>(&P.S);
  ReadBodyFrom(*O, "name = \"\"; total = 1; selected = 4; odd = 3; end;", Msgs);
  EXPECT_FALSE(O->AutoNamed);
  EXPECT_EQ(O->Name, "");
  EXPECT_TRUE(O->Total);
  EXPECT_EQ(O->Selected, 4);
  EXPECT_EQ(Msgs.ErrorCount(), 1);                            // the unknown key
  EXPECT_EQ(BodyText(*O), "name = \"\";\r\ntotal = 1;\r\n");  // "selected" is not written

  auto S = New<TTestOption>(&P.S);
  S->SubTotalItem = true;
  ReadBodyFrom(*S, "total = 1; end;", Msgs);
  EXPECT_FALSE(S->Total);
  EXPECT_TRUE(S->SubTotal);
  EXPECT_EQ(BodyText(*S), "subTotal = 1;\r\n");
}

TEST_F(ParBase, FlatNumberingWithTotalsHiddenAndGroupedSubParameters) {
  TMadeElems Made;
  TTestMulti* M = Add<TTestMulti>();
  TTestSubPar* One = M->Add({7});
  TTestSubPar* Three = M->Add({1, 2, 3});
  EXPECT_EQ(M->GetItemCount(), 5);
  EXPECT_EQ(M->GetAllLabels(), (TPelLabels{"Selection", "Selection", "E1", "E2", "E3"}));
  // Every element carries its sub-parameter's identity.
  const TPelResElemVec Elems = Made.KeepAll(M->CreateAllResElems());
  ASSERT_EQ(Elems.size(), 5u);
  EXPECT_EQ(Elems[0]->SubParGUID, One->GUID);
  EXPECT_TRUE(Elems[1]->IsExactly<TPelResElem>());  // the whole sub-parameter
  EXPECT_EQ(Elems[1]->SubParGUID, Three->GUID);
  EXPECT_EQ(Made.As<TPelResBase>(Elems[3])->Kind, 2);
  EXPECT_EQ(Elems[3]->SubParGUID, Three->GUID);
  EXPECT_EQ(M->CreateResElem(5), nullptr);
  EXPECT_EQ(M->CreateResElem(-1), nullptr);
  EXPECT_EQ(M->GetLabel(5), "");

  One->Hidden = true;
  EXPECT_EQ(M->GetItemCount(), 4);
  Three->Grouped = true;
  EXPECT_EQ(M->GetItemCount(), 1);
  EXPECT_EQ(M->GetItemInfoText(0, 0), "Chosen: Selection [E1 .. E3]");
  Three->Grouped = false;
  EXPECT_EQ(M->GetItemInfoText(0, 2), "Chosen: E2");
  EXPECT_EQ(M->GetItemInfoText(0, 9), "");
}

TEST_F(ParBase, GridNumberingHasNoTotalsAndOneHeaderColumn) {
  TTestMulti* M = Add<TTestMulti>();
  EXPECT_EQ(M->GetDims(true, false, true).X, 0);
  EXPECT_EQ(M->GetDims(true, false, true).Y, 0);
  M->Add({7});
  M->Add({1, 2})->Grouped = true;
  const TPelDims D = M->GetDims(/*Selectable=*/true, /*Means=*/false, /*Detail=*/true);
  EXPECT_EQ(D.X, 2);
  EXPECT_EQ(D.Y, 1);
  EXPECT_EQ(M->GetLabelList(true, false, true, false, false), (TPelLabels{"E7", "Selection"}));
  EXPECT_EQ(M->GetLabelList2D(true, false, true, false, false), (TPelLabels{"E7", "Selection"}));
  // A grid of hidden sub-parameters still has its header column: one row of empty labels.
  M->SubPar(0)->Hidden = true;
  M->SubPar(1)->Hidden = true;
  EXPECT_EQ(M->GetLabelList(true, false, true, false, false), (TPelLabels{""}));
  EXPECT_EQ(M->CreateResElemList(true, false, true), (TPelResElemVec{nullptr}));
}

TEST_F(ParBase, ListTextsCollapseRunsOfSuccessiveElements) {
  TTestMulti* M = Add<TTestMulti>();
  TTestSubPar* S = M->Add({1, 2, 3, 5, 8, 9});
  EXPECT_EQ(S->GetListText(true), "E1 .. E3, E5, E8 .. E9");
  EXPECT_EQ(S->GetListText(false), "E1, E2, E3, E5, E8, E9");
  EXPECT_EQ(M->MakeUniqueSubParName("Selection"), "Selection (1)");
  M->Add({})->SetName("Selection (1)");
  EXPECT_EQ(M->MakeUniqueSubParName("Selection"), "Selection (2)");
}

TEST_F(ParBase, SubParametersReadTheirKeysAndGetUniqueIdentities) {
  TOrvMsgList Msgs;
  auto M = New<TTestMulti>(&P.S);
  const std::string G = "\"{3991C166-F2A3-4C70-B115-FB13D7491403}\"";
  ReadBodyFrom(*M,
               "def subpar GUID = " + G +
                   "; list = c1, x9, c2; hidden = 1; expanded = 0; name = \"A\"; end;\r\n"
                   "def subpar GUID = " +
                   G +
                   "; bogus = 1; grouped = 1; end;\r\n"
                   "def other end;\r\n"
                   "end;",
               Msgs);
  ASSERT_EQ(M->SubParCount(), 2);
  const TPelSubPar* A = M->SubPar(0);
  EXPECT_EQ(GUIDToString(A->GUID), "{3991C166-F2A3-4C70-B115-FB13D7491403}");
  EXPECT_NE(M->SubPar(1)->GUID, A->GUID);
  EXPECT_EQ(A->GetListText(false), "E1, E2");  // an unknown code is dropped
  EXPECT_TRUE(A->Hidden);
  EXPECT_FALSE(A->Expanded);
  EXPECT_EQ(A->GetName(), "A");
  // An unknown key inside a sub-parameter is reported and the rest of it still read.
  EXPECT_TRUE(M->SubPar(1)->Grouped);
  EXPECT_EQ(Msgs.ErrorCount(), 2);
  EXPECT_EQ(M->SubPar(0)->Owner, M.get());
  EXPECT_EQ(BodyText(*M),
            "def subpar\r\n"
            "  GUID = " +
                G +
                ";\r\n"
                "  list = c1, c2;\r\n"
                "  expanded = 0;\r\n"
                "  hidden = 1;\r\n"
                "  name = \"A\";\r\n"
                "end;\r\n"
                "def subpar\r\n"
                "  GUID = \"" +
                GUIDToString(M->SubPar(1)->GUID) +
                "\";\r\n"
                "  grouped = 1;\r\n"
                "end;\r\n");
}

TEST_F(ParBase, CopiesKeepIdentitiesAndRelinkParents) {
  TTestMulti* Q = Add<TTestMulti>();
  Q->Add({1, 2});
  TTestOption* Derived = Add<TTestOption>();
  Derived->Parent = Q;
  TTestOption Outside(&P.S);
  Add<TTestOption>()->Parent = &Outside;
  TPelDataBasedOn Basis;
  List.BasedOn = &Basis;

  const std::unique_ptr<TOrvObjectList> Copy = List.CreateCopy();
  auto& C = static_cast<TPelParList&>(*Copy);
  ASSERT_EQ(C.Count(), 3);
  EXPECT_EQ(C.BasedOn, List.BasedOn);
  EXPECT_EQ(C.Survey, &P.S);
  auto* CQ = static_cast<TTestMulti*>(C[0]);
  EXPECT_NE(CQ, Q);
  EXPECT_EQ(CQ->Owner, &C);
  EXPECT_EQ(CQ->SubPar(0)->GUID, Q->SubPar(0)->GUID);
  EXPECT_EQ(CQ->SubPar(0)->Owner, CQ);
  EXPECT_EQ(C[1]->Parent, CQ);
  EXPECT_EQ(C[2]->Parent, &Outside);
  EXPECT_EQ(C.FindMultiParBySubParGUID(Q->SubPar(0)->GUID), CQ);
  EXPECT_EQ(C.FindMultiParBySubParGUID(TGUID{}), nullptr);
}

TEST_F(ParBase, ListFindsDeletesAndDrops) {
  TTestMulti* A = Add<TTestMulti>();
  TTestMultiChild* Child = Add<TTestMultiChild>();
  TTestOption* DerivedFromA = Add<TTestOption>();
  DerivedFromA->Parent = A;
  TTestOption* DerivedTwice = Add<TTestOption>();
  DerivedTwice->Parent = DerivedFromA;
  TTestOption* Free = Add<TTestOption>();

  EXPECT_EQ(List.FindByClass(TTestMulti::StaticClass(), false, 1), Child);
  EXPECT_EQ(List.FindByClass(TTestMulti::StaticClass(), true, 1), nullptr);
  EXPECT_EQ(List.CountByClass(TTestOption::StaticClass(), true), 3);
  EXPECT_EQ(List.IndexOfClass(TTestOption::StaticClass()), 2);
  EXPECT_EQ(List.GetClassOrdinal(Free), 3);
  EXPECT_EQ(List.GetClassOrdinal(A), 0);

  List.DeleteWithDependants(0);
  EXPECT_EQ(List.Count(), 2);
  EXPECT_EQ(List[0], Child);
  EXPECT_EQ(List[1], Free);

  Free->Empty = true;
  Child->Add({1});  // a multi-parameter without sub-parameters is empty too
  List.RemoveEmpty();
  EXPECT_EQ(List.Count(), 1);
  Add<TTestOption>();
  List.DropUnavailable(1);  // the multi-parameters are desktop classes
  ASSERT_EQ(List.Count(), 1);
  EXPECT_TRUE(List[0]->IsExactly<TTestOption>());
}

TEST_F(ParBase, LayerSelectionsAreClampedReadAndWritten) {
  TTestOption* Three = Add<TTestOption>();
  TTestOption* None = Add<TTestOption>();
  None->Dims = {0, 0};
  TPelParSelections Sel;
  Sel.SetSelected(Three, 7);
  EXPECT_EQ(Sel.GetSelected(Three), 2);
  Sel.SetSelected(None, 4);
  EXPECT_EQ(Sel.GetSelected(None), 0);
  EXPECT_EQ(Sel.GetSelected(nullptr), 0);
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              Sel.WriteToStream(S, Indent, List);
            }),
            "def parSelections\r\n"
            "  def parSelection\r\n"
            "    parIndex = 0;\r\n"
            "    selected = 2;\r\n"
            "  end;\r\n"
            "end;\r\n");

  TPelParSelections Read;
  TOrvMsgList Msgs;
  auto S = New<TRixScanner>(
      "def parSelection parIndex = 0; selected = 1; end;"
      "def parSelection parIndex = 1; selected = -1; end;"
      "def parSelection parIndex = 9; selected = 1; end;"
      "def parSelection parIndex = 0; note = 1; end; end;",
      &Msgs);
  S->NextToken();
  Read.ReadFromScanner(*S, List);
  ASSERT_EQ(Read.Pairs.size(), 1u);
  EXPECT_EQ(Read.GetSelected(Three), 1);
  EXPECT_EQ(Msgs.ErrorCount(), 1);

  Three->Selected = 1;
  TPelParSelections Zero;
  Zero.InitFromPars(List);
  EXPECT_EQ(Zero.GetSelected(Three), 1);
  Zero.SetSelected(Three, 0);
  EXPECT_EQ(Written([&](TStream& St) {
              int Indent = 0;
              Zero.WriteToStream(St, Indent, List);
            }),
            "");
}

TEST_F(ParBase, RandomFillingMakesAtLeastOneSubParameterUnlessEmptyIsAllowed) {
  TOrvRandGenDefault Gen;
  Gen.SetSeed(7);
  TTestMulti* M = Add<TTestMulti>();
  for (int I = 0; I < 20; ++I) {
    M->Randomize(Gen);
    EXPECT_GE(M->SubParCount(), 1);
    EXPECT_EQ(M->SubPar(M->SubParCount() - 1)->Owner, M);
  }
}

TEST(FastArrLongint, GrowsBySixteenThenDoublesAndSorts) {
  TOrvFastArrLongint A;
  EXPECT_EQ(A.Capacity(), 0);
  A.Sort();  // nothing to sort
  const int Expected[] = {16, 16, 32, 64};
  const int Adds[] = {1, 16, 17, 33};
  int Added = 0;
  for (int K = 0; K < 4; ++K) {
    while (Added < Adds[K]) A.Add(1000 - Added++ * 7 % 13);
    EXPECT_EQ(A.Capacity(), Expected[K]) << Adds[K];
  }
  EXPECT_EQ(A.Count(), 33);
  std::vector<int32_t> Plain(A.Items(), A.Items() + A.Count());
  std::sort(Plain.begin(), Plain.end());
  A.Sort();
  EXPECT_TRUE(std::equal(Plain.begin(), Plain.end(), A.Items()));
  TOrvFastArrLongint One;
  One.Add(-5);
  One.Sort();
  EXPECT_EQ(One[0], -5);
  const auto Copy = CopyOf(A);
  EXPECT_EQ(Copy->Count(), 33);
  EXPECT_EQ((*Copy)[32], A[32]);
}

}  // namespace
}  // namespace quin
