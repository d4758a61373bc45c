#include "analysis/pelparquestions.h"

#include <algorithm>

#include "analysis/pelresgeneral.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "analysis/peluserdef.h"
#include "base/langmanager.h"
#include "base/random.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "deflang/rixwriter.h"
#include "surveykit/gimdata.h"
#include "surveykit/gimquestions.h"
#include "surveykit/mermessages.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelParDefQuestions, TPelPar)

TPelParDefQuestions::TPelParDefQuestions(TPelSurvey* ASurvey)
    : TPelPar(ASurvey), UserQuestions(std::make_unique<TGimQuestionList>(true)) {}

TPelParDefQuestions::TPelParDefQuestions(const TPelParDefQuestions& Source) : TPelPar(Source) {
  CopyFrom(Source);
}

TPelParDefQuestions::~TPelParDefQuestions() = default;

TPelParDefQuestions& TPelParDefQuestions::operator=(const TPelParDefQuestions& Source) {
  if (&Source == this) return *this;
  TPelPar::operator=(Source);
  CopyFrom(Source);
  return *this;
}

void TPelParDefQuestions::CopyFrom(const TPelParDefQuestions& Source) {
  ModulesOnly = Source.ModulesOnly;
  UserQuestions = std::make_unique<TGimQuestionList>(*Source.UserQuestions);
  Questions.clear();
  for (TGimQuestion* Q : Source.Questions) {
    const int I = Source.UserQuestions->IndexOf(Q);
    Questions.push_back(I >= 0 ? UserQuestions->GetItem(I) : Q);
  }
  SplitAxes = Source.SplitsAxesNow();
  FAxisPar.reset();
}

bool TPelParDefQuestions::IsSingleGridQuestion() const {
  return Questions.size() == 1 && Questions[0]->Axes && Questions[0]->Axes->Count() > 1;
}

bool TPelParDefQuestions::SplitsAxes() {
  if (!IsSingleGridQuestion()) SplitAxes = false;
  return SplitAxes;
}

TPelParDefResponseAxis* TPelParDefQuestions::GetAxisPar() const {
  if (!SplitsAxesNow()) {
    FAxisPar.reset();
    return nullptr;
  }
  auto* First = Questions[0]->Axes->GetItem(0);
  if (!FAxisPar || FAxisPar->Axis != First) {
    FAxisPar = New<TPelParDefResponseAxis>(Survey);
    FAxisPar->Parent = const_cast<TPelParDefQuestions*>(this);
    FAxisPar->Axis = First;
  }
  return FAxisPar.get();
}

TGimQuestion* TPelParDefQuestions::AddUserQuestion(std::unique_ptr<TGimQuestion> Q) {
  TGimQuestion* P = UserQuestions->Add(std::move(Q));
  Questions.push_back(P);
  return P;
}

bool TPelParDefQuestions::IsUserQuestion(const TGimQuestion* Q) const {
  return UserQuestions->IndexOf(Q) >= 0;
}

TPelRespItems TPelParDefQuestions::Items(bool Selectable, bool Means) const {
  TPelRespItems R;
  for (TGimQuestion* Q : Questions) ListRespItems(Q, Q->Responses.get(), Selectable, Means, R);
  return R;
}

void TPelParDefQuestions::FillQuestionTree(TGimTreeView& Tree) const {
  if (Survey && Survey->Data) Survey->Data->AddToTreeView(Tree, TGimCheckState::Unchecked);
}

std::string TPelParDefQuestions::GetDefaultName() const {
  return CurrentLangManager().Translate("<PLK>Pytania<ENU>Questions");
}

// ---- Reading and writing

TGimQuestion* TPelParDefQuestions::FindQuestion(TRixScanner& Scanner, TPelSurvey* ASurvey,
                                                const std::string& ID, const TOrvTextPos& At) {
  TGimQuestion* Q = ASurvey && ASurvey->Data
                        ? ASurvey->Data->FindQuestion(ID, RaisesForOtherSurvey(Scanner))
                        : nullptr;
  if (Q)
    Questions.push_back(Q);
  else
    Scanner.AddMsgArgsAt(TMerRepInfo_QuestionNotFound, At, {ID});
  return Q;
}

