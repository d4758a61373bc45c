// Responses: matching, base responses, list defaults, per-record evaluation over in-memory
// record sets (joined through panels too), numeric values, labels and the reader's messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "deflang/rixcodereader.h"
#include "survey_fixture.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimstat.h"
#include "surveykit/mermessages.h"
#include "tests/support/memrecset.h"

namespace quin {
namespace {

using test::Lines;
using test::MsgSummary;
using test::TMemRecset;
using test::TTestSurvey;

constexpr double X = GimValueNoData;

struct TFixture {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("s.zos");
  TOrvMsgList Msgs{100, 100};
  TMemRecset* Resp;
  TMemRecset* Diary;
  TFixture() {
    Resp = Survey->RecsetList->Add(std::make_unique<TMemRecset>());
    Resp->ID = "resp";
    Diary = Survey->RecsetList->Add(std::make_unique<TMemRecset>());
    Diary->ID = "diary";
  }
  // Reads "def data ... end;" around the given lines.
  void Read(std::initializer_list<const char*> L, bool Thorough = false) {
    Survey->ThoroughChecks = Thorough;
    std::string Text = "def data\r\n" + Lines(L) + "end;\r\n";
    auto Scanner = TRixScanner::CreateFromText(Text, &Msgs);
    Scanner->NextToken();
    ASSERT_TRUE(Scanner->ReadDefComplexStart("data"));
    Survey->ReadData(*Scanner, Scanner->PrevToken->StartPos);
  }
  TGimQuestion* Q(const char* ID) { return Survey->Data->FindQuestion(ID, false); }
  TGimResponse* R(const char* Q, const char* ID) { return this->Q(Q)->Responses->FindByID(ID); }
  // Selected and Missing of the given responses of question Q as "S"/"M"/"-" per record.
  std::string Eval(const char* QID, std::initializer_list<const char*> IDs, TMerRecset* On) {
    std::vector<TGimResponse*> L;
    for (const char* ID : IDs) L.push_back(R(QID, ID));
    std::vector<uint8_t> S, M;
    Q(QID)->EvaluateResponses(L, S, M, On);
    std::string Out;
    for (size_t I = 0; I < S.size(); ++I) Out += S[I] ? (M[I] ? '!' : 'S') : (M[I] ? 'M' : '-');
    return Out;
  }
};

std::unique_ptr<TRixCodeList> Codes(const char* Text) {
  TOrvMsgList Msgs;
  auto S = TRixScanner::CreateFromText(Text, &Msgs);
  S->NextToken();
  auto L = std::make_unique<TRixCodeList>();
  ParseCodeList(*L, *S, nullptr);
  return L;
}

TEST(GimResponse, MatchesAndValidValues) {
  TGimResponse R;
  R.NumericCodes = Codes("2:5");
  R.Codes = Codes("1:3");
  // Code list and numeric codes together: both must hold the value.
  for (auto [V, M] : std::vector<std::pair<double, bool>>{
           {1, false}, {2, true}, {3, true}, {4, false}, {X, false}})
    EXPECT_EQ(R.MatchesValue(V), M) << V;
  TGimResponse N;
  N.NumericCodes = Codes("2:5");
  EXPECT_FALSE(N.MatchesValue(3));  // no code list, no single code
  N.SingleCode = 7;
  N.HasSingleCode = true;
  EXPECT_TRUE(N.MatchesValue(7));
  EXPECT_TRUE(N.IsValidValue(-5));
  EXPECT_FALSE(N.IsValidValue(X));
  N.ValidCodes = Codes("1, 2");
  EXPECT_FALSE(N.IsValidValue(3));
  EXPECT_TRUE(N.IsValidValue(2));
  // The missing value never matches, not even an open range or a single code equal to it.
  TGimResponse Open;
  Open.Codes = Codes("min:max");
  EXPECT_FALSE(Open.MatchesValue(X));
  Open.Codes.reset();
  Open.SingleCode = X;
  Open.HasSingleCode = true;
  EXPECT_FALSE(Open.MatchesValue(X));
}

TEST(GimResponse, EvaluatesCodesRangesAndMissingOnOwnRecset) {
  TFixture F;
  F.Resp->Records = 5;
  F.Resp->Columns["q1"] = {7, 1, X, X, 3};
  F.Resp->Columns["q2"] = {X, 7, 7, X, 9};
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = seven; name = \"7\"; columnList = q1, q2; code = 7; end;",
          "  def response id = low; name = \"1-3\"; column = q1; range = 1:3; end;",
          "  def response id = other; name = \"O\"; column = zz; code = 1; end;", "end;"});
  EXPECT_TRUE(F.Msgs.Empty()) << testing::PrintToString(MsgSummary(F.Msgs));
  EXPECT_EQ(F.Eval("q", {"seven"}, F.Resp), "SSSM-");
  EXPECT_EQ(F.Eval("q", {"low"}, F.Resp), "-SMMS");
  EXPECT_EQ(F.Eval("q", {"seven", "low"}, F.Resp), "SSSMS");
  // A response whose column holds nothing: no record selected, each missing.
  EXPECT_EQ(F.Eval("q", {"other"}, F.Resp), "MMMMM");
  EXPECT_EQ(F.Eval("q", {}, F.Resp), "MMMMM");
}

