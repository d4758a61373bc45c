#include "surveykit/gimradio.h"

#include <functional>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvscanner.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimreading.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"
#include "surveykit/quarterhours.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimRadioStation, TGimMediaObject)
QUIN_IMPLEMENT_CLASS(TGimRadioStationList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TGimRadioModule, TGimMediaModule)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimRadioInd, TGimMediaInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_SPO, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_AWA, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_WEE, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_DAY, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_ByQs, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_Share, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_MeanTime, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioInd_AvgQ, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioIndInserts, TGimRadioInd)
QUIN_IMPLEMENT_CLASS(TGimRadioIndNOI, TGimRadioIndInserts)
QUIN_IMPLEMENT_CLASS(TGimRadioIndList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimRadio, TGimMedia)

// ---- Column names

std::string RadioStationQuarterColumn(std::string_view Suffix, int Slot) {
  return "R" + std::string(Suffix) + "__" + QuarterSortKey(Slot);
}

std::string RadioQuarterColumn(std::string_view Prefix, int Slot) {
  return std::string(Prefix) + "__" + QuarterSortKey(Slot);
}

std::string RadioStationColumn(std::string_view Suffix, std::string_view Kind) {
  return "R" + std::string(Suffix) + "__" + std::string(Kind);
}

// ---- Places and sources

namespace {

const char* const kPlaceIDs[RadioPlaceCount] = {"home", "work", "car", "other"};
const char* const kSourceIDs[RadioSourceCount] = {"rso", "web", "sat", "cab"};

int IndexIn(const char* const* IDs, int Count, std::string_view ID) {
  for (int I = 0; I < Count; ++I)
    if (SameText(IDs[I], ID)) return I;
  return -1;
}

}  // namespace

int RadioPlaceIndex(std::string_view ID) {
  const int I = IndexIn(kPlaceIDs, RadioPlaceCount, ID);
  return I < 0 ? 0 : I;
}

int RadioSourceIndex(std::string_view ID) {
  const int I = IndexIn(kSourceIDs, RadioSourceCount, ID);
  return I < 0 ? 0 : I;
}

std::string RadioPlaceID(int Index) {
  return Index >= 0 && Index < RadioPlaceCount ? kPlaceIDs[Index] : "";
}

std::string RadioSourceID(int Index) {
  return Index >= 0 && Index < RadioSourceCount ? kSourceIDs[Index] : "";
}

// ---- Stations and indicators

std::string TGimRadioStation::IDSuffix() const { return ID.size() > 1 ? ID.substr(1, 2) : ""; }

std::string TGimRadioInd::Groups() const { return TranslateLiteral("<PLK>Główne<ENU>Main"); }

bool TGimRadioIndNOI::DependsOnInd(const ClassInfo& IndClass, int, int) const {
  return IndClass.InheritsFrom(TGimRadioIndNOI::StaticClass());
}

TGimRadioIndList::TGimRadioIndList(TMerSurvey* ASurvey) : TGimMediaIndList(ASurvey) {
  Add(NewMediaInd<TGimRadioInd_SPO>(ASurvey, "spo"));
  Add(NewMediaInd<TGimRadioInd_AWA>(ASurvey, "awa"));
  Add(NewMediaInd<TGimRadioInd_WEE>(ASurvey, "week"));
  Add(NewMediaInd<TGimRadioInd_DAY>(ASurvey, "day"));
  Add(NewMediaInd<TGimRadioInd_ByQs>(ASurvey, "qs"));
  Add(NewMediaInd<TGimRadioInd_Share>(ASurvey, "share"));
  Add(NewMediaInd<TGimRadioInd_MeanTime>(ASurvey, "meanTime"));
  Add(NewMediaInd<TGimRadioInd_AvgQ>(ASurvey, "avgQ"));
  Add(NewMediaInd<TGimRadioIndNOI>(ASurvey, "noi"));
}

// ---- Reading the section