void TPelParDefQuestions::ReadBody(TRixScanner& Scanner, TPelSurvey* ASurvey) {
  auto OwnKey = [&](TRixScanner& S) {
    std::unique_ptr<TRixTextList> IDs;
    if (S.ReadIdentifierList("list", IDs)) {
      for (int I = 0; IDs && I < IDs->Count(); ++I)
        FindQuestion(S, ASurvey, IDs->GetItem(I)->Text(), IDs->GetItem(I)->Token()->StartPos);
      return true;
    }
    const TOrvTextPos At = S.Token->StartPos;
    std::string ID;
    if (S.ReadIdentifier("question", ID)) {
      FindQuestion(S, ASurvey, ID, At);
      return true;
    }
    if (RixKeyTaken(S, false)) return true;
    return RixKeyTaken(S, S.ReadBoolean("splitResponseAxes", SplitAxes)) ||
           RixKeyTaken(S, S.ReadBoolean("splitResponseAxi", SplitAxes));
  };
  auto OwnBlock = [&](TRixScanner& S) {
    if (!S.ReadDefComplexStart(TPelUserDef::StaticKeyword())) return false;
    if (std::unique_ptr<TGimQuestion> Q = TPelUserDef::ReadQuestion(S, ASurvey))
      AddUserQuestion(std::move(Q));
    return true;
  };
  ReadKeysToEnd(Scanner, OwnKey, OwnBlock);
  SplitsAxes();
}

void TPelParDefQuestions::WriteBody(TStream& Stream, int& Indent) const {
  TPelPar::WriteBody(Stream, Indent);
  if (Questions.empty()) return;
  if (SplitAxes) WriteKeyBoolean(Stream, Indent, "splitResponseAxes", "", true);
  for (const TGimQuestion* Q : Questions) {
    if (const auto* U = As<TPelUserDefQuestion>(Q); U && IsUserQuestion(Q))
      U->WriteDefinition(Stream, Indent);
    else if (!IsUserQuestion(Q))
      WriteKeyIdentifier(Stream, Indent, "question", "", Q->ID);
  }
}

// ---- Response axes

int TPelParDefQuestions::GetExtraAxisCount() {
  return IsSingleGridQuestion() ? Questions[0]->Axes->Count() - 1 : 0;
}

TPelPar* TPelParDefQuestions::CreateAxisPar(int Index) {
  if (!IsSingleGridQuestion() || !Owner || Index < 0 || Index >= Questions[0]->Axes->Count())
    return nullptr;
  const int Self = Owner->IndexOf(this);
  if (Self < 0) return nullptr;
  auto P = New<TPelParDefResponseAxis>(Survey);
  P->Parent = this;
  P->Axis = Questions[0]->Axes->GetItem(Index);
  P->Owner = Owner;
  // After the axis parameters already derived from this one, so that they stay in axis order.
  int At = Self + 1;
  while (At < Owner->Count() && Owner->GetItem(At)->Parent == this &&
         Owner->GetItem(At)->IsExactly<TPelParDefResponseAxis>())
    ++At;
  TPelPar* Raw = P.release();
  Owner->Insert(At, Raw);
  return Raw;
}

void TPelParDefQuestions::UpdateState() {
  AxesWanted = false;
  AxesStale = false;
  const TPelParDefResponseAxis* Found = nullptr;
  for (int I = Owner ? Owner->Count() - 1 : -1; I >= 0 && !Found; --I) {
    const auto* A = As<TPelParDefResponseAxis>(Owner->GetItem(I));
    if (A && A->Parent == this) Found = A;
  }
  if (!SplitsAxes()) {
    AxesStale = Found != nullptr;
    return;
  }
  if (Found && Found->AxisQuestion() == Questions[0]) return;
  AxesWanted = true;
  AxesStale = Found != nullptr;
}

// ---- Items

