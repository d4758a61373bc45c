// Grid questions: the "responseGrid" reader, its consistency checks and the expansion of the
// axes into the question's responses.
#include <gtest/gtest.h>

#include "survey_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/mermessages.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TTestSurvey;

struct TGrid {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("s.zos");
  TOrvMsgList Msgs{100, 100};
  TGimQuestion* Q = nullptr;
  // A question "g" whose grid block holds the given lines.
  explicit TGrid(std::initializer_list<const char*> L) : TGrid(Lines(L)) {}
  explicit TGrid(const std::string& Body) {
    std::string Text = "def data def question id = g; name = \"G\"; def responseGrid\r\n" + Body +
                       "end; end; end;\r\n";
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    Scanner->ReadDefComplexStart("data");
    Survey->ReadData(*Scanner, Scanner->PrevToken->StartPos);
    Q = Survey->Data->FindQuestion("g", false);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> R;
    for (int I = 0; I < Msgs.Count(); ++I) R.emplace_back(Msgs.GetItem(I)->MsgClass->Name);
    return R;
  }
  std::string Cols() const {
    std::string S;
    for (int I = 0; I < Q->Responses->Count(); ++I)
      S += (I ? " " : "") + Q->Responses->GetItem(I)->Columns->GetItem(0)->Name;
    return S;
  }
};

TEST(GimResponseAxis, BrandByFrequencyExpandsLastAxisFastest) {
  TGrid G({"columnMask = \"q*\";", "def responseAxis id = brand; name = \"Brand\";",
           "  def response id = b1; name = \"B1\"; columnText = \"a\"; end;",
           "  def response id = b2; name = \"B2\"; columnText = \"b\"; attr = substStats; end;",
           "end;", "def responseAxis id = freq; name = \"Freq\";",
           "  def response id = f1; name = \"F1\"; code = 1; end;",
           "  def response id = f2; name = \"F2\"; code = 2; end;",
           "  def response id = f3; name = \"F3\"; code = 3; attr = estIndependent; end;", "end;"});
  EXPECT_TRUE(G.Msgs.Empty()) << testing::PrintToString(MsgSummary(G.Msgs));
  ASSERT_TRUE(G.Q);
  EXPECT_TRUE(G.Q->IsGrid());
  EXPECT_EQ(G.Q->Axes->CountCodeAxes(), 1);
  EXPECT_EQ(G.Q->Axes->CountColumnAxes(), 1);
  EXPECT_EQ(G.Q->Responses->GetIDText(), "rf1.b1, rf2.b1, rf3.b1, rf1.b2, rf2.b2, rf3.b2");
  EXPECT_EQ(G.Cols(), "qa qa qa qb qb qb");
  TGimResponse* R = G.Q->Responses->GetItem(0);
  EXPECT_EQ(R->Name, "<*>B1<*> - <*>F1");
  EXPECT_EQ(R->GetName(), "B1 - F1");
  EXPECT_TRUE(R->HasSingleCode);
  EXPECT_EQ(R->SingleCode, 1);
  EXPECT_EQ(G.Q->Responses->GetItem(5)->Attributes, GimAttrSubstStats | GimAttrEstIndependent);
  // The code axis's responses collect the generated columns.
  TGimResponse* F1 = G.Q->Axes->FindByID("freq")->Responses->GetItem(0);
  ASSERT_EQ(F1->ColumnCount(), 2);
  EXPECT_EQ(F1->Columns->GetItem(1)->Name, "qb");
  EXPECT_FALSE(G.Q->Axes->FindByID("FREQ"));  // axis lookups compare exactly
  // One base per column, covering codes 1 to 3, named without the code part.
  EXPECT_EQ(G.Q->CountBaseResponses(), 2);
  TGimResponse* B = G.Q->Responses->GetItem(3)->GetBaseResponse();
  ASSERT_TRUE(B);
  EXPECT_EQ(CodeListAsUSAString(*B->Codes), "1, 2, 3");
  EXPECT_EQ(B->GetName(), "B2");
}

