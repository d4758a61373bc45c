#include "base/orvexceptions.h"

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {

std::string FillStringPlaceholders(std::string Text, const TDynStringArr& Args) {
  if (Args.empty() || Text.size() < 2) return Text;
  // Scan from the end; after each replacement go on leftwards from where the place stood.
  int NextArg = static_cast<int>(Args.size()) - 1;
  size_t Pos = Text.size() - 1;  // index of the last character a place may end on
  while (Pos >= 1) {
    if (Text[Pos - 1] == '%' && Text[Pos] == 's') {
      const std::string& Arg = Args[static_cast<size_t>(NextArg >= 0 ? NextArg : 0)];
      if (NextArg > 0)
        --NextArg;
      else
        NextArg = -1;
      Text.replace(Pos - 1, 2, Arg);
      if (Pos < 2) break;
      Pos -= 2;
    } else {
      --Pos;
    }
  }
  return Text;
}

std::string FormatTemplate(const TOrvLangManager& Manager, std::string_view Template,
                           const TDynStringArr& Args) {
  return FillStringPlaceholders(Manager.TranslateText(Template, ""), Args);
}

EOrvException::EOrvException(std::string ATemplate) : Template(std::move(ATemplate)) {
  Message = EOrvException::MessageText();
}

EOrvException::EOrvException(std::string ATemplate, TDynStringArr AArgs)
    : Template(std::move(ATemplate)), Args(std::move(AArgs)) {
  Message = EOrvException::MessageText();
}

std::string EOrvException::MessageText() const {
  return FormatTemplate(CurrentLangManager(), Template, Args);
}

const std::string& ESIGErr::DefaultTemplate() {
  static const std::string T = Cp1250(
      "<PLK>Błąd w sygnaturze pliku / strumienia.\\nPrawdopodobnie próba otwarcia pliku innego "
      "typu\\n(niż oczekiwany w danej sytuacji).<ENU>Error in file / stream signature.\\n"
      "Probably you are trying to open a file of another type\\n(than expected in the current "
      "situation).");
  return T;
}

ESIGErr::ESIGErr() : EOrvException(DefaultTemplate()) {}

const std::string& EVERErr::DefaultTemplate() {
  static const std::string T = Cp1250(
      "<PLK>Błąd w wersji pliku / strumienia.\\nPrawdopodobnie próba otwarcia pliku "
      "przygotowanego w nowszej wersji aplikacji,\\nktóry nie może zostać otwarty w tej wersji "
      "aplikacji.<ENU>Error in file / stream version.\\nProbably you are trying to open a file "
      "that was created in a newer version of the application\\nand that cannot be opened in "
      "this version of the application.");
  return T;
}

EVERErr::EVERErr() : EOrvException(DefaultTemplate()) {}

namespace {
std::string InvalidBinDataTemplate(EOrvInvalidBinData::TReason Reason) {
  return Reason == EOrvInvalidBinData::kInvalidSize
             ? Cp1250(
                   "<PLK>Nieprawidłowa wielkość danych binarnych.<ENU>Invalid binary data "
                   "size.")
             : Cp1250(
                   "<PLK>Nieprawidłowe znaki w danych binarnych.<ENU>Invalid characters in "
                   "binary data.");
}
}  // namespace

EOrvInvalidBinData::EOrvInvalidBinData(TReason Reason)
    : EOrvException(InvalidBinDataTemplate(Reason)) {}

}  // namespace quin
