// The general result elements: their registry order, data-info keys and messages, the case
// selections of waves, responses and values, and the grid-question filters; and the matching
// of data infos against cell elements.
#include "analysis/pelresgeneral.h"

#include <gtest/gtest.h>

#include "analysis/peldatainfo.h"
#include "analysis/pelgridfilter.h"
#include "analysis/pelparbase.h"
#include "analysis/pelparquestions.h"
#include "analysis/pelresgroup.h"
#include "group_fixture.h"
#include "par_fixture.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using namespace quin::test;

class ResGeneral : public testing::Test {
 protected:
  TGroupSurvey G;
  TGimStat* Stat(const char* ID) { return G.S.Info->StatCatalogue.FindByID(ID); }
  std::unique_ptr<TPelResVarVal> VarVal(const char* Q, const char* R) {
    return std::make_unique<TPelResVarVal>(&G.S, G.R(Q, R), nullptr, G.Q(Q), 0, nullptr);
  }
  // The element's selection evaluated on the respondents.
  std::string Selects(TPelResElem& E) {
    TTestCell Cell(G.S);
    E.SetRes(&Cell);
    if (!E.GetGroup()) return "no group";
    return FlagText(E.Selected.at(0));
  }
  TPelTableDataInfo ReadDataInfo(const std::string& Body) {
    TPelTableDataInfo D;
    D.ReadBody(&G.S, *G.Scan(Body));
    return D;
  }
  static std::string Text(const TPelTableDataInfo& D) {
    return Written([&](TStream& S) {
      int Indent = 0;
      D.WriteToStream(S, Indent);
    });
  }
};

TEST_F(ResGeneral, GeneralClassesAreRegisteredFirstInTheirOrder) {
  const std::vector<const TPelResElemClass*> R = RegisteredResClasses();
  const std::vector<std::string> Names{"Group", "Stat", "Question", "QuestionCode",
                                       "Waves", "Base", "Margins"};
  ASSERT_GE(R.size(), Names.size());
  for (size_t I = 0; I < Names.size(); ++I) EXPECT_EQ(R[I]->Outfix(), Names[I]);
  EXPECT_EQ(FindResClassByBlockName("DATAINFOQUESTION"), &ResElemClassOf<TPelResVarVal>());
  EXPECT_EQ(FindResClassByBlockName("chartDataQuestion"), &ResElemClassOf<TPelResVarVal>());
  EXPECT_EQ(FindResClassByBlockName("chartDataQuestionCode"), &ResElemClassOf<TPelResVarValCode>());
}

TEST_F(ResGeneral, EveryKindWritesAndReadsItsKeys) {
  const std::string Text0 =
      "def dataInfo\r\n"
      "  def dataInfoGroup\r\n"
      "    group = sex = female or edu = low;\r\n"
      "  end;\r\n"
      "  def dataInfoStat\r\n"
      "    stat = pctCol;\r\n"
      "  end;\r\n"
      "  def dataInfoQuestion\r\n"
      "    question = sex;\r\n"
      "    response = female;\r\n"
      "  end;\r\n"
      "  def dataInfoQuestionCode\r\n"
      "    question = age;\r\n"
      "    response = years;\r\n"
      "    code = $000000000000F03F;\r\n"
      "  end;\r\n"
      "  def dataInfoWaves\r\n"
      "    waveList = w2, w1;\r\n"
      "  end;\r\n"
      "  def dataInfoBase\r\n"
      "    base = baseW;\r\n"
      "  end;\r\n"
      "  def dataInfoMargins\r\n"
      "  end;\r\n"
      "end;\r\n";
  auto S = G.Scan(Text0);
  ASSERT_TRUE(S->ReadDefComplexStart("dataInfo"));
  TPelTableDataInfo D;
  D.ReadBody(&G.S, *S);
  EXPECT_EQ(G.Msgs.Count(), 0);
  ASSERT_EQ(D.Elems.Count(), 7);
  EXPECT_EQ(Text(D), Text0);
  const auto* Code = As<TPelResVarValCode>(D.Elems.GetItem(3));
  ASSERT_NE(Code, nullptr);
  EXPECT_EQ(Code->Code, 1.0);
  EXPECT_EQ(Code->Response, G.R("age", "years"));
  EXPECT_EQ(As<TPelResBase>(D.Elems.GetItem(5))->Kind, 2);
  EXPECT_EQ(As<TPelResWaves>(D.Elems.GetItem(4))->Waves->GetItem(0), G.S.Waves->GetItem(1));
  // A copy compares equal, kind by kind.
  const TPelTableDataInfo C(D);
  for (int I = 0; I < 7; ++I)
    EXPECT_TRUE(C.Elems.GetItem(I)->TableDataInfo_ComparePrivate(D.Elems.GetItem(I))) << I;
}

