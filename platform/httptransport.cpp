#include "platform/httptransport.h"

#include <sys/resource.h>

#include <atomic>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "base/exception.h"
#include "base/format.h"
#include "base/text.h"
#include "platform/charset.h"
#include "platform/html.h"

namespace quin {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using TErrorCode = beast::error_code;

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

void THttpTransport::AddSecurityHeaders(TWebResponse& Response) {
  static const std::pair<const char*, const char*> Security[] = {
      {"Referrer-Policy", "no-referrer"},
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Content-Security-Policy", "frame-ancestors 'none'"},
  };
  for (const auto& [N, V] : Security)
    if (Response.Header(N).empty()) Response.Headers.emplace_back(N, V);
}

namespace {

// The address as text, an IPv4 address mapped into IPv6 written as IPv4.
std::string AddressText(const net::ip::address& A) {
  if (A.is_v6() && A.to_v6().is_v4_mapped())
    return net::ip::make_address_v4(net::ip::v4_mapped, A.to_v6()).to_string();
  return A.to_string();
}

// The canned refusal, with the headers every answer carries.
std::string BusyAnswer() {
  TWebResponse W;
  THttpTransport::AddSecurityHeaders(W);
  std::string Text =
      "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n"
      "Retry-After: 5\r\n";
  for (const auto& [N, V] : W.Headers) Text.append(N).append(": ").append(V).append("\r\n");
  return Text + "\r\n";
}

// A canned refusal written without waiting, before the connection is closed.
void RefuseConnection(tcp::socket& Socket) {
  static const std::string Busy = BusyAnswer();
  TErrorCode Ec;
  Socket.non_blocking(true, Ec);
  Socket.send(net::buffer(Busy), 0, Ec);
  Socket.shutdown(tcp::socket::shutdown_both, Ec);
  Socket.close(Ec);
}

}  // namespace

struct THttpTransport::TImpl {
  TImpl(THttpSettings Settings, TDispatch D) : S(std::move(Settings)), Dispatch(std::move(D)) {}

  bool IsTrusted(const std::string& Address) const {
    for (const std::string& P : S.TrustedProxies)
      if (P == Address) return true;
    return false;
  }
  // A connection from Address counted in all and for its address (Proxy: in all only, its
  // client is known from its head). Once half the room is taken, an address that holds
  // several connections already gets no more, so that clients arriving then are served.
  bool Admit(const std::string& Address, bool Proxy) {
    std::lock_guard<std::mutex> G(CountLock);
    if (Total >= Cap) return false;
    if (!Proxy) {
      auto It = PerAddress.find(Address);
      std::size_t Held = It == PerAddress.end() ? 0 : It->second;
      if (Held >= S.MaxConnectionsPerAddress) return false;
      if (Total >= Cap / 2 && Held >= FairShare) return false;
      ++PerAddress[Address];
    }
    ++Total;
    return true;
  }
  void ReleaseTotal() {
    std::lock_guard<std::mutex> G(CountLock);
    --Total;
  }
  // The memory of the file pieces being sent, all connections together.
  bool TakeSendBudget(std::size_t Bytes) {
    std::size_t Now = SendBytes.load();
    do {
      if (Now + Bytes > SendBudget) return false;
    } while (!SendBytes.compare_exchange_weak(Now, Now + Bytes));
    return true;
  }
  void GiveSendBudget(std::size_t Bytes) { SendBytes -= Bytes; }
  bool AcquireAddress(const std::string& Address) {
    std::lock_guard<std::mutex> G(CountLock);
    std::size_t& N = PerAddress[Address];
    if (N >= S.MaxConnectionsPerAddress) {
      if (N == 0) PerAddress.erase(Address);
      return false;
    }
    ++N;
    return true;
  }
  void ReleaseAddress(const std::string& Address) {
    std::lock_guard<std::mutex> G(CountLock);
    auto It = PerAddress.find(Address);
    if (It != PerAddress.end() && --It->second == 0) PerAddress.erase(It);
  }
  void Accept();
  void OnAccepted(tcp::socket Socket);

