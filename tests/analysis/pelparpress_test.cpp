// The press parameters: titles with weekday items and the sub-total item, the indicator
// selections with their parameters, and both read back from the files they write.
#include "analysis/pelparpress.h"

#include <gtest/gtest.h>

#include "base/random.h"
#include "deflang/rixcodes.h"
#include "deflang/rixscanner.h"
#include "par_fixture.h"
#include "surveykit/gimpress.h"
#include "surveykit/gimpressinds.h"
#include "tools/surveywriter/mediawriter.h"

namespace quin {
namespace {

using namespace quin::test;

TSwMediaObject Title(const std::string& ID, const std::string& Name, double Code,
                     const std::string& Days) {
  TSwMediaObject T;
  T.ID = ID;
  T.Name = Name;
  T.HasCode = true;
  T.Code = Code;
  T.Days = Days;
  return T;
}

TSwIndicator Ind(const std::string& ID, const std::string& Nick, const std::string& Numeric = "") {
  TSwIndicator I;
  I.ID = ID;
  I.Name = ID + " name";
  I.Nick = Nick;
  I.Column = "sex";
  I.IndependentColumns = 0;
  I.Numeric = Numeric;
  return I;
}

// Titles A (Monday to Friday), B (Saturday) and C (no days); the indicators "reach", "ar"
// (counts days) and "nir" (numeric parameter codes).
TParSurveyOptions PressOptions() {
  TSwPressSection P;
  P.Root.Objects = {Title("a", "Alpha", 1, "mon:fri"), Title("b", "Beta", 2, "sat"),
                    Title("c", "Gamma", 3, "")};
  P.HasIndicators = true;
  TSwIndicator Rdw = Ind("rdw", "RDW");
  Rdw.Column.clear();
  Rdw.IndependentColumns = -1;
  Rdw.ResponseList =
      "code = 1;\r\n"
      "def response id = mon; name = \"Monday\"; nick = \"Mo\"; columnMask = \"rdm_*\"; end;\r\n"
      "def response id = sat; name = \"Saturday\"; nick = \"Sa\"; columnMask = \"rds_*\"; end;";
  P.Indicators = {Ind("reach", "Rch"), Ind("ar", ""), Ind("nir", "NIR", "1:5"), Rdw};
  TParSurveyOptions O;
  O.Sections = PressSectionText(P);
  return O;
}

// The parameter survey with the columns of the reading-by-weekday responses per title.
struct TPressSurvey {
  TEnglishSession English;
  TOpened<> Opened;
  TPelSurvey& S;
  static std::string Bytes() {
    TSwSurveyRecset Resp{"resp", {}};
    for (int W = 0; W < 5; ++W) {
      std::vector<std::pair<std::string, std::vector<double>>> Cols{
          {"sex", {1, 2}}, {"age", {20, 30}}, {"freq_tv", {1, 2}}, {"freq_radio", {2, 1}}};
      for (const char* C : {"rdm_a", "rdm_b", "rdm_c", "rds_a", "rds_b", "rds_c"})
        Cols.push_back({C, {0, 1}});
      Resp.Waves.push_back(Wave(Cols));
    }
    return SurveyFileBytes(ParDefinition(PressOptions()), {Resp});
  }
  TPressSurvey() : Opened(Bytes()), S(*Opened.Survey) {}
};

class ParPress : public testing::Test {
 protected:
  TPressSurvey P;
  TOrvMsgList Msgs{100, 100};

