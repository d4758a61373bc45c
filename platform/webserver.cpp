#include "platform/webserver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/log.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/html.h"
#include "platform/httptransport.h"
#include "platform/workerpool.h"

namespace quin {

namespace {

std::string WithSlash(std::string S) {
  if (!S.empty() && S.back() != '/') S += '/';
  return S;
}

bool IsSessionId(std::string_view S) {
  return S.size() == 32 && std::all_of(S.begin(), S.end(), [](char C) {
           return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f');
         });
}

TWebResponse Redirect(std::string Location) {
  TWebResponse R;
  R.Status = 302;
  R.Headers.emplace_back("Location", std::move(Location));
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

std::string RealPath(const std::string& Path) {
  char Buf[PATH_MAX];
  if (!realpath(Path.c_str(), Buf)) return {};
  return Buf;
}

// Name for a download header: no quotes, backslashes or control characters.
std::string HeaderFileName(std::string_view Name) {
  std::string R;
  for (char C : Name) {
    unsigned char B = static_cast<unsigned char>(C);
    R += (B < 0x20 || B >= 0x7F || C == '"' || C == '\\' || C == ';') ? '_' : C;
  }
  return R;
}

// The types of the web files (style sheet, images, icon).
bool IsAssetType(std::string_view FileName) {
  static const char* const Assets[] = {"css", "gif", "jpg", "png", "ico"};
  std::string Ext = FileExtension(FileName);
  return std::any_of(std::begin(Assets), std::end(Assets),
                     [&Ext](const char* A) { return Ext == A; });
}

std::vector<std::string_view> SplitPath(std::string_view S) {
  std::vector<std::string_view> R;
  size_t Start = 0;
  for (;;) {
    size_t Slash = S.find('/', Start);
    R.push_back(S.substr(Start, Slash == std::string_view::npos ? Slash : Slash - Start));
    if (Slash == std::string_view::npos) break;
    Start = Slash + 1;
  }
  return R;
}

}  // namespace

TWebServer::TWebServer(TWebServerSettings Settings)
    : FSettings(std::move(Settings)), FAssets(std::make_unique<TAssetCache>()) {
  FSettings.AppPath = WithSlash(FSettings.AppPath);
  if (FSettings.FilesFolder.empty()) FSettings.FilesFolder = FSettings.AppPath + "Files/Quin/";
  FSettings.FilesFolder = WithSlash(FSettings.FilesFolder);
  if (FSettings.CacheFolder.empty()) FSettings.CacheFolder = FSettings.AppPath + "UserCache/";
  FSettings.CacheFolder = WithSlash(FSettings.CacheFolder);
  FSettings.FilesUrl = WithSlash(FSettings.FilesUrl);
  if (FSettings.ThreadPoolSize < 1) FSettings.ThreadPoolSize = 1;
  FTimerThread = std::thread([this] { TimeoutLoop(); });
}

TWebServer::~TWebServer() { Stop(); }

// --- requests ---

TWebResponse TWebServer::Handle(const TWebRequest& Request) {
  TWebResponse R = Route(Request);
  THttpTransport::AddSecurityHeaders(R);
  return R;
}

void TWebServer::Serve(const TWebRequest& Request,
                       const std::function<void(TWebResponse)>& Reply) noexcept {
  try {
    const auto Started = std::chrono::steady_clock::now();
    const std::string_view Path = Request.Path;
    const bool OfSession = Path.compare(0, 3, "/s/") == 0 && IsSessionId(Path.substr(3, 32));
    TLogScope Scope(OfSession ? Path.substr(3, 32) : std::string_view(), Path);
    TWebResponse R;
    try {
      R = Handle(Request);
    } catch (...) {
      LogCaught(TLogLevel::Error, "the request failed");
      R = TextResponse(500, "The server could not answer this request.");
      THttpTransport::AddSecurityHeaders(R);
    }
    const auto Ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - Started)
                        .count();
    Log(TLogLevel::Info, Request.ClientAddress + " " + Request.Method + " " +
                             std::to_string(R.Status) + " " + std::to_string(R.Body.size()) +
                             " B " + std::to_string(Ms) + " ms");
    Reply(std::move(R));
  } catch (...) {
    LogCaught(TLogLevel::Error, "the request could not be answered");
  }
}

TWebResponse TWebServer::Route(const TWebRequest& Request) {
  std::size_t Total = 0;
  for (const auto& [N, V] : Request.Values.Items) Total += N.size() + V.size() + 2;
  if (Total > FSettings.MaxBodySize || Request.Values.Items.size() > FSettings.MaxValueCount)
    return TextResponse(413, "Request too large.");
  bool Read = Request.Method == "GET" || Request.Method == "HEAD";
  auto NotAllowed = [](const char* Allow) {
    TWebResponse R = TextResponse(405, "Method not allowed.");
    R.Headers.emplace_back("Allow", Allow);
    return R;
  };
  if (!Read && Request.Method != "POST") return NotAllowed("GET, HEAD, POST");

  const std::string& Raw = Request.Path;
  if (Raw == "/") return NewSession(Request, false, {});
  if (Raw.compare(0, 3, "/s/") == 0) {
    std::string Decoded = UrlDecode(Raw, false);
    size_t Slash = Decoded.find('/', 3);
    if (Slash == std::string::npos)
      return IsSessionId(Decoded.substr(3)) ? Redirect(Decoded + "/")
                                            : TextResponse(404, "Not found.");
    return SessionRequest(Request, Decoded.substr(3, Slash - 3), Decoded.substr(Slash + 1));
  }
  bool Icon = Raw == "/favicon.ico";
  // The same files without caching.
  const std::string NoCache = NoCacheUrl();
  const bool Uncached =
      NoCache != FSettings.FilesUrl && Raw.compare(0, NoCache.size(), NoCache) == 0;
  if (Icon || Uncached || Raw.compare(0, FSettings.FilesUrl.size(), FSettings.FilesUrl) == 0) {
    if (!Read) return NotAllowed("GET, HEAD");
    if (Icon) return StaticFile(FSettings.FilesUrl + "favicon.ico");
    // Encoded dots, slashes, backslashes and NUL are refused before decoding.
    std::string Lower = LowerCase(Raw);
    for (const char* Bad : {"%2e", "%2f", "%5c", "%00", "%25"})
      if (Lower.find(Bad) != std::string::npos) return TextResponse(404, "Not found.");
    if (!Uncached) return StaticFile(UrlDecode(Raw, false));
    TWebResponse R = StaticFile(FSettings.FilesUrl + UrlDecode(Raw.substr(NoCache.size()), false));
    for (auto& [N, V] : R.Headers)
      if (N == "Cache-Control") V = "no-store";
    return R;
  }
  return TextResponse(404, "Not found.");
}

TWebResponse TWebServer::SessionRequest(const TWebRequest& Request, const std::string& Sid,
                                        const std::string& Rest) {
  // Found outlives the lock guard declared after it.
  TSessionPtr Found = IsSessionId(Sid) ? FindSession(Sid) : nullptr;
  std::unique_lock<std::mutex> G;
  TWebSession* S = nullptr;
  if (Found) {
    G = std::unique_lock<std::mutex>(Found->FLock);
    // A session that ended or got a new identifier meanwhile is not reached any more.
    if (!Found->FClosed && Found->Id() == Sid) S = Found.get();
  }
  if (!S) {
    G = {};
    return EndedSession(Request, Sid, Rest);
  }
  S->FLastAccess = std::chrono::steady_clock::now();
  S->FClientAddress = Request.ClientAddress;
  S->FReplyDelay = {};
  S->FRenewed = false;
  TWebSessionBinding Bind(S);
  std::optional<TLangManagerBinding> LangBind;
  if (SessionLangManager)
    if (TOrvLangManager* LM = SessionLangManager(*S)) LangBind.emplace(LM);

  // A file to send answers only the request whose handler asked for it.
  S->FSendPending = false;
  TWebResponse R;
  if (Rest.empty()) {
    R = Request.Method == "POST" ? PageRequest(*S, Request) : RenderActive(*S);
  } else if (Rest == "async" && Request.Method == "POST") {
    R = AsyncRequest(*S, Request);
  } else if (Rest.compare(0, 4, "img/") == 0 && Request.Method != "POST") {
    R = ImageRequest(*S, Rest.substr(4));
  } else {
    R = TextResponse(404, "Not found.");
  }
  R.Delay = S->FReplyDelay;
  S->FLastAccess = std::chrono::steady_clock::now();
  return R;
}

TWebResponse TWebServer::EndedSession(const TWebRequest& Request, const std::string& Sid,
                                      const std::string& Rest) {
  // A page of an ended session gets a new session that tells the user so, in the ended
  // session's language; its timer is told the session is gone, and nothing else is served.
  if (Rest == "async") return TextResponse(410, "The session has ended.");
  if (!Rest.empty() || !IsSessionId(Sid)) return TextResponse(404, "Not found.");
  std::string Lang;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    auto It = FEnded.find(Sid);
    if (It != FEnded.end()) Lang = It->second;
  }
  TWebRequest Start{Request.Method, "/", {}, Request.ClientAddress};
  TWebResponse R = NewSession(Start, true, Lang);
  if (R.Status == 302) R.Status = 303;
  return R;
}

