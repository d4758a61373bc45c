#include "analysis/pelcondmask.h"

#include <cstring>
#include <set>

#include "analysis/pelgroup.h"
#include "analysis/pelresmanager.h"
#include "analysis/pelsurvey.h"
#include "analysis/peluserdef.h"
#include "deflang/rixcodes.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "surveykit/gimwaves.h"

namespace quin {

namespace {

void AddBits(std::string& Key, double X) {
  uint64_t B;
  std::memcpy(&B, &X, sizeof B);
  Key += std::to_string(B);
  Key += ',';
}

bool DescribeCodes(const TRixCodeList* L, std::string& Key) {
  if (!L) {
    Key += '-';
    return true;
  }
  Key += '[';
  for (int I = 0; I < L->Count(); ++I) {
    const TRixCode* C = L->GetItem(I);
    if (const auto* S = As<TRixCodeSingle>(C)) {
      Key += 's';
      AddBits(Key, S->Value());
    } else if (const auto* R = As<TRixCodeRange>(C)) {
      Key += 'r';
      AddBits(Key, R->Lower());
      AddBits(Key, R->Upper());
      Key += R->LowerExclusive() ? '(' : '<';
      Key += R->UpperExclusive() ? ')' : '>';
    } else if (C) {
      return false;
    }
  }
  Key += ']';
  return true;
}

// What evaluating a response reads: its columns (name and record set) and its codes.
bool DescribeResponse(const TGimResponse& R, const TMerSurvey* Survey, std::string& Key) {
  if (R.Is<TPelUserDefResponse>() || !Survey || !Survey->RecsetList) return false;
  Key += "R{";
  for (int I = 0; I < R.ColumnCount(); ++I) {
    const TMerRecsetCol& C = *R.Columns->GetItem(I);
    Key += C.Name;
    Key += '@';
    Key += std::to_string(C.Recset ? Survey->RecsetList->IndexOf(C.Recset) : -1);
    Key += ';';
  }
  Key += 'c';
  if (!DescribeCodes(R.Codes.get(), Key)) return false;
  Key += 'n';
  if (!DescribeCodes(R.NumericCodes.get(), Key)) return false;
  Key += 'v';
  if (!DescribeCodes(R.ValidCodes.get(), Key)) return false;
  Key += 's';
  if (R.HasSingleCode)
    AddBits(Key, R.SingleCode);
  else
    Key += '-';
  Key += '}';
  return true;
}

bool DescribeObject(const TPelGroupObject& O, std::string& Key) {
  if (const auto* V = As<TPelGroupVar>(&O)) {
    if (!V->Question) {
      Key += "V-";
      return true;
    }
    if (V->Question->Is<TPelUserDefQuestion>()) return false;
    Key += "V(";
    std::unique_ptr<TMerResponseList> List = V->Values.CreateResponseList();
    for (int I = 0; I < List->Count(); ++I)
      if (const TGimResponse* R = List->GetItem(I))
        if (!DescribeResponse(*R, V->Question->Survey, Key)) return false;
    Key += ')';
    return true;
  }
  const auto* N = As<TPelGroupNode>(&O);
  if (!N) return false;
  Key += N->IsNot() ? "N(" : N->IsOr() ? "O(" : "A(";
  for (int I = 0; I < N->ChildCount(); ++I)
    if (!DescribeObject(*N->Child(I), Key)) return false;
  Key += ')';
  return true;
}

// A condition on one question whose every column is a column of codes of the record set: its
// responses, each with its columns' codes.
struct TCodedResponse {
  const TGimResponse* R = nullptr;
  std::vector<std::shared_ptr<const TPelCodedColumn>> Cols;
};
struct TAnyOf {
  std::unique_ptr<TMerResponseList> List;  // owns the responses
  std::vector<TCodedResponse> Rs;
  bool Not = false;
};

bool CodedResponses(const TPelGroup& G, TPelResManager& M, TPelRecset& Recset, TAnyOf& Out) {
  if (!G.Root || G.Root->ChildCount() != 1) return false;
  const auto* V = As<TPelGroupVar>(G.Root->Child(0));
  if (!V || !V->Question || V->Question->Is<TPelUserDefQuestion>()) return false;
  Out.Not = G.Root->IsNot();
  Out.List = V->Values.CreateResponseList();
  for (int I = 0; I < Out.List->Count(); ++I) {
    const TGimResponse* R = Out.List->GetItem(I);
    if (!R) continue;
    if (R->ColumnCount() == 0) return false;
    TCodedResponse C;
    C.R = R;
    for (int J = 0; J < R->ColumnCount(); ++J) {
      const TMerRecsetCol& Col = *R->Columns->GetItem(J);
      const TPelCol* PC = Col.Recset == &Recset ? Recset.FindCol(Col.Name) : nullptr;
      std::shared_ptr<const TPelCodedColumn> Codes =
          PC ? M.Columns().Codes(Recset, M.R, PC) : nullptr;
      if (!Codes || Codes->Codes.size() != static_cast<size_t>(Recset.RecCount())) return false;
      C.Cols.push_back(std::move(Codes));
    }
    Out.Rs.push_back(std::move(C));
  }
  return !Out.Rs.empty();
}

// The mask of a condition on one question as an "or" over its byte columns: a record is
// selected when some column's value matches a response, and undefined when no column holds a
// value valid for its response.
TPelByteColumn AnyOfMask(const std::vector<TCodedResponse>& Rs, bool Not, size_t N) {
  TPelByteColumn Mask(N);
  uint8_t* Out = Mask.data();
  bool First = true;
  for (const TCodedResponse& C : Rs)
    for (const auto& Col : C.Cols) {
      // Per code: selected, and not valid (undefined).
      std::array<uint8_t, 256> Lut{};
      for (size_t B = 0; B < 256; ++B) {
        const double X = Col->Value[B];
        Lut[B] = static_cast<uint8_t>((C.R->MatchesValue(X) ? kPelMaskSelected : 0) |
                                      (C.R->IsValidValue(X) ? 0 : kPelMaskMissing));
      }
      const uint8_t* In = Col->Codes.data();
      if (First) {
        for (size_t I = 0; I < N; ++I) Out[I] = Lut[In[I]];
        First = false;
      } else {
        for (size_t I = 0; I < N; ++I) {
          const uint8_t V = Lut[In[I]];
          Out[I] = static_cast<uint8_t>(((Out[I] | V) & kPelMaskSelected) |
                                        (Out[I] & V & kPelMaskMissing));
        }
      }
    }
  // A condition keeps its result only where it is defined; "not" inverts it there.
  for (size_t I = 0; I < N; ++I) {
    const uint8_t Mi = Out[I] & kPelMaskMissing;
    uint8_t S = Out[I] & kPelMaskSelected;
    if (Not) S ^= kPelMaskSelected;
    Out[I] = static_cast<uint8_t>((Mi ? 0 : S) | Mi);
  }
  return Mask;
}

}  // namespace

bool PelConditionKey(const TPelGroup& Group, const TGimWaveList* Waves, int RecsetIndex,
                     std::string& Key) {
  Key = "r" + std::to_string(RecsetIndex) + "w";
  std::set<const TGimWave*> Seen;
  for (int I = 0; Waves && I < Waves->Count(); ++I)
    if (const TGimWave* W = Waves->GetItem(I); W && Seen.insert(W).second)
      Key += std::to_string(W->Number) + ",";
  Key += ':';
  if (!Group.Root) {
    Key += "all";
    return true;
  }
  return DescribeObject(*Group.Root, Key);
}

std::shared_ptr<const TPelByteColumn> PelConditionMask(TPelResManager& M, TPelResElem* Elem) {
  TPelResElem* E = TPelResElem::ResolveRef(Elem);
  if (!E->IsCalculated() && !E->Group) E->BuildGroup();
  TPelGroup* G = E->Group.get();
  auto* Recset = M.BasedOn ? As<TPelRecset>(M.BasedOn->Recset) : nullptr;
  if (!G || !Recset || M.R < 0) return nullptr;
  std::string Key;
  if (!PelConditionKey(*G, E->GetWaveList(), M.R, Key)) return nullptr;
  const auto N = static_cast<size_t>(std::max(Recset->RecCount(), 0));
  const TGimWaveList* Waves = E->GetWaveList();
  std::shared_ptr<const TPelByteColumn> Mask = M.Columns().Mask(Key, [&] {
    TAnyOf AnyOf;
    if (CodedResponses(*G, M, *Recset, AnyOf)) return AnyOfMask(AnyOf.Rs, AnyOf.Not, N);
    // Any other condition: a copy of the group is evaluated (the session's group keeps its
    // flags and counts as they are).
    TPelGroup Copy(*G);
    Copy.Evaluate(Waves, M.WeightsFor(), Recset);
    TPelByteColumn Out(N, kPelMaskMissing);
    if (Copy.Selected.size() == N && Copy.Missing.size() == N)
      for (size_t I = 0; I < N; ++I)
        Out[I] = static_cast<uint8_t>((Copy.Selected[I] ? kPelMaskSelected : 0) |
                                      (Copy.Missing[I] ? kPelMaskMissing : 0));
    return Out;
  });
  return Mask && Mask->size() == N ? Mask : nullptr;
}

}  // namespace quin