  template <class T>
  std::unique_ptr<T> Read(const std::string& SubParBody) {
    auto Par = New<T>(&P.S);
    auto S = New<TRixScanner>("def subpar " + SubParBody + " end; end;", &Msgs);
    S->NextToken();
    Par->ReadBody(*S, &P.S);
    return Par;
  }
  TGimPressTitle* T(const std::string& ID) {
    return As<TGimPressTitle>(
        P.S.PressDef()->RootModule->FindObject(TGimPressTitle::StaticClass(), ID));
  }
  static std::vector<std::pair<std::string, uint8_t>> Recs(const TPelResPressTitles* E) {
    std::vector<std::pair<std::string, uint8_t>> R;
    for (const TPelTitleDayRec& Rec : E->Titles)
      R.emplace_back(Rec.Title->GetID(), Rec.Mask.Bits());
    return R;
  }
};

constexpr uint8_t MonFri = 0x1F, Sat = 0x20;

TEST_F(ParPress, TitleItemsPerWeekday) {
  TMadeElems Made;
  auto Par = Read<TPelParPressTitles>("list = a, b, c, zz;");
  auto& Sub = static_cast<TPelSubParPressTitles&>(*Par->SubPar(0));
  ASSERT_EQ(Sub.ElemCount(), 3);  // an unknown title is passed over
  EXPECT_EQ(Sub.GetItemCount(false), 3);
  EXPECT_EQ(Sub.GetItemCount(true), 8);  // 1 + 5, then B on Saturday, then C
  const std::vector<std::string> Labels{"Alpha",       "Alpha (Mon)", "Alpha (Tue)", "Alpha (Wed)",
                                        "Alpha (Thu)", "Alpha (Fri)", "Beta (Sat)",  "Gamma"};
  for (int I = 0; I < 8; ++I) EXPECT_EQ(Sub.GetItemLabel(I, true), Labels[size_t(I)]) << I;
  EXPECT_EQ(Sub.GetItemLabel(8, true), "");
  EXPECT_EQ(Sub.GetItemLabel(1, false), "Beta");
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Sub.CreateItemElem(1, true))),
            (decltype(Recs(nullptr)){{"a", 0x01}}));
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Sub.CreateItemElem(0, true))),
            (decltype(Recs(nullptr)){{"a", 0}}));
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Sub.CreateResElem())),
            (decltype(Recs(nullptr)){{"a", 0}, {"b", 0}, {"c", 0}}));
  EXPECT_EQ(Sub.GetName(), "Selected titles [3]");
  EXPECT_EQ(Sub.GetListText(false), "Alpha, Beta, Gamma");
  EXPECT_TRUE(Sub.IsSimple());
}

TEST_F(ParPress, ARestrictionNarrowsTheEffectiveDays) {
  TMadeElems Made;
  auto Par = Read<TPelParPressTitles>("list = a, b; days = sat, sun;");
  auto& Sub = static_cast<TPelSubParPressTitles&>(*Par->SubPar(0));
  EXPECT_FALSE(Sub.IsSimple());
  // A keeps no day: only its title item; B keeps Saturday: only its day item.
  EXPECT_EQ(Sub.GetItemCount(true), 2);
  EXPECT_EQ(Sub.GetItemLabel(0, true), "Alpha");
  EXPECT_EQ(Sub.GetItemLabel(1, true), "Beta (Sat)");
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Sub.CreateItemElem(1, false))),
            (decltype(Recs(nullptr)){{"b", 0x60}}));
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Sub.CreateResElem())),
            (decltype(Recs(nullptr)){{"a", 0}, {"b", Sat}}));
  auto One = Read<TPelParPressTitles>("list = b; days = mon:wed, sat;");
  EXPECT_EQ(One->SubPar(0)->GetName(), "Beta (Mon:Wed, Sat)");
}

TEST_F(ParPress, SubTotalItemLeadsAndJoinsTheTitles) {
  TMadeElems Made;
  auto Par = Read<TPelParPressTitles>("list = a, b; grouped = 0;");
  auto S2 = New<TPelSubParPressTitles>(&P.S, Par.get());
  S2->Elems->Add(std::make_unique<TPelSubElemPressTitle>(T("a")));
  S2->Days = {dMon, dSat};
  Par->AddSubPar(std::move(S2));
  Par->SubPar(1)->Hidden = true;
  Par->SubTotal = true;
  // Sub-total, the two titles' total, A with its five days, B on Saturday.
  EXPECT_EQ(Par->GetItemCount(), 9);
  EXPECT_EQ(Par->GetLabel(0), "Sub-total");
  EXPECT_EQ(Par->GetLabel(2), "Alpha");
  EXPECT_EQ(Par->GetDims(true, false, false).X, 3);
  EXPECT_EQ(Par->GetLabelAt({0, 0}, true, false, false, false, false), "Sub-total");
  EXPECT_EQ(Par->GetLabelAt({1, 0}, true, false, false, false, false), "Alpha");
  // Every title once, with the union of its effective days over the sub-parameters.
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Par->CreateResElem(0))),
            (decltype(Recs(nullptr)){{"a", MonFri}, {"b", Sat}}));
  EXPECT_EQ(Recs(Made.As<TPelResPressTitles>(Par->CreateResElemAt({0, 0}, true, false, false))),
            (decltype(Recs(nullptr)){{"a", MonFri}, {"b", Sat}}));
  Par->SubTotal = false;
  EXPECT_EQ(Par->GetItemCount(), 8);
  EXPECT_EQ(Par->GetLabel(1), "Alpha");
  EXPECT_EQ(Par->GetLabelAt({0, 0}, true, false, false, false, false), "Alpha");
}

