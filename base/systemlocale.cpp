#include "base/systemlocale.h"

#include <cstdlib>
#include <mutex>
#include <optional>

#include "base/text.h"

namespace quin {

namespace {

struct LangRow {
  const char* Posix;   // ISO 639-1 prefix of a POSIX locale name
  const char* Abbrev;  // three-letter code
  const char* English;
  const char* Polish;  // UTF-8
};

const LangRow kLanguages[] = {
    {"pl", "PLK", "Polish", "polski"},
    {"en", "ENU", "English", "angielski"},
    {"", "ENG", "English (United Kingdom)", "angielski (Wielka Brytania)"},
    {"", "ENA", "English (Australia)", "angielski (Australia)"},
    {"", "ENC", "English (Canada)", "angielski (Kanada)"},
    {"", "ESN", "Spanish (International Sort)", "hiszpański (sortowanie międzynarodowe)"},
    {"", "PTG", "Portuguese (Portugal)", "portugalski (Portugalia)"},
    {"de", "DEU", "German", "niemiecki"},
    {"fr", "FRA", "French", "francuski"},
    {"ru", "RUS", "Russian", "rosyjski"},
    {"uk", "UKR", "Ukrainian", "ukraiński"},
    {"cs", "CSY", "Czech", "czeski"},
    {"sk", "SKY", "Slovak", "słowacki"},
    {"hu", "HUN", "Hungarian", "węgierski"},
    {"lt", "LTH", "Lithuanian", "litewski"},
    {"lv", "LVI", "Latvian", "łotewski"},
    {"et", "ETI", "Estonian", "estoński"},
    {"it", "ITA", "Italian", "włoski"},
    {"es", "ESP", "Spanish", "hiszpański"},
    {"nl", "NLD", "Dutch", "niderlandzki"},
    {"sv", "SVE", "Swedish", "szwedzki"},
    {"da", "DAN", "Danish", "duński"},
    {"fi", "FIN", "Finnish", "fiński"},
    {"no", "NOR", "Norwegian", "norweski"},
    {"pt", "PTB", "Portuguese (Brazil)", "portugalski (Brazylia)"},
    {"ro", "ROM", "Romanian", "rumuński"},
    {"bg", "BGR", "Bulgarian", "bułgarski"},
    {"hr", "HRV", "Croatian", "chorwacki"},
    {"sl", "SLV", "Slovenian", "słoweński"},
    {"sr", "SRL", "Serbian", "serbski"},
    {"el", "ELL", "Greek", "grecki"},
    {"tr", "TRK", "Turkish", "turecki"},
    {"be", "BEL", "Belarusian", "białoruski"},
};

std::mutex& LocaleLock() {
  static std::mutex M;
  return M;
}
std::optional<TSystemLocale>& Injected() {
  static std::optional<TSystemLocale> L;
  return L;
}

std::string EnvironmentLocaleName() {
  for (const char* Var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* V = std::getenv(Var);
    if (V && *V) return V;
  }
  return "C";
}

}  // namespace

TSystemLocale LocaleFromName(std::string_view PosixName) {
  TSystemLocale L;  // "C", "POSIX" and English: ENU "." "," ","
  const std::string Prefix = LowerCase(PosixName.substr(0, 2));
  bool DecimalComma = false;
  for (const LangRow& R : kLanguages) {
    if (*R.Posix && Prefix == R.Posix &&
        (PosixName.size() == 2 || PosixName[2] == '_' || PosixName[2] == '.' ||
         PosixName[2] == '@')) {
      L.LanguageAbbrev = R.Abbrev;
      DecimalComma = Prefix != "en";
      break;
    }
  }
  if (DecimalComma) {
    L.FormatSettings.DecimalSeparator = ',';
    L.FormatSettings.ThousandSeparator = ' ';
  }
  // Linux has no list separator: ";" goes with a decimal comma, "," otherwise.
  L.FormatSettings.ListSeparator = DecimalComma ? ';' : ',';
  SetDateFormatsByLanguage(L.FormatSettings, L.LanguageAbbrev);
  return L;
}

TSystemLocale SystemLocale() {
  {
    std::lock_guard<std::mutex> G(LocaleLock());
    if (Injected()) return *Injected();
  }
  return LocaleFromName(EnvironmentLocaleName());
}

void SetSystemLocale(const TSystemLocale& Locale) {
  std::lock_guard<std::mutex> G(LocaleLock());
  Injected() = Locale;
}

void ResetSystemLocale() {
  std::lock_guard<std::mutex> G(LocaleLock());
  Injected().reset();
}

bool SetDateFormatsByLanguage(TFormatSettings& Settings, std::string_view Code) {
  struct DateRow {
    const char* Code;
    char DateSeparator;
    const char* ShortDate;
    const char* LongTime;
  };
  static const DateRow kDates[] = {{"PLK", '-', "yyyy-mm-dd", "hh:nn:ss"},
                                   {"ENU", '/', "M/d/yyyy", "h:nn:ss AMPM"}};
  for (const DateRow& R : kDates) {
    if (!SameText(Code, R.Code)) continue;
    Settings.DateSeparator = R.DateSeparator;
    Settings.ShortDateFormat = R.ShortDate;
    Settings.LongTimeFormat = R.LongTime;
    return true;
  }
  return false;
}

std::string LanguageDisplayName(std::string_view Code) {
  return LanguageDisplayName(Code, SystemLocale().LanguageAbbrev);
}

std::string LanguageDisplayName(std::string_view Code, std::string_view InLanguage) {
  const bool Polish = SameText(InLanguage, "PLK");
  for (const LangRow& R : kLanguages)
    if (SameText(Code, R.Abbrev)) return Polish ? Cp1250(R.Polish) : std::string(R.English);
  return "";
}

}  // namespace quin
