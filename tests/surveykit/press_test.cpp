// The press section: titles, modules, regions and groups, the "indicators" block, the columns
// of the indicators and the derived questions.
#include <gtest/gtest.h>

#include "media_fixture.h"
#include "surveykit/gimpressinds.h"
#include "surveykit/gimquestions.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using test::SwObject;
using test::TMediaSurvey;
using TMsgs = std::vector<std::string>;

TSwMediaObject Title(const std::string& ID, const std::string& Name, double Code,
                     const std::string& Days = "") {
  TSwMediaObject T = SwObject(ID, Name);
  T.HasCode = true;
  T.Code = Code;
  T.Days = Days;
  return T;
}

// Two regions, one group list, a module "daily" with two titles, a module "weekly" holding a
// nested module with one title, and one title at the top.
TSwPressSection SampleSection() {
  TSwPressSection P;
  P.Hook = "media";
  P.Regions = {{"north", "North"}, {"south", "South"}};
  P.GroupLists = {{"Types", {{"quality", "Quality"}, {"tabloid", "Tabloid"}}}};
  TSwMediaModule Daily{"daily", "Dailies", {}, {}};
  TSwMediaObject A = Title("a", "Alpha", 1, "mon:fri");
  A.Regions = {"north"};
  A.Groups = {"quality"};
  TSwMediaObject B = Title("b", "Beta", 2, "sat, mon");
  B.Regions = {"all"};
  Daily.Objects = {A, B};
  TSwMediaModule Weekly{
      "weekly", "Weeklies", {{"mags", "Magazines", {}, {Title("c", "Gamma", 3, "thu")}}}, {}};
  P.Root.Modules = {Daily, Weekly};
  P.Root.Objects = {Title("d", "Delta", 4)};
  return P;
}

TEST(Press, SectionReadsModulesTitlesRegionsGroupsAndDays) {
  TMediaSurvey S;
  S.Read(PressSectionText(SampleSection()));
  EXPECT_EQ(S.Messages(), TMsgs{});
  TGimPress* P = S.Survey->PressDef();
  ASSERT_TRUE(P);
  ASSERT_EQ(P->RootModule->ChildCount(), 3);
  auto* Daily = As<TGimPressModule>(P->RootModule->Child(0));
  ASSERT_TRUE(Daily);
  EXPECT_EQ(Daily->GetName(), "Dailies");
  ASSERT_EQ(Daily->ChildCount(), 2);
  auto* A = As<TGimPressTitle>(Daily->Child(0));
  auto* B = As<TGimPressTitle>(Daily->Child(1));
  ASSERT_TRUE(A && B);
  EXPECT_EQ(A->Code, 1);
  ASSERT_TRUE(A->Regions);
  ASSERT_EQ(A->Regions->Count(), 1);
  EXPECT_EQ(A->Regions->GetItem(0), P->Regions->GetItem(0));
  ASSERT_TRUE(A->Groups);
  EXPECT_EQ(A->Groups->GetItem(0)->GetName(), "Quality");
  EXPECT_FALSE(B->Regions);  // "all"
  EXPECT_FALSE(B->Groups);
  // Day lists run from Monday, whatever order the text gave.
  TGimPressDayList& AD = A->GetDayList();
  ASSERT_EQ(AD.Count(), 5);
  EXPECT_EQ(AD.GetItem(0)->Day, dMon);
  EXPECT_EQ(AD.GetItem(4)->Day, dFri);
  EXPECT_EQ(&A->GetDayList(), &AD);
  TGimPressDayList& BD = B->GetDayList();
  ASSERT_EQ(BD.Count(), 2);
  EXPECT_EQ(BD.GetItem(0)->Day, dMon);
  EXPECT_EQ(BD.GetItem(1)->Day, dSat);
  EXPECT_EQ(BD.FindDay(dSat)->Title, B);
  EXPECT_EQ(BD.FindDay(dSun), nullptr);
  auto* C = As<TGimPressTitle>(P->RootModule->FindObject(TGimPressTitle::StaticClass(), "c"));
  ASSERT_TRUE(C);
  EXPECT_EQ(C->Owner->Owner, P->RootModule->Child(1));
  EXPECT_TRUE(As<TGimPressTitle>(P->RootModule->Child(2))->GetDayList().Empty());
  EXPECT_EQ(P->HookModule, S.Find<TGimModule>("media"));
  EXPECT_FALSE(P->DistributionData);
}