TEST(GimResponseAxis, TwoColumnAxesWithAGridRange) {
  TGrid G({"columnMask = \"q*_*\"; range = 1:5;", "def responseAxis id = x; name = \"X\";",
           "  def response id = x1; name = \"X1\"; columnText = \"1\"; end;",
           "  def response id = x2; name = \"X2\"; columnText = \"2\"; end;", "end;",
           "def responseAxis id = y; name = \"Y\";",
           "  def response id = y1; name = \"Y1\"; columnText = \"a\"; end;", "end;", "code = 3;"});
  EXPECT_EQ(G.Names(), (std::vector<std::string>{"TGimError_CodeAndRangeInvalid"}));
  EXPECT_EQ(G.Msgs.GetItem(0)->MessageText(), "Only one of code and range valid in grid question.");
  EXPECT_EQ(G.Q->Responses->GetIDText(), "ry1.x1, ry1.x2");
  EXPECT_EQ(G.Cols(), "q1_a q2_a");
  for (int I = 0; I < G.Q->Responses->Count(); ++I) {
    TGimResponse* R = G.Q->Responses->GetItem(I);
    ASSERT_TRUE(R->Codes);
    EXPECT_EQ(CodeListAsUSAString(*R->Codes), "1 : 5");
    EXPECT_FALSE(R->HasSingleCode);
  }
  // The last axis is a column axis: its responses get the range too.
  EXPECT_TRUE(G.Q->Axes->FindByID("y")->Responses->GetItem(0)->Codes);
}

TEST(GimResponseAxis, ConsistencyChecks) {
  struct {
    std::vector<const char*> Lines;
    std::vector<std::string> Expected;
  } Cases[] = {
      // Mask with two "*" for one column axis: nothing generated.
      {{"columnMask = \"q*_*\"; code = 1;",
        "def responseAxis id = a; name = \"A\"; def response id = a1; name = \"A1\";",
        "  columnText = \"1\"; end; end;"},
       {"TGimError_ColMaskInvalidInGrid"}},
      {{"code = 1; def responseAxis id = a; name = \"A\";",
        "  def response id = a1; name = \"A1\"; columnText = \"1\"; end; end;"},
       {"TGimError_ColMaskNotDefined"}},
      // A code axis before the last, and a grid code besides it.
      {{"columnMask = \"q*\"; code = 1;",
        "def responseAxis id = c; name = \"C\"; def response id = c1; name = \"C1\"; code = 1;",
        "  end; end;",
        "def responseAxis id = a; name = \"A\"; def response id = a1; name = \"A1\";",
        "  columnText = \"1\"; end; end;"},
       {"TGimError_NonColAxisLegalIffCodeRangeNotDefined", "TGimError_OnlyLastAxisMayBeNonCol"}},
      // Only code axes, and no grid code: two of them.
      {{"columnMask = \"q\";",
        "def responseAxis id = c; name = \"C\"; def response id = c1; name = \"C1\"; code = 1;",
        "  end; end;",
        "def responseAxis id = d; name = \"D\"; def response id = d1; name = \"D1\"; code = 1;",
        "  end; end;"},
       {"TGimError_AxisNotDefined", "TGimError_AtMostOneNonColAxisAllowed",
        "TGimError_OnlyLastAxisMayBeNonCol"}},
      // Per axis: the first problem only.
      {{"columnMask = \"q*\"; code = 1;", "def responseAxis id = a; name = \"A\";",
        "  def response id = a1; name = \"A1\"; column = x; end;",
        "  def response id = a2; name = \"A2\"; end; end;"},
       {"TGimError_ColDefsInvalid"}},
      {{"columnMask = \"q*\"; code = 1;", "def responseAxis id = a; name = \"A\";",
        "  def response id = a1; name = \"A1\"; columnText = \"1\"; end;",
        "  def response id = a2; name = \"A2\"; end; end;"},
       {"TGimError_ColCodeDefsInvalid"}},
      {{"columnMask = \"q*\"; code = 1;", "def responseAxis id = a; name = \"A\";",
        "  def response id = a1; name = \"A1\"; columnText = \"1\"; end;",
        "  def response id = a2; name = \"A2\"; code = 2; end; end;"},
       {"TGimError_ColCodeDefsInconsistent"}},
      // An axis without responses is a column axis that generates nothing.
      {{"columnMask = \"q*\"; code = 1; def responseAxis name = \"E\"; end;"},
       {"TGimError_ResponsesNotDefined", "TMerError_IDNotDefined"}},
      {{"end;"},
       {"TGimError_AxisNotDefined", "TGimError_NonColAxisLegalIffCodeRangeNotDefined",
        "TGimError_ColMaskNotDefined"}},
  };
  for (const auto& C : Cases) {
    std::string Text;
    for (const char* L : C.Lines) Text += std::string(L) + "\n";
    TGrid G({Text.c_str()});
    EXPECT_EQ(G.Names(), C.Expected) << Text;
    if (C.Expected.size() == 1 && C.Expected[0] == "TGimError_ColMaskInvalidInGrid") {
      EXPECT_EQ(G.Q->Responses->Count(), 0);
    }
  }
}

