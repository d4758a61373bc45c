#include "surveykit/mersurvey.h"

#include "base/properties.h"

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

std::string TMerSurvey::GetDefinitionDir() const {
  const size_t P = FileName.find_last_of("/\\");
  return P == std::string::npos ? std::string() : FileName.substr(0, P + 1);
}

std::unique_ptr<TMerRecsetCol> TMerSurvey::CreateCol(std::string_view Spec) {
  TMerRecset* Default = RecsetList->Empty() ? nullptr : Recset(0);
  return std::make_unique<TMerRecsetCol>(this, Spec, Default);
}

void TMerSurvey::LinkRecsets() {
  RecsetList->Survey = this;
  for (int I = 0; I < RecsetList->Count(); ++I) Recset(I)->Survey = this;
}

std::string TMerSurvey::GetQualifiedID() const {
  return Info ? Info->ID + "@" + Info->Namespace : std::string("@");
}

}  // namespace quin
