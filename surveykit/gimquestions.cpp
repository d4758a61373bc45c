#include "surveykit/gimquestions.h"

#include "base/langmanager.h"
#include "base/orvexceptions.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "surveykit/mermessages.h"
#include "surveykit/mersurvey.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TGimQuestion, TGimDataObject)
QUIN_IMPLEMENT_CLASS(TGimQuestionList, TOrvObjectList)

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};
QUIN_MSG(TGimError_DefInvalidInSingleAxis, TOrvMsgKind_Error,
         "<PLK>Definicja nieprawidłowa w pytaniu nie tabelarycznym.<ENU>Definition invalid in "
         "non-grid question.")
QUIN_MSG(TGimError_DefInvalidInMultiAxis, TOrvMsgKind_Error,
         "<PLK>Definicja nieprawidłowa w pytaniu tabelarycznym.<ENU>Definition invalid in grid "
         "question.")
QUIN_MSG(TGimWarning_NoMeanNotInterval, TOrvMsgKind_Warning,
         "<PLK>Nie ma sensu definiować atrybutu noMean w pytaniach o skali innej niż "
         "przedziałowa.<ENU>No sense in using the noMean attribute in questions having scales "
         "other than interval.")
#undef QUIN_MSG

EGimWrongSurveyException::EGimWrongSurveyException()
    : Exception(CurrentLangManager().Translate(
          Cp1250("<PLK>Niepoprawny identyfikator badania.<ENU>Incorrect survey identifier."))) {}

TGimQuestion::TGimQuestion(const TGimQuestion& Source)
    : TGimDataObject(Source),
      Axes(Source.Axes ? std::make_unique<TGimResponseAxisList>(*Source.Axes) : nullptr),
      Responses(Source.Responses ? CopyOf(*Source.Responses) : nullptr),
      Scale(Source.Scale),
      GridRead(Source.GridRead) {
  if (Responses) Responses->Owner = this;
  for (int I = 0; Axes && I < Axes->Count(); ++I) Axes->GetItem(I)->Owner = this;
}

void TGimQuestion::CreateInSurvey(TMerSurvey* ASurvey, TOrvPersistent* AParent) {
  TGimDataObject::CreateInSurvey(ASurvey, AParent);
  Axes = std::make_unique<TGimResponseAxisList>(ASurvey);
  Responses = GimCreateResponseList(ASurvey, this);
}

int TGimQuestion::ImageIndex() const {
  if (IsGrid()) return 4;
  if (Responses && Responses->HasMultiColumn()) return 3;
  return 1;
}

TGimViewNode* TGimQuestion::AddToTreeView(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                          TGimCheckState State) {
  return TGimDataObject::AddToTreeView(Tree, ParentNode, State);
}

TGimViewNode* TGimQuestion::AddToTreeViewSelected(TGimTreeView& Tree, TGimViewNode* ParentNode,
                                                  bool WholeIfSelected, TGimCheckState State,
                                                  const TOrvObjectList& Selection) {
  const bool Selected = IsSelected(Selection);
  if (WholeIfSelected && Selected) return AddToTreeView(Tree, ParentNode, State);
  bool ChildSelected = false;
  for (int I = 0; Responses && I < Responses->ChildCount() && !ChildSelected; ++I)
    ChildSelected = Responses->Child(I)->IsSelected(Selection);
  if (!Selected && !ChildSelected) return nullptr;
  return TGimDataObject::AddToTreeView(Tree, ParentNode, State);
}

bool TGimQuestion::UsesRecset(const TMerRecset* Recset) const {
  for (int I = 0; Responses && I < Responses->Count(); ++I)
    if (const TGimResponse* R = Responses->GetItem(I))
      if (R->HasColumns() && R->Columns->GetItem(0)->Recset == Recset) return true;
  return false;
}