TGimRadio::TGimRadio(TMerSurvey* ASurvey) {
  Survey = ASurvey;
  RootModule = NewInSurvey<TGimRadioModule>(ASurvey, nullptr);
  Indicators = std::make_unique<TGimRadioIndList>(ASurvey);
}

TGimRadio::~TGimRadio() { DayColumn.reset(); }

void TGimRadioModule::Read(TRixScanner& Scanner, TGimRadio& Radio, int Depth) {
  auto Body = [&] {
    TGimBlockReader R;
    R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
      if (S.ReadDefComplexStart("module")) {
        if (GimSkipTooDeep(S, Depth + 1)) return true;
        auto* M = static_cast<TGimRadioModule*>(
            AddChild(NewInSurvey<TGimRadioModule>(Radio.Survey, this)));
        M->Read(S, Radio, Depth + 1);
        return true;
      }
      if (S.ReadDefComplexStart("station")) {
        Radio.ReadStation(S, *this);
        return true;
      }
      return false;
    };
    R.Key = [&](TRixScanner& S) {
      return Radio.ReadObjectTexts(S, *this, TGimRadioModule::StaticClass());
    };
    R.Read(Scanner);
  };
  GimReadAndClose(Body, [&] {
    if (Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
  });
}

void TGimRadio::ReadStation(TRixScanner& Scanner, TGimModule& Parent) {
  if (!AdmitObject(Scanner, RadioMaxStations)) return;
  auto* St = static_cast<TGimRadioStation*>(
      Parent.AddChild(NewInSurvey<TGimRadioStation>(Survey, &Parent)));
  auto Body = [&] {
    TGimBlockReader R;
    R.Key = [&](TRixScanner& S) {
      if (ReadObjectTexts(S, *St, TGimRadioStation::StaticClass())) return true;
      // Regions the section does not define are left out without a message.
      return GimReadRegionsValue(S, St->Regions, Regions.get(), /*ReportUnknown=*/false);
    };
    R.Read(Scanner);
  };
  GimReadAndClose(Body, [&] { GimCheckIDAndName(Scanner, *St); });
}

namespace {

// One "place" or "source" body: "id" first (one of IDs), then "name" into Names.
void ReadNamedRow(TRixScanner& Scanner, const TOrvTextPos& KeyPos, const char* const* IDs,
                  int Count, std::string* Names, const TOrvLangManager* Lang) {
  const TOrvTextPos At = Scanner.Token->StartPos;
  std::string ID;
  if (!Scanner.ReadIdentifier("id", ID)) {
    if (Scanner.LastReadResult() == TRixReadResult::NoMatch)
      Scanner.AddMsgAt(TMerMsgError_IndIDExpected, At);
    Scanner.SkipDef(KeyPos);
    return;
  }
  const int Index = IndexIn(IDs, Count, ID);
  if (Index < 0) {
    Scanner.AddMsgAt(TMerMsgError_UnknownIndID, At);
    Scanner.SkipDef(KeyPos);
    return;
  }
  TGimBlockReader R;
  R.Key = [&](TRixScanner& S) {
    return S.ReadString("name", Names[Index], false, false, Lang) ||
           S.LastReadResult() != TRixReadResult::NoMatch;
  };
  R.Read(Scanner);
}

}  // namespace

void TGimRadio::ReadRadioPlaces(TRixScanner& Scanner) {
  TGimBlockReader R;
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("place")) return false;
    ReadNamedRow(S, S.PrevToken->StartPos, kPlaceIDs, RadioPlaceCount, PlaceNames.data(),
                 SurveyLangManager(Survey));
    return true;
  };
  R.Read(Scanner);
}

