#include "surveykit/gimresponses.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "base/format.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimstat.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimResponse, TGimSimpleDataObject)
QUIN_IMPLEMENT_CLASS(TMerResponseList, TGimDataObject)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TMerMsgWarning_SimilarCodeCol, TOrvMsgKind_Warning,
         "<PLK>Opis kodów i kolumn podobny do innej odpowiedzi w tym pytaniu.<ENU>Code and "
         "column spec. similar to another response in this question.")
QUIN_MSG(TMerMsgWarning_CodeOverlaps, TOrvMsgKind_Warning,
         "<PLK>Niektóre kody występują w więcej niż jednej odpowiedzi.<ENU>The are overlaps of "
         "codes between responses.")
QUIN_MSG(TMerMsgError_NoMeanInconsistent, TOrvMsgKind_Error,
         "<PLK>Niespójna definicja noMean.<ENU>Inconsistent definition of noMean.")
#undef QUIN_MSG

// ---- Shared steps of the response readers

std::unique_ptr<TMerRecsetCol> GimCreateCol(TMerSurvey* Survey, TRixScanner* Scanner,
                                            const std::string& Spec) {
  if (Survey) return Survey->CreateCol(Scanner, Spec);
  return std::make_unique<TMerRecsetCol>(nullptr, Spec, nullptr);
}

std::unique_ptr<TGimResponse> GimCreateResponse(TMerSurvey* Survey, TGimDataObject* Parent) {
  return Survey ? Survey->CreateResponse(Parent) : NewInSurvey<TGimResponse>(nullptr, Parent);
}

std::unique_ptr<TMerResponseList> GimCreateResponseList(TMerSurvey* Survey,
                                                        TGimDataObject* Parent) {
  return Survey ? Survey->CreateResponseList(Parent)
                : NewInSurvey<TMerResponseList>(nullptr, Parent);
}

namespace {

// "column" or "columnList": Cols becomes a new list of the columns named; False when the
// instruction is neither (a key whose value failed counts as read and changes nothing).
bool ReadColumns(TRixScanner& Scanner, TMerSurvey* Survey,
                 std::unique_ptr<TMerRecsetColList>& Cols) {
  std::string S;
  if (Scanner.ReadIdentifier("column", S)) {
    Cols = std::make_unique<TMerRecsetColList>(Survey);
    Cols->Add(GimCreateCol(Survey, &Scanner, S));
    return true;
  }
  if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  std::unique_ptr<TRixTextList> Names;
  if (!Scanner.ReadIdentifierList("columnList", Names))
    return Scanner.LastReadResult() != TRixReadResult::NoMatch;
  Cols = std::make_unique<TMerRecsetColList>(Survey);
  for (int I = 0; Names && I < Names->Count(); ++I)
    Cols->Add(GimCreateCol(Survey, &Scanner, Names->GetItem(I)->Text()));
  return true;
}

enum class TCodeKind { None, Single, Range, Numeric };

// "code" into Code, "range" into Range or "numeric" into Numeric (a new list, filled as it is
// read); Kind tells which (None when the key's value failed). False when the instruction is
// none of them.
bool ReadCodes(TRixScanner& Scanner, double& Code, std::unique_ptr<TRixCodeList>& Range,
               std::unique_ptr<TRixCodeList>& Numeric, TCodeKind& Kind) {
  Kind = TCodeKind::None;
  if (Scanner.ReadNumber("code", Code)) {
    Kind = TCodeKind::Single;
    return true;
  }
  if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  for (auto [Key, List, K] : {std::tuple{"range", &Range, TCodeKind::Range},
                              std::tuple{"numeric", &Numeric, TCodeKind::Numeric}}) {
    if (Scanner.ReadDefSimpleStart(Key)) {
      *List = std::make_unique<TRixCodeList>();
      ParseCodeList(**List, Scanner, &TRixTokenInstrSep::StaticClass());
      Kind = K;
      return true;
    }
    if (Scanner.LastReadResult() != TRixReadResult::NoMatch) return true;
  }
  return false;
}

}  // namespace

// ---- Attributes