TEST_F(ResGeneral, UnknownValuesAreReportedAndPassedOver) {
  struct TCase {
    const char* Body;
    const TOrvMsgClass* Msg;
  } Cases[] = {
      {"def dataInfoQuestion question = nosuch; end;", &TMerRepInfo_QuestionNotFound},
      {"def dataInfoQuestion question = sex; response = other; end;",
       &TMerRepInfo_ResponseNotFound},
      {"def dataInfoStat stat = nosuch; end;", &TMerRepInfo_StatisticNotFound},
      {"def dataInfoWaves waveList = w1, w9; end;", &TMerRepInfo_WaveNotFound},
      {"def dataInfoBase base = total; end;", &TPelErrorUnknownBaseOpt},
      // Binary data of another length than a double's.
      {"def dataInfoQuestionCode code = $0000F03F; end;", &TRixMsgError_BinDataExpected},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Body);
    G.Msgs.Clear();
    TPelTableDataInfo D = ReadDataInfo(std::string(C.Body) + " end;");
    ASSERT_EQ(D.Elems.Count(), 1);
    ASSERT_EQ(G.Msgs.Count(), 1);
    EXPECT_TRUE(G.Msgs.GetItem(0)->IsClass(*C.Msg));
  }
  TPelTableDataInfo W = ReadDataInfo("def dataInfoWaves waveList = w1, w9; end; end;");
  EXPECT_EQ(As<TPelResWaves>(W.Elems.GetItem(0))->Waves->Count(), 1);
  TPelTableDataInfo B = ReadDataInfo("def dataInfoBase base = total; end; end;");
  EXPECT_EQ(As<TPelResBase>(B.Elems.GetItem(0))->Kind, 0);
}

TEST_F(ResGeneral, WavesResponsesAndValuesSelectTheirRecords) {
  TPelResWaves W(&G.S, {G.S.Waves->GetItem(1)}, 0, nullptr);
  EXPECT_EQ(Selects(W), "000111");
  EXPECT_TRUE(W.RestrictsBase());
  EXPECT_TRUE(W.HasEnoughWaves());
  G.S.Waves->MinSelCount = 2;
  EXPECT_FALSE(W.HasEnoughWaves());

  std::unique_ptr<TPelResVarVal> Female = VarVal("sex", "female");
  EXPECT_EQ(Selects(*Female), "010010");
  TPelResVarValCode Age(&G.S, true, 30, G.R("age", "years"), nullptr, G.Q("age"), 0, nullptr);
  EXPECT_EQ(Selects(Age), "010000");
  // A grid response builds no group of its own.
  TGimResponseAxis Axis;
  TPelResVarVal OnAxis(&G.S, G.R("sex", "male"), &Axis, G.Q("sex"), 0, nullptr);
  EXPECT_EQ(Selects(OnAxis), "no group");

  EXPECT_TRUE(Female->IsSameKind(VarVal("sex", "male").get()));
  EXPECT_FALSE(Female->IsSameKind(VarVal("edu", "low").get()));
  EXPECT_FALSE(Female->UsesOtherRecset(G.S.Recset(0)));
  EXPECT_EQ(TPelResVarVal::AsNumericResponse(&Age), &Age);
  G.R("sex", "female")->Attributes = GimAttrEstIndependent | GimAttrSubstStats;
  EXPECT_TRUE(Female->RestrictsBase());
  EXPECT_TRUE(Female->AsksMeans());
  EXPECT_FALSE(VarVal("sex", "male")->RestrictsBase());
}

TEST_F(ResGeneral, StatisticsTurnToTheirMirrorKind) {
  TPelResStat S(&G.S, Stat("pctRow"), 0, nullptr);
  S.Refresh();
  EXPECT_EQ(S.Stat, Stat("pctCol"));
  TPelResStat Count(&G.S, Stat("cntA"), 0, nullptr);
  Count.Refresh();
  EXPECT_EQ(Count.Stat, Stat("cntA"));
  TPelResMargins M(&G.S);
  EXPECT_TRUE(M.TableDataInfo_ComparePrivate(std::make_unique<TPelResMargins>(nullptr).get()));
  EXPECT_FALSE(M.TableDataInfo_ComparePrivate(&S));
  TPelResVar Title(&G.S, nullptr, G.Q("sex"), 0, nullptr);
  EXPECT_TRUE(Title.IsHeaderOnly());
  EXPECT_FALSE(Title.IsSameKind(&Title));
  EXPECT_EQ(Title.GetBlockName(false), "dataInfoResElem");
}