void TGimRadio::ReadRadioSources(TRixScanner& Scanner) {
  const TOrvTextPos BlockPos = Scanner.PrevToken ? Scanner.PrevToken->StartPos : Scanner.Pos;
  for (;;) {
    if (GimAtBlockEnd(Scanner)) return;
    if (Scanner.ReadDefComplexStart("source")) {
      ReadNamedRow(Scanner, Scanner.PrevToken->StartPos, kSourceIDs, RadioSourceCount,
                   SourceNames.data(), SurveyLangManager(Survey));
      continue;
    }
    // Anything else ends the block: the rest of it is skipped.
    Scanner.AddMsgAt(TRixMsgError_UnknownKey, Scanner.Token->StartPos);
    Scanner.SkipDef(BlockPos);
    return;
  }
}

void TGimRadio::ReadRadioIndicators(TRixScanner& Scanner) {
  GimReadIndicators(Scanner, *Indicators, {});
}

void TGimRadio::ReadSection(TRixScanner& Scanner, const TOrvTextPos&) {
  ResetHook();
  ReadIDs.Clear();
  auto ClearAtEnd = OnScopeExit([&] { ReadIDs.Clear(); });
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    if (ReadHook(S)) return true;
    std::string Spec;
    if (S.ReadIdentifier("dayColumn", Spec)) {
      DayColumn = Survey ? Survey->CreateCol(&S, Spec) : nullptr;
      return true;
    }
    return S.LastReadResult() != TRixReadResult::NoMatch;
  };
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (S.ReadDefComplexStart("module")) {
      auto* M = static_cast<TGimRadioModule*>(
          RootModule->AddChild(NewInSurvey<TGimRadioModule>(Survey, RootModule.get())));
      M->Read(S, *this, 1);
      return true;
    }
    if (S.ReadDefComplexStart("station")) {
      ReadStation(S, *RootModule);
      return true;
    }
    if (S.ReadDefComplexStart("regions")) {
      ReadRegions(S, S.PrevToken->StartPos);
      return true;
    }
    if (S.ReadDefComplexStart("indicators")) {
      ReadRadioIndicators(S);
      return true;
    }
    if (S.ReadDefComplexStart("sources")) {
      ReadRadioSources(S);
      return true;
    }
    if (S.ReadDefComplexStart("places")) {
      ReadRadioPlaces(S);
      return true;
    }
    return false;
  };
  R.Read(Scanner);
}

// ---- Derived questions

namespace {

const char* const kPlaceResponseNames[] = {
    "<enu>did not listen<plk>nie słuchał", "<enu>at home<plk>w domu", "<enu>at work<plk>w pracy",
    "<enu>in a car<plk>w samochodzie", "<enu>in another place<plk>w innym miejscu"};
const char* const kSourceResponseNames[] = {
    "<enu>did not listen<plk>nie słuchał", "<enu>radio aerial<plk>fale radiowe",
    "<enu>Internet<plk>Internet", "<enu>cable TV<plk>telewizja kablowa",
    "<enu>satellite<plk>antena satelitarna"};

class TBuilder {
 public:
  explicit TBuilder(TMerSurvey* ASurvey) : Survey(ASurvey) {}
  TMerSurvey* Survey;

  std::unique_ptr<TGimModule> Module(TGimModule* Parent, const std::string& ID,
                                     const std::string& Name) {
    auto M = NewInSurvey<TGimModule>(Survey, Parent);
    M->ID = ID;
    M->Name = Name;
    return M;
  }
  std::unique_ptr<TGimQuestion> Question(TGimModule* Parent, const std::string& ID,
                                         const std::string& Name) {
    auto Q = NewInSurvey<TGimQuestion>(Survey, Parent);
    Q->ID = ID;
    Q->Name = Name;
    Q->NameWithOwners = true;
    return Q;
  }
  static TGimResponse* Response(TGimQuestion& Q, const std::string& ID, const std::string& Name,
                                double Code, const std::string& Column) {
    TGimResponse* R = Q.Responses->AppendResponse();
    R->ID = ID;
    R->Name = Name;
    R->SingleCode = Code;
    R->HasSingleCode = true;
    R->SetColumn(nullptr, Column);
    return R;
  }
  static TGimResponse* RangeResponse(TGimQuestion& Q, const std::string& ID,
                                     const std::string& Name, double Lo, double Hi,
                                     const std::string& Column) {
    TGimResponse* R = Q.Responses->AppendResponse();
    R->ID = ID;
    R->Name = Name;
    R->Codes = std::make_unique<TRixCodeList>();
    R->Codes->Add(std::make_unique<TRixCodeRange>(Lo, Hi));
    R->SetColumn(nullptr, Column);
    return R;
  }
  static void Finish(TGimModule& Parent, std::unique_ptr<TGimQuestion> Q) {
    Q->Responses->BuildBaseResponses();
    Parent.AddChild(std::move(Q));
  }

