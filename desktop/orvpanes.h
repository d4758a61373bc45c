// Panes, the borderless forms shown as child windows inside a host, and the status bar pane at
// the foot of the main window: a progress area (text or progress bar) on the left, the status
// text in the middle, a logo on the right. Texts that do not fit are shortened with an
// ellipsis and shown whole as a hint; a status message can be held for five seconds against
// less important ones.
//
// The pane is the model of its window: the window gives it its width, its font (a measurer)
// and its logo's size, and shows what the pane holds whenever the pane calls OnRepaint.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/colors.h"
#include "desktop/orvform.h"

namespace quin {

class TOrvPanel : public TOrvControl {
  QUIN_CLASS(TOrvPanel, TOrvControl)
 public:
  TOrvPanel() = default;
  int BorderWidth = 0;
};

class TOrvLabel : public TOrvControl {
  QUIN_CLASS(TOrvLabel, TOrvControl)
 public:
  TOrvLabel() = default;
  TColor FontColor = clWindowText;
};

class TOrvProgressBar : public TOrvControl {
  QUIN_CLASS(TOrvProgressBar, TOrvControl)
 public:
  TOrvProgressBar() = default;
  int Min = 0;
  int Max = 100;
  int Position = 0;
};

class TOrvImage : public TOrvControl {
  QUIN_CLASS(TOrvImage, TOrvControl)
 public:
  TOrvImage() = default;
};

// A borderless form created as a child window of its host.
class TOrvPaneForm : public TOrvFormForm {
  QUIN_CLASS(TOrvPaneForm, TOrvFormForm)
 public:
  TOrvPaneForm() = default;
  // Asks the window to show the pane's state at once.
  std::function<void()> OnRepaint;

 protected:
  void Repaint() {
    if (OnRepaint) OnRepaint();
  }
};

class TOrvStatusbarPane : public TOrvPaneForm {
  QUIN_CLASS(TOrvStatusbarPane, TOrvPaneForm)
 public:
  TOrvStatusbarPane() = default;

  static constexpr int MinWidth = 200;
  // How long a held message wins against soft ones, in milliseconds.
  static constexpr int64_t HoldTime = 5000;

  TOrvPanel* ProgressPanel = nullptr;
  TOrvLabel* ProgressLabel = nullptr;
  TOrvProgressBar* ProgressBar = nullptr;
  TOrvPanel* StatusPanel = nullptr;
  TOrvLabel* StatusLabel = nullptr;
  TOrvPanel* LogoPanel = nullptr;
  TOrvImage* LogoImage = nullptr;

  std::string StatusText;
  std::string ProgressText;
  bool ShortenAsPath = false;  // shorten the progress text as a path
  int64_t HoldSince = 0;       // tick count of the last held message, 0 when none

  TOrvTickClock Clock = SteadyTickCount;
  // The labels' font (never null; a fixed-pitch one until the window gives its own).
  void SetMeasurer(std::shared_ptr<const TOrvTextMeasurer> M);
  const TOrvTextMeasurer& Measurer() const { return *FMeasurer; }

  // The window's new width (at least MinWidth); lays the panels out again.
  void Resize(int NewWidth);

  virtual void AdjustHeight();
  // Also when the pane is shown: the height, the logo panel around the logo image (of the
  // size the window gave it), then Relayout.
  virtual void ArrangeLogo();
  virtual std::string GetProgressText() const { return ProgressText; }
  virtual void SetProgressText(std::string_view Text);
  virtual int GetProgressMax() const { return ProgressBar->Max; }
  virtual void SetProgressMax(int Value);
  virtual int GetProgressMin() const { return ProgressBar->Min; }
  virtual void SetProgressMin(int Value);
  virtual int GetProgressPosition() const { return ProgressBar->Position; }
  virtual void SetProgressPosition(int Value);
  virtual bool GetProgressVisible() const { return ProgressBar->Visible; }
  virtual void SetProgressVisible(bool Value);
  virtual std::string GetStatusText() const { return StatusText; }
  // Line breaks become blanks and runs of blanks one blank; then fitted and shown at once.
  virtual void SetStatusText(std::string_view Text);
  virtual void Relayout();
  virtual void FitProgressText();
  // The progress panel a quarter of the width, the status panel the rest up to the logo.
  virtual void LayoutPanels();
  virtual void FitStatusText();

  // Shows Text in Color. A held message (Hold) is kept against soft messages (Soft) for
  // HoldTime; any other message replaces it at once.
  void ShowStatus(std::string_view Text, TColor Color, bool Soft, bool Hold);

 protected:
  void CreateControls() override;

 private:
  // Shortens Label's text until it fits its panel; the hint then holds the full text.
  void FitLabel(TOrvLabel& Label, const TOrvPanel& Panel, const std::string& Full, bool AsPath);

  std::shared_ptr<const TOrvTextMeasurer> FMeasurer = std::make_shared<TOrvFixedPitchMeasurer>();
};

}  // namespace quin
