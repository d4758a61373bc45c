#include "analysis/pelparaxes.h"

#include "analysis/pelparquestions.h"
#include "analysis/pelresgeneral.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimquestions.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParDefResponseAxis, TPelPar)

namespace {

// The distinct values of a numeric response, read from the record set of its first column.
const std::vector<double>* NumericValues(TGimResponse* R) {
  return R->GetNumericValues(R->HasColumns() ? R->Columns->GetItem(0)->Recset : nullptr);
}

}  // namespace

void ForEachResponse(const TMerResponseList* List, const std::function<void(TGimResponse*)>& Visit,
                     int Depth) {
  if (!List || Depth > 64) return;
  for (int I = 0; I < List->ChildCount(); ++I) {
    if (const auto* Nested = As<TMerResponseList>(List->Child(I)))
      ForEachResponse(Nested, Visit, Depth + 1);
    else if (TGimResponse* R = List->GetItem(I))
      Visit(R);
  }
}

void ListRespItems(TGimQuestion* Question, const TMerResponseList* List, bool Selectable,
                   bool Means, TPelRespItems& Items) {
  const size_t First = Items.size();
  ForEachResponse(List, [&](TGimResponse* R) {
    if (!R->IsListed(Selectable, Means)) return;
    TPelRespItem Item{Question, R};
    const std::vector<double>* Values = Selectable && R->NumericCodes ? NumericValues(R) : nullptr;
    if (!Values) {
      Items.push_back(Item);
      return;
    }
    for (size_t V = 0; V < Values->size(); ++V) {
      Item.ValueIndex = static_cast<int>(V);
      Item.Value = (*Values)[V];
      Items.push_back(Item);
    }
  });
  if (Items.size() > First) Items[First].FirstOfQuestion = true;
}
TPelResElem* CreateRespItemElem(TPelSurvey* Survey, const TPelRespItem& Item,
                                TGimResponseAxis* Axis, int ItemIndex, TPelPar* Par) {
  if (Item.ValueIndex >= 0)
    return new TPelResVarValCode(Survey, Item.ValueIndex == 0, Item.Value, Item.Response, Axis,
                                 Item.Question, ItemIndex, Par);
  return new TPelResVarVal(Survey, Item.Response, Axis, Item.Question, ItemIndex, Par);
}

std::string RespItemLabel(const TPelRespItem& Item, bool Selectable, bool Means, bool ShowCodes,
                          bool MultiColumn, int BaseLevel) {
  std::string T;
  if (Selectable)
    Item.Response->GetLabel(Means, ShowCodes, MultiColumn, Item.ValueIndex, T);
  else
    Item.Response->GetBaseLabel(BaseLevel, ShowCodes, T);
  return T;
}

std::string RespItemText(const std::string& Prefix, const TPelRespItem& Item) {
  std::string T = Prefix;
  const std::string Name = Item.Response->GetName();
  if (!Name.empty()) T += (T.empty() ? "" : ": ") + Name;
  if (Item.ValueIndex >= 0)
    T += " " + Format("[%g]", {Item.Value}, CurrentLangManager().FormatSettings);
  return T;
}

// ---- TPelParDefResponseAxis

TGimQuestion* TPelParDefResponseAxis::AxisQuestion() const {
  return Axis ? As<TGimQuestion>(Axis->Owner) : nullptr;
}

std::string TPelParDefResponseAxis::GetAxisTitle() const {
  if (!Axis) return {};
  const TGimQuestion* Q = AxisQuestion();
  return Q ? Q->GetName() + " - " + Axis->GetName() : Axis->GetName();
}

std::string TPelParDefResponseAxis::GetDefaultName() const {
  return Axis ? Axis->GetName() : std::string();
}

std::string TPelParDefResponseAxis::GetCaption() const {
  std::string T = Parent ? Parent->GetDisplayName() : std::string();
  if (!T.empty()) T += " - ";
  return T + (Axis ? Axis->GetName() : std::string());
}

