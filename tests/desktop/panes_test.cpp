// The status bar pane and the splash and about windows.
#include <gtest/gtest.h>

#include "base/orvfiles.h"
#include "base/text.h"
#include "desktop/orvlogo.h"
#include "desktop/orvpanes.h"
#include "tests/desktop/desktop_fixtures.h"

namespace quin {
namespace {

using test::TDesktopFixture;
using test::TFakeClock;

class StatusBar : public TDesktopFixture {
 protected:
  void SetUp() override {
    TDesktopFixture::SetUp();
    Pane = New<TOrvStatusbarPane>();
    Pane->Clock = Time.Clock();
    Pane->OnRepaint = [this] { ++Repaints; };
    Pane->LogoImage->Width = 40;
    Pane->LogoImage->Height = 16;
    Pane->ArrangeLogo();
    Pane->Resize(800);
  }
  TFakeClock Time;
  std::unique_ptr<TOrvStatusbarPane> Pane;
  int Repaints = 0;
};

TEST_F(StatusBar, PanelsShareTheWidth) {
  EXPECT_EQ(Pane->Height, 13 + 11);
  EXPECT_EQ(Pane->LogoPanel->Width, 48);
  EXPECT_EQ(Pane->LogoImage->Top, 4);
  EXPECT_EQ(Pane->ProgressPanel->Width, 200);
  EXPECT_EQ(Pane->StatusPanel->Left, 200);
  EXPECT_EQ(Pane->StatusPanel->Width, 800 - 200 - 48);
  EXPECT_EQ(Pane->LogoPanel->Left, 752);
  Pane->Resize(802);  // a quarter to the nearest pixel
  EXPECT_EQ(Pane->ProgressPanel->Width, 201);
  Pane->Resize(50);
  EXPECT_EQ(Pane->Width, TOrvStatusbarPane::MinWidth);
}

TEST_F(StatusBar, LineBreaksAndRunsOfBlanksBecomeOneBlank) {
  Pane->SetStatusText("line one\r\nline two   and  three\r\n");
  EXPECT_EQ(Pane->GetStatusText(), "line one line two and three ");
  EXPECT_EQ(Pane->StatusLabel->Text, Pane->GetStatusText());
  EXPECT_EQ(Pane->StatusLabel->Hint, "");
  EXPECT_EQ(Repaints, 1);
  Pane->SetStatusText("line one line two and three ");
  EXPECT_EQ(Repaints, 1);  // unchanged: not painted again
}

TEST_F(StatusBar, TooLongTextsEndInAnEllipsisWithTheirFullTextAsHint) {
  // The status panel has 552 - 4 - 2 = 546 pixels: 77 characters of 7 pixels fit.
  const std::string Long(200, 'x');
  Pane->SetStatusText(Long);
  EXPECT_EQ(Pane->StatusLabel->Text, std::string(74, 'x') + "...");
  EXPECT_EQ(Pane->StatusLabel->Hint, Long + "|");
  EXPECT_EQ(Pane->GetStatusText(), Long);
  // Wider again: the whole text, no hint.
  Pane->Resize(3000);
  EXPECT_EQ(Pane->StatusLabel->Text, Long);
  EXPECT_EQ(Pane->StatusLabel->Hint, "");
  // A panel too narrow for the ellipsis itself: shortening ends all the same.
  Pane->SetMeasurer(std::make_shared<TOrvFixedPitchMeasurer>(500, 13));
  Pane->Resize(800);
  EXPECT_EQ(Pane->StatusLabel->Text, "...");
  // The progress text shortened as a path, one character at a time.
  Pane->SetMeasurer(std::make_shared<TOrvFixedPitchMeasurer>(7, 13));
  Pane->ShortenAsPath = true;
  Pane->Resize(400);  // progress panel 100 - 2 - 2: 13 characters
  Pane->SetProgressText("/home/anna/surveys/press/2024/readers.zos");
  EXPECT_LT(Pane->ProgressLabel->Width, 96);
  EXPECT_LE(Pane->ProgressLabel->Text.size(), 13u);
  EXPECT_EQ(Pane->ProgressLabel->Text.substr(0, 4), "/...");
  EXPECT_EQ(Pane->ProgressLabel->Hint, Pane->GetProgressText() + "|");
}

TEST_F(StatusBar, HeldMessagesWinAgainstSoftOnesForFiveSeconds) {
  Pane->ShowStatus("Saved", clRed, false, true);
  EXPECT_EQ(Pane->GetStatusText(), "Saved");
  EXPECT_EQ(Pane->StatusLabel->FontColor, clRed);
  Time.Now += 3000;
  Pane->ShowStatus("Ready", clWindowText, true, false);
  EXPECT_EQ(Pane->GetStatusText(), "Saved");
  EXPECT_EQ(Pane->StatusLabel->FontColor, clRed);
  Time.Now += 2000;  // exactly five seconds: still held
  Pane->ShowStatus("Ready", clWindowText, true, false);
  EXPECT_EQ(Pane->GetStatusText(), "Saved");
  Time.Now += 1000;
  Pane->ShowStatus("Ready", clWindowText, true, false);
  EXPECT_EQ(Pane->GetStatusText(), "Ready");
  EXPECT_EQ(Pane->HoldSince, 0);
  // A message that is neither soft nor held replaces a held one at once.
  Pane->ShowStatus("Saved again", clRed, false, true);
  Pane->ShowStatus("Opening", clWindowText, false, false);
  EXPECT_EQ(Pane->GetStatusText(), "Opening");
  Pane->ShowStatus("Ready", clWindowText, true, false);
  EXPECT_EQ(Pane->GetStatusText(), "Ready");
  // Only the colour changes: painted all the same.
  const int Before = Repaints;
  Pane->ShowStatus("Ready", clBlue, false, false);
  EXPECT_EQ(Repaints, Before + 1);
}

TEST_F(StatusBar, ProgressBarStartsAtItsMinimumWhenShown) {
  Pane->SetProgressMin(10);
  Pane->SetProgressMax(20);
  Pane->SetProgressPosition(15);
  EXPECT_FALSE(Pane->GetProgressVisible());
  Pane->SetProgressVisible(true);
  EXPECT_EQ(Pane->GetProgressPosition(), 10);
  Pane->SetProgressPosition(17);
  Pane->SetProgressVisible(true);  // already visible: kept
  EXPECT_EQ(Pane->GetProgressPosition(), 17);
  EXPECT_EQ(Pane->GetProgressMax(), 20);
}

class LogoWindow : public TDesktopFixture {
 protected:
  TFakeClock Time;
};

TEST_F(LogoWindow, SplashClosesOnTheFirstTickAfterTwoSeconds) {
  TOrvLogoForm* Ref = nullptr;
  auto Splash = New<TOrvLogoBlueForm>(true, &Ref, Time.Clock());
  Ref = Splash.get();
  int Closes = 0;
  Splash->OnClose = [&] { ++Closes; };
  EXPECT_TRUE(Splash->TimerEnabled);
  EXPECT_FALSE(Splash->FinishButton->Visible);
  for (int T = 0; T < 10; ++T) {  // ten ticks of 200 ms
    Time.Now += TOrvLogoForm::TimerInterval;
    Splash->TimerTick();
  }
  EXPECT_EQ(Closes, 0);
  Time.Now += TOrvLogoForm::TimerInterval;
  Splash->TimerTick();
  EXPECT_EQ(Closes, 1);
  EXPECT_TRUE(Splash->Closed);
  Splash->Click();
  EXPECT_EQ(Closes, 1);
  Splash.reset();
  EXPECT_EQ(Ref, nullptr);
}

TEST_F(LogoWindow, AboutBoxStaysUntilAClickOrAKey) {
  auto About = New<TOrvLogoBlueForm>(false, nullptr, Time.Clock());
  int Closes = 0;
  About->OnClose = [&] { ++Closes; };
  EXPECT_FALSE(About->TimerEnabled);
  Time.Now += 60000;
  About->TimerTick();
  EXPECT_EQ(Closes, 0);
  About->KeyPress();
  EXPECT_EQ(Closes, 1);
  EXPECT_TRUE(New<TOrvLogoBlueForm>(false)->FinishButton->Visible);
}

TEST_F(LogoWindow, AboutBoxShowsTheProductTexts) {
  auto About = New<TOrvLogoBlueForm>(false);
  EXPECT_EQ(About->SystemNameLabel->Text, "Fennix");
  EXPECT_EQ(About->ProductNameLabel->Text, "Quinview Viewer");
  EXPECT_EQ(About->CompanyNameLabel->Text, "Orvsoft");
  EXPECT_EQ(About->LegalNoticeLabel->Text, "(C) 2024 Orvsoft");
  EXPECT_EQ(About->ProductVersionAndDateLabel->Text, "Version 1.2 beta released 2024-06-03");
  EXPECT_EQ(About->AllRightsReservedLabel->Text, "All rights reserved");
  EXPECT_EQ(About->FinishButton->Text, "E&xit");
  App->LangManager().SetLanguage("plk");
  About->LanguageChanged();
  EXPECT_EQ(Cp1250ToUtf8(About->FinishButton->Text), "Wyj&dź");
  EXPECT_EQ(About->ProductVersionAndDateLabel->Text, "Wersja 1.2 beta wydana 2024-06-03");
  int Closes = 0;
  About->OnClose = [&] { ++Closes; };
  About->MailtoClick();
  EXPECT_EQ(App->Opened, std::vector<std::string>{"mailto:support@orvsoft.example"});
  EXPECT_EQ(Closes, 1);
  auto Other = New<TOrvLogoBlueForm>(false);
  Other->HTTPClick();
  EXPECT_EQ(App->Opened.back(), "http://orvsoft.example");
}

}  // namespace
}  // namespace quin
