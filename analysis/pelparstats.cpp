#include "analysis/pelparstats.h"

#include <cmath>

#include "analysis/pelglobals.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/merenviron.h"
#include "surveykit/mermessages.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParStats, TPelPar)

namespace {

std::string Tr(std::string_view Utf8) { return CurrentLangManager().Translate(Cp1250(Utf8)); }

// Survey files of version 6 and later carry the hiding of rows and columns.
bool CarriesHideSetting(const TPelSurvey* Survey) { return Survey && Survey->IsVersion6File; }

TGimStatList* Catalogue(TPelSurvey* Survey) {
  return Survey && Survey->Info ? &Survey->Info->StatCatalogue : nullptr;
}

}  // namespace

TPelStatRefs& TPelStatRefs::operator=(const TPelStatRefs& Source) {
  if (&Source == this) return *this;
  Clear();
  for (int I = 0; I < Source.Count(); ++I) Add(Source.Items(I));
  return *this;
}

TPelParStats::TPelParStats(TPelSurvey* ASurvey) : TPelPar(ASurvey) {
  const TPelGlobalSettings& G = PelGlobalSettings();
  SigLevel = G.SigLevel;
  DecPlacesPct = G.DecPlacesPct;
  DecPlacesMeans = G.DecPlacesMeans;
  if (ASurvey && ASurvey->Info) {
    ExcludeSysMis = ASurvey->Info->ExcludeSysMis;
    if (CarriesHideSetting(ASurvey)) HideRowsCols = ASurvey->Info->HideRowsCols;
  }
}

TPelParStats::TPelParStats(const TPelParStats& Source) : TPelPar(Source) {
  *this = Source;
  if (!CarriesHideSetting(Survey)) HideRowsCols = 0;
}

std::string TPelParStats::GetDefaultName() const { return Tr("<PLK>Statystyki<ENU>Statistics"); }

void TPelParStats::AddStats(const std::vector<const ClassInfo*>& StatClasses) {
  TGimStatList* All = Catalogue(Survey);
  if (!All) return;
  for (const ClassInfo* C : StatClasses)
    if (TGimStat* S = All->FindByClass(*C)) Stats.Add(S);
}

bool TPelParStats::HasSummaryStat(int Axis, bool Value, int Index) const {
  if (Index >= 0) return Stat(Index) && Stat(Index)->SummaryDependsOnAxis(Axis) == Value;
  for (int I = 0; I < Stats.Count(); ++I)
    if (Stats.GetItem(I)->SummaryDependsOnAxis(Axis) == Value) return true;
  return false;
}

bool TPelParStats::HasColSummaryStat(bool Value, int Index) const {
  return HasSummaryStat(1, Value, Index);
}

bool TPelParStats::HasRowSummaryStat(bool Value, int Index) const {
  return HasSummaryStat(0, Value, Index);
}

bool TPelParStats::ShowsCodesForMeans() const {
  return ShowCodesForMeans == 2 ? PelGlobalSettings().ShowCodesForMeans : ShowCodesForMeans == 1;
}

bool TPelParStats::ShowsPctSign() const {
  return ShowPctSign == 2 ? PelGlobalSettings().ShowPctSign : ShowPctSign == 1;
}

void TPelParStats::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  ShowPctSign = 0;
  ShowCodesForMeans = 1;
  HideRowsCols = 0;
  ExcludeSysMis = false;
  Stats.Clear();
  auto Byte = [&](TRixScanner& S, const char* Key, uint8_t& Field, int Max) {
    int32_t V = Field;
    if (!ReadIntegerInRange(S, Key, V, 0, Max)) return false;
    Field = static_cast<uint8_t>(V);
    return true;
  };
  ReadKeysToEnd(Scanner, [&](TRixScanner& S) {
    for (auto [Key, Field] : {std::pair{"excludeSysMis", &ExcludeSysMis},
                              {"colMargins", &ColMargins},
                              {"rowMargins", &RowMargins},
                              {"recsetDiff", &RecsetDiff},
                              {"sigMeans", &SigMeans},
                              {"sigMeansDir", &SigMeansDir},
                              {"sigMeansNOn", &SigMeansNOn},
                              {"sigPct", &SigPct}})
      if (RixKeyTaken(S, S.ReadBoolean(Key, *Field))) return true;
    if (Byte(S, "showPctSign", ShowPctSign, 2) ||
        Byte(S, "showCodesForMeans", ShowCodesForMeans, 2) ||
        Byte(S, "sigMeansDim", SigMeansDim, 1) || Byte(S, "hideRowsCols", HideRowsCols, 2) ||
        RixKeyTaken(S, S.ReadInteger("sigMeansNPos", SigMeansNPos)) ||
        ReadIntegerInRange(S, "decPlacesPct", DecPlacesPct, 0, 15) ||
        ReadIntegerInRange(S, "decPlacesMeans", DecPlacesMeans, 0, 15))
      return true;
    std::unique_ptr<TRixTextList> IDs;
    if (S.ReadIdentifierList("list", IDs)) {
      for (int I = 0; IDs && I < IDs->Count(); ++I) {
        const std::string ID = IDs->GetItem(I)->Text();
        TGimStatList* All = Catalogue(ASurvey);
        if (TGimStat* Found = All ? All->FindByID(ID) : nullptr)
          Stats.Add(Found);
        else
          S.AddMsgArgsAt(TMerRepInfo_StatisticNotFound, IDs->GetItem(I)->Token()->StartPos, {ID});
      }
      return true;
    }
    const TOrvTextPos At = S.Token->StartPos;
    double Level = SigLevel;
    if (!S.ReadDoubleBin("sigLevel", Level)) return RixKeyTaken(S, false);
    if (std::isfinite(Level))
      SigLevel = std::clamp(Level, 0.0, 1.0);
    else
      S.AddMsgAt(TRixMsgError_BinDataExpected, At);
    return true;
  });
}

