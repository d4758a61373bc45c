// The logo window of the desktop programs: at start-up a splash that closes itself, and in a
// fuller form the about box reached from the Help menu, with the product's texts from the
// application object.
//
// The form is the model of its window: the window passes clicks, key presses and the ticks of
// its timer on, and closes when the form calls OnClose.
#pragma once

#include <functional>

#include "desktop/orvform.h"
#include "desktop/orvpanes.h"

namespace quin {

class TOrvLogoForm : public TOrvWindowForm {
  QUIN_CLASS(TOrvLogoForm, TOrvWindowForm)
 public:
  // AutoClose makes a splash. FormRef, when given, is cleared when the form is destroyed.
  explicit TOrvLogoForm(bool AAutoClose = false, TOrvLogoForm** AFormRef = nullptr,
                        TOrvTickClock AClock = SteadyTickCount);
  ~TOrvLogoForm() override;
  void AfterConstruction() override;

  static constexpr int TimerInterval = 200;  // milliseconds
  // A splash stays at least this long (milliseconds).
  static constexpr int64_t SplashTime = 2000;

  bool AutoClose;
  TOrvLogoForm** FormRef;
  int64_t CreatedAt = 0;
  // The window runs its timer only while this is set (splash mode).
  bool TimerEnabled = false;
  bool Closed = false;
  // The window closes and the form is freed afterwards (never from inside this call).
  std::function<void()> OnClose;
  // The form is being freed: its window lets go of it.
  std::function<void()> OnFree;

  // A click on the window, a key press, and the window's timer.
  void Click() { Close(); }
  void KeyPress() { Close(); }
  void TimerTick();
  void Close();

 protected:
  TOrvTickClock Clock;
};

// The about box.
class TOrvLogoBlueForm : public TOrvLogoForm {
  QUIN_CLASS(TOrvLogoBlueForm, TOrvLogoForm)
 public:
  using TOrvLogoForm::TOrvLogoForm;
  TOrvLogoBlueForm() = default;

  TOrvLabel* SystemNameLabel = nullptr;
  TOrvLabel* CompanyNameLabel = nullptr;
  TOrvLabel* ProductNameLabel = nullptr;
  TOrvLabel* ProductVersionAndDateLabel = nullptr;
  TOrvLabel* LegalNoticeLabel = nullptr;
  TOrvLabel* AllRightsReservedLabel = nullptr;
  TOrvLabel* MailtoLabel = nullptr;
  TOrvLabel* HTTPLabel = nullptr;
  TOrvControl* FinishButton = nullptr;

  void ApplyTexts() override;
  // Open "mailto:" or "http://" + the label's text through the desktop, then close.
  void MailtoClick();
  void HTTPClick();

 protected:
  void CreateControls() override;
};

}  // namespace quin