  THttpSettings S;
  TDispatch Dispatch;
  std::atomic<bool> Stopping{false};
  // The connections allowed in all (MaxConnections, below the descriptor limit), and how many
  // one address may hold once half of them are taken.
  std::size_t Cap = 0;
  static constexpr std::size_t FairShare = 8;
  static constexpr std::size_t SendBudget = 32 << 20;
  std::atomic<std::size_t> SendBytes{0};
  mutable std::mutex CountLock;
  std::unordered_map<std::string, std::size_t> PerAddress;
  std::size_t Total = 0;
  std::string BoundAddress;
  int BoundPort = 0;
  std::vector<std::thread> Threads;
  // Declared last, destroyed first: the handlers it still holds (and the connections they
  // keep) go while the counters above still exist.
  net::io_context Ioc;
  tcp::acceptor Acceptor{Ioc};
  net::steady_timer AcceptRetry{Ioc};
};

namespace {

class TConnection : public std::enable_shared_from_this<TConnection> {
 public:
  TConnection(THttpTransport::TImpl& T, tcp::socket&& Socket, std::string Peer, bool ViaProxy)
      : T(T),
        Stream(std::move(Socket)),
        Buffer(T.S.MaxHeadSize + 64 * 1024),
        DelayTimer(Stream.get_executor()),
        Peer(std::move(Peer)),
        ViaProxy(ViaProxy) {
    if (!ViaProxy) Client = this->Peer;
  }
  ~TConnection() {
    ReleaseClient();
    T.ReleaseTotal();
  }
  void Start() {
    net::dispatch(Stream.get_executor(), [Self = shared_from_this()] { Self->WaitForRequest(); });
  }

 private:
  using TSelf = std::shared_ptr<TConnection>;

  // Between requests: the next request's first byte must come within the idle time.
  void WaitForRequest() {
    if (T.Stopping) return Close();
    if (Buffer.size() > 0) return ReadHead();
    Stream.expires_after(T.S.IdleTimeout);
    Stream.async_read_some(Buffer.prepare(4096),
                           [Self = shared_from_this()](TErrorCode Ec, std::size_t N) {
                             if (Ec) return Self->Close();
                             Self->Buffer.commit(N);
                             Self->ReadHead();
                           });
  }

  void ReadHead() {
    Parser.emplace();
    Parser->header_limit(static_cast<std::uint32_t>(T.S.MaxHeadSize));
    Parser->body_limit(T.S.MaxBodySize);
    Stream.expires_after(T.S.HeadTimeout);
    http::async_read_header(
        Stream, Buffer, *Parser,
        [Self = shared_from_this()](TErrorCode Ec, std::size_t) { Self->OnHead(Ec); });
  }

  static bool IsGone(const TErrorCode& Ec) {
    return Ec == beast::error::timeout || Ec == http::error::end_of_stream ||
           Ec == http::error::partial_message || Ec == net::error::eof ||
           Ec == net::error::connection_reset || Ec == net::error::operation_aborted ||
           Ec == net::error::bad_descriptor;
  }

  // The client named by a trusted proxy: the last X-Forwarded-For entry that is no trusted
  // proxy itself; the peer when there is none.
  std::string ForwardedClient(const http::request<http::string_body>& Req) const {
    std::string Fwd;
    for (const auto& F : Req)
      if (beast::iequals(F.name_string(), "X-Forwarded-For")) {
        if (!Fwd.empty()) Fwd += ',';
        Fwd += std::string(F.value());
      }
    std::size_t End = Fwd.size();
    while (End > 0) {
      std::size_t Comma = Fwd.rfind(',', End - 1);
      std::size_t Start = Comma == std::string::npos ? 0 : Comma + 1;
      std::string Item = Fwd.substr(Start, End - Start);
      std::size_t A = Item.find_first_not_of(" \t"), B = Item.find_last_not_of(" \t");
      Item = A == std::string::npos ? std::string() : Item.substr(A, B - A + 1);
      TErrorCode Ec;
      net::ip::address Addr = net::ip::make_address(Item, Ec);
      if (Ec) break;
      std::string Text = AddressText(Addr);
      if (!T.IsTrusted(Text)) return Text;
      if (Comma == std::string::npos) break;
      End = Comma;
    }
    return Peer;
  }

