#include "surveykit/gimpress.h"

#include <filesystem>

#include "base/langmanager.h"
#include "base/orvscanner.h"
#include "base/text.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixscanner.h"
#include "deflang/rixtokens.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimpressinds.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimreading.h"
#include "surveykit/merenviron.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimPressDay, TOrvObject)
QUIN_IMPLEMENT_CLASS(TGimPressDayList, TOrvObjectList)
QUIN_IMPLEMENT_CLASS(TGimPressTitle, TGimMediaObject)
QUIN_IMPLEMENT_CLASS(TGimPressModule, TGimMediaModule)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimPressInd, TGimMediaInd)
QUIN_IMPLEMENT_CLASS(TGimPressIndList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TGimPress, TGimMedia)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TGimMsgError_DistributionDataInd, TOrvMsgKind_Error,
         "<PLK>Ten wskaźnik potrzebuje dostępu do danych o dystrybucji (patrz: instrukcja "
         "distributionData).<ENU>This indicator needs access to distribution data (see: "
         "instruction distributionData).")
QUIN_MSG(TGimError_IndResponseListExpected, TOrvMsgKind_Error,
         "<PLK>Odpowiedzi wskaźnika o wspólnych kolumnach muszą być listami odpowiedzi.<ENU>The "
         "responses of an indicator with shared columns must be response lists.")
#undef QUIN_MSG

// ---- Titles and their days

TGimPressDay* TGimPressDayList::FindDay(TOrvDay Day) const {
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->Day == Day) return GetItem(I);
  return nullptr;
}

TGimPressDayList& TGimPressTitle::GetDayList() {
  if (!FDayList) {
    FDayList = std::make_unique<TGimPressDayList>();
    for (int D = dMon; D <= dSun; ++D)
      if (Days.Contains(TOrvDay(D)))
        FDayList->Add(std::make_unique<TGimPressDay>(this, TOrvDay(D)));
  }
  return *FDayList;
}

// ---- Reading the section

namespace {

// Calls Fn for every title below Module, modules walked in order.
template <class F>
void ForEachTitle(TGimModule& Module, F&& Fn) {
  for (int I = 0; I < Module.ChildCount(); ++I) {
    TGimSimpleDataObject* C = Module.Child(I);
    if (auto* T = As<TGimPressTitle>(C))
      Fn(*T);
    else if (auto* M = As<TGimModule>(C))
      ForEachTitle(*M, Fn);
  }
}

}  // namespace

TGimPress::TGimPress(TMerSurvey* ASurvey) {
  Survey = ASurvey;
  RootModule = NewInSurvey<TGimPressModule>(ASurvey, nullptr);
  Indicators = std::make_unique<TGimPressIndList>(ASurvey);
}

void TGimPressModule::Read(TRixScanner& Scanner, TGimPress& Press, int Depth) {
  auto Body = [&] {
    TGimBlockReader R;
    R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
      if (S.ReadDefComplexStart("module")) {
        if (GimSkipTooDeep(S, Depth + 1)) return true;
        auto* M = static_cast<TGimPressModule*>(
            AddChild(NewInSurvey<TGimPressModule>(Press.Survey, this)));
        M->Read(S, Press, Depth + 1);
        return true;
      }
      if (S.ReadDefComplexStart("title")) {
        Press.ReadTitle(S, *this);
        return true;
      }
      return false;
    };
    R.Key = [&](TRixScanner& S) {
      return Press.ReadObjectTexts(S, *this, TGimPressModule::StaticClass());
    };
    R.Read(Scanner);
  };
  auto Close = [&] {
    if (Name.empty()) Scanner.AddMsgAt(TMerError_NameNotDefined, Scanner.LastTokenEnd());
  };
  GimReadAndClose(Body, Close);
}

