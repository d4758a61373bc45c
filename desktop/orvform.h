// The desktop form base as far as a server has it: forms hold controls and menus as models;
// creation clears the designer's placeholder captions, applies the translated texts and pads
// the menu captions. And the helpers that build menu items, whose model the web menu bar
// renders as well.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/metaclass.h"
#include "platform/webform.h"

namespace quin {

// A control of a desktop form: its text (or lines, for memos), its hint, its place inside its
// parent and the controls it holds.
class TOrvControl : public TObject {
  QUIN_CLASS(TOrvControl, TObject)
 public:
  TOrvControl() = default;
  std::string Name;
  std::string Text;
  std::vector<std::string> Lines;
  std::string Hint;
  bool Visible = true;
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::vector<std::unique_ptr<TOrvControl>> Controls;

  // Adds a control of class T named AName with the text AText.
  template <class T>
  // NOLINTNEXTLINE(performance-unnecessary-value-param): both are moved into the control
  T* Add(std::string AName, std::string AText = {}) {
    auto P = New<T>();
    P->Name = std::move(AName);
    P->Text = std::move(AText);
    T* Raw = P.get();
    Controls.push_back(std::move(P));
    return Raw;
  }
};

class TOrvAction : public TObject {
  QUIN_CLASS(TOrvAction, TObject)
 public:
  TOrvAction() = default;
  std::string Caption;
  std::string Hint;
  bool Visible = true;
  bool Enabled = true;
  bool Checked = false;
  bool Checkable = false;  // shown with a check mark (Checked)
  std::function<void(TOrvAction&)> OnExecute;
  // Runs OnExecute when the action is enabled; whether it ran.
  bool Execute();
};

using TMenuMeasureEvent = std::function<void(TWebMenuItem& Item, int& Width, int& Height)>;
using TMenuDrawEvent = std::function<void(TWebMenuItem& Item, bool Selected)>;
using TMenuClickEvent = std::function<void(TWebMenuItem& Item)>;

// A menu item that may stand for an object (its tag) and be linked to an action.
class TOrvMenuItem : public TWebMenuItem {
  QUIN_CLASS(TOrvMenuItem, TWebMenuItem)
 public:
  TOrvMenuItem() = default;
  TObject* TagObject = nullptr;  // not owned
  TOrvAction* Action = nullptr;  // not owned
  std::string Hint;
  int ImageIndex = -1;
  TMenuMeasureEvent OnMeasureItem;
  TMenuDrawEvent OnDrawItem;
};

// A new menu item appended to Parent, which owns it.
TOrvMenuItem* CreateMenuItem(TWebMenuItem& Parent, std::string Caption, TObject* Tag,
                             TOrvAction* Action, TMenuMeasureEvent OnMeasureItem,
                             TMenuDrawEvent OnDrawItem, TMenuClickEvent OnClick);
// Without a parent the item belongs to no menu; the caller owns it.
std::unique_ptr<TOrvMenuItem> CreateMenuItem(std::nullptr_t, std::string Caption, TObject* Tag,
                                             TOrvAction* Action, TMenuMeasureEvent OnMeasureItem,
                                             TMenuDrawEvent OnDrawItem, TMenuClickEvent OnClick);
TOrvMenuItem* AddActionMenuItem(TWebMenuItem& Parent, TOrvAction* Action);
TOrvMenuItem* AddSeparatorMenuItem(TWebMenuItem& Parent);

struct TOrvMenu {
  bool Popup = false;
  TWebMenuItem Items;  // the top level
};

class TOrvFormForm : public TOrvControl {
  QUIN_CLASS(TOrvFormForm, TOrvControl)
 public:
  TOrvFormForm() = default;
  // Creation: ClearDefaultCaptions, ApplyTexts, PadMenuCaptions.
  void AfterConstruction() override;

  bool InitPending = true;
  bool IdlePending = true;
  std::vector<std::unique_ptr<TOrvMenu>> Menus;

  virtual void ApplyTexts() {}
  virtual void FirstIdle() {}
  virtual TOrvFormForm* SelfCheck() { return this; }
  virtual void LanguageChanged();
  // The application's idle moment: returns true (no more idle calls wanted); the first one
  // runs FirstIdle.
  bool ApplicationIdle();

  TOrvMenu* AddMenu(bool Popup);
  void PadMenuCaptions();

 protected:
  // Subclasses create their controls and menus here (before the texts are applied).
  virtual void CreateControls() {}
};

class TOrvWindowForm : public TOrvFormForm {
  QUIN_CLASS(TOrvWindowForm, TOrvFormForm)
 public:
  TOrvWindowForm() = default;
};

// Pads the captions of Parent's items at every level (their own caption, or the caption of
// their action, trimmed, and ten blanks); separators stay as they are.
void PadMenuItems(TWebMenuItem& Parent);

// The caption, hint, visibility and enabled state an item shows: its action's where it has one.
const std::string& ShownHint(const TWebMenuItem& Item);
bool ShownVisible(const TWebMenuItem& Item);
bool ShownEnabled(const TWebMenuItem& Item);

// Milliseconds of a steady clock (the platform's tick count); forms that time something take
// such a clock so that tests can give their own.
using TOrvTickClock = std::function<int64_t()>;
int64_t SteadyTickCount();

// Text widths and the font height of the font a form's labels use, in pixels.
class TOrvTextMeasurer {
 public:
  virtual ~TOrvTextMeasurer() = default;
  virtual int TextWidth(std::string_view Text) const = 0;
  virtual int FontHeight() const = 0;
};

// Every character CharWidth pixels wide: forms measure with it until their window gives them
// its font.
class TOrvFixedPitchMeasurer : public TOrvTextMeasurer {
 public:
  explicit TOrvFixedPitchMeasurer(int ACharWidth = 7, int AFontHeight = 13)
      : CharWidth(ACharWidth), Height(AFontHeight) {}
  int TextWidth(std::string_view Text) const override {
    return static_cast<int>(Text.size()) * CharWidth;
  }
  int FontHeight() const override { return Height; }
  int CharWidth;
  int Height;
};

// Clears placeholder texts below Control: a text that starts or ends with the class name
// without "T" (or with it and CR LF), or equals the control's name (or with CR LF).
void ClearDefaultCaptions(TOrvControl& Control);

}  // namespace quin