  void OnHead(const TErrorCode& Ec) {
    if (IsGone(Ec)) return Close();
    if (Ec == http::error::header_limit) return Refuse(431, "Request header too large.");
    if (Ec == http::error::body_limit) return Refuse(413, "Request too large.");
    if (Ec) return Refuse(400, "Bad request.");
    auto& Req = Parser->get();
    Version = Req.version();
    Head = Req.method() == http::verb::head;
    std::size_t Hosts = Req.count(http::field::host);
    if ((Version >= 11 && Hosts == 0) || Hosts > 1) return Refuse(400, "Bad request (Host).");
    if (Req.count(http::field::transfer_encoding) > 0) return Refuse(411, "Length required.");
    http::verb M = Req.method();
    if (M != http::verb::get && M != http::verb::head && M != http::verb::post)
      return Refuse(405, "Method not allowed.", "GET, HEAD, POST");
    if (ViaProxy) {
      std::string Fwd = ForwardedClient(Req);
      if (Fwd != Client) {
        if (!Client.empty()) T.ReleaseAddress(Client);
        Client.clear();
        if (!T.AcquireAddress(Fwd)) return Refuse(503, "Too many connections.");
        Client = Fwd;
      }
    }
    auto Length = Parser->content_length();
    if (M == http::verb::post && !Length) return Refuse(411, "Length required.");
    if (Length && *Length > T.S.MaxBodySize) return Refuse(413, "Request too large.");
    if (!Length || *Length == 0 || Parser->is_done()) return OnBody({});
    BodyStart = std::chrono::steady_clock::now();
    BodyGot = 0;
    ReadBody();
  }

  // The body must keep up MinBodyRate from its first bytes, after the head's grace: each read
  // must come before the bytes so far fall behind (whatever length the head declared).
  void ReadBody() {
    Stream.expires_at(BodyStart + T.S.HeadTimeout + RateTime(BodyGot));
    http::async_read_some(Stream, Buffer, *Parser,
                          [Self = shared_from_this()](TErrorCode Ec, std::size_t N) {
                            if (Ec) return Self->OnBody(Ec);
                            Self->BodyGot += N;
                            if (Self->Parser->is_done()) return Self->OnBody({});
                            Self->ReadBody();
                          });
  }

  // How long Bytes may take at the minimum rate.
  std::chrono::steady_clock::duration RateTime(std::uint64_t Bytes) const {
    return std::chrono::milliseconds(Bytes * 1000 / std::max<std::size_t>(T.S.MinBodyRate, 1));
  }

  void OnBody(const TErrorCode& Ec) {
    if (Ec == http::error::body_limit) return Refuse(413, "Request too large.");
    if (IsGone(Ec)) return Close();
    if (Ec) return Refuse(400, "Bad request.");
    Stream.expires_never();
    auto& Req = Parser->get();
    TWebRequest R;
    R.Method = std::string(Req.method_string());
    std::string_view Target(Req.target().data(), Req.target().size());
    std::size_t Q = Target.find('?');
    R.Path = std::string(Target.substr(0, Q));
    if (Q != std::string_view::npos) ParseQuery(Target.substr(Q + 1), R.Values);
    if (Req.method() == http::verb::post) {
      std::string_view Type(Req[http::field::content_type].data(),
                            Req[http::field::content_type].size());
      std::string Boundary = MultipartBoundary(Type);
      if (!Boundary.empty()) {
        if (!ParseMultipart(Req.body(), Boundary, T.S.MaxValueCount, R.Values))
          return Refuse(400, "Malformed form data.");
      } else if (LowerCase(Type).rfind("application/x-www-form-urlencoded", 0) == 0) {
        ParseQuery(Req.body(), R.Values);
      }
    }
    R.ClientAddress = Client.empty() ? Peer : Client;
    KeepAlive = Req.keep_alive();
    Parser.reset();
    // An answer given at once runs on here; one from a worker comes back to this connection's
    // strand.
    T.Dispatch(std::move(R), [Self = shared_from_this()](TWebResponse W) {
      net::dispatch(Self->Stream.get_executor(),
                    [Self, W = std::move(W)]() mutable { Self->Answer(std::move(W)); });
    });
  }