void TWebServer::RunHandler(TWebSession& Session, const std::function<void()>& Handler) {
  Session.FInEvent = true;
  try {
    Handler();
  } catch (const Exception& E) {
    LogCaught(TLogLevel::Warning, "a page's handler failed");
    Session.Alert(E.Message);
  } catch (const std::exception& E) {
    LogCaught(TLogLevel::Warning, "a page's handler failed");
    Session.Alert(E.what());
  } catch (...) {
    LogCaught(TLogLevel::Error, "a page's handler failed");
    Session.Alert("Unknown error.");
  }
  Session.FInEvent = false;
  Session.FinishEvent();
}

TWebResponse TWebServer::PageRequest(TWebSession& Session, const TWebRequest& Request) {
  TWebForm* F = Session.ActiveForm();
  const std::string* Page = Request.Values.Find("__page");
  // A request from a page that is no longer active only shows the active one.
  if (!F || !Page || *Page != F->PageId()) return RenderActive(Session);

  TWebValues Values;
  for (const auto& [N, V] : Request.Values.Items)
    Values.Add(Iso88592ToCp1250(N), Iso88592ToCp1250(V));

  std::vector<TWebControl*> Inputs;
  F->ForEachControl([&Inputs](TWebControl& C) {
    if (C.HasInput() && C.IsActive()) Inputs.push_back(&C);
  });
  // A refused value is never echoed.
  for (TWebControl* C : Inputs)
    if (!C->CheckInput(Values)) return TextResponse(400, "Invalid value for a control.");

  TWebControl* Target = nullptr;
  std::string Kind, Arg;
  if (const std::string* Evt = Values.Find("__evt"); Evt && !Evt->empty()) {
    size_t C1 = Evt->find(':');
    size_t C2 = C1 == std::string::npos ? C1 : Evt->find(':', C1 + 1);
    if (C2 == std::string::npos) return TextResponse(400, "Malformed event.");
    Target = F->FindControl(std::string_view(*Evt).substr(0, C1));
    Kind = Evt->substr(C1 + 1, C2 - C1 - 1);
    Arg = Evt->substr(C2 + 1);
    if (!Target || !Target->IsActive() || !Target->AcceptsEvent(Kind, Arg))
      return TextResponse(400, "The control cannot take this event.");
  }

  for (TWebControl* C : Inputs) C->ApplyInput(Values);
  if (Target) RunHandler(Session, [&] { Target->FireEvent(Kind, Arg); });

  // After a logon the browser goes to the session's new address (the page comes from there).
  if (Session.FRenewed) {
    TWebResponse R = Redirect(Session.UrlBase());
    R.Status = 303;
    return R;
  }
  if (Session.FSendPending) {
    Session.FSendPending = false;
    std::string Path = std::move(Session.FSendFile);
    std::string Name = std::move(Session.FSendName);
    if (Name.empty()) Name = Path.substr(Path.find_last_of('/') + 1);
    TWebResponse R;
    // Sent from disk in pieces, however large.
    if ((R.File = TBodyFile::Open(Path, FSettings.MaxFileSize))) {
      R.ContentType = ContentTypeOf(Name);
      std::string Disp = "inline; filename=\"" + HeaderFileName(Name) + "\"";
      std::string Utf8 = Cp1250ToUtf8(Name);
      if (Utf8 != Name) Disp += "; filename*=UTF-8''" + UrlEncode(Utf8);
      R.Headers.emplace_back("Content-Disposition", Disp);
      R.Headers.emplace_back("Cache-Control", "no-store");
      return R;
    }
    Session.Alert("The file cannot be sent: " + Name);
  }
  return RenderActive(Session);
}