void TGimPress::ReadTitle(TRixScanner& Scanner, TGimModule& Parent) {
  if (!AdmitObject(Scanner, GimMaxMediaObjects)) return;
  auto* T =
      static_cast<TGimPressTitle*>(Parent.AddChild(NewInSurvey<TGimPressTitle>(Survey, &Parent)));
  auto Body = [&] {
    TGimBlockReader R;  // no blocks: 'Unexpected "def".'
    R.Key = [&](TRixScanner& S) {
      if (ReadObjectTexts(S, *T, TGimPressTitle::StaticClass())) return true;
      auto Handled = [&S](bool Read) {
        return Read || S.LastReadResult() != TRixReadResult::NoMatch;
      };
      const TOrvTextPos ValuePos = S.Token->StartPos;
      if (S.ReadString("file", T->FileName, false, false, nullptr)) {
        // Only a survey that checks its references looks at the file, and never outside its
        // folder.
        if (Survey && Survey->ThoroughChecks) {
          std::string Path;
          std::error_code EC;
          if (!ResolveSurveyFile(Survey->GetDefinitionDir(), T->FileName, Path))
            S.AddMsgAt(TMerError_FileOutsideSurvey, ValuePos);
          else if (!std::filesystem::is_regular_file(Path, EC))
            S.AddMsgAt(TMerError_FileNotFound, ValuePos);
        }
        return true;
      }
      if (S.LastReadResult() != TRixReadResult::NoMatch) return true;
      if (Handled(S.ReadNumber("code", T->Code))) return true;
      if (GimReadRegionsValue(S, T->Regions, Regions.get(), /*ReportUnknown=*/true)) return true;
      if (GimReadGroupsValue(S, T->Groups, *GroupLists)) return true;
      return Handled(S.ReadDaySet("days", T->Days));
    };
    R.Read(Scanner);
  };
  GimReadAndClose(Body, [&] { GimCheckIDAndName(Scanner, *T); });
}

void TGimPress::Read(TRixScanner& Scanner, const TOrvTextPos&) {
  ResetHook();
  ReadIDs.Clear();
  auto ClearAtEnd = OnScopeExit([&] { ReadIDs.Clear(); });
  TGimIndicatorReader Inds;
  Inds.Accept = [this](TRixScanner& S, TGimMediaInd& Ind, const TOrvTextPos& At) {
    const auto* P = As<TGimPressInd>(&Ind);
    if (P && P->NeedsDistributionData() && Survey && Survey->ThoroughChecks && !DistributionData) {
      S.AddMsgAt(TGimMsgError_DistributionDataInd, At);
      return false;
    }
    return true;
  };
  Inds.Key = [](TRixScanner& S, TGimMediaInd& Ind) {
    auto* P = As<TGimPressInd>(&Ind);
    return P && P->ReadKey(S);
  };
  Inds.Block = [](TRixScanner& S, TGimMediaInd& Ind) {
    auto* P = As<TGimPressInd>(&Ind);
    return P && P->ReadBlock(S);
  };
  TGimBlockReader R;
  R.Key = [this](TRixScanner& S) {
    if (ReadHook(S)) return true;
    return S.ReadBoolean("distributionData", DistributionData) ||
           S.LastReadResult() != TRixReadResult::NoMatch;
  };
  R.Block = [&](TRixScanner& S, const TOrvTextPos&) {
    if (S.ReadDefComplexStart("module")) {
      auto* M = static_cast<TGimPressModule*>(
          RootModule->AddChild(NewInSurvey<TGimPressModule>(Survey, RootModule.get())));
      M->Read(S, *this, 1);
      return true;
    }
    if (S.ReadDefComplexStart("title")) {
      ReadTitle(S, *RootModule);
      return true;
    }
    if (S.ReadDefComplexStart("regions")) {
      ReadRegions(S, S.PrevToken->StartPos);
      return true;
    }
    if (S.ReadDefComplexStart("indicators")) {
      GimReadIndicators(S, *Indicators, Inds);
      return true;
    }
    if (S.ReadDefComplexStart("groups")) {
      ReadGroups(S);
      return true;
    }
    return false;
  };
  R.Read(Scanner);
}

