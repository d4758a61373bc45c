// Writes the seed corpus of the survey-file fuzz target: small survey files of every version,
// with a panel record set, several waves and columns in every compression. The second argument
// names the fuzzer's working corpus, emptied here so that every run starts from the seeds
// alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/corpus_folders.h"
#include "tools/surveywriter/mediawriter.h"
#include "tools/surveywriter/zoswriter.h"

using namespace quin;

namespace {

const char* const kDefinition =
    "def environ languages = plk, enu; end;\r\n"
    "def survey namespace = ns; id = s; name = \"S\"; wizards = table1d; advStats = cntW; end;\r\n"
    "def recordset id = resp; name = \"R\"; def files colSpec = \"x\"; dataFile = \"y\"; end; "
    "end;\r\n"
    "def recordset id = pan; name = \"P\"; join = id; def files colSpec = \"x\"; "
    "dataFile = \"y\"; end; end;\r\n"
    "def waves def wave id = w1; name = \"1\"; end; def wave id = w2; name = \"2\"; end; "
    "end;\r\ndef data end;\r\n";

TSwSurveyWave Wave(int Records, int Compression, int Seed) {
  TSwSurveyWave W;
  W.Records = Records;
  TSwSurveyColumn Id{"id", {}, {}};
  TSwSurveyColumn Q{"q" + std::to_string(Compression),
                    {},
                    {cdlfUInt1, static_cast<TPelColDataCompression>(Compression)}};
  const int Dict =
      Compression == cdcfNoCompression ? 5 : std::min(5, PelCompressionMaxDictionary(Compression));
  for (int I = 0; I < Records; ++I) {
    Id.Values.push_back(1 + I / 2 + Seed);  // NOLINT(bugprone-integer-division): pairs share one
    Q.Values.push_back(I % 7 == 0 ? kPelMissingDouble : (I / 3 + Seed) % (Dict - 1));
  }
  W.Columns = {Id, Q};
  return W;
}

// A survey with press, radio and television sections over columns of both record sets.
std::string MediaSurvey() {
  TSwPressSection P;
  P.Hook = "m";
  TSwMediaObject T;
  T.ID = "t1";
  T.Name = "Title";
  T.HasCode = true;
  T.Code = 1;
  T.Days = "mon, thu";
  P.Root.Objects = {T};
  P.HasIndicators = true;
  TSwIndicator Rr;
  Rr.ID = "rr";
  Rr.Name = "RR";
  Rr.ColumnPrefix = "rr_";
  Rr.IndependentColumns = 1;
  TSwIndicator Tom;
  Tom.ID = "tom";
  Tom.Name = "TOM";
  Tom.Column = "q0";
  P.Indicators = {Rr, Tom};
  TSwRadioSection R;
  R.Hook = "m";
  R.DayColumn = "q0";
  TSwMediaObject St;
  St.ID = "r01";
  St.Name = "Radio";
  R.Root.Objects = {St};
  TSwTVSection V;
  V.StationsCol = "q0.pan";
  V.MinutesCol = "q0.pan";
  V.DaysCol = "q0.pan";
  V.QsCol = "q0.pan";
  TSwMediaObject Tv;
  Tv.ID = "tv1";
  Tv.Name = "TV";
  Tv.HasCode = true;
  Tv.Code = 2;
  V.Root.Objects = {Tv};
  std::string Def = kDefinition;
  Def.replace(Def.find("def data end;"), 13, "def data def module id = m; name = \"M\"; end; end;");
  Def += PressSectionText(P) + RadioSectionText(R) + TVSectionText(V);
  TSwSurveyWave W = Wave(6, cdcfRLE_1_8, 0);
  TSwSurveyColumn Reading{"rr_t1", {0, 1, 1, 0, 1, 0}, {}};
  TSwSurveyColumn Quarter{"r01__050", {1, 1, 0, 0, 0, 1}, {cdlfBit2, cdcfRLE_1_2}};
  W.Columns.push_back(Reading);
  W.Columns.push_back(Quarter);
  const TSwSurveyRecset Resp{"resp", {W}};
  const TSwSurveyRecset Pan{"pan", {Wave(8, cdcfZLib, 0)}};
  return SurveyFileBytes(Def, {Resp, Pan});
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(argc, argv, 2,
                            "quin_survey_seeds <seed folder> <working corpus folder>", Seeds, Work))
    return 2;
  for (int V = 0; V <= 8; ++V) {
    TSwSurveyOptions O;
    O.Version = V;
    O.Version6Text = "6";
    O.Version8Text = "8";
    O.ExtraBlock = "xyz";
    O.DataDate = 40000;
    const int C = V % kPelColDataCompressionCount;
    const TSwSurveyRecset Resp{"resp", {Wave(6, C, 0), Wave(4, C + 3, 10)}};
    const TSwSurveyRecset Pan{"pan", {Wave(8, C + 1, 0)}};
    std::ofstream(Seeds / ("survey" + std::to_string(V)), std::ios::binary)
        << SurveyFileBytes(kDefinition, {Resp, Pan}, O);
  }
  std::ofstream(Seeds / "media", std::ios::binary) << MediaSurvey();
  return 0;
}