class DataInfoMatch : public ResGeneral {
 protected:
  TPelResElemList Cell{true};
  TPelResElem* Add(std::unique_ptr<TPelResElem> E) { return Cell.Add(std::move(E)); }
};

TEST_F(DataInfoMatch, ElementsMatchInAnyOrderByKind) {
  TPelResElemList Address;
  Address.Add(VarVal("sex", "female"));
  Address.Add(std::make_unique<TPelResStat>(&G.S, Stat("pctCol"), 0, nullptr));
  std::unique_ptr<TPelTableDataInfo> D = TPelTableDataInfo::CreateFromElems(Address);

  Add(std::make_unique<TPelResStat>(&G.S, Stat("pctCol"), 0, nullptr));
  TPelResElem* Female = Add(VarVal("sex", "female"));
  TPelResElemList Refs(true);
  for (int I = 0; I < Cell.Count(); ++I)
    Refs.Add(std::make_unique<TPelResElemRef>(Cell.GetItem(I)));
  int Count = -1;
  EXPECT_TRUE(D->MatchesElems(Refs, Count, false));
  EXPECT_EQ(Count, 2);
  static_cast<TPelResVarVal*>(Female)->Response = G.R("sex", "male");
  EXPECT_FALSE(D->MatchesElems(Refs, Count, false));

  // Empty lists match each other only.
  TPelTableDataInfo None;
  const TPelResElemList NoElems;
  EXPECT_TRUE(None.MatchesElems(NoElems, Count, false));
  EXPECT_FALSE(None.MatchesElems(Refs, Count, false));
  EXPECT_FALSE(D->MatchesElems(NoElems, Count, false));
}

TEST_F(DataInfoMatch, TwoElementsOfOneKindMatchInTheirOrderAndMapToPositions) {
  TPelResElemList Address;
  Address.Add(VarVal("sex", "female"));
  Address.Add(VarVal("edu", "high"));
  std::unique_ptr<TPelTableDataInfo> D = TPelTableDataInfo::CreateFromElems(Address);
  Add(std::make_unique<TPelResStat>(&G.S, Stat("cntA"), 0, nullptr));
  Add(VarVal("sex", "female"));
  Add(VarVal("edu", "high"));
  int Count = 0;
  EXPECT_TRUE(D->MatchesElems(Cell, Count, false));
  EXPECT_EQ(Count, 2);
  std::vector<int> Positions;
  EXPECT_TRUE(D->MapElemPositions(Cell, Positions, Count));
  EXPECT_EQ(Positions, (std::vector<int>{1, 2}));
  EXPECT_TRUE(D->MatchesElemsAt(Cell, Positions, Count));
  EXPECT_EQ(Count, 2);
  // The second cell element no longer matches: the order decides.
  static_cast<TPelResVarVal*>(Cell.GetItem(2))->Response = G.R("edu", "low");
  EXPECT_FALSE(D->MatchesElems(Cell, Count, false));
  EXPECT_FALSE(D->MapElemPositions(Cell, Positions, Count));
  EXPECT_EQ(Positions, (std::vector<int>{-1, -1}));
  EXPECT_FALSE(D->MatchesElemsAt(Cell, {1, 2}, Count));
  EXPECT_EQ(Count, 1);
}