bool GimReadAttributes(TRixScanner& Scanner, uint8_t& Attributes) {
  std::unique_ptr<TRixTextList> Words;
  if (!Scanner.ReadIdentifierList("attr", Words))
    return Scanner.LastReadResult() != TRixReadResult::NoMatch;
  static const struct {
    const char* Word;
    uint8_t Flag;
  } Known[] = {{"estIndependent", GimAttrEstIndependent},
               {"allowOverlaps", GimAttrAllowOverlaps},
               {"noMean", GimAttrNoMean},
               {"substStats", GimAttrSubstStats}};
  for (int I = 0; Words && I < Words->Count(); ++I) {
    const TRixTextElem& E = *Words->GetItem(I);
    const std::string W = E.Text();
    bool Found = false;
    for (const auto& K : Known)
      if (SameText(W, K.Word)) {
        Attributes |= K.Flag;
        Found = true;
      }
    if (!Found)
      Scanner.AddMsgAt(TRixMsgError_UnknownKey,
                       E.Token() ? E.Token()->StartPos : Scanner.LastTokenEnd());
  }
  return true;
}

namespace {

// A code list flattened for the per-record pass: one interval per code.
struct TInterval {
  double Lower, Upper;
  bool LowerExcl, UpperExcl;
  bool Holds(double V) const {
    return (V > Lower || (V == Lower && !LowerExcl)) && (V < Upper || (V == Upper && !UpperExcl));
  }
};

std::vector<TInterval> Flatten(const TRixCodeList* L) {
  std::vector<TInterval> R;
  if (!L) return R;
  R.reserve(L->Count());
  for (int I = 0; I < L->Count(); ++I) {
    const TRixCode* C = L->GetItem(I);
    if (auto* S = As<TRixCodeSingle>(C))
      R.push_back({S->Value(), S->Value(), false, false});
    else if (auto* G = As<TRixCodeRange>(C))
      R.push_back({G->Lower(), G->Upper(), G->LowerExclusive(), G->UpperExclusive()});
  }
  return R;
}

bool InAny(const std::vector<TInterval>& L, double V) {
  for (const TInterval& I : L)
    if (I.Holds(V)) return true;
  return false;
}

// The matching and validity tests of one response, prepared once per evaluation.
struct TMatcher {
  std::vector<TInterval> Codes, Numeric, Valid;
  bool HasCodes, HasNumeric, HasSingle, HasValid;
  double Single;
  explicit TMatcher(const TGimResponse& R)
      : Codes(Flatten(R.Codes.get())),
        Numeric(Flatten(R.NumericCodes.get())),
        Valid(Flatten(R.ValidCodes.get())),
        HasCodes(R.Codes != nullptr),
        HasNumeric(R.NumericCodes != nullptr),
        HasSingle(R.HasSingleCode),
        HasValid(R.ValidCodes != nullptr),
        Single(R.SingleCode) {}
  bool Matches(double V) const {
    if (V == GimValueNoData) return false;  // the missing value never matches
    if (HasCodes) return InAny(Codes, V) && (!HasNumeric || InAny(Numeric, V));
    return HasSingle && V == Single;
  }
  bool IsValid(double V) const {
    if (HasValid) return V != GimValueNoData && InAny(Valid, V);
    return V != GimValueNoData;
  }
};

int RecsetIndexOf(const TMerSurvey* S, const TMerRecset* R) {
  if (!S || !S->RecsetList || !R) return -1;
  return S->RecsetList->IndexOf(R);
}

// The join of record set Index to the respondents; null when there is none.
const TMerRespInPanels* JoinOf(const TMerSurvey* S, int Index) {
  if (!S || Index <= 0 || static_cast<size_t>(Index) >= S->PanelJoins.size()) return nullptr;
  return S->PanelJoins[Index].get();
}

int RecCountOf(const TMerRecset* R) { return R ? std::max(0, R->RecCount()) : 0; }

// The records of respondent R in a record set of N records, clipped to it.
bool RangeOf(const TMerRespInPanels* Join, int R, int N, int& First, int& Last) {
  if (!Join) return false;
  const TMerRespInPanels::TCaseRange C = Join->CaseRange(R);
  First = std::max(0, C.First);
  Last = std::min(N - 1, C.Last);
  return First <= Last;
}

// A column's values when they are loaded completely; null otherwise (every value missing).
const double* ValuesOf(const TMerRecsetCol& C) {
  const int N = RecCountOf(C.Recset);
  if (!C.Loaded || N <= 0 || C.Values.size() != static_cast<size_t>(N)) return nullptr;
  return C.Values.data();
}

void Combine(uint8_t& Sel, uint8_t& Mis, bool S, bool M, bool Assign) {
  if (Assign) {
    Sel = S;
    Mis = M;
  } else {
    Sel = Sel | S;
    Mis = Mis & M;
  }
}

}  // namespace

