#include "base/urlprobe.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "base/process.h"

namespace quin {

namespace {

std::atomic<bool> ProbingEnabled{true};
std::atomic<long> TimeoutMs{10000};
std::once_flag CurlInitOnce;

bool HasNul(std::string_view S) { return S.find('\0') != std::string_view::npos; }

size_t DiscardBody(char*, size_t Size, size_t Count, void*) { return Size * Count; }

struct CurlFree {
  void operator()(CURL* C) const { curl_easy_cleanup(C); }
};

// Stops a transfer once the background prober is asked to end.
int AbortWhenSet(void* Flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<std::atomic<bool>*>(Flag)->load() ? 1 : 0;
}

// The HTTP request. Abort, when given, ends it early once set.
bool HttpProbe(std::string_view URL, long ConnectMs, long TotalMs, std::atomic<bool>* Abort);

// The background prober: one thread, a bounded queue of addresses, the answers remembered.
class TBackgroundProber {
 public:
  ~TBackgroundProber() {
    {
      std::lock_guard<std::mutex> G(FLock);
      FStop = true;
      FAbort = true;
    }
    FWake.notify_all();
    if (FThread.joinable()) FThread.join();
  }
  bool Exists(const std::string& URL) {
    std::lock_guard<std::mutex> G(FLock);
    auto It = FKnown.find(URL);
    if (It != FKnown.end()) return It->second;
    if (!FPending.count(URL) && FQueue.size() < MaxQueue && !FStop) {
      FPending.insert(URL);
      FQueue.push_back(URL);
      if (!FThread.joinable()) FThread = std::thread([this] { Loop(); });
      FWake.notify_all();
    }
    return true;
  }
  bool Wait(std::chrono::milliseconds Timeout, bool Forget) {
    std::unique_lock<std::mutex> G(FLock);
    bool Idle = FDone.wait_for(G, Timeout, [this] { return FPending.empty(); });
    if (Forget) FKnown.clear();
    return Idle;
  }
  void SetProbe(TURLProbe Probe) {
    std::lock_guard<std::mutex> G(FLock);
    FProbe = std::move(Probe);
  }
  TURLProbe Probe() {
    std::lock_guard<std::mutex> G(FLock);
    return FProbe;
  }

 private:
  static constexpr std::size_t MaxQueue = 256;
  static constexpr std::size_t MaxKnown = 4096;
  void Loop() {
    std::unique_lock<std::mutex> G(FLock);
    for (;;) {
      FWake.wait(G, [this] { return FStop || !FQueue.empty(); });
      if (FStop) break;
      std::string URL = std::move(FQueue.front());
      FQueue.pop_front();
      TURLProbe Probe = FProbe;
      G.unlock();
      bool Found = Probe ? Probe(URL) : HttpProbe(URL, 2000, 3000, &FAbort);
      G.lock();
      if (FKnown.size() >= MaxKnown) FKnown.clear();
      FKnown[URL] = Found;
      FPending.erase(URL);
      FDone.notify_all();
    }
    FPending.clear();
    FDone.notify_all();
  }
  std::mutex FLock;
  std::condition_variable FWake, FDone;
  std::deque<std::string> FQueue;
  std::unordered_set<std::string> FPending;
  std::unordered_map<std::string, bool> FKnown;
  TURLProbe FProbe;
  bool FStop = false;
  std::atomic<bool> FAbort{false};
  std::thread FThread;
};

std::atomic<bool> InBackground{false};

TBackgroundProber& Prober() {
  static TBackgroundProber P;
  return P;
}

}  // namespace

bool URLProbing() { return ProbingEnabled.load(); }
void SetURLProbing(bool Enabled) { ProbingEnabled.store(Enabled); }
void SetURLProbeInBackground(bool Enabled) { InBackground.store(Enabled); }
void SetURLProbe(TURLProbe Probe) { Prober().SetProbe(std::move(Probe)); }
bool WaitForURLProbes(std::chrono::milliseconds Timeout, bool Forget) {
  return Prober().Wait(Timeout, Forget);
}

std::chrono::milliseconds SetURLProbeTimeout(std::chrono::milliseconds Total) {
  const long Ms = static_cast<long>(std::max<std::chrono::milliseconds::rep>(Total.count(), 1));
  return std::chrono::milliseconds(TimeoutMs.exchange(Ms));
}

bool URLExists(std::string_view URL) {
  if (!URLProbing()) return true;
  if (URL.empty() || HasNul(URL)) return false;
  if (InBackground.load()) return Prober().Exists(std::string(URL));
  if (TURLProbe Probe = Prober().Probe()) return Probe(URL);
  const long Total = TimeoutMs.load();
  return HttpProbe(URL, std::min(5000L, Total), Total, nullptr);
}

namespace {

bool HttpProbe(std::string_view URL, long ConnectMs, long TotalMs, std::atomic<bool>* Abort) {
  if (URL.empty() || HasNul(URL)) return false;
  std::string Address(URL);
  if (Address.find("://") == std::string::npos) Address = "http://" + Address;
  std::call_once(CurlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  std::unique_ptr<CURL, CurlFree> C(curl_easy_init());
  if (!C) return false;
  const std::string Agent = ApplicationTitle();
  CURL* H = C.get();
  if (curl_easy_setopt(H, CURLOPT_URL, Address.c_str()) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_MAXREDIRS, 5L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, ConnectMs) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_TIMEOUT_MS, TotalMs) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_USERAGENT, Agent.c_str()) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_HTTPGET, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, DiscardBody) != CURLE_OK)
    return false;
  if (Abort && (curl_easy_setopt(H, CURLOPT_XFERINFOFUNCTION, AbortWhenSet) != CURLE_OK ||
                curl_easy_setopt(H, CURLOPT_XFERINFODATA, Abort) != CURLE_OK ||
                curl_easy_setopt(H, CURLOPT_NOPROGRESS, 0L) != CURLE_OK))
    return false;
  if (curl_easy_perform(H) != CURLE_OK) return false;
  long Code = 0;
  if (curl_easy_getinfo(H, CURLINFO_RESPONSE_CODE, &Code) != CURLE_OK) return false;
  return Code == 200 || Code == 401;
}

}  // namespace

}  // namespace quin
