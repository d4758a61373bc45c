// The logon: the users file with its salted digests, the check of a login and password, and
// the logon pages with the demonstration button.
#pragma once

#include <string>
#include <string_view>

#include "web/zepform.h"

namespace quin {

// Largest users file read.
constexpr std::size_t MaxUsersFileSize = 4 << 20;
// The users file's name in the files folder; it is never served.
inline constexpr const char* UsersFileLeafName = "Quin.pwd";
// The demonstration account, whose password everybody knows.
inline constexpr const char* GuestLogin = "qazo";
inline constexpr const char* GuestPassword = "qazo";
// Longest login name and password taken from the logon page.
constexpr int MaxCredentialLength = 256;

// Checks Login and Password against the users file at FileName (read once, and again when its
// time stamps, size or identity change): the
// first "User" of a "Company" below the root "QuinPwd" whose "Login" equals Login and whose
// "Password" equals the digest of both gives Name and SurveysPath (Windows-1250). Any failure
// gives false.
bool CheckUserLogon(const std::string& FileName, std::string_view Login, std::string_view Password,
                    std::string& Name, std::string& SurveysPath);
// The same on the running controller's users file.
bool CheckUserLogon(std::string_view Login, std::string_view Password, std::string& Name,
                    std::string& SurveysPath);
std::string UsersFileName();
// How many times a users file has been read and parsed in this process.
std::size_t UsersFileReadCount();

class TZepLogonForm : public TZepForm {
  QUIN_CLASS(TZepLogonForm, TZepForm)
 public:
  TZepLogonForm() = default;
  void ApplyTexts() override;
  std::string GetHelpTopic() const override { return "ZepLogon"; }
  std::string GetSubtitle() const override;

  TWebRegion* LogonRegion = nullptr;
  // Tells that the session before this one has ended, or that the survey a start address
  // named was not found (shown on the session's first logon page only).
  TWebLabel* NoticeLabel = nullptr;
  // The survey not found; empty when the notice is about an ended session.
  std::string MissingSurvey;
  TWebLabel* RegisteredLabel = nullptr;
  TWebLabel* DemoLabel = nullptr;
  TWebLabel* UserLabel = nullptr;
  TWebLabel* PasswordLabel = nullptr;
  TWebButton* DemoButton = nullptr;
  TWebEdit* UserEdit = nullptr;
  TWebEdit* PasswordEdit = nullptr;
  TWebButton* OKButton = nullptr;

 protected:
  void CreateControls() override;
  void IWAppFormCreate() override;
  virtual void OKButtonClick();
  virtual void DemoButtonClick() {}
};

class THobLogonForm : public TZepLogonForm {
  QUIN_CLASS(THobLogonForm, TZepLogonForm)
 public:
  THobLogonForm() = default;
  std::string GetHelpTopic() const override { return "HobLogon"; }

 protected:
  void IWAppFormCreate() override;
  void OKButtonClick() override;
  void DemoButtonClick() override;
};

}  // namespace quin