TEST_F(ParPress, TitlesFileRoundTripAndTheOldTotalKey) {
  auto F = ReadParFile(P.S, ParFileHead() +
                                "def pressTitles total = 1;\r\n"
                                "  def subpar list = A, b; days = mon:wed, sat; end;\r\n"
                                "end;\r\n");
  ASSERT_EQ(F->Elems.Count(), 1);
  auto* Par = As<TPelParPressTitles>(F->Elems[0]->Obj.get());
  ASSERT_TRUE(Par);
  EXPECT_TRUE(Par->SubTotal);
  EXPECT_FALSE(Par->Total);
  const std::string Text = FileText(*F);
  EXPECT_NE(Text.find("list = a, b;"), std::string::npos) << Text;
  EXPECT_NE(Text.find("days = mon:wed, sat;"), std::string::npos) << Text;
  auto Again = ReadParFile(P.S, Text);
  EXPECT_EQ(FileText(*Again), Text);
  auto* Back = As<TPelParPressTitles>(Again->Elems[0]->Obj.get());
  ASSERT_TRUE(Back);
  EXPECT_EQ(static_cast<TPelSubParPressTitles*>(Back->SubPar(0))->Days,
            (TOrvDaySet{dMon, dTue, dWed, dSat}));
  EXPECT_EQ(Back->GetDefaultName(), "Titles");
  EXPECT_EQ(Back->GetSelectionCaption(), "Selected titles");
  EXPECT_EQ(Back->Media(), P.S.PressDef());
}

TEST_F(ParPress, CollectionsOverAParameterList) {
  TPelParList L(&P.S);
  L.AddPar(Read<TPelParPressTitles>("list = a, c; days = mon, tue; grouped = 1;"));
  L.AddPar(Read<TPelParPressTitles>("list = b, a;"));
  std::vector<TGimPressTitle*> Titles;
  std::vector<TPelSubParPressTitles*> Grouped;
  CollectAllPressTitles(L, Titles, Grouped, false);
  EXPECT_EQ(Titles, (std::vector<TGimPressTitle*>{T("a"), T("c"), T("b")}));
  const std::vector<TOrvDaySet> Masks = CollectAllPressTitleDays(L, Titles);
  ASSERT_EQ(Masks.size(), 3u);
  EXPECT_EQ(Masks[0].Bits(), MonFri);
  EXPECT_EQ(Masks[1].Bits(), 0);
  EXPECT_EQ(Masks[2].Bits(), Sat);
  CollectAllPressTitles(L, Titles, Grouped, true);
  EXPECT_TRUE(Titles.empty());
  ASSERT_EQ(Grouped.size(), 1u);
  EXPECT_EQ(Grouped[0],
            L.GetItem(0) ? static_cast<TPelParMulti*>(L.GetItem(0))->SubPar(0) : nullptr);
}

TEST_F(ParPress, IndicatorElementsAndTheirLabels) {
  TMadeElems Made;
  auto Par = Read<TPelParPressInds>(
      "def ind id = reach; end; def ind id = nir; parameters = 2, 4:5; end; "
      "list = AR;");
  auto& Sub = static_cast<TPelSubParPressInds&>(*Par->SubPar(0));
  ASSERT_EQ(Sub.ElemCount(), 3);
  // "reach" takes its default parameter code 1.
  ASSERT_TRUE(Sub.Elem(0)->Codes);
  EXPECT_EQ(CodeListAsUSAString(*Sub.Elem(0)->Codes), "1");
  EXPECT_EQ(Sub.GetItemLabel(1, true), "NIR [2, 4 : 5]");
  EXPECT_EQ(Sub.GetItemLabelDefault(1), "NIR - nir name [2, 4 : 5]");
  EXPECT_EQ(Sub.GetItemLabel(2, true), "ar name");
  EXPECT_EQ(Sub.GetName(), "Selected indicators");
  auto* E = Made.As<TPelResPressInd>(Sub.CreateItemElem(1, true));
  EXPECT_EQ(E->Sub, Sub.Elem(1));
  EXPECT_FALSE(E->OwnsSub);
  auto Copy = OwnedAs<TPelResPressInd>(TPelResPressInd::CreateFromElem(&P.S, E));
  ASSERT_TRUE(Copy && Copy->OwnsSub);
  EXPECT_NE(Copy->Sub, E->Sub);
  EXPECT_EQ(Copy->Sub->Ind, E->Sub->Ind);
  auto Copy2 = OwnedAs<TPelResPressInd>(Copy->CreateCopy());
  EXPECT_TRUE(Copy2->OwnsSub);
  EXPECT_NE(Copy2->Sub, Copy->Sub);

  EXPECT_TRUE(Par->SingleSubPar());
  EXPECT_FALSE(Par->HasSubParTotals());
  EXPECT_FALSE(Par->FiltersCases());
  EXPECT_EQ(Par->GetItemCount(), 3);
  EXPECT_FALSE(Par->UsesDays(1));
  EXPECT_TRUE(Par->UsesDays(2));
  EXPECT_TRUE(Par->UsesDays(-1));
  TPelParList L(&P.S);
  EXPECT_FALSE(Par->IsApplicable(&L));
  L.AddPar(New<TPelParPressTitles>(&P.S));
  EXPECT_TRUE(Par->IsApplicable(&L));
}

