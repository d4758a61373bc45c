// Operations that reach outside the program: running another program and waiting for it,
// opening a document or address with the desktop's handler, and registering the desktop
// program's file types. (The URL probe is base/urlprobe.h.)
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quin {

class TOrvRegistry;

// The application's title, sent as the user agent of the URL probe. The program entry sets
// it; "Quinview Server" until then.
std::string ApplicationTitle();
void SetApplicationTitle(std::string Title);

// Longest working folder and command line that RunProcessAndWait accepts.
constexpr std::size_t MaxProcessInputLength = 1023;

// Splits a command line as Windows programs do: arguments are separated by blanks and tabs;
// double quotes group blanks into an argument and are removed; 2n backslashes before a quote
// give n backslashes (and the quote groups), 2n+1 give n backslashes and a literal quote;
// other backslashes stay as they are; inside quotes a doubled quote gives a literal quote.
// The program name (the first argument) is taken without backslash rules, up to the next
// quote when it starts with one, otherwise up to the next blank.
std::vector<std::string> SplitCommandLine(std::string_view CmdLine);

// Starts CmdLine (program and arguments, split as above; no shell is involved; a program name
// without "/" is looked up in PATH) with WorkDir as its current folder (the caller's one when
// WorkDir is empty), standard input from /dev/null, no other open descriptor than standard
// output and error inherited, and every signal at its default; then waits without time-out
// until it ends. Returns its exit code (0..255), or -1 when it could not be started (a missing
// program or folder, an empty command line, a WorkDir or CmdLine longer than
// MaxProcessInputLength characters, a NUL byte; also when the program's end cannot be waited
// for) or when it was ended by a signal. ShowWindow has no meaning here: there is no console
// window to show.
int RunProcessAndWait(std::string_view WorkDir, std::string_view CmdLine, int ShowWindow);
// The same with the arguments already split; the length limit applies to the arguments
// joined by blanks.
int RunProcessAndWait(std::string_view WorkDir, const std::vector<std::string>& Argv,
                      int ShowWindow);

// Asks the desktop to open FileName (a document, folder or address) through xdg-open when a
// display is known ($DISPLAY set) and waits for xdg-open. Results follow the shell's codes:
// above 32 is success; 2 when the file is not found; 31 (no association) when there is no
// display, xdg-open is missing or fails. Window, Parameters and ShowCmd are not used here.
int ShellOpen(void* Window, std::string_view FileName, std::string_view Parameters, int ShowCmd);

// Registers a file extension for the desktop program in the emulated registry: the classes
// root first; when that cannot be written, the current user's OpenWithList for the extension
// and the local machine's Applications key. Each step ignores its own errors.
void RegisterFileType(TOrvRegistry& Registry, std::string_view Ext, std::string_view ProgID,
                      std::string_view Description, std::string_view IconPath,
                      std::string_view ExePath);
// The same on the store in the settings folder.
void RegisterFileType(std::string_view Ext, std::string_view ProgID, std::string_view Description,
                      std::string_view IconPath, std::string_view ExePath);
// The command line registered to open files with Ext; empty when none is found.
std::string GetOpenCommand(TOrvRegistry& Registry, std::string_view Ext);
std::string GetOpenCommand(std::string_view Ext);

}  // namespace quin