  // Mirrors the station tree below Source into Target: a module per radio module (identifier
  // TopID + Sep + the module's), a question per station made by MakeQuestion.
  void Mirror(TGimModule& Source, TGimModule& Target, const std::string& TopID,
              const std::string& Sep,
              const std::function<std::unique_ptr<TGimQuestion>(TGimModule&, TGimRadioStation&)>&
                  MakeQuestion) {
    for (int I = 0; I < Source.ChildCount(); ++I) {
      TGimSimpleDataObject* C = Source.Child(I);
      if (auto* St = As<TGimRadioStation>(C)) {
        Finish(Target, MakeQuestion(Target, *St));
      } else if (auto* M = As<TGimModule>(C)) {
        auto Sub = Module(&Target, TopID + Sep + M->ID, M->Name);
        Sub->NameWithOwners = true;
        Sub->HiddenInPath = true;
        Mirror(*M, *Sub, TopID, Sep, MakeQuestion);
        Target.AddChild(std::move(Sub));
      }
    }
  }

  // A mirror of per-station "no"/"yes" questions on the columns of Kind.
  void YesNoMirror(TGimModule& Hook, TGimModule& Root, const std::string& TopID,
                   const std::string& Name, const std::string& Kind) {
    auto Top = Module(&Hook, TopID, Name);
    Mirror(Root, *Top, TopID, "", [&](TGimModule& Parent, TGimRadioStation& St) {
      auto Q = Question(&Parent, RadioStationColumn(St.IDSuffix(), Kind), St.Name);
      const std::string Col = RadioStationColumn(St.IDSuffix(), Kind);
      Response(*Q, "n", Cp1250("<enu>no<plk>nie"), 0, Col);
      Response(*Q, "y", Cp1250("<enu>yes<plk>tak"), 1, Col);
      return Q;
    });
    Hook.AddChild(std::move(Top));
  }
};

}  // namespace