TPelDims TPelParDefQuestions::GetDims(bool Selectable, bool Means, bool Detail) {
  if (SplitsAxes()) return GetAxisPar()->GetDims(Selectable, Means, Detail);
  if (Questions.empty()) return {};
  return {static_cast<int>(Items(Selectable, Means).size()), 2};
}

int TPelParDefQuestions::GetItemCount() {
  if (SplitsAxes()) return GetAxisPar()->GetItemCount();
  return static_cast<int>(Items(/*Selectable=*/true, /*Means=*/false).size());
}

std::vector<TPelParDefQuestions::TRow2D> TPelParDefQuestions::Rows2D(
    const TPelRespItems& Items) const {
  std::vector<TRow2D> Rows;
  size_t K = 0;
  for (TGimQuestion* Q : Questions) {
    Rows.push_back({Q, -1});
    // The items of one occurrence of Q: from its first item up to the next first item.
    if (K < Items.size() && Items[K].Question == Q && Items[K].FirstOfQuestion) do
        Rows.push_back({Q, static_cast<int>(K++)});
      while (K < Items.size() && !Items[K].FirstOfQuestion);
  }
  return Rows;
}

TPelDims TPelParDefQuestions::GetDims2D(bool Selectable, bool Means, bool Detail) {
  if (SplitsAxes()) return GetAxisPar()->GetDims2D(Selectable, Means, Detail);
  return {1, static_cast<int>(Questions.size() + Items(Selectable, Means).size())};
}

int TPelParDefQuestions::GetGroupCount2D(bool Selectable, bool Means, bool Detail) {
  return static_cast<int>(Questions.size());
}

bool TPelParDefQuestions::IsGroupStart2D(int Row, bool Selectable, bool Means, bool Detail) {
  const std::vector<TRow2D> Rows = Rows2D(Items(Selectable, Means));
  return Row >= 0 && Row < static_cast<int>(Rows.size()) && Rows[Row].Item < 0;
}

std::vector<uint8_t> TPelParDefQuestions::GroupStarts2D(int Rows, bool Selectable, bool Means,
                                                        bool Detail) {
  const std::vector<TRow2D> Listed = Rows2D(Items(Selectable, Means));
  std::vector<uint8_t> R(static_cast<size_t>(std::max(Rows, 0)), 0);
  for (size_t I = 0; I < R.size() && I < Listed.size(); ++I) R[I] = Listed[I].Item < 0 ? 1 : 0;
  return R;
}

TPelResElem* TPelParDefQuestions::CreateResElemAt(TPelPos Pos, bool Selectable, bool Means,
                                                  bool Detail) {
  if (SplitsAxes()) return GetAxisPar()->CreateResElemAt(Pos, Selectable, Means, Detail);
  const TPelRespItems I = Items(Selectable, Means);
  if (Pos.Y <= 0 || Pos.X < 0 || Pos.X >= static_cast<int>(I.size())) return nullptr;
  return CreateRespItemElem(Survey, I[Pos.X], nullptr, Pos.X, this);
}

TPelResElem* TPelParDefQuestions::CreateResElem(int Index) {
  if (SplitsAxes()) return GetAxisPar()->CreateResElem(Index);
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  if (Index < 0 || Index >= static_cast<int>(I.size())) return nullptr;
  return CreateRespItemElem(Survey, I[Index], nullptr, Index, this);
}

TPelResElem* TPelParDefQuestions::CreateResElemAt2D(TPelPos Pos, bool Selectable, bool Means,
                                                    bool Detail) {
  if (SplitsAxes()) return GetAxisPar()->CreateResElemAt2D(Pos, Selectable, Means, Detail);
  const TPelRespItems I = Items(Selectable, Means);
  const std::vector<TRow2D> Rows = Rows2D(I);
  if (Pos.X != 0 || Pos.Y < 0 || Pos.Y >= static_cast<int>(Rows.size())) return nullptr;
  const TRow2D& R = Rows[Pos.Y];
  if (R.Item >= 0) return CreateRespItemElem(Survey, I[R.Item], nullptr, R.Item, this);
  return new TPelResVar(Survey, nullptr, R.Question, Pos.Y, this);
}

