#include "surveykit/gimaxes.h"

#include "deflang/rixcodereader.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimquestions.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimResponseAxis, TGimDataObject)
QUIN_IMPLEMENT_CLASS(TGimResponseAxisList, TOrvObjectList)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TGimError_ResponsesNotDefined, TOrvMsgKind_Error,
         "<PLK>Nie zdefiniowano żadnych odpowiedzi.<ENU>No responses defined.")
QUIN_MSG(TGimError_CodeAndRangeInvalid, TOrvMsgKind_Error,
         "<PLK>W pytaniu tabelarycznym dozwolona tylko jedna z instrukcji code i range.<ENU>Only "
         "one of code and range valid in grid question.")
QUIN_MSG(TGimError_ColDefsInvalid, TOrvMsgKind_Error,
         "<PLK>Odpowiedzi nie mogą definiować column, columnList czy columnMask.<ENU>Responses "
         "may not define column, columnList, nor columnMask.")
QUIN_MSG(TGimError_ColCodeDefsInvalid, TOrvMsgKind_Error,
         "<PLK>Każda odpowiedź musi definiować code/range/numeric lub columnText.<ENU>Each "
         "response must defined code/range/numeric or columnText.")
QUIN_MSG(TGimError_ColCodeDefsInconsistent, TOrvMsgKind_Error,
         "<PLK>Definicje odpowiedzi nie są spójne (niektóre definiują code/range/numeric, "
         "niektóre - columnText).<ENU>Response definition are inconsistent (some "
         "code/range/numeric, some columnText).")
QUIN_MSG(TGimError_AxisNotDefined, TOrvMsgKind_Error,
         "<PLK>Brak definicji osi (kolumnowych) w pytaniu tabelarycznym.<ENU>No (column) axes "
         "defined in grid question.")
QUIN_MSG(TGimError_NonColAxisLegalIffCodeRangeNotDefined, TOrvMsgKind_Error,
         "<PLK>Osie typu code/range/numeric dozwolone tylko wtedy, gdy nie została wprowadzona "
         "definicja code/range w pytaniu.<ENU>Code/range/numeric axis allowed if no code/range "
         "specified in question.")
QUIN_MSG(TGimError_AtMostOneNonColAxisAllowed, TOrvMsgKind_Error,
         "<PLK>Co najwyżej jedna oś dozwolona typu code/range/numeric.<ENU>At most one "
         "code/range/numeric axis allowed.")
QUIN_MSG(TGimError_OnlyLastAxisMayBeNonCol, TOrvMsgKind_Error,
         "<PLK>Tylko ostatnia oś może być typu code/range/numeric.<ENU>Only last axis may be of "
         "the code/range/numeric type.")
QUIN_MSG(TGimError_ColMaskNotDefined, TOrvMsgKind_Error,
         "<PLK>Maska kolumn (columnMask) nie została zdefiniowana (lub pusta) w pytaniu "
         "tabelarycznym.<ENU>columnMask not defined or empty in grid question.")
QUIN_MSG(TGimError_ColMaskInvalidInGrid, TOrvMsgKind_Error,
         "<PLK>Nieprawidłowa maska kolumn (columnMask) w pytaniu tabelarycznym (liczba gwiazdek "
         "<> liczby osi kolumn).<ENU>Invalid columnMask in grid question (number of asterisks "
         "<> number of column axes).")
QUIN_MSG(TGimError_GridTooLarge, TOrvMsgKind_Error,
         "<PLK>Pytanie tabelaryczne daje zbyt wiele odpowiedzi.<ENU>The grid question gives too "
         "many responses.")
#undef QUIN_MSG

// ---- TGimResponseAxis

TGimResponseAxis::TGimResponseAxis(const TGimResponseAxis& Source)
    : TGimDataObject(Source), Responses(Source.Responses ? CopyOf(*Source.Responses) : nullptr) {
  if (Responses) Responses->Owner = this;
}

void TGimResponseAxis::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimDataObject::CreateInSurvey(ASurvey, AParent);
  Responses = GimCreateResponseList(ASurvey, this);
}