void TGimPress::AfterRead(TRixScanner* Scanner) {
  TGimPressIndList& L = PressIndicators();
  for (int I = 0; I < L.Count(); ++I) L.GetPressItem(I)->ReadColumns(Scanner, *RootModule);
  if (!HookModule) return;
  for (int I = 0; I < L.Count(); ++I)
    L.GetItem(I)->InitQuestions(Scanner, HookModule, RootModule.get());
}

// ---- The indicator base

TGimPressInd::TGimPressInd(const TGimPressInd& Source)
    : TGimMediaInd(Source),
      ReadingCode(Source.ReadingCode),
      NumericCodes(Source.NumericCodes ? std::make_unique<TRixCodeList>(*Source.NumericCodes)
                                       : nullptr),
      ParCodes(Source.ParCodes ? std::make_unique<TRixCodeList>(*Source.ParCodes) : nullptr),
      ColumnMask(Source.ColumnMask),
      IndependentColumns(Source.IndependentColumns),
      Columns(Source.Columns ? std::make_unique<TMerRecsetColList>(*Source.Columns) : nullptr) {
  // The derived parameter codes come from the copy's own class, which is complete only once
  // the copy is: FinishCopy gives them.
}

std::unique_ptr<TOrvObject> TGimPressInd::FinishCopy(std::unique_ptr<TGimPressInd> Copy) const {
  if (Copy->NumericCodes && !ParCodes) Copy->SetCodeNumericPar();
  return Copy;
}

void TGimPressInd::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimMediaInd::CreateInSurvey(ASurvey, AParent);
  ReadingCode = 1;
  IndependentColumns = IndependentColumnsDefault();
  if (DefaultParams()) {
    DefaultPars = std::make_unique<TRixCodeList>();
    DefaultPars->Add(std::make_unique<TRixCodeSingle>(1));
  }
}

std::string TGimPressInd::Groups() const { return TranslateLiteral("<PLK>Główne<ENU>Main"); }

void TGimPressInd::SetCodeNumericPar() {
  ParCodes = NumericCodes ? std::make_unique<TRixCodeList>(*NumericCodes) : nullptr;
}

void TGimPressInd::SetDistributionPar() {
  if (!HasParams() || !NumericCodes) return;
  ParCodes = std::make_unique<TRixCodeList>();
  ParCodes->Add(std::make_unique<TRixCodeRange>(0, 100));
}

std::string TGimPressInd::GetColumnName(std::string_view TitleID,
                                        const TGimResponse* Response) const {
  std::string Mask = ColumnMask;
  if (Mask.find('*') == std::string::npos && Response && !Response->ColumnMask.empty())
    Mask = Response->ColumnMask;
  const size_t Star = Mask.find('*');
  if (Star == std::string::npos) return Mask + std::string(TitleID);
  return Mask.substr(0, Star) + std::string(TitleID) + Mask.substr(Star + 1);
}

void TGimPressInd::CheckTitleColumn(TRixScanner* Scanner, TGimPressTitle& Title,
                                    TGimResponse* Response) {
  GimCreateMediaCol(Survey, Scanner, GetColumnName(Title.ID, Response));
}

std::unique_ptr<TGimResponse> TGimPressInd::CopyResponseFor(TGimPressTitle&,
                                                            TGimResponse& Response) {
  return CopyOf(Response);
}

