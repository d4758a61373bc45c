// The HTTP server of the web pages: sessions tracked in the URL, one request of a session at
// a time, the session timeout, events posted by the pages, and the web files.
//
// URLs: GET "/" (with the start parameters, e.g. "/?lang=en") opens a session and redirects
// to "/s/<session>/"; GET there renders the active page; POST there carries the page's values
// and "__evt=<control>:<kind>:<argument>"; POST "/s/<session>/async" runs an asynchronous
// timer; "/s/<session>/img/<control>" serves an image control's file; "/Files/Quin/..." serves
// the allowed web files, "/favicon.ico" the files folder's icon. A request for a session that
// has ended opens a new session (in the ended one's language) whose pages tell so.
//
// Sessions nobody has logged on to are cheap and go first: each client address keeps at most
// MaxAnonymousSessionsPerAddress of them (its oldest one ends when it opens another), and at
// MaxSessions the oldest of them all ends to make room. Sessions logged on to an account without
// a password (the guest) are the next cheapest: at most MaxGuestSessionsPerAddress per address
// and MaxGuestSessions in all (the oldest ends), so they never take the room of the users who
// log on with a password.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/webform.h"
#include "platform/webmessage.h"
#include "platform/websession.h"

namespace quin {

class THttpTransport;
class TJobLimit;
class TOrvLangManager;
class TWorkerPool;

struct TWebServerSettings {
  std::string Host = "0.0.0.0";
  int Port = 8888;  // 0: any free port (see TWebServer::Port)
  std::chrono::milliseconds SessionTimeout{60000};
  int ThreadPoolSize = 255;
  // Sessions whose requests run at once (a session's request may compute its tables, which
  // keeps a core busy): the others' requests wait in order, holding no worker, so that as many
  // computations run as the machine has cores for and the workers stay free for the rest.
  // 0: twice the cores, at least 4 (room for requests that wait on a file or a program).
  int MaxBusySessions = 0;
  // Folders end with '/'. FilesFolder defaults to AppPath + "Files/Quin/", CacheFolder to
  // AppPath + "UserCache/".
  std::string AppPath;
  std::string FilesFolder;
  std::string FilesUrl = "/Files/Quin/";
  std::string CacheFolder;
  std::size_t MaxBodySize = 1 << 20;
  std::size_t MaxValueCount = 4096;
  std::size_t MaxSessions = 10000;
  std::size_t MaxFileSize = std::size_t(256) << 20;
  std::size_t MaxAnonymousSessionsPerAddress = 50;
  std::size_t MaxGuestSessionsPerAddress = 50;
  std::size_t MaxGuestSessions = 2000;
  // A session keeps at most this many of its start request's parameters, each "name=value" at
  // most MaxStartParamSize bytes (longer ones are dropped).
  std::size_t MaxStartParams = 16;
  std::size_t MaxStartParamSize = 1024;
  // Ended sessions whose language is remembered for the page that tells they ended.
  std::size_t EndedSessionsRemembered = 10000;
  // Names below the files folder that are never served (the users file).
  std::vector<std::string> HiddenFiles;
  // The transport: I/O threads, deadlines, connection limits and the trusted proxies.
  int IoThreads = 0;  // 0: half the cores, from 2 to 4
  std::chrono::milliseconds HeadTimeout{10000};
  std::chrono::milliseconds IdleTimeout{15000};
  std::size_t MinBodyRate = 8192;
  std::size_t MaxConnectionsPerAddress = 128;
  std::vector<std::string> TrustedProxies;
  // How long Stop waits for page handlers still running.
  std::chrono::milliseconds StopGrace{3000};
};

// The limit of busy sessions Settings give (MaxBusySessions, or its default).
int BusySessionLimit(const TWebServerSettings& Settings);

class TWebServer {
 public:
  explicit TWebServer(TWebServerSettings Settings);
  virtual ~TWebServer();
  TWebServer(const TWebServer&) = delete;
  TWebServer& operator=(const TWebServer&) = delete;