// ---- TGimResponse

TGimResponse::TGimResponse(const TGimResponse& Source)
    : TGimSimpleDataObject(Source),
      Attributes(Source.Attributes),
      ValidCodes(Source.ValidCodes ? std::make_unique<TRixCodeList>(*Source.ValidCodes) : nullptr),
      SingleCode(Source.SingleCode),
      HasSingleCode(Source.HasSingleCode),
      Codes(Source.Codes ? std::make_unique<TRixCodeList>(*Source.Codes) : nullptr),
      NumericCodes(Source.NumericCodes ? std::make_unique<TRixCodeList>(*Source.NumericCodes)
                                       : nullptr),
      ColumnMask(Source.ColumnMask),
      ColumnText(Source.ColumnText),
      Selectable(Source.Selectable),
      Columns(Source.Columns ? std::make_unique<TMerRecsetColList>(*Source.Columns) : nullptr),
      BaseResponse(Source.BaseResponse ? std::make_unique<TGimResponse>(*Source.BaseResponse)
                                       : nullptr),
      HasBase(Source.HasBase) {}

void TGimResponse::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimSimpleDataObject::CreateInSurvey(ASurvey, AParent);
  Selectable = true;
  HasBase = false;
  FNumericValueCount = -1;
}

void TGimResponse::AddToListView(TGimListView& View) {
  if (Name.empty())
    View.AddItem(CurrentLangManager().Translate(
                     Cp1250("<PLK>wybierz zakres wartości<ENU>select values range")),
                 this);
  else
    TGimSimpleDataObject::AddToListView(View);
}

bool TGimResponse::MatchesValue(double V) const {
  if (V == GimValueNoData) return false;
  if (Codes)
    return CodeListInRange(*Codes, V) && (!NumericCodes || CodeListInRange(*NumericCodes, V));
  return HasSingleCode && V == SingleCode;
}

bool TGimResponse::IsValidValue(double V) const {
  if (ValidCodes) return V != GimValueNoData && CodeListInRange(*ValidCodes, V);
  return V != GimValueNoData;
}

bool TGimResponse::UsesOtherRecset(const TMerRecset* Recset) const {
  return HasColumns() && Columns->GetItem(0)->Recset != Recset;
}

bool TGimResponse::SameColumnsAs(const TGimResponse& Other) const {
  const int N = ColumnCount();
  if (N != Other.ColumnCount()) return false;
  for (int I = 0; I < N; ++I)
    if (Other.Columns->IndexOf(*Columns->GetItem(I)) < 0) return false;
  return true;
}

void TGimResponse::SetColumn(TRixScanner* Scanner, const std::string& Spec) {
  if (!Columns) Columns = std::make_unique<TMerRecsetColList>(Survey);
  Columns->Clear();
  Columns->Add(GimCreateCol(Survey, Scanner, Spec));
}

const std::vector<double>* TGimResponse::GetNumericValues(TMerRecset* Recset) {
  if (!NumericCodes) return nullptr;
  if (FNumericValueCount >= 0) return &FNumericValues;
  FNumericValues.clear();
  if (HasColumns()) {
    const TMerRecsetCol& Col = *Columns->GetItem(0);
    const std::vector<TInterval> Num = Flatten(NumericCodes.get());
    std::vector<double> V;
    // The column's distinct values when its record set keeps them; else the whole column.
    if (!Col.Recset || !Col.Recset->DistinctValues(Col.Name, V)) Col.LoadInto(V);
    for (double X : V)
      if (X != GimValueNoData && InAny(Num, X)) FNumericValues.push_back(X);
    std::sort(FNumericValues.begin(), FNumericValues.end());
    FNumericValues.erase(std::unique(FNumericValues.begin(), FNumericValues.end()),
                         FNumericValues.end());
  }
  (void)Recset;
  FNumericValueCount = static_cast<int>(FNumericValues.size());
  return &FNumericValues;
}