TEST_F(ParPress, IndicatorBlockProblemsAreReported) {
  auto Par = Read<TPelParPressInds>(
      "def ind id = gone; parameters = 1; end; "
      "def ind id = nir; colour = 3; end;");
  auto& Sub = static_cast<TPelSubParPressInds&>(*Par->SubPar(0));
  ASSERT_EQ(Sub.ElemCount(), 2);
  EXPECT_EQ(Sub.Elem(0)->Ind, nullptr);
  EXPECT_FALSE(Sub.Elem(0)->Codes);
  EXPECT_NE(Sub.Elem(1)->Ind, nullptr);
  ASSERT_EQ(Msgs.Count(), 2);
  for (int I = 0; I < Msgs.Count(); ++I)
    EXPECT_EQ(Msgs.GetItem(I)->MsgClass, &TRixMsgError_UnknownKey);
}

TEST_F(ParPress, ResponsesChosenForAnIndicatorWithAResponseList) {
  auto Par = Read<TPelParPressInds>("def ind id = rdw; parameters = SAT, tue, mon; end;");
  auto& Sub = static_cast<TPelSubParPressInds&>(*Par->SubPar(0));
  ASSERT_EQ(Sub.ElemCount(), 1);
  ASSERT_TRUE(Sub.Elem(0)->Resp);
  EXPECT_EQ(Sub.Elem(0)->Resp->Count(), 2);  // an identifier the list lacks is passed over
  EXPECT_EQ(Sub.GetItemLabel(0, true), "RDW [Sa, Mo]");
  const std::string Out = Written([&](TStream& S) {
    int Indent = 0;
    Sub.Elem(0)->WriteBlock(S, Indent);
  });
  EXPECT_EQ(Out, "def ind\r\n  id = rdw;\r\n  parameters = sat, mon;\r\nend;\r\n");
}

TEST_F(ParPress, IndicatorsFileRoundTrip) {
  const std::string Text = ParFileHead() +
                           "def pressInds\r\n"
                           "  def subpar\r\n"
                           "    def ind\r\n"
                           "      id = nir;\r\n"
                           "      parameters = 1, 3:4;\r\n"
                           "    end;\r\n"
                           "    def ind\r\n"
                           "      id = reach;\r\n"
                           "    end;\r\n"
                           "  end;\r\n"
                           "end;\r\n";
  auto F = ReadParFile(P.S, Text);
  ASSERT_EQ(F->Elems.Count(), 1);
  auto* Par = As<TPelParPressInds>(F->Elems[0]->Obj.get());
  ASSERT_TRUE(Par);
  const std::string Out = FileText(*F);
  EXPECT_NE(Out.find("parameters = 1, 3 : 4;"), std::string::npos) << Out;
  auto Again = ReadParFile(P.S, Out);
  EXPECT_EQ(FileText(*Again), Out);
  EXPECT_EQ(Par->GetDefaultName(), "Indicators");
  EXPECT_EQ(Par->GetSelectionCaption(), "Selected indicator");
}

TEST_F(ParPress, RandomSelectionsStayWithinTheSurvey) {
  TOrvRandGen& Gen = DefaultRandGen();
  for (int K = 0; K < 20; ++K) {
    auto Titles = New<TPelParPressTitles>(&P.S);
    Titles->Randomize(Gen);
    ASSERT_GE(Titles->SubParCount(), 1);
    for (int S = 0; S < Titles->SubParCount(); ++S) EXPECT_GE(Titles->SubPar(S)->ElemCount(), 1);
    auto Inds = New<TPelParPressInds>(&P.S);
    Inds->Randomize(Gen);
    ASSERT_EQ(Inds->SubParCount(), 1);
    const int N = Inds->SubPar(0)->ElemCount();
    EXPECT_GE(N, 1);
    EXPECT_LE(N, 10);
  }
}

}  // namespace
}  // namespace quin
