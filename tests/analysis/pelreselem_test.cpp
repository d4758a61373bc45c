// Result elements: the registry by block name, the data-info block of an element, references,
// the lazy evaluation of an element's group into its per-record-set flags, and the matching of
// a cell's element against a data-info element under the sub-parameter rules.
#include "analysis/pelreselem.h"

#include <gtest/gtest.h>

#include "analysis/pelpargroups.h"
#include "analysis/pelparstats.h"
#include "analysis/pelresgroup.h"
#include "group_fixture.h"
#include "par_fixture.h"

namespace quin {
namespace {

using namespace quin::test;

class ResElem : public testing::Test {
 protected:
  TGroupSurvey G;
  TPelParList List{&G.S};
  TPelParGroups* Groups = static_cast<TPelParGroups*>(List.AddPar(New<TPelParGroups>(&G.S)));

  TPelGroup* AddGroup(const std::string& Expr) {
    auto* Gr = static_cast<TPelGroup*>(Groups->AddSubPar(Groups->NewSubPar(nullptr)));
    Gr->ParseExpr(*G.Scan(Expr), &G.S);
    return Gr;
  }
  // The element of group Index, carrying its sub-parameter's identity.
  std::unique_ptr<TPelResElem> ItemElem(int Index) {
    std::unique_ptr<TPelResElem> E(Groups->CreateResElem(Index));
    E->SubParGUID = Groups->SubPar(Index)->GUID;
    return E;
  }
  std::unique_ptr<TPelResElem> ReadBlock(const std::string& Body) {
    return ResElemClassOf<TPelResGroup>().CreateFromScanner(&G.S, *G.Scan(Body));
  }
};

TEST_F(ResElem, ClassesAreFoundByEitherBlockNameIgnoringCaseAndRegisteredOnce) {
  const TPelResElemClass* Group = &ResElemClassOf<TPelResGroup>();
  EXPECT_EQ(FindResClassByBlockName("DATAINFOGROUP"), Group);
  EXPECT_EQ(FindResClassByBlockName("chartDataGroup"), Group);
  EXPECT_EQ(FindResClassByBlockName("dataInfoResElem"), nullptr);
  EXPECT_EQ(FindResClassByBlockName("dataInfo"), nullptr);
  const size_t Before = RegisteredResClasses().size();
  RegisterResClass(*Group);
  EXPECT_EQ(RegisteredResClasses().size(), Before);
  EXPECT_EQ(Group->GetBlockName(true), "chartDataGroup");
  EXPECT_EQ(TPelResElem(&G.S, -1, nullptr).GetBlockName(false), "dataInfoResElem");
}

TEST_F(ResElem, BlocksReadTheIdentityBeforeOrAfterTheKeysAndWriteItFirst) {
  const std::string GUID = "{3991C166-F2A3-4C70-B115-FB13D7491403}";
  for (const std::string& Body :
       {"parSubGUID = \"" + GUID + "\"; group = sex = male; end;",
        "group = sex = male; bogus = 1; parSubGUID = \"" + GUID + "\"; end;"}) {
    SCOPED_TRACE(Body);
    G.Msgs.Clear();
    std::unique_ptr<TPelResElem> E = ReadBlock(Body);
    EXPECT_EQ(GUIDToString(E->SubParGUID), GUID);
    EXPECT_EQ(E->GetPar(), nullptr);
    EXPECT_EQ(E->GetItemIndex(), -1);
    EXPECT_EQ(G.Msgs.Count(), Body.find("bogus") != std::string::npos ? 1 : 0);
    const std::string Text = Written([&](TStream& S) {
      int Indent = 2;
      E->WriteBlock(S, Indent);
    });
    EXPECT_EQ(Text,
              "  def dataInfoGroup\r\n"
              "    parSubGUID = \"" +
                  GUID +
                  "\";\r\n"
                  "    group = sex = male;\r\n"
                  "  end;\r\n");
  }
  // Without identity and expression.
  std::unique_ptr<TPelResElem> All = ReadBlock("group = all; end;");
  EXPECT_EQ(Written([&](TStream& S) {
              int Indent = 0;
              All->WriteBlock(S, Indent);
            }),
            "def dataInfoGroup\r\n  group = all;\r\nend;\r\n");
}

TEST_F(ResElem, ReferencesForwardToTheirTargetAndSetItsItemIndex) {
  AddGroup("sex = male");
  std::unique_ptr<TPelResElem> Target = ItemElem(0);
  {
    TPelResElemRef Ref(Target.get());
    EXPECT_EQ(Ref.GetPar(), Groups);
    EXPECT_EQ(Ref.GetBlockName(false), "dataInfoGroup");
    EXPECT_TRUE(Ref.IsSameKind(Target.get()));
    Ref.SetItemIndex(4);
    EXPECT_EQ(Target->ItemIndex, 4);
    TTestCell Cell(G.S);
    Ref.SetRes(&Cell);
    ASSERT_NE(Ref.GetGroup(), nullptr);
    EXPECT_EQ(FlagText(Ref.GetSelectedArrays()[0]), "100100");
    EXPECT_EQ(&Ref.GetSelectedArrays(), &Target->Selected);
    std::unique_ptr<TPelResElem> Copy = CopyOf(static_cast<TPelResElem&>(Ref));
    EXPECT_EQ(TPelResElem::ResolveRef(Copy.get()), Target.get());
  }
  // The references are gone; the target and its group are whole.
  EXPECT_TRUE(Target->IsCalculated());
  EXPECT_EQ(Target->Group.get(), Groups->SubPar(0));
}

TEST_F(ResElem, GroupsAreEvaluatedOnceIntoTheCellsRecordSet) {
  TPelGroup* Gr = AddGroup("sex = male or edu = low");
  std::unique_ptr<TPelResElem> E = ItemElem(0);
  // A parameter with case groups: one array per record set, filled when evaluated.
  ASSERT_EQ(E->Selected.size(), 1u);
  EXPECT_TRUE(E->Selected[0].empty());
  TTestCell Cell(G.S, G.Weight());
  E->SetRes(&Cell);
  EXPECT_EQ(E->GetGroup(), Gr);
  EXPECT_EQ(FlagText(E->Selected[0]), "100110");
  EXPECT_EQ(FlagText(E->Missing[0]), "011001");
  EXPECT_EQ(Gr->WeightedSelected, 2.5);
  EXPECT_TRUE(Gr->Selected.empty());  // the group's own flags are released
  Gr->Root.reset();
  E->GetGroup();  // already calculated
  EXPECT_EQ(FlagText(E->Selected[0]), "100110");
  // A copy shares the group and keeps the flags.
  std::unique_ptr<TPelResElem> C = CopyOf(*E);
  EXPECT_EQ(C->Group.get(), Gr);
  EXPECT_EQ(FlagText(C->Selected[0]), "100110");
  E->FreeGroup();
  EXPECT_TRUE(C->IsCalculated());

  // A parameter without case groups gives no arrays; a data-info copy, which has none either,
  // gets its array when it is evaluated all the same.
  auto Stats = New<TPelParStats>(&G.S);
  EXPECT_TRUE(TPelResElem(&G.S, 0, Stats.get()).Selected.empty());
  std::unique_ptr<TPelResElem> D = ResElemClassOf<TPelResGroup>().CreateFromElem(&G.S, C.get());
  EXPECT_TRUE(D->Selected.empty());
  D->Group->ParseExpr(*G.Scan("edu = high"), &G.S);
  D->SetRes(&Cell);
  D->GetGroup();
  EXPECT_EQ(FlagText(D->Selected[0]), "001000");
}

TEST_F(ResElem, CellElementsMatchDataInfoElementsUnderTheSubParameterRules) {
  AddGroup("sex = male");
  AddGroup("sex = male");
  std::unique_ptr<TPelResElem> C0 = ItemElem(0);
  std::unique_ptr<TPelResElem> C1 = ItemElem(1);
  TPelResElemList L;
  L.Add(ResElemClassOf<TPelResGroup>().CreateFromElem(&G.S, C0.get()));
  // A group forms one item: its identity alone matches, and the data info then holds a copy
  // of the cell's element.
  C0->Group->Root.reset();
  const TPelResElem* Before = L.GetElem(0);
  EXPECT_TRUE(TPelResElem::MatchSubParElem(C0.get(), L, 0, false));
  EXPECT_NE(L.GetElem(0), Before);
  EXPECT_EQ(L.GetElem(0)->GetPar(), Groups);
  EXPECT_EQ(L.GetElem(0)->Group->Root, nullptr);
  // Another sub-parameter: refused, or compared by expression when lenient.
  EXPECT_FALSE(TPelResElem::MatchSubParElem(C1.get(), L, 0, false));
  EXPECT_FALSE(TPelResElem::MatchSubParElem(C1.get(), L, 0, true));
  C0->Group->ParseExpr(*G.Scan("sex = male"), &G.S);
  L.SetItem(0, ResElemClassOf<TPelResGroup>().CreateFromElem(&G.S, C0.get()).release());
  EXPECT_TRUE(TPelResElem::MatchSubParElem(C1.get(), L, 0, true));
  // A sub-parameter that is no longer there: compared only when lenient.
  L.GetElem(0)->SubParGUID = NewGUID();
  EXPECT_FALSE(TPelResElem::MatchSubParElem(C0.get(), L, 0, false));
  EXPECT_TRUE(TPelResElem::MatchSubParElem(C0.get(), L, 0, true));
  // Without identity: the kind's comparison.
  L.GetElem(0)->SubParGUID = TGUID{};
  EXPECT_TRUE(TPelResElem::MatchSubParElem(C1.get(), L, 0, false));
}

TEST_F(ResElem, ListsResolveReferencesAndFindByKind) {
  AddGroup("sex = male");
  std::unique_ptr<TPelResElem> E = ItemElem(0);
  TPelResElemList L;
  L.Add(std::make_unique<TPelResElem>(&G.S, 1, nullptr));
  L.Add(std::make_unique<TPelResElemRef>(E.get()));
  EXPECT_EQ(L.GetItem(1)->ClassType().Name, std::string("TPelResElemRef"));
  EXPECT_EQ(L.GetElem(1), E.get());
  EXPECT_EQ(L.FindByClass(TPelResGroup::StaticClass()), E.get());
  EXPECT_EQ(L.CountByClass(TPelResElem::StaticClass()), 2);
  EXPECT_EQ(L.CountByClass(TPelResGroup::StaticClass()), 1);
  EXPECT_TRUE(TPelResElem::IsKindOf(L.GetItem(1), TPelResGroup::StaticClass()));
  EXPECT_TRUE(E->HasEnoughWaves());
}

}  // namespace
}  // namespace quin
