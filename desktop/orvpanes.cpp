#include "desktop/orvpanes.h"

#include <algorithm>
#include <cmath>

#include "base/orvfiles.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvPanel, TOrvControl)
QUIN_IMPLEMENT_CLASS(TOrvLabel, TOrvControl)
QUIN_IMPLEMENT_CLASS(TOrvProgressBar, TOrvControl)
QUIN_IMPLEMENT_CLASS(TOrvImage, TOrvControl)
QUIN_IMPLEMENT_CLASS(TOrvPaneForm, TOrvFormForm)
QUIN_IMPLEMENT_CLASS(TOrvStatusbarPane, TOrvPaneForm)

void TOrvStatusbarPane::CreateControls() {
  Width = MinWidth;
  ProgressPanel = Add<TOrvPanel>("ProgressPanel");
  ProgressPanel->BorderWidth = 1;
  ProgressLabel = ProgressPanel->Add<TOrvLabel>("ProgressLabel");
  ProgressBar = ProgressPanel->Add<TOrvProgressBar>("ProgressBar");
  ProgressBar->Visible = false;
  StatusPanel = Add<TOrvPanel>("StatusPanel");
  StatusPanel->BorderWidth = 2;
  StatusLabel = StatusPanel->Add<TOrvLabel>("StatusLabel");
  LogoPanel = Add<TOrvPanel>("LogoPanel");
  LogoImage = LogoPanel->Add<TOrvImage>("LogoImage");
  LogoImage->Left = 4;
}

void TOrvStatusbarPane::SetMeasurer(std::shared_ptr<const TOrvTextMeasurer> M) {
  if (M) FMeasurer = std::move(M);
}

void TOrvStatusbarPane::Resize(int NewWidth) {
  Width = std::max(NewWidth, MinWidth);
  Relayout();
}

void TOrvStatusbarPane::AdjustHeight() { Height = std::abs(Measurer().FontHeight()) + 11; }

void TOrvStatusbarPane::ArrangeLogo() {
  AdjustHeight();
  LogoPanel->Width = LogoImage->Width + 2 * LogoImage->Left;
  LogoImage->Top = (Height - LogoImage->Height) / 2;
  Relayout();
}

void TOrvStatusbarPane::LayoutPanels() {
  const int Client = Width;
  ProgressPanel->Left = 0;
  ProgressPanel->Width = static_cast<int>(std::lround(Client / 4.0));
  LogoPanel->Left = std::max(Client - LogoPanel->Width, 0);
  StatusPanel->Left = ProgressPanel->Width;
  StatusPanel->Width = std::max(LogoPanel->Left - StatusPanel->Left, 0);
  for (TOrvPanel* P : {ProgressPanel, StatusPanel, LogoPanel}) {
    P->Top = 0;
    P->Height = Height;
  }
}

void TOrvStatusbarPane::Relayout() {
  LayoutPanels();
  ProgressLabel->Text = ProgressText;
  StatusLabel->Text = StatusText;
  FitProgressText();
  FitStatusText();
}

void TOrvStatusbarPane::FitLabel(TOrvLabel& Label, const TOrvPanel& Panel, const std::string& Full,
                                 bool AsPath) {
  const TOrvTextMeasurer& M = Measurer();
  const int Room = Panel.Width - 2 * Panel.BorderWidth - 2;
  Label.Text = Full;
  Label.Width = M.TextWidth(Full);
  if (Label.Width < Room) {
    Label.Hint.clear();
    return;
  }
  Label.Hint = Full + "|";
  const int Len = static_cast<int>(Full.size());
  if (AsPath) {
    // One character less at a time; at 0 nothing is left to shorten, whatever the width.
    for (int N = Len - 1; N >= 0; --N) {
      Label.Text = ShortenPath(Full, N);
      Label.Width = M.TextWidth(Label.Text);
      if (Label.Width < Room) break;
    }
  } else {
    // The longest beginning that fits with "..." (the width grows with the beginning, so the
    // search finds what shortening one character at a time would); "..." alone when none.
    auto Shortened = [&](int N) { return Full.substr(0, static_cast<size_t>(N)) + "..."; };
    int Lo = 0, Hi = Len - 1;
    while (Lo < Hi) {
      const int Mid = Lo + (Hi - Lo + 1) / 2;
      if (M.TextWidth(Shortened(Mid)) < Room)
        Lo = Mid;
      else
        Hi = Mid - 1;
    }
    Label.Text = Shortened(std::max(Lo, 0));
    Label.Width = M.TextWidth(Label.Text);
  }
}

void TOrvStatusbarPane::FitStatusText() { FitLabel(*StatusLabel, *StatusPanel, StatusText, false); }

void TOrvStatusbarPane::FitProgressText() {
  FitLabel(*ProgressLabel, *ProgressPanel, ProgressText, ShortenAsPath);
}

void TOrvStatusbarPane::SetStatusText(std::string_view Text) {
  if (Text == StatusText) return;
  std::string S;
  S.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    char C = Text[I];
    if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') {
      C = ' ';
      ++I;
    }
    if (C == ' ' && !S.empty() && S.back() == ' ') continue;
    S += C;
  }
  StatusText = std::move(S);
  StatusLabel->Text = StatusText;
  FitStatusText();
  Repaint();
}

void TOrvStatusbarPane::SetProgressText(std::string_view Text) {
  if (Text == ProgressText) return;
  ProgressText = Text;
  ProgressLabel->Text = ProgressText;
  FitProgressText();
  Repaint();
}

void TOrvStatusbarPane::SetProgressMax(int Value) { ProgressBar->Max = Value; }
void TOrvStatusbarPane::SetProgressMin(int Value) { ProgressBar->Min = Value; }

void TOrvStatusbarPane::SetProgressPosition(int Value) {
  ProgressBar->Position = Value;
  Repaint();
}

void TOrvStatusbarPane::SetProgressVisible(bool Value) {
  if (Value && !ProgressBar->Visible) ProgressBar->Position = ProgressBar->Min;
  ProgressBar->Visible = Value;
  Repaint();
}

void TOrvStatusbarPane::ShowStatus(std::string_view Text, TColor Color, bool Soft, bool Hold) {
  const int64_t Now = Clock();
  if (Hold) {
    HoldSince = Now != 0 ? Now : 1;
  } else if (Soft) {
    if (HoldSince != 0 && Now - HoldSince <= HoldTime) return;
    HoldSince = 0;
  } else {
    HoldSince = 0;
  }
  const bool Recolored = StatusLabel->FontColor != Color;
  StatusLabel->FontColor = Color;
  if (Text != StatusText)
    SetStatusText(Text);
  else if (Recolored)
    Repaint();
}

}  // namespace quin
