#include "surveykit/mertv.h"

#include "base/langmanager.h"
#include "base/orvscanner.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TMerTVStation, TGimMediaObject)
QUIN_IMPLEMENT_CLASS(TMerTVStationList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TMerTVModule, TGimMediaModule)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerTVInd, TGimMediaInd)
QUIN_IMPLEMENT_CLASS(TMerTVIndAMR, TMerTVInd)
QUIN_IMPLEMENT_CLASS(TMerTVIndATV, TMerTVInd)
QUIN_IMPLEMENT_CLASS(TMerTVIndSHR, TMerTVInd)
QUIN_IMPLEMENT_CLASS(TMerTVIndRCH, TMerTVInd)
QUIN_IMPLEMENT_CLASS(TMerTVIndList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TMerTV, TGimMedia)

std::string TMerTVInd::Groups() const { return TranslateLiteral("<PLK>Główne<ENU>Main"); }

TMerTVIndList::TMerTVIndList(TMerSurvey* ASurvey) : TGimMediaIndList(ASurvey) {
  Add(NewMediaInd<TMerTVIndAMR>(ASurvey, "amr"));
  Add(NewMediaInd<TMerTVIndATV>(ASurvey, "atv"));
  Add(NewMediaInd<TMerTVIndSHR>(ASurvey, "shr"));
  Add(NewMediaInd<TMerTVIndRCH>(ASurvey, "rch"));
}

TMerTV::TMerTV(TMerSurvey* ASurvey) {
  Survey = ASurvey;
  RootModule = NewInSurvey<TMerTVModule>(ASurvey, nullptr);
  Indicators = std::make_unique<TMerTVIndList>(ASurvey);
}

TMerTV::~TMerTV() {
  MinutesCol.reset();
  DaysCol.reset();
  QsCol.reset();
  StationsCol.reset();
}

void TMerTVModule::Read(TRixScanner& Scanner, TMerTV& TV, int Depth) {
  auto Body = [&] {
    TGimBlockReader R;
    R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
      if (S.ReadDefComplexStart("module")) {
        if (GimSkipTooDeep(S, Depth + 1)) return true;
        auto* M = static_cast<TMerTVModule*>(AddChild(NewInSurvey<TMerTVModule>(TV.Survey, this)));
        M->Read(S, TV, Depth + 1);
        return true;
      }
      if (S.ReadDefComplexStart("station")) {
        TV.ReadStation(S, *this);
        return true;
      }
      return false;
    };
    R.Key = [&](TRixScanner& S) {
      return TV.ReadObjectTexts(S, *this, TMerTVModule::StaticClass());
    };
    R.Read(Scanner);
  };
  GimReadAndClose(Body, [&] {
    if (Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
  });
}

void TMerTV::ReadStation(TRixScanner& Scanner, TGimModule& Parent) {
  if (!AdmitObject(Scanner, GimMaxMediaObjects)) return;
  auto* St =
      static_cast<TMerTVStation*>(Parent.AddChild(NewInSurvey<TMerTVStation>(Survey, &Parent)));
  auto Body = [&] {
    TGimBlockReader R;
    R.Key = [&](TRixScanner& S) {
      if (ReadObjectTexts(S, *St, TMerTVStation::StaticClass())) return true;
      const TOrvTextPos ValuePos = S.Token->StartPos;
      int32_t Code = 0;
      if (S.ReadInteger("code", Code)) {
        // A code the byte-read stations column cannot hold would never find the station.
        if (Code < 0 || Code > TVMaxStationCode)
          S.AddMsgAt(TMerMsgError_IntegerOutOfBounds, ValuePos);
        else
          St->Code = Code;
        return true;
      }
      return S.LastReadResult() != TRixReadResult::NoMatch;
    };
    R.Read(Scanner);
  };
  GimReadAndClose(Body, [&] { GimCheckIDAndName(Scanner, *St); });
}

void TMerTV::ReadTVIndicators(TRixScanner& Scanner) { GimReadIndicators(Scanner, *Indicators, {}); }

void TMerTV::ReadSection(TRixScanner& Scanner, const TOrvTextPos&) {
  ResetHook();
  ReadIDs.Clear();
  auto ClearAtEnd = OnScopeExit([&] { ReadIDs.Clear(); });
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    const std::pair<const char*, std::unique_ptr<TMerRecsetCol>*> Cols[] = {
        {"stationsCol", &StationsCol},
        {"minutesCol", &MinutesCol},
        {"daysCol", &DaysCol},
        {"qsCol", &QsCol}};
    for (auto [Key, Col] : Cols) {
      std::string Spec;
      if (S.ReadIdentifier(Key, Spec)) {
        *Col = Survey ? Survey->CreateCol(&S, Spec) : nullptr;
        return true;
      }
      if (S.LastReadResult() != TRixReadResult::NoMatch) return true;
    }
    return false;
  };
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (S.ReadDefComplexStart("module")) {
      auto* M = static_cast<TMerTVModule*>(
          RootModule->AddChild(NewInSurvey<TMerTVModule>(Survey, RootModule.get())));
      M->Read(S, *this, 1);
      return true;
    }
    if (S.ReadDefComplexStart("station")) {
      ReadStation(S, *RootModule);
      return true;
    }
    if (S.ReadDefComplexStart("indicators")) {
      ReadTVIndicators(S);
      return true;
    }
    return false;
  };
  R.Read(Scanner);
}

}  // namespace quin
