#include "analysis/pelpargroups.h"

#include <cmath>

#include "analysis/pelglobals.h"
#include "analysis/pelgroup.h"
#include "analysis/pelparwaves.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstats.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParGroups, TPelParMulti)

std::string TPelParGroups::GetDefaultName() const {
  return TranslateLiteral("<PLK>Grupy docelowe<ENU>Target groups");
}

std::unique_ptr<TPelSubPar> TPelParGroups::NewSubPar(TOrvRandGen* Random) {
  if (Random) return TPelGroup::CreateRandom(Survey, this, *Random);
  return New<TPelGroup>(Survey, this);
}

TPelParGroups::TInfoCounts TPelParGroups::CountForInfo(TPelGroup* Group, const TGimWaveList* Waves,
                                                       const TGimWeight* Weight,
                                                       TMerRecset* Recset) const {
  const double N = Waves ? Waves->RecCount(Recset) : 0;
  TInfoCounts C{N, N, N, 0, 0};
  if (Group) {
    Group->Evaluate(Waves, Weight, Recset);
    C = {Group->SelectedCount, Group->WeightedSelected, Group->WeightedCases, Group->MissingCount,
         Group->WeightedMissing};
    // Only the counts are wanted.
    Group->ReleaseFlags();
  }
  return C;
}

std::string TPelParGroups::GetGroupInfoText(TPelGroup* Group, int Mode, const TGimWaveList* Waves,
                                            const TGimWeight* Weight, TMerRecset* Recset) const {
  if (Mode != 0 && Mode != 1 && Mode != 3) return {};
  return InfoText(Mode, CountForInfo(Group, Waves, Weight, Recset), Weight, Recset);
}

std::array<std::string, 3> TPelParGroups::GetGroupInfoTexts(TPelGroup* Group,
                                                            const TGimWaveList* Waves,
                                                            const TGimWeight* Weight,
                                                            TMerRecset* Recset) const {
  const TInfoCounts C = CountForInfo(Group, Waves, Weight, Recset);
  return {InfoText(0, C, Weight, Recset), InfoText(1, C, Weight, Recset),
          InfoText(3, C, Weight, Recset)};
}

std::string TPelParGroups::InfoText(int Mode, const TInfoCounts& C, const TGimWeight* Weight,
                                    TMerRecset* Recset) const {
  const double Selected = C.Selected, WSelected = C.WSelected, WCases = C.WCases,
               Missing = C.Missing, WMissing = C.WMissing;
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  const double D = WCases - WMissing;
  const double Population = Weight ? Weight->Population : 0;
  const double Share = D > 0 ? WSelected / D * 100 : 0;
  const double Estimate = D > 0 ? WSelected / D * Population / 1000 : 0;
  if (Mode == 0) {
    // An empty record set has no share of the sample.
    const int All = Recset ? Recset->RecCount() : 0;
    const double OfSample = All > 0 ? Selected / All * 100 : 0;
    if (Population > 0)
      return Format(TranslateLiteral("<PLK>Przypadków: %1.0n = %1.1f%% całej próby (estymacja "
                                     "populacji w '000: %1.0n = %1.1f%% całej populacji)"
                                     "<ENU>Cases: %1.0n = %1.1f%% of the whole sample "
                                     "(population estimation in '000: %1.0n = %1.1f%% of the "
                                     "whole population)"),
                    {Selected, OfSample, Estimate, Share}, FS);
    return Format(TranslateLiteral("<PLK>Przypadków: %1.0n = %1.1f%% całej próby<ENU>Cases: "
                                   "%1.0n = %1.1f%% of the whole sample"),
                  {Selected, OfSample}, FS);
  }
  if (Mode == 1) {
    const double Level = 1 - PelGlobalSettings().SigLevel;
    const double Error = MaxErrorPercent(Level, Selected);
    if (Error == StatsMinValue)
      return TranslateLiteral(
          "<PLK>Nieznany błąd maksymalny - za mała liczebność<ENU>Unknown maximum error - group "
          "size too small");
    return Format(TranslateLiteral("<PLK>Błąd maksymalny: %1.1f%% przy poziomie ufności "
                                   "%g<ENU>Maximum error %1.1f%% at confidence level %g"),
                  {Error, Level}, FS);
  }
  if (Missing > 0)
    return TranslateLiteral(
               "<PLK>Niektóre przypadki w wybranej grupie docelowej zawierają braki "
               "danych<ENU>Some cases in the selected target group contain missing values") +
           " (" + IntToStr(std::llround(Missing)) + ")";
  return TranslateLiteral(
      "<PLK>W wybranej grupie docelowej nie ma braków danych<ENU>There are no missing values in "
      "the selected target group");
}

std::unique_ptr<TGimWaveList> TPelParGroups::GetInfoWaveList() const {
  TPelPar* W = Owner ? Owner->FindByClass(TPelParWaves::StaticClass(), false) : nullptr;
  auto In = [&](const TPelParList* L) { return W && L && L->IndexOf(W) >= 0; };
  if (In(TableCols) || In(TableRows)) return static_cast<TPelParWaves*>(W)->AllWaves();
  if (In(TableLayers)) {
    const int Item = TableLayerSelections ? TableLayerSelections->GetSelected(W) : 0;
    std::unique_ptr<TPelResElem> E(W->CreateResElem(Item));
    const TGimWaveList* L = E ? E->GetWaveList() : nullptr;
    if (!L) return nullptr;
    // Always a list of the caller's own.
    auto Copy = TGimWaveList::CreateSubset(Survey, /*OwnsWaves=*/false, /*AddAll=*/false);
    for (int I = 0; I < L->Count(); ++I) Copy->Children->Add(L->GetItem(I));
    return Copy;
  }
  return TGimWaveList::CreateSubset(Survey, /*OwnsWaves=*/false, /*AddAll=*/true);
}

std::string TPelParGroups::GroupBlock(TPelGroup* Group, int Option) const {
  if (!Group) return {};
  TMerRecset* R = Owner && Owner->BasedOn ? Owner->BasedOn->Recset : nullptr;
  const std::unique_ptr<TGimWaveList> Waves = GetInfoWaveList();
  return "\r\n  " + InfoTextFor(Option, Group->GetText()) + "\r\n  " +
         InfoTextFor(Option,
                     GetGroupInfoText(Group, 0, Waves.get(), Owner ? Owner->Weight : nullptr, R));
}

std::string TPelParGroups::GetItemInfoText(int Option, int Index) const {
  int K = 0;
  for (int I = 0; I < SubParCount(); ++I) {
    if (SubPar(I)->Hidden) continue;
    if (K++ == Index)
      return TranslateLiteral("<PLK>Wybrana grupa docelowa:<ENU>Selected target group:") +
             GroupBlock(As<TPelGroup>(SubPar(I)), Option);
  }
  return {};
}

std::string TPelParGroups::GetDimInfoText(int Option, int Index) const {
  std::string S = TranslateLiteral("<PLK>Grupy docelowe:<ENU>Target groups:");
  for (int I = 0; I < SubParCount(); ++I)
    if (!SubPar(I)->Hidden) S += GroupBlock(As<TPelGroup>(SubPar(I)), Option);
  return S;
}

}  // namespace quin
