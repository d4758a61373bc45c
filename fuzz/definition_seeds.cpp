// Writes the seed corpus of the definition-text fuzz target: the demonstration survey's
// definition as a survey file holds it (Windows-1250, CR LF), and small definitions with each
// section the readers know: weightings, waves, the data tree with questions, response lists,
// grids with axes, codes and ranges, regions and groups. The third argument names the fuzzer's
// working corpus, emptied here so that every run starts from the seeds alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "fuzz/corpus_folders.h"
#include "tools/demosurvey/demosurvey.h"
#include "tools/surveywriter/mediawriter.h"

using namespace quin;

namespace {

std::string Lines(std::initializer_list<const char*> L) {
  std::string S;
  for (const char* Line : L) S += std::string(Line) + "\r\n";
  return S;
}

const std::string kHeader =
    Lines({"def environ",
           "  languages = plk, enu;",
           "end;",
           "def survey",
           "  namespace = ns; id = s1; name = \"<PLK>Badanie<ENU>Survey\";",
           "  owner = \"Me\"; demo = 1; excludeSysMis = 1; hideRowsCols = values;",
           "  wizards = press, pressRanking, table1d, general;",
           "  advStats = cntW; stdStats = pct, cnt;",
           "  def infopage name = \"A\"; text = \"t\"; end;",
           "  def infopage name = \"Group\";",
           "    def infopage name = \"B\"; addr = \"http://x\"; end;",
           "  end;",
           "end;",
           "def recordset",
           "  id = resp; name = \"Respondents\"; stats = cnt, pct, mean;",
           "  def files colSpec = \"x\"; dataFile = \"y\"; end;",
           "end;",
           "def recordset",
           "  id = diary; name = \"Diary\"; join = id;",
           "  def files colSpec = \"x\"; dataFile = \"y\"; end;",
           "end;"});

const std::string kWeights = Lines(
    {"def weights", "  noWeight = 1; population = 2500;",
     "  def weight id = W1; name = \"<PLK>Waga<ENU>Weight\";",
     "    population = 1000.5; column = wr; end;",
     "  def weight id = w2; name = \"Again\"; nick = \"n\"; column = wa.diary; end;", "end;"});

const std::string kWaves = Lines(
    {"def waves", "  id = fale; name = \"<PLK>Fale<ENU>Waves\"; minSelCount = 2;",
     "  def wave id = Jan; name = \"<PLK>Zima<ENU>Winter\";",
     "    dateStart = 2005/1/3; dateEnd = 2005/1/30; end;", "  def wave dateStart = 2005/3; end;",
     "  def wave id = b; dateStart = 2005/2; dateEnd = 2005; end;", "end;"});

const std::string kTree = Lines(
    {"def data",
     "  def module id = m1; name = \"Media\";",
     "    def module id = m2; name = \"Press\";",
     "      def question id = q1; name = \"Reads\"; scale = nominal;",
     "        def response id = yes; name = \"Yes\"; column = q1; code = 1; end;",
     "        def response id = no; name = \"No\"; column = q1; code = 2; end;",
     "      end;",
     "    end;",
     "    def question id = q2; name = \"Brands\"; scale = ORDINAL;",
     "      def response id = a; name = \"A\"; column = q2a; code = 1; attr = noMean; end;",
     "      def response id = b; name = \"B\"; column = q2b.diary; code = 1; end;",
     "    end;",
     "  end;",
     "  def question id = age; name = \"Age\"; info = \"i\";",
     "    def response name = \"Age\"; column = age; numeric = >= 0; end;",
     "    def response id = c; name = \"Codes\"; column = n; range = 1, 3:4; end;",
     "    def response id = s; name = \"One\"; column = n; code = 2.5; end;",
     "    def response id = o; name = \"Open\"; columnList = q1, q2; range = min:max; end;",
     "  end;",
     "  def question id = l; name = \"List\";",
     "    def response id = pre; name = \"P\"; column = p; code = 9; end;",
     "    def responseList column = q; range = 1:2;",
     "      def response id = a; name = \"A\"; code = 1; end;",
     "      def response id = b; name = \"B\"; end;",
     "      code = 3;",
     "      def response id = c; name = \"C\"; attr = noMean; end;",
     "      def responseList def response id = fresh; name = \"F\"; code = 4; end; end;",
     "    end;",
     "  end;",
     "  def question id = g; name = \"Grid\";",
     "    def responseGrid columnMask = \"g*_*\"; range = 1:5;",
     "      def responseAxis id = br; name = \"Brand\";",
     "        def response id = b1; name = \"B1\"; columnText = \"a\"; end;",
     "        def response id = b2; name = \"B2\"; columnText = \"b\"; attr = substStats; end;",
     "      end;",
     "      def responseAxis id = fr; name = \"Freq\";",
     "        def response id = f1; name = \"F1\"; columnText = \"1\"; end;",
     "        def response id = f3; name = \"F3\"; columnText = \"3\"; attr = estIndependent; end;",
     "      end;",
     "      code = 3;",
     "    end;",
     "  end;",
     "end;"});

const std::string kPress = Lines(
    {"def press", "  def regions",
     "    def region id = North; name = \"<PLK>Mazury<ENU>Masuria\"; end;",
     "    def region id = south; name = \"South\"; end;", "  end;", "  def groups",
     "    name = \"<PLK>Typy<ENU>Types\";", "    def group id = Daily; name = \"Dailies\"; end;",
     "    def group id = weekly; name = \"Weeklies\"; end;", "  end;", "end;", "def radio end;",
     "def tv end;"});

// Media sections as the survey-file writer writes them: titles with days, regions and groups,
// indicators with columns and a response list, stations with places and sources, TV stations.
std::string MediaSections() {
  TSwPressSection P;
  P.Hook = "m";
  P.Regions = {{"north", "North"}};
  P.GroupLists = {{"Types", {{"daily", "Dailies"}}}};
  TSwMediaObject T;
  T.ID = "t1";
  T.Name = "Title";
  T.HasCode = true;
  T.Code = 1;
  T.Days = "mon:fri, sun";
  T.Regions = {"north"};
  T.Groups = {"daily"};
  P.Root.Modules = {{"mod", "Module", {}, {T}}};
  P.HasIndicators = true;
  TSwIndicator Tom;
  Tom.ID = "tom";
  Tom.Name = "TOM";
  Tom.Column = "a";
  TSwIndicator Rdw;
  Rdw.ID = "rdw";
  Rdw.Name = "RDW";
  Rdw.Numeric = "1:3";
  Rdw.ResponseList = "def response id = mon; name = \"Mon\"; columnMask = \"d_*\"; code = 1; end;";
  TSwIndicator Spo;
  Spo.ID = "spo";
  Spo.Name = "SPO";
  Spo.ColumnPrefix = "s_";
  Spo.IndependentColumns = 0;
  P.Indicators = {Tom, Rdw, Spo};
  TSwRadioSection R;
  R.Hook = "m";
  R.DayColumn = "a";
  R.Regions = {{"north", "North"}};
  TSwMediaObject St;
  St.ID = "r01";
  St.Name = "Radio";
  St.Regions = {"north"};
  R.Root.Objects = {St};
  R.HasIndicators = true;
  TSwIndicator Qs;
  Qs.ID = "qs";
  Qs.Name = "Quarters";
  R.Indicators = {Qs};
  R.Places = {{"car", "Car"}};
  R.Sources = {{"web", "Web"}};
  TSwTVSection V;
  V.StationsCol = "a";
  V.MinutesCol = "a";
  V.DaysCol = "a";
  V.QsCol = "a";
  TSwMediaObject Tv;
  Tv.ID = "tv1";
  Tv.Name = "TV";
  Tv.HasCode = true;
  Tv.Code = 3;
  V.Root.Objects = {Tv};
  V.HasIndicators = true;
  TSwIndicator Rch;
  Rch.ID = "rch";
  Rch.Name = "Reach";
  V.Indicators = {Rch};
  return PressSectionText(P) + RadioSectionText(R) + TVSectionText(V);
}

// Faulty texts the readers recover from.
const std::string kFaults =
    Lines({"def data", "  def module id = m; end;", "  def module id = M; name = \"Dup\"; end;",
           "  def question id = q; name = \"Q\"; scale = ratio;",
           "    def response id = r1; code = 1; end;", "    def responseGrid end;",
           "    def response id = R1; code = 2; end;", "  end;",
           "  def question id = e; name = \"E\"; end;",
           "  def question name = \"N\"; def response code = 1; end; end;", "  odd = 1",
           "  def zzz end;", "  def odd end;", "end;"});

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path Seeds, Work;
  if (!PrepareCorpusFolders(
          argc, argv, 3, "quin_definition_seeds <demo.def> <seed folder> <working corpus folder>",
          Seeds, Work))
    return 2;
  std::ifstream In(argv[1], std::ios::binary);
  if (!In) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  std::ostringstream Demo;
  Demo << In.rdbuf();
  const struct {
    const char* Name;
    std::string Text;
  } Texts[] = {
      {"demo", DemoSurveyDefinition(Demo.str())},
      {"header", kHeader + "def waves end;\r\ndef data end;\r\n"},
      {"weights", kHeader + kWeights + "def waves end;\r\ndef data end;\r\n"},
      {"waves", kHeader + kWaves + "def data end;\r\n"},
      {"tree", kHeader + "def waves end;\r\n" + kTree},
      {"press", kHeader + "def waves end;\r\ndef data end;\r\n" + kPress},
      {"faults", kHeader + "def waves end;\r\n" + kFaults},
      {"media", kHeader +
                    "def waves end;\r\ndef data def module id = m; name = \"M\"; end; "
                    "end;\r\n" +
                    MediaSections()},
      {"all", kHeader + kWeights + kWaves + kTree + kPress},
  };
  for (const auto& T : Texts) std::ofstream(Seeds / T.Name, std::ios::binary) << T.Text;
  return 0;
}
