#include "desktop/orvform.h"

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

void PadItems(TWebMenuItem& Parent, bool PadThisLevel) {
  for (const auto& P : Parent.Items()) {
    if (PadThisLevel && P->Caption != "-") {
      auto* O = As<TOrvMenuItem>(P.get());
      std::string Shown = O && O->Action ? O->Action->Caption : P->Caption;
      P->Caption = TrimChar(Shown, ' ') + Spaces(10);
    }
    PadItems(*P, true);
  }
}

}  // namespace

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
    I->OnClick = [Action](TWebMenuItem&) {
      if (Action->OnExecute) Action->OnExecute(*Action);
    };
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
      PadItems(M->Items, true);
    } else {
      // The top level of a main menu keeps its captions.
      for (const auto& Top : M->Items.Items()) PadItems(*Top, true);
    }
  }
}

}  // namespace quin
