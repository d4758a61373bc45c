#include "surveykit/mersurvey.h"

#include "base/properties.h"
#include "deflang/rixparser.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimpress.h"
#include "surveykit/gimradio.h"
#include "surveykit/mermessages.h"
#include "surveykit/merschema.h"
#include "surveykit/mertv.h"

namespace quin {

namespace {
void DescribeSurvey(TPropTableBuilder<TMerSurvey>& P) {
  P.Object("Environ", &TMerSurvey::Environ);
  P.Object("Info", &TMerSurvey::Info);
  P.ObjectList("RecsetList", &TMerSurvey::RecsetList);
}
}  // namespace

QUIN_IMPLEMENT_CLASS_WITH_PROPS(TMerSurvey, TOrvPersistent, DescribeSurvey)

const TOrvLangManager* SurveyLangManager(const TMerSurvey* Survey) {
  return Survey && Survey->Environ ? Survey->Environ->LangManager.get() : nullptr;
}

TMerSurvey::TMerSurvey(std::string_view AFileName)
    : TOrvPersistent(nullptr),
      Environ(New<TMerEnviron>()),
      RecsetList(std::make_unique<TMerRecsetList>(this)),
      FileName(AFileName) {
  Environ->Owner = this;
}

void TMerSurvey::AfterConstruction() {
  TOrvPersistent::AfterConstruction();
  Weights = CreateWeightList();
}

TMerSurvey::~TMerSurvey() {
  Waves.reset();
  Weights.reset();
  RecsetList.reset();
  Press.reset();
  Radio.reset();
  TV.reset();
  Data.reset();
  Info.reset();
  Environ.reset();
}

std::unique_ptr<TGimWaveList> TMerSurvey::CreateWaveList() { return nullptr; }
std::unique_ptr<TGimWeightList> TMerSurvey::CreateWeightList() { return nullptr; }

std::string TMerSurvey::GetDefinitionDir() const { return DefinitionDirOf(FileName); }

std::unique_ptr<TRixParser> TMerSurvey::CreateParser(std::string_view AFileName) {
  return New<TMerSurveyParser>(AFileName);
}

void TMerSurvey::ReadDefinition(TRixScanner& Scanner) {
  {
    std::unique_ptr<TRixParser> Parser = CreateParser(FileName);
    Parser->StopAtUnknownKey = true;
    TOrvLangManager* Lang = Environ->LangManager.get();
    Parser->Parse(Lang, Scanner, this);
  }
  PrepareRecsets();
  // The parser stepped back: the first block it did not know is the current token.
  ReadSections(Scanner);
}

std::unique_ptr<TMerRecsetCol> TMerSurvey::CreateCol(TRixScanner*, std::string_view Spec) {
  TMerRecset* Default = RecsetList->Empty() ? nullptr : Recset(0);
  return std::make_unique<TMerRecsetCol>(this, Spec, Default);
}

std::unique_ptr<TGimResponse> TMerSurvey::CreateResponse(TGimDataObject* Parent) {
  return NewInSurvey<TGimResponse>(this, Parent);
}

std::unique_ptr<TMerResponseList> TMerSurvey::CreateResponseList(TGimDataObject* Parent) {
  return NewInSurvey<TMerResponseList>(this, Parent);
}

void TMerSurvey::LinkRecsets() {
  RecsetList->Survey = this;
  for (int I = 0; I < RecsetList->Count(); ++I) Recset(I)->Survey = this;
}

namespace {
// A section without a reader in this build: skipped whole, with a warning at its key.
void SkipSection(TRixScanner& Scanner, const TOrvTextPos& Pos, const char* Key) {
  Scanner.AddMsgArgsAt(TMerWarning_SectionSkipped, Pos, {Key});
  Scanner.SkipDef(Pos);
}
}  // namespace

void TMerSurvey::ReadWeights(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  if (!Weights) Weights = CreateWeightList();
  // A survey class without a weighting list cannot hold the block.
  if (!Weights) return SkipSection(Scanner, Pos, "weights");
  Weights->Read(Scanner, RecsetList.get());
}

void TMerSurvey::ReadWaves(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  if (!Waves) Waves = CreateWaveList();
  if (!Waves) return SkipSection(Scanner, Pos, "waves");
  Waves->Read(Scanner, RecsetList.get());
}

void TMerSurvey::ReadData(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  Data.reset();
  Data = std::make_unique<TGimData>(this);
  Data->Read(Scanner, Pos);
}

void TMerSurvey::ReadPress(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  auto P = std::make_unique<TGimPress>(this);
  TGimPress* Def = P.get();
  Press = std::move(P);
  Def->Read(Scanner, Pos);
  Def->AfterRead(&Scanner);
}

void TMerSurvey::ReadRadio(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  auto R = std::make_unique<TGimRadio>(this);
  TGimRadio* Def = R.get();
  Radio = std::move(R);
  Def->ReadSection(Scanner, Pos);
  Def->BuildDerivedQuestions();
}

void TMerSurvey::ReadTV(TRixScanner& Scanner, const TOrvTextPos& Pos) {
  auto T = std::make_unique<TMerTV>(this);
  TMerTV* Def = T.get();
  TV = std::move(T);
  Def->ReadSection(Scanner, Pos);
}

void TMerSurvey::ReadSections(TRixScanner& Scanner) {
  // The position of a block's key, once ReadDefComplexStart has consumed "def" and the key.
  auto KeyPos = [&Scanner]() {
    return Scanner.PrevToken ? Scanner.PrevToken->StartPos : Scanner.Pos;
  };
  if (Scanner.ReadDefComplexStart("weights")) ReadWeights(Scanner, KeyPos());
  if (Scanner.ReadDefComplexStart("waves"))
    ReadWaves(Scanner, KeyPos());
  else
    Scanner.AddMsgAt(TGimFatal_Waves_NotDefined, Scanner.Token->StartPos);
  if (Scanner.ReadDefComplexStart("data"))
    ReadData(Scanner, KeyPos());
  else
    Scanner.AddMsgAt(TGimFatal_Data_NotDefined, Scanner.Token->StartPos);
  if (Scanner.ReadDefComplexStart("press")) ReadPress(Scanner, KeyPos());
  if (Scanner.ReadDefComplexStart("radio")) ReadRadio(Scanner, KeyPos());
  if (Scanner.ReadDefComplexStart("tv")) ReadTV(Scanner, KeyPos());
  if (!Scanner.Token->Is<TOrvTokenEOF>())
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, Scanner.Token->StartPos);
  const bool Errors = Scanner.MsgList && Scanner.MsgList->ErrorCount() > 0;
  if (!Errors && Weights && Weights->Empty()) Weights->AddNoWeight();
}

TGimPress* TMerSurvey::PressDef() const { return As<TGimPress>(Press.get()); }
TGimRadio* TMerSurvey::RadioDef() const { return As<TGimRadio>(Radio.get()); }
TMerTV* TMerSurvey::TVDef() const { return As<TMerTV>(TV.get()); }

std::string TMerSurvey::GetQualifiedID() const {
  return Info ? Info->ID + "@" + Info->Namespace : std::string("@");
}

}  // namespace quin
