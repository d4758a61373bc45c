#include "web/repparform.h"

#include "analysis/pelpar.h"
#include "analysis/pelrwobjectfiles.h"
#include "analysis/pelsurvey.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "platform/websession.h"
#include "reports/pelrep.h"
#include "reports/pelrepanalysis.h"
#include "web/repwindow.h"
#include "web/session.h"

namespace quin {

QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebPivotDimFrame, TZepFrame)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelWebRepParForm, TPelWebIWForm)

// --- pivot-dimension frame ---

void TPelWebPivotDimFrame::CreateControls() {
  TZepFrame::CreateControls();
  FrameRegion->SetSize(0, 0);
  HeaderRegion = FrameRegion->Add<TWebRegion>("HeaderRegion");
  HeaderText = HeaderRegion->Add<TWebLabel>("HeaderText");
  HeaderText->Css = "main";
  ItemsRegion = FrameRegion->Add<TWebRegion>("ItemsRegion");
  ValuesListBox = ItemsRegion->Add<TWebListBox>("ValuesListBox");
  ValuesListBox->Css = "main";
  ValuesListBox->MultiSelect = true;
  ValuesListBox->Rows = 5;
}

void TPelWebPivotDimFrame::FillValues() {
  const TOrvLangManager* SL = Par ? SurveyLangManager(Par->Survey) : nullptr;
  auto Translate = [SL](const std::string& S) {
    return SL ? SL->TranslateText(S) : CurrentLangManager().TranslateText(S);
  };
  ValuesListBox->Clear();
  if (!Par) return;
  HeaderText->Caption = HtmlEscape(Translate(Header.empty() ? Par->GetCaption() : Header));
  if (auto* M = As<TPelParMulti>(Par)) {
    for (int I = 0; I < M->SubParCount(); ++I) {
      int K = ValuesListBox->AddItem(M->SubPar(I)->GetName(), M->SubPar(I));
      ValuesListBox->Items[K].Selected = !M->SubPar(I)->Hidden;
    }
  } else {
    for (const std::string& L : Par->GetAllLabels()) ValuesListBox->AddItem(L);
  }
}

void TPelWebPivotDimFrame::ApplyHidden() {
  auto* M = As<TPelParMulti>(Par);
  if (!M || ValuesListBox->SelectedIndices().empty()) return;
  const int N = std::min(M->SubParCount(), ValuesListBox->Count());
  for (int I = 0; I < N; ++I) M->SubPar(I)->Hidden = !ValuesListBox->Items[I].Selected;
  bool AnyShown = false;
  for (int I = 0; I < M->SubParCount(); ++I) AnyShown = AnyShown || !M->SubPar(I)->Hidden;
  if (!AnyShown && M->SubParCount() > 0) M->SubPar(0)->Hidden = false;
}

void TPelWebPivotDimFrame::LanguageChanged() {
  TZepFrame::LanguageChanged();
  std::vector<bool> Kept;
  for (const TWebListItem& It : ValuesListBox->Items) Kept.push_back(It.Selected);
  FillValues();
  for (int I = 0; I < ValuesListBox->Count() && I < static_cast<int>(Kept.size()); ++I)
    ValuesListBox->Items[I].Selected = Kept[I];
}

// --- report parameters page ---

void TPelWebRepParForm::CreateControls() {
  TPelWebIWForm::CreateControls();
  ParPanesRegion = Add<TWebRegion>("ParPanesRegion");
  ParPanesRegion->Css = "parregion";
  ButtonsRegion = Add<TWebRegion>("ButtonsRegion");
  ButtonsRegion->Css = "stepbuttons";
  RecalcButton = ButtonsRegion->Add<TWebButton>("RecalcButton");
  RecalcButton->OnClick = [this](TWebControl&) { RecalcButtonClick(); };
  CancelButton = ButtonsRegion->Add<TWebButton>("CancelButton");
  CancelButton->OnClick = [this](TWebControl&) { CancelButtonClick(); };
}

void TPelWebRepParForm::ApplyTexts() {
  TPelWebIWForm::ApplyTexts();
  RecalcButton->Caption = Tr("<PLK>Przelicz<ENU>Recalc");
  CancelButton->Caption = Tr("<PLK>Anuluj<ENU>Cancel");
}

std::string TPelWebRepParForm::GetSubtitle() const {
  return Tr("<PLK>Parametry raportu<ENU>Report parameters");
}

void TPelWebRepParForm::IWAppFormCreate() {
  TPelWebIWForm::IWAppFormCreate();
  BuildFrames();
}

void TPelWebRepParForm::BuildFrames() {
  for (TPelWebPivotDimFrame* F : Frames) ParPanesRegion->Delete(F);
  Frames.clear();
  if (!ParFile) return;
  int K = 0;
  for (int I = 0; I < ParFile->Elems.Count(); ++I) {
    // Only parameters get a frame: other saved objects have nothing to show or hide.
    auto* P = As<TPelPar>(ParFile->Elems.GetItem(I)->Obj.get());
    if (!P || (OnlyPar && P != OnlyPar)) continue;
    auto* F =
        ParPanesRegion->Add<TPelWebPivotDimFrame>("PelWebPivotDim" + IntToStr(K), P->GetName(), P);
    // One below the other, in the page's flow.
    F->Left = 0;
    F->Top = K * 110;
    F->SetSize(300, 100);
    F->FillValues();
    Frames.push_back(F);
    ++K;
  }
}

void TPelWebRepParForm::RefreshTexts() {
  TPelWebIWForm::RefreshTexts();
  for (TPelWebPivotDimFrame* F : Frames) F->LanguageChanged();
}

void TPelWebRepParForm::RecalcButtonClick() {
  for (TPelWebPivotDimFrame* F : Frames) F->ApplyHidden();
  if (Report) MarkAllForRecalc(*Report);
  Release();
  // The window may have gone meanwhile (another report opened from a page left behind).
  THobSessionModule* M = GetSessionModule();
  if (Window && M && M->ReportWindow == Window) Window->RefreshCurrent();
}

}  // namespace quin
