#include "platform/tabtext.h"

#include "base/format.h"

namespace quin {

namespace {

bool AllDigits(std::string_view S) {
  for (char C : S)
    if (C < '0' || C > '9') return false;
  return !S.empty();
}

// Integer digits grouped by Sep: 1 to 3 digits, then groups of exactly 3.
bool ReadGroupedDigits(std::string_view S, char Sep, std::string& Digits) {
  size_t Start = 0;
  bool First = true;
  while (true) {
    const size_t End = S.find(Sep, Start);
    const std::string_view Group =
        S.substr(Start, End == std::string_view::npos ? S.npos : End - Start);
    if (!AllDigits(Group) || (First ? Group.size() > 3 : Group.size() != 3)) return false;
    Digits += Group;
    if (End == std::string_view::npos) return true;
    Start = End + 1;
    First = false;
  }
}

std::string MaskFor(bool Grouped, int Decimals, bool Percent) {
  std::string M = Grouped ? "#,##0" : "0";
  if (Decimals > 0) M += "." + std::string(size_t(Decimals), '0');
  if (Percent) return M + "%";
  return Grouped ? M : "";
}

void PlaceLine(TXlWorksheet& Sheet, int Row, int Col, std::string_view Line,
               const TFormatSettings& FS) {
  size_t Pos = 0;
  for (int C = Col; C <= XlMaxCols; ++C) {
    size_t End = Line.find('\t', Pos);
    const bool Last = End == std::string_view::npos;
    if (Last) End = Line.size();
    const std::string_view Field = Line.substr(Pos, End - Pos);
    TXlParsedNumber N;
    if (Field.empty()) {
      Sheet.ClearValue(Row, C);
    } else if (ParseXlFieldNumber(Field, FS, N)) {
      Sheet.SetNumber(Row, C, N.Value);
      if (!N.NumberFormat.empty())
        Sheet.FormatRange({Row, C, Row, C},
                          [&](TXlCellFormat& F) { F.NumberFormat = N.NumberFormat; });
    } else {
      Sheet.SetText(Row, C, Field);
    }
    if (Last) return;
    Pos = End + 1;
  }
}

}  // namespace

bool ParseXlFieldNumber(std::string_view Field, const TFormatSettings& FS, TXlParsedNumber& N) {
  const size_t First = Field.find_first_not_of(' ');
  if (First == std::string_view::npos) return false;
  std::string_view S = Field.substr(First, Field.find_last_not_of(' ') - First + 1);
  const bool Percent = S.back() == '%';
  if (Percent) S.remove_suffix(1);
  if (S.empty() || S.back() == ' ') return false;

  std::string Plain;
  if (!S.empty() && (S[0] == '+' || S[0] == '-')) {
    Plain += S[0];
    S.remove_prefix(1);
  }
  const size_t MantissaEnd = std::min(S.find_first_of("eE"), S.size());
  const size_t IntEnd = std::min(S.find(FS.DecimalSeparator), MantissaEnd);
  const std::string_view IntPart = S.substr(0, IntEnd);
  const char Sep = FS.ThousandSeparator;
  const bool Grouped =
      Sep != '\0' && Sep != FS.DecimalSeparator && IntPart.find(Sep) != std::string_view::npos;
  if (Grouped) {
    if (!ReadGroupedDigits(IntPart, Sep, Plain)) return false;
  } else {
    Plain += IntPart;
  }
  Plain += S.substr(IntEnd);

  double V = 0;
  if (!TryStrToFloat(Plain, V, FS)) return false;
  const int Decimals = IntEnd < MantissaEnd ? int(MantissaEnd - IntEnd - 1) : 0;
  N.Value = Percent ? V / 100 : V;
  N.NumberFormat = MaskFor(Grouped, Decimals, Percent);
  return true;
}

void PlaceTabText(TXlWorksheet& Sheet, int Row, int Col, std::string_view Text,
                  const TFormatSettings& FS) {
  if (!TXlWorksheet::InSheet(Row, Col)) return;
  size_t Pos = 0;
  for (int R = Row; R <= XlMaxRows && Pos < Text.size(); ++R) {
    size_t End = Text.find("\r\n", Pos);
    const bool Last = End == std::string_view::npos;
    if (Last) End = Text.size();
    PlaceLine(Sheet, R, Col, Text.substr(Pos, End - Pos), FS);
    Pos = Last ? Text.size() : End + 2;
  }
}

}  // namespace quin
