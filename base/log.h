// The server's log: one line per event on stderr (a service manager keeps it), each with the
// time (UTC), the level, the session and the request path the thread is serving, and the text.
//
//   2026-12-11T11:44:16.123Z ERROR s=1a2b3c4d /s/*/img/c12: the chart cannot be drawn: ...
//
// Session identifiers are the keys to live sessions: a line names a session by the first eight
// of its 32 digits (enough to tell sessions apart, useless for taking one over), and paths
// that carry one show "*" in its place. Texts are in the program's letters (Windows-1250) and
// are written in UTF-8; line breaks and other control characters become blanks, so that a
// line is always one event.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quin {

enum class TLogLevel { Info, Warning, Error };

// Writes one line when Level is at least the minimum level (Info unless set). Never throws: a
// line that cannot be made (out of memory) is dropped.
void Log(TLogLevel Level, std::string_view Text) noexcept;
// For use inside a catch block: logs the exception being handled, "Context: <its text>", at
// Level (std::bad_alloc and exceptions that are not std::exception are always errors).
void LogCaught(TLogLevel Level, std::string_view Context) noexcept;

void SetMinLogLevel(TLogLevel Level);

// Where the lines go; an empty sink restores stderr. Returns the previous sink. The sink is
// called under the log's lock, one line at a time, without the line break.
using TLogSink = std::function<void(std::string_view Line)>;
TLogSink SetLogSink(TLogSink Sink);

// The session and request path of the lines the calling thread writes, until the scope ends
// (scopes nest: the outer one returns afterwards).
class TLogScope {
 public:
  TLogScope(std::string_view SessionId, std::string_view Path);
  ~TLogScope();
  TLogScope(const TLogScope&) = delete;
  TLogScope& operator=(const TLogScope&) = delete;

 private:
  std::string FSession, FPath;
};

// Path with a session identifier ("/s/<32 digits>...") shown as "/s/*...".
std::string LogPath(std::string_view Path);
// The part of a session identifier a log line shows.
std::string LogSessionTag(std::string_view SessionId);

}  // namespace quin
