#include "analysis/pelparbase.h"

#include "analysis/pelglobals.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimweights.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParDefBase, TPelPar)

const TOrvMsgClass TPelErrorUnknownBaseOpt{
    "TPelErrorUnknownBaseOpt", &TOrvMsgKind_Error,
    "<PLK>Opcja podstawy obliczeń (ID: %s) nie znana lub nie dozwolona.<ENU>Base option (ID: %s) "
    "not recognized or not allowed."};

namespace {

struct TBaseOptText {
  const char* Key;
  const char* Label;
  const char* ShortLabel;
};
const TBaseOptText kBaseOpts[kPelBaseOptCount] = {
    {"result", "<PLK>Wynik<ENU>Result", "<PLK>wynik<ENU>result"},
    {"baseA", "<PLK>Podstawa obliczeń (faktyczna)<ENU>Actual base", "<PLK>n=<ENU>n="},
    {"baseW", "<PLK>Podstawa obliczeń (ważona)<ENU>Weighted base", "<PLK>nw=<ENU>nw="},
    {"recset", "<PLK>Zbiór danych<ENU>Record set", "<PLK>zbiór<ENU>recset"},
};

bool ValidKind(int Kind) { return Kind >= 0 && Kind < kPelBaseOptCount; }
std::string Tr(const char* Utf8) { return CurrentLangManager().Translate(Cp1250(Utf8)); }

}  // namespace

std::string BaseOptLabel(int Kind) { return ValidKind(Kind) ? Tr(kBaseOpts[Kind].Label) : ""; }

std::string BaseOptShortLabel(int Kind) {
  return ValidKind(Kind) ? Tr(kBaseOpts[Kind].ShortLabel) : "";
}

std::string BaseOptKey(int Kind) { return ValidKind(Kind) ? kBaseOpts[Kind].Key : ""; }

bool BaseOptHasShortLabelInLabel(int Kind) { return Kind == boBaseA || Kind == boBaseW; }

std::string FormatBaseValue(const TMerRecset* Recset, int Kind, const TFormatSettings& Settings,
                            double Value) {
  return FormatBaseValueRaw(Recset, Kind, Settings, Value, false);
}

std::string FormatBaseValueRaw(const TMerRecset* Recset, int Kind, const TFormatSettings& Settings,
                               double Value, bool Raw) {
  if (Kind == boRecset) {
    if (!Recset) return {};
    const std::string Nick = Recset->GetNick();
    return Nick.empty() ? Recset->GetName() : Nick;
  }
  return Format(Raw ? "%g" : "%1.0n", {Value}, Settings);
}

// ---- TPelParDefBase

TPelParDefBase::TPelParDefBase(TPelSurvey* ASurvey) : TPelPar(ASurvey) {
  for (int K = 0; K < kPelBaseOptCount; ++K) Options.push_back({TPelBaseOpt(K), 1});
}

std::string TPelParDefBase::GetDefaultName() const { return Tr("<PLK>Podstawa<ENU>Base"); }

bool TPelParDefBase::ShowsBaseOnlyForMissing() const {
  return BaseDiff == 2 ? PelGlobalSettings().BaseOnlyForMissing : BaseDiff == 1;
}

bool TPelParDefBase::IsShown(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(Options.size())) return false;
  switch (Options[Index].Show) {
    case 1:
      return true;
    case 2:
      return !Owner || !Owner->Weight || !SameText(Owner->Weight->GetID(), "off");
    default:
      return false;
  }
}

int TPelParDefBase::ShownOption(int Item) const {
  if (Item < 0) return -1;
  for (int I = 0; I < static_cast<int>(Options.size()); ++I)
    if (IsShown(I) && Item-- == 0) return I;
  return -1;
}

bool TPelParDefBase::IsEmpty() const {
  for (const TOption& O : Options)
    if (O.Show != 0) return false;
  return true;
}