  void Answer(TWebResponse W) {
    if (W.Delay.count() > 0) {
      DelayTimer.expires_after(W.Delay);
      W.Delay = {};
      DelayTimer.async_wait([Self = shared_from_this(), W = std::move(W)](TErrorCode Ec) mutable {
        if (Ec) return Self->Close();
        Self->Answer(std::move(W));
      });
      return;
    }
    Write(std::move(W), KeepAlive && !T.Stopping);
  }

  void Refuse(int Status, std::string_view Text, const char* Allow = nullptr) {
    TWebResponse W = TextResponse(Status, Text);
    if (Allow) W.Headers.emplace_back("Allow", Allow);
    THttpTransport::AddSecurityHeaders(W);
    Parser.reset();
    Write(std::move(W), false);
  }

  void Write(TWebResponse W, bool Keep) {
    if (W.File) return WriteFile(std::move(W), Keep);
    auto Res = std::make_shared<http::response<http::string_body>>();
    Res->version(Version);
    Res->result(static_cast<unsigned>(W.Status));
    for (auto& [N, V] : W.Headers) Res->insert(N, V);
    if (!W.ContentType.empty()) Res->set(http::field::content_type, W.ContentType);
    std::size_t Size = W.Body.size();
    Res->body() = std::move(W.Body);
    Res->keep_alive(Keep);
    Res->prepare_payload();
    Stream.expires_after(T.S.HeadTimeout +
                         std::chrono::seconds(Size / std::max<std::size_t>(T.S.MinBodyRate, 1)));
    auto Done = [Self = shared_from_this(), Keep](TErrorCode Ec, std::size_t) {
      if (Ec) return Self->Close();
      if (!Keep) return Self->Linger();
      Self->WaitForRequest();
    };
    if (Head) {
      // The head of the answer a GET would get, without its body.
      auto H = std::make_shared<http::response<http::empty_body>>(std::move(Res->base()));
      H->content_length(Size);
      http::async_write(Stream, *H, [H, Done](TErrorCode Ec, std::size_t N) { Done(Ec, N); });
    } else {
      http::async_write(Stream, *Res, [Res, Done](TErrorCode Ec, std::size_t N) { Done(Ec, N); });
    }
  }

  // A closing connection no longer counts for its client's address.
  void ReleaseClient() {
    if (!Client.empty()) T.ReleaseAddress(Client);
    Client.clear();
  }

  // An answer whose body is a file: its head, then the file in pieces read as the client takes
  // them, at MinBodyRate at least (after the head's grace). The pieces of all connections
  // together stay within the transport's budget; a connection that finds it spent tries again
  // shortly.
  void WriteFile(TWebResponse W, bool Keep) {
    auto Res = std::make_shared<http::response<http::empty_body>>();
    Res->version(Version);
    Res->result(static_cast<unsigned>(W.Status));
    for (auto& [N, V] : W.Headers) Res->insert(N, V);
    if (!W.ContentType.empty()) Res->set(http::field::content_type, W.ContentType);
    Res->keep_alive(Keep);
    Res->content_length(W.File->Size);
    SendFile = std::move(W.File);
    SendKeep = Keep;
    SendStart = std::chrono::steady_clock::now();
    SendDone = 0;
    Stream.expires_at(SendStart + T.S.HeadTimeout);
    auto Ser = std::make_shared<http::response_serializer<http::empty_body>>(*Res);
    http::async_write_header(Stream, *Ser,
                             [Self = shared_from_this(), Res, Ser](TErrorCode Ec, std::size_t) {
                               if (Ec) return Self->Close();
                               if (Self->Head) return Self->FileSent();
                               Self->WritePiece();
                             });
  }

