// The facts of the system locale that the program reads: number separators, list separator,
// the three-letter language code and language display names. One injectable provider with
// fixed tables; tests pin it.
#pragma once

#include <string>
#include <string_view>

#include "base/formatsettings.h"

namespace quin {

struct TSystemLocale {
  std::string LanguageAbbrev = "ENU";  // three-letter code of the default locale, e.g. "PLK"
  TFormatSettings FormatSettings;
};

// The locale that a POSIX locale name ("pl_PL.UTF-8", "en_US", "C", "de_DE") stands for.
TSystemLocale LocaleFromName(std::string_view PosixName);
// The locale in force: the injected one, or the one named by LC_ALL / LC_MESSAGES / LANG.
TSystemLocale SystemLocale();
// Injects a locale (start-up and tests); the setting holds until reset.
void SetSystemLocale(const TSystemLocale& Locale);
// Back to the locale named by the environment.
void ResetSystemLocale();

// The date and time patterns customary for a language, by its three-letter code (case
// ignored): Polish "yyyy-mm-dd" and "hh:nn:ss"; English "M/d/yyyy" and "h:nn:ss AMPM" with "/"
// between the parts of a date. False, Settings untouched, for another language.
bool SetDateFormatsByLanguage(TFormatSettings& Settings, std::string_view Code);

// The display name of a three-letter language code, without regard to case; "" when unknown.
// Names are in Polish when the system locale is Polish, else in English.
std::string LanguageDisplayName(std::string_view Code);
// The same in the language InLanguage (a three-letter code): Polish for "plk", else English.
std::string LanguageDisplayName(std::string_view Code, std::string_view InLanguage);

}  // namespace quin
