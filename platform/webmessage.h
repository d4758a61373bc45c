// One HTTP request as the web-form layer sees it, its answer, and the decoding of query strings
// and form bodies.
#pragma once

#include <chrono>
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

struct TWebResponse {
  int Status = 200;
  std::string ContentType;
  std::string Body;
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
