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

void TWebServer::AddCheap(const TSessionPtr& Session) {
  TCheapSessions* List = !Session->FLoggedOn ? &FAnonymous : (Session->FGuest ? &FGuests : nullptr);
  if (!List) return;
  Session->FCheapKind = List == &FAnonymous ? 1 : 2;
  Session->FSeq = ++FNextSeq;
  List->All[Session->FSeq] = Session;
  List->ByAddress[Session->FOwnerAddress][Session->FSeq] = Session;
}

void TWebServer::RemoveCheap(TWebSession& Session) {
  if (Session.FCheapKind == 0) return;
  TCheapSessions& List = Session.FCheapKind == 1 ? FAnonymous : FGuests;
  Session.FCheapKind = 0;
  List.All.erase(Session.FSeq);
  auto It = List.ByAddress.find(Session.FOwnerAddress);
  if (It == List.ByAddress.end()) return;
  It->second.erase(Session.FSeq);
  if (It->second.empty()) List.ByAddress.erase(It);
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
  RemoveCheap(Session);
  for (const auto& [Path, Name] : Session.FPublished) FPublished.erase(Name);
  Session.FPublished.clear();
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

bool TWebServer::EndOldest(TSessionsBySeq& From, TVictims& Victims, const TWebSession* Keep) {
  // Victims are taken out of the list while both locks are held (a session busy with a
  // request is passed over, and so is Keep, whose request this thread serves), and closed
  // afterwards.
  for (auto& [Seq, S] : From) {
    if (S.get() == Keep) continue;
    std::unique_lock<std::mutex> L(S->FLock, std::try_to_lock);
    if (!L.owns_lock()) continue;
    TSessionPtr Victim = S;
    RememberEnded(Victim->Id(), LangCodeOf(*Victim));
    Unregister(*Victim);
    Victims.emplace_back(std::move(Victim), std::move(L));
    return true;
  }
  return false;
}

void TWebServer::TrimGuests(const TWebSession& Keep, TVictims& Victims) {
  const std::string& Address = Keep.FOwnerAddress;
  for (;;) {
    auto Own = FGuests.ByAddress.find(Address);
    if (Own == FGuests.ByAddress.end() ||
        Own->second.size() <= FSettings.MaxGuestSessionsPerAddress ||
        !EndOldest(Own->second, Victims, &Keep))
      break;
  }
  while (FGuests.All.size() > FSettings.MaxGuestSessions &&
         EndOldest(FGuests.All, Victims, &Keep)) {
  }
}

void TWebServer::CloseVictims(TVictims& Victims) {
  for (auto& [S, L] : Victims) CloseSession(S);
  Victims.clear();
}

bool TWebServer::MakeRoom(const std::string& Address) {
  TVictims Victims;
  bool Room = true;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (;;) {
      auto Own = FAnonymous.ByAddress.find(Address);
      if (Own == FAnonymous.ByAddress.end() ||
          Own->second.size() < FSettings.MaxAnonymousSessionsPerAddress ||
          !EndOldest(Own->second, Victims))
        break;
    }
    // At the cap the oldest not-logged-on session goes, then the oldest of the guest's.
    while (FSessions.size() >= FSettings.MaxSessions) {
      if (!EndOldest(FAnonymous.All, Victims) && !EndOldest(FGuests.All, Victims)) {
        Room = false;
        break;
      }
    }
  }
  CloseVictims(Victims);
  return Room;
}

std::vector<std::string> TWebServer::StartParamsOf(const TWebRequest& Request) const {
  // Only what the start-up reads is kept, each within a field's size: a large form posted to
  // the start address costs the session nothing.
  std::vector<std::string> Params;
  for (const auto& [N, V] : Request.Values.Items) {
    if (Params.size() >= FSettings.MaxStartParams) break;
    if (N.size() + V.size() + 1 > FSettings.MaxStartParamSize) continue;
    if (KeepStartParam && !KeepStartParam(N)) continue;
    Params.push_back(Iso88592ToCp1250(N) + "=" + Iso88592ToCp1250(V));
  }
  return Params;
}