TEST(GimResponseAxis, MessageTexts) {
  TGrid G({"columnMask = \"q*\"; code = 1;", "def responseAxis id = a; name = \"A\";",
           "  def response id = a1; name = \"A1\"; columnText = \"1\"; end;",
           "  def response id = a2; name = \"A2\"; end; end;"});
  ASSERT_EQ(G.Msgs.Count(), 1);
  EXPECT_EQ(G.Msgs.GetItem(0)->MessageText(),
            "Each response must defined code/range/numeric or columnText.");
}

TEST(GimResponseAxis, GridTooLargeGeneratesNothing) {
  const size_t Saved = TGimResponseAxisList::MaxGridResponses;
  TGimResponseAxisList::MaxGridResponses = 3;
  TGrid G({"columnMask = \"q*_*\"; code = 1;", "def responseAxis id = x; name = \"X\";",
           "  def response id = x1; name = \"X1\"; columnText = \"1\"; end;",
           "  def response id = x2; name = \"X2\"; columnText = \"2\"; end; end;",
           "def responseAxis id = y; name = \"Y\";",
           "  def response id = y1; name = \"Y1\"; columnText = \"a\"; end;",
           "  def response id = y2; name = \"Y2\"; columnText = \"b\"; end; end;"});
  TGimResponseAxisList::MaxGridResponses = Saved;
  EXPECT_EQ(G.Names(), (std::vector<std::string>{"TGimError_GridTooLarge"}));
  EXPECT_EQ(G.Q->Responses->Count(), 0);
}

// Axes of N responses each ("a0" .. ), for a mask with one "*" per axis.
std::string Axes(const char* Mask, int Axes, int N) {
  std::string S = std::string("columnMask = \"") + Mask + "\"; code = 1;\r\n";
  for (int A = 0; A < Axes; ++A) {
    const std::string K(1, char('a' + A));
    S += "def responseAxis id = " + K + "; name = \"" + K + "\";\r\n";
    for (int I = 0; I < N; ++I)
      S += "  def response id = " + K + std::to_string(I) + "; name = \"x\"; columnText = \"" +
           std::to_string(I) + "\"; end;\r\n";
    S += "end;\r\n";
  }
  return S;
}

TEST(GimResponseAxis, LargeGridGivesEveryColumnItsOwnBase) {
  // Every generated response reads its own column: each is the first of its group.
  TGrid G(Axes("q*_*", 2, 100));
  EXPECT_EQ(G.Names(), std::vector<std::string>{});
  ASSERT_EQ(G.Q->Responses->Count(), 10000);
  EXPECT_EQ(G.Q->Responses->GetItem(9999)->Columns->GetItem(0)->Name, "q99_99");
  EXPECT_EQ(G.Q->CountBaseResponses(), 10000);
}

TEST(GimResponseAxis, ShortTextCannotAskForAHugeGrid) {
  // 47 * 47 * 47 responses from three short axes: refused before anything is generated.
  TGrid G(Axes("q*_*_*", 3, 47));
  EXPECT_EQ(G.Names(), (std::vector<std::string>{"TGimError_GridTooLarge"}));
  EXPECT_EQ(G.Q->Responses->Count(), 0);
}

}  // namespace
}  // namespace quin