void TPelParStats::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  std::string IDs;
  for (int I = 0; I < Stats.Count(); ++I) IDs += (I > 0 ? ", " : "") + Stats.GetItem(I)->ID();
  // An empty list has no text the reader takes: the key is left out, as it is when no
  // statistic was ever chosen.
  if (!IDs.empty()) WriteKeyValue(Stream, Indent, "list", "", IDs);
  if (ExcludeSysMis) WriteKeyBoolean(Stream, Indent, "excludeSysMis", "", true);
  if (ColMargins) WriteKeyBoolean(Stream, Indent, "colMargins", "", true);
  if (RowMargins) WriteKeyBoolean(Stream, Indent, "rowMargins", "", true);
  WriteKeyInteger(Stream, Indent, "showPctSign", "", ShowPctSign);
  WriteKeyInteger(Stream, Indent, "showCodesForMeans", "", ShowCodesForMeans);
  WriteKeyDoubleBin(Stream, Indent, "sigLevel", "", SigLevel);
  WriteKeyBoolean(Stream, Indent, "recsetDiff", "", RecsetDiff);
  WriteKeyBoolean(Stream, Indent, "sigMeans", "", SigMeans);
  WriteKeyInteger(Stream, Indent, "sigMeansDim", "", SigMeansDim);
  WriteKeyBoolean(Stream, Indent, "sigMeansDir", "", SigMeansDir);
  WriteKeyBoolean(Stream, Indent, "sigMeansNOn", "", SigMeansNOn);
  WriteKeyInteger(Stream, Indent, "sigMeansNPos", "", SigMeansNPos);
  WriteKeyBoolean(Stream, Indent, "sigPct", "", SigPct);
  WriteKeyInteger(Stream, Indent, "decPlacesPct", "", DecPlacesPct);
  WriteKeyInteger(Stream, Indent, "decPlacesMeans", "", DecPlacesMeans);
  if (HideRowsCols != 0) WriteKeyInteger(Stream, Indent, "hideRowsCols", "", HideRowsCols & 0x7F);
}

std::string TPelParStats::SigText(int Mode, const char* Plk, const char* Enu) const {
  const TOrvLangManager& L = CurrentLangManager();
  const std::string Down =
      Mode == 1 ? "<img src=\"/Files/Quin/DownRed.gif\">" : std::string("\"-\"");
  const std::string Up = Mode == 1 ? "<img src=\"/Files/Quin/UpGreen.gif\">" : std::string("\"+\"");
  std::string T = L.Translate(Cp1250(std::string("<PLK>") + Plk + Down + " oraz " + Up + "<ENU>" +
                                     Enu + Down + " and " + Up));
  T += "\r\n";
  T += SigMeansDim == 1
           ? Tr("<PLK>Różnice obliczane w kolumnach<ENU>Differences calculated in columns")
           : Tr("<PLK>Różnice obliczane w wierszach<ENU>Differences calculated in rows");
  T += " ";
  if (SigMeansNOn)
    T += Format(Tr("<PLK>do elementu o numerze %d<ENU>to the element numbered %d"), {SigMeansNPos},
                L.FormatSettings);
  else if (SigMeansDir)
    T += Tr("<PLK>do następnego elementu<ENU>to the next element");
  else
    T += Tr("<PLK>do poprzedniego elementu<ENU>to the previous element");
  T += "\r\n";
  T += Format(Tr("<PLK>Poziom istotności: %g<ENU>Significance level: %g"), {SigLevel},
              L.FormatSettings);
  return T;
}

