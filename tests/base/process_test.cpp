#include "base/process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "base/settingsstore.h"
#include "base/urlprobe.h"
#include "tests/support/tempfolder.h"

namespace quin {
namespace {

std::string ReadFile(const std::string& Name) {
  std::ifstream F(Name, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

// ---------------------------------------------------------------------------------------------
// Command-line splitting

TEST(SplitCommandLine, FollowsWindowsQuotingRules) {
  using V = std::vector<std::string>;
  struct Case {
    const char* Line;
    V Args;
  } Cases[] = {
      {"", V{}},
      {"   \t ", V{}},
      {"prog", V{"prog"}},
      {"  prog  a\tb  ", V{"prog", "a", "b"}},
      {"\"C:\\Program Files\\7z.exe\" a", V{"C:\\Program Files\\7z.exe", "a"}},
      {"prog \"a b\" c", V{"prog", "a b", "c"}},
      {"prog a\"b c\"d", V{"prog", "ab cd"}},
      {"prog \"\"", V{"prog", ""}},
      {"prog \"\" x", V{"prog", "", "x"}},
      {"prog \\\"a", V{"prog", "\"a"}},                 // \"   -> "
      {"prog \\\\\"a b\"", V{"prog", "\\a b"}},         // \\"  -> \ and a quote that groups
      {"prog \\\\\\\"a", V{"prog", "\\\"a"}},           // \\\" -> \"
      {"prog a\\\\b c\\", V{"prog", "a\\\\b", "c\\"}},  // backslashes alone stay
      {"prog \"a\"\"b\"", V{"prog", "a\"b"}},           // doubled quote inside quotes
      {"prog \"unterminated arg", V{"prog", "unterminated arg"}},
      {"C:\\dir\\prog.exe \\\"x", V{"C:\\dir\\prog.exe", "\"x"}},  // no escapes in the name
  };
  for (const auto& C : Cases) EXPECT_EQ(SplitCommandLine(C.Line), C.Args) << C.Line;
}

// ---------------------------------------------------------------------------------------------
// Process runner

TEST(RunProcessAndWait, ReturnsTheExitCodeOrMinusOne) {
  EXPECT_EQ(RunProcessAndWait("", "sh -c \"exit 2\"", 1), 2);
  EXPECT_EQ(RunProcessAndWait("", "sh -c \"exit 0\"", 1), 0);
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{"sh", "-c", "exit 201"}, 1), 201);
  // Cannot be started.
  EXPECT_EQ(RunProcessAndWait("", "/nonexistent/quin-no-such-program", 1), -1);
  EXPECT_EQ(RunProcessAndWait("", "quin-no-such-program-in-path --help", 1), -1);
  EXPECT_EQ(RunProcessAndWait("", "", 1), -1);
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{}, 1), -1);
  EXPECT_EQ(RunProcessAndWait("/nonexistent/quin-folder", "sh -c \"exit 0\"", 1), -1);
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{"sh", std::string("-c\0x", 4)}, 1), -1);
  // Ended by a signal.
  EXPECT_EQ(RunProcessAndWait("", "sh -c \"kill -TERM $$\"", 1), -1);
}

TEST(RunProcessAndWait, RunsInTheWorkingFolder) {
  test::TTempFolder Dir;
  ASSERT_EQ(RunProcessAndWait(Dir.Path().string(), "sh -c \"pwd -P > out.txt\"", 1), 0);
  const std::string Real = std::filesystem::canonical(Dir.Path().string()).string();
  EXPECT_EQ(ReadFile(Dir.Path().string() + "/out.txt"), Real + "\n");
}