TPelResElemVec TPelParDefQuestions::CreateResElemList(bool Selectable, bool Means, bool Detail) {
  if (SplitsAxes()) return TPelPar::CreateResElemList(Selectable, Means, Detail);
  TPelResElemVec R;
  const TPelRespItems I = Items(Selectable, Means);
  for (size_t K = 0; K < I.size(); ++K) {
    R.push_back(nullptr);
    R.push_back(CreateRespItemElem(Survey, I[K], nullptr, static_cast<int>(K), this));
  }
  return R;
}

TPelResElemVec TPelParDefQuestions::CreateAllResElems() {
  if (SplitsAxes()) return TPelPar::CreateAllResElems();
  TPelResElemVec R;
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  for (size_t K = 0; K < I.size(); ++K)
    R.push_back(CreateRespItemElem(Survey, I[K], nullptr, static_cast<int>(K), this));
  return R;
}

TPelResElemVec TPelParDefQuestions::CreateResElemList2D(bool Selectable, bool Means, bool Detail) {
  if (SplitsAxes()) return TPelPar::CreateResElemList2D(Selectable, Means, Detail);
  TPelResElemVec R;
  const TPelRespItems I = Items(Selectable, Means);
  const std::vector<TRow2D> Rows = Rows2D(I);
  for (size_t K = 0; K < Rows.size(); ++K) {
    const TRow2D& Row = Rows[K];
    if (Row.Item >= 0)
      R.push_back(CreateRespItemElem(Survey, I[Row.Item], nullptr, Row.Item, this));
    else
      R.push_back(new TPelResVar(Survey, nullptr, Row.Question, static_cast<int>(K), this));
  }
  return R;
}

// ---- Labels

std::string TPelParDefQuestions::Label1D(const TPelRespItem& Item, int Col, bool Selectable,
                                         bool Means, bool ShowCodes) const {
  if (Col == 0) return Item.FirstOfQuestion ? Item.Question->GetFullName() : std::string();
  return RespItemLabel(Item, Selectable, Means, ShowCodes, true,
                       Item.Question->CountBaseResponses());
}

std::string TPelParDefQuestions::GetLabelAt(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                            bool LabelSwitch, bool ShowCodes) {
  if (SplitsAxes())
    return GetAxisPar()->GetLabelAt(Pos, Selectable, Means, Detail, LabelSwitch, ShowCodes);
  const TPelRespItems I = Items(Selectable, Means);
  if (Pos.X < 0 || Pos.X >= static_cast<int>(I.size()) || Pos.Y < 0 || Pos.Y > 1) return {};
  return Label1D(I[Pos.X], Pos.Y, Selectable, Means, ShowCodes);
}

std::string TPelParDefQuestions::GetLabelAt2D(TPelPos Pos, bool Selectable, bool Means, bool Detail,
                                              bool LabelSwitch, bool ShowCodes) {
  if (SplitsAxes())
    return GetAxisPar()->GetLabelAt2D(Pos, Selectable, Means, Detail, LabelSwitch, ShowCodes);
  const TPelRespItems I = Items(Selectable, Means);
  const std::vector<TRow2D> Rows = Rows2D(I);
  if (Pos.X != 0 || Pos.Y < 0 || Pos.Y >= static_cast<int>(Rows.size())) return {};
  const TRow2D& R = Rows[Pos.Y];
  return R.Item < 0 ? R.Question->GetFullName()
                    : Label1D(I[R.Item], 1, Selectable, Means, ShowCodes);
}

std::string TPelParDefQuestions::GetLabel(int Index) {
  if (SplitsAxes()) return GetAxisPar()->GetLabel(Index);
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  if (Index < 0 || Index >= static_cast<int>(I.size())) return {};
  return RespItemText(I[Index].Question->GetName(), I[Index]);
}