  // A new session: the handler creates the session's data object and may show its first page
  // or set its start page class.
  std::function<void(TWebSession&)> OnNewSession;
  // A session ends (timeout or server stop); its data object and pages are freed afterwards.
  std::function<void(TWebSession&)> OnCloseSession;
  // The language manager bound to the thread together with the session; null: none.
  std::function<TOrvLangManager*(TWebSession&)> SessionLangManager;
  // A session got a new identifier at logon; OldId has ended.
  std::function<void(TWebSession&, const std::string& OldId)> OnRenewSession;
  // Looks at a start request before a session is made for it: a non-empty result is the
  // address the browser is sent to instead, and no session is made. Null: every start request
  // opens a session.
  std::function<std::string(const TWebRequest&)> OnStartRequest;
  // Which start parameters (by name, in the browser's character set) a session keeps; null:
  // every one (within MaxStartParams and MaxStartParamSize).
  std::function<bool(std::string_view Name)> KeepStartParam;

  const TWebServerSettings& Settings() const { return FSettings; }

  // Serves one request without sockets; the HTTP server calls it for every request: for a web
  // file on its I/O thread, for anything else on a worker. What it throws is logged and
  // answered with status 500 there (a derived server may add to it, e.g. in tests).
  virtual TWebResponse Handle(const TWebRequest& Request);

  // Listens on Host:Port (never sharing it) with the worker pool; returns once listening.
  // Raises Exception with a clear text when the address cannot be bound.
  void Start();
  // The address and port listened on (the chosen port when Settings.Port was 0).
  const std::string& Address() const { return FAddress; }
  int Port() const { return FPort; }
  // Stops listening and ends every connection at once, waits at most StopGrace for the page
  // handlers still running, then closes every session. False when a handler was still running
  // (its session stays open; the caller ends the process).
  bool Stop();

  // Closes the sessions idle for longer than the timeout (the timeout thread runs it).
  void CloseIdleSessions();
  std::size_t SessionCount() const;