int TGimResponse::GetNumericValueCount(TMerRecset* Recset) {
  if (!NumericCodes) return 1;
  GetNumericValues(Recset);
  return FNumericValueCount;
}

void TGimResponse::RegisterColumns(TMerRecset*, TMerRecsetColList& Cols) {
  for (int I = 0; I < ColumnCount(); ++I) Cols.AddUnique(*Columns->GetItem(I));
}

std::unique_ptr<TMerRecsetColList> TGimResponse::SelectColumns(std::vector<uint8_t>& Selected,
                                                               std::vector<uint8_t>& Missing,
                                                               bool First, TMerRecsetColList& Cols,
                                                               TMerRecset* Recset) {
  auto L = std::make_unique<TMerRecsetColList>(Survey);
  L->OwnsObjects = false;
  for (int I = 0; I < Cols.Count(); ++I) {
    TMerRecsetCol* C = Cols.GetItem(I);
    if (Columns && Columns->IndexOf(*C) >= 0) L->Add(C);
  }
  if (!L->Empty()) return L;
  if (First) {
    const size_t N = RecCountOf(Recset);
    Selected.assign(N, 0);
    Missing.assign(N, 1);
  }
  return nullptr;
}

void TGimResponse::Evaluate(std::vector<uint8_t>& Selected, std::vector<uint8_t>& Missing,
                            bool First, TMerRecsetColList& Cols, TMerRecset* Recset) {
  const int N = RecCountOf(Recset);
  if (Selected.size() != static_cast<size_t>(N) || Missing.size() != static_cast<size_t>(N)) {
    // Sized for the record set; an earlier result of another size cannot be combined.
    Selected.assign(N, 0);
    Missing.assign(N, 1);
    First = true;
  }
  std::unique_ptr<TMerRecsetColList> Sel = SelectColumns(Selected, Missing, First, Cols, Recset);
  if (!Sel) return;
  const TMatcher M(*this);
  const int Target = RecsetIndexOf(Survey, Recset);
  const int N0 = Survey && Survey->RecsetCount() > 0 ? RecCountOf(Survey->Recset(0)) : 0;
  std::vector<uint8_t> RS, RM;  // per respondent, for the columns that cross a join
  bool Assign = First;
  for (int C = 0; C < Sel->Count(); ++C, Assign = false) {
    const TMerRecsetCol& Col = *Sel->GetItem(C);
    const double* V = ValuesOf(Col);
    if (Col.Recset == Recset) {
      // The columns lie on the record set itself.
      for (int I = 0; I < N; ++I) {
        const bool S = V && M.Matches(V[I]);
        const bool Mi = !V || !M.IsValid(V[I]);
        Combine(Selected[I], Missing[I], S, Mi, Assign);
      }
      continue;
    }
    const int Source = RecsetIndexOf(Survey, Col.Recset);
    // Per respondent: the match and the invalidity over its records in the column's set.
    RS.assign(N0, 0);
    RM.assign(N0, 1);
    if (V && Source == 0) {
      for (int R = 0; R < N0; ++R) {
        RS[R] = M.Matches(V[R]);
        RM[R] = !M.IsValid(V[R]);
      }
    } else if (V && Source > 0) {
      const TMerRespInPanels* J = JoinOf(Survey, Source);
      const int NS = RecCountOf(Col.Recset);
      for (int R = 0; R < N0; ++R) {
        int F, L;
        if (!RangeOf(J, R, NS, F, L)) continue;
        for (int K = F; K <= L; ++K) {
          if (M.IsValid(V[K])) RM[R] = 0;
          if (M.Matches(V[K])) {
            RS[R] = 1;
            break;
          }
        }
      }
    }
    if (Target == 0) {
      for (int R = 0; R < N && R < N0; ++R) Combine(Selected[R], Missing[R], RS[R], RM[R], Assign);
      continue;
    }
    // The respondents' values go to each of their records in the target record set.
    if (Assign) {
      std::fill(Selected.begin(), Selected.end(), 0);
      std::fill(Missing.begin(), Missing.end(), 1);
    }
    const TMerRespInPanels* J = JoinOf(Survey, Target);
    for (int R = 0; R < N0; ++R) {
      int F, L;
      if (!RangeOf(J, R, N, F, L)) continue;
      for (int K = F; K <= L; ++K) {
        Selected[K] |= RS[R];
        Missing[K] &= RM[R];
      }
    }
  }
}

