#include "platform/websession.h"

#include <algorithm>

#include "base/exception.h"
#include "platform/webserver.h"

namespace quin {

namespace {
thread_local TWebSession* GCurrentSession = nullptr;
}

TWebSession* CurrentWebSession() { return GCurrentSession; }

TWebSessionBinding::TWebSessionBinding(TWebSession* Session) : FPrevious(GCurrentSession) {
  GCurrentSession = Session;
}

TWebSessionBinding::~TWebSessionBinding() { GCurrentSession = FPrevious; }

TWebSession::TWebSession(TWebServer& Server, std::string Id, std::vector<std::string> StartParams)
    : FServer(Server),
      FId(std::move(Id)),
      FStartParams(std::move(StartParams)),
      FLastAccess(std::chrono::steady_clock::now()) {}

TWebSession::~TWebSession() { CloseAll(); }

void TWebSession::CloseAll() {
  // Pages first (they may still use the session object), newest first; then the object.
  FStack.clear();
  while (!FForms.empty()) FForms.pop_back();
  FFreeAfterPages.clear();
  FData.reset();
  FFreeAfterPages.clear();
}

const std::string& TWebSession::AppPath() const { return FServer.Settings().AppPath; }
const std::string& TWebSession::FilesFolder() const { return FServer.Settings().FilesFolder; }
const std::string& TWebSession::FilesUrl() const { return FServer.Settings().FilesUrl; }
const std::string& TWebSession::CacheFolder() const { return FServer.Settings().CacheFolder; }

void TWebSession::AttachForm(std::unique_ptr<TWebForm> Form) {
  Form->FSession = this;
  Form->FForm = Form.get();
  Form->FId = "page";
  Form->FPageId = "p" + std::to_string(++FNextPage);
  FForms.push_back(std::move(Form));
}

TWebForm* TWebSession::CreateForm(const ClassInfo& FormClass) {
  if (!FormClass.InheritsFrom(TWebForm::StaticClass()) || !FormClass.Factory)
    throw Exception(std::string("Cannot create a page of class ") + FormClass.Name);
  std::unique_ptr<TWebForm> P(static_cast<TWebForm*>(FormClass.Factory()));
  TWebForm* Raw = P.get();
  AttachForm(std::move(P));
  ConstructForm(Raw);
  return Raw;
}

void TWebSession::ConstructForm(TWebForm* Form) {
  try {
    Form->AfterConstruction();
  } catch (...) {
    FStack.erase(std::remove(FStack.begin(), FStack.end(), Form), FStack.end());
    auto It = std::find_if(FForms.begin(), FForms.end(),
                           [Form](const auto& P) { return P.get() == Form; });
    if (It != FForms.end()) {
      std::unique_ptr<TWebForm> Gone = std::move(*It);
      FForms.erase(It);
    }
    throw;
  }
}

void TWebSession::Show(TWebForm* Form) {
  if (!Form || Form->FSession != this) throw Exception("The page belongs to another session");
  if (Form->FReleased) return;
  FStack.erase(std::remove(FStack.begin(), FStack.end(), Form), FStack.end());
  FStack.push_back(Form);
}

void TWebSession::Release(TWebForm* Form) {
  if (!Form || Form->FSession != this) throw Exception("The page belongs to another session");
  Form->FReleased = true;
  if (!FInEvent) FinishEvent();
}

void TWebSession::FreeAfterPages(std::unique_ptr<TObject> Obj) {
  if (!Obj) return;
  FFreeAfterPages.push_back(std::move(Obj));
  if (!FInEvent) FinishEvent();
}

void TWebSession::ReplaceActiveForm(TWebForm* Form) {
  if (TWebForm* Active = ActiveForm(); Active && Active != Form) Release(Active);
  Show(Form);
}

TWebForm* TWebSession::ActiveForm() const {
  for (auto It = FStack.rbegin(); It != FStack.rend(); ++It)
    if (!(*It)->FReleased) return *It;
  return nullptr;
}

std::vector<TWebForm*> TWebSession::Forms() const {
  std::vector<TWebForm*> R;
  for (const auto& F : FForms) R.push_back(F.get());
  return R;
}

std::vector<TWebForm*> TWebSession::FormStack() const {
  std::vector<TWebForm*> R;
  for (TWebForm* F : FStack)
    if (!F->FReleased) R.push_back(F);
  return R;
}

void TWebSession::FinishEvent() {
  FStack.erase(
      std::remove_if(FStack.begin(), FStack.end(), [](TWebForm* F) { return F->FReleased; }),
      FStack.end());
  // Released pages are taken out of the list before they are freed, so a page's destructor
  // sees a consistent session.
  std::vector<std::unique_ptr<TWebForm>> Gone;
  for (auto It = FForms.begin(); It != FForms.end();) {
    if ((*It)->FReleased) {
      Gone.push_back(std::move(*It));
      It = FForms.erase(It);
    } else {
      ++It;
    }
  }
  Gone.clear();
  for (const auto& F : FForms) F->FreeDeleted();
  // Newest first, as the pages.
  while (!FFreeAfterPages.empty()) FFreeAfterPages.pop_back();
}

std::string TWebSession::PublishFile(const std::string& Path, bool NoCache) {
  return FServer.PublishFile(*this, Path, NoCache);
}

void TWebSession::MarkLoggedOn(bool Guest) {
  FServer.SetLoggedOn(*this, true, Guest);
  FServer.RenewId(*this);
}

void TWebSession::MarkLoggedOff() { FServer.SetLoggedOn(*this, false, false); }

void TWebSession::DelayReply(std::chrono::milliseconds Delay) {
  FReplyDelay = std::max(FReplyDelay, Delay);
}

void TWebSession::Alert(std::string Text) { FAlerts.push_back(std::move(Text)); }

void TWebSession::OpenNewWindow(std::string Url) { FNewWindows.push_back(std::move(Url)); }

void TWebSession::SendFile(std::string Path, std::string DownloadName) {
  FSendFile = std::move(Path);
  FSendName = std::move(DownloadName);
  FSendPending = true;
}

}  // namespace quin