void TPelParDefResponseAxis::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  ReadKeysToEnd(Scanner, [&](TRixScanner& S) {
    std::string ID;
    if (!S.ReadIdentifier("id", ID)) return RixKeyTaken(S, false);
    AxisID = ID;
    // The axis of the questions parameter read last, when that one splits its grid question.
    // Axis identifiers are compared ignoring case: the reader has lower-cased this one.
    for (int I = Owner ? Owner->Count() - 1 : -1; I >= 0; --I) {
      auto* Q = As<TPelParDefQuestions>(Owner->GetItem(I));
      if (!Q) continue;
      if (Q->SplitsAxes()) {
        Parent = Q;
        const TGimResponseAxisList* Axes = Q->Questions[0]->Axes.get();
        for (int A = 0; A < Axes->Count(); ++A)
          if (SameText(Axes->GetItem(A)->ID, ID)) Axis = Axes->GetItem(A);
      }
      break;
    }
    return true;
  });
}

void TPelParDefResponseAxis::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  const std::string& ID = Axis ? Axis->ID : AxisID;
  if (!ID.empty()) WriteKeyIdentifier(Stream, Indent, "id", "", ID);
}

TPelRespItems TPelParDefResponseAxis::Items(bool Selectable, bool Means) const {
  TPelRespItems R;
  if (Axis) ListRespItems(AxisQuestion(), Axis->Responses.get(), Selectable, Means, R);
  return R;
}

TPelDims TPelParDefResponseAxis::GetDims(bool Selectable, bool Means, bool Detail) {
  const int N = static_cast<int>(Items(Selectable, Means).size());
  return N > 0 ? TPelDims{N, 2} : TPelDims{};
}

int TPelParDefResponseAxis::GetItemCount() {
  return static_cast<int>(Items(/*Selectable=*/true, /*Means=*/false).size());
}

TPelDims TPelParDefResponseAxis::GetDims2D(bool Selectable, bool Means, bool Detail) {
  return {1, static_cast<int>(Items(Selectable, Means).size()) + 1};
}

TPelResElem* TPelParDefResponseAxis::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means,
                                                     bool Detail) {
  const TPelRespItems I = Items(Selectable, Means);
  if (Pos.Y <= 0 || Pos.X < 0 || Pos.X >= static_cast<int>(I.size())) return nullptr;
  return CreateRespItemElem(Survey, I[Pos.X], Axis, Pos.X, this);
}

TPelResElem* TPelParDefResponseAxis::CreateResElem(int Index) {
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  if (Index < 0 || Index >= static_cast<int>(I.size())) return nullptr;
  return CreateRespItemElem(Survey, I[Index], Axis, Index, this);
}

TPelResElem* TPelParDefResponseAxis::CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means,
                                                       bool Detail) {
  if (Pos.X != 0 || !Axis) return nullptr;
  if (Pos.Y == 0) {
    return new TPelResVar(Survey, Axis, AxisQuestion(), 0, this);
  }
  return CreateResElemAt({Pos.Y - 1, 1}, Selectable, Means, Detail);
}

int TPelParDefResponseAxis::GetResponseAxisIndex() const {
  const TGimQuestion* Q = AxisQuestion();
  return Q && Q->Axes ? Q->Axes->IndexOf(Axis) : -1;
}

std::string TPelParDefResponseAxis::GetLabelAt(TPelPos Pos, bool Selectable, bool Means,
                                               bool Detail, bool LabelSwitch, bool ShowCodes) {
  if (Pos.Y == 0) return Pos.X == 0 ? GetAxisTitle() : std::string();
  const TPelRespItems I = Items(Selectable, Means);
  if (Pos.X < 0 || Pos.X >= static_cast<int>(I.size())) return {};
  return RespItemLabel(I[Pos.X], Selectable, Means, ShowCodes, false,
                       Axis->Responses ? Axis->Responses->CountBaseResponses() : 0);
}

std::string TPelParDefResponseAxis::GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means,
                                                 bool Detail, bool LabelSwitch, bool ShowCodes) {
  if (Pos.X != 0) return {};
  if (Pos.Y == 0) return GetAxisTitle();
  return GetLabelAt({Pos.Y - 1, 1}, Selectable, Means, Detail, LabelSwitch, ShowCodes);
}

std::string TPelParDefResponseAxis::GetLabel(int Index) {
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  if (Index < 0 || Index >= static_cast<int>(I.size())) return {};
  return RespItemText(GetAxisTitle(), I[Index]);
}

}  // namespace quin
