#include "web/rangedialog.h"

#include <algorithm>

#include "analysis/pelgroup.h"
#include "analysis/pelpargroups.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "deflang/rixcodereader.h"
#include "deflang/rixcodes.h"
#include "deflang/rixscanner.h"
#include "platform/websession.h"
#include "surveykit/gimquestions.h"
#include "surveykit/gimresponses.h"
#include "web/grouppane.h"
#include "web/parstepform.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebSelRangeForm, TPelWebIWForm)

bool ParseNumericRanges(const std::string& Text, bool Store, std::unique_ptr<TRixCodeList>& Codes,
                        bool IntOnly, bool AllowMinMax, const TFormatSettings& Settings) {
  // The definition language writes "." and ",".
  std::string T = Text;
  std::replace(T.begin(), T.end(), Settings.DecimalSeparator, '.');
  std::replace(T.begin(), T.end(), Settings.ListSeparator, ',');
  try {
    TOrvMsgList Msgs(0, 0);
    auto List = std::make_unique<TRixCodeList>();
    auto Scanner = TRixScanner::CreateFromText(std::move(T), &Msgs);
    Scanner->NextToken();
    ParseCodeList(*List, *Scanner, nullptr);
    if (Msgs.ErrorCount() > 0 || List->Empty()) return false;
    if (!AllowMinMax &&
        (CodeListMinValue(*List) == RixCodeMin || CodeListMaxValue(*List) == RixCodeMax))
      return false;
    if (IntOnly && !CodeListIsInt(*List)) return false;
    if (Store) {
      NormalizeCodeList(*List);
      Codes = std::move(List);
    }
    return true;
  } catch (...) {
    // A text ending in "," is fatal to the reader, and nothing the user types may end more
    // than this check.
    return false;
  }
}

std::string NumericRangeNotation(bool IntOnly, bool AllowMinMax, const TFormatSettings& Settings) {
  const std::string L(1, Settings.ListSeparator);
  std::string Example;
  if (IntOnly)
    Example = Format(": %d%s %d %s %d", {1, L, 3, ":", 5}, Settings);
  else if (!AllowMinMax)
    Example = Format(": %g%s %g %s %g", {1.0, L, 3.5, ":", 5.0}, Settings);
  else
    Example = Format(": %s %g%s %g%s %g %s %g%s %g %s",
                     {":", 1.0, L, 3.5, L, 5.0, ":", 7.0, L, 9.0, ":"}, Settings);
  return Tr("<PLK>Przykład zapisu<ENU>Notation example") + Example;
}

TPelWebSelRangeForm::TPelWebSelRangeForm(bool AAllowMinMax, bool AIntOnly,
                                         TPelWebParPaneGroupsFrame* APane, TPelGroupVar* ACond,
                                         TPelGroup* AGroup, TCodeNumericResponse* AItem,
                                         TPelSurvey* ASurvey)
    : Pane(APane),
      Cond(ACond),
      Group(AGroup),
      Item(AItem),
      Survey(ASurvey),
      IntOnly(AIntOnly),
      AllowMinMax(AAllowMinMax && !AIntOnly),
      FStep(APane ? APane->Form() : nullptr) {}

bool TPelWebSelRangeForm::IsCurrent() const {
  TWebSession* S = Session();
  if (IsReleased() || !S || !FStep) return false;
  // The step page may be freed already: it is looked for, not followed.
  for (TWebForm* F : S->Forms())
    if (F == FStep) {
      const auto* Step = As<TPelWebRWObjectForm_Form>(F);
      return Step && Step->IsCurrent();
    }
  return false;
}

TPelWebSelRangeForm::~TPelWebSelRangeForm() = default;

void TPelWebSelRangeForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  RangeRegion = Add<TWebRegion>("RangeRegion");
  RangeRegion->Css = "rangeregion";
  QuestionLabel = RangeRegion->Add<TWebLabel>("QuestionLabel");
  QuestionLabel->Css = "header";
  auto Line = [this](const char* Name, const char* Css) {
    TWebLabel* L = RangeRegion->Add<TWebLabel>(Name);
    L->Css = Css;
    return L;
  };
  AvailableNumValsLabel = Line("AvailableNumValsLabel", "main rangelabel");
  AvailableNumVals = RangeRegion->Add<TWebEdit>("AvailableNumVals");
  AvailableNumVals->Css = "edit rangeedit";
  AvailableNumVals->ReadOnly = true;
  NumValsSampleLabel = Line("NumValsSampleLabel", "main hint rangesample");
  SelectedNumValsLabel = Line("SelectedNumValsLabel", "main rangelabel");
  SelectedNumVals = RangeRegion->Add<TWebEdit>("SelectedNumVals");
  SelectedNumVals->Css = "edit rangeedit";
  SelectedNumVals->SubmitOnEnter = true;
  SelectedNumVals->OnSubmit = [this](TWebControl&) { OKButtonClick(); };
  MinMaxAllowedLabel = Line("MinMaxAllowedLabel", "main hint");
  IntOnlyLabel = Line("IntOnlyLabel", "main hint");
  TWebRegion* Buttons = RangeRegion->Add<TWebRegion>("ButtonRegion");
  Buttons->Css = "buttonrow";
  OKButton = Buttons->Add<TWebButton>("OKButton");
  OKButton->OnClick = [this](TWebControl&) { OKButtonClick(); };
  CancelButton = Buttons->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };

  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  const TGimResponse* R = Item ? Item->Response : nullptr;
  if (R && R->Codes) SelectedNumVals->Text = CodeListAsString(*R->Codes, FS);
  FShownSettings = FS;
}

void TPelWebSelRangeForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  const TFormatSettings& FS = CurrentLangManager().FormatSettings;
  const TGimResponse* R = Item ? Item->Response : nullptr;
  std::string Question = Cond && Cond->Question ? Cond->Question->GetName() : std::string();
  QuestionLabel->Caption = HtmlEscape(Question + ": " + (R ? R->GetName() : std::string()));
  AvailableNumVals->Text = R && R->NumericCodes ? CodeListAsString(*R->NumericCodes, FS) : "";
  AvailableNumValsLabel->Caption =
      Tr("<PLK>Kody odpowiedzi (z definicji)<ENU>Response codes (from the definition)");
  NumValsSampleLabel->Caption = HtmlEscape(NumericRangeNotation(IntOnly, AllowMinMax, FS));
  SelectedNumValsLabel->Caption = Tr("<PLK>Wy&brane kody<ENU>&Selected codes");
  MinMaxAllowedLabel->Caption =
      AllowMinMax ? Tr("<PLK>Wpisz min lub max do określenia przedziałów nieograniczonych<ENU>Use "
                       "min or max to specify unbounded ranges")
                  : Tr("<PLK>Min i max nie mogą być używane<ENU>Min and max may not be used");
  IntOnlyLabel->Caption =
      IntOnly ? Tr("<PLK>Można wpisywać tylko wartości całkowite<ENU>Only integer values may be "
                   "specified")
              : Tr("<PLK>Można wpisywać zarówno wartości całkowite jak i rzeczywiste<ENU>Integer "
                   "and real values may be specified");
  OKButton->Caption = Tr("OK");
  CancelButton->Caption = Tr("<PLK>Anuluj<ENU>Cancel");
}

std::string TPelWebSelRangeForm::GetSubtitle() const {
  return Tr("<PLK>Wybór zakresu wartości numerycznych<ENU>Select numeric values range");
}

void TPelWebSelRangeForm::RefreshTexts() {
  if (!IsCurrent()) return;
  TPelWebIWForm::RefreshTexts();
  // "1,5; 3" in Polish is "1.5, 3" in English: each separator goes over to its counterpart.
  const TFormatSettings& New = CurrentLangManager().FormatSettings;
  for (char& C : SelectedNumVals->Text) {
    if (C == FShownSettings.DecimalSeparator)
      C = New.DecimalSeparator;
    else if (C == FShownSettings.ListSeparator)
      C = New.ListSeparator;
  }
  FShownSettings = New;
}

bool TPelWebSelRangeForm::OtherDialogHolds(const void* Target) const {
  TWebSession* S = Session();
  if (!S) return false;
  for (TWebForm* F : S->Forms()) {
    auto* D = As<TPelWebSelRangeForm>(F);
    if (D && D != this && !D->IsReleased() && (D->Cond == Target || D->Group == Target))
      return true;
  }
  return false;
}

void TPelWebSelRangeForm::OKButtonClick() {
  if (!IsCurrent()) return Release();
  if (!ParseNumericRanges(SelectedNumVals->Text, true, Codes, IntOnly, AllowMinMax,
                          CurrentLangManager().FormatSettings)) {
    Session()->Alert(
        Tr("<PLK>Wybrane kody są nieprawidłowo określone.\\nProszę zdefiniować wartości i "
           "przedziały wartości wg przykładu.<ENU>Invalid specification of numeric values.\\n"
           "Please define values and ranges as per example."));
    return;
  }
  TPelGroupResponseList& Values = Cond->Values;
  const int At = Item->Existing ? Values.IndexOfResponse(Item->Source) : -1;
  auto* Ranges = At >= 0 ? As<TPelGroupValCodeRange>(Values.GetItem(At)) : nullptr;
  if (Ranges) {
    Ranges->Codes->Clear();
    CopyCodeList(*Ranges->Codes, *Codes);
  } else {
    // A new value, or a plain value that now takes ranges.
    int Index = std::clamp(Item->Index, 0, Values.Count());
    if (At >= 0) {
      Values.Delete(At);
      Index = At;
    }
    Values.InsertCodeRange(Index, Item->Source, std::make_unique<TRixCodeList>(*Codes));
  }
  Pane->FillChosen();
  Release();
}

void TPelWebSelRangeForm::CancelButtonClick() {
  if (!IsCurrent()) return Release();
  // What another open dialog still works on stays until the last of them is answered.
  if (Cond->Values.Count() == 0 && !OtherDialogHolds(Cond)) {
    Group->RemoveObject(Cond, true);
    if ((!Group->Root || Group->Root->ChildCount() == 0) && !OtherDialogHolds(Group))
      if (TPelParGroups* P = Pane->Groups()) P->DeleteSubPar(P->SubPars->IndexOf(Group));
  }
  Pane->FillChosen();
  Release();
}

}  // namespace quin