TWebResponse TWebServer::NewSession(const TWebRequest& Request, bool AfterEnded,
                                    const std::string& LangCode) {
  if (!AfterEnded && OnStartRequest) {
    std::string To = OnStartRequest(Request);
    if (!To.empty()) {
      TWebResponse R;
      R.Status = 303;
      R.Headers.emplace_back("Location", std::move(To));
      R.Headers.emplace_back("Cache-Control", "no-store");
      return R;
    }
  }
  if (!MakeRoom(Request.ClientAddress))
    return TextResponse(503, "Too many sessions; please try again later.");
  TSessionPtr S(new TWebSession(*this, NewSessionId(), StartParamsOf(Request)));
  S->FOwnerAddress = S->FClientAddress = Request.ClientAddress;
  S->FFollowsEnded = AfterEnded;
  S->FEndedLangCode = LangCode;
  TVictims Victims;
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
    for (const auto& [Path, Name] : S->FPublished) FPublished[Name] = S.get();
    AddCheap(S);
    // A guest logon at the start (the start address named a survey) counts at once.
    if (S->FCheapKind == 2) TrimGuests(*S, Victims);
  }
  CloseVictims(Victims);
  TWebResponse R;
  R.Status = 302;
  R.Headers.emplace_back("Location", S->UrlBase());
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

void TWebServer::SetLoggedOn(TWebSession& Session, bool LoggedOn, bool Guest) {
  // The caller serves a request of the session (its lock is held, so it is never a victim).
  TVictims Victims;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    Guest = LoggedOn && Guest;
    if (Session.FLoggedOn == LoggedOn && Session.FGuest == Guest) return;
    RemoveCheap(Session);
    Session.FLoggedOn = LoggedOn;
    Session.FGuest = Guest;
    if (!Session.FRegistered) return;
    auto It = FSessions.find(Session.Id());
    if (It != FSessions.end()) AddCheap(It->second);
    if (Session.FCheapKind == 2) TrimGuests(Session, Victims);
  }
  CloseVictims(Victims);
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

std::string TWebServer::PublishFile(TWebSession& Session, const std::string& Path, bool NoCache) {
  // Only a file directly in one of the session's own folders.
  const std::string& Files = FSettings.FilesFolder;
  std::string Folder, Leaf;
  if (Path.compare(0, Files.size(), Files) == 0) {
    const std::string Rel = Path.substr(Files.size());
    for (const char* F : {"TMPCharts", "TMPReports"}) {
      const std::string Own = std::string(F) + "/" + Session.Id() + "/";
      if (Rel.compare(0, Own.size(), Own) == 0) {
        Folder = F;
        Leaf = Rel.substr(Own.size());
      }
    }
  }
  if (Folder.empty() || Leaf.empty() || Leaf.find('/') != std::string::npos || Leaf == "." ||
      Leaf == "..")
    throw Exception("The file is not in the session's folders: " + Path);
  std::string Name;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (const auto& [P, N] : Session.FPublished)
      if (P == Path) Name = N;
    if (Name.empty()) {
      Name = NewSessionId();
      Session.FPublished.emplace_back(Path, Name);
      if (Session.FRegistered) FPublished[Name] = &Session;
      // A session keeps the names of its last files only.
      if (Session.FPublished.size() > 256) {
        FPublished.erase(Session.FPublished.front().second);
        Session.FPublished.pop_front();
      }
    }
  }
  // The file's own name is not shown (it may number the session's charts); its type is.
  const std::string Ext = FileExtension(Leaf);
  return (NoCache ? NoCacheUrl() : FSettings.FilesUrl) + Folder + "/" + Name +
         (Ext.empty() ? "" : "." + Ext);
}

bool TWebServer::PublishedFile(const std::string& Name, std::string& Path,
                               std::string& SessionId) const {
  std::lock_guard<std::mutex> G(FSessionsLock);
  auto It = FPublished.find(Name);
  if (It == FPublished.end()) return false;
  for (const auto& [P, N] : It->second->FPublished)
    if (N == Name) Path = P;
  SessionId = It->second->Id();
  return !Path.empty();
}

std::string TWebServer::NoCacheUrl() const {
  std::string Url = FSettings.FilesUrl;
  if (size_t At = Url.find("Files"); At != std::string::npos) Url.replace(At, 5, "FilesNC");
  return Url;
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
