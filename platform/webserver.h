// The HTTP server of the web pages: sessions tracked in the URL, one request of a session at
// a time, the session timeout, events posted by the pages, and the web files.
//
// URLs: GET "/" (with the start parameters, e.g. "/?lang=en") opens a session and redirects
// to "/s/<session>/"; GET there renders the active page; POST there carries the page's values
// and "__evt=<control>:<kind>:<argument>"; POST "/s/<session>/async" runs an asynchronous
// timer; "/s/<session>/img/<control>" serves an image control's file; "/Files/Quin/..." serves
// the allowed web files.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/webform.h"
#include "platform/websession.h"

namespace quin {

class TOrvLangManager;

struct TWebServerSettings {
  std::string Host = "0.0.0.0";
  int Port = 8888;  // 0: any free port (see TWebServer::Port)
  std::chrono::milliseconds SessionTimeout{60000};
  int ThreadPoolSize = 255;
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
};

struct TWebRequest {
  std::string Method;  // "GET" or "POST"
  std::string Path;    // as sent, percent-encoded, without the query
  TWebValues Values;   // query and form values, decoded, still in the browser's character set
};

struct TWebResponse {
  int Status = 200;
  std::string ContentType;
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;
  // The value of the named header; empty when absent.
  std::string Header(std::string_view Name) const;
};

// Content type for a file name's extension.
std::string ContentTypeOf(std::string_view FileName);

class TWebServer {
 public:
  explicit TWebServer(TWebServerSettings Settings);
  ~TWebServer();
  TWebServer(const TWebServer&) = delete;
  TWebServer& operator=(const TWebServer&) = delete;

  // A new session: the handler creates the session's data object and may show its first page
  // or set its start page class.
  std::function<void(TWebSession&)> OnNewSession;
  // A session ends (timeout or server stop); its data object and pages are freed afterwards.
  std::function<void(TWebSession&)> OnCloseSession;
  // The language manager bound to the thread together with the session; null: none.
  std::function<TOrvLangManager*(TWebSession&)> SessionLangManager;

  const TWebServerSettings& Settings() const { return FSettings; }

  // Serves one request without sockets; the HTTP server calls it for every request.
  TWebResponse Handle(const TWebRequest& Request);

  // Listens on Host:Port with the thread pool; returns once listening. Raises Exception when
  // the address cannot be bound.
  void Start();
  // The port listened on (the chosen one when Settings.Port was 0).
  int Port() const { return FPort; }
  // Stops listening, then closes every session.
  void Stop();

  // Closes the sessions idle for longer than the timeout (the timeout thread runs it).
  void CloseIdleSessions();
  std::size_t SessionCount() const;

 private:
  friend class TWebSession;
  std::shared_ptr<TWebSession> FindSession(const std::string& Id) const;
  void CloseSession(const std::shared_ptr<TWebSession>& Session);
  TWebResponse NewSession(const TWebRequest& Request);
  TWebResponse SessionRequest(const TWebRequest& Request, const std::string& Sid,
                              const std::string& Rest);
  TWebResponse PageRequest(TWebSession& Session, const TWebRequest& Request, bool Post);
  TWebResponse AsyncRequest(TWebSession& Session, const TWebRequest& Request);
  TWebResponse ImageRequest(TWebSession& Session, const std::string& ControlId);
  TWebResponse StaticFile(const std::string& DecodedPath);
  TWebResponse RenderActive(TWebSession& Session);
  void RunHandler(TWebSession& Session, const std::function<void()>& Handler);
  void TimeoutLoop();

  TWebServerSettings FSettings;
  mutable std::mutex FSessionsLock;
  std::unordered_map<std::string, std::shared_ptr<TWebSession>> FSessions;

  struct THttp;
  std::unique_ptr<THttp> FHttp;
  std::thread FListenThread;
  int FPort = 0;

  std::mutex FTimerLock;
  std::condition_variable FTimerWake;
  bool FStopping = false;
  std::thread FTimerThread;
};

}  // namespace quin