void TGimResponse::FillValues(std::vector<double>& Values, TMerRecset* Recset) {
  const int N = RecCountOf(Recset);
  Values.assign(N, GimValueNoData);
  if (ColumnCount() != 1) return;
  TMerRecsetCol& Col = *Columns->GetItem(0);
  std::vector<double> V;
  Col.LoadInto(V);
  if (V.size() != static_cast<size_t>(RecCountOf(Col.Recset))) return;
  if (Col.Recset == Recset) {
    for (int I = 0; I < N; ++I)
      if (IsValidValue(V[I])) Values[I] = V[I];
    return;
  }
  const int Target = RecsetIndexOf(Survey, Recset);
  const int N0 = Survey && Survey->RecsetCount() > 0 ? RecCountOf(Survey->Recset(0)) : 0;
  if (Target <= 0 || RecsetIndexOf(Survey, Col.Recset) != 0 || N < N0) return;
  const TMerRespInPanels* J = JoinOf(Survey, Target);
  for (int R = 0; R < N0; ++R) {
    int F, L;
    if (!RangeOf(J, R, N, F, L) || !IsValidValue(V[R])) continue;
    for (int K = F; K <= L; ++K) Values[K] = V[R];
  }
}

void TGimResponse::GetLabel(bool ForMeans, bool ShowCodes, bool MultiColumn, int ValueIndex,
                            std::string& Text) {
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  Text = GetFullName();
  if (ForMeans && HasNoMean(MultiColumn)) {
    if (ShowCodes) Text += " [--]";
  } else if (NumericCodes) {
    const std::vector<double>* V =
        GetNumericValues(HasColumns() ? Columns->GetItem(0)->Recset : nullptr);
    if (V && ValueIndex >= 0 && static_cast<size_t>(ValueIndex) < V->size())
      Text += " " + Format("[%g]", {(*V)[ValueIndex]}, FS);
  } else if (ForMeans && ShowCodes) {
    if (Codes)
      Text += " [" + CodeListAsString(*Codes, FS) + "]";
    else if (HasSingleCode)
      Text += " " + Format("[%g]", {SingleCode}, FS);
  }
}

void TGimResponse::GetBaseLabel(int Level, bool ShowCodes, std::string& Text) const {
  Text.clear();
  const TGimResponse* B = GetBaseResponse();
  if (B) {
    const TFormatSettings& FS = CurrentLangManager().FormatSettings;
    Text = B->Codes && !B->Codes->Empty() ? "[" + CodeListAsString(*B->Codes, FS) + "]" : "[--]";
  }
  if (Level > 1) {
    const std::string Full = B ? B->GetFullName() : GetFullName();
    if (!B && Full.empty()) return;
    Text = ShowCodes && !Text.empty() ? Full + " " + Text : Full + Text;
  }
}

namespace {
std::unique_ptr<TRixCodeList> CopyList(const TRixCodeList* L) {
  return L ? std::make_unique<TRixCodeList>(*L) : nullptr;
}

bool EqualLists(const TRixCodeList* A, const TRixCodeList* B) {
  if (!A || !B) return false;
  // Compared as normalised copies: the responses keep their codes as written.
  TRixCodeList CA(*A), CB(*B);
  return CodeListsEqual(&CA, &CB);
}
}  // namespace

