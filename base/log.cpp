#include "base/log.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <mutex>
#include <new>

#include "base/exception.h"
#include "base/format.h"
#include "base/text.h"

namespace quin {

namespace {

struct TLogState {
  std::mutex Lock;
  TLogSink Sink;
  TLogLevel Min = TLogLevel::Info;
};

TLogState& State() {
  static TLogState S;
  return S;
}

// The thread's current session tag and path (TLogScope).
struct TThreadContext {
  std::string Session, Path;
};
thread_local TThreadContext GContext;

const char* LevelName(TLogLevel Level) {
  switch (Level) {
    case TLogLevel::Info:
      return "INFO";
    case TLogLevel::Warning:
      return "WARN";
    case TLogLevel::Error:
      return "ERROR";
  }
  return "?";
}

std::string Now() {
  timespec T{};
  clock_gettime(CLOCK_REALTIME, &T);
  tm U{};
  gmtime_r(&T.tv_sec, &U);
  return Format("%.4d-%.2d-%.2dT%.2d:%.2d:%.2d.%.3dZ",
                {U.tm_year + 1900, U.tm_mon + 1, U.tm_mday, U.tm_hour, U.tm_min, U.tm_sec,
                 static_cast<int>(T.tv_nsec / 1000000)},
                TFormatSettings());
}

// One line: control characters (a line break in a message or a path) become blanks.
void AppendClean(std::string& Out, std::string_view Text) {
  for (char C : Text) Out += (static_cast<unsigned char>(C) < 0x20 || C == '\x7F') ? ' ' : C;
}

bool IsHex32(std::string_view S) {
  if (S.size() < 32) return false;
  for (std::size_t I = 0; I < 32; ++I) {
    const char C = S[I];
    if (!((C >= '0' && C <= '9') || (C >= 'a' && C <= 'f'))) return false;
  }
  return true;
}

}  // namespace

std::string LogSessionTag(std::string_view SessionId) {
  return std::string(SessionId.substr(0, 8));
}

std::string LogPath(std::string_view Path) {
  std::string R;
  std::size_t From = 0;
  for (;;) {
    const std::size_t At = Path.find("/s/", From);
    if (At == std::string_view::npos) return R.append(Path.substr(From));
    R.append(Path.substr(From, At + 3 - From));
    From = At + 3;
    if (IsHex32(Path.substr(From))) {
      R += '*';
      From += 32;
    }
  }
}

void SetMinLogLevel(TLogLevel Level) {
  std::lock_guard<std::mutex> G(State().Lock);
  State().Min = Level;
}

TLogSink SetLogSink(TLogSink Sink) {
  std::lock_guard<std::mutex> G(State().Lock);
  std::swap(State().Sink, Sink);
  return Sink;
}

void Log(TLogLevel Level, std::string_view Text) noexcept try {
  TLogState& S = State();
  std::string Line = Now();
  Line += ' ';
  Line += LevelName(Level);
  if (!GContext.Session.empty()) {
    Line += " s=";
    AppendClean(Line, GContext.Session);
  }
  if (!GContext.Path.empty()) {
    Line += ' ';
    AppendClean(Line, Cp1250ToUtf8(GContext.Path));
  }
  Line += ": ";
  AppendClean(Line, Cp1250ToUtf8(Text));
  std::lock_guard<std::mutex> G(S.Lock);
  if (Level < S.Min) return;
  if (S.Sink) {
    S.Sink(Line);
    return;
  }
  Line += '\n';
  std::fwrite(Line.data(), 1, Line.size(), stderr);  // one call: lines never interleave
} catch (...) {
  // The line is lost; the caller goes on.
}

void LogCaught(TLogLevel Level, std::string_view Context) noexcept try {
  std::string Text(Context);
  if (!std::current_exception()) {
    Log(Level, Text);
    return;
  }
  Text += ": ";
  try {
    throw;
  } catch (const Exception& E) {
    Text += E.Message;
  } catch (const std::bad_alloc&) {
    Level = TLogLevel::Error;
    Text += "out of memory";
  } catch (const std::exception& E) {
    Text += E.what();
  } catch (...) {
    Level = TLogLevel::Error;
    Text += "unknown error";
  }
  Log(Level, Text);
} catch (...) {
  Log(TLogLevel::Error, "out of memory");
}

TLogScope::TLogScope(std::string_view SessionId, std::string_view Path)
    : FSession(std::move(GContext.Session)), FPath(std::move(GContext.Path)) {
  GContext.Session = LogSessionTag(SessionId);
  GContext.Path = LogPath(Path);
}

TLogScope::~TLogScope() {
  GContext.Session = std::move(FSession);
  GContext.Path = std::move(FPath);
}

}  // namespace quin