void TPelParDefBase::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  BaseDiff = 2;
  Options.clear();
  ReadKeysToEnd(Scanner, [&](TRixScanner& S) {
    std::unique_ptr<TRixTextList> Keys;
    if (S.ReadIdentifierList("list", Keys)) {
      for (int I = 0; Keys && I < Keys->Count(); ++I) {
        const std::string Key = Keys->GetItem(I)->Text();
        int Kind = 0;
        while (Kind < kPelBaseOptCount && !SameText(Key, kBaseOpts[Kind].Key)) ++Kind;
        if (Kind < kPelBaseOptCount)
          Options.push_back({TPelBaseOpt(Kind), 1});
        else
          S.AddMsgArgsAt(TPelErrorUnknownBaseOpt, Keys->GetItem(I)->Token()->StartPos, {Key});
      }
      return true;
    }
    std::unique_ptr<TRixIntegerList> Shows;
    if (S.ReadIntegerList("show", Shows)) {
      for (int I = 0; Shows && I < Shows->Count() && I < static_cast<int>(Options.size()); ++I) {
        int32_t V = Shows->GetItem(I)->Value();
        if (V < 0 || V > 2) {
          S.AddMsgArgsAt(TPelWarning_ValueOutOfRange, Shows->GetItem(I)->Token()->StartPos,
                         {IntToStr(V), "1"});
          V = 1;
        }
        Options[I].Show = static_cast<uint8_t>(V);
      }
      return true;
    }
    int32_t Diff = BaseDiff;
    if (!ReadIntegerInRange(S, "baseDiff", Diff, 0, 2)) return false;
    BaseDiff = static_cast<uint8_t>(Diff);
    return true;
  });
}

void TPelParDefBase::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  if (IsEmpty()) return;
  std::string Keys, Shows;
  for (size_t I = 0; I < Options.size(); ++I) {
    Keys += (I > 0 ? ", " : "") + BaseOptKey(Options[I].Kind);
    Shows += (I > 0 ? ", " : "") + IntToStr(Options[I].Show);
  }
  WriteKeyValue(Stream, Indent, "list", "", Keys);
  WriteKeyValue(Stream, Indent, "show", "", Shows);
  WriteKeyInteger(Stream, Indent, "baseDiff", "", BaseDiff);
}

std::string TPelParDefBase::GetItemInfoText(int Option, int Index) const {
  if (!ShowsBaseOnlyForMissing()) return {};
  const bool Applies =
      Index < 0 || (Index < static_cast<int>(Options.size()) && Options[Index].Kind != boResult);
  return Applies ? Tr("<PLK>Podstawa jest wyświetlana tylko wtedy, gdy znaleziono braki "
                      "danych<ENU>Base is shown only if missing values were found in the data")
                 : std::string();
}

TPelResElem* TPelParDefBase::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means,
                                             bool Detail) {
  const int I = ShownOption(Pos.X);
  return I >= 0 ? new TPelResBase(Survey, Options[I].Kind, Pos.X, this) : nullptr;
}

TPelDims TPelParDefBase::GetDims(bool Selectable, bool Means, bool Detail) {
  int N = 0;
  for (int I = 0; I < static_cast<int>(Options.size()); ++I) N += IsShown(I);
  return {N, 1};
}

std::string TPelParDefBase::GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                       bool LabelSwitch, bool ShowCodes) {
  const int I = ShownOption(Pos.X);
  return I >= 0 ? BaseOptShortLabel(Options[I].Kind) : std::string();
}

std::string TPelParDefBase::GetLabel(int Index) {
  const int I = ShownOption(Index);
  if (I < 0) return {};
  const int Kind = Options[I].Kind;
  std::string T = BaseOptLabel(Kind);
  if (BaseOptHasShortLabelInLabel(Kind)) T += " (" + BaseOptShortLabel(Kind) + ")";
  return T;
}

}  // namespace quin
