// Starting and stopping the server program: an incomplete application folder and a port in use
// are clear errors with exit code 1, and SIGTERM ends the server without waiting for a slow
// client still connected.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "tests/support/loopback.h"
#include "tests/web/web_fixture.h"
#include "web/controller.h"

extern char** environ;

namespace quin {
namespace {

namespace fs = std::filesystem;

class StartupTest : public test::TWebAppTest {
 protected:
  void MakeAppFolder() {
    Write(Files + "Quin.pwd", "<QuinPwd/>");
    Write(Files + "Quin.css", "body{}");
    fs::create_directories(Files + "Surveys");
  }
  // The server program with Args; its standard output and error are read through pipes.
  struct TServerProcess {
    pid_t Pid = -1;
    int Out = -1;
    int Err = -1;
  };
  TServerProcess Spawn(std::vector<std::string> Args) {
    Args.insert(Args.begin(), QUIN_SERVER_EXE);
    std::vector<char*> Argv;
    for (std::string& A : Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    int OutPipe[2], ErrPipe[2];
    EXPECT_EQ(pipe2(OutPipe, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(ErrPipe, O_CLOEXEC), 0);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_adddup2(&Actions, OutPipe[1], 1);
    posix_spawn_file_actions_adddup2(&Actions, ErrPipe[1], 2);
    TServerProcess P;
    EXPECT_EQ(posix_spawn(&P.Pid, Argv[0], &Actions, nullptr, Argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&Actions);
    close(OutPipe[1]);
    close(ErrPipe[1]);
    P.Out = OutPipe[0];
    P.Err = ErrPipe[0];
    return P;
  }
  // One line of Fd (up to the line break or the end).
  static std::string ReadLine(int Fd) {
    std::string Line;
    char C;
    while (read(Fd, &C, 1) == 1 && C != '\n') Line += C;
    return Line;
  }
  static std::string ReadAll(int Fd) {
    std::string All;
    char Buf[4096];
    for (ssize_t N; (N = read(Fd, Buf, sizeof Buf)) > 0;) All.append(Buf, size_t(N));
    return All;
  }
  // The exit code once the process has ended, waiting at most Ms; -1 when it still runs.
  static int WaitExit(pid_t Pid, int Ms) {
    int Fd = static_cast<int>(syscall(SYS_pidfd_open, Pid, 0));
    pollfd P{Fd, POLLIN, 0};
    bool Ended = Fd >= 0 && poll(&P, 1, Ms) == 1;
    if (Fd >= 0) close(Fd);
    int Status = 0;
    if (!Ended || waitpid(Pid, &Status, 0) != Pid) return -1;
    return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
  }
  static void End(TServerProcess& P) {
    if (WaitExit(P.Pid, 0) < 0) {
      kill(P.Pid, SIGKILL);
      WaitExit(P.Pid, 10000);
    }
    close(P.Out);
    close(P.Err);
  }
};

TEST_F(StartupTest, AnIncompleteApplicationFolderNamesWhatIsMissing) {
  struct Case {
    const char* What;
    std::function<void()> Damage;
    const char* Message;
  } Cases[] = {
      {"no folder", [&] { fs::remove_all(App); }, "does not exist"},
      {"no files folder", [&] { fs::remove_all(App + "Files"); }, "lacks Files/Quin/ (the web"},
      {"no users file", [&] { fs::remove(Files + "Quin.pwd"); }, "Files/Quin/Quin.pwd (the users"},
      {"no style sheet", [&] { fs::remove(Files + "Quin.css"); }, "Files/Quin/Quin.css"},
      {"no surveys", [&] { fs::remove_all(Files + "Surveys"); }, "Files/Quin/Surveys/"},
  };
  for (const Case& C : Cases) {
    MakeAppFolder();
    C.Damage();
    try {
      CheckAppFolder(App);
      ADD_FAILURE() << C.What;
    } catch (const Exception& E) {
      EXPECT_NE(E.Message.find(C.Message), std::string::npos) << C.What << ": " << E.Message;
    }
  }
  MakeAppFolder();
  EXPECT_NO_THROW(CheckAppFolder(App));
}

TEST_F(StartupTest, PortInUseAndMissingFolderEndWithCodeOneAndSigtermEndsPromptly) {
  MakeAppFolder();
  TServerProcess First =
      Spawn({"--host", "127.0.0.1", "--port", "0", "--app-dir", App, "--session-timeout", "60000"});
  std::string Line = ReadLine(First.Out);
  // The start-up line names the address bound.
  ASSERT_EQ(Line.rfind("Quinview Server listening on http://127.0.0.1:", 0), 0u) << Line;
  std::string Port = Line.substr(Line.rfind(':') + 1);
  Port.pop_back();  // the closing '/'

  TServerProcess Second = Spawn({"--host", "127.0.0.1", "--port", Port, "--app-dir", App});
  EXPECT_EQ(WaitExit(Second.Pid, 60000), 1);
  EXPECT_NE(ReadAll(Second.Err).find("Port " + Port + " is already in use"), std::string::npos);
  End(Second);
  TServerProcess Lost = Spawn({"--port", "0", "--app-dir", App + "none/"});
  EXPECT_EQ(WaitExit(Lost.Pid, 60000), 1);
  EXPECT_NE(ReadAll(Lost.Err).find("does not exist"), std::string::npos);
  End(Lost);

  // A client still sending a large body, whose deadline is minutes away, does not hold the
  // server up: it ends well within that deadline, however busy the machine. The answer to a
  // first request on the connection shows the server has taken it.
  int Slow = test::LoopbackConnect(std::stoi(Port));
  EXPECT_GE(Slow, 0);
  test::SendAll(Slow, "GET /Files/Quin/Quin.css HTTP/1.1\r\nHost: x\r\n\r\n");
  char Answer[16] = {};
  EXPECT_GT(recv(Slow, Answer, sizeof Answer - 1, 0), 0);
  EXPECT_EQ(std::string(Answer).rfind("HTTP/1.1 200", 0), 0u) << Answer;
  test::SendAll(Slow, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000\r\n\r\nabc");
  kill(First.Pid, SIGTERM);
  EXPECT_EQ(WaitExit(First.Pid, 60000), 0);
  close(Slow);
  End(First);
}

}  // namespace
}  // namespace quin