  void WritePiece() {
    if (SendDone >= SendFile->Size) return FileSent();
    if (!T.TakeSendBudget(FilePiece)) {
      // Waiting for room counts against the deadline too.
      if (std::chrono::steady_clock::now() > SendStart + T.S.HeadTimeout + RateTime(SendDone))
        return Close();
      DelayTimer.expires_after(std::chrono::milliseconds(10));
      DelayTimer.async_wait([Self = shared_from_this()](TErrorCode Ec) {
        if (Ec) return Self->Close();
        Self->WritePiece();
      });
      return;
    }
    auto Piece = std::shared_ptr<char[]>(new char[FilePiece]);
    std::size_t N = SendFile->Read(SendDone, Piece.get(), FilePiece);
    if (N == 0) {
      // The file shrank or cannot be read: the answer cannot be completed.
      T.GiveSendBudget(FilePiece);
      return Close();
    }
    Stream.expires_at(SendStart + T.S.HeadTimeout + RateTime(SendDone + N));
    net::async_write(Stream, net::buffer(Piece.get(), N),
                     [Self = shared_from_this(), Piece](TErrorCode Ec, std::size_t Sent) {
                       Self->T.GiveSendBudget(FilePiece);
                       if (Ec) return Self->Close();
                       Self->SendDone += Sent;
                       Self->WritePiece();
                     });
  }

  void FileSent() {
    SendFile.reset();
    if (!SendKeep) return Linger();
    WaitForRequest();
  }

  // After the last answer: no more sending, and what the client still sends is read and
  // dropped for a moment, so the answer is not lost to a reset.
  void Linger() {
    ReleaseClient();
    TErrorCode Ec;
    Stream.socket().shutdown(tcp::socket::shutdown_send, Ec);
    Stream.expires_after(std::chrono::seconds(2));
    Discard();
  }
  void Discard() {
    Buffer.clear();
    Stream.async_read_some(Buffer.prepare(16 * 1024),
                           [Self = shared_from_this()](TErrorCode Ec, std::size_t N) {
                             Self->Discarded += N;
                             if (Ec || Self->Discarded > (1u << 20)) return Self->Close();
                             Self->Discard();
                           });
  }

  void Close() {
    ReleaseClient();
    TErrorCode Ec;
    DelayTimer.cancel();
    Stream.socket().shutdown(tcp::socket::shutdown_both, Ec);
    Stream.close();
  }

