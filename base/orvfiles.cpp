#include "base/orvfiles.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/langmanager.h"
#include "base/orvexceptions.h"
#include "base/orvstreams.h"
#include "base/text.h"

namespace quin {

namespace fs = std::filesystem;

namespace {

bool IsSep(char C) { return C == '\\' || C == '/'; }

// Length of the root of Path: "X:\" (or "X:/"), or a leading run of separators; 0 for a
// relative path.
size_t RootLength(std::string_view Path) {
  if (Path.size() >= 3 &&
      ((Path[0] >= 'A' && Path[0] <= 'Z') || (Path[0] >= 'a' && Path[0] <= 'z')) &&
      Path[1] == ':' && IsSep(Path[2]))
    return 3;
  size_t N = 0;
  while (N < Path.size() && IsSep(Path[N])) ++N;
  return N;
}

size_t FindSep(std::string_view S, size_t From) {
  for (size_t I = From; I < S.size(); ++I)
    if (IsSep(S[I])) return I;
  return std::string_view::npos;
}

size_t CountSeps(std::string_view S) {
  size_t N = 0;
  for (char C : S) N += IsSep(C) ? 1 : 0;
  return N;
}

// Position of the extension's dot in the last component of FileName; npos when none.
size_t ExtDotPos(std::string_view FileName) {
  for (size_t I = FileName.size(); I > 0; --I) {
    const char C = FileName[I - 1];
    if (C == '.') return I - 1;
    if (IsSep(C)) break;
  }
  return std::string_view::npos;
}

std::string TranslateIOError(int ErrorCode) {
  const std::string Text = IOErrorText(IOErrorCodeOfErrno(ErrorCode));
  return Text.empty() ? std::string() : CurrentLangManager().Translate(Text);
}

std::string BackupErrorText(const std::string& FileName, int ErrorCode) {
  static const std::string Template =
      Cp1250("<PLK>Nie można utworzyć kopii zapasowej %s.<ENU>Cannot make the backup copy %s.");
  std::string Msg = FormatTemplate(CurrentLangManager(), Template, {FileName});
  const std::string Reason = TranslateIOError(ErrorCode);
  if (!Reason.empty()) Msg += " " + Reason;
  return Msg;
}

}  // namespace

std::string ExtToMask(std::string_view Ext) {
  if (!Ext.empty() && Ext.front() == '.') return "*" + std::string(Ext);
  return "*." + std::string(Ext);
}

std::string MakeDialogFilter(const TDynStringArr& Names, const TDynStringArr& Masks,
                             bool AddAllFiles) {
  if (Names.size() != Masks.size()) return {};
  std::string Result;
  auto Add = [&Result](std::string_view Name, std::string_view Mask) {
    if (!Result.empty()) Result += '|';
    Result.append(Name).append(" (").append(Mask).append(")|").append(Mask);
  };
  for (size_t I = 0; I < Names.size(); ++I) Add(Names[I], Masks[I]);
  if (AddAllFiles) {
    static const std::string AllFiles = Cp1250("<PLK>Wszystkie pliki<ENU>All files");
    Add(CurrentLangManager().Translate(AllFiles), "*.*");
  }
  return Result;
}

int64_t FileSizeByName(const std::string& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
  return Stream.Size();
}

std::string ShortenPath(std::string_view Path, int MaxLen) {
  const size_t Max = MaxLen < 0 ? 0 : static_cast<size_t>(MaxLen);
  std::string S(Path);
  const size_t Root = RootLength(S);
  bool First = true;
  // Every step after the first removes at least one separator, so the loop ends.
  while (S.size() > Max && CountSeps(S) > 1) {
    if (First) {
      const size_t End = FindSep(S, Root);
      if (End == std::string::npos) break;
      S.replace(Root, End - Root, "...");
      First = false;
    } else {
      const size_t Start = Root + 4;  // after "...\"
      const size_t End = FindSep(S, Start);
      if (Start > S.size() || End == std::string::npos) break;
      S.erase(Start, End + 1 - Start);
    }
  }
  if (S.size() > Max) S.resize(Max);
  return S;
}

std::string BackupFileName(std::string_view FileName) {
  const size_t Dot = ExtDotPos(FileName);
  if (Dot == std::string_view::npos) return std::string(FileName) + ".~";
  std::string Result(FileName.substr(0, Dot));
  Result += ".~";
  Result.append(FileName.substr(Dot + 1));
  return Result;
}

EBackupError::EBackupError(std::string AFileName, int AErrorCode)
    : Exception(BackupErrorText(AFileName, AErrorCode)),
      FileName(std::move(AFileName)),
      ErrorCode(AErrorCode) {}

void BackupFile(const std::string& FileName, bool Copy) {
  std::error_code Ec;
  const fs::path Source(FileName);
  const fs::file_status SourceStatus = fs::status(Source, Ec);
  const bool SourceExists = fs::exists(SourceStatus);
  const std::string Backup = BackupFileName(FileName);
  if (SourceExists) {
    if (fs::is_directory(SourceStatus)) throw EBackupError(Backup, EISDIR);
    const auto Size = fs::file_size(Source, Ec);
    if (!Ec && Size == 0) return;
  }
  const fs::path Target(Backup);
  const fs::file_status TargetStatus = fs::symlink_status(Target, Ec);
  if (fs::exists(TargetStatus)) {
    // remove() would take an empty folder as well: only a file or a link is deleted.
    if (fs::is_directory(TargetStatus)) throw EBackupError(Backup, EISDIR);
    if (!fs::remove(Target, Ec) && Ec) throw EBackupError(Backup, Ec.value());
  }
  if (!SourceExists) return;
  if (Copy) {
    fs::copy_file(Source, Target, fs::copy_options::overwrite_existing, Ec);
  } else {
    fs::rename(Source, Target, Ec);
  }
  if (Ec) throw EBackupError(Backup, Ec.value());
}

std::string MakeRelativePath(std::string_view Path, std::string_view Base) {
  if (Base.empty()) return std::string(Path);
  const size_t Len = Base.size() + (IsSep(Base.back()) ? 0 : 1);
  if (Path.size() < Len) return std::string(Path);
  for (size_t I = 0; I < Len; ++I) {
    const char P = Path[I];
    if (I == Base.size()) {  // the added separator
      if (!IsSep(P)) return std::string(Path);
      continue;
    }
    const char B = Base[I];
    if (IsSep(B) ? !IsSep(P) : LowerChar(B) != LowerChar(P)) return std::string(Path);
  }
  return std::string(Path.substr(Len));
}

std::string MakeRelativeToCurrentDir(std::string_view Path) {
  std::error_code Ec;
  const fs::path Current = fs::current_path(Ec);
  if (Ec) return std::string(Path);
  return MakeRelativePath(Path, Current.string());
}

// ----- Text tables

namespace {

struct TRawEntry {
  const char* Name;
  const char* Value;  // UTF-8
};

constexpr TRawEntry kIOErrors[] = {
    {"IOErr0002", "<PLK>Plik nie został znaleziony.<ENU>File not found."},
    {"IOErr0003", "<PLK>Katalog nie został znaleziony.<ENU>Path not found."},
    {"IOErr0004", "<PLK>Za dużo otwartych plików.<ENU>Too many open files."},
    {"IOErr0005", "<PLK>Brak dostępu.<ENU>Access denied."},
    {"IOErr0006", "<PLK>Nieprawidłowy uchwyt.<ENU>Invalid handle."},
    {"IOErr0008", "<PLK>Za mało pamięci.<ENU>Not enough memory."},
    {"IOErr0010", "<PLK>Nieprawidłowe środowisko.<ENU>Invalid environment."},
    {"IOErr0011", "<PLK>Nieprawidłowy format.<ENU>Invalid format."},
    {"IOErr0012", "<PLK>Nieprawidłowy kod dostępu.<ENU>Invalid access code."},
    {"IOErr0015", "<PLK>Nieprawidłowy numer dysku.<ENU>Invalid drive number."},
    {"IOErr0016",
     "<PLK>Nie można usunąć aktualnego katalogu.<ENU>Cannot remove current directory."},
    {"IOErr0017", "<PLK>Nie można zmienić nazwy między dyskami.<ENU>Cannot rename across drives."},
    {"IOErr0018", "<PLK>Nie ma więcej plików.<ENU>No more files."},
    {"IOErr0021", "<PLK>Brak dysku w kieszeni.<ENU>No disk in drive."},
    {"IOErr0032",
     "<PLK>Brak dostępu - prawdopodobnie plik używany przez inną aplikację.<ENU>File access "
     "denied - possibly in use by another application."},
    {"IOErr0100", "<PLK>Błąd czytania z dysku.<ENU>Disk read error."},
    {"IOErr0101", "<PLK>Błąd pisania na dysk.<ENU>Disk write error."},
    {"IOErr0102", "<PLK>Plik nie został przypisany.<ENU>File not assigned."},
    {"IOErr0103", "<PLK>Plik nie został otwarty.<ENU>File not open."},
    {"IOErr0104", "<PLK>Plik nie został otwarty do czytania.<ENU>File not open for input."},
    {"IOErr0105", "<PLK>Plik nie został otwarty do pisania.<ENU>File not open for output."},
    {"IOErr0106", "<PLK>Nieprawidłowy format numeryczny.<ENU>Invalid numeric format."},
    {"IOErr0112", "<PLK>Prawdopodobnie brak miejsca na dysku.<ENU>Probably disk out of space."},
    {"IOErr0150", "<PLK>Dysk jest zabezpieczony przed pisaniem.<ENU>Disk is write-protected."},
    {"IOErr0151", "<PLK>Zła struktura żądania do dysku.<ENU>Bad drive request structure length."},
    {"IOErr0152", "<PLK>Dysk nie jest gotowy.<ENU>Drive not ready."},
    {"IOErr0154", "<PLK>Błąd CRC w danych.<ENU>CRC error in data."},
    {"IOErr0156", "<PLK>Błąd szukania na dysku.<ENU>Disk seek error."},
    {"IOErr0157", "<PLK>Nieznany typ nośnika.<ENU>Unknown media type."},
    {"IOErr0158", "<PLK>Sektor nie został znaleziony.<ENU>Sector not found."},
    {"IOErr0161", "<PLK>Nieprawidłowa nazwa ścieżki.<ENU>Invalid path name."},
};

constexpr TRawEntry kColorNames[] = {
    {"Custom...", "<PLK>Własny...<ENU>Custom..."},
    {"clBlack", "<PLK>Czarny<ENU>Black"},
    {"clMaroon", "<PLK>Kasztanowy<ENU>Maroon"},
    {"clGreen", "<PLK>Zielony<ENU>Green"},
    {"clOlive", "<PLK>Oliwkowy<ENU>Olive"},
    {"clNavy", "<PLK>Granatowy<ENU>Navy"},
    {"clPurple", "<PLK>Purpurowy<ENU>Purple"},
    {"clTeal", "<PLK>Morski<ENU>Teal"},
    {"clGray", "<PLK>Szary<ENU>Gray"},
    {"clSilver", "<PLK>Srebrny<ENU>Silver"},
    {"clRed", "<PLK>Czerwony<ENU>Red"},
    {"clLime", "<PLK>Limonkowy<ENU>Lime"},
    {"clYellow", "<PLK>Żółty<ENU>Yellow"},
    {"clBlue", "<PLK>Niebieski<ENU>Blue"},
    {"clFuchsia", "<PLK>Fuksja<ENU>Fuchsia"},
    {"clAqua", "<PLK>Błękitny<ENU>Aqua"},
    {"clWhite", "<PLK>Biały<ENU>White"},
    {"clMoneyGreen", "<PLK>Zielony pieniędzy<ENU>Money green"},
    {"clSkyBlue", "<PLK>Błękit nieba<ENU>Sky blue"},
    {"clCream", "<PLK>Kremowy<ENU>Cream"},
    {"clMedGray", "<PLK>Średnio szary<ENU>Medium gray"},
    {"clActiveBorder", "<PLK>Ramka aktywnego okna<ENU>Active border"},
    {"clActiveCaption", "<PLK>Tytuł aktywnego okna<ENU>Active caption"},
    {"clAppWorkSpace", "<PLK>Obszar roboczy aplikacji<ENU>Application workspace"},
    {"clBackground", "<PLK>Tło pulpitu<ENU>Background"},
    {"clBtnFace", "<PLK>Powierzchnia przycisku<ENU>Button face"},
    {"clBtnHighlight", "<PLK>Podświetlenie przycisku<ENU>Button highlight"},
    {"clBtnShadow", "<PLK>Cień przycisku<ENU>Button shadow"},
    {"clBtnText", "<PLK>Tekst przycisku<ENU>Button text"},
    {"clCaptionText", "<PLK>Tekst tytułu okna<ENU>Caption text"},
    {"clDefault", "<PLK>Domyślny<ENU>Default"},
    {"clGradientActiveCaption", "<PLK>Gradient tytułu aktywnego okna<ENU>Gradient active caption"},
    {"clGradientInactiveCaption",
     "<PLK>Gradient tytułu nieaktywnego okna<ENU>Gradient inactive caption"},
    {"clGrayText", "<PLK>Tekst niedostępny<ENU>Gray text"},
    {"clHighlight", "<PLK>Zaznaczenie<ENU>Highlight"},
    {"clHighlightText", "<PLK>Tekst zaznaczenia<ENU>Highlight text"},
    {"clHotLight", "<PLK>Hiperłącze<ENU>Hot light"},
    {"clInactiveBorder", "<PLK>Ramka nieaktywnego okna<ENU>Inactive border"},
    {"clInactiveCaption", "<PLK>Tytuł nieaktywnego okna<ENU>Inactive caption"},
    {"clInactiveCaptionText", "<PLK>Tekst tytułu nieaktywnego okna<ENU>Inactive caption text"},
    {"clInfoBk", "<PLK>Tło podpowiedzi<ENU>Info background"},
    {"clInfoText", "<PLK>Tekst podpowiedzi<ENU>Info text"},
    {"clMenu", "<PLK>Menu<ENU>Menu"},
    {"clMenuBar", "<PLK>Pasek menu<ENU>Menu bar"},
    {"clMenuHighlight", "<PLK>Zaznaczenie menu<ENU>Menu highlight"},
    {"clMenuText", "<PLK>Tekst menu<ENU>Menu text"},
    {"clNone", "<PLK>Brak<ENU>None"},
    {"clScrollBar", "<PLK>Pasek przewijania<ENU>Scroll bar"},
    {"cl3DDkShadow", "<PLK>Ciemny cień 3D<ENU>3D dark shadow"},
    {"cl3DLight", "<PLK>Światło 3D<ENU>3D light"},
    {"clWindow", "<PLK>Tło okna<ENU>Window"},
    {"clWindowFrame", "<PLK>Ramka okna<ENU>Window frame"},
    {"clWindowText", "<PLK>Tekst okna<ENU>Window text"},
};

template <size_t N>
TTextTable MakeTable(const TRawEntry (&Raw)[N]) {
  TTextTable Table;
  Table.reserve(N);
  for (const TRawEntry& E : Raw) Table.push_back({E.Name, Cp1250(E.Value)});
  return Table;
}

}  // namespace

const TTextTable& IOErrorTexts() {
  static const TTextTable Table = MakeTable(kIOErrors);
  return Table;
}

const TTextTable& ColorNames() {
  static const TTextTable Table = MakeTable(kColorNames);
  return Table;
}

std::string TextTableValue(const TTextTable& Table, std::string_view Name) {
  for (const TTextTableEntry& E : Table)
    if (SameText(E.Name, Name)) return E.Value;
  return {};
}

std::string IOErrorKey(int Code) {
  if (Code < 0 || Code > 9999) return {};
  std::string Key = "IOErr0000";
  for (size_t I = Key.size(); Code > 0; Code /= 10) Key[--I] = char('0' + Code % 10);
  return Key;
}

std::string IOErrorText(int Code) {
  const std::string Key = IOErrorKey(Code);
  return Key.empty() ? std::string() : TextTableValue(IOErrorTexts(), Key);
}

int IOErrorCodeOfErrno(int Errno, bool Writing) {
  switch (Errno) {
    case ENOENT:
      return 2;
    case ENOTDIR:
      return 3;
    case EMFILE:
      return 4;
    case EACCES:
    case EPERM:
      return 5;
    case EBADF:
      return 6;
    case ENOMEM:
      return 8;
    case EXDEV:
      return 17;
    case EBUSY:
      return 32;
    case EIO:
      return Writing ? 101 : 100;
    case ENOSPC:
      return 112;
    case EROFS:
      return 150;
    case ENAMETOOLONG:
      return 161;
    default:
      return 0;
  }
}

}  // namespace quin
