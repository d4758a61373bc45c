// The demonstration survey: its definition reads cleanly, and the generated respondents fit
// the definition, are reproducible, and carry weights that rake to the population.
#include "tools/demosurvey/demosurvey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "base/text.h"
#include "deflang/rixcodes.h"
#include "surveykit/gimdata.h"
#include "surveykit/pelcolblocks.h"
#include "surveykit/quarterhours.h"
#include "tests/surveykit/survey_fixture.h"

namespace quin {
namespace {

using test::MsgSummary;
using test::TTestSurvey;

std::string ReadDemoFile(const char* Name) {
  std::ifstream In(std::string(QUIN_DEMO_DIR) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(In) << Name;
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

struct TDemoDefinition {
  test::TEnglishSession English;
  std::unique_ptr<TTestSurvey> Survey = New<TTestSurvey>("demo/media2024.zos");
  TOrvMsgList Msgs{100, 100};
  bool Fatal = false;
  TDemoDefinition() {
    auto Scanner =
        TRixScanner::CreateFromText(DemoSurveyDefinition(ReadDemoFile("demo.def")), &Msgs);
    try {
      Survey->ReadDefinition(*Scanner);
    } catch (const EMsgList_FatalError&) {
      Fatal = true;
    }
  }
  TGimQuestion* Question(const char* ID) const { return Survey->Data->FindQuestion(ID, false); }
  std::string Messages() const {
    std::string S;
    for (int I = 0; I < Msgs.Count(); ++I)
      S += MsgSummary(Msgs)[size_t(I)] + " " + Msgs.GetItem(I)->MessageText() + "\n";
    return S;
  }
};

const std::vector<TDemoWave>& DemoWaves() {
  static const std::vector<TDemoWave> Waves =
      GenerateDemoSurvey(TDemoParams::Parse(ReadDemoFile("params.txt")));
  return Waves;
}

TEST(DemoSurvey, DefinitionReadsWithoutMessages) {
  TDemoDefinition D;
  ASSERT_FALSE(D.Fatal) << D.Messages();
  EXPECT_EQ(D.Msgs.Count(), 0) << D.Messages();
  const TMerSurvey& S = *D.Survey;
  EXPECT_EQ(S.GetQualifiedID(), "media2024@quinview");
  EXPECT_EQ(S.Environ->LanguagesList, (std::vector<std::string>{"plk", "enu"}));
  EXPECT_EQ(S.Info->Name, Cp1250("<PLK>Zwyczaje medialne Polaków 2024<ENU>Media usage habits "
                                 "in Poland 2024"));
  EXPECT_TRUE(S.Info->Demo);
  ASSERT_EQ(S.RecsetCount(), 2);  // the respondents and the television viewing records
  EXPECT_TRUE(S.Recset(1)->Hidden);
  ASSERT_EQ(S.Waves->Count(), 2);
  EXPECT_TRUE(S.Waves->FindByID("w2"));
  // Unweighted and the population weight.
  ASSERT_EQ(S.Weights->Count(), 2);
  EXPECT_TRUE(S.Weights->HasNoWeight());
  const TGimWeight* W = S.Weights->FindByID("wgt");
  ASSERT_TRUE(W && W->Column);
  EXPECT_EQ(W->Column->Name, "wgt");
  EXPECT_EQ(W->Population, 31620000);
  // The grid: four media by five frequencies, one column per medium.
  TGimQuestion* Grid = D.Question("frequency");
  ASSERT_TRUE(Grid);
  EXPECT_TRUE(Grid->IsGrid());
  ASSERT_EQ(Grid->Responses->Count(), 20);
  EXPECT_EQ(Grid->Responses->GetItem(0)->GetID(), "rdaily.tv");
  EXPECT_EQ(Grid->Responses->GetItem(19)->Columns->GetItem(0)->Name, "freq_internet");
  EXPECT_EQ(Grid->CountBaseResponses(), 4);
  ASSERT_EQ(D.Question("region")->Responses->Count(), 16);
  EXPECT_EQ(D.Question("agegroup")->Responses->Count(), 6);
  // The survey file holds the text in Windows-1250 with CR LF line ends.
  EXPECT_EQ(DemoSurveyDefinition("a\nb\r\nż\n"), "a\r\nb\r\n" + Cp1250("ż") + "\r\n");
}

// Every value of every column that a question reads is an answer of that question, and
// every column is read by some question or weighting.
TEST(DemoSurvey, GeneratedValuesFitTheDefinition) {
  TDemoDefinition D;
  ASSERT_FALSE(D.Fatal);
  std::map<std::string, std::vector<const TGimResponse*>> ByColumn;
  for (const char* ID : {"sex", "age", "agegroup", "region", "town", "education", "household",
                         "householdgroup", "frequency", "newssource"}) {
    TGimQuestion* Q = D.Question(ID);
    ASSERT_TRUE(Q) << ID;
    for (int I = 0; I < Q->Responses->Count(); ++I) {
      const TGimResponse* R = Q->Responses->GetItem(I);
      ByColumn[R->Columns->GetItem(0)->Name].push_back(R);
    }
  }
  const auto Matches = [](const TGimResponse* R, double V) {
    return R->NumericCodes ? CodeListInRange(*R->NumericCodes, V) : R->MatchesValue(V);
  };
  for (const TDemoWave& W : DemoWaves()) {
    for (const TDemoColumn& C : W.Columns) {
      ASSERT_EQ(int(C.Values.size()), W.Records) << C.Name;
      if (C.Name == "respid" || C.Name == "wgt") continue;
      auto It = ByColumn.find(C.Name);
      ASSERT_NE(It, ByColumn.end()) << C.Name << " is read by no question";
      for (double V : C.Values) {
        if (V == kPelMissingDouble) continue;
        int Count = 0;
        for (const TGimResponse* R : It->second) Count += Matches(R, V);
        // Grouped questions share their column with the numeric one.
        ASSERT_GE(Count, 1) << C.Name << " = " << V;
      }
    }
  }
}

TEST(DemoSurvey, ReproducibleTwoWavesOfFiveThousand) {
  const std::vector<TDemoWave>& A = DemoWaves();
  ASSERT_EQ(A.size(), 2u);
  EXPECT_EQ(A[0].Records + A[1].Records, 5000);
  const auto B = GenerateDemoSurvey(TDemoParams::Parse(ReadDemoFile("params.txt")));
  for (size_t I = 0; I < A.size(); ++I) EXPECT_EQ(DemoWaveCsv(A[I]), DemoWaveCsv(B[I]));
  // Respondent numbers run on across the waves.
  EXPECT_EQ(A[1].Find("respid")->Values.front(), A[0].Records + 1);
  // A few refusals, never in the weighting's own variables.
  int Missing = 0;
  for (const TDemoWave& W : A)
    for (double V : W.Find("hhsize")->Values) Missing += V == kPelMissingDouble;
  EXPECT_GT(Missing, 10);
  EXPECT_LT(Missing, 150);
}

// Weighted, each wave matches the population by sex and age and by education, while the
// sample itself does not; the weights are positive, trimmed and average 1.
TEST(DemoSurvey, WeightsRakeEachWaveToThePopulation) {
  const TDemoParams P = TDemoParams::Parse(ReadDemoFile("params.txt"));
  std::vector<double> SexAge = P.Get("pop_sex_age", 12);
  double Total = 0;
  for (double X : SexAge) Total += X;
  for (const TDemoWave& W : DemoWaves()) {
    const std::vector<double>& Wgt = W.Find("wgt")->Values;
    const std::vector<double>& Sex = W.Find("sex")->Values;
    const std::vector<double>& Age = W.Find("age")->Values;
    const std::vector<double>& Educ = W.Find("educ")->Values;
    double Sum = 0, WomenW = 0, Women = 0, HigherW = 0;
    for (int I = 0; I < W.Records; ++I) {
      EXPECT_GE(Wgt[size_t(I)], 0.2);
      EXPECT_LE(Wgt[size_t(I)], 5.0);
      Sum += Wgt[size_t(I)];
      WomenW += Sex[size_t(I)] == 2 ? Wgt[size_t(I)] : 0;
      Women += Sex[size_t(I)] == 2;
      HigherW += Educ[size_t(I)] == 4 ? Wgt[size_t(I)] : 0;
    }
    EXPECT_NEAR(Sum / W.Records, 1.0, 1e-4);
    double PopWomen = 0;
    for (int K = 6; K < 12; ++K) PopWomen += SexAge[size_t(K)] / Total;
    EXPECT_NEAR(WomenW / Sum, PopWomen, 0.005);
    EXPECT_GT(Women / W.Records, PopWomen + 0.02);  // the sample leans female
    EXPECT_NEAR(HigherW / Sum, 0.27 / (0.17 + 0.23 + 0.33 + 0.27), 0.005);
    double Old = 0;
    for (int I = 0; I < W.Records; ++I) Old += Age[size_t(I)] >= 65 ? Wgt[size_t(I)] : 0;
    EXPECT_NEAR(Old / Sum, (SexAge[5] + SexAge[11]) / Total, 0.005);
  }
}

// The answers hang together as in real surveys: the young are online every day, the old
// watch television; graduates live in cities; the old live in small households.
TEST(DemoSurvey, PlausibleCorrelations) {
  struct TShare {
    double Hits = 0, Count = 0;
    double Of() const { return Count ? Hits / Count : 0; }
  };
  TShare NetYoung, NetOld, TvYoung, TvOld, HigherCity, HigherVillage, HouseOld, HouseMid;
  for (const TDemoWave& W : DemoWaves()) {
    for (int I = 0; I < W.Records; ++I) {
      const auto V = [&](const char* Name) { return W.Find(Name)->Values[size_t(I)]; };
      const bool Young = V("age") < 25, Old = V("age") >= 65;
      if (Young) NetYoung.Count++, NetYoung.Hits += V("freq_internet") == 1;
      if (Old) NetOld.Count++, NetOld.Hits += V("freq_internet") == 1;
      if (Young) TvYoung.Count++, TvYoung.Hits += V("freq_tv") == 1;
      if (Old) TvOld.Count++, TvOld.Hits += V("freq_tv") == 1;
      if (V("age") >= 25) {
        if (V("town") == 5) HigherCity.Count++, HigherCity.Hits += V("educ") == 4;
        if (V("town") == 1) HigherVillage.Count++, HigherVillage.Hits += V("educ") == 4;
      }
      if (V("hhsize") != kPelMissingDouble) {
        if (Old) HouseOld.Count++, HouseOld.Hits += V("hhsize");
        if (V("age") >= 35 && V("age") < 45) HouseMid.Count++, HouseMid.Hits += V("hhsize");
      }
    }
  }
  EXPECT_GT(NetYoung.Of(), 0.85);
  EXPECT_LT(NetOld.Of(), 0.45);
  EXPECT_GT(TvOld.Of(), TvYoung.Of() + 0.2);
  EXPECT_GT(HigherCity.Of(), HigherVillage.Of() + 0.1);
  EXPECT_LT(HouseOld.Of(), 2.5);
  EXPECT_GT(HouseMid.Of(), 3.0);
}

// The media columns agree with each other as a diary would: any listening and the number of
// stations follow the stations' quarter-hours, a place and a source only while listening,
// minutes and "yesterday" from the quarter-hours; viewing records keep the respondents' order.
TEST(DemoSurvey, MediaColumnsAgree) {
  const TDemoParams Params = TDemoParams::Parse(ReadDemoFile("params.txt"));
  const TDemoMedia Media = GenerateDemoMedia(Params, DemoWaves());
  const TDemoMedia Again = GenerateDemoMedia(Params, DemoWaves());
  ASSERT_EQ(Media.Resp.size(), 2u);
  const std::vector<std::string>& Stations = DemoRadioStations();
  for (size_t W = 0; W < 2; ++W) {
    const TDemoWave& M = Media.Resp[W];
    ASSERT_EQ(M.Records, DemoWaves()[W].Records);
    EXPECT_EQ(M.Find("R03__MIN")->Values, Again.Resp[W].Find("R03__MIN")->Values);
    auto Col = [&](const std::string& Name) -> const std::vector<double>& {
      const TDemoColumn* C = M.Find(Name);
      EXPECT_TRUE(C) << Name;
      static const std::vector<double> None;
      return C ? C->Values : None;
    };
    std::vector<std::vector<double>> Minutes(Stations.size(), std::vector<double>(M.Records));
    for (int Q = 1; Q <= 96; ++Q) {
      const std::string Key = QuarterSortKey(Q);
      std::vector<const std::vector<double>*> Heard;
      for (const std::string& St : Stations)
        Heard.push_back(&Col("R" + St.substr(1, 2) + "__" + Key));
      const std::vector<double>& Counts = Col("RNN__" + Key);
      const std::vector<double>& Any = Col("R00__" + Key);
      const std::vector<double>& Place = Col("RPL__" + Key);
      const std::vector<double>& Source = Col("RSO__" + Key);
      for (size_t I = 0; I < size_t(M.Records); ++I) {
        int Count = 0;
        for (size_t S = 0; S < Heard.size(); ++S) {
          Count += (*Heard[S])[I] == 1;
          Minutes[S][I] += 15 * (*Heard[S])[I];
        }
        ASSERT_EQ(Counts[I], Count);
        ASSERT_EQ(Any[I], Count > 0 ? 1 : 0);
        ASSERT_EQ(Place[I] > 0, Count > 0);
        ASSERT_TRUE(Place[I] >= 0 && Place[I] <= 4 && Source[I] >= 0 && Source[I] <= 4);
      }
    }
    for (size_t S = 0; S < Stations.size(); ++S) {
      const std::string P = "R" + Stations[S].substr(1, 2) + "__";
      EXPECT_EQ(Col(P + "MIN"), Minutes[S]);
      const std::vector<double>& Day = Col(P + "DAY");
      const std::vector<double>& Week = Col(P + "WEE");
      const std::vector<double>& Aware = Col(P + "AWA");
      const std::vector<double>& Spont = Col(P + "SPO");
      for (size_t I = 0; I < size_t(M.Records); ++I) {
        ASSERT_EQ(Day[I], Minutes[S][I] > 0 ? 1 : 0);
        // Heard yesterday means heard this week, and known.
        ASSERT_LE(Day[I], Week[I]);
        ASSERT_LE(Week[I], Aware[I]);
        ASSERT_LE(Spont[I], Aware[I]);
      }
    }
    for (double D : Col("rday")) ASSERT_TRUE(D >= 1 && D <= 7);
    // Viewing records: respondents in their order, days 1 to 7, slots 1 to 96.
    const TDemoWave& V = Media.Views[W];
    ASSERT_GT(V.Records, M.Records);
    const std::vector<double>& Resp = V.Find("respid")->Values;
    EXPECT_TRUE(std::is_sorted(Resp.begin(), Resp.end()));
    for (double D : V.Find("tvday")->Values) ASSERT_TRUE(D >= 1 && D <= 7);
    for (double Q : V.Find("tvq")->Values) ASSERT_TRUE(Q >= 1 && Q <= 96);
    for (double St : V.Find("tvst")->Values) ASSERT_TRUE(St >= 1 && St <= 6);
  }
}

TEST(DemoSurvey, ParameterErrors) {
  struct {
    const char* Text;
    const char* Message;
  } Cases[] = {
      {"seed\n", "Line 1: a key without numbers."},
      {"# c\nseed 1x\n", "Line 2: '1x' is not a number."},
      {"seed 1\nseed 2\n", "Line 2: the key seed is repeated."},
  };
  for (const auto& C : Cases) {
    try {
      TDemoParams::Parse(C.Text);
      ADD_FAILURE() << C.Text;
    } catch (const EDemoSurveyError& E) {
      EXPECT_EQ(E.Message, C.Message);
    }
  }
  // Complete parameters with one list too short, or a hostile wave size.
  std::string Text = ReadDemoFile("params.txt");
  std::string Short = Text;
  Short.replace(Short.find("pop_town 0.40"), 13, "pop_town");
  EXPECT_THROW(GenerateDemoSurvey(TDemoParams::Parse(Short)), EDemoSurveyError);
  std::string Huge = Text;
  Huge.replace(Huge.find("wave_records 2480"), 17, "wave_records 2e12");
  EXPECT_THROW(GenerateDemoSurvey(TDemoParams::Parse(Huge)), EDemoSurveyError);
  EXPECT_THROW(TDemoParams::Parse("seed 1").Get("seed", 2), EDemoSurveyError);
  EXPECT_THROW(TDemoParams::Parse("seed 1").Get1("wave_records"), EDemoSurveyError);
}

}  // namespace
}  // namespace quin