// A grid question of an item axis (a, b, c: columns g_a, g_b, g_c) and a rating axis (r1..r4:
// codes 1..4). Four respondents:
//   g_a: 1, 4, 2, -    g_b: 4, 4, 1, 3    g_c: 2, 3, -, 4
class GridFilter : public testing::Test {
 protected:
  TEnglishSession English;
  TOpened<> Opened{SurveyFileBytes(
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"S\"; wizards = table1d; end;\r\n"
      "def recordset id = resp; name = \"R\"; def files colSpec = \"x\"; dataFile = \"y\"; "
      "end; end;\r\n"
      "def waves def wave id = w1; name = \"W1\"; end; end;\r\n"
      "def data def question id = g; name = \"Grid\";\r\n"
      "  def responseGrid columnMask = \"g_*\";\r\n"
      "    def responseAxis id = item; name = \"Item\";\r\n"
      "      def response id = a; name = \"A\"; columnText = \"a\"; end;\r\n"
      "      def response id = b; name = \"B\"; columnText = \"b\"; end;\r\n"
      "      def response id = c; name = \"C\"; columnText = \"c\"; end;\r\n"
      "    end;\r\n"
      "    def responseAxis id = rate; name = \"Rate\";\r\n"
      "      def response id = r1; name = \"1\"; code = 1; end;\r\n"
      "      def response id = r2; name = \"2\"; code = 2; end;\r\n"
      "      def response id = r3; name = \"3\"; code = 3; end;\r\n"
      "      def response id = r4; name = \"4\"; code = 4; end;\r\n"
      "    end;\r\n"
      "  end;\r\n"
      "end; end;\r\n",
      {ParseSurveyCsv("resp", "wave,g_a,g_b,g_c\n1,1,4,2\n1,4,4,3\n1,2,1,\n1,,3,4\n")})};
  TPelSurvey& S = *Opened.Survey;
  TGimQuestion* Q = S.Data->FindQuestion("g", false);
  // The elements of one grid question come from one questions parameter.
  std::unique_ptr<TPelParDefQuestions> Par = New<TPelParDefQuestions>(&S);
  TTestCell Cell{S};
  TPelFlags Cases = TPelFlags(4, 1), Missing = TPelFlags(4, 0), Base = TPelFlags(4, 1);
  bool BaseExcluded = false;

  TPelResElemList Owned{true};
  TPelResVarVal* Elem(int Axis, const char* Response) {
    TGimResponseAxis* A = Q->Axes->GetItem(Axis);
    auto* E = Owned.Add(
        std::make_unique<TPelResVarVal>(&S, A->Responses->FindByID(Response), A, Q, 0, Par.get()));
    Cell.Elems.Add(E);
    return E;
  }
  bool Apply(bool RequireAll) {
    return ApplyQuestionFilters(Cell, Cell.Elems, Cases, Missing, &Base, RequireAll, BaseExcluded);
  }
};

TEST_F(GridFilter, OneElementPerAxisPicksTheCombinedResponse) {
  TPelResVarVal* B = Elem(0, "b");
  Elem(1, "r4");
  // Index 1 x 4 + 3 of the twelve combinations.
  EXPECT_EQ(Q->Responses->GetItem(7)->Name, "<*>B<*> - <*>4");
  Cell.SysMis = true;
  EXPECT_TRUE(Apply(true));
  EXPECT_EQ(FlagText(Cases), "1100");
  EXPECT_EQ(FlagText(Missing), "0000");
  EXPECT_EQ(FlagText(Base), "1111");  // the response does not restrict the base
  EXPECT_FALSE(Cell.NotComputable);
  std::vector<double> Values;
  EXPECT_TRUE(LoadSummaryValues(Cell, Values, S.Recset(0), B));
  EXPECT_EQ(Values, (std::vector<double>{4, 4, 1, 3}));
}

TEST_F(GridFilter, MissingAnswersLeaveTheBaseWhenExcludedAndRestrictingResponsesNarrowIt) {
  Elem(0, "c");
  Elem(1, "r4");
  Q->Responses->GetItem(11)->Attributes = GimAttrEstIndependent;
  Cell.SysMis = true;
  EXPECT_TRUE(Apply(false));
  EXPECT_EQ(FlagText(Cases), "0001");
  EXPECT_EQ(FlagText(Missing), "0010");
  EXPECT_EQ(FlagText(Base), "0001");
  EXPECT_FALSE(BaseExcluded);  // the missing record had left the base already
}

TEST_F(GridFilter, AnAxisLeftOutMakesTheCellNotComputableOnlyWhenAllAreRequired) {
  Elem(1, "r2");
  EXPECT_FALSE(Apply(false));
  EXPECT_EQ(FlagText(Cases), "1111");
  EXPECT_FALSE(Cell.NotComputable);
  EXPECT_FALSE(Apply(true));
  EXPECT_TRUE(Cell.NotComputable);
  // Both axes, but a cell without statistic.
  Cell.NotComputable = false;
  Cell.Stat = false;
  Elem(0, "a");
  EXPECT_FALSE(Apply(false));
  EXPECT_TRUE(Cell.NotComputable);
}

}  // namespace
}  // namespace quin