TEST(RunProcessAndWait, ChildInheritsNoOpenDescriptor) {
  // A descriptor without close-on-exec, as a careless library would leave it.
  const int Fd = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(Fd, 0);
  const int High = ::dup2(Fd, 57);
  ASSERT_EQ(High, 57);
  ASSERT_EQ(::fcntl(High, F_GETFD) & FD_CLOEXEC, 0);
  const std::string Check = "[ -e /proc/self/fd/57 ] && exit 7; [ -e /proc/self/fd/" +
                            std::to_string(Fd) + " ] && exit 8; exit 0";
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{"sh", "-c", Check}, 1), 0);
  // Standard input comes from /dev/null, not from ours.
  EXPECT_EQ(RunProcessAndWait("", "sh -c \"read x && exit 3; exit 0\"", 1), 0);
  ::close(High);
  ::close(Fd);
}

TEST(RunProcessAndWait, ATimeLimitEndsTheProgramAndWhatItStarted) {
  using namespace std::chrono_literals;
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{"sh", "-c", "exit 3"}, 0, 60s), 3);
  EXPECT_EQ(RunProcessAndWait("", std::vector<std::string>{"quin-no-such-program"}, 0, 60s), -1);
  test::TTempFolder Dir;
  // The shell starts a program of its own and waits for it; both go at the limit.
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunProcessAndWait(
                Dir.Path().string(),
                std::vector<std::string>{"sh", "-c", "sleep 60 & echo $! > pid; wait"}, 0, 300ms),
            -1);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, 30s);
  const std::string Pid = ReadFile(Dir.File("pid"));
  ASSERT_FALSE(Pid.empty());
  // The grandchild goes too (reaped by init, or a zombie on its way), at once after its kill.
  const std::string StatFile = "/proc/" + Pid.substr(0, Pid.find('\n')) + "/stat";
  auto Gone = [&] {
    const std::string Stat = ReadFile(StatFile);
    return Stat.empty() || Stat.find(") Z ") != std::string::npos;
  };
  for (int I = 0; I < 500 && !Gone(); ++I) std::this_thread::sleep_for(10ms);
  EXPECT_TRUE(Gone()) << ReadFile(StatFile);
}

TEST(RunProcessAndWait, RefusesOverlongInputInsteadOfCuttingIt) {
  const std::string Cmd = "sh -c \"exit 4\"";
  const std::string AtLimit = Cmd + std::string(MaxProcessInputLength - Cmd.size(), ' ');
  ASSERT_EQ(AtLimit.size(), 1023u);
  EXPECT_EQ(RunProcessAndWait("", AtLimit, 1), 4);
  EXPECT_EQ(RunProcessAndWait("", AtLimit + " ", 1), -1);

  std::string LongDir = "/";
  while (LongDir.size() <= MaxProcessInputLength) LongDir += "./";
  ASSERT_GT(LongDir.size(), 1023u);
  EXPECT_EQ(RunProcessAndWait(LongDir, Cmd, 1), -1);  // "/" with ./ would otherwise run
  EXPECT_EQ(RunProcessAndWait(LongDir.substr(0, 1023), Cmd, 1), 4);

  std::vector<std::string> Argv = {"sh", "-c", "exit 5", std::string(1000, 'x')};
  EXPECT_EQ(RunProcessAndWait("", Argv, 1), 5);
  Argv.back() += std::string(20, 'x');
  EXPECT_EQ(RunProcessAndWait("", Argv, 1), -1);
}

TEST(ShellOpen, FailsWithoutADisplay) {
  ::unsetenv("DISPLAY");
  EXPECT_EQ(ShellOpen(nullptr, "/tmp", "", 1), 31);
}

// ---------------------------------------------------------------------------------------------
// URL probe against a loopback server

