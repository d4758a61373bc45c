// The language manager: registered language codes, the current and previous language, the
// number separators that go with the language, and the translation of bilingual strings such
// as "<PLK>Anuluj<ENU>Cancel".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/formatsettings.h"
#include "base/metaclass.h"

namespace quin {

// Called after every translation with the current language code and the translated text,
// which it may change.
using TOrvLangHook = std::function<void(const std::string& Code, std::string& Text)>;

class TOrvLangManager : public TObject {
  QUIN_CLASS(TOrvLangManager, TObject)
 public:
  // Create with New<TOrvLangManager>(Code): after construction the locale's settings are
  // loaded, RegisterLanguages runs, then SetLanguage(Code), or SetSystemLanguage when Code is
  // empty.
  explicit TOrvLangManager(std::string_view Code = "") : FCreateCode(Code) {}
  void AfterConstruction() override;

  // Sorted, lower case, no duplicates.
  const std::vector<std::string>& Languages() const { return FLanguages; }
  // Adds a code (lower-cased; a duplicate is ignored).
  void AddLanguage(std::string_view Code);
  bool IsRegistered(std::string_view Code) const;

  const std::string& Current() const { return FCurrent; }
  const std::string& Previous() const { return FPrevious; }
  TOrvLangHook Hook;
  TFormatSettings FormatSettings;
  bool SeparatorsFollowLanguage() const { return FSeparatorsFollowLanguage; }

  virtual void RegisterLanguages();
  // Resolves Code; when that differs from Current, Previous := Current and Current := it,
  // then the separators are updated.
  virtual void SetLanguage(std::string_view Code);
  virtual void PostProcessText(std::string& Text) const;
  virtual std::string TranslateTo(std::string_view Text, std::string_view Lang,
                                  bool UsePrevious = false) const;
  virtual std::string Translate(std::string_view Text, bool UsePrevious = false) const;
  virtual std::string ResolveLanguage(std::string_view Code) const;
  virtual void SetSystemLanguage();

  // Translate, then each two-character "\n" becomes Separator (CR LF when it is empty).
  std::string TranslateText(std::string_view Text, std::string_view Separator = "") const;
  // With Value the decimal, thousands and list separators follow the language (plk ","
  // " " ";", enu "." "," ","), otherwise the system locale.
  void SetSeparatorsByLanguage(bool Value);
  // Following the language: its decimal and thousands separators and its date and time
  // patterns; otherwise the system locale's settings.
  void UpdateSeparators();

 private:
  std::string FCreateCode;
  std::vector<std::string> FLanguages;
  std::string FCurrent;
  std::string FPrevious;
  bool FSeparatorsFollowLanguage = false;
};

// The program's command-line parameters, stored by the program entry; CurrentLangManager
// applies "-lang:enu" and "-lang:plk" from them.
void SetProgramArguments(std::vector<std::string> Args);
const std::vector<std::string>& ProgramArguments();

// The language manager of the calling request's session, with the command line's language
// forced on it (the last "-lang:enu" / "-lang:plk" wins). Outside a session: a read-only
// fallback manager in Polish (or the command line's language), never mutated after creation.
const TOrvLangManager& CurrentLangManager();
// True when the calling thread serves a session (a manager is bound).
bool HasSessionLangManager();
// A bilingual literal of the source (UTF-8) in the calling session's language (Windows-1250).
std::string TranslateLiteral(std::string_view Utf8);

// The language set-up of an analyst's session, the same for a web session (at its start, when a
// survey opens and at a change of language) and for the report tool: the session's numbers take
// the separators of its language, and the open survey's own texts (Survey, when there is one)
// follow the session's language.
void SetUpSessionLanguage(TOrvLangManager& Session, TOrvLangManager* Survey = nullptr);

// Binds a session's manager to the calling thread for the lifetime of the guard.
class TLangManagerBinding {
 public:
  explicit TLangManagerBinding(TOrvLangManager* Manager);
  ~TLangManagerBinding();
  TLangManagerBinding(const TLangManagerBinding&) = delete;
  TLangManagerBinding& operator=(const TLangManagerBinding&) = delete;

 private:
  TOrvLangManager* FPrevious;
};

// Replaces every character of S with a code >= 128 that equals an entry of FromCodes by the
// entry of ToCodes at the same index (first match wins). Both tables hold 18 codes.
void RecodePolishLetters(std::string& S, const unsigned char (&FromCodes)[18],
                         const unsigned char (&ToCodes)[18]);

}  // namespace quin
