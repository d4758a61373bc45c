// Tab-separated text placed into cells: which fields become numbers under which separators,
// and where the lines and fields land.
#include "platform/tabtext.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace quin {
namespace {

TFormatSettings Polish() {
  TFormatSettings FS;
  FS.DecimalSeparator = ',';
  FS.ThousandSeparator = ' ';
  return FS;
}

TFormatSettings English() { return TFormatSettings(); }  // "." and ","

TEST(XlTabText, FieldsAreNumbersOnlyUnderTheWritersSeparators) {
  struct Case {
    const char* Field;
    bool Polish;
    bool IsNumber;
    double Value;
    const char* Format;
  } Cases[] = {
      {"12,5", true, true, 12.5, ""},
      {"0.256", false, true, 0.256, ""},
      {"-3", true, true, -3, ""},
      {"+5", false, true, 5, ""},
      {" 42 ", true, true, 42, ""},
      {"1 234,5", true, true, 1234.5, "#,##0.0"},
      {"12 345 678", true, true, 12345678, "#,##0"},
      {"1,234", false, true, 1234, "#,##0"},
      {"25,6%", true, true, 0.256, "0.0%"},
      {"40%", false, true, 0.4, "0%"},
      {"1,5E3", true, true, 1500, ""},
      {"2.5e-2", false, true, 0.025, ""},
      {"12.5", true, false, 0, ""},      // the other language's decimal point
      {"12,5", false, false, 0, ""},     // not three digits after a thousands separator
      {"1 23", true, false, 0, ""},      // a bad group
      {"1234 567", true, false, 0, ""},  // a first group of four
      {"1 234 5", true, false, 0, ""},
      {"1,234.5,6", false, false, 0, ""},
      {"--", true, false, 0, ""},
      {"!DEF", true, false, 0, ""},
      {"=A1", false, false, 0, ""},
      {"=1+2", false, false, 0, ""},
      {"-", true, false, 0, ""},
      {"+5x", false, false, 0, ""},
      {"%", false, false, 0, ""},
      {"5 %", false, false, 0, ""},
      {"1e999", false, false, 0, ""},  // beyond a double
      {"inf", false, false, 0, ""},
      {"0x1F", false, false, 0, ""},
      {"2024-01-31", false, false, 0, ""},
      {"", false, false, 0, ""},
  };
  for (const Case& C : Cases) {
    TXlParsedNumber N;
    const bool Got = ParseXlFieldNumber(C.Field, C.Polish ? Polish() : English(), N);
    EXPECT_EQ(Got, C.IsNumber) << C.Field;
    if (Got && C.IsNumber) {
      EXPECT_DOUBLE_EQ(N.Value, C.Value) << C.Field;
      EXPECT_EQ(N.NumberFormat, C.Format) << C.Field;
    }
  }
}

TEST(XlTabText, LinesAndFieldsFillConsecutiveCells) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  S.SetText(2, 3, "overwritten");
  PlaceTabText(S, 2, 2, Cp1250("Tytuł\r\n\r\nKobiety\t\t25,6%\r\nline\nbreak\t1 234\r\n"),
               Polish());
  auto Text = [&](int Row, int Col) {
    const TXlCell* C = S.FindCell(Row, Col);
    return C && C->Kind == TXlCell::TKind::Text ? C->Text : std::string();
  };
  EXPECT_EQ(Text(2, 2), Cp1250("Tytuł"));
  EXPECT_EQ(S.FindCell(2, 3)->Kind, TXlCell::TKind::Text);  // a line's missing fields stay
  EXPECT_EQ(S.FindCell(3, 2), nullptr);                     // an empty line
  EXPECT_EQ(Text(4, 2), Cp1250("Kobiety"));
  EXPECT_EQ(S.FindCell(4, 3), nullptr);  // an empty field
  EXPECT_DOUBLE_EQ(S.FindCell(4, 4)->Number, 0.256);
  EXPECT_EQ(S.CellFormat(4, 4).NumberFormat, "0.0%");
  EXPECT_EQ(Text(5, 2), "line\nbreak");  // a lone LF stays inside the cell
  EXPECT_DOUBLE_EQ(S.FindCell(5, 3)->Number, 1234);
  EXPECT_EQ(S.FindCell(6, 2), nullptr);  // the final CR LF opens no line
}

TEST(XlTabText, WhatFallsBeyondTheSheetIsDropped) {
  TXlWorkbook Book;
  TXlWorksheet& S = Book.AddWorksheet();
  std::string Wide;
  for (int I = 1; I <= 300; ++I) Wide += std::to_string(I) + "\t";
  PlaceTabText(S, 1, 1, Wide, English());
  EXPECT_EQ(S.Cells().size(), size_t(XlMaxCols));
  EXPECT_EQ(S.FindCell(1, XlMaxCols)->Number, 256);

  std::string Long;
  for (int I = 0; I < 10; ++I) Long += "x\ty\r\n";
  PlaceTabText(S, XlMaxRows - 3, XlMaxCols, Long, English());
  EXPECT_NE(S.FindCell(XlMaxRows, XlMaxCols), nullptr);
  EXPECT_EQ(S.Cells().size(), size_t(XlMaxCols) + 4);
  PlaceTabText(S, XlMaxRows + 1, 1, Long, English());
  PlaceTabText(S, 1, XlMaxCols + 1, Long, English());
  EXPECT_EQ(S.Cells().size(), size_t(XlMaxCols) + 4);
}

}  // namespace
}  // namespace quin
