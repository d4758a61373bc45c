#include "platform/webmessage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text.h"
#include "platform/html.h"

namespace quin {

TBodyFile::~TBodyFile() {
  if (Fd >= 0) close(Fd);
}

std::size_t TBodyFile::Read(std::uint64_t Offset, char* Buffer, std::size_t Count) const {
  if (Offset >= Size) return 0;
  if (Count > Size - Offset) Count = static_cast<std::size_t>(Size - Offset);
  for (;;) {
    ssize_t N = pread(Fd, Buffer, Count, static_cast<off_t>(Offset));
    if (N < 0 && errno == EINTR) continue;
    return N < 0 ? 0 : static_cast<std::size_t>(N);
  }
}

std::shared_ptr<const TBodyFile> TBodyFile::Open(const std::string& Path, std::uint64_t MaxSize) {
  auto F = std::make_shared<TBodyFile>();
  F->Fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (F->Fd < 0) return nullptr;
  struct stat St {};
  if (fstat(F->Fd, &St) != 0 || !S_ISREG(St.st_mode) || St.st_size < 0 ||
      static_cast<std::uint64_t>(St.st_size) > MaxSize)
    return nullptr;
  F->Size = static_cast<std::uint64_t>(St.st_size);
  return F;
}

std::string TBodyFile::ReadAll() const {
  std::string Data(static_cast<std::size_t>(Size), '\0');
  std::size_t Got = 0;
  while (Got < Data.size()) {
    std::size_t N = Read(Got, Data.data() + Got, Data.size() - Got);
    if (N == 0) break;
    Got += N;
  }
  Data.resize(Got);
  return Data;
}

std::string TWebResponse::Header(std::string_view Name) const {
  for (const auto& [N, V] : Headers)
    if (SameText(N, Name)) return V;
  return {};
}

std::string FileExtension(std::string_view FileName) {
  size_t Slash = FileName.find_last_of('/');
  size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string_view::npos || (Slash != std::string_view::npos && Dot < Slash)) return {};
  return LowerCase(FileName.substr(Dot + 1));
}

std::string ContentTypeOf(std::string_view FileName) {
  static const std::pair<const char*, const char*> Types[] = {
      {"css", "text/css"},
      {"gif", "image/gif"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"png", "image/png"},
      {"ico", "image/x-icon"},
      {"htm", "text/html; charset=iso-8859-2"},
      {"html", "text/html; charset=iso-8859-2"},
      {"txt", "text/plain; charset=windows-1250"},
      {"csv", "text/csv; charset=windows-1250"},
      {"xml", "application/xml"},
      {"pdf", "application/pdf"},
      {"xls", "application/vnd.ms-excel"},
      {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
      {"zip", "application/zip"},
  };
  std::string Ext = FileExtension(FileName);
  for (const auto& [E, T] : Types)
    if (Ext == E) return T;
  return "application/octet-stream";
}

void ParseQuery(std::string_view Text, TWebValues& Values) {
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t Amp = Text.find('&', Start);
    std::string_view Part =
        Text.substr(Start, Amp == std::string_view::npos ? std::string_view::npos : Amp - Start);
    if (!Part.empty()) {
      size_t Eq = Part.find('=');
      if (Eq == std::string_view::npos) {
        Values.Add(UrlDecode(Part, true), {});
      } else {
        Values.Add(UrlDecode(Part.substr(0, Eq), true), UrlDecode(Part.substr(Eq + 1), true));
      }
    }
    if (Amp == std::string_view::npos) break;
    Start = Amp + 1;
  }
}

std::string MultipartBoundary(std::string_view ContentType) {
  std::string Lower = LowerCase(ContentType);
  if (Lower.rfind("multipart/form-data", 0) != 0) return {};
  size_t P = Lower.find("boundary=");
  if (P == std::string::npos) return {};
  std::string_view B = ContentType.substr(P + 9);
  if (!B.empty() && B.front() == '"') {
    size_t End = B.find('"', 1);
    if (End == std::string_view::npos) return {};
    B = B.substr(1, End - 1);
  } else {
    B = B.substr(0, B.find_first_of("; \t"));
  }
  // A boundary has 1 to 70 characters.
  if (B.empty() || B.size() > 70) return {};
  return std::string(B);
}

namespace {

// The name="..." parameter of a part's Content-Disposition line; false when absent.
bool PartName(std::string_view Headers, std::string& Name) {
  std::string Lower = LowerCase(Headers);
  size_t Line = Lower.find("content-disposition:");
  if (Line == std::string::npos) return false;
  size_t Eol = Lower.find("\r\n", Line);
  std::string_view Disp = Headers.substr(Line, Eol == std::string::npos ? Eol : Eol - Line);
  std::string DispLower = LowerCase(Disp);
  for (size_t P = DispLower.find("name=\""); P != std::string::npos;
       P = DispLower.find("name=\"", P + 1)) {
    // Not the tail of "filename=".
    if (P > 0 && DispLower[P - 1] != ' ' && DispLower[P - 1] != ';') continue;
    size_t End = Disp.find('"', P + 6);
    if (End == std::string_view::npos) return false;
    Name = std::string(Disp.substr(P + 6, End - P - 6));
    return true;
  }
  return false;
}

}  // namespace

bool ParseMultipart(std::string_view Body, std::string_view Boundary, std::size_t MaxFields,
                    TWebValues& Values) {
  const std::string Delim = "--" + std::string(Boundary);
  const std::string Next = "\r\n" + Delim;
  if (Body.compare(0, Delim.size(), Delim) != 0) return false;
  size_t Pos = Delim.size();
  std::size_t Count = 0;
  for (;;) {
    if (Body.compare(Pos, 2, "--") == 0) return true;  // the closing delimiter
    if (Body.compare(Pos, 2, "\r\n") != 0) return false;
    Pos += 2;
    size_t HeadEnd = Body.find("\r\n\r\n", Pos);
    if (HeadEnd == std::string_view::npos) return false;
    std::string Name;
    if (!PartName(Body.substr(Pos, HeadEnd - Pos), Name)) return false;
    size_t ValueStart = HeadEnd + 4;
    size_t ValueEnd = Body.find(Next, ValueStart);
    if (ValueEnd == std::string_view::npos) return false;
    if (++Count > MaxFields) return false;
    Values.Add(std::move(Name), std::string(Body.substr(ValueStart, ValueEnd - ValueStart)));
    Pos = ValueEnd + Next.size();
  }
}

}  // namespace quin