void TGimResponse::Read(TRixScanner& Scanner, TGimDataObject* Context, bool PlainQuestion,
                        bool HasCode, TMerResponseList* List) {
  (void)Context;
  auto Body = [&] {
    for (;;) {
      if (GimAtBlockEnd(Scanner)) return;
      if (Scanner.Token->Is<TRixTokenDefStart>()) {
        GimSkipBlock(Scanner, &TMerMsgError_UnexpectedDef);
        continue;
      }
      const TOrvTextPos KeyPos = Scanner.Token->StartPos;
      const std::string OldID = ID;
      if (GimReadObjectText(Scanner, *this, true)) {
        if (ID != OldID && List) {
          for (int I = 0; I < List->Count(); ++I) {
            TGimResponse* O = List->GetItem(I);
            if (O && O != this && SameText(O->ID, ID)) {
              Scanner.AddMsgAt(TMerError_IDNotUnique, KeyPos);
              break;
            }
          }
        }
        continue;
      }
      if (ReadColumns(Scanner, Survey, Columns)) continue;
      std::string S;
      if (!PlainQuestion) {
        if (Scanner.ReadString("columnMask", S, /*AllowMultiLine=*/false, /*AllowEmpty=*/true,
                               nullptr)) {
          ColumnMask = S;
          continue;
        }
        if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
        if (Scanner.ReadString("columnText", S, /*AllowMultiLine=*/false, /*AllowEmpty=*/true,
                               nullptr)) {
          ColumnText = S;
          continue;
        }
        if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
      }
      TCodeKind Kind;
      if (ReadCodes(Scanner, SingleCode, Codes, NumericCodes, Kind)) {
        // A code list replaces the other list and the single code.
        if (Kind == TCodeKind::Single) HasSingleCode = true;
        if (Kind == TCodeKind::Range || Kind == TCodeKind::Numeric) HasSingleCode = false;
        if (Kind == TCodeKind::Range) NumericCodes.reset();
        if (Kind == TCodeKind::Numeric) Codes.reset();
        continue;
      }
      if (GimReadAttributes(Scanner, Attributes)) continue;
      GimUnknownKey(Scanner);
    }
  };
  auto Close = [&] {
    if (ValidCodes) {
      if (NumericCodes)
        CopyCodeList(*ValidCodes, *NumericCodes);
      else if (Codes)
        CopyCodeList(*ValidCodes, *Codes);
      else if (HasSingleCode)
        ValidCodes->Add(std::make_unique<TRixCodeSingle>(SingleCode));
      NormalizeCodeList(*ValidCodes);
    }
    if (!Survey || !Survey->ThoroughChecks) return;
    AfterRead(Scanner, HasCode, PlainQuestion);
    if (!List) return;
    for (int I = 0; I < List->Count(); ++I) {
      TGimResponse* O = List->GetItem(I);
      if (!O || O == this) continue;
      const bool Similar = (HasSingleCode && O->HasSingleCode && SingleCode == O->SingleCode) ||
                           EqualLists(Codes.get(), O->Codes.get()) ||
                           EqualLists(NumericCodes.get(), O->NumericCodes.get());
      const bool SameCols =
          ColumnCount() == 0 ? O->ColumnCount() == 0 : Columns->SameCols(O->Columns.get());
      if (Similar && SameCols) {
        Scanner.AddMsgAt(TMerMsgWarning_SimilarCodeCol, Scanner.LastTokenEnd());
        break;
      }
    }
  };
  GimReadAndClose(Body, Close);
}

// ---- TMerResponseList

void TMerResponseList::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimDataObject::CreateInSurvey(ASurvey, AParent);
  if (!Children) Children = std::make_unique<TGimDataObjectList>(true);
}

void TMerResponseList::AddToListView(TGimListView& View) {
  for (int I = 0; I < ChildCount(); ++I) Child(I)->AddToListView(View);
}

TGimResponse* TMerResponseList::GetItem(int Index) const {
  if (!Children || Index < 0 || Index >= Children->Count()) return nullptr;
  return As<TGimResponse>(Children->GetItem(Index));
}

TGimResponse* TMerResponseList::FindByID(std::string_view AID) const {
  for (int I = 0; I < ChildCount(); ++I) {
    TGimSimpleDataObject* C = Child(I);
    if (auto* R = As<TGimResponse>(C)) {
      if (SameText(R->GetID(), AID)) return R;
    } else if (auto* L = As<TMerResponseList>(C)) {
      if (TGimResponse* R = L->FindByID(AID)) return R;
    }
  }
  return nullptr;
}

std::string TMerResponseList::GetIDText() const {
  std::string S;
  for (int I = 0; I < ChildCount(); ++I) S += (I ? ", " : "") + Child(I)->GetID();
  return S;
}

std::string TMerResponseList::GetNickText() const {
  std::string S;
  for (int I = 0; I < ChildCount(); ++I) {
    std::string T = Child(I)->GetNick();
    if (T.empty()) T = Child(I)->GetName();
    S += (I ? ", " : "") + T;
  }
  return S;
}

bool TMerResponseList::SameItems(const TMerResponseList* Other) const {
  if (!Other) return false;
  if (Count() != Other->Count()) return false;
  for (int I = 0; I < Count(); ++I)
    if (Child(I) != Other->Child(I)) return false;
  return true;
}