TEST(GimResponse, EvaluatesAcrossThePanelJoin) {
  TFixture F;
  F.Resp->Records = 3;
  F.Resp->Columns["sex"] = {1, 2, X};
  F.Diary->Records = 5;
  F.Diary->Columns["st"] = {X, 4, 4, 5, X};
  // Respondent 0: diary records 0-1; respondent 1: 2-3; respondent 2: 4 (out of range: 9).
  auto J = std::make_unique<TMerRespInPanels>(F.Survey.get(), 1);
  J->CaseRanges = {{0, 1, 0}, {2, 3, 0}, {4, 9, 0}};
  F.Survey->PanelJoins.resize(2);
  F.Survey->PanelJoins[1] = std::move(J);
  F.Read({"def question id = st; name = \"St\";",
          "  def response id = s4; name = \"4\"; column = st.diary; code = 4; end;",
          "  def response id = s5; name = \"5\"; column = st.diary; code = 5; end;", "end;",
          "def question id = sex; name = \"Sex\";",
          "  def response id = m; name = \"M\"; column = sex; code = 1; end;", "end;"});
  EXPECT_TRUE(F.Msgs.Empty()) << testing::PrintToString(MsgSummary(F.Msgs));
  EXPECT_EQ(F.Eval("st", {"s4"}, F.Diary), "MSS-M");
  // Respondents from their diary records.
  EXPECT_EQ(F.Eval("st", {"s4"}, F.Resp), "SSM");
  EXPECT_EQ(F.Eval("st", {"s5"}, F.Resp), "-SM");
  // Diary records from their respondent.
  EXPECT_EQ(F.Eval("sex", {"m"}, F.Diary), "SS--M");

  std::vector<double> V;
  F.R("sex", "m")->FillValues(V, F.Diary);
  EXPECT_EQ(V, (std::vector<double>{1, 1, 2, 2, X}));
  F.R("st", "s4")->FillValues(V, F.Resp);  // a panel column on the respondents: no values
  EXPECT_EQ(V, (std::vector<double>{X, X, X}));
}

TEST(GimResponseList, BaseResponsesAndListDefaults) {
  TFixture F;
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = pre; name = \"P\"; column = p; code = 9; end;",
          "  def responseList column = q; range = 1:2;",
          "    def response id = a; name = \"A\"; code = 1; end;",
          "    def response id = b; name = \"B\"; end;", "    code = 3;",
          "    def response id = c; name = \"C\"; attr = noMean; end;",
          "    def responseList def response id = fresh; name = \"F\"; code = 4; end; end;",
          "  end;", "end;"});
  EXPECT_TRUE(F.Msgs.Empty()) << testing::PrintToString(MsgSummary(F.Msgs));
  TGimResponse* Pre = F.R("q", "pre");
  EXPECT_EQ(Pre->Columns->GetItem(0)->Name, "p");
  TGimResponse* A = F.R("q", "a");
  TGimResponse* B = F.R("q", "b");
  TGimResponse* C = F.R("q", "c");
  EXPECT_EQ(A->Columns->GetItem(0)->Name, "q");
  // The range default wins over the later single code: the code list is used for matching.
  EXPECT_EQ(CodeListAsUSAString(*A->Codes), "1 : 2");
  EXPECT_TRUE(A->MatchesValue(2));
  EXPECT_EQ(CodeListAsUSAString(*B->Codes), "1 : 2");
  EXPECT_FALSE(C->Codes);
  EXPECT_TRUE(C->HasSingleCode);
  EXPECT_EQ(C->SingleCode, 3);
  EXPECT_FALSE(F.R("q", "fresh")->Columns);  // nested lists start with fresh defaults
  // One base per group of columns; noMean responses add nothing to it.
  ASSERT_TRUE(A->HasBase);
  EXPECT_FALSE(B->HasBase);
  EXPECT_EQ(CodeListAsUSAString(*A->BaseResponse->Codes), "1 : 2");
  EXPECT_EQ(CodeListAsUSAString(*A->BaseResponse->ValidCodes), "1 : 2");
  EXPECT_EQ(CodeListAsUSAString(*Pre->BaseResponse->Codes), "9");
  EXPECT_EQ(F.Q("q")->CountBaseResponses(), 3);  // p, q, and the response without columns
}

