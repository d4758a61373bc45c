#include "platform/workbook.h"

#include <cmath>

#include "base/format.h"
#include "base/text.h"

namespace quin {

namespace {

// Windows-1250 upper-case letters above 0x7F and their lower-case partners.
char FoldNameChar(char C) {
  const auto B = static_cast<unsigned char>(C);
  if (B < 0x80) return LowerChar(C);
  switch (B) {
    case 0x8A:
    case 0x8C:
    case 0x8D:
    case 0x8E:
    case 0x8F:
      return char(B + 0x10);
    case 0xA3:
      return char(0xB3);
    case 0xA5:
      return char(0xB9);
    case 0xAA:
      return char(0xBA);
    case 0xAF:
      return char(0xBF);
    case 0xBC:
      return char(0xBE);
    default:
      return (B >= 0xC0 && B <= 0xDE && B != 0xD7) ? char(B + 0x20) : C;
  }
}

std::string ColumnLetters(int Col) {
  std::string S;
  for (int C = Col; C > 0; C = (C - 1) / 26) S.insert(S.begin(), char('A' + (C - 1) % 26));
  return S;
}

bool IsAsciiLetter(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// "B12", "xfd1048576": letters then digits, as a cell reference reads.
bool LooksLikeA1(std::string_view S) {
  size_t I = 0;
  while (I < S.size() && IsAsciiLetter(S[I])) ++I;
  if (I == 0 || I > 3 || I == S.size()) return false;
  for (size_t J = I; J < S.size(); ++J)
    if (!IsDigit(S[J])) return false;
  return true;
}

// "R", "C", "R1", "RC", "R1C1", "r12c3": the other reference style.
bool LooksLikeR1C1(std::string_view S) {
  size_t I = 0;
  auto Digits = [&] {
    while (I < S.size() && IsDigit(S[I])) ++I;
  };
  if (I < S.size() && LowerChar(S[I]) == 'r') {
    ++I;
    Digits();
  }
  if (I < S.size() && LowerChar(S[I]) == 'c') {
    ++I;
    Digits();
  }
  return I > 0 && I == S.size();
}

// Letters of ASCII and of Windows-1250.
bool IsNameLetter(char C) {
  const auto B = static_cast<unsigned char>(C);
  if (B < 0x80) return IsAsciiLetter(C);
  if (B >= 0xC0) return B != 0xD7 && B != 0xF7;
  if (FoldNameChar(C) != C) return true;  // an upper-case letter
  for (unsigned char L : {0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xB3, 0xB9, 0xBA, 0xBE, 0xBF})
    if (B == L) return true;
  return false;
}

bool IsValidDefinedName(std::string_view N) {
  if (N.empty() || N.size() > 255) return false;
  if (!IsNameLetter(N[0]) && N[0] != '_' && N[0] != '\\') return false;
  for (char C : N)
    if (!IsNameLetter(C) && !IsDigit(C) && C != '_' && C != '.' && C != '\\') return false;
  return !LooksLikeA1(N) && !LooksLikeR1C1(N);
}

std::string ErrorTemplate(const char* Utf8) { return Cp1250(Utf8); }

// The length of a number as its format shows it, near enough for a column width.
size_t ShownNumberLength(double V, const std::string& Fmt) {
  TFormatSettings FS;
  if (Fmt.empty()) return std::min<size_t>(FloatToStr(V, FS).size(), 11);
  const std::string Section = Fmt.substr(0, Fmt.find(';'));
  size_t Literal = 0;
  int Decimals = 0;
  bool AfterPoint = false, Percent = false, Grouped = false;
  for (size_t I = 0; I < Section.size(); ++I) {
    const char C = Section[I];
    if (C == '\\' && I + 1 < Section.size()) {
      ++Literal;
      ++I;
    } else if (C == '"') {
      const size_t End = Section.find('"', I + 1);
      Literal += (End == std::string::npos ? Section.size() : End) - I - 1;
      I = End == std::string::npos ? Section.size() : End;
    } else if (C == '.') {
      AfterPoint = true;
    } else if ((C == '0' || C == '#') && AfterPoint) {
      ++Decimals;
    } else if (C == '%') {
      Percent = true;
    } else if (C == ',') {
      Grouped = true;
    }
  }
  const double Shown = Percent ? V * 100 : V;
  const std::string Text = Format(Grouped ? "%.*n" : "%.*f", {Decimals, Shown}, FS);
  return Text.size() + (Percent ? 1 : 0) + Literal;
}

size_t LongestLine(std::string_view Text) {
  size_t Best = 0, Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find_first_of("\r\n", Start);
    if (End == std::string_view::npos) End = Text.size();
    Best = std::max(Best, End - Start);
    Start = End + 1;
  }
  return Best;
}

}  // namespace

bool XlSameName(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (FoldNameChar(A[I]) != FoldNameChar(B[I])) return false;
  return true;
}

TXlRange BoundingRange(const TXlRange& A, const TXlRange& B) {
  return {std::min(A.Row1, B.Row1), std::min(A.Col1, B.Col1), std::max(A.Row2, B.Row2),
          std::max(A.Col2, B.Col2)};
}

std::string XlRangeRef(const TXlRange& R, bool Absolute) {
  const std::string D = Absolute ? "$" : "";
  auto Cell = [&](int Row, int Col) { return D + ColumnLetters(Col) + D + std::to_string(Row); };
  std::string S = Cell(R.Row1, R.Col1);
  if (!R.IsSingleCell()) S += ":" + Cell(R.Row2, R.Col2);
  return S;
}

// ---------------------------------------------------------------------------------------------

void TXlSheet::SetName(std::string_view Name) {
  FWorkbook->CheckSheetName(Name, this);
  FName = std::string(Name);
}

// ---------------------------------------------------------------------------------------------

const TXlCell* TXlWorksheet::FindCell(int Row, int Col) const {
  if (!InSheet(Row, Col)) return nullptr;
  auto It = FCells.find(CellKey(Row, Col));
  return It == FCells.end() ? nullptr : &It->second;
}

const TXlCellFormat& TXlWorksheet::CellFormat(int Row, int Col) const {
  const TXlCell* C = FindCell(Row, Col);
  return FormatAt(C ? C->Format : 0);
}

TXlCell& TXlWorksheet::TouchCell(int Row, int Col) { return FCells[CellKey(Row, Col)]; }

void TXlWorksheet::ReleaseIfBare(int Row, int Col) {
  auto It = FCells.find(CellKey(Row, Col));
  if (It != FCells.end() && It->second.Kind == TXlCell::TKind::Empty && It->second.Format == 0)
    FCells.erase(It);
}

std::uint32_t TXlWorksheet::InternFormat(const TXlCellFormat& F) {
  return Workbook().InternFormat(F);
}

const TXlCellFormat& TXlWorksheet::FormatAt(std::uint32_t Index) const {
  return Workbook().Formats()[Index];
}

void TXlWorksheet::SetText(int Row, int Col, std::string_view Text) {
  if (!InSheet(Row, Col)) return;
  TXlCell& C = TouchCell(Row, Col);
  C.Kind = TXlCell::TKind::Text;
  C.Text = std::string(Text.substr(0, XlMaxCellText));
  C.Number = 0;
}

void TXlWorksheet::SetNumber(int Row, int Col, double Value) {
  if (!InSheet(Row, Col)) return;
  if (!std::isfinite(Value)) return ClearValue(Row, Col);
  TXlCell& C = TouchCell(Row, Col);
  C.Kind = TXlCell::TKind::Number;
  C.Number = Value;
  C.Text.clear();
}

void TXlWorksheet::ClearValue(int Row, int Col) {
  auto It = InSheet(Row, Col) ? FCells.find(CellKey(Row, Col)) : FCells.end();
  if (It == FCells.end()) return;
  It->second.Kind = TXlCell::TKind::Empty;
  It->second.Text.clear();
  It->second.Number = 0;
  ReleaseIfBare(Row, Col);
}

void TXlWorksheet::Merge(const TXlRange& Asked) {
  TXlRange R{std::max(Asked.Row1, 1), std::max(Asked.Col1, 1), std::min(Asked.Row2, XlMaxRows),
             std::min(Asked.Col2, XlMaxCols)};
  if (R.Row1 > R.Row2 || R.Col1 > R.Col2 || R.IsSingleCell()) return;
  for (bool Grew = true; Grew;) {
    Grew = false;
    for (size_t I = 0; I < FMerges.size(); ++I)
      if (FMerges[I].Overlaps(R)) {
        R = BoundingRange(R, FMerges[I]);
        FMerges.erase(FMerges.begin() + std::ptrdiff_t(I));
        Grew = true;
        break;
      }
  }
  // The kept value: the top-left cell's, else the first one in reading order.
  std::optional<TXlCell> Kept;
  for (int Row = R.Row1; Row <= R.Row2; ++Row) {
    auto It = FCells.lower_bound(CellKey(Row, R.Col1));
    while (It != FCells.end() && It->first <= CellKey(Row, R.Col2)) {
      TXlCell& C = It->second;
      if (C.Kind != TXlCell::TKind::Empty && !Kept) Kept = C;
      C.Kind = TXlCell::TKind::Empty;
      C.Text.clear();
      C.Number = 0;
      It = C.Format == 0 ? FCells.erase(It) : std::next(It);
    }
  }
  if (Kept) {
    TXlCell& TopLeft = TouchCell(R.Row1, R.Col1);
    TopLeft.Kind = Kept->Kind;
    TopLeft.Text = std::move(Kept->Text);
    TopLeft.Number = Kept->Number;
  }
  FMerges.push_back(R);
}

const TXlRange* TXlWorksheet::FindMerge(int Row, int Col) const {
  for (const TXlRange& M : FMerges)
    if (M.Contains(Row, Col)) return &M;
  return nullptr;
}

void TXlWorksheet::SetColumnWidth(int Col, double Width) {
  if (Col < 1 || Col > XlMaxCols || !std::isfinite(Width)) return;
  FWidths[Col] = std::clamp(Width, 0.0, XlMaxColumnWidth);
}

std::optional<double> TXlWorksheet::ColumnWidth(int Col) const {
  auto It = FWidths.find(Col);
  if (It == FWidths.end()) return std::nullopt;
  return It->second;
}

void TXlWorksheet::AutoFitColumn(int Col) {
  if (Col < 1 || Col > XlMaxCols) return;
  double Widest = 0;
  for (auto& [Key, C] : FCells) {
    if (KeyCol(Key) != Col || C.Kind == TXlCell::TKind::Empty) continue;
    const TXlRange* M = FindMerge(KeyRow(Key), Col);
    if (M && !M->IsSingleCell()) continue;
    const TXlCellFormat& F = FormatAt(C.Format);
    const size_t Chars = C.Kind == TXlCell::TKind::Text
                             ? LongestLine(C.Text)
                             : ShownNumberLength(C.Number, F.NumberFormat);
    const double Scale = (F.FontSize > 0 ? F.FontSize : XlDefaultFontSize) / XlDefaultFontSize;
    Widest = std::max(Widest, double(Chars) * Scale * (F.Bold ? 1.1 : 1.0) + 1.0);
  }
  if (Widest == 0)
    FWidths.erase(Col);
  else
    SetColumnWidth(Col, Widest);
}

void TXlWorksheet::AddHyperlink(int Row, int Col, std::string_view Address,
                                std::string_view SubAddress, std::string_view ScreenTip,
                                std::string_view TextToDisplay) {
  if (!InSheet(Row, Col)) return;
  std::erase_if(FLinks, [&](const TXlHyperlink& L) { return L.Row == Row && L.Col == Col; });
  FLinks.push_back(
      {Row, Col, std::string(Address), std::string(SubAddress), std::string(ScreenTip)});
  const TXlCell* C = FindCell(Row, Col);
  if (!TextToDisplay.empty()) {
    SetText(Row, Col, TextToDisplay);
  } else if (!C || C->Kind == TXlCell::TKind::Empty) {
    const bool Internal = Address.find_first_not_of(' ') == std::string_view::npos;
    SetText(Row, Col, Internal ? SubAddress : Address);
  }
}

const TXlHyperlink* TXlWorksheet::FindHyperlink(int Row, int Col) const {
  for (const TXlHyperlink& L : FLinks)
    if (L.Row == Row && L.Col == Col) return &L;
  return nullptr;
}

void TXlWorksheet::FreezeAt(int Row, int Col) {
  if (!InSheet(Row, Col)) return;
  if (Row == 1 && Col == 1)
    FFrozenAt.reset();
  else
    FFrozenAt = std::make_pair(Row, Col);
}

// ---------------------------------------------------------------------------------------------

TXlWorkbook::TXlWorkbook() {
  FFormats.emplace_back();
  FFormatIndex.emplace(FFormats.front(), 0);
}

std::uint32_t TXlWorkbook::InternFormat(const TXlCellFormat& F) {
  auto It = FFormatIndex.find(F);
  if (It != FFormatIndex.end()) return It->second;
  FFormats.push_back(F);
  const auto Index = std::uint32_t(FFormats.size() - 1);
  FFormatIndex.emplace(F, Index);
  return Index;
}

void TXlWorkbook::CheckSheetName(std::string_view Name, const TXlSheet* Except) const {
  const bool Valid = !Name.empty() && Name.size() <= XlMaxSheetName &&
                     Name.find_first_of("[]:*?/\\") == std::string_view::npos &&
                     Name.front() != '\'' && Name.back() != '\'';
  if (!Valid)
    throw EXlWorkbookError(
        ErrorTemplate(
            "<PLK>Niepoprawna nazwa arkusza: \"%s\".<ENU>The sheet name \"%s\" is not valid."),
        {std::string(Name)});
  const TXlSheet* Other = FindSheet(Name);
  if (Other && Other != Except)
    throw EXlWorkbookError(ErrorTemplate("<PLK>Arkusz o nazwie \"%s\" już istnieje.<ENU>A "
                                         "sheet named \"%s\" exists already."),
                           {std::string(Name)});
}

std::string TXlWorkbook::FreeSheetName(std::string_view Stem) const {
  for (int N = 1;; ++N) {
    std::string Name = std::string(Stem) + std::to_string(N);
    if (!FindSheet(Name)) return Name;
  }
}

template <class T>
T& TXlWorkbook::AddSheet(std::string_view Name, std::string_view Stem) {
  std::string Final = Name.empty() ? FreeSheetName(Stem) : std::string(Name);
  CheckSheetName(Final);
  auto Sheet = std::make_unique<T>(*this);
  Sheet->FName = std::move(Final);
  T& Added = *Sheet;
  FSheets.push_back(std::move(Sheet));
  return Added;
}

TXlWorksheet& TXlWorkbook::AddWorksheet(std::string_view Name) {
  return AddSheet<TXlWorksheet>(Name, "Sheet");
}

TXlChartSheet& TXlWorkbook::AddChartSheet(std::string_view Name) {
  return AddSheet<TXlChartSheet>(Name, "Chart");
}

TXlSheet* TXlWorkbook::Sheet(int Index) const {
  return (Index >= 1 && Index <= SheetCount()) ? FSheets[size_t(Index - 1)].get() : nullptr;
}

int TXlWorkbook::IndexOf(const TXlSheet& S) const {
  for (size_t I = 0; I < FSheets.size(); ++I)
    if (FSheets[I].get() == &S) return int(I) + 1;
  return 0;
}

TXlSheet* TXlWorkbook::FindSheet(std::string_view Name) const {
  for (auto& S : FSheets)
    if (XlSameName(S->Name(), Name)) return S.get();
  return nullptr;
}

void TXlWorkbook::DefineName(std::string_view Name, const TXlWorksheet& Sheet,
                             const TXlRange& Range) {
  if (!IsValidDefinedName(Name))
    throw EXlWorkbookError(
        ErrorTemplate(
            "<PLK>Niepoprawna nazwa komórki: \"%s\".<ENU>The defined name \"%s\" is not valid."),
        {std::string(Name)});
  std::erase_if(FNames, [&](const TXlDefinedName& N) { return XlSameName(N.Name, Name); });
  FNames.push_back({std::string(Name), &Sheet, Range});
}

const TXlDefinedName* TXlWorkbook::FindName(std::string_view Name) const {
  for (const TXlDefinedName& N : FNames)
    if (XlSameName(N.Name, Name)) return &N;
  return nullptr;
}

void TXlWorkbook::Activate(int Index) {
  if (Sheet(Index)) FActive = Index;
}

}  // namespace quin