bool TMerResponseList::HasMultiColumn() const {
  const TGimResponse* Prev = nullptr;
  for (int I = 0; I < ChildCount(); ++I) {
    TGimSimpleDataObject* C = Child(I);
    if (auto* L = As<TMerResponseList>(C)) {
      if (L->HasMultiColumn()) return true;
      continue;
    }
    auto* R = As<TGimResponse>(C);
    if (!R) continue;
    if (R->ColumnCount() > 1) return true;
    if (Prev && !Prev->SameColumnsAs(*R)) return true;
    Prev = R;
  }
  return false;
}

int TMerResponseList::CountBaseResponses() const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (TGimResponse* R = GetItem(I); R && R->HasBase) ++N;
  return N;
}

void TMerResponseList::BuildBaseResponses() {
  // A response joins the group of the first earlier response with the same columns
  // (SameColumnsAs). A first response that names no column twice is found by its set of
  // columns at once: only a response with that very set matches it. The few first responses
  // that name a column twice are tried one by one.
  using TColKey = std::vector<std::pair<std::string, uintptr_t>>;
  auto KeyOf = [](const TGimResponse& R, bool& Repeats) {
    TColKey Key;
    for (int C = 0; C < R.ColumnCount(); ++C) {
      const TMerRecsetCol& Col = *R.Columns->GetItem(C);
      Key.emplace_back(Col.Name, reinterpret_cast<uintptr_t>(Col.Recset));
    }
    std::sort(Key.begin(), Key.end());
    Repeats = std::adjacent_find(Key.begin(), Key.end()) != Key.end();
    return Key;
  };
  std::vector<TGimResponse*> Firsts;
  std::map<TColKey, size_t> FirstByColumns;
  std::vector<size_t> FirstsWithRepeats;
  for (int I = 0; I < Count(); ++I) {
    TGimResponse* R = GetItem(I);
    if (!R) continue;
    bool Repeats = false;
    TColKey Key = KeyOf(*R, Repeats);
    size_t Found = Firsts.size();
    if (!Repeats) {
      auto It = FirstByColumns.find(Key);
      if (It != FirstByColumns.end()) Found = It->second;
    }
    for (size_t F : FirstsWithRepeats) {
      if (F >= Found) break;
      if (Firsts[F]->SameColumnsAs(*R)) {
        Found = F;
        break;
      }
    }
    TGimResponse* Group = Found < Firsts.size() ? Firsts[Found] : nullptr;
    const bool NoMean = R->Attributes & GimAttrNoMean;
    if (Group) {
      TGimResponse& B = *Group->BaseResponse;
      if (NoMean) continue;
      if (!B.Codes) B.Codes = std::make_unique<TRixCodeList>();
      if (R->NumericCodes)
        CopyCodeList(*B.Codes, *R->NumericCodes);
      else if (R->Codes)
        CopyCodeList(*B.Codes, *R->Codes);
      else if (R->HasSingleCode)
        B.Codes->Add(std::make_unique<TRixCodeSingle>(R->SingleCode));
      continue;
    }
    R->BaseResponse.reset();
    R->HasBase = false;
    auto B = std::make_unique<TGimResponse>(*R);
    B->Owner = R;
    if (NoMean) {
      B->Codes = std::make_unique<TRixCodeList>();
      B->NumericCodes.reset();
    } else if (B->NumericCodes) {
      B->Codes = std::move(B->NumericCodes);
    } else if (!B->Codes && B->HasSingleCode) {
      B->Codes = std::make_unique<TRixCodeList>();
      B->Codes->Add(std::make_unique<TRixCodeSingle>(B->SingleCode));
    }
    R->BaseResponse = std::move(B);
    R->HasBase = true;
    if (Repeats)
      FirstsWithRepeats.push_back(Firsts.size());
    else
      FirstByColumns.emplace(std::move(Key), Firsts.size());
    Firsts.push_back(R);
  }
  for (TGimResponse* F : Firsts) {
    TGimResponse& B = *F->BaseResponse;
    if (B.Codes) {
      NormalizeCodeList(*B.Codes);
      B.ValidCodes = std::make_unique<TRixCodeList>(*B.Codes);
    }
  }
}