TEST(Press, ReadingProblemsAreReportedWhereTheyStand) {
  struct TCase {
    const char* Name;
    std::string Body;
    TMsgs Expected;
  };
  const std::vector<TCase> Cases = {
      {"same id in another module, other case",
       "def module name = \"M\"; def title id = abc; name = \"A\"; end; end;\r\n"
       "def title id = ABC; name = \"B\"; end;\r\n",
       {"TMerError_IDNotUnique@7:11"}},
      {"module without name, title without id and name",
       "def module id = m; end;\r\ndef title code = 1; end;\r\n",
       {"TMerError_NameNotDefined@6:24", "TMerError_IDNotDefined@7:25",
        "TMerError_NameNotDefined@7:25"}},
      {"module without id is fine", "def module name = \"M\"; end;\r\n", {}},
      {"unknown region among known ones",
       "def regions def region id = north; name = \"N\"; end; end;\r\n"
       "def title id = t; name = \"T\"; regions = north, east; end;\r\n",
       {"TRixMsgError_UnknownKey@7:48"}},
      {"unknown group",
       "def title id = t; name = \"T\"; groups = g; end;\r\n",
       {"TRixMsgError_UnknownKey@6:40"}},
      {"nested block in a title",
       "def title id = t; name = \"T\"; def x end; end;\r\n",
       {"TMerMsgError_UnexpectedDef@6:31"}},
      {"unknown block and key",
       "def foo a = 1; end;\r\nbar = 2;\r\n",
       {"TRixMsgError_UnknownKey@6:5", "TRixMsgError_UnknownKey@7:1"}},
      {"unknown hook", "hook = nowhere;\r\n", {"TMerError_ModuleNotFound@6:1"}},
      {"end without ;",
       "def title id = t; name = \"T\"; end\r\n",
       {"TRixMsgError_InstrSepExpected@6:34"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TMediaSurvey S;
    S.Read("def press\r\n" + C.Body + "end;\r\n");
    EXPECT_FALSE(S.Fatal);
    EXPECT_EQ(S.Messages(), C.Expected);
  }
}

TEST(Press, EndOfTextInsideTheSectionIsFatal) {
  TMediaSurvey S;
  S.Read("def press\r\n def title id = t; name = \"T\"; end;\r\n");
  EXPECT_TRUE(S.Fatal);
  ASSERT_FALSE(S.Messages().empty());
  EXPECT_EQ(S.Messages().back(), "TOrvMsg_FatalError_UnexpectedEOF@6:36");
}

TEST(Press, AllDropsTheRegionsReadBeforeAndUnknownHookBuildsNoQuestions) {
  TMediaSurvey S;
  S.Read(
      "def press hook = nowhere;\r\n"
      "def regions def region id = north; name = \"N\"; end; end;\r\n"
      "def title id = t; name = \"T\"; regions = north; regions = all; end;\r\nend;\r\n");
  TGimPress* P = S.Survey->PressDef();
  ASSERT_TRUE(P);
  EXPECT_FALSE(As<TGimPressTitle>(P->RootModule->Child(0))->Regions);
  EXPECT_EQ(P->HookModule, nullptr);
  EXPECT_EQ(S.Survey->Data->Root->ChildCount(), 1);  // only "media"
}

// A second "regions" block replaces the list; the titles read before it keep their regions.
TEST(Press, TitlesKeepTheirRegionsWhenALaterBlockReplacesTheList) {
  TMediaSurvey S;
  S.Read(
      "def press\r\n"
      "def regions def region id = north; name = \"North\"; end; end;\r\n"
      "def title id = t; name = \"T\"; regions = north; end;\r\n"
      "def regions def region id = west; name = \"West\"; end; end;\r\n"
      "def title id = u; name = \"U\"; regions = west, north; end;\r\nend;\r\n");
  TGimPress* P = S.Survey->PressDef();
  ASSERT_TRUE(P);
  auto* T = As<TGimPressTitle>(P->RootModule->Child(0));
  ASSERT_TRUE(T->Regions);
  ASSERT_EQ(T->Regions->Count(), 1);
  EXPECT_EQ(T->Regions->GetItem(0)->GetName(), "North");
  // Lookups use the newest list only.
  EXPECT_EQ(S.Messages(), TMsgs{"TRixMsgError_UnknownKey@9:47"});
  auto* U = As<TGimPressTitle>(P->RootModule->Child(1));
  ASSERT_EQ(U->Regions->Count(), 1);
  EXPECT_EQ(U->Regions->GetItem(0)->GetName(), "West");
}

// ---- The catalogue

TEST(PressCatalogue, HoldsSixtyFourIndicatorsInItsOrder) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  ASSERT_EQ(L.Count(), 64);
  const std::vector<std::pair<int, const char*>> At = {
      {1, "tom"},          {6, "csr"},          {7, "scr"},   {11, "ar"},  {12, "air"},
      {13, "cppg"},        {14, "cpp"},         {22, "noi"},  {28, "gi"},  {41, "meanrankhelpful"},
      {42, "statement_a"}, {57, "statement_p"}, {58, "por"},  {60, "rdw"}, {61, "ar2circ"},
      {62, "ar2sales"},    {63, "circ"},        {64, "sales"}};
  for (auto [N, ID] : At) EXPECT_EQ(L.GetItem(N - 1)->ID, ID) << N;
  for (int I = 0; I < L.Count(); ++I) EXPECT_TRUE(L.GetItem(I)->Name.empty());
  EXPECT_TRUE(L.GetItem(41)->IsExactly<TGimPressInd_StatementA>());
  EXPECT_TRUE(L.GetItem(56)->IsExactly<TGimPressInd_StatementP>());
  // Shared classes, separate objects.
  EXPECT_NE(L.FindByID("csr"), L.FindByID("scr"));
  EXPECT_TRUE(L.FindByID("scr")->IsExactly<TGimPressInd_SCR>());
  EXPECT_EQ(L.FindByClass(TGimPressInd_SCR::StaticClass())->ID, "csr");
  EXPECT_EQ(L.FindByClass(TGimPressInd_AR::StaticClass())->ID, "ar");
  EXPECT_EQ(L.FindByClass(TGimPressInd_CPPG::StaticClass())->ID, "cppg");
  // Exact class only; letter case counts.
  EXPECT_EQ(L.FindByClass(TGimPressInd_Pct::StaticClass()), nullptr);
  EXPECT_EQ(L.FindByClass(TGimPressInd::StaticClass()), nullptr);
  EXPECT_EQ(L.FindByID("AR"), nullptr);
  EXPECT_EQ(L.FindByText("AR")->ID, "ar");
}

TEST(PressCatalogue, ClassAnswersFollowTheirFamilies) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  struct TRow {
    const char* ID;
    bool R, E, P, S, M, H, C, I;
    const char* Format;  // with 2 decimals
    const char* Groups;
    bool X, D, N, DefaultPars, NeedsDist;
  };
  const TRow Rows[] = {
      {"tom", 1, 1, 1, 1, 0, 0, 1, 0, "%1.2f", "Main", 1, 0, 0, 0, 0},
      {"lir", 1, 1, 1, 1, 0, 0, 1, 0, "%1.2f", "Main", 1, 0, 0, 0, 0},
      {"distrib", 1, 1, 1, 1, 0, 0, 1, 0, "%1.2f", "Auxiliary", 1, 0, 0, 0, 0},
      {"pir", 1, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Auxiliary", 1, 0, 0, 0, 0},
      {"statement_c", 1, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Statements", 1, 0, 0, 0, 0},
      {"rdw", 1, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Main", 1, 1, 0, 0, 0},
      {"nir", 1, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Auxiliary", 1, 0, 0, 0, 0},
      {"mnir", 0, 0, 0, 0, 1, 0, 1, 1, "%1.2f", "Auxiliary", 1, 0, 0, 0, 0},
      {"ar", 0, 1, 1, 1, 1, 0, 1, 1, "%1.2f", "Main,Media-plan", 1, 1, 1, 0, 0},
      {"grp", 0, 1, 1, 0, 1, 0, 1, 1, "%1.2f", "Media-plan", 1, 1, 1, 0, 0},
      {"gi", 0, 1, 0, 0, 1, 0, 1, 1, "%1.0n", "Media-plan", 1, 1, 1, 0, 0},
      {"cpp", 0, 0, 0, 0, 1, 0, 1, 1, "%1.2n", "Media-plan", 1, 1, 1, 0, 0},
      {"ar2sales", 0, 1, 0, 0, 1, 0, 1, 1, "%1.2n", "ZKDP", 1, 1, 1, 0, 1},
      {"circ", 0, 0, 0, 0, 0, 0, 1, 0, "%1.0n", "ZKDP", 1, 0, 0, 0, 1},
      {"cpi", 0, 0, 0, 0, 0, 0, 1, 0, "%1.2n", "Media-plan", 1, 1, 0, 0, 0},
      {"noi", 0, 0, 0, 0, 0, 0, 0, 0, "%1.0f", "Media-plan", 1, 1, 0, 0, 0},
      {"af", 0, 0, 0, 0, 1, 0, 1, 1, "%1.2f", "Media-plan", 1, 1, 0, 0, 0},
      {"fd", 0, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Media-plan", 1, 1, 0, 0, 0},
      {"fdplus", 0, 1, 1, 1, 0, 1, 1, 1, "%1.2f", "Media-plan", 0, 1, 0, 0, 0},
      {"reach", 0, 1, 1, 1, 0, 0, 1, 1, "%1.2f", "Media-plan", 0, 1, 0, 1, 0},
      {"cpmr", 0, 0, 0, 0, 0, 0, 1, 1, "%1.2n", "Media-plan", 0, 1, 0, 1, 0},
      {"cpper", 0, 0, 0, 0, 0, 1, 1, 1, "%1.2n", "Media-plan", 0, 1, 0, 0, 0},
  };
  for (const TRow& W : Rows) {
    SCOPED_TRACE(W.ID);
    auto* I = As<TGimPressInd>(L.FindByID(W.ID));
    ASSERT_TRUE(I);
    EXPECT_EQ(I->ByResp(), W.R);
    EXPECT_EQ(I->Est(), W.E);
    EXPECT_EQ(I->PctCalcs(), W.P);
    EXPECT_EQ(I->ShowsPctSign(), W.S);
    EXPECT_EQ(I->Means(), W.M);
    EXPECT_EQ(I->HasParams(), W.H);
    EXPECT_EQ(I->IsContinuous(), W.C);
    EXPECT_EQ(I->IndependentColumns, W.I);
    EXPECT_EQ(I->DisplayFormat(2), W.Format);
    EXPECT_EQ(I->Groups(), W.Groups);
    EXPECT_EQ(I->CanMergeParams(), W.X);
    EXPECT_EQ(I->UsesDays(), W.D);
    EXPECT_EQ(I->UsesNOI(), W.N);
    EXPECT_EQ(I->DefaultPars != nullptr, W.DefaultPars);
    EXPECT_EQ(I->NeedsDistributionData(), W.NeedsDist);
    EXPECT_EQ(I->IsPressGI(), std::string(W.ID) == "gi");
  }
  EXPECT_EQ(L.FindByID("ar2circ")->DisplayFormat(3), "%1.3n");
  ASSERT_EQ(As<TGimPressInd>(L.FindByID("reach"))->DefaultPars->Count(), 1);
  EXPECT_TRUE(As<TGimPressInd>(L.FindByID("reach"))->DefaultPars->GetItem(0)->InRange(1));
}

TEST(PressCatalogue, GroupsFollowTheSessionLanguage) {
  auto Polish = New<TOrvLangManager>("plk");
  TLangManagerBinding Binding(Polish.get());
  TGimPressIndList L(nullptr);
  EXPECT_EQ(L.FindByID("ar")->Groups(), Cp1250("Główne") + ",Media-plan");
  EXPECT_EQ(L.FindByID("distrib")->Groups(), "Dodatkowe");
}

TEST(PressCatalogue, DependsOnTheInsertionIndicators) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  const ClassInfo& NOI = TGimPressInd_NOI::StaticClass();
  const ClassInfo& CPI = TGimPressInd_CPI::StaticClass();
  const ClassInfo& AR = TGimPressInd_AR::StaticClass();
  struct TCase {
    const char* ID;
    const ClassInfo* Class;
    int Titles, Days;
    bool Expected;
  };
  const TCase Cases[] = {
      {"ar", &NOI, 1, 1, false},   {"ar", &NOI, 2, 1, true},      {"ar", &NOI, 1, 3, true},
      {"ar", &CPI, 2, 2, false},   {"ar2circ", &NOI, 2, 1, true}, {"grp", &NOI, 1, 1, true},
      {"gi", &CPI, 2, 2, false},   {"fd", &NOI, 1, 1, true},      {"af", &NOI, 1, 1, true},
      {"noi", &NOI, 1, 1, true},   {"noi", &AR, 5, 5, false},     {"cpi", &CPI, 1, 1, false},
      {"cpi", &CPI, 2, 1, true},   {"cpi", &NOI, 1, 2, true},     {"coi", &CPI, 1, 1, true},
      {"cppg", &NOI, 1, 1, true},  {"cpper", &CPI, 1, 1, true},   {"tom", &NOI, 9, 9, false},
      {"reach", &CPI, 1, 1, false}};
  for (const TCase& C : Cases)
    EXPECT_EQ(L.FindByID(C.ID)->DependsOnInd(*C.Class, C.Titles, C.Days), C.Expected)
        << C.ID << " " << C.Class->Name << " " << C.Titles << " " << C.Days;
}

TEST(PressCatalogue, ColumnNamesFromMasks) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  auto* Tom = As<TGimPressInd>(L.FindByID("tom"));
  TGimResponse Resp;
  Resp.ColumnMask = "r_*";
  struct TCase {
    const char* Mask;
    const TGimResponse* Response;
    const char* Expected;
  };
  const TCase Cases[] = {{"pre*suf", nullptr, "preTsuf"}, {"pre*suf", &Resp, "preTsuf"},
                         {"plain", nullptr, "plainT"},    {"", &Resp, "r_T"},
                         {"a*b*", nullptr, "aTb*"},       {"", nullptr, "T"}};
  for (const TCase& C : Cases) {
    Tom->ColumnMask = C.Mask;
    EXPECT_EQ(Tom->GetColumnName("T", C.Response), C.Expected) << C.Mask;
  }
  As<TGimPressInd>(L.FindByID("ar"))->ColumnMask = "ar_*";
  EXPECT_EQ(L.GetARColumnName("x"), "ar_x");
  EXPECT_EQ(TGimPressIndList::GetDayColumnName(dMon, "x"), "airdw.mon.x");
  EXPECT_EQ(TGimPressIndList::GetDayColumnName(dSun, "x"), "airdw.sun.x");
  // Without "ar" the first of exactly its class is "air"; without both, none.
  As<TGimPressInd>(L.FindByID("air"))->ColumnMask = "air_*";
  L.Delete(10);
  EXPECT_EQ(L.GetARColumnName("x"), "air_x");
  L.Delete(10);
  EXPECT_EQ(L.GetARColumnName("x"), "");
}

TEST(PressCatalogue, CopiesDeriveParameterCodesThroughTheirOwnClass) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  auto Numeric = [] {
    auto C = std::make_unique<TRixCodeList>();
    C->Add(std::make_unique<TRixCodeRange>(1, 4));
    return C;
  };
  auto* Pir = As<TGimPressInd>(L.FindByID("pir"));
  Pir->NumericCodes = Numeric();
  Pir->ColumnMask = "pir_*";
  auto PirCopy = OwnedAs<TGimPressInd>(Pir->CreateCopy());
  ASSERT_TRUE(PirCopy && PirCopy->IsExactly<TGimPressInd_PIR>());
  ASSERT_TRUE(PirCopy->ParCodes);
  EXPECT_EQ(CodeListAsUSAString(*PirCopy->ParCodes), "1 : 4");
  EXPECT_EQ(PirCopy->ColumnMask, "pir_*");
  EXPECT_TRUE(PirCopy->IndependentColumns);
  auto* Fd = As<TGimPressInd>(L.FindByID("fd"));
  Fd->NumericCodes = Numeric();
  auto FdCopy = OwnedAs<TGimPressInd>(Fd->CreateCopy());
  ASSERT_TRUE(FdCopy->ParCodes);
  EXPECT_EQ(CodeListAsUSAString(*FdCopy->ParCodes), "0 : 100");
  // Reach has no parameters: no range; its default parameters are not copied.
  auto* Reach = As<TGimPressInd>(L.FindByID("reach"));
  Reach->NumericCodes = Numeric();
  auto ReachCopy = OwnedAs<TGimPressInd>(Reach->CreateCopy());
  EXPECT_FALSE(ReachCopy->ParCodes);
  EXPECT_FALSE(ReachCopy->DefaultPars);
}

TEST(MediaInd, BaseAnswers) {
  test::TEnglishSession English;
  TGimPressIndList L(nullptr);
  const TGimMediaInd& Tom = *L.FindByID("tom");
  EXPECT_EQ(Tom.TGimMediaInd::DisplayFormat(2), "%1.2f");
  EXPECT_EQ(Tom.TGimMediaInd::Groups(), "Available");
  EXPECT_FALSE(Tom.TGimMediaInd::DependsOnInd(TGimPressInd_NOI::StaticClass(), 5, 5));
  EXPECT_FALSE(Tom.TGimMediaInd::HasParams());
  EXPECT_TRUE(Tom.TGimMediaInd::IsContinuous());
}

// ---- The "indicators" block, columns and derived questions

TSwIndicator Ind(const std::string& ID, const std::string& Name) {
  TSwIndicator I;
  I.ID = ID;
  I.Name = Name;
  return I;
}

TEST(PressIndicators, TheBlockKeepsTheIndicatorsItNamesInCatalogueOrder) {
  TMediaSurvey S;
  TSwPressSection P;
  P.HasIndicators = true;
  P.Indicators = {Ind("noi", "Insertions"), Ind("AR", "Average readership"), Ind("zzz", "")};
  S.Read(PressSectionText(P) + "");
  EXPECT_EQ(S.Messages(), TMsgs{"TMerMsgError_UnknownIndID@16:7"});
  TGimPressIndList& L = S.Survey->PressDef()->PressIndicators();
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.GetItem(0)->ID, "ar");
  EXPECT_EQ(L.GetItem(0)->GetName(), "Average readership");
  EXPECT_EQ(L.GetItem(1)->ID, "noi");
}

TEST(PressIndicators, BlockProblems) {
  TMediaSurvey S;
  S.Read(
      "def press def indicators\r\n"
      " def indicator name = \"First\"; id = tom; end;\r\n"
      " def indicator id = spo; def x end; foo = 1; end;\r\n"
      " bar = 1;\r\n"
      "end; end;\r\n");
  EXPECT_EQ(S.Messages(),
            (TMsgs{"TMerMsgError_IndIDExpected@6:16", "TMerMsgError_UnexpectedDef@7:26",
                   "TRixMsgError_UnknownKey@7:37", "TRixMsgError_UnknownKey@8:2"}));
  TGimPressIndList& L = S.Survey->PressDef()->PressIndicators();
  ASSERT_EQ(L.Count(), 1);
  EXPECT_EQ(L.GetItem(0)->ID, "spo");
}

TEST(PressIndicators, DistributionDataIsAskedOnlyUnderThoroughChecks) {
  for (bool Thorough : {false, true}) {
    for (bool Flag : {false, true}) {
      TMediaSurvey S;
      S.Survey->ThoroughChecks = Thorough;
      TSwPressSection P;
      P.DistributionData = Flag;
      P.HasIndicators = true;
      P.Indicators = {Ind("circ", "Circulation"), Ind("tom", "TOM")};
      S.Read(PressSectionText(P));
      const bool Refused = Thorough && !Flag;
      EXPECT_EQ(S.Survey->PressDef()->PressIndicators().Count(), Refused ? 1 : 2);
      EXPECT_EQ(S.Msgs.ErrorCount(), Refused ? 1 : 0);
      if (Refused) {
        EXPECT_EQ(S.Msgs.GetItem(0)->MessageText(),
                  "This indicator needs access to distribution data (see: instruction "
                  "distributionData).");
      }
    }
  }
}

// A section with titles a (code 1) and b (code 2) and the indicators given.
TSwPressSection TwoTitles(std::vector<TSwIndicator> Inds) {
  TSwPressSection P;
  P.Hook = "media";
  P.Root.Objects = {Title("a", "Alpha", 1, "mon:fri"), Title("b", "Beta", 2, "sun")};
  P.HasIndicators = true;
  P.Indicators = std::move(Inds);
  return P;
}

TEST(PressIndicators, SharedColumnsComeFromTheMaskInSortedOrder) {
  TMediaSurvey S(3, {"tom_2", "tom_1", "other"});
  TSwIndicator Tom = Ind("tom", "Top of mind");
  Tom.ColumnMask = "tom_*";
  TSwIndicator Spo = Ind("spo", "Spontaneous");
  Spo.ColumnMask = "spo_*";
  S.Read(PressSectionText(TwoTitles({Tom, Spo})));
  EXPECT_EQ(S.Messages(), TMsgs{"TMerError_ColNotFoundInAll@31:5"});
  EXPECT_EQ(S.Msgs.GetItem(0)->MessageText(), "Column \"spo_*\" not found.");
  TGimPressIndList& L = S.Survey->PressDef()->PressIndicators();
  auto* T = As<TGimPressInd>(L.FindByID("tom"));
  ASSERT_TRUE(T->Columns);
  ASSERT_EQ(T->Columns->Count(), 2);
  EXPECT_EQ(T->Columns->GetItem(0)->Name, "tom_1");
  EXPECT_EQ(T->Columns->GetItem(1)->Name, "tom_2");
  EXPECT_EQ(As<TGimPressInd>(L.FindByID("spo"))->Columns->Count(), 0);
}

TEST(PressIndicators, ColumnKeysAndMissingColumns) {
  TMediaSurvey S(3, {"x1", "x2"});
  TSwIndicator Tom = Ind("tom", "TOM");
  Tom.Column = "x1";
  TSwIndicator Spo = Ind("spo", "SPO");
  Spo.ColumnList = {"x2", "gone", "x1"};
  TSwIndicator Awa = Ind("awa", "AWA");
  Awa.ColumnPrefix = "awa_";
  Awa.IndependentColumns = 1;
  S.Read(PressSectionText(TwoTitles({Tom, Spo, Awa})));
  // The missing column of the list where it stands; the independent columns of both titles
  // after the section.
  EXPECT_EQ(S.Messages(),
            (TMsgs{"TMerError_ColNotFoundInAll@28:33", "TMerError_ColNotFoundInAll@37:5",
                   "TMerError_ColNotFoundInAll@37:5"}));
  EXPECT_EQ(S.Msgs.GetItem(2)->MessageText(), "Column \"awa_b\" not found.");
  TGimPressIndList& L = S.Survey->PressDef()->PressIndicators();
  auto* Spoi = As<TGimPressInd>(L.FindByID("spo"));
  ASSERT_EQ(Spoi->Columns->Count(), 2);
  EXPECT_EQ(Spoi->Columns->GetItem(1)->Name, "x1");
  EXPECT_EQ(As<TGimPressInd>(L.FindByID("awa"))->ColumnMask, "awa_*");
}

TEST(PressIndicators, NumericCodesGiveParameterCodes) {
  TMediaSurvey S;
  TSwIndicator Fd = Ind("fd", "FD");
  Fd.Numeric = "0:20";
  TSwIndicator Nir = Ind("nir", "NIR");
  Nir.Numeric = "1, 3:5";
  S.Read(PressSectionText(TwoTitles({Fd, Nir})));
  TGimPressIndList& L = S.Survey->PressDef()->PressIndicators();
  EXPECT_EQ(CodeListAsUSAString(*As<TGimPressInd>(L.FindByID("fd"))->ParCodes), "0 : 100");
  EXPECT_EQ(CodeListAsUSAString(*As<TGimPressInd>(L.FindByID("nir"))->ParCodes), "1, 3 : 5");
}

TEST(PressQuestions, OneQuestionPerIndicatorWithOneResponsePerTitle) {
  // Respondents' "tom" answers: the code of the title they named first.
  TMediaSurvey S(5, {});
  S.Resp->Columns["tom"] = {1, 2, 2, 0, 1};
  TSwIndicator Tom = Ind("tom", "Top of mind");
  Tom.Column = "tom";
  S.Read(PressSectionText(TwoTitles({Tom})));
  EXPECT_EQ(S.Messages(), TMsgs{});
  auto* Q = S.Find<TGimQuestion>("press.tom");
  ASSERT_TRUE(Q);
  EXPECT_EQ(Q->Owner, S.Find<TGimModule>("media"));
  EXPECT_EQ(Q->GetName(), "Top of mind");
  ASSERT_EQ(Q->Responses->Count(), 2);
  TGimResponse* B = Q->Responses->GetItem(1);
  EXPECT_EQ(B->ID, "press.tom.b");
  EXPECT_EQ(B->GetName(), "Beta");
  // Who named Beta: the records whose "tom" value is Beta's code 2.
  std::vector<uint8_t> Selected, Missing;
  Q->EvaluateResponses({B}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{0, 1, 1, 0, 0}));
}