std::string TPelParStats::GetItemInfoText(int Mode, int Index) const {
  const TOrvLangManager& L = CurrentLangManager();
  auto Text = [Mode](const std::string& S) { return InfoTextFor(Mode, S); };
  std::vector<std::string> Lines;
  if (const TGimStat* S = Stat(Index))
    Lines.push_back(Tr("<PLK>Wybrana statystyka<ENU>Selected statistic") + ": " +
                    Text(S->DisplayShortName()) + " - " + Text(S->Name()));
  TMerRecset* Basis = Owner && Owner->BasedOn ? Owner->BasedOn->Recset : nullptr;
  if (RecsetDiff && Mode != 1 && Survey && Survey->RecsetCount() > 1 && Basis) {
    bool Other = false;
    for (int I = 0; I < Owner->Count() && !Other; ++I)
      Other = Owner->GetItem(I)->UsesOtherRecset(Basis);
    if (Other) {
      const std::string Name = "\"" + Basis->GetName() + "\"";
      Lines.push_back(L.Translate(
          Cp1250("<PLK>* Wyniki ważone są do zbioru ") + Name +
          Cp1250(" - należy zachować ostrożność przy interpretacji wyników<ENU>* The results are "
                 "weighted to the ") +
          Name + " record set - please be careful when interpreting these results"));
    }
  }
  Lines.push_back(
      ExcludeSysMis
          ? Tr("<PLK>Braki danych wyłączone z analizy<ENU>Missing data excluded from analysis")
          : Tr("<PLK>Braki danych włączone do analizy<ENU>Missing data included in analysis"));
  if (SigMeans)
    Lines.push_back(SigText(Mode, "Istotne różnice między średnimi zaznaczone są za pomocą ",
                            "Significant differences between means are marked with "));
  if (SigPct)
    Lines.push_back(SigText(Mode, "Istotne różnice między frakcjami zaznaczone są za pomocą ",
                            "Significant differences between fractions are marked with "));
  std::string R;
  for (size_t I = 0; I < Lines.size(); ++I) R += (I > 0 ? "\r\n" : "") + Lines[I];
  return R;
}

void TPelParStats::Randomize(TOrvRandGen& Gen) {
  Stats.Clear();
  if (TGimStatList* All = Catalogue(Survey)) {
    for (int I = 0; I < All->Count(); ++I)
      if (Gen.RandomInt(3) == 0) Stats.Add(All->GetItem(I));
    if (Stats.Empty() && All->Count() > 0) Stats.Add(All->GetItem(Gen.RandomInt(All->Count())));
  }
  for (bool* B :
       {&ExcludeSysMis, &ColMargins, &RowMargins, &RecsetDiff, &SigMeans, &SigMeansDir, &SigPct})
    *B = Gen.RandomInt(2) == 0;
  SigMeansDim = static_cast<uint8_t>(Gen.RandomInt(2));
  SigMeansNOn = Gen.RandomInt(5) == 0;
  SigMeansNPos = Gen.RandomInt(5);
  ShowPctSign = static_cast<uint8_t>(Gen.RandomInt(3));
  ShowCodesForMeans = static_cast<uint8_t>(Gen.RandomInt(3));
  const double Levels[] = {0, 0.1, 0.05, 0.01};
  SigLevel = Levels[Gen.RandomInt(4)];
  DecPlacesPct = Gen.RandomInt(4);
  DecPlacesMeans = Gen.RandomInt(4);
  HideRowsCols = static_cast<uint8_t>(Gen.RandomInt(3));
}

TPelResElem* TPelParStats::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means, bool Detail) {
  TGimStat* S = Stat(Pos.X);
  return S ? new TPelResStat(Survey, S, Pos.X, this) : nullptr;
}

TPelDims TPelParStats::GetDims(bool Selectable, bool Means, bool Detail) {
  return Stats.Empty() ? TPelDims{} : TPelDims{Stats.Count(), 1};
}

std::string TPelParStats::Label(int Index, bool LabelSwitch, int Axis) const {
  const TGimStat* S = Stat(Index);
  if (!S) return {};
  std::string T = S->DisplayShortName();
  if (LabelSwitch && S->DependsOnAxis(Axis)) T += " (N = )";
  return T;
}

std::string TPelParStats::GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                     bool LabelSwitch, bool ShowCodes) {
  return Label(Pos.X, LabelSwitch, 0);
}

std::string TPelParStats::GetLabel(int Index) { return Label(Index, false, 0); }

std::string TPelParStats::GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                       bool LabelSwitch, bool ShowCodes) {
  return Label(Pos.Y, LabelSwitch, 1);
}

}  // namespace quin