void TGimQuestion::EvaluateResponses(const std::vector<TGimResponse*>& AResponses,
                                     std::vector<uint8_t>& Selected, std::vector<uint8_t>& Missing,
                                     TMerRecset* Recset) {
  const int N = Recset ? std::max(0, Recset->RecCount()) : 0;
  Selected.assign(N, 0);
  Missing.assign(N, 1);
  TMerRecsetColList Cols(Survey);
  for (TGimResponse* R : AResponses)
    if (R) R->RegisterColumns(Recset, Cols);
  // Every column once, loaded for the whole pass; the list frees them when it goes.
  Cols.LoadValues();
  bool First = true;
  for (TGimResponse* R : AResponses) {
    if (!R) continue;
    R->Evaluate(Selected, Missing, First, Cols, Recset);
    First = false;
  }
  Cols.FreeValues();
}

void TGimQuestion::Read(TRixScanner& Scanner, TGimIDIndex* IDs) {
  auto Body = [&] {
    for (;;) {
      if (GimAtBlockEnd(Scanner)) return;
      if (Scanner.Token->Is<TRixTokenDefStart>()) {
        const TOrvTextPos DefPos = Scanner.Token->StartPos;
        if (Scanner.ReadDefComplexStart("responseGrid")) {
          const TOrvTextPos KeyPos = Scanner.PrevToken->StartPos;
          if (Responses->ChildCount() > 0 && !GridRead) {
            Scanner.AddMsgAt(TGimError_DefInvalidInSingleAxis, KeyPos);
            Scanner.SkipDef(KeyPos);
          } else {
            GridRead = true;
            Axes->Read(Scanner, this);
          }
          continue;
        }
        const bool List = Scanner.ReadDefComplexStart("responseList");
        const bool One = !List && Scanner.ReadDefComplexStart("response");
        if (List || One) {
          const TOrvTextPos KeyPos = Scanner.PrevToken->StartPos;
          if (GridRead) {
            Scanner.AddMsgAt(TGimError_DefInvalidInMultiAxis, KeyPos);
            Scanner.SkipDef(KeyPos);
          } else if (List) {
            Responses->Read(Scanner, this, /*PlainQuestion=*/true, /*HasCode=*/false,
                            Responses.get());
          } else {
            Responses->ReadResponse(Scanner, this, /*PlainQuestion=*/true, /*HasCode=*/false);
          }
          continue;
        }
        (void)DefPos;
        GimSkipBlock(Scanner);
        continue;
      }
      const TOrvTextPos Pos = Scanner.Token->StartPos;
      const std::string OldID = ID;
      if (GimReadObjectText(Scanner, *this, true)) {
        if (ID != OldID && IDs) {
          if (IDs->FindsOther(TGimQuestion::StaticClass(), this, ID))
            Scanner.AddMsgAt(TMerError_IDNotUnique, Pos);
          IDs->Add(this);
        }
        continue;
      }
      std::string S;
      const TOrvTextPos ValuePos = Scanner.Token->StartPos;
      if (Scanner.ReadIdentifier("scale", S)) {
        if (SameText(S, "nominal"))
          Scale = TGimScale::Nominal;
        else if (SameText(S, "ordinal"))
          Scale = TGimScale::Ordinal;
        else if (SameText(S, "interval"))
          Scale = TGimScale::Interval;
        else
          Scanner.AddMsgAt(TRixMsgError_UnknownKey, ValuePos);
        continue;
      }
      if (Scanner.LastReadResult() != TRixReadResult::NoMatch) continue;
      GimUnknownKey(Scanner);
    }
  };
  GimReadAndClose(Body, [&] { Close(Scanner); });
}

void TGimQuestion::Close(TRixScanner& Scanner) {
  const TOrvTextPos At = Scanner.LastTokenEnd();
  if (!GridRead) {
    if (Responses->ChildCount() == 0) Scanner.AddMsgAt(TGimError_ResponsesNotDefined, At);
    if (Survey && Survey->ThoroughChecks) Responses->CheckOverlaps(&Scanner);
    if (Scale != TGimScale::Interval) {
      bool Warned = false;
      for (int I = 0; I < Responses->Count(); ++I) {
        TGimResponse* R = Responses->GetItem(I);
        if (!R) continue;
        if ((R->Attributes & GimAttrNoMean) && !Warned) {
          Warned = true;
          Scanner.AddMsgAt(TGimWarning_NoMeanNotInterval, At);
        }
        R->Attributes |= GimAttrNoMean;
      }
    }
    Responses->BuildBaseResponses();
  }
  GimCheckIDAndName(Scanner, *this);
}

}  // namespace quin
