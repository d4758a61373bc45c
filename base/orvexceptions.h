// The exception family of the program's own failures. The message is produced once, in the
// current language, when the exception is created; Template and Args stay available so a
// handler can produce the text again in another language.
#pragma once

#include <string>
#include <string_view>

#include "base/exception.h"
#include "base/orvclasses.h"

namespace quin {

class TOrvLangManager;

// Fills the "%s" places of an already translated text from Args, right to left: the last
// argument goes to the last place; once the arguments run out, every remaining place gets the
// first argument. Inserted text is not scanned again; other "%" forms are left alone.
std::string FillStringPlaceholders(std::string Text, const TDynStringArr& Args);
// Template translated by Manager (CR LF line breaks), then its "%s" places filled from Args.
std::string FormatTemplate(const TOrvLangManager& Manager, std::string_view Template,
                           const TDynStringArr& Args);

class EOrvException : public Exception {
 public:
  // Template is a bilingual text in Windows-1250.
  explicit EOrvException(std::string ATemplate);
  EOrvException(std::string ATemplate, TDynStringArr AArgs);  // CreateFromArgs
  // The message for the current language.
  virtual std::string MessageText() const;
  std::string Template;
  TDynStringArr Args;
};

class ESIGErr : public EOrvException {
 public:
  ESIGErr();
  static const std::string& DefaultTemplate();
};

class EVERErr : public EOrvException {
 public:
  EVERErr();
  static const std::string& DefaultTemplate();
};

// Base of the message-list exceptions; not raised itself.
class EMsgList : public EOrvException {
 public:
  using EOrvException::EOrvException;
};

// A fatal message reached a message list, or the list reached its error limit.
class EMsgList_FatalError : public EMsgList {
 public:
  using EMsgList::EMsgList;
};

class EOrvInvalidBinData : public EOrvException {
 public:
  enum TReason { kInvalidSize, kInvalidChars };
  explicit EOrvInvalidBinData(TReason Reason);
};

// Decompression errors stand outside the family.
class EZlibError : public Exception {
 public:
  using Exception::Exception;
};
// Raised with an empty message when the inflater reports an error.
class EDecompressionError : public EZlibError {
 public:
  EDecompressionError() : EZlibError("") {}
};

}  // namespace quin
