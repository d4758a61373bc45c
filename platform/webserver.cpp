#include "platform/webserver.h"

#include <httplib.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "base/exception.h"
#include "base/langmanager.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/html.h"

namespace quin {

namespace {

std::string WithSlash(std::string S) {
  if (!S.empty() && S.back() != '/') S += '/';
  return S;
}

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

bool IsSessionId(std::string_view S) {
  return S.size() == 32 && std::all_of(S.begin(), S.end(), [](char C) {
           return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f');
         });
}

std::string Extension(std::string_view FileName) {
  size_t Slash = FileName.find_last_of('/');
  size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Dot < Slash)) return {};
  return LowerCase(FileName.substr(Dot + 1));
}

TWebResponse TextResponse(int Status, std::string_view Text) {
  TWebResponse R;
  R.Status = Status;
  R.ContentType = std::string("text/html; charset=") + WebCharSet;
  R.Body =
      "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=" +
      std::string(WebCharSet) + "\"><title>" + std::to_string(Status) + "</title></head><body><p>" +
      ToPageText(HtmlEscape(Text)) + "</p></body></html>\n";
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

TWebResponse Redirect(std::string Location) {
  TWebResponse R;
  R.Status = 302;
  R.Headers.emplace_back("Location", std::move(Location));
  R.Headers.emplace_back("Cache-Control", "no-store");
  return R;
}

// Reads a regular file of at most MaxSize bytes; false when it cannot.
bool ReadFile(const std::string& Path, std::size_t MaxSize, std::string& Data) {
  struct stat St {};
  if (stat(Path.c_str(), &St) != 0 || !S_ISREG(St.st_mode)) return false;
  if (static_cast<unsigned long long>(St.st_size) > MaxSize) return false;
  std::ifstream F(Path, std::ios::binary);
  if (!F) return false;
  Data.assign(static_cast<size_t>(St.st_size), '\0');
  F.read(Data.data(), static_cast<std::streamsize>(Data.size()));
  Data.resize(static_cast<size_t>(F.gcount()));
  return true;
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

void ParseQuery(std::string_view Text, TWebValues& Values) {
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t Amp = Text.find('&', Start);
    std::string_view Part =
        Text.substr(Start, Amp == std::string_view::npos ? std::string_view::npos : Amp - Start);
    if (!Part.empty()) {
      size_t Eq = Part.find('=');
      if (Eq == std::string_view::npos) {
        Values.Add(UrlDecode(Part, true), {});
      } else {
        Values.Add(UrlDecode(Part.substr(0, Eq), true), UrlDecode(Part.substr(Eq + 1), true));
      }
    }
    if (Amp == std::string_view::npos) break;
    Start = Amp + 1;
  }
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

std::string TWebResponse::Header(std::string_view Name) const {
  for (const auto& [N, V] : Headers)
    if (SameText(N, Name)) return V;
  return {};
}

std::string ContentTypeOf(std::string_view FileName) {
  static const std::pair<const char*, const char*> Types[] = {
      {"css", "text/css"},
      {"gif", "image/gif"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"png", "image/png"},
      {"ico", "image/x-icon"},
      {"htm", "text/html; charset=iso-8859-2"},
      {"html", "text/html; charset=iso-8859-2"},
      {"txt", "text/plain; charset=windows-1250"},
      {"csv", "text/csv; charset=windows-1250"},
      {"xml", "application/xml"},
      {"pdf", "application/pdf"},
      {"xls", "application/vnd.ms-excel"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"zip", "application/zip"},
  };
  std::string Ext = Extension(FileName);
  for (const auto& [E, T] : Types)
    if (Ext == E) return T;
  return "application/octet-stream";
}

struct TWebServer::THttp {
  httplib::Server Svr;
};

TWebServer::TWebServer(TWebServerSettings Settings) : FSettings(std::move(Settings)) {
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

std::size_t TWebServer::SessionCount() const {
  std::lock_guard<std::mutex> G(FSessionsLock);
  return FSessions.size();
}

std::shared_ptr<TWebSession> TWebServer::FindSession(const std::string& Id) const {
  std::lock_guard<std::mutex> G(FSessionsLock);
  auto It = FSessions.find(Id);
  return It == FSessions.end() ? nullptr : It->second;
}

// --- requests ---

TWebResponse TWebServer::Handle(const TWebRequest& Request) {
  std::size_t Total = 0;
  for (const auto& [N, V] : Request.Values.Items) Total += N.size() + V.size() + 2;
  if (Total > FSettings.MaxBodySize || Request.Values.Items.size() > FSettings.MaxValueCount)
    return TextResponse(413, "Request too large.");
  if (Request.Method != "GET" && Request.Method != "POST")
    return TextResponse(405, "Method not allowed.");

  const std::string& Raw = Request.Path;
  if (Raw == "/") return NewSession(Request);
  if (Raw.compare(0, 3, "/s/") == 0) {
    std::string Decoded = UrlDecode(Raw, false);
    size_t Slash = Decoded.find('/', 3);
    if (Slash == std::string::npos)
      return IsSessionId(Decoded.substr(3)) ? Redirect(Decoded + "/")
                                            : TextResponse(404, "Not found.");
    return SessionRequest(Request, Decoded.substr(3, Slash - 3), Decoded.substr(Slash + 1));
  }
  if (Raw.compare(0, FSettings.FilesUrl.size(), FSettings.FilesUrl) == 0) {
    if (Request.Method != "GET") return TextResponse(405, "Method not allowed.");
    // Encoded dots, slashes, backslashes and NUL are refused before decoding.
    std::string Lower = LowerCase(Raw);
    for (const char* Bad : {"%2e", "%2f", "%5c", "%00", "%25"})
      if (Lower.find(Bad) != std::string::npos) return TextResponse(404, "Not found.");
    return StaticFile(UrlDecode(Raw, false));
  }
  return TextResponse(404, "Not found.");
}

TWebResponse TWebServer::NewSession(const TWebRequest& Request) {
  if (SessionCount() >= FSettings.MaxSessions)
    return TextResponse(503, "Too many sessions; please try again later.");
  std::vector<std::string> Params;
  for (const auto& [N, V] : Request.Values.Items)
    Params.push_back(Iso88592ToCp1250(N) + "=" + Iso88592ToCp1250(V));
  std::shared_ptr<TWebSession> S(new TWebSession(*this, NewSessionId(), std::move(Params)));
  {
    std::lock_guard<std::mutex> G(S->FLock);
    TWebSessionBinding Bind(S.get());
    RunHandler(*S, [this, &S] {
      if (OnNewSession) OnNewSession(*S);
    });
    S->FLastAccess = std::chrono::steady_clock::now();
  }
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    FSessions[S->Id()] = S;
  }
  return Redirect(S->UrlBase());
}

TWebResponse TWebServer::SessionRequest(const TWebRequest& Request, const std::string& Sid,
                                        const std::string& Rest) {
  // Found outlives the lock guard declared after it.
  std::shared_ptr<TWebSession> Found = IsSessionId(Sid) ? FindSession(Sid) : nullptr;
  std::unique_lock<std::mutex> G;
  TWebSession* S = nullptr;
  if (Found) {
    G = std::unique_lock<std::mutex>(Found->FLock);
    if (!Found->FClosed) S = Found.get();
  }
  if (!S) {
    // An ended session: a page request starts anew, anything else is gone.
    if (Rest.empty() && Request.Method == "GET") return Redirect("/");
    return TextResponse(410, "The session has ended.");
  }
  S->FLastAccess = std::chrono::steady_clock::now();
  TWebSessionBinding Bind(S);
  std::optional<TLangManagerBinding> LangBind;
  if (SessionLangManager)
    if (TOrvLangManager* LM = SessionLangManager(*S)) LangBind.emplace(LM);

  // A file to send answers only the request whose handler asked for it.
  S->FSendPending = false;
  TWebResponse R;
  if (Rest.empty()) {
    R = Request.Method == "POST" ? PageRequest(*S, Request, true) : RenderActive(*S);
  } else if (Rest == "async") {
    R = AsyncRequest(*S, Request);
  } else if (Rest.compare(0, 4, "img/") == 0 && Request.Method == "GET") {
    R = ImageRequest(*S, Rest.substr(4));
  } else {
    R = TextResponse(404, "Not found.");
  }
  S->FLastAccess = std::chrono::steady_clock::now();
  return R;
}

void TWebServer::RunHandler(TWebSession& Session, const std::function<void()>& Handler) {
  Session.FInEvent = true;
  try {
    Handler();
  } catch (const Exception& E) {
    Session.Alert(E.Message);
  } catch (const std::exception& E) {
    Session.Alert(E.what());
  } catch (...) {
    Session.Alert("Unknown error.");
  }
  Session.FInEvent = false;
  Session.FinishEvent();
}

TWebResponse TWebServer::PageRequest(TWebSession& Session, const TWebRequest& Request, bool) {
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

  if (Session.FSendPending) {
    Session.FSendPending = false;
    std::string Path = std::move(Session.FSendFile);
    std::string Name = std::move(Session.FSendName);
    if (Name.empty()) Name = Path.substr(Path.find_last_of('/') + 1);
    TWebResponse R;
    if (ReadFile(Path, FSettings.MaxFileSize, R.Body)) {
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
  if (!Img || Img->FileName.empty() || !ReadFile(Img->FileName, FSettings.MaxFileSize, R.Body))
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
  if (SessionFolder) {
    // Only the session's own files, directly in its folder.
    if (Parts.size() != 3 || !IsSessionId(Parts[1]) || !FindSession(std::string(Parts[1])))
      return TextResponse(404, "Not found.");
  } else {
    static const char* const Assets[] = {"css", "gif", "jpg", "png", "ico"};
    std::string Ext = Extension(Rel);
    if (std::none_of(std::begin(Assets), std::end(Assets),
                     [&Ext](const char* A) { return Ext == A; }))
      return TextResponse(404, "Not found.");
  }
  // Symbolic links may not lead out of the files folder.
  std::string Root = RealPath(FSettings.FilesFolder);
  std::string Full = RealPath(FSettings.FilesFolder + Rel);
  if (Root.empty() || Full.empty() || Full.compare(0, Root.size() + 1, Root + "/") != 0)
    return TextResponse(404, "Not found.");
  TWebResponse R;
  if (!ReadFile(Full, FSettings.MaxFileSize, R.Body)) return TextResponse(404, "Not found.");
  R.ContentType = ContentTypeOf(Rel);
  R.Headers.emplace_back("Cache-Control", SessionFolder ? "no-store" : "max-age=3600");
  return R;
}

// --- session timeout ---

void TWebServer::CloseSession(const std::shared_ptr<TWebSession>& Session) {
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
  }
  LangBind.reset();
  Session->CloseAll();
}

void TWebServer::CloseIdleSessions() {
  auto Now = std::chrono::steady_clock::now();
  std::vector<std::shared_ptr<TWebSession>> All;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (const auto& [Id, S] : FSessions) All.push_back(S);
  }
  for (const auto& S : All) {
    // A session serving a request is not idle.
    std::unique_lock<std::mutex> G(S->FLock, std::try_to_lock);
    if (!G.owns_lock() || S->FClosed) continue;
    if (Now - S->FLastAccess <= FSettings.SessionTimeout) continue;
    {
      std::lock_guard<std::mutex> L(FSessionsLock);
      FSessions.erase(S->Id());
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

// --- HTTP ---

void TWebServer::Start() {
  if (FHttp) throw Exception("The server is already running");
  FHttp = std::make_unique<THttp>();
  httplib::Server& Svr = FHttp->Svr;
  int Threads = FSettings.ThreadPoolSize;
  Svr.new_task_queue = [Threads] { return new httplib::ThreadPool(static_cast<size_t>(Threads)); };
  Svr.set_payload_max_length(FSettings.MaxBodySize);
  // A body is read only when its length is declared (httplib refuses one over the limit
  // itself). A body sent in chunks, or up to the end of the connection, would be read whole
  // before any limit applied, so such requests are answered from their head alone.
  Svr.set_pre_routing_handler([](const httplib::Request& Req, httplib::Response& Res) {
    bool Undeclared =
        Req.has_header("Transfer-Encoding") ||
        (Req.method != "GET" && Req.method != "HEAD" && !Req.has_header("Content-Length"));
    if (!Undeclared) return httplib::Server::HandlerResponse::Unhandled;
    TWebResponse W = TextResponse(411, "Length required.");
    Res.status = W.Status;
    Res.set_header("Connection", "close");
    Res.set_content(W.Body, W.ContentType.c_str());
    return httplib::Server::HandlerResponse::Handled;
  });
  auto Serve = [this](const httplib::Request& Req, httplib::Response& Res) {
    TWebRequest R;
    R.Method = Req.method;
    size_t Q = Req.target.find('?');
    R.Path = Req.target.substr(0, Q);
    if (Q != std::string::npos) ParseQuery(std::string_view(Req.target).substr(Q + 1), R.Values);
    if (Req.method == "POST") {
      if (Req.is_multipart_form_data()) {
        for (const auto& [Name, Item] : Req.files) R.Values.Add(Name, Item.content);
      } else if (Req.get_header_value("Content-Type")
                     .rfind("application/x-www-form-urlencoded", 0) == 0) {
        ParseQuery(Req.body, R.Values);
      }
    }
    TWebResponse W = Handle(R);
    Res.status = W.Status;
    for (const auto& [N, V] : W.Headers) Res.set_header(N.c_str(), V);
    if (!W.ContentType.empty() || !W.Body.empty())
      Res.set_content(W.Body, W.ContentType.empty() ? "text/plain" : W.ContentType.c_str());
  };
  Svr.Get(".*", Serve);
  Svr.Post(".*", Serve);
  int Port = FSettings.Port;
  if (Port == 0) {
    Port = Svr.bind_to_any_port(FSettings.Host);
  } else if (!Svr.bind_to_port(FSettings.Host, Port)) {
    Port = -1;
  }
  if (Port <= 0) {
    FHttp.reset();
    throw Exception("Cannot listen on " + FSettings.Host + ":" + std::to_string(FSettings.Port));
  }
  FPort = Port;
  FListenThread = std::thread([this] { FHttp->Svr.listen_after_bind(); });
  for (int I = 0; I < 5000 && !FHttp->Svr.is_running(); ++I)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!FHttp->Svr.is_running()) {
    Stop();
    throw Exception("The server did not start on port " + std::to_string(FPort));
  }
}

void TWebServer::Stop() {
  if (FHttp) {
    FHttp->Svr.stop();
    if (FListenThread.joinable()) FListenThread.join();
    FHttp.reset();
  }
  {
    std::lock_guard<std::mutex> G(FTimerLock);
    FStopping = true;
  }
  FTimerWake.notify_all();
  if (FTimerThread.joinable()) FTimerThread.join();
  std::vector<std::shared_ptr<TWebSession>> All;
  {
    std::lock_guard<std::mutex> G(FSessionsLock);
    for (const auto& [Id, S] : FSessions) All.push_back(S);
    FSessions.clear();
  }
  for (const auto& S : All) {
    std::lock_guard<std::mutex> G(S->FLock);
    if (!S->FClosed) CloseSession(S);
  }
}

}  // namespace quin