  THttpTransport::TImpl& T;
  beast::tcp_stream Stream;
  beast::flat_buffer Buffer;
  net::steady_timer DelayTimer;
  std::optional<http::request_parser<http::string_body>> Parser;
  std::string Peer;
  std::string Client;  // the address this connection counts for; empty: none yet
  bool ViaProxy;
  unsigned Version = 11;
  bool Head = false;
  bool KeepAlive = false;
  std::size_t Discarded = 0;
  std::chrono::steady_clock::time_point BodyStart;
  std::uint64_t BodyGot = 0;
  // The file being sent, how much of it has gone, and since when.
  static constexpr std::size_t FilePiece = 16 * 1024;
  std::shared_ptr<const TBodyFile> SendFile;
  bool SendKeep = false;
  std::chrono::steady_clock::time_point SendStart;
  std::uint64_t SendDone = 0;
};

}  // namespace

void THttpTransport::TImpl::Accept() {
  Acceptor.async_accept(net::make_strand(Ioc), [this](TErrorCode Ec, tcp::socket Socket) {
    if (Stopping || Ec == net::error::operation_aborted) return;
    if (Ec) {
      // Out of descriptors or similar: try again shortly instead of spinning.
      AcceptRetry.expires_after(std::chrono::milliseconds(50));
      AcceptRetry.async_wait([this](TErrorCode E) {
        if (!E) Accept();
      });
      return;
    }
    OnAccepted(std::move(Socket));
    Accept();
  });
}

void THttpTransport::TImpl::OnAccepted(tcp::socket Socket) {
  TErrorCode Ec;
  tcp::endpoint Remote = Socket.remote_endpoint(Ec);
  if (Ec) return;
  Socket.set_option(tcp::no_delay(true), Ec);
  std::string Peer = AddressText(Remote.address());
  bool Proxy = IsTrusted(Peer);
  if (!Admit(Peer, Proxy)) return RefuseConnection(Socket);
  std::make_shared<TConnection>(*this, std::move(Socket), std::move(Peer), Proxy)->Start();
}

THttpTransport::THttpTransport(THttpSettings Settings, TDispatch Dispatch)
    : FImpl(std::make_unique<TImpl>(std::move(Settings), std::move(Dispatch))) {}

THttpTransport::~THttpTransport() { Stop(); }

void THttpTransport::Start() {
  TImpl& T = *FImpl;
  // Every connection needs a descriptor: the soft limit goes up to the hard one.
  rlimit Files{};
  if (getrlimit(RLIMIT_NOFILE, &Files) == 0 && Files.rlim_cur < Files.rlim_max) {
    Files.rlim_cur = Files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &Files);
  }
  const THttpSettings& S = T.S;
  T.Cap = ConnectionCap(S.MaxConnections, getrlimit(RLIMIT_NOFILE, &Files) == 0
                                              ? static_cast<std::uint64_t>(Files.rlim_cur)
                                              : 1024);
  TErrorCode Ec;
  net::ip::address Addr = net::ip::make_address(S.Host, Ec);
  if (Ec) throw Exception("\"" + S.Host + "\" is no IP address to listen on.");
  if (S.Port < 0 || S.Port > 65535) throw Exception(IntToStr(S.Port) + " is no port number.");
  tcp::endpoint Ep(Addr, static_cast<unsigned short>(S.Port));
  std::string Where = S.Host + ":" + IntToStr(S.Port);
  T.Acceptor.open(Ep.protocol(), Ec);
  // Reusing an address only skips connections of an earlier run still closing; it never lets
  // two servers listen on one port.
  if (!Ec) T.Acceptor.set_option(tcp::acceptor::reuse_address(true), Ec);
  if (!Ec) T.Acceptor.bind(Ep, Ec);
  if (Ec == net::error::address_in_use)
    throw Exception("Port " + IntToStr(S.Port) + " is already in use on " + S.Host +
                    ": another program (perhaps another Quinview Server) listens there. Stop it "
                    "or choose another port with --port.");
  if (Ec == net::error::access_denied)
    throw Exception("Listening on " + Where +
                    " is not permitted (ports below 1024 need "
                    "privileges; choose another port with --port).");
  if (!Ec) T.Acceptor.listen(std::max(S.Backlog, 1024), Ec);
  if (Ec) throw Exception("Cannot listen on " + Where + ": " + Ec.message() + ".");
  tcp::endpoint Bound = T.Acceptor.local_endpoint(Ec);
  T.BoundAddress = AddressText(Bound.address());
  T.BoundPort = Bound.port();
  T.Accept();
  int Io = S.IoThreads > 0
               ? S.IoThreads
               : std::clamp(static_cast<int>(std::thread::hardware_concurrency()) / 2, 2, 4);
  for (int I = 0; I < Io; ++I) T.Threads.emplace_back([&T] { T.Ioc.run(); });
}

void THttpTransport::Stop() {
  TImpl& T = *FImpl;
  T.Stopping = true;
  T.Ioc.stop();
  for (std::thread& Th : T.Threads)
    if (Th.joinable()) Th.join();
  T.Threads.clear();
  TErrorCode Ec;
  T.Acceptor.close(Ec);
}

std::string THttpTransport::Address() const { return FImpl->BoundAddress; }
int THttpTransport::Port() const { return FImpl->BoundPort; }

std::size_t ConnectionCap(std::size_t MaxConnections, std::uint64_t DescriptorLimit) {
  // A quarter of the descriptors stays for the files, the listener and what the pages open.
  const std::uint64_t Room = DescriptorLimit - DescriptorLimit / 4;
  return static_cast<std::size_t>(std::min<std::uint64_t>(MaxConnections, Room));
}

std::size_t THttpTransport::ConnectionCount() const {
  std::lock_guard<std::mutex> G(FImpl->CountLock);
  return FImpl->Total;
}

}  // namespace quin
