// A browser session: its pages, its data object, its start parameters and the replies queued
// for the browser. The server serialises a session's requests and binds the session to the
// serving thread while a request runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/metaclass.h"
#include "platform/webform.h"

namespace quin {

class TWebServer;

class TWebSession {
 public:
  ~TWebSession();
  TWebSession(const TWebSession&) = delete;
  TWebSession& operator=(const TWebSession&) = delete;

  // The identifier travelling in the URL (32 hexadecimal digits).
  const std::string& Id() const { return FId; }
  // The start request's parameters, "name=value" each, in the order they came.
  const std::vector<std::string>& StartParams() const { return FStartParams; }
  // The URL every request of this session goes to: "/s/<id>/".
  std::string UrlBase() const { return "/s/" + FId + "/"; }
  // The address of the client whose request is being served (the peer's, or the one a
  // trusted proxy forwards).
  const std::string& ClientAddress() const { return FClientAddress; }
  // A user has logged on: the session gets a new identifier (the old one ends, so a link shared
  // before the logon no longer reaches it) and no longer counts among the cheap sessions that
  // go first. During a request its answer sends the browser to the new address.
  // A Guest logon (an account without a password) keeps the session among the cheap ones: the
  // guest's sessions are capped per address and in all.
  void MarkLoggedOn(bool Guest = false);
  // Nobody is logged on any more: the session counts among the cheap ones again.
  void MarkLoggedOff();
  bool IsLoggedOn() const { return FLoggedOn; }
  bool IsGuest() const { return FLoggedOn && FGuest; }
  // True for a session opened for a request that reached an ended session; EndedLangCode is
  // the language code that session had ("enu", "plk"; empty when unknown).
  bool FollowsEndedSession() const { return FFollowsEnded; }
  const std::string& EndedLangCode() const { return FEndedLangCode; }
  // Holds the answer to the current request back for at least Delay (the connection waits,
  // no worker).
  void DelayReply(std::chrono::milliseconds Delay);

  // Settings of the server, with trailing '/': the application folder, the web files folder
  // and its URL, and the layer's own folder for files made for download.
  const std::string& AppPath() const;
  const std::string& FilesFolder() const;
  const std::string& FilesUrl() const;
  const std::string& CacheFolder() const;

  // The application's session object, owned by the session.
  TObject* Data() const { return FData.get(); }
  void SetData(std::unique_ptr<TObject> AData) { FData = std::move(AData); }

  // Creates a page owned by this session (not shown yet). The page is attached to the session
  // before its AfterConstruction runs.
  template <class T, class... A>
  T* CreateForm(A&&... Args) {
    std::unique_ptr<T> P(new T(std::forward<A>(Args)...));
    T* Raw = P.get();
    AttachForm(std::move(P));
    ConstructForm(Raw);
    return Raw;
  }
  // The same for a registered page class; raises Exception when the class is abstract or no
  // page class.
  TWebForm* CreateForm(const ClassInfo& FormClass);
  // The page class shown when the session has no page (first request, last page released).
  void SetStartForm(const ClassInfo* FormClass) { FStartForm = FormClass; }
  const ClassInfo* StartForm() const { return FStartForm; }

  // Shows Form on top of the session's pages.
  void Show(TWebForm* Form);
  // Releases Form; the page below comes back. While an event runs, the page is freed when the
  // handler returns (it may go on working until then).
  void Release(TWebForm* Form);
  // Releases the active page and shows Form.
  void ReplaceActiveForm(TWebForm* Form);
  // Frees Obj after the pages released so far: during an event when the event ends (a page
  // released in it may go on working until then), otherwise at once. An object that pages
  // point into outlives them.
  void FreeAfterPages(std::unique_ptr<TObject> Obj);
  // The page on top (released pages excluded); null when none.
  TWebForm* ActiveForm() const;
  // Every page of the session, in creation order.
  std::vector<TWebForm*> Forms() const;
  // Pages shown, bottom first (released pages excluded).
  std::vector<TWebForm*> FormStack() const;

  // The address of a file in this session's own folders below the files folder ("TMPCharts/"
  // or "TMPReports/" + identifier + "/": chart images, the print page): a random name for the
  // file (the same for the same file), never the session's identifier, served only while the
  // session lives. NoCache: below the uncached files URL. Raises Exception for any other file.
  std::string PublishFile(const std::string& Path, bool NoCache = false);

  // Replies for the browser, sent with the next page.
  void Alert(std::string Text);
  void OpenNewWindow(std::string Url);
  // Sends a file as the answer to the current request: content type from the extension,
  // "inline" disposition, DownloadName (default: the file's own name) as the file name.
  void SendFile(std::string Path, std::string DownloadName = {});

 private:
  friend class TWebServer;
  friend class TWebForm;
  friend class TWebContainer;
  TWebSession(TWebServer& Server, std::string Id, std::vector<std::string> StartParams);
  void AttachForm(std::unique_ptr<TWebForm> Form);
  // Runs the page's AfterConstruction; a page whose construction fails is freed again.
  void ConstructForm(TWebForm* Form);
  // Frees the pages released during an event and the controls deleted meanwhile.
  void FinishEvent();
  void CloseAll();

  TWebServer& FServer;
  std::string FId;
  std::vector<std::string> FStartParams;
  std::unique_ptr<TObject> FData;
  const ClassInfo* FStartForm = nullptr;
  std::vector<std::unique_ptr<TWebForm>> FForms;
  std::vector<TWebForm*> FStack;
  std::vector<std::unique_ptr<TObject>> FFreeAfterPages;
  int FNextPage = 0;
  bool FInEvent = false;
  std::vector<std::string> FAlerts;
  std::vector<std::string> FNewWindows;
  std::string FSendFile;
  std::string FSendName;
  bool FSendPending = false;

  // The files published, by path, with their random names, oldest first (FSessionsLock).
  std::deque<std::pair<std::string, std::string>> FPublished;
  std::string FClientAddress;
  std::string FOwnerAddress;  // the address that opened the session
  std::uint64_t FSeq = 0;     // place among the cheap sessions (FSessionsLock)
  bool FLoggedOn = false;     // (FSessionsLock)
  bool FGuest = false;        // logged on without a password (FSessionsLock)
  // The server's list of cheap sessions it is in: 0 none, 1 not logged on, 2 the guest's
  // (FSessionsLock).
  int FCheapKind = 0;
  bool FRegistered = false;  // in the server's list (FSessionsLock)
  bool FRenewed = false;     // the identifier changed during the current request
  bool FFollowsEnded = false;
  std::string FEndedLangCode;
  std::chrono::milliseconds FReplyDelay{0};
  // Requests that came over the network while one of this session's requests is served wait
  // here, holding no worker, and are handed to the workers one after the other.
  std::mutex FTurnLock;
  bool FInTurn = false;
  std::deque<std::function<void()>> FWaiting;

  // Held while a request of this session runs.
  std::mutex FLock;
  std::chrono::steady_clock::time_point FLastAccess;
  bool FClosed = false;
};

// The session bound to the calling thread; null outside a request.
TWebSession* CurrentWebSession();

// Binds a session to the calling thread for the guard's lifetime (the server does it around
// every request; tests and tools may do it too).
class TWebSessionBinding {
 public:
  explicit TWebSessionBinding(TWebSession* Session);
  ~TWebSessionBinding();
  TWebSessionBinding(const TWebSessionBinding&) = delete;
  TWebSessionBinding& operator=(const TWebSessionBinding&) = delete;

 private:
  TWebSession* FPrevious;
};

}  // namespace quin
