#include "base/urlprobe.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

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

}  // namespace

bool URLProbing() { return ProbingEnabled.load(); }
void SetURLProbing(bool Enabled) { ProbingEnabled.store(Enabled); }

std::chrono::milliseconds SetURLProbeTimeout(std::chrono::milliseconds Total) {
  const long Ms = static_cast<long>(std::max<std::chrono::milliseconds::rep>(Total.count(), 1));
  return std::chrono::milliseconds(TimeoutMs.exchange(Ms));
}

bool URLExists(std::string_view URL) {
  if (!URLProbing()) return true;
  if (URL.empty() || HasNul(URL)) return false;
  std::string Address(URL);
  if (Address.find("://") == std::string::npos) Address = "http://" + Address;
  std::call_once(CurlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  std::unique_ptr<CURL, CurlFree> C(curl_easy_init());
  if (!C) return false;
  const std::string Agent = ApplicationTitle();
  const long Total = TimeoutMs.load();
  CURL* H = C.get();
  if (curl_easy_setopt(H, CURLOPT_URL, Address.c_str()) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, "http,https") != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_MAXREDIRS, 5L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, std::min(5000L, Total)) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_TIMEOUT_MS, Total) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_USERAGENT, Agent.c_str()) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_HTTPGET, 1L) != CURLE_OK ||
      curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, DiscardBody) != CURLE_OK)
    return false;
  if (curl_easy_perform(H) != CURLE_OK) return false;
  long Code = 0;
  if (curl_easy_getinfo(H, CURLINFO_RESPONSE_CODE, &Code) != CURLE_OK) return false;
  return Code == 200 || Code == 401;
}

}  // namespace quin