TEST(PressQuestions, IndependentColumnsGiveEachTitleItsColumn) {
  TMediaSurvey S(4, {});
  S.Resp->Columns["rr_a"] = {1, 0, 1, 1};
  TSwIndicator Rr = Ind("rr", "Regular readers");
  Rr.ColumnPrefix = "rr_";
  Rr.IndependentColumns = 1;
  S.Read(PressSectionText(TwoTitles({Rr})));
  // b has no column: reported once after the section, and its response has none.
  EXPECT_EQ(S.Messages(), TMsgs{"TMerError_ColNotFoundInAll@27:5"});
  auto* Q = S.Find<TGimQuestion>("press.rr");
  ASSERT_TRUE(Q);
  TGimResponse* A = Q->Responses->GetItem(0);
  ASSERT_TRUE(A->HasColumns());
  EXPECT_EQ(A->Columns->GetItem(0)->Name, "rr_a");
  EXPECT_FALSE(Q->Responses->GetItem(1)->HasColumns());
  std::vector<uint8_t> Selected, Missing;
  Q->EvaluateResponses({A}, Selected, Missing, S.Resp);
  EXPECT_EQ(Selected, (std::vector<uint8_t>{1, 0, 1, 1}));
}

TEST(PressQuestions, ResponseListsMirrorThePressTreeAndDropEmptyModules) {
  // Reading by weekday: Alpha appears Monday to Friday, Beta (in its own module) on Sundays.
  TMediaSurvey S(2, {"rdw_mon_a", "rdw_sat_a", "rdw_mon_b", "rdw_sat_b"});
  TSwPressSection P;
  P.Hook = "media";
  P.Root.Modules = {{"weekend", "Weekend", {}, {Title("b", "Beta", 2, "sun")}}};
  P.Root.Objects = {Title("a", "Alpha", 1, "mon:fri")};
  TSwIndicator Rdw = Ind("rdw", "Reading by weekday");
  Rdw.ResponseList =
      "code = 1;\r\n"
      "def response id = mon; name = \"Monday\"; columnMask = \"rdw_mon_*\"; end;\r\n"
      "def response id = sat; name = \"Saturday\"; columnMask = \"rdw_sat_*\"; end;";
  P.HasIndicators = true;
  P.Indicators = {Rdw};
  S.Read(PressSectionText(P));
  EXPECT_EQ(S.Messages(), TMsgs{});
  auto* Media = S.Find<TGimModule>("media");
  ASSERT_EQ(Media->ChildCount(), 1);
  auto* IndModule = As<TGimModule>(Media->Child(0));
  ASSERT_TRUE(IndModule);
  EXPECT_EQ(IndModule->GetName(), "Reading by weekday");
  // Only Alpha's question: Beta appears on neither day, so its module is left out.
  ASSERT_EQ(IndModule->ChildCount(), 1);
  auto* Q = As<TGimQuestion>(IndModule->Child(0));
  ASSERT_TRUE(Q);
  EXPECT_EQ(Q->ID, "press.rdw.a");
  EXPECT_TRUE(Q->NameWithOwners);
  EXPECT_EQ(Q->GetFullName(), "Reading by weekday > Alpha");
  ASSERT_EQ(Q->Responses->Count(), 1);
  EXPECT_EQ(Q->Responses->GetItem(0)->ID, "mon");
  EXPECT_EQ(Q->Responses->GetItem(0)->Columns->GetItem(0)->Name, "rdw_mon_a");
}

// Shared columns need groups of responses: a plain response at that level cannot be given
// the title's column, and the survey does not load.
TEST(PressQuestions, PlainResponsesWithSharedColumnsFailTheSurvey) {
  TMediaSurvey S(2, {"tom_a", "tom_b"});
  TSwIndicator Tom = Ind("tom", "TOM");
  Tom.ColumnPrefix = "tom_";
  Tom.IndependentColumns = 0;
  Tom.ResponseList = "def response id = y; name = \"Yes\"; code = 1; end;";
  S.Read(PressSectionText(TwoTitles({Tom})));
  ASSERT_EQ(S.Msgs.ErrorCount(), 1);
  EXPECT_TRUE(S.Msgs.GetItem(0)->IsClass(TGimError_IndResponseListExpected));
  EXPECT_EQ(S.Find<TGimQuestion>("press.tom.a"), nullptr);
}

}  // namespace
}  // namespace quin