void TMerResponseList::CheckOverlaps(TRixScanner* Scanner) {
  auto CodesOf = [](const TGimResponse& R, TRixCodeList& Tmp) -> const TRixCodeList* {
    if (R.HasSingleCode) {
      Tmp.Add(std::make_unique<TRixCodeSingle>(R.SingleCode));
      return &Tmp;
    }
    return R.Codes ? R.Codes.get() : R.NumericCodes.get();
  };
  bool Warned = false;
  for (int I = 0; I < Count(); ++I) {
    TGimResponse* A = GetItem(I);
    if (!A) continue;
    for (int J = I + 1; J < Count(); ++J) {
      TGimResponse* B = GetItem(J);
      if (!B) continue;
      const bool Same = A->ColumnCount() == 0 ? B->ColumnCount() == 0 : A->SameColumnsAs(*B);
      if (!Same) continue;
      TRixCodeList TA, TB;
      const TRixCodeList* CA = CodesOf(*A, TA);
      const TRixCodeList* CB = CodesOf(*B, TB);
      if (!CA || !CB || !CodeListsOverlap(*CA, *CB)) continue;
      const uint8_t Allow = (A->Attributes | B->Attributes) & GimAttrAllowOverlaps;
      if (!Allow && !Warned) {
        Warned = true;
        if (Scanner) Scanner->AddMsgAt(TMerMsgWarning_CodeOverlaps, Scanner->LastTokenEnd());
      }
      if (((A->Attributes ^ B->Attributes) & GimAttrNoMean) != 0) {
        if (Scanner) Scanner->AddMsgAt(TMerMsgError_NoMeanInconsistent, Scanner->LastTokenEnd());
        return;
      }
    }
  }
}

TGimResponse* TMerResponseList::AppendResponse() {
  return static_cast<TGimResponse*>(AddChild(GimCreateResponse(Survey, this)));
}

TGimResponse* TMerResponseList::ReadResponse(TRixScanner& Scanner, TGimDataObject* Context,
                                             bool PlainQuestion, bool HasCode) {
  TGimResponse* P = AppendResponse();
  P->Read(Scanner, Context, PlainQuestion, HasCode, this);
  return P;
}

void TMerResponseList::Read(TRixScanner& Scanner, TGimDataObject* Context, bool PlainQuestion,
                            bool HasCode, TMerResponseList* List, int Depth) {
  (void)List;
  std::unique_ptr<TMerRecsetColList> DefCols;
  double DefCode = 0;
  std::unique_ptr<TRixCodeList> DefRange, DefNumeric;
  TCodeKind Kind = TCodeKind::None;
  uint8_t DefAttr = 0;
  for (;;) {
    if (GimAtBlockEnd(Scanner)) return;
    if (Scanner.ReadDefComplexStart("responseList")) {
      if (!GimSkipTooDeep(Scanner, Depth + 1))
        Read(Scanner, Context, PlainQuestion, HasCode, this, Depth + 1);
      continue;
    }
    if (Scanner.ReadDefComplexStart("response")) {
      TGimResponse* P = AppendResponse();
      if (DefCols) P->Columns = std::make_unique<TMerRecsetColList>(*DefCols);
      P->Attributes |= DefAttr;
      if (Kind == TCodeKind::Single) {
        P->SingleCode = DefCode;
        P->HasSingleCode = true;
      } else if (Kind == TCodeKind::Range) {
        P->Codes = CopyList(DefRange.get());
      } else if (Kind == TCodeKind::Numeric) {
        P->NumericCodes = CopyList(DefNumeric.get());
      }
      P->Read(Scanner, Context, PlainQuestion, HasCode || Kind != TCodeKind::None, this);
      continue;
    }
    if (Scanner.Token->Is<TRixTokenDefStart>()) {
      GimSkipBlock(Scanner);
      continue;
    }
    if (ReadColumns(Scanner, Survey, DefCols)) continue;
    // The last of "code", "range" and "numeric" decides which default applies.
    TCodeKind Read;
    if (ReadCodes(Scanner, DefCode, DefRange, DefNumeric, Read)) {
      if (Read != TCodeKind::None) Kind = Read;
      continue;
    }
    if (GimReadAttributes(Scanner, DefAttr)) continue;
    GimUnknownKey(Scanner);
  }
}

}  // namespace quin
