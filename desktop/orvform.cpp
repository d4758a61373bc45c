#include "desktop/orvform.h"

#include <chrono>

#include "base/orvstrings.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvControl, TObject)
QUIN_IMPLEMENT_CLASS(TOrvAction, TObject)
QUIN_IMPLEMENT_CLASS(TOrvMenuItem, TWebMenuItem)
QUIN_IMPLEMENT_CLASS(TOrvFormForm, TOrvControl)
QUIN_IMPLEMENT_CLASS(TOrvWindowForm, TOrvFormForm)

namespace {

std::unique_ptr<TOrvMenuItem> NewItem(std::string Caption, TObject* Tag, TOrvAction* Action,
                                      TMenuMeasureEvent OnMeasureItem, TMenuDrawEvent OnDrawItem,
                                      TMenuClickEvent OnClick) {
  auto P = New<TOrvMenuItem>();
  P->Caption = std::move(Caption);
  P->TagObject = Tag;
  P->Action = Action;
  P->OnMeasureItem = std::move(OnMeasureItem);
  P->OnDrawItem = std::move(OnDrawItem);
  P->OnClick = std::move(OnClick);
  return P;
}

bool IsPlaceholder(const std::string& Text, const std::string& C, const std::string& N) {
  if (Text.empty()) return false;
  auto StartsWith = [&](const std::string& P) { return !P.empty() && Text.rfind(P, 0) == 0; };
  auto EndsWith = [&](const std::string& P) {
    return !P.empty() && Text.size() >= P.size() &&
           Text.compare(Text.size() - P.size(), P.size(), P) == 0;
  };
  return StartsWith(C) || EndsWith(C) || EndsWith(C + "\r\n") ||
         (!N.empty() && (Text == N || Text == N + "\r\n"));
}

const TOrvAction* ActionOf(const TWebMenuItem& Item) {
  const auto* O = As<TOrvMenuItem>(&Item);
  return O ? O->Action : nullptr;
}

}  // namespace

bool TOrvAction::Execute() {
  if (!Enabled || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

void PadMenuItems(TWebMenuItem& Parent) {
  for (const auto& P : Parent.Items()) {
    if (P->Caption != "-") {
      const TOrvAction* A = ActionOf(*P);
      P->Caption = TrimChar(A ? A->Caption : P->Caption, ' ') + Spaces(10);
    }
    PadMenuItems(*P);
  }
}

const std::string& ShownHint(const TWebMenuItem& Item) {
  if (const TOrvAction* A = ActionOf(Item)) return A->Hint;
  static const std::string None;
  const auto* O = As<TOrvMenuItem>(&Item);
  return O ? O->Hint : None;
}

bool ShownVisible(const TWebMenuItem& Item) {
  const TOrvAction* A = ActionOf(Item);
  return Item.Visible && (!A || A->Visible);
}

bool ShownEnabled(const TWebMenuItem& Item) {
  const TOrvAction* A = ActionOf(Item);
  return Item.Enabled && (!A || A->Enabled);
}

int64_t SteadyTickCount() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

TOrvMenuItem* CreateMenuItem(TWebMenuItem& Parent, std::string Caption, TObject* Tag,
                             TOrvAction* Action, TMenuMeasureEvent OnMeasureItem,
                             TMenuDrawEvent OnDrawItem, TMenuClickEvent OnClick) {
  return static_cast<TOrvMenuItem*>(
      Parent.Append(NewItem(std::move(Caption), Tag, Action, std::move(OnMeasureItem),
                            std::move(OnDrawItem), std::move(OnClick))));
}

std::unique_ptr<TOrvMenuItem> CreateMenuItem(std::nullptr_t, std::string Caption, TObject* Tag,
                                             TOrvAction* Action, TMenuMeasureEvent OnMeasureItem,
                                             TMenuDrawEvent OnDrawItem, TMenuClickEvent OnClick) {
  return NewItem(std::move(Caption), Tag, Action, std::move(OnMeasureItem), std::move(OnDrawItem),
                 std::move(OnClick));
}

TOrvMenuItem* AddActionMenuItem(TWebMenuItem& Parent, TOrvAction* Action) {
  TOrvMenuItem* I = CreateMenuItem(Parent, {}, nullptr, Action, {}, {}, {});
  if (Action) {
    I->OnClick = [Action](TWebMenuItem&) { Action->Execute(); };
  }
  return I;
}

TOrvMenuItem* AddSeparatorMenuItem(TWebMenuItem& Parent) {
  return CreateMenuItem(Parent, "-", nullptr, nullptr, {}, {}, {});
}

void ClearDefaultCaptions(TOrvControl& Control) {
  for (const auto& Child : Control.Controls) {
    std::string C = Child->ClassName();
    if (!C.empty() && C[0] == 'T') C.erase(0, 1);
    if (IsPlaceholder(Child->Text, C, Child->Name)) Child->Text.clear();
    for (std::string& L : Child->Lines)
      if (IsPlaceholder(L, C, Child->Name)) L.clear();
    ClearDefaultCaptions(*Child);
  }
}

void TOrvFormForm::AfterConstruction() {
  InitPending = true;
  IdlePending = true;
  CreateControls();
  ClearDefaultCaptions(*this);
  ApplyTexts();
  PadMenuCaptions();
}

void TOrvFormForm::LanguageChanged() {
  ApplyTexts();
  PadMenuCaptions();
}

bool TOrvFormForm::ApplicationIdle() {
  IdlePending = false;
  if (InitPending) {
    InitPending = false;
    FirstIdle();
  }
  return true;
}

TOrvMenu* TOrvFormForm::AddMenu(bool Popup) {
  Menus.push_back(std::make_unique<TOrvMenu>());
  Menus.back()->Popup = Popup;
  return Menus.back().get();
}

void TOrvFormForm::PadMenuCaptions() {
  for (const auto& M : Menus) {
    if (M->Popup) {
      PadMenuItems(M->Items);
    } else {
      // The top level of a main menu keeps its captions.
      for (const auto& Top : M->Items.Items()) PadMenuItems(*Top);
    }
  }
}

}  // namespace quin
