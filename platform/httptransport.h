// The HTTP/1.1 transport under the web-form layer: a few I/O threads serve any number of
// connections; every complete request is handed to the dispatcher (which runs it on a worker
// pool) and its answer comes back to the connection's I/O thread. A slow or idle connection
// holds no worker, and a long page computation holds no I/O thread.
//
// Deadlines: a request head must arrive whole within HeadTimeout of its first byte, a body at
// MinBodyRate from its first bytes after that grace, and an idle kept-alive connection is
// closed after IdleTimeout.
// Requests of one connection are answered in order (pipelining). Connections are counted per
// client address: the peer's, or for a trusted proxy the address it forwards in
// X-Forwarded-For.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/webmessage.h"

namespace quin {

struct THttpSettings {
  std::string Host = "0.0.0.0";
  int Port = 8888;    // 0: any free port
  int IoThreads = 0;  // 0: half the cores, from 2 to 4
  int Backlog = 4096;
  std::chrono::milliseconds HeadTimeout{10000};
  std::chrono::milliseconds IdleTimeout{15000};
  // Bytes per second a request body (and an answer the client reads) must keep up after the
  // HeadTimeout's grace.
  std::size_t MinBodyRate = 8192;
  std::size_t MaxHeadSize = 16 * 1024;
  std::size_t MaxBodySize = 1 << 20;
  std::size_t MaxValueCount = 4096;
  std::size_t MaxConnections = 20000;
  std::size_t MaxConnectionsPerAddress = 128;
  // Peers whose X-Forwarded-For names the client (addresses as text, e.g. "127.0.0.1").
  std::vector<std::string> TrustedProxies;
};

class THttpTransport {
 public:
  // Sends the answer of one request; callable from any thread, once.
  using TReply = std::function<void(TWebResponse)>;
  // Called on an I/O thread: answers at once (Reply there) or hands the request to a worker.
  using TDispatch = std::function<void(TWebRequest, TReply)>;

  THttpTransport(THttpSettings Settings, TDispatch Dispatch);
  ~THttpTransport();
  THttpTransport(const THttpTransport&) = delete;
  THttpTransport& operator=(const THttpTransport&) = delete;

  // Binds and listens (no address or port sharing), then starts the I/O threads. Raises
  // Exception with a clear text when the address cannot be bound.
  void Start();
  // Stops accepting and ends every connection; answers still to come are dropped.
  void Stop();
  // The address and port bound.
  std::string Address() const;
  int Port() const;
  std::size_t ConnectionCount() const;

  // The answer the transport gives by itself (errors, refusals) and the web layer's pages
  // alike carry these headers.
  static void AddSecurityHeaders(TWebResponse& Response);

  struct TImpl;  // the listener, the I/O threads and the connection counts

 private:
  std::unique_ptr<TImpl> FImpl;
};

// The connections a transport takes in all: MaxConnections, or three quarters of the
// descriptor limit when that is less (beyond the cap a new connection gets a canned 503).
std::size_t ConnectionCap(std::size_t MaxConnections, std::uint64_t DescriptorLimit);

// A short HTML page with Text for an answer of the given status (no-store).
TWebResponse TextResponse(int Status, std::string_view Text);

}  // namespace quin
