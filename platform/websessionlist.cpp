// The server's sessions: opening, the cheap not-logged-on sessions that go first, new
// identifiers at logon, ended sessions remembered, the timeout; and starting and stopping.
#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <thread>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/scopeguard.h"
#include "platform/charset.h"
#include "platform/httptransport.h"
#include "platform/webserver.h"
#include "platform/workerpool.h"

namespace quin {

namespace {

// 128 bits from the system's random source, as 32 hexadecimal digits.
std::string NewSessionId() {
  unsigned char Bytes[16];
  size_t Got = 0;
  while (Got < sizeof Bytes) {
    ssize_t N = getrandom(Bytes + Got, sizeof Bytes - Got, 0);
    if (N < 0) {
      if (errno == EINTR) continue;
      throw Exception("The system's random source failed");
    }
    Got += static_cast<size_t>(N);
  }
  static const char Hex[] = "0123456789abcdef";
  std::string R;
  for (unsigned char B : Bytes) {
    R += Hex[B >> 4];
    R += Hex[B & 0xF];
  }
  return R;
}

}  // namespace

int BusySessionLimit(const TWebServerSettings& Settings) {
  if (Settings.MaxBusySessions > 0) return Settings.MaxBusySessions;
  return static_cast<int>(std::max(4u, 2 * std::thread::hardware_concurrency()));
}

std::size_t TWebServer::SessionCount() const {
  std::lock_guard<std::mutex> G(FSessionsLock);
  return FSessions.size();
}

TWebServer::TSessionPtr TWebServer::FindSession(const std::string& Id) const {
  std::lock_guard<std::mutex> G(FSessionsLock);
  auto It = FSessions.find(Id);
  return It == FSessions.end() ? nullptr : It->second;
}

std::string TWebServer::LangCodeOf(TWebSession& Session) {
  TOrvLangManager* LM = SessionLangManager ? SessionLangManager(Session) : nullptr;
  return LM ? LM->Current() : std::string();
}

void TWebServer::AddAnonymous(const TSessionPtr& Session) {
  Session->FSeq = ++FNextSeq;
  FAnonymous[Session->FSeq] = Session;
  FAnonymousByAddress[Session->FOwnerAddress][Session->FSeq] = Session;
}

void TWebServer::RemoveAnonymous(TWebSession& Session) {
  FAnonymous.erase(Session.FSeq);
  auto It = FAnonymousByAddress.find(Session.FOwnerAddress);
  if (It == FAnonymousByAddress.end()) return;
  It->second.erase(Session.FSeq);
  if (It->second.empty()) FAnonymousByAddress.erase(It);
}

void TWebServer::RememberEnded(const std::string& Id, const std::string& LangCode) {
  if (FSettings.EndedSessionsRemembered == 0) return;
  if (FEnded.emplace(Id, LangCode).second) FEndedOrder.push_back(Id);
  while (FEndedOrder.size() > FSettings.EndedSessionsRemembered) {
    FEnded.erase(FEndedOrder.front());
    FEndedOrder.pop_front();
  }
}

void TWebServer::Unregister(TWebSession& Session) {
  if (!Session.FRegistered) return;
  Session.FRegistered = false;
  FSessions.erase(Session.Id());
  if (!Session.FLoggedOn) RemoveAnonymous(Session);
}

void TWebServer::CloseSession(const TSessionPtr& Session) {
  // The caller holds the session's lock.
  Session->FClosed = true;
  TWebSessionBinding Bind(Session.get());
  std::optional<TLangManagerBinding> LangBind;
  try {
    if (SessionLangManager)
      if (TOrvLangManager* LM = SessionLangManager(*Session)) LangBind.emplace(LM);
    if (OnCloseSession) OnCloseSession(*Session);
  } catch (...) {
    // A failing close handler must not keep the session alive.
    TLogScope Scope(Session->Id(), {});
    LogCaught(TLogLevel::Error, "closing the session failed");
  }
  LangBind.reset();
  Session->CloseAll();
}

bool TWebServer::MakeRoom(const std::string& Address) {
  // Victims are taken out of the list while both locks are held (a session busy with a
  // request is passed over), and closed afterwards.
  std::vector<std::pair<TSessionPtr, std::unique_lock<std::mutex>>> Victims;
  bool Room = true;
  auto EndOldest = [this, &Victims](TSessionsBySeq& From) {
    for (auto& [Seq, S] : From) {
      std::unique_lock<std::mutex> L(S->FLock, std::try_to_lock);
      if (!L.owns_lock()) continue;
      TSessionPtr Victim = S;
      RememberEnded(Victim->Id(), LangCodeOf(*Victim));
      Unregister(*Victim);
      Victims.emplace_back(std::move(Victim), std::move(L));
      return true;
    }
    return false;
  };
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (;;) {
      auto Own = FAnonymousByAddress.find(Address);
      if (Own == FAnonymousByAddress.end() ||
          Own->second.size() < FSettings.MaxAnonymousSessionsPerAddress || !EndOldest(Own->second))
        break;
    }
    while (FSessions.size() >= FSettings.MaxSessions) {
      if (!EndOldest(FAnonymous)) {
        Room = false;
        break;
      }
    }
  }
  for (auto& [S, L] : Victims) CloseSession(S);
  return Room;
}