bool TGimPressInd::ReadKey(TRixScanner& Scanner) {
  auto Handled = [&Scanner](bool Read) {
    return Read || Scanner.LastReadResult() != TRixReadResult::NoMatch;
  };
  std::string S;
  if (Scanner.ReadIdentifier("column", S)) {
    Columns = std::make_unique<TMerRecsetColList>(Survey);
    if (auto C = GimCreateMediaCol(Survey, &Scanner, S)) Columns->Add(std::move(C));
    return true;
  }
  if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  std::unique_ptr<TRixTextList> Names;
  if (Scanner.ReadIdentifierList("columnList", Names)) {
    Columns = std::make_unique<TMerRecsetColList>(Survey);
    for (int I = 0; Names && I < Names->Count(); ++I)
      if (auto C = GimCreateMediaCol(Survey, &Scanner, Names->GetItem(I)->Text()))
        Columns->Add(std::move(C));
    return true;
  }
  if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  if (Scanner.ReadIdentifier("columnPrefix", S)) {
    ColumnMask = S + "*";
    return true;
  }
  if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  if (Handled(Scanner.ReadString("columnMask", ColumnMask, false, false, nullptr))) return true;
  if (Handled(Scanner.ReadBoolean("independentColumns", IndependentColumns))) return true;
  if (Scanner.ReadDefSimpleStart("numeric")) {
    NumericCodes = std::make_unique<TRixCodeList>();
    ParseCodeList(*NumericCodes, Scanner, &TRixTokenInstrSep::StaticClass());
    SetCodeNumericPar();
    return true;
  }
  return Scanner.LastReadResult() != TRixReadResult::NoMatch;
}

bool TGimPressInd::ReadBlock(TRixScanner& Scanner) {
  if (!Scanner.ReadDefComplexStart("responseList")) return false;
  if (!Responses) Responses = GimCreateResponseList(Survey, nullptr);
  // The responses may carry column masks of their own.
  Responses->Read(Scanner, Responses.get(), /*PlainQuestion=*/false, /*HasCode=*/false,
                  Responses.get());
  return true;
}

void TGimPressInd::ReadColumns(TRixScanner* Scanner, TGimModule& RootModule) {
  if (IndependentColumns) {
    ForEachTitle(RootModule, [&](TGimPressTitle& T) {
      if (!ColumnMask.empty()) {
        GimCreateMediaCol(Survey, Scanner, GetColumnName(T.ID, nullptr));
      } else if (Responses) {
        for (int I = 0; I < Responses->Count(); ++I)
          if (TGimResponse* R = Responses->GetItem(I)) CheckTitleColumn(Scanner, T, R);
      }
    });
    return;
  }
  if (ColumnMask.empty()) return;
  Columns = std::make_unique<TMerRecsetColList>(Survey);
  const TMerRecset* First = Survey && Survey->RecsetCount() > 0 ? Survey->Recset(0) : nullptr;
  const std::vector<std::string> Names =
      First ? First->GetColumnNames(ColumnMask) : std::vector<std::string>();
  for (const std::string& N : Names)
    if (auto C = GimCreateMediaCol(Survey, Scanner, N)) Columns->Add(std::move(C));
  // A record set that does not know its columns cannot say that none matches.
  if (Names.empty() && Scanner && First && First->HasColumnDirectory())
    Scanner->AddMsgArgsAt(TMerError_ColNotFoundInAll, Scanner->LastTokenEnd(), {ColumnMask});
}

// ---- Derived questions

namespace {

// Gives every response of List (nested lists included) the one column Spec.
void SetColumnEverywhere(TMerResponseList& List, const std::string& Spec) {
  for (int I = 0; I < List.ChildCount(); ++I) {
    TGimSimpleDataObject* C = List.Child(I);
    if (auto* R = As<TGimResponse>(C))
      R->SetColumn(nullptr, Spec);
    else if (auto* L = As<TMerResponseList>(C))
      SetColumnEverywhere(*L, Spec);
  }
}

}  // namespace

void TGimPressInd::InitQuestions(TRixScanner* Scanner, TGimModule* HookModule,
                                 TGimModule* RootModule) {
  if (!HookModule || !RootModule) return;
  if (Responses)
    BuildQuestionsFromResponses(Scanner, HookModule, RootModule);
  else
    BuildQuestionOfTitles(HookModule, RootModule);
}