TPelLabels TPelParDefQuestions::GetLabelList(bool Selectable, bool Means, bool Detail,
                                             bool LabelSwitch, bool ShowCodes) {
  if (SplitsAxes()) return TPelPar::GetLabelList(Selectable, Means, Detail, LabelSwitch, ShowCodes);
  TPelLabels R;
  for (const TPelRespItem& Item : Items(Selectable, Means))
    for (int Col = 0; Col < 2; ++Col) R.push_back(Label1D(Item, Col, Selectable, Means, ShowCodes));
  return R;
}

TPelLabels TPelParDefQuestions::GetAllLabels() {
  if (SplitsAxes()) return TPelPar::GetAllLabels();
  TPelLabels R;
  for (const TPelRespItem& Item : Items(/*Selectable=*/true, /*Means=*/false))
    R.push_back(RespItemText(Item.Question->GetName(), Item));
  return R;
}

TPelLabels TPelParDefQuestions::GetLabelList2D(bool Selectable, bool Means, bool Detail,
                                               bool LabelSwitch, bool ShowCodes) {
  if (SplitsAxes())
    return TPelPar::GetLabelList2D(Selectable, Means, Detail, LabelSwitch, ShowCodes);
  TPelLabels R;
  const TPelRespItems I = Items(Selectable, Means);
  for (const TRow2D& Row : Rows2D(I))
    R.push_back(Row.Item < 0 ? Row.Question->GetFullName()
                             : Label1D(I[Row.Item], 1, Selectable, Means, ShowCodes));
  return R;
}

std::string TPelParDefQuestions::GetCaption() const {
  const TPelParDefResponseAxis* A = GetAxisPar();
  return A ? GetDisplayName() + " - " + A->GetName() : GetDisplayName();
}

std::string TPelParDefQuestions::GetItemInfoText(int Option, int Index) const {
  const TPelRespItems I = Items(/*Selectable=*/true, /*Means=*/false);
  if (Index < 0 || Index >= static_cast<int>(I.size())) return {};
  return InfoTextFor(
      Option, CurrentLangManager().Translate(
                  Cp1250("<PLK>Wybrane pytanie i odpowiedź<ENU>Selected question and response")) +
                  ": " + RespItemText(I[Index].Question->GetName(), I[Index]));
}

// ---- Record sets and random content

void TPelParDefQuestions::RestrictToRecset(TMerRecset* Recset) {
  for (size_t K = Questions.size(); K-- > 0;) {
    TGimQuestion* Q = Questions[K];
    if (Q->UsesRecset(Recset)) continue;
    Questions.erase(Questions.begin() + static_cast<std::ptrdiff_t>(K));
    if (IsUserQuestion(Q) && std::find(Questions.begin(), Questions.end(), Q) == Questions.end())
      UserQuestions->Remove(Q);
  }
}

bool TPelParDefQuestions::UsesOtherRecset(TMerRecset* Recset) {
  bool Other = false;
  for (TGimQuestion* Q : Questions)
    ForEachResponse(Q->Responses.get(),
                    [&](TGimResponse* R) { Other = Other || R->UsesOtherRecset(Recset); });
  return Other;
}

void TPelParDefQuestions::Randomize(TOrvRandGen& Gen) {
  Questions.clear();
  UserQuestions->Clear();
  std::unique_ptr<TGimDataObjectList> All;
  if (Survey && Survey->Data && Survey->Data->Root)
    Survey->Data->Root->CollectObjects(TGimQuestion::StaticClass(), true, All);
  std::vector<TGimQuestion*> Left;
  for (int I = 0; All && I < All->Count(); ++I) Left.push_back(As<TGimQuestion>(All->Items(I)));
  for (int Draw = 0; Draw < 50 && !Left.empty(); ++Draw) {
    const int K = Gen.RandomInt(static_cast<int>(Left.size()));
    Questions.push_back(Left[K]);
    Left.erase(Left.begin() + K);
    if (Gen.RandomInt(2) == 0) break;
  }
  SplitAxes = Gen.RandomInt(2) == 0;
}

}  // namespace quin