 private:
  friend class TWebSession;
  using TSessionPtr = std::shared_ptr<TWebSession>;
  using TSessionsBySeq = std::map<std::uint64_t, TSessionPtr>;
  TSessionPtr FindSession(const std::string& Id) const;
  // The caller holds the session's lock; the session is no longer registered.
  void CloseSession(const TSessionPtr& Session);
  // Takes a session out of the registry (FSessionsLock held) and remembers its language.
  void Unregister(TWebSession& Session);
  // The cheap sessions of one kind (not logged on, or the guest's), oldest first, in all and
  // per creating address.
  struct TCheapSessions {
    TSessionsBySeq All;
    std::unordered_map<std::string, TSessionsBySeq> ByAddress;
  };
  using TVictims = std::vector<std::pair<TSessionPtr, std::unique_lock<std::mutex>>>;
  // Enters a registered session into the list of its kind, if it is a cheap one (FSessionsLock
  // held).
  void AddCheap(const TSessionPtr& Session);
  void RemoveCheap(TWebSession& Session);
  // Ends the oldest idle session of From but Keep (FSessionsLock held); false when none could.
  bool EndOldest(TSessionsBySeq& From, TVictims& Victims, const TWebSession* Keep = nullptr);
  // Ends the oldest guest sessions beyond the cap of Keep's address, and the oldest of all
  // beyond theirs; never Keep, whose request the caller serves.
  void TrimGuests(const TWebSession& Keep, TVictims& Victims);
  void CloseVictims(TVictims& Victims);
  void RememberEnded(const std::string& Id, const std::string& LangCode);
  std::string LangCodeOf(TWebSession& Session);
  // Ends not-logged-on sessions to make room for one more from Address; false when there is
  // no room.
  bool MakeRoom(const std::string& Address);
  void RenewId(TWebSession& Session);
  std::string PublishFile(TWebSession& Session, const std::string& Path, bool NoCache);
  // The path of a published file and its session's identifier; false when the name is not
  // (or no longer) published.
  bool PublishedFile(const std::string& Name, std::string& Path, std::string& SessionId) const;
  // The uncached files URL: the files URL with "Files" turned into "FilesNC".
  std::string NoCacheUrl() const;
  // The registered session a request's path names; null when none.
  TSessionPtr SessionOf(const std::string& Path) const;
  // Runs Job on a worker once no other request of Session is being served there.
  void RunInTurn(const TSessionPtr& Session, std::function<void()> Job);
  void NextTurn(const TSessionPtr& Session);
  void SetLoggedOn(TWebSession& Session, bool LoggedOn, bool Guest);
  // The start request's parameters a session keeps, as "name=value" in Windows-1250.
  std::vector<std::string> StartParamsOf(const TWebRequest& Request) const;
  TWebResponse NewSession(const TWebRequest& Request, bool AfterEnded, const std::string& LangCode);
  TWebResponse EndedSession(const TWebRequest& Request, const std::string& Sid,
                            const std::string& Rest);
  TWebResponse Route(const TWebRequest& Request);
  // Answers a request of the HTTP server through Reply and writes its access line; whatever
  // Handle throws is logged and answered with status 500.
  void Serve(const TWebRequest& Request, const std::function<void(TWebResponse)>& Reply) noexcept;
  TWebResponse SessionRequest(const TWebRequest& Request, const std::string& Sid,
                              const std::string& Rest);
  TWebResponse PageRequest(TWebSession& Session, const TWebRequest& Request);
  TWebResponse AsyncRequest(TWebSession& Session, const TWebRequest& Request);
  TWebResponse ImageRequest(TWebSession& Session, const std::string& ControlId);
  TWebResponse StaticFile(const std::string& DecodedPath);
  TWebResponse RenderActive(TWebSession& Session);
  void RunHandler(TWebSession& Session, const std::function<void()>& Handler);
  void TimeoutLoop();

  TWebServerSettings FSettings;
  mutable std::mutex FSessionsLock;
  std::unordered_map<std::string, TSessionPtr> FSessions;
  // The files published by the sessions: random name -> session.
  std::unordered_map<std::string, TWebSession*> FPublished;
  // Sessions nobody has logged on to, and sessions of the guest.
  TCheapSessions FAnonymous;
  TCheapSessions FGuests;
  std::uint64_t FNextSeq = 0;
  // Identifiers of ended sessions with their language codes, oldest first.
  std::unordered_map<std::string, std::string> FEnded;
  std::deque<std::string> FEndedOrder;

  // Web files read lately, by their path below the files folder: an entry serves for a moment
  // (a changed file or link is seen after it), and only small files are kept.
  struct TAssetCache {
    struct TEntry {
      TWebResponse Response;
      std::chrono::steady_clock::time_point Read;
    };
    static constexpr std::chrono::milliseconds Fresh{2000};
    static constexpr std::size_t MaxFile = 512 * 1024;
    static constexpr std::size_t MaxBytes = 16 << 20;
    std::mutex Lock;
    std::unordered_map<std::string, TEntry> Entries;
    std::size_t Bytes = 0;
    bool Find(const std::string& Rel, TWebResponse& R);
    void Keep(const std::string& Rel, const TWebResponse& R);
  };
  std::unique_ptr<TAssetCache> FAssets;

  std::unique_ptr<TWorkerPool> FPool;
  std::unique_ptr<TJobLimit> FSessionJobs;  // the busy sessions' requests, over FPool
  std::unique_ptr<THttpTransport> FHttp;
  std::string FAddress;
  int FPort = 0;

  std::mutex FTimerLock;
  std::condition_variable FTimerWake;
  bool FStopping = false;
  std::thread FTimerThread;
};

}  // namespace quin