class URLProbe : public testing::Test {
 protected:
  void SetUp() override {
    // Loopback requests never go through a proxy from the environment.
    ::setenv("no_proxy", "127.0.0.1", 1);
    ::setenv("NO_PROXY", "127.0.0.1", 1);
    Server.Get("/ok", [](const httplib::Request&, httplib::Response& R) {
      R.set_content("fine", "text/plain");
    });
    Server.Get("/auth", [](const httplib::Request&, httplib::Response& R) { R.status = 401; });
    Server.Get("/missing", [](const httplib::Request&, httplib::Response& R) { R.status = 404; });
    Server.Get("/error", [](const httplib::Request&, httplib::Response& R) { R.status = 500; });
    Server.Get("/redirect",
               [](const httplib::Request&, httplib::Response& R) { R.set_redirect("/ok"); });
    Server.Get("/to-ftp", [](const httplib::Request&, httplib::Response& R) {
      R.set_redirect("ftp://127.0.0.1/file");
    });
    Server.Get("/loop",
               [](const httplib::Request&, httplib::Response& R) { R.set_redirect("/loop"); });
    // Answers only when the test ends, long after the probe's time-out.
    Server.Get("/slow", [this](const httplib::Request&, httplib::Response& R) {
      std::unique_lock<std::mutex> G(StopLock);
      StopWake.wait_for(G, std::chrono::seconds(60), [this] { return Stopping; });
      R.set_content("late", "text/plain");
    });
    Server.Get("/agent", [](const httplib::Request& Q, httplib::Response& R) {
      R.status = Q.get_header_value("User-Agent") == ApplicationTitle() ? 200 : 404;
    });
    Port = Server.bind_to_any_port("127.0.0.1");
    ASSERT_GT(Port, 0);
    Thread = std::thread([this] { Server.listen_after_bind(); });
    for (int I = 0; I < 60000 && !Server.is_running(); ++I)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(Server.is_running());
  }
  void TearDown() override {
    {
      std::lock_guard<std::mutex> G(StopLock);
      Stopping = true;
    }
    StopWake.notify_all();
    Server.stop();
    if (Thread.joinable()) Thread.join();
    SetURLProbing(true);
  }
  std::string Url(const std::string& Path) const {
    return "http://127.0.0.1:" + std::to_string(Port) + Path;
  }

  httplib::Server Server;
  std::thread Thread;
  int Port = 0;
  std::mutex StopLock;
  std::condition_variable StopWake;
  bool Stopping = false;
};

TEST_F(URLProbe, AnswersBy200Or401) {
  struct Case {
    const char* Path;
    bool Exists;
  } Cases[] = {{"/ok", true},       {"/auth", true},    {"/missing", false}, {"/error", false},
               {"/redirect", true}, {"/to-ftp", false}, {"/loop", false},    {"/agent", true}};
  for (const auto& C : Cases) EXPECT_EQ(URLExists(Url(C.Path)), C.Exists) << C.Path;
}

TEST_F(URLProbe, AnAnswerThatComesTooLateCountsAsMissing) {
  const auto Former = SetURLProbeTimeout(std::chrono::milliseconds(300));
  EXPECT_EQ(Former, std::chrono::milliseconds(10000));
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_FALSE(URLExists(Url("/slow")));
  // Given up after the time-out, not after the default 10 s.
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(9));
  SetURLProbeTimeout(Former);
}

TEST_F(URLProbe, PutsHttpInFrontOfAnAddressWithoutScheme) {
  EXPECT_TRUE(URLExists("127.0.0.1:" + std::to_string(Port) + "/ok"));
  EXPECT_FALSE(URLExists("127.0.0.1:" + std::to_string(Port) + "/missing"));
}

TEST_F(URLProbe, SendsTheApplicationTitle) {
  SetApplicationTitle("Quinview Test Title");
  EXPECT_TRUE(URLExists(Url("/agent")));
  SetApplicationTitle("Quinview Server");
}

TEST_F(URLProbe, UsesHttpOnly) {
  EXPECT_FALSE(URLExists("ftp://127.0.0.1:" + std::to_string(Port) + "/ok"));
  EXPECT_FALSE(URLExists("file:///etc/hostname"));
  EXPECT_FALSE(URLExists(""));
}