bool TGimResponseAxis::IsCodeAxis() const {
  const TGimResponse* F = Responses ? Responses->GetItem(0) : nullptr;
  return F && F->HasCodes();
}

bool TGimResponseAxis::NoColumnsDefined() const {
  for (int I = 0; Responses && I < Responses->Count(); ++I)
    if (const TGimResponse* R = Responses->GetItem(I))
      if (R->HasColumns() || !R->ColumnMask.empty()) return false;
  return true;
}

bool TGimResponseAxis::AllHaveCodesOrText() const {
  for (int I = 0; Responses && I < Responses->Count(); ++I)
    if (const TGimResponse* R = Responses->GetItem(I))
      if (!R->HasCodes() && R->ColumnText.empty()) return false;
  return true;
}

bool TGimResponseAxis::ConsistentKinds() const {
  const bool Code = IsCodeAxis();
  for (int I = 0; Responses && I < Responses->Count(); ++I)
    if (const TGimResponse* R = Responses->GetItem(I))
      if (R->HasCodes() != Code) return false;
  return true;
}

void TGimResponseAxis::Read(TRixScanner& Scanner) {
  auto Body = [&] {
    for (;;) {
      if (GimAtBlockEnd(Scanner)) return;
      if (Scanner.ReadDefComplexStart("responseList")) {
        Responses->Read(Scanner, this, /*PlainQuestion=*/false, /*HasCode=*/false, Responses.get());
        continue;
      }
      if (Scanner.ReadDefComplexStart("response")) {
        Responses->ReadResponse(Scanner, this, /*PlainQuestion=*/false, /*HasCode=*/false);
        continue;
      }
      if (Scanner.Token->Is<TRixTokenDefStart>()) {
        GimSkipBlock(Scanner);
        continue;
      }
      if (GimReadObjectText(Scanner, *this, true)) continue;
      GimUnknownKey(Scanner);
    }
  };
  auto Close = [&] {
    const TOrvTextPos At = Scanner.LastTokenEnd();
    if (Responses->Count() == 0) Scanner.AddMsgAt(TGimError_ResponsesNotDefined, At);
    GimCheckIDAndName(Scanner, *this);
  };
  GimReadAndClose(Body, Close);
}

// ---- TGimResponseAxisList

TGimResponseAxisList::TGimResponseAxisList(const TGimResponseAxisList& Source)
    : TGimDataObjectList(Source),
      Survey(Source.Survey),
      ColumnMask(Source.ColumnMask),
      GridCodeKind(Source.GridCodeKind),
      GridCode(Source.GridCode),
      GridCodes(Source.GridCodes ? std::make_unique<TRixCodeList>(*Source.GridCodes) : nullptr) {}

TGimResponseAxis* TGimResponseAxisList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (TGimResponseAxis* A = GetItem(I); A && A->GetID() == AID) return A;
  return nullptr;
}

int TGimResponseAxisList::CountCodeAxes() const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (TGimResponseAxis* A = GetItem(I); A && A->IsCodeAxis()) ++N;
  return N;
}

int TGimResponseAxisList::CountColumnAxes() const {
  int N = 0;
  for (int I = 0; I < Count(); ++I)
    if (TGimResponseAxis* A = GetItem(I); A && A->IsColumnAxis()) ++N;
  return N;
}

void TGimResponseAxisList::CheckAxis(TRixScanner& Scanner, const TGimResponseAxis& Axis) {
  const TOrvTextPos At = Scanner.LastTokenEnd();
  if (!Axis.NoColumnsDefined())
    Scanner.AddMsgAt(TGimError_ColDefsInvalid, At);
  else if (!Axis.AllHaveCodesOrText())
    Scanner.AddMsgAt(TGimError_ColCodeDefsInvalid, At);
  else if (!Axis.ConsistentKinds())
    Scanner.AddMsgAt(TGimError_ColCodeDefsInconsistent, At);
}