TWebResponse TWebServer::NewSession(const TWebRequest& Request, bool AfterEnded,
                                    const std::string& LangCode) {
  if (!MakeRoom(Request.ClientAddress))
    return TextResponse(503, "Too many sessions; please try again later.");
  std::vector<std::string> Params;
  for (const auto& [N, V] : Request.Values.Items)
    Params.push_back(Iso88592ToCp1250(N) + "=" + Iso88592ToCp1250(V));
  TSessionPtr S(new TWebSession(*this, NewSessionId(), std::move(Params)));
  S->FOwnerAddress = S->FClientAddress = Request.ClientAddress;
  S->FFollowsEnded = AfterEnded;
  S->FEndedLangCode = LangCode;
  {
    std::lock_guard<std::mutex> G(S->FLock);
    TWebSessionBinding Bind(S.get());
    RunHandler(*S, [this, &S] {
      if (OnNewSession) OnNewSession(*S);
    });
    S->FLastAccess = std::chrono::steady_clock::now();
    S->FRenewed = false;
    std::lock_guard<std::mutex> L(FSessionsLock);
    FSessions[S->Id()] = S;
    S->FRegistered = true;
    if (!S->FLoggedOn) AddAnonymous(S);
  }
  TWebResponse R;
  R.Status = 302;
  R.Headers.emplace_back("Location", S->UrlBase());
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

void TWebServer::SetLoggedOn(TWebSession& Session, bool LoggedOn) {
  std::lock_guard<std::mutex> G(FSessionsLock);
  if (Session.FLoggedOn == LoggedOn) return;
  Session.FLoggedOn = LoggedOn;
  if (!Session.FRegistered) return;
  if (LoggedOn) {
    RemoveAnonymous(Session);
  } else {
    auto It = FSessions.find(Session.Id());
    if (It != FSessions.end()) AddAnonymous(It->second);
  }
}

void TWebServer::RenewId(TWebSession& Session) {
  // The caller serves a request of the session (its lock is held).
  std::string Old = Session.FId;
  std::string Lang = LangCodeOf(Session);
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    Session.FId = NewSessionId();
    auto It = Session.FRegistered ? FSessions.find(Old) : FSessions.end();
    if (It != FSessions.end()) {
      TSessionPtr Keep = std::move(It->second);
      FSessions.erase(It);
      FSessions[Session.FId] = std::move(Keep);
      RememberEnded(Old, Lang);
    }
  }
  Session.FRenewed = true;
  if (OnRenewSession) OnRenewSession(Session, Old);
}

void TWebServer::CloseIdleSessions() {
  auto Now = std::chrono::steady_clock::now();
  std::vector<TSessionPtr> All;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (const auto& [Id, S] : FSessions) All.push_back(S);
  }
  for (const auto& S : All) {
    // A session serving a request is not idle.
    std::unique_lock<std::mutex> G(S->FLock, std::try_to_lock);
    if (!G.owns_lock() || S->FClosed) continue;
    if (Now - S->FLastAccess <= FSettings.SessionTimeout) continue;
    std::string Lang = LangCodeOf(*S);
    {
      std::lock_guard<std::mutex> L(FSessionsLock);
      Unregister(*S);
      RememberEnded(S->Id(), Lang);
    }
    CloseSession(S);
  }
}

void TWebServer::TimeoutLoop() {
  auto Period = std::clamp(FSettings.SessionTimeout / 4, std::chrono::milliseconds(10),
                           std::chrono::milliseconds(1000));
  std::unique_lock<std::mutex> G(FTimerLock);
  while (!FStopping) {
    FTimerWake.wait_for(G, Period);
    if (FStopping) break;
    G.unlock();
    CloseIdleSessions();
    G.lock();
  }
}

TWebServer::TSessionPtr TWebServer::SessionOf(const std::string& Path) const {
  if (Path.compare(0, 3, "/s/") != 0 || Path.size() < 3 + 32) return nullptr;
  return FindSession(Path.substr(3, 32));
}

void TWebServer::RunInTurn(const TSessionPtr& Session, std::function<void()> Job) {
  {
    std::lock_guard<std::mutex> G(Session->FTurnLock);
    if (Session->FInTurn) {
      Session->FWaiting.push_back(std::move(Job));
      return;
    }
    Session->FInTurn = true;
  }
  FSessionJobs->Post([this, Session, Job = std::move(Job)] {
    Job();
    NextTurn(Session);
  });
}