TEST(URLProbeInBackground, NoCallerWaitsAndEachAddressIsProbedOnce) {
  std::mutex Lock;
  std::condition_variable Released;
  bool Release = false, OnCaller = false;
  std::map<std::string, int> Calls;
  const std::thread::id Caller = std::this_thread::get_id();
  // A probe that does not answer until the test lets it (or 5 s pass).
  SetURLProbe([&](std::string_view Url) {
    std::unique_lock<std::mutex> G(Lock);
    ++Calls[std::string(Url)];
    OnCaller = OnCaller || std::this_thread::get_id() == Caller;
    Released.wait_for(G, std::chrono::seconds(5), [&] { return Release; });
    return Url.find("down") == std::string_view::npos;
  });
  SetURLProbeInBackground(true);
  // Not known yet: the address counts as answering, and the caller goes on at once.
  EXPECT_TRUE(URLExists("http://down.example/"));
  EXPECT_TRUE(URLExists("http://down.example/"));
  EXPECT_TRUE(URLExists("http://up.example/"));
  {
    std::lock_guard<std::mutex> G(Lock);
    Release = true;
  }
  Released.notify_all();
  EXPECT_TRUE(WaitForURLProbes(std::chrono::seconds(30)));
  // Known now, without another request.
  EXPECT_FALSE(URLExists("http://down.example/"));
  EXPECT_TRUE(URLExists("http://up.example/"));
  EXPECT_EQ(Calls,
            (std::map<std::string, int>{{"http://down.example/", 1}, {"http://up.example/", 1}}));
  EXPECT_FALSE(OnCaller);
  SetURLProbeInBackground(false);
  WaitForURLProbes(std::chrono::seconds(30), true);
  SetURLProbe(nullptr);
}

TEST(URLProbeOffline, ClosedPortIsFalseUnlessProbingIsOff) {
  ::setenv("no_proxy", "127.0.0.1", 1);
  // A port bound here but not listened on: nothing listens there, and no other program can
  // take it while the test runs.
  const int S = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(S, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A), 0);
  socklen_t Len = sizeof A;
  ASSERT_EQ(::getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len), 0);
  const std::string Closed = "http://127.0.0.1:" + std::to_string(ntohs(A.sin_port)) + "/";
  EXPECT_FALSE(URLExists(Closed));
  SetURLProbing(false);
  EXPECT_TRUE(URLExists(Closed));  // switched off: no request, every address counts as there
  SetURLProbing(true);
  ::close(S);
}

// ---------------------------------------------------------------------------------------------
// File types in the emulated registry

class FileTypes : public testing::Test {
 protected:
  std::string Default(TOrvRegistry& R, TRegRoot Root, const std::string& Key) {
    R.SetRootKey(Root);
    std::string V = R.OpenKey(Key, "", false) ? R.ReadString("", "<none>") : "<no key>";
    R.CloseKey();
    R.SetRootKey(TRegRoot::CurrentUser);
    return V;
  }
  std::string OpenWith(TOrvRegistry& R, const std::string& Name) {
    R.SetRootKey(TRegRoot::CurrentUser);
    const std::string Key =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.zop\\OpenWithList";
    std::string V = R.OpenKey(Key, "", false) ? R.ReadString(Name, "<none>") : "<no key>";
    R.CloseKey();
    return V;
  }
  test::TTempFolder Dir;
};

