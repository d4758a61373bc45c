#include "desktop/orvlogo.h"

#include "base/format.h"
#include "base/langmanager.h"
#include "desktop/orvdeskapp.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvLogoForm, TOrvWindowForm)
QUIN_IMPLEMENT_CLASS(TOrvLogoBlueForm, TOrvLogoForm)

TOrvLogoForm::TOrvLogoForm(bool AAutoClose, TOrvLogoForm** AFormRef, TOrvTickClock AClock)
    : AutoClose(AAutoClose), FormRef(AFormRef), Clock(std::move(AClock)) {}

TOrvLogoForm::~TOrvLogoForm() {
  if (OnFree) OnFree();
  if (FormRef && *FormRef == this) *FormRef = nullptr;
}

void TOrvLogoForm::AfterConstruction() {
  CreatedAt = Clock();
  TimerEnabled = AutoClose;
  TOrvWindowForm::AfterConstruction();
}

void TOrvLogoForm::TimerTick() {
  if (TimerEnabled && Clock() - CreatedAt > SplashTime) Close();
}

void TOrvLogoForm::Close() {
  if (Closed) return;
  Closed = true;
  TimerEnabled = false;
  if (OnClose) OnClose();
}

void TOrvLogoBlueForm::CreateControls() {
  SystemNameLabel = Add<TOrvLabel>("SystemNameLabel");
  CompanyNameLabel = Add<TOrvLabel>("CompanyNameLabel");
  ProductNameLabel = Add<TOrvLabel>("ProductNameLabel");
  ProductVersionAndDateLabel = Add<TOrvLabel>("ProductVersionAndDateLabel");
  LegalNoticeLabel = Add<TOrvLabel>("LegalNoticeLabel");
  AllRightsReservedLabel = Add<TOrvLabel>("AllRightsReservedLabel");
  MailtoLabel = Add<TOrvLabel>("MailtoLabel");
  HTTPLabel = Add<TOrvLabel>("HTTPLabel");
  FinishButton = Add<TOrvControl>("FinishButton");
}

void TOrvLogoBlueForm::ApplyTexts() {
  TOrvDesktopApp* App = DesktopApp();
  auto Info = [App](int Kind) { return App ? App->GetProductInfo(Kind) : std::string(); };
  FinishButton->Text = TranslateLiteral("<PLK>Wyj&dź<ENU>E&xit");
  FinishButton->Visible = !AutoClose;
  SystemNameLabel->Text = Info(piSystemName);
  ProductNameLabel->Text = Info(piProductName);
  CompanyNameLabel->Text = Info(piCompanyName);
  LegalNoticeLabel->Text = Info(piLegalNotice);
  MailtoLabel->Text = Info(piSupportMail);
  HTTPLabel->Text = Info(piCompanyHttp);
  ProductVersionAndDateLabel->Text =
      Format(TranslateLiteral("<PLK>Wersja %s wydana %s<ENU>Version %s released %s"),
             {Info(piVersionText), Info(piReleaseDate)}, CurrentLangManager().FormatSettings);
  AllRightsReservedLabel->Text =
      TranslateLiteral("<PLK>Wszelkie prawa zastrzeżone<ENU>All rights reserved");
}

void TOrvLogoBlueForm::MailtoClick() {
  if (TOrvDesktopApp* App = DesktopApp()) App->ShellOpen("mailto:" + MailtoLabel->Text);
  Close();
}

void TOrvLogoBlueForm::HTTPClick() {
  if (TOrvDesktopApp* App = DesktopApp()) App->ShellOpen("http://" + HTTPLabel->Text);
  Close();
}

}  // namespace quin
