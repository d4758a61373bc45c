// One HTTP request as the web-form layer sees it, its answer, and the decoding of query strings
// and form bodies.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/webform.h"

namespace quin {

struct TWebRequest {
  std::string Method;  // "GET", "HEAD" or "POST"
  std::string Path;    // as sent, percent-encoded, without the query
  TWebValues Values;   // query and form values, decoded, still in the browser's character set
  // The client's address: the peer's, or the one a trusted proxy forwards.
  std::string ClientAddress = {};
};

// A file sent as an answer's body from disk, in bounded pieces; open for reading while the
// answer exists.
struct TBodyFile {
  TBodyFile() = default;
  TBodyFile(const TBodyFile&) = delete;
  TBodyFile& operator=(const TBodyFile&) = delete;
  ~TBodyFile();
  int Fd = -1;
  std::uint64_t Size = 0;
  // Reads up to Count bytes at Offset into Buffer; the bytes read, 0 at the end or on an error.
  std::size_t Read(std::uint64_t Offset, char* Buffer, std::size_t Count) const;
  // Opens the regular file Path of at most MaxSize bytes; null when it cannot.
  static std::shared_ptr<const TBodyFile> Open(const std::string& Path, std::uint64_t MaxSize);
  // The whole file as text (tests and small files).
  std::string ReadAll() const;
};

struct TWebResponse {
  int Status = 200;
  std::string ContentType;
  std::string Body;
  // When set, the body is this file instead (Body stays empty).
  std::shared_ptr<const TBodyFile> File;
  std::vector<std::pair<std::string, std::string>> Headers;
  // How long the answer is held back before it is sent (the connection waits, no worker).
  std::chrono::milliseconds Delay{0};
  // The value of the named header; empty when absent.
  std::string Header(std::string_view Name) const;
};

// Content type for a file name's extension; "application/octet-stream" when unknown.
std::string ContentTypeOf(std::string_view FileName);
// The extension of a file name, lower-cased, without the dot; empty when none.
std::string FileExtension(std::string_view FileName);

// Adds the name=value pairs of a query string or url-encoded body ("a=1&b=%B1") to Values.
void ParseQuery(std::string_view Text, TWebValues& Values);
// Adds the fields of a multipart/form-data body with the given boundary to Values; false when
// the body is malformed or holds more than MaxFields fields.
bool ParseMultipart(std::string_view Body, std::string_view Boundary, std::size_t MaxFields,
                    TWebValues& Values);
// The boundary parameter of a multipart Content-Type; empty when none.
std::string MultipartBoundary(std::string_view ContentType);

}  // namespace quin