void TWebServer::NextTurn(const TSessionPtr& Session) {
  std::function<void()> Next;
  {
    std::lock_guard<std::mutex> G(Session->FTurnLock);
    if (Session->FWaiting.empty()) {
      Session->FInTurn = false;
      return;
    }
    Next = std::move(Session->FWaiting.front());
    Session->FWaiting.pop_front();
  }
  FSessionJobs->Post([this, Session, Next = std::move(Next)] {
    Next();
    NextTurn(Session);
  });
}

// --- start and stop ---

void TWebServer::Start() {
  if (FHttp) throw Exception("The server is already running");
  THttpSettings H;
  H.Host = FSettings.Host;
  H.Port = FSettings.Port;
  H.IoThreads = FSettings.IoThreads;
  H.HeadTimeout = FSettings.HeadTimeout;
  H.IdleTimeout = FSettings.IdleTimeout;
  H.MinBodyRate = FSettings.MinBodyRate;
  H.MaxBodySize = FSettings.MaxBodySize;
  H.MaxValueCount = FSettings.MaxValueCount;
  H.MaxConnectionsPerAddress = FSettings.MaxConnectionsPerAddress;
  H.TrustedProxies = FSettings.TrustedProxies;
  FPool = std::make_unique<TWorkerPool>(FSettings.ThreadPoolSize);
  FSessionJobs = std::make_unique<TJobLimit>(*FPool, BusySessionLimit(FSettings));
  TWorkerPool* P = FPool.get();
  const std::string& Files = FSettings.FilesUrl;
  auto Http = std::make_unique<THttpTransport>(
      H, [this, P, &Files](TWebRequest Request, THttpTransport::TReply Reply) {
        // Nothing thrown leaves for the I/O thread's loop: Serve logs and answers what a
        // request throws, and this catches what taking the request may (out of memory).
        try {
          // A web file is a small read of a cached file: it is answered at once. The session
          // folders' files (report pages) may be larger and go to a worker like the pages.
          bool Asset = Request.Path.compare(0, Files.size(), Files) == 0 &&
                       Request.Path.find("/TMP", Files.size() - 1) == std::string::npos;
          if (Asset || Request.Path == "/favicon.ico") return Serve(Request, Reply);
          // Requests of one session are served one after the other: while one runs, the
          // others wait without holding a worker.
          TSessionPtr S = SessionOf(Request.Path);
          std::function<void()> Job = [this, Request = std::move(Request),
                                       Reply = std::move(Reply)] { Serve(Request, Reply); };
          if (S)
            RunInTurn(S, std::move(Job));
          else
            P->Post(std::move(Job));
        } catch (...) {
          LogCaught(TLogLevel::Error, "a request could not be taken");
        }
      });
  auto DropPool = OnScopeFail([&] {
    FPool.reset();
    FSessionJobs.reset();
  });
  Http->Start();
  FAddress = Http->Address();
  FPort = Http->Port();
  FHttp = std::move(Http);
}

bool TWebServer::Stop() {
  bool Ended = true;
  if (FHttp) {
    FHttp->Stop();
    Ended = FPool->Stop(FSettings.StopGrace);
    if (Ended) {
      // Requests still waiting for their session's turn hold their connections: they go
      // before the transport does.
      std::vector<std::function<void()>> Dropped;
      std::lock_guard<std::mutex> G(FSessionsLock);
      for (const auto& [Id, S] : FSessions) {
        std::lock_guard<std::mutex> T(S->FTurnLock);
        for (auto& Job : S->FWaiting) Dropped.push_back(std::move(Job));
        S->FWaiting.clear();
      }
      FSessionJobs->DropWaiting();
    }
    if (Ended) {
      FHttp.reset();
      FPool.reset();
      FSessionJobs.reset();
    } else {
      // A handler still runs and will answer through them: they stay until the process ends.
      (void)FHttp.release();
      (void)FPool.release();
      (void)FSessionJobs.release();
    }
  }
  {
    std::lock_guard<std::mutex> G(FTimerLock);
    FStopping = true;
  }
  FTimerWake.notify_all();
  if (FTimerThread.joinable()) FTimerThread.join();
  std::vector<TSessionPtr> All;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (const auto& [Id, S] : FSessions) All.push_back(S);
    for (const auto& S : All) Unregister(*S);
  }
  for (const auto& S : All) {
    std::unique_lock<std::mutex> G(S->FLock, std::defer_lock);
    if (Ended)
      G.lock();
    else if (!G.try_lock())
      continue;
    if (!S->FClosed) CloseSession(S);
  }
  return Ended;
}

}  // namespace quin
