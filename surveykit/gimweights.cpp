#include "surveykit/gimweights.h"

#include <algorithm>

#include "base/langmanager.h"
#include "base/orvmessages.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimreading.h"
#include "surveykit/gimstat.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimWeight, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TGimWeightList, TOrvObjectList)

// ---- TGimWeight

std::string TGimWeight::GetID() const {
  return Column ? TGimSimpleDataObject::GetID() : std::string("off");
}

std::string TGimWeight::GetName() const {
  if (!Column) return CurrentLangManager().Translate(Cp1250("<PLK>bez ważenia<ENU>no weight"));
  return TGimSimpleDataObject::GetName();
}

bool TGimWeight::IsWeighted() const { return !SameText(GetID(), "off"); }

void TGimWeight::SetColumn(TRixScanner& Scanner, TMerRecsetList* Recsets, std::string_view Spec) {
  if (Survey) {
    Column = Survey->CreateCol(&Scanner, Spec);
    return;
  }
  TMerRecset* Default = Recsets && !Recsets->Empty() ? Recsets->GetItem(0) : nullptr;
  Column = std::make_unique<TMerRecsetCol>(nullptr, Spec, Default);
}

void TGimWeight::Read(TRixScanner& Scanner, TMerRecsetList* Recsets) {
  TGimBlockReader R;
  R.Key = [this, Recsets](TRixScanner& S) {
    if (GimReadObjectText(S, *this, true)) return true;
    if (S.ReadNumber("population", Population)) return true;
    if (S.LastReadResult() != TRixReadResult::NoMatch) return true;
    std::string Spec;
    if (S.ReadIdentifier("column", Spec)) {
      SetColumn(S, Recsets, Spec);
      return true;
    }
    return S.LastReadResult() != TRixReadResult::NoMatch;
  };
  // The checks run however the block ended.
  GimReadAndClose([&] { R.Read(Scanner); },
                  [&] {
                    GimCheckIDAndName(Scanner, *this);
                    if (!Column) Scanner.AddMsgAt(TMerError_ColNotDefined, Scanner.LastTokenEnd());
                  });
}

// ---- TGimWeightList

std::unique_ptr<TGimWeight> TGimWeightList::CreateWeight() {
  return NewInSurvey<TGimWeight>(Survey, nullptr);
}

TGimWeight* TGimWeightList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->GetID(), AID)) return GetItem(I);
  return nullptr;
}

TGimWeight* TGimWeightList::AddNoWeight() {
  std::unique_ptr<TGimWeight> W = CreateWeight();
  W->ID = "off";
  return Add(std::move(W));
}

int TGimWeightList::CountWeighted() const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (GetItem(I)->IsWeighted()) ++N;
  return N;
}

void TGimWeightList::Read(TRixScanner& Scanner, TMerRecsetList* Recsets) {
  TGimWeight* NoWeight = nullptr;
  TGimBlockReader R;
  R.Key = [this, &NoWeight](TRixScanner& S) {
    bool Flag = false;
    if (S.ReadBoolean("noWeight", Flag)) {
      if (Flag) NoWeight = AddNoWeight();
      return true;
    }
    if (S.LastReadResult() != TRixReadResult::NoMatch) return true;
    double P = 0;
    if (S.ReadNumber("population", P)) {
      if (NoWeight) NoWeight->Population = P;
      return true;
    }
    return S.LastReadResult() != TRixReadResult::NoMatch;
  };
  R.Block = [this, Recsets](TRixScanner& S, const TOrvTextPos&) {
    if (!S.ReadDefComplexStart("weight")) return false;
    std::unique_ptr<TGimWeight> W = CreateWeight();
    W->Read(S, Recsets);
    const std::string ID = W->GetID();
    for (int I = 0; I < Count(); ++I) {
      if (SameText(GetItem(I)->GetID(), ID)) {
        S.AddMsgAt(TMerError_IDNotUnique, S.PrevToken ? S.PrevToken->StartPos : S.Pos);
        break;
      }
    }
    Add(std::move(W));
    return true;
  };
  R.Read(Scanner);
}

// ---- Prepared weights

void TGimWeightList::ReleaseWeights() {
  std::vector<double>().swap(FWeights);
  FTotal = 0;
  FPrepared = false;
  FPreparedWeight = nullptr;
  FPreparedRecset = nullptr;
}

