#include "surveykit/mermessages.h"

namespace quin {

namespace {
// Constant-initialised: the parent is reached through its accessor only when asked.
const TOrvMsgKind kRepOutInfo{"TMerMsgKind_RepOutInfo", nullptr, "I",
                              "<PLK>Informacja<ENU>Information"};
constexpr char kFileNotFoundText[] =
    "<PLK>Pliku nie znaleziono lub niekompatybilny format.<ENU>File not found or incompatible "
    "format.";
}  // namespace

const TOrvMsgKind& TMerMsgKind_RepOutInfo() {
  static const TOrvMsgKind Kind{kRepOutInfo.Name, &TOrvMsgKind_Info(), kRepOutInfo.Code,
                                kRepOutInfo.DisplayNameUtf8};
  return Kind;
}

#define QUIN_MSG(Name, Kind, Text) const TOrvMsgClass Name{#Name, &Kind, Text};

QUIN_MSG(TMerError_FileNotFound, TOrvMsgKind_Error, kFileNotFoundText)
QUIN_MSG(TMerWarning_FileNotFound, TOrvMsgKind_Warning, kFileNotFoundText)
QUIN_MSG(TMerError_NameNotDefined, TOrvMsgKind_Error,
         "<PLK>Klucz \"name\" nie został zdefiniowany.<ENU>\"name\" not defined.")
QUIN_MSG(TMerMsgError_UnexpectedDef, TOrvMsgKind_Error,
         "<PLK>Nieoczekiwane \"def\".<ENU>Unexpected \"def\".")
QUIN_MSG(TMerError_IDNotDefined, TOrvMsgKind_Error,
         "<PLK>Klucz \"id\" nie został zdefiniowany.<ENU>\"id\" not defined.")
QUIN_MSG(TMerError_ColNotDefined, TOrvMsgKind_Error,
         "<PLK>Kolumna (\"column\") nie została zdefiniowana.<ENU>Column not defined.")
QUIN_MSG(TMerError_IDNotUnique, TOrvMsgKind_Error,
         "<PLK>Klucz \"id\" nie jest unikalny.<ENU>\"id\" not unique.")
QUIN_MSG(TMerMsgError_IntegerOutOfBounds, TOrvMsgKind_Error,
         "<PLK>Liczba spoza zakresu.<ENU>Integer out of bounds.")
QUIN_MSG(TMerMsgError_UnknownIndID, TOrvMsgKind_Error,
         "<PLK>Nieznany id wskaźnika.<ENU>Unknown indicator id.")
QUIN_MSG(TMerMsgError_IndIDExpected, TOrvMsgKind_Error,
         "<PLK>Oczekiwany id wskaźnika.<ENU>Indicator id expected.")
QUIN_MSG(TMerError_ModuleNotFound, TOrvMsgKind_Error,
         "<PLK>Modułu nie znaleziono.<ENU>Module not found.")
QUIN_MSG(TMerError_ColNotFoundInAll, TOrvMsgKind_Error,
         "<PLK>Kolumny \"%s\" nie znaleziono.<ENU>Column \"%s\" not found.")
QUIN_MSG(TMerRepInfo_PressNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Tytuł prasowy (ID: %s) nie został znaleziony.<ENU>Press title (ID: %s) not "
         "found.")
QUIN_MSG(TMerRepInfo_RadioNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Stacja radiowa (ID: %s) nie została znaleziona.<ENU>Radio station (ID: %s) not "
         "found.")
QUIN_MSG(TMerRepInfo_QuestionNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Pytanie (ID: %s) nie zostało znalezione.<ENU>Question with (ID: %s) not found.")
QUIN_MSG(TMerRepInfo_WaveNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Fala (ID: %s) nie została znaleziona.<ENU>Wave (ID: %s) not found.")
QUIN_MSG(TMerRepInfo_ResponseNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Odpowiedź (ID: %s) nie została znaleziona w pytaniu (ID: %s).<ENU>Response (ID: "
         "%s) not found in question (ID: %s).")
QUIN_MSG(TMerRepInfo_StatisticNotFound, TMerMsgKind_RepOutInfo,
         "<PLK>Statystyka (ID: %s) nie została znaleziona lub nie jest udostępniona.<ENU>"
         "Statistic (ID: %s) not found or not allowed.")
QUIN_MSG(TMerFatal_IncorrectSurvey, TOrvMsgKind_FatalError,
         "<PLK>Niepoprawny identyfikator badania.<ENU>Incorrect survey identifier.")

QUIN_MSG(TGimFatal_Waves_NotDefined, TOrvMsgKind_FatalError,
         "<PLK>Brak definicji fal (\"waves\").<ENU>\"waves\" definition missing.")
QUIN_MSG(TGimFatal_Data_NotDefined, TOrvMsgKind_FatalError,
         "<PLK>Brak definicji danych (\"data\").<ENU>\"data\" definition missing.")
QUIN_MSG(TMerWarning_SectionSkipped, TOrvMsgKind_Warning,
         "<PLK>Sekcja \"%s\" została pominięta: ta wersja programu jej nie odczytuje.<ENU>"
         "Section \"%s\" skipped: this version of the program does not read it.")

QUIN_MSG(TMerError_UnknownLanguage, TOrvMsgKind_Error,
         "<PLK>Nieznany identyfikator języka.<ENU>Unknown language identifier.")
QUIN_MSG(TMerWarning_WizDefinedByGroup, TOrvMsgKind_Warning,
         "<PLK>Kreator już zdefiniowany za pomocą grupy kreatorów.<ENU>Wizard already defined "
         "through a wizard group definition.")
QUIN_MSG(TMerWarning_WizGroupOverrides, TOrvMsgKind_Warning,
         "<PLK>Grupa kreatorów przesłania definicje poszczególnych kreatorów.<ENU>Wizard group "
         "overrides single wizard definitions.")
QUIN_MSG(TMerWarning_StatInAdvStats, TOrvMsgKind_Warning,
         "<PLK>Statystyka już zdefiniowana w advStats.<ENU>Statistic already defined in "
         "advStats.")
QUIN_MSG(TMerWarning_StatAlreadyDefined, TOrvMsgKind_Warning,
         "<PLK>Statystyka już zdefiniowana.<ENU>Statistic already defined.")
QUIN_MSG(TMerWarning_StatInStdStats, TOrvMsgKind_Warning,
         "<PLK>Statystyka już zdefiniowana w stdStats.<ENU>Statistic already defined in "
         "stdStats.")
QUIN_MSG(TMerWarning_AddrNotFound, TOrvMsgKind_Warning,
         "<PLK>Adresu internetowego nie znaleziono.<ENU>Internet address not found.")
QUIN_MSG(TMerError_InfoPageTextAndAddr, TOrvMsgKind_Error,
         "<PLK>Pola \"text\" oraz adresowe (\"addr\" i \"file\") nie mogą być zdefiniowane "
         "jednocześnie.<ENU>Text (\"text\") and address (\"addr\" and \"file\") cannot be "
         "defined simultaneously.")
QUIN_MSG(TMerError_InfoPageEmpty, TOrvMsgKind_Error,
         "<PLK>Dla strony muszą być zdefiniowane pod-strony lub jedno z pól: \"text\", \"addr\" "
         "lub \"file\".<ENU>Sub-pages must be defined for pages, or one of the fields: \"text\", "
         "\"addr\", or \"file\".")
QUIN_MSG(TMerError_LogoPlacementWithoutLogo, TOrvMsgKind_Error,
         "<PLK>logoPlacement dozwolone jest tylko przy definicji logo.<ENU>logoPlacement is "
         "allowed only with a logo definition.")
QUIN_MSG(TMerWarning_ValueRepeated, TOrvMsgKind_Warning,
         "<PLK>Powtórzona wartość pola.<ENU>Value repeated for field.")
QUIN_MSG(TMerError_FileOutsideSurvey, TOrvMsgKind_Error,
         "<PLK>Plik musi leżeć w folderze badania.<ENU>The file must lie inside the survey's "
         "folder.")

#undef QUIN_MSG

}  // namespace quin