TWebResponse TWebServer::AsyncRequest(TWebSession& Session, const TWebRequest& Request) {
  TWebResponse R;
  R.ContentType = std::string("text/plain; charset=") + WebCharSet;
  R.Headers.emplace_back("Cache-Control", "no-store");
  TWebForm* F = Session.ActiveForm();
  const std::string* Page = Request.Values.Find("__page");
  // A timer of a page no longer active only keeps the session alive.
  if (!F || !Page || *Page != F->PageId()) return R;
  const std::string* Evt = Request.Values.Find("__evt");
  std::string_view E = Evt ? std::string_view(*Evt) : std::string_view();
  size_t C1 = E.find(':');
  TWebControl* Target = C1 == std::string_view::npos ? nullptr : F->FindControl(E.substr(0, C1));
  if (!Target || !Target->Is<TWebTimer>() || !Target->IsActive() || E.substr(C1 + 1) != "timer:")
    return TextResponse(400, "The control cannot take this event.");
  RunHandler(Session, [Target] { Target->FireEvent("timer", {}); });
  std::string Text;
  for (const std::string& A : Session.FAlerts) Text += (Text.empty() ? "" : "\n") + A;
  Session.FAlerts.clear();
  R.Body = ToPageText(Text);
  return R;
}

TWebResponse TWebServer::ImageRequest(TWebSession& Session, const std::string& ControlId) {
  TWebForm* F = Session.ActiveForm();
  auto* Img = F ? As<TWebImageFile>(F->FindControl(ControlId)) : nullptr;
  TWebResponse R;
  if (!Img || Img->FileName.empty() ||
      !(R.File = TBodyFile::Open(Img->FileName, FSettings.MaxFileSize)))
    return TextResponse(404, "Not found.");
  R.ContentType = ContentTypeOf(Img->FileName);
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

TWebResponse TWebServer::RenderActive(TWebSession& Session) {
  if (!Session.ActiveForm() && Session.FStartForm) {
    RunHandler(Session, [&Session] { Session.CreateForm(*Session.FStartForm)->Show(); });
  }
  TWebForm* F = Session.ActiveForm();
  if (!F) return TextResponse(500, "The session has no page.");
  TWebResponse R;
  Session.FInEvent = true;
  try {
    R.Body = F->RenderPage();
  } catch (const std::exception& E) {
    LogCaught(TLogLevel::Error, "the page cannot be shown");
    R = TextResponse(500, E.what());
  }
  Session.FInEvent = false;
  Session.FinishEvent();
  if (R.Status == 200) {
    R.ContentType = std::string("text/html; charset=") + WebCharSet;
    R.Headers.emplace_back("Cache-Control", "no-store");
  }
  return R;
}

TWebResponse TWebServer::StaticFile(const std::string& DecodedPath) {
  std::string Rel = DecodedPath.substr(FSettings.FilesUrl.size());
  if (Rel.empty() || Rel.front() == '/' || Rel.find('\\') != std::string::npos ||
      Rel.find('\0') != std::string::npos)
    return TextResponse(404, "Not found.");
  std::vector<std::string_view> Parts = SplitPath(Rel);
  for (std::string_view P : Parts)
    if (P.empty() || P == "." || P == "..") return TextResponse(404, "Not found.");

  bool SessionFolder = SameText(Parts[0], "TMPCharts") || SameText(Parts[0], "TMPReports");
  std::string Source = FSettings.FilesFolder + Rel, Sid;
  if (SessionFolder) {
    // Only a file a session published, under its random name, while the session lives.
    const std::string_view Name = Parts.size() == 2 ? Parts[1].substr(0, 32) : std::string_view();
    if (!IsSessionId(Name) || !PublishedFile(std::string(Name), Source, Sid) ||
        Parts[1].substr(Name.size()) !=
            (FileExtension(Source).empty() ? "" : "." + FileExtension(Source)))
      return TextResponse(404, "Not found.");
  } else if (!IsAssetType(Rel)) {
    return TextResponse(404, "Not found.");
  }
  TWebResponse R;
  if (!SessionFolder && FAssets->Find(Rel, R)) return R;
  // The file is served by its real path: symbolic links may not lead out of the files folder
  // (or of the session's folder), nor to a file of another type, nor to a hidden file.
  std::string Root = RealPath(FSettings.FilesFolder);
  if (Root.empty()) return TextResponse(404, "Not found.");
  std::string Inside = Root + "/" + (SessionFolder ? std::string(Parts[0]) + "/" + Sid + "/" : "");
  std::string Full = RealPath(Source);
  if (Full.empty() || Full.compare(0, Inside.size(), Inside) != 0)
    return TextResponse(404, "Not found.");
  if (SessionFolder ? ContentTypeOf(Full) == ContentTypeOf("") : !IsAssetType(Full))
    return TextResponse(404, "Not found.");
  for (const std::string& Hidden : FSettings.HiddenFiles)
    if (Full == (Root + "/").append(Hidden)) return TextResponse(404, "Not found.");
  std::shared_ptr<const TBodyFile> File = TBodyFile::Open(Full, FSettings.MaxFileSize);
  if (!File) return TextResponse(404, "Not found.");
  // Small web files are kept in memory for the next requests; anything else is sent from disk.
  if (!SessionFolder && File->Size <= TAssetCache::MaxFile)
    R.Body = File->ReadAll();
  else
    R.File = std::move(File);
  R.ContentType = ContentTypeOf(Full);
  R.Headers.emplace_back("Cache-Control", SessionFolder ? "no-store" : "max-age=3600");
  if (!SessionFolder) FAssets->Keep(Rel, R);
  return R;
}

// --- web files read lately ---

bool TWebServer::TAssetCache::Find(const std::string& Rel, TWebResponse& R) {
  std::lock_guard<std::mutex> G(Lock);
  auto It = Entries.find(Rel);
  if (It == Entries.end() || std::chrono::steady_clock::now() - It->second.Read > Fresh)
    return false;
  R = It->second.Response;
  return true;
}

void TWebServer::TAssetCache::Keep(const std::string& Rel, const TWebResponse& R) {
  if (R.File || R.Body.size() > MaxFile) return;
  std::lock_guard<std::mutex> G(Lock);
  auto It = Entries.find(Rel);
  if (It != Entries.end()) {
    Bytes -= It->second.Response.Body.size();
    Entries.erase(It);
  }
  if (Bytes + R.Body.size() > MaxBytes) {
    Entries.clear();
    Bytes = 0;
  }
  Entries[Rel] = {R, std::chrono::steady_clock::now()};
  Bytes += R.Body.size();
}
}  // namespace quin
