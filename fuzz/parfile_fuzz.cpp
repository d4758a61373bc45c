// Fuzz target of the parameter-definition file reader: an input is a whole parameter file,
// read for a small survey with a coded, a numeric and a grid question and five waves. The
// objects read have their items listed, labelled and made into result elements, and are
// copied; the file is written and read again. Every failure must be one of the program's
// exceptions; crashes, hangs, leaks and sanitizer reports are findings.
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/pelpar.h"
#include "analysis/pelreselem.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "analysis/register.h"
#include "base/exception.h"
#include "base/langmanager.h"
#include "base/orvstreams.h"
#include "tools/surveywriter/zoswriter.h"

using namespace quin;

namespace {

const char* const kDefinition =
    "def environ languages = plk, enu; end;\r\n"
    "def survey namespace = ns; id = s1; name = \"S\"; wizards = table1d; end;\r\n"
    "def recordset id = resp; name = \"R\"; def files colSpec = \"x\"; dataFile = \"y\"; end; "
    "end;\r\n"
    "def waves minSelCount = 2; def wave id = w1; end; def wave id = w2; end; "
    "def wave id = w3; end; def wave id = w4; end; def wave id = w5; end; end;\r\n"
    "def data\r\n"
    "  def question id = sex; name = \"Sex\"; def responseList column = sex;\r\n"
    "    def response id = male; name = \"M\"; code = 1; end;\r\n"
    "    def response id = female; name = \"F\"; code = 2; end; end; end;\r\n"
    "  def question id = age; name = \"Age\";\r\n"
    "    def response id = years; name = \"Y\"; column = age; numeric = 15:99; end; end;\r\n"
    "  def question id = freq; name = \"Freq\"; def responseGrid columnMask = \"f_*\";\r\n"
    "    def responseAxis id = medium; name = \"Medium\";\r\n"
    "      def response id = tv; name = \"TV\"; columnText = \"tv\"; end;\r\n"
    "      def response id = radio; name = \"Radio\"; columnText = \"radio\"; end; end;\r\n"
    "    def responseAxis id = often; name = \"Often\";\r\n"
    "      def response id = daily; name = \"D\"; code = 1; end;\r\n"
    "      def response id = never; name = \"N\"; code = 2; end; end; end; end;\r\n"
    "end;\r\n";

// The elements parameters make, freed at once.
void Free(const TPelResElemVec& Elems) {
  for (TPelResElem* E : Elems) delete E;
}

std::string* GBytes = nullptr;
TPelSurvey* GSurvey = nullptr;

void Exercise(TPelParList& List) {
  for (int I = 0; I < List.Count(); ++I) {
    TPelPar* P = List.GetItem(I);
    P->GetDisplayName();
    P->GetCaption();
    for (bool Selectable : {true, false}) {
      P->GetLabelList(Selectable, !Selectable, true, true, true);
      P->GetLabelList2D(Selectable, !Selectable, true, true, true);
      Free(P->CreateResElemList(Selectable, !Selectable, true));
      Free(P->CreateResElemList2D(Selectable, !Selectable, true));
    }
    P->GetAllLabels();
    Free(P->CreateAllResElems());
    for (int K = -1; K <= P->GetItemCount(); ++K) P->GetItemInfoText(0, K);
    CopyOf(*P);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterAnalysisClasses();
  static std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  static TLangManagerBinding Binding(Manager.get());
  TSwSurveyRecset Resp{"resp", {}};
  for (int W = 0; W < 5; ++W) {
    TSwSurveyWave Wave;
    Wave.Records = 3;
    Wave.Columns = {{"sex", {1, 2, 1}, {}},
                    {"age", {20.0 + W, 30, 44}, {}},
                    {"f_tv", {1, 2, 2}, {}},
                    {"f_radio", {2, 1, kPelMissingDouble}, {}}};
    Resp.Waves.push_back(Wave);
  }
  static std::string Bytes = SurveyFileBytes(kDefinition, {Resp});
  static TMemoryStream Stream{std::string_view(Bytes)};
  static std::unique_ptr<TPelSurvey> Survey = New<TPelSurvey>("fuzz.zos", 0);
  Survey->ReadSurveyFile(Stream);
  GBytes = &Bytes;
  GSurvey = Survey.get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TPelRWObjectFile File(GSurvey, 0);
  TMemoryStream In(Data, static_cast<int64_t>(Size));
  try {
    File.ReadFromStream(In);
  } catch (const Exception&) {
  }
  // The objects read, as one analysis's parameter list (not owning: the file keeps them).
  TPelParList List(GSurvey, false);
  for (int I = 0; I < File.Elems.Count(); ++I)
    if (auto* P = As<TPelPar>(File.Elems[I]->Obj.get())) {
      List.Add(P);
      P->Owner = &List;
    }
  try {
    Exercise(List);
    TMemoryStream Out;
    File.WriteToStream(Out);
    Out.SetPosition(0);
    TPelRWObjectFile Again(GSurvey, 0);
    Again.ReadFromStream(Out);
  } catch (const Exception&) {
  }
  return 0;
}
