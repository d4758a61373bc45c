#include "base/langmanager.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "base/systemlocale.h"
#include "base/text.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TOrvLangManager, TObject)

void TOrvLangManager::AfterConstruction() {
  FormatSettings = SystemLocale().FormatSettings;
  RegisterLanguages();
  if (!FCreateCode.empty())
    SetLanguage(FCreateCode);
  else
    SetSystemLanguage();
}

void TOrvLangManager::AddLanguage(std::string_view Code) {
  const std::string C = LowerCase(Code);
  auto It = std::lower_bound(FLanguages.begin(), FLanguages.end(), C);
  if (It == FLanguages.end() || *It != C) FLanguages.insert(It, C);
}

bool TOrvLangManager::IsRegistered(std::string_view Code) const {
  for (const std::string& L : FLanguages)
    if (SameText(L, Code)) return true;
  return false;
}

void TOrvLangManager::RegisterLanguages() {
  AddLanguage("plk");
  AddLanguage("enu");
}

void TOrvLangManager::SetLanguage(std::string_view Code) {
  // The code is resolved before it is compared, so an alias of the current language ('pl'
  // while "plk" is current) leaves Previous alone.
  const std::string Resolved = ResolveLanguage(Code);
  if (Resolved == FCurrent) return;
  FPrevious = FCurrent;
  FCurrent = Resolved;
  UpdateSeparators();
}

std::string TOrvLangManager::ResolveLanguage(std::string_view Code) const {
  if (FLanguages.empty()) return "";
  std::string C = LowerCase(Code);
  if (IsRegistered(C)) return C;
  if (!C.empty()) {
    std::string Short = C.substr(0, C.size() - 1);
    if (IsRegistered(Short)) return Short;
    for (const std::string& L : FLanguages)
      if (L.compare(0, Short.size(), Short) == 0) return L;
  }
  return FLanguages.front();
}

void TOrvLangManager::SetSystemLanguage() { SetLanguage(SystemLocale().LanguageAbbrev); }

void TOrvLangManager::PostProcessText(std::string& Text) const {
  if (Hook) Hook(FCurrent, Text);
}

std::string TOrvLangManager::TranslateTo(std::string_view Text, std::string_view Lang,
                                         bool UsePrevious) const {
  std::string Result;
  if (FLanguages.size() <= 1 && Text.find('<') == std::string_view::npos) {
    Result.assign(Text);
  } else {
    const std::string Target = LowerCase(UsePrevious ? std::string_view(FPrevious) : Lang);
    Result.reserve(Text.size());
    bool Common = true;
    std::string Section;
    const size_t N = Text.size();
    size_t NextGt = Text.find('>');
    for (size_t I = 0; I < N; ++I) {
      const char C = Text[I];
      if (C == '<') {
        if (NextGt != std::string_view::npos && NextGt < I) NextGt = Text.find('>', I);
        if (NextGt != std::string_view::npos) {
          const std::string_view Body = Text.substr(I + 1, NextGt - I - 1);
          if (IsRegistered(Body)) {
            Common = false;
            Section = LowerCase(Body);
            I = NextGt;
            continue;
          }
        }
        if (Text.substr(I, 3) == "<*>") {
          Common = true;
          I += 2;
          continue;
        }
      }
      if (Common || Section == Target) Result += C;
    }
  }
  PostProcessText(Result);
  return Result;
}

std::string TOrvLangManager::Translate(std::string_view Text, bool UsePrevious) const {
  return TranslateTo(Text, FCurrent, UsePrevious);
}

std::string TOrvLangManager::TranslateText(std::string_view Text,
                                           std::string_view Separator) const {
  std::string T = Translate(Text, false);
  if (T.find("\\n") == std::string::npos) return T;
  const std::string_view Sep = Separator.empty() ? std::string_view("\r\n") : Separator;
  std::string R;
  R.reserve(T.size() + 8);
  for (size_t I = 0; I < T.size(); ++I) {
    if (T[I] == '\\' && I + 1 < T.size() && T[I + 1] == 'n') {
      R += Sep;
      ++I;
    } else {
      R += T[I];
    }
  }
  return R;
}

void TOrvLangManager::SetSeparatorsByLanguage(bool Value) {
  if (Value == FSeparatorsFollowLanguage) return;
  FSeparatorsFollowLanguage = Value;
  UpdateSeparators();
}

void TOrvLangManager::UpdateSeparators() {
  if (FSeparatorsFollowLanguage) {
    SetDateFormatsByLanguage(FormatSettings, FCurrent);
    const std::string Dec = TranslateText("<PLK>,<ENU>.");
    const std::string Thou = TranslateText("<PLK> <ENU>,");
    if (!Dec.empty()) FormatSettings.DecimalSeparator = Dec[0];
    if (!Thou.empty()) FormatSettings.ThousandSeparator = Thou[0];
    // Lists of numbers need a separator other than the decimal one.
    FormatSettings.ListSeparator = FormatSettings.DecimalSeparator == ',' ? ';' : ',';
  } else {
    FormatSettings = SystemLocale().FormatSettings;
  }
}

void SetUpSessionLanguage(TOrvLangManager& Session, TOrvLangManager* Survey) {
  Session.SetSeparatorsByLanguage(true);
  if (Survey) Survey->SetLanguage(Session.Current());
}

// ---- the current manager

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> A;
  return A;
}

// The language the command line forces, or "" when it names none.
std::string CommandLineLanguage() {
  std::string Lang;
  for (const std::string& A : Arguments()) {
    if (A == "-lang:enu")
      Lang = "enu";
    else if (A == "-lang:plk")
      Lang = "plk";
  }
  return Lang;
}

thread_local TOrvLangManager* tBound = nullptr;

const TOrvLangManager& Fallback() {
  static const std::unique_ptr<TOrvLangManager> M = [] {
    const std::string Lang = CommandLineLanguage();
    return New<TOrvLangManager>(Lang.empty() ? "plk" : Lang);
  }();
  return *M;
}

}  // namespace

void SetProgramArguments(std::vector<std::string> Args) { Arguments() = std::move(Args); }

const std::vector<std::string>& ProgramArguments() { return Arguments(); }

const TOrvLangManager& CurrentLangManager() {
  if (!tBound) return Fallback();
  const std::string Lang = CommandLineLanguage();
  if (!Lang.empty()) tBound->SetLanguage(Lang);
  return *tBound;
}

bool HasSessionLangManager() { return tBound != nullptr; }

std::string TranslateLiteral(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

TLangManagerBinding::TLangManagerBinding(TOrvLangManager* Manager) : FPrevious(tBound) {
  tBound = Manager;
}

TLangManagerBinding::~TLangManagerBinding() { tBound = FPrevious; }

void RecodePolishLetters(std::string& S, const unsigned char (&FromCodes)[18],
                         const unsigned char (&ToCodes)[18]) {
  unsigned char Map[256];
  for (int I = 0; I < 256; ++I) Map[I] = static_cast<unsigned char>(I);
  for (int I = 17; I >= 0; --I)  // the first match wins
    if (FromCodes[I] >= 128) Map[FromCodes[I]] = ToCodes[I];
  for (char& C : S) C = static_cast<char>(Map[static_cast<unsigned char>(C)]);
}

}  // namespace quin