void TGimResponseAxisList::Read(TRixScanner& Scanner, TGimQuestion* Question) {
  auto Body = [&] {
    for (;;) {
      if (GimAtBlockEnd(Scanner)) return;
      if (Scanner.ReadDefComplexStart("responseAxis")) {
        std::unique_ptr<TGimResponseAxis> A = NewInSurvey<TGimResponseAxis>(Survey, Question);
        TGimResponseAxis* P = Add(std::move(A));
        P->Read(Scanner);
        CheckAxis(Scanner, *P);
        continue;
      }
      if (Scanner.Token->Is<TRixTokenDefStart>()) {
        GimSkipBlock(Scanner);
        continue;
      }
      std::string S;
      if (Scanner.ReadString("columnMask", S, /*AllowMultiLine=*/false, /*AllowEmpty=*/true,
                             nullptr)) {
        ColumnMask = S;
        continue;
      }
      if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
      const TOrvTextPos KeyPos = Scanner.Token->StartPos;
      const bool Given = GridCodeKind != TGridCode::None;
      double D;
      if (Scanner.ReadNumber("code", D)) {
        if (Given) {
          Scanner.AddMsgAt(TGimError_CodeAndRangeInvalid, KeyPos);
        } else {
          GridCode = D;
          GridCodeKind = TGridCode::Code;
        }
        continue;
      }
      if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
      if (Scanner.ReadDefSimpleStart("range")) {
        if (Given) {
          Scanner.AddMsgAt(TGimError_CodeAndRangeInvalid, KeyPos);
          Scanner.SkipStatement(false);
        } else {
          GridCodes = std::make_unique<TRixCodeList>();
          ParseCodeList(*GridCodes, Scanner, &TRixTokenInstrSep::StaticClass());
          GridCodeKind = TGridCode::Range;
        }
        continue;
      }
      if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
      GimUnknownKey(Scanner);
    }
  };
  // The grid is closed however its block is left.
  GimReadAndClose(Body, [&] { Close(Scanner, Question); });
}

void TGimResponseAxisList::Close(TRixScanner& Scanner, TGimQuestion* Question) {
  const TOrvTextPos At = Scanner.LastTokenEnd();
  const int CodeAxes = CountCodeAxes();
  const int ColAxes = CountColumnAxes();
  if (ColAxes == 0) Scanner.AddMsgAt(TGimError_AxisNotDefined, At);
  if ((CodeAxes > 0) == (GridCodeKind != TGridCode::None))
    Scanner.AddMsgAt(TGimError_NonColAxisLegalIffCodeRangeNotDefined, At);
  if (CodeAxes > 1) Scanner.AddMsgAt(TGimError_AtMostOneNonColAxisAllowed, At);
  for (int I = 0; I + 1 < Count(); ++I)
    if (GetItem(I)->IsCodeAxis()) Scanner.AddMsgAt(TGimError_OnlyLastAxisMayBeNonCol, At);
  if (CodeAxes == 1 && Count() > 0) GetItem(Count() - 1)->Responses->CheckOverlaps(&Scanner);
  if (ColumnMask.empty()) {
    Scanner.AddMsgAt(TGimError_ColMaskNotDefined, At);
    return;
  }
  int Stars = 0;
  for (char C : ColumnMask) Stars += C == '*';
  if (Stars != ColAxes) {
    Scanner.AddMsgAt(TGimError_ColMaskInvalidInGrid, At);
    return;
  }
  if (ColAxes > 0 && Question) Expand(Scanner, Question);
}

