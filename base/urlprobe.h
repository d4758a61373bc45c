// Asking a web server whether an address answers (through libcurl, which only the programs that
// probe addresses link).
#pragma once

#include <chrono>
#include <functional>
#include <string_view>

namespace quin {

// Whether an HTTP GET for URL is answered with status 200 or 401. "http://" is put in front
// when URL has no "://". Only http and https are used, also for redirects (at most 5); 5 s to
// connect and 10 s in all (SetURLProbeTimeout); the application title as user agent; the proxy from
// the environment (http_proxy, https_proxy, no_proxy); the body is discarded. When probing is
// switched off (SetURLProbing(false)) no request is made and the answer is true, so that callers
// carry on as if every address answered. In the background mode (a server's: no page waits for
// another web server) an address is probed at most once, on a thread of its own with shorter bounds
// (2 s to connect, 3 s in all), and its answer remembered; until it is known the address counts as
// answering.
bool URLExists(std::string_view URL);
bool URLProbing();
void SetURLProbing(bool Enabled);
void SetURLProbeInBackground(bool Enabled);
// Replaces the request that probes an address (null: the HTTP request above); for tests.
using TURLProbe = std::function<bool(std::string_view URL)>;
void SetURLProbe(TURLProbe Probe);
// Waits at most Timeout until no background probe is pending or running; false when some
// still is. Forgets the remembered answers when Forget is set.
bool WaitForURLProbes(std::chrono::milliseconds Timeout, bool Forget = false);
// How long a request-path probe may take in all (10 s unless set; connecting takes at most 5 s
// of it). Returns the previous time-out.
std::chrono::milliseconds SetURLProbeTimeout(std::chrono::milliseconds Total);

}  // namespace quin