void TGimRadio::BuildDerivedQuestions() {
  if (!HookModule) return;
  TGimModule& Hook = *HookModule;
  TGimModule& Root = *RootModule;
  TBuilder B(Survey);

  // Per quarter-hour: any listening, place, source and number of stations.
  struct TQuarterModule {
    const char* ID;
    const char* Name;
    const char* Prefix;
  };
  const TQuarterModule Quarters[] = {
      {"radio.range", "<enu>Reach by quarters - total<plk>Zasięg w kwadransach - ogółem", "R00"},
      {"radio.places",
       "<enu>Place of listening by quarters - total<plk>Miejsce słuchania w kwadransach - ogółem",
       "RPL"},
      {"radio.source",
       "<enu>Source of signal by quarters - total<plk>Źródło sygnału w kwadransach - ogółem",
       "RSO"},
      {"radio.counts", "<enu>Number of stations listened to<plk>Liczba słuchanych stacji", "RNN"}};
  for (const TQuarterModule& QM : Quarters) {
    const std::string ModuleID = QM.ID;
    auto M = B.Module(&Hook, ModuleID, Cp1250(QM.Name));
    for (int Slot = 1; Slot <= QuarterSlotCount; ++Slot) {
      const std::string Col = RadioQuarterColumn(QM.Prefix, Slot);
      auto Q = B.Question(M.get(), Col, QuarterText(Slot, true, true));
      if (ModuleID == "radio.range") {
        B.Response(*Q, "RRange0", Cp1250("<enu>no<plk>nie"), 0, Col);
        B.Response(*Q, "RRange1", Cp1250("<enu>yes<plk>tak"), 1, Col);
      } else if (ModuleID == "radio.places") {
        for (int C = 0; C <= RadioPlaceCount; ++C)
          B.Response(*Q, "RPlaces" + IntToStr(C), Cp1250(kPlaceResponseNames[C]), C, Col);
        B.Response(*Q, "bd", Cp1250("<enu>missing data<plk>brak danych"), 8, Col);
      } else if (ModuleID == "radio.source") {
        for (int C = 0; C <= RadioSourceCount; ++C)
          B.Response(*Q, "RSource" + IntToStr(C), Cp1250(kSourceResponseNames[C]), C, Col);
      } else {
        B.RangeResponse(*Q, "radio.counts", M->Name, 0, 15, Col);
      }
      TBuilder::Finish(*M, std::move(Q));
    }
    Hook.AddChild(std::move(M));
  }

  // The per-station flags of the indicators the survey offers.
  const std::pair<const char*, const char*> Flags[] = {
      {"spo", "SPO"}, {"awa", "AWA"}, {"week", "WEE"}, {"day", "DAY"}};
  for (auto [IndID, Kind] : Flags) {
    const TGimMediaInd* Ind = Indicators->FindByID(IndID);
    if (!Ind) continue;
    B.YesNoMirror(Hook, Root, "radio." + LowerCase(Kind), Ind->Name, Kind);
  }

  if (const TGimMediaInd* Avg = Indicators->FindByID("avgQ")) {
    auto Top = B.Module(&Hook, "radio.avg", Avg->Name);
    B.Mirror(Root, *Top, "radio.avg", ".", [&](TGimModule& Parent, TGimRadioStation& St) {
      auto Q = B.Question(&Parent, "Avg." + St.IDSuffix(), St.Name);
      TBuilder::RangeResponse(*Q, "radio.avg", "", 0, 1440,
                              RadioStationColumn(St.IDSuffix(), "MIN"));
      return Q;
    });
    Hook.AddChild(std::move(Top));
  }

  {
    auto Sources = B.Module(&Hook, "", Cp1250("<enu>Signal sources<plk>Źródła sygnału"));
    B.YesNoMirror(*Sources, Root, "radio.web",
                  Cp1250("<enu>Listening on the Internet<plk>Słuchanie przez Internet"), "WEB");
    B.YesNoMirror(*Sources, Root, "radio.cab",
                  Cp1250("<enu>Listening via cable TV<plk>Słuchanie za pośrednictwem łącza TV "
                         "kablowej"),
                  "CAB");
    B.YesNoMirror(
        *Sources, Root, "radio.sat",
        Cp1250("<enu>Listening via satellite TV<plk>Słuchanie poprzez antenę satelitarną"), "SAT");
    Hook.AddChild(std::move(Sources));
  }

  if (const TGimMediaInd* Qs = Indicators->FindByID("qs")) {
    auto Top = B.Module(&Hook, "radio.qs", Qs->Name);
    B.Mirror(Root, *Top, "radio.qs", ".", [&](TGimModule& Parent, TGimRadioStation& St) {
      auto Q = B.Question(&Parent, "Qs." + St.IDSuffix(), St.Name);
      for (int Slot = 1; Slot <= QuarterSlotCount; ++Slot)
        TBuilder::Response(*Q, "Qs" + QuarterSortKey(Slot), QuarterText(Slot, true, true), 1,
                           RadioStationQuarterColumn(St.IDSuffix(), Slot));
      return Q;
    });
    Hook.AddChild(std::move(Top));
  }
}

}  // namespace quin