void TGimResponseAxisList::Expand(TRixScanner& Scanner, TGimQuestion* Question) {
  // The responses of each axis (nested lists hold none of their own here).
  std::vector<std::vector<TGimResponse*>> Axes;
  std::vector<bool> ColumnAxis;
  size_t Total = 1;
  for (int I = 0; I < Count(); ++I) {
    std::vector<TGimResponse*> L;
    const TMerResponseList& RL = *GetItem(I)->Responses;
    for (int J = 0; J < RL.Count(); ++J)
      if (TGimResponse* R = RL.GetItem(J)) L.push_back(R);
    // An axis without responses generates nothing.
    if (L.empty()) return;
    if (Total > MaxGridResponses / L.size()) {
      Scanner.AddMsgAt(TGimError_GridTooLarge, Scanner.LastTokenEnd());
      return;
    }
    Total *= L.size();
    ColumnAxis.push_back(GetItem(I)->IsColumnAxis());
    Axes.push_back(std::move(L));
  }
  if (Total > MaxGridResponses) {
    Scanner.AddMsgAt(TGimError_GridTooLarge, Scanner.LastTokenEnd());
    return;
  }
  const size_t K = Axes.size();
  const bool LastIsCodeAxis = !ColumnAxis[K - 1];
  TMerResponseList& Out = *Question->Responses;
  std::vector<TGimResponse*> Generated;
  Generated.reserve(Total);
  std::vector<size_t> Index(K, 0);
  for (;;) {
    std::string ID = "r", Name, Col = ColumnMask;
    uint8_t Attr = 0;
    for (size_t A = K; A-- > 0;) ID += Axes[A][Index[A]]->ID + (A ? "." : "");
    size_t From = 0;
    for (size_t A = 0; A < K; ++A) {
      const TGimResponse& R = *Axes[A][Index[A]];
      if (A) Name += "<*> - ";
      Name += "<*>" + R.Name;
      Attr |= R.Attributes;
      if (!R.ColumnText.empty()) {
        const size_t Star = Col.find('*', From);
        if (Star != std::string::npos) {
          Col.replace(Star, 1, R.ColumnText);
          From = Star + R.ColumnText.size();
        }
      }
    }
    TGimResponse& Last = *Axes[K - 1][Index[K - 1]];
    std::unique_ptr<TMerRecsetCol> C = GimCreateCol(Survey, &Scanner, Col);
    std::unique_ptr<TGimResponse> G;
    if (!Last.ColumnText.empty()) {
      G = GimCreateResponse(Survey, &Out);
    } else {
      G = std::make_unique<TGimResponse>(Last);
      G->Owner = &Out;
      if (!Last.Columns) Last.Columns = std::make_unique<TMerRecsetColList>(Survey);
      Last.Columns->AddUnique(*C);
    }
    G->ID = ID;
    G->Name = Name;
    G->Attributes = Attr;
    G->Columns = std::make_unique<TMerRecsetColList>(Survey);
    G->Columns->Add(std::move(C));
    Generated.push_back(static_cast<TGimResponse*>(Out.AddChild(std::move(G))));
    // The last axis varies fastest.
    size_t A = K;
    while (A > 0) {
      --A;
      if (++Index[A] < Axes[A].size()) break;
      Index[A] = 0;
      if (A == 0) {
        A = K + 1;
        break;
      }
    }
    if (A == K + 1) break;
  }
  // The grid's code or codes.
  auto GiveGridCode = [&](TGimResponse& R) {
    if (GridCodeKind == TGridCode::Code) {
      R.SingleCode = GridCode;
      R.HasSingleCode = true;
    } else if (GridCodeKind == TGridCode::Range && GridCodes) {
      R.Codes = std::make_unique<TRixCodeList>(*GridCodes);
    }
  };
  for (TGimResponse* R : Generated) GiveGridCode(*R);
  if (!LastIsCodeAxis)
    for (TGimResponse* R : Axes[K - 1]) GiveGridCode(*R);
  for (int I = 0; I < Count(); ++I) GetItem(I)->Responses->BuildBaseResponses();
  Out.BuildBaseResponses();
  if (LastIsCodeAxis) {
    for (int I = 0; I < Out.Count(); ++I) {
      TGimResponse* R = Out.GetItem(I);
      if (!R || !R->HasBase) continue;
      std::string& N = R->BaseResponse->Name;
      const size_t P = N.rfind("<*> - ");
      if (P != std::string::npos) N.erase(P);
    }
  }
}

}  // namespace quin