TEST(GimResponseList, ThreeResponsesOneBaseWithoutTheNoMeanCode) {
  TFixture F;
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = a; name = \"A\"; column = q; code = 1; end;",
          "  def response id = b; name = \"B\"; column = q; code = 2; end;",
          "  def response id = c; name = \"C\"; column = q; code = 3; attr = noMean; end;",
          "end;"});
  TGimResponse* A = F.R("q", "a");
  ASSERT_TRUE(A->HasBase);
  EXPECT_EQ(CodeListAsUSAString(*A->BaseResponse->Codes), "1, 2");
  EXPECT_EQ(CodeListAsUSAString(*A->BaseResponse->ValidCodes), "1, 2");
  EXPECT_EQ(F.Q("q")->CountBaseResponses(), 1);
  // A copy of the question is deep.
  TGimQuestion Copy(*F.Q("q"));
  EXPECT_NE(Copy.Responses->GetItem(0), A);
  EXPECT_EQ(CodeListAsUSAString(*Copy.Responses->GetItem(0)->BaseResponse->Codes), "1, 2");
}

TEST(GimResponse, FillValuesOnItsOwnRecsetKeepsOnlyValidCodes) {
  // The base response of codes 1 and 2 counts 9 ("don't know") as no answer: its values must
  // not enter a mean.
  TFixture F;
  F.Resp->Records = 5;
  F.Resp->Columns["q"] = {1, 9, 2, X, 3};
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = a; name = \"A\"; column = q; code = 1; end;",
          "  def response id = b; name = \"B\"; column = q; code = 2; end;", "end;"});
  TGimResponse* A = F.R("q", "a");
  ASSERT_TRUE(A->HasBase);
  std::vector<double> V;
  A->BaseResponse->FillValues(V, F.Resp);
  EXPECT_EQ(V, (std::vector<double>{1, X, 2, X, X}));
  // A response without valid codes keeps every value that is not missing.
  A->FillValues(V, F.Resp);
  EXPECT_EQ(V, (std::vector<double>{1, 9, 2, X, 3}));
}

TEST(GimResponseList, AllowOverlapsKeepsTheOverlapWarningAway) {
  // Codes 1:3 and 2:4 on one column overlap; with allowOverlaps on either response nothing is
  // reported, on neither the warning comes once.
  for (const char* Attr : {"", " attr = allowOverlaps;"}) {
    SCOPED_TRACE(Attr);
    TFixture F;
    F.Read({"def question id = q; name = \"Q\";",
            "  def response id = a; name = \"A\"; column = q; range = 1:3; end;",
            (std::string("  def response id = b; name = \"B\"; column = q; range = 2:4;") + Attr +
             " end;")
                .c_str(),
            "end;"},
           true);
    const auto Seen = MsgSummary(F.Msgs);
    const bool Warned = std::any_of(Seen.begin(), Seen.end(), [](const std::string& M) {
      return M.rfind("TMerMsgWarning_CodeOverlaps", 0) == 0;
    });
    EXPECT_EQ(Warned, *Attr == '\0');
    EXPECT_EQ(F.Msgs.ErrorCount(), 0) << testing::PrintToString(Seen);
  }
}

TEST(GimResponse, NumericValuesAndLabels) {
  TFixture F;
  F.Resp->Records = 5;
  F.Resp->Columns["n"] = {3, 1, 3, X, 2.5};
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = n; name = \"Num\"; column = n; numeric = >= 1; end;",
          "  def response id = c; name = \"Codes\"; column = n; range = 1, 3:4; end;",
          "  def response id = s; name = \"One\"; column = n; code = 2.5; end;",
          "  def response id = x; name = \"None\"; column = n; code = 7; attr = noMean; end;",
          "end;"});
  TGimResponse* N = F.R("q", "n");
  const std::vector<double>* V = N->GetNumericValues(F.Resp);
  ASSERT_TRUE(V);
  EXPECT_EQ(*V, (std::vector<double>{1, 2.5, 3}));
  EXPECT_EQ(N->GetNumericValueCount(F.Resp), 3);
  EXPECT_EQ(F.R("q", "c")->GetNumericValueCount(F.Resp), 1);
  EXPECT_FALSE(F.R("q", "c")->GetNumericValues(F.Resp));
  std::string T;
  N->GetLabel(/*ForMeans=*/false, /*ShowCodes=*/false, /*MultiColumn=*/false, 1, T);
  EXPECT_EQ(T, "Num [2.5]");
  F.R("q", "c")->GetLabel(/*ForMeans=*/true, /*ShowCodes=*/true, /*MultiColumn=*/false, 0, T);
  EXPECT_EQ(T, "Codes [1, 3 : 4]");
  F.R("q", "s")->GetLabel(/*ForMeans=*/true, /*ShowCodes=*/true, /*MultiColumn=*/false, 0, T);
  EXPECT_EQ(T, "One [2.5]");
  F.R("q", "x")->GetLabel(/*ForMeans=*/true, /*ShowCodes=*/true, /*MultiColumn=*/false, 0, T);
  EXPECT_EQ(T, "None [--]");
  F.R("q", "s")->GetLabel(/*ForMeans=*/false, /*ShowCodes=*/true, /*MultiColumn=*/false, 0, T);
  EXPECT_EQ(T, "One");
  // The base of the column: the numeric codes hold the others' codes.
  N->GetBaseLabel(1, true, T);
  EXPECT_EQ(T, "[>= 1]");
  N->GetBaseLabel(2, true, T);
  EXPECT_EQ(T, "Num [>= 1]");
}