namespace {

// The join of one panel record set to the respondents, with every range clamped to the
// records the panel has (the ranges come from data files).
struct TPanelJoin {
  const TMerRespInPanels* Join = nullptr;
  int Records = 0;
  bool Range(int R, int& First, int& Last) const {
    if (!Join) return false;
    const TMerRespInPanels::TCaseRange C = Join->CaseRange(R);
    First = std::max(C.First, 0);
    Last = std::min(C.Last, Records - 1);
    return First <= Last;
  }
};

TPanelJoin PanelJoinOf(const TMerSurvey* Survey, int Index) {
  TPanelJoin J;
  if (!Survey || Index <= 0 || Index >= Survey->RecsetCount()) return J;
  if (static_cast<size_t>(Index) >= Survey->PanelJoins.size()) return J;
  J.Join = Survey->PanelJoins[Index].get();
  J.Records = std::max(Survey->Recset(Index)->RecCount(), 0);
  return J;
}

int RespondentCount(const TMerSurvey* Survey) {
  if (!Survey || Survey->RecsetCount() == 0) return 0;
  return std::max(Survey->Recset(0)->RecCount(), 0);
}

// Per respondent: the sum of its panel records' weights into Sum, their number into Count.
void SumPerRespondent(const std::vector<double>& Col, const TPanelJoin& J, int Respondents,
                      std::vector<double>& Sum, std::vector<int>& Count) {
  Sum.assign(Respondents, 0.0);
  Count.assign(Respondents, 0);
  const int N = std::min(J.Records, static_cast<int>(Col.size()));
  for (int R = 0; R < Respondents; ++R) {
    int First = 0;
    int Last = -1;
    if (!J.Range(R, First, Last)) continue;
    Last = std::min(Last, N - 1);
    double S = 0;
    for (int I = First; I <= Last; ++I) S += Col[I];
    Sum[R] = S;
    Count[R] = Last >= First ? Last - First + 1 : 0;
  }
}

}  // namespace

void TGimWeightList::CarryAcrossJoin(std::vector<double>& Col, int Source, int Target, int N) {
  const int Respondents = RespondentCount(Survey);
  std::vector<int> Counts(N, 0);
  if (Target == 0) {
    // Respondents receive the sum and number of their panel records' weights.
    std::vector<double> Sum;
    std::vector<int> Count;
    SumPerRespondent(Col, PanelJoinOf(Survey, Source), std::min(Respondents, N), Sum, Count);
    std::copy(Sum.begin(), Sum.end(), FWeights.begin());
    std::copy(Count.begin(), Count.end(), Counts.begin());
  } else {
    const TPanelJoin To = PanelJoinOf(Survey, Target);
    if (Source != 0) {
      // Between two panels: each respondent's mean weight first.
      std::vector<double> Sum;
      std::vector<int> Count;
      SumPerRespondent(Col, PanelJoinOf(Survey, Source), Respondents, Sum, Count);
      for (int R = 0; R < Respondents; ++R)
        if (Sum[R] > 0 && Count[R] > 1) Sum[R] /= Count[R];
      Col.swap(Sum);
    }
    const int From = std::min(Respondents, static_cast<int>(Col.size()));
    for (int R = 0; R < From; ++R) {
      int First = 0;
      int Last = -1;
      if (!To.Range(R, First, Last)) continue;
      Last = std::min(Last, N - 1);
      for (int I = First; I <= Last; ++I) {
        FWeights[I] += Col[R];
        ++Counts[I];
      }
    }
  }
  // Averaged per record, then scaled so that the positive weights average 1.
  long long P = 0;
  double S = 0;
  for (int I = 0; I < N; ++I) {
    double& W = FWeights[I];
    if (W > 0 && Counts[I] > 1) W /= Counts[I];
    if (W > 0) {
      ++P;
      S += W;
    }
  }
  if (S > 0) {
    const double Scale = static_cast<double>(P) / S;
    for (double& W : FWeights) W *= Scale;
  }
}

void TGimWeightList::PrepareWeights(const TGimWeight* Weight, TMerRecset* Recset) {
  if (FPrepared && FPreparedWeight == Weight && FPreparedRecset == Recset) return;
  ReleaseWeights();
  const int N = Recset ? std::max(Recset->RecCount(), 0) : 0;
  const TMerRecsetCol* Col = Weight ? Weight->Column.get() : nullptr;
  FWeights.assign(N, Col ? 0.0 : 1.0);
  // A missing weight counts as 0 from the start, so that it never enters a sum or the
  // scaling across a join.
  auto ZeroMissing = [](std::vector<double>& Values) {
    for (double& V : Values)
      if (V == GimValueNoData) V = 0;
  };
  if (N > 0 && Col && Col->Recset == Recset) {
    // Loaded straight into the vector, as stored.
    Col->LoadInto(FWeights);
    FWeights.resize(N, 0.0);
    ZeroMissing(FWeights);
  } else if (N > 0 && Col && Col->Recset) {
    std::vector<double> Values;
    Col->LoadInto(Values);
    ZeroMissing(Values);
    if (Survey && Survey->RecsetList) {
      const int Source = Survey->RecsetList->IndexOf(Col->Recset);
      const int Target = Survey->RecsetList->IndexOf(Recset);
      if (Source >= 0 && Target >= 0) CarryAcrossJoin(Values, Source, Target, N);
    }
  }
  double Total = 0;
  for (const double W : FWeights) Total += W;
  FTotal = Total;
  FPreparedWeight = Weight;
  FPreparedRecset = Recset;
  FPrepared = true;
}

}  // namespace quin