void TGimPressInd::BuildQuestionsFromResponses(TRixScanner* Scanner, TGimModule* HookModule,
                                               TGimModule* RootModule) {
  bool TypeErrorReported = false;
  // Mirrors Source into Target; True when some title below produced a question.
  std::function<bool(TGimModule&, TGimModule&)> Mirror = [&](TGimModule& Source,
                                                             TGimModule& Target) {
    bool Produced = false;
    for (int I = 0; I < Source.ChildCount(); ++I) {
      TGimSimpleDataObject* C = Source.Child(I);
      if (auto* T = As<TGimPressTitle>(C)) {
        auto Q = NewInSurvey<TGimQuestion>(Survey, &Target);
        Q->ID = "press." + ID + "." + T->ID;
        Q->Name = T->Name;
        Q->NameWithOwners = true;
        for (int K = 0; K < Responses->ChildCount(); ++K) {
          TGimSimpleDataObject* Item = Responses->Child(K);
          if (!IndependentColumns) {
            const auto* Group = As<TMerResponseList>(Item);
            if (!Group) {
              // Shared columns are given per group of responses: a plain response here
              // cannot be placed, and the survey does not load.
              if (Scanner && !TypeErrorReported)
                Scanner->AddMsgAt(TGimError_IndResponseListExpected, Scanner->LastTokenEnd());
              TypeErrorReported = true;
              continue;
            }
            std::unique_ptr<TMerResponseList> Copy = CopyOf(*Group);
            SetColumnEverywhere(*Copy, GetColumnName(T->ID, nullptr));
            Q->Responses->AddChild(std::move(Copy));
          } else if (auto* R = As<TGimResponse>(Item)) {
            if (std::unique_ptr<TGimResponse> Copy = CopyResponseFor(*T, *R)) {
              Copy->SetColumn(nullptr, GetColumnName(T->ID, R));
              Q->Responses->AddChild(std::move(Copy));
            }
          }
        }
        if (Q->Responses->ChildCount() > 0) {
          Q->Responses->BuildBaseResponses();
          Target.AddChild(std::move(Q));
          Produced = true;
        }
      } else if (auto* M = As<TGimModule>(C)) {
        auto Sub = NewInSurvey<TGimModule>(Survey, &Target);
        Sub->Name = M->Name;
        Sub->NameWithOwners = true;
        Sub->HiddenInPath = true;
        if (Mirror(*M, *Sub)) {
          Target.AddChild(std::move(Sub));
          Produced = true;
        }
      }
    }
    return Produced;
  };
  auto IndModule = NewInSurvey<TGimModule>(Survey, HookModule);
  IndModule->Name = Name;
  if (Mirror(*RootModule, *IndModule)) HookModule->AddChild(std::move(IndModule));
}

void TGimPressInd::BuildQuestionOfTitles(TGimModule* HookModule, TGimModule* RootModule) {
  auto Q = NewInSurvey<TGimQuestion>(Survey, HookModule);
  Q->ID = "press." + ID;
  Q->Name = Name;
  ForEachTitle(*RootModule, [&](TGimPressTitle& T) {
    TGimResponse* R = Q->Responses->AppendResponse();
    R->ID = "press." + ID + "." + T.ID;
    R->Name = T.Name;
    if (!IndependentColumns) {
      R->SingleCode = T.Code;
      R->HasSingleCode = true;
      if (Columns) R->Columns = std::make_unique<TMerRecsetColList>(*Columns);
      return;
    }
    if (NumericCodes) {
      R->NumericCodes = std::make_unique<TRixCodeList>(*NumericCodes);
    } else {
      R->SingleCode = 1;
      R->HasSingleCode = true;
    }
    if (ColumnMask.empty()) return;
    if (auto C = GimCreateMediaCol(Survey, nullptr, GetColumnName(T.ID, nullptr))) {
      R->Columns = std::make_unique<TMerRecsetColList>(Survey);
      R->Columns->Add(std::move(C));
    }
  });
  Q->Responses->BuildBaseResponses();
  HookModule->AddChild(std::move(Q));
}

// ---- The catalogue's column lookups

std::string TGimPressIndList::GetDayColumnName(TOrvDay Day, std::string_view Suffix) {
  return std::string("airdw.") + DayKey(Day) + "." + std::string(Suffix);
}

}  // namespace quin