TEST(GimResponse, ReaderMessages) {
  TFixture F;
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = a; name = \"A\"; column = q; code = 1; attr = noMean, odd; end;",
          "  def response id = b; name = \"B\"; column = q; code = 1; columnText = \"t\"; end;",
          "  def response id = c; name = \"C\"; column = q; range = 1:2; def x end; end;", "end;"},
         true);
  EXPECT_EQ(MsgSummary(F.Msgs),
            (std::vector<std::string>{
                "TRixMsgError_UnknownKey@3:73", "TRixMsgError_UnknownKey@4:58",
                "TMerMsgWarning_SimilarCodeCol@4:80", "TMerMsgError_UnexpectedDef@5:65",
                "TMerMsgWarning_CodeOverlaps@6:5", "TMerMsgError_NoMeanInconsistent@6:5"}));
  EXPECT_EQ(F.Msgs.GetItem(2)->MessageText(),
            "Code and column spec. similar to another response in this question.");
  EXPECT_EQ(F.Msgs.GetItem(4)->MessageText(), "The are overlaps of codes between responses.");
  EXPECT_EQ(F.Msgs.GetItem(5)->MessageText(), "Inconsistent definition of noMean.");
}

TEST(GimResponseList, BaseGroupOfAResponseNamingAColumnTwice) {
  // A response joins the first earlier one all of whose columns it names, with as many
  // columns: "a, a" takes "a, b" and "b, a", not "b".
  TFixture F;
  F.Read({"def question id = q; name = \"Q\";",
          "  def response id = aa; name = \"AA\"; columnList = a, a; code = 1; end;",
          "  def response id = b; name = \"B\"; column = b; code = 1; end;",
          "  def response id = ab; name = \"AB\"; columnList = a, b; code = 2; end;",
          "  def response id = ba; name = \"BA\"; columnList = b, a; code = 3; end;",
          "  def response id = b2; name = \"B2\"; column = b; code = 2; end;", "end;"});
  TGimResponse* AA = F.R("q", "aa");
  TGimResponse* B = F.R("q", "b");
  ASSERT_TRUE(AA->HasBase && B->HasBase);
  EXPECT_EQ(CodeListAsUSAString(*AA->BaseResponse->Codes), "1, 2, 3");
  EXPECT_EQ(CodeListAsUSAString(*B->BaseResponse->Codes), "1, 2");
  for (const char* ID : {"ab", "ba", "b2"}) EXPECT_FALSE(F.R("q", ID)->HasBase) << ID;
  EXPECT_EQ(F.Q("q")->CountBaseResponses(), 2);
}

TEST(GimResponseList, LongCodeListUnderOneRangeNormalises) {
  // A range over all codes written before them: every later code is met against it.
  std::string Codes = "0:90000";
  for (int I = 0; I < 30000; ++I) Codes += ", " + std::to_string(3 * I + 1);
  const std::string Line =
      "  def response id = r; name = \"R\"; column = c; range = " + Codes + "; end;";
  TFixture F;
  F.Read({"def question id = q; name = \"Q\";", Line.c_str(), "end;"});
  EXPECT_TRUE(F.Msgs.Empty()) << testing::PrintToString(MsgSummary(F.Msgs));
  TGimResponse* R = F.R("q", "r");
  ASSERT_TRUE(R->HasBase);
  EXPECT_EQ(CodeListAsUSAString(*R->BaseResponse->Codes), "0 : 90000");
  EXPECT_EQ(R->Codes->Count(), 30001);  // the response keeps its codes as written
}

}  // namespace
}  // namespace quin