TEST_F(FileTypes, RegistersUnderTheClassesRoot) {
  TOrvRegistry R(Dir.Path().string());
  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/opt/quinview/quinview");
  EXPECT_EQ(Default(R, TRegRoot::ClassesRoot, ".zop"), "Quinview.Survey");
  EXPECT_EQ(Default(R, TRegRoot::ClassesRoot, "Quinview.Survey"), "Survey");
  EXPECT_EQ(Default(R, TRegRoot::ClassesRoot, "Quinview.Survey\\DefaultIcon"),
            "/opt/quinview/quinview, 0");
  EXPECT_EQ(GetOpenCommand(R, ".zop"), "/opt/quinview/quinview \"%1\"");
  EXPECT_EQ(GetOpenCommand(R, ".ZOP"), "/opt/quinview/quinview \"%1\"");  // keys ignore case
  EXPECT_EQ(R.RootKey(), TRegRoot::CurrentUser);  // the caller's root is kept
  EXPECT_EQ(OpenWith(R, "MRUList"), "<no key>");  // the fallback was not needed

  RegisterFileType(R, ".zor", "Quinview.Report", "Report", "/opt/icons/report.ico", "/bin/q");
  EXPECT_EQ(Default(R, TRegRoot::ClassesRoot, "Quinview.Report\\DefaultIcon"),
            "/opt/icons/report.ico");
  // Another store on the same file sees it.
  TOrvRegistry Other(Dir.Path().string());
  EXPECT_EQ(GetOpenCommand(Other, ".zor"), "/bin/q \"%1\"");
  EXPECT_EQ(GetOpenCommand(Other, ".unknown"), "");
  EXPECT_EQ(GetOpenCommand(Other, ""), "");
}

TEST_F(FileTypes, WithoutClassesRootAccessKeepsOneMruEntryAtTheFront) {
  TOrvRegistry R(Dir.Path().string());
  R.SetRootReadOnly(TRegRoot::ClassesRoot, true);
  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/opt/quinview/Quin.exe");
  EXPECT_EQ(Default(R, TRegRoot::ClassesRoot, ".zop"), "<no key>");
  EXPECT_EQ(OpenWith(R, "MRUList"), "a");
  EXPECT_EQ(OpenWith(R, "a"), "Quin.exe");
  EXPECT_EQ(Default(R, TRegRoot::LocalMachine,
                    "SOFTWARE\\Classes\\Applications\\Quin.exe\\shell\\open\\command"),
            "/opt/quinview/Quin.exe \"%1\"");

  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/usr/bin/other");
  EXPECT_EQ(OpenWith(R, "MRUList"), "ba");
  EXPECT_EQ(GetOpenCommand(R, ".zop"), "/usr/bin/other \"%1\"");

  // The same program again (its name in another case): its letter moves to the front, once.
  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/opt/quinview/QUIN.EXE");
  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/opt/quinview/QUIN.EXE");
  EXPECT_EQ(OpenWith(R, "MRUList"), "ab");
  EXPECT_EQ(OpenWith(R, "a"), "Quin.exe");
  EXPECT_EQ(GetOpenCommand(R, ".zop"), "/opt/quinview/QUIN.EXE \"%1\"");
}

TEST_F(FileTypes, MruListEdgeCases) {
  TOrvRegistry R(Dir.Path().string());
  R.SetRootReadOnly(TRegRoot::ClassesRoot, true);
  const std::string Key =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.zop\\OpenWithList";
  // Every letter taken, plus junk: the least recently used letter gives way.
  ASSERT_TRUE(R.OpenKey(Key, "", true));
  std::string All;
  for (char L = 'z'; L >= 'a'; --L) {
    All += L;
    R.WriteString(std::string(1, L), std::string("prog") + L);
  }
  R.WriteString("MRUList", All + "zz!");
  R.CloseKey();
  RegisterFileType(R, ".zop", "Quinview.Survey", "Survey", "", "/opt/new.exe");
  EXPECT_EQ(OpenWith(R, "MRUList"), "a" + All.substr(0, 25));
  EXPECT_EQ(OpenWith(R, "a"), "new.exe");

  // A listed program without an Applications key: its file name is the answer.
  ASSERT_TRUE(R.OpenKey(Key, "", true));
  R.WriteString("MRUList", "c");
  R.CloseKey();
  EXPECT_EQ(GetOpenCommand(R, ".zop"), "progc");
}

}  // namespace
}  // namespace quin
