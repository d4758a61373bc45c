// The table's outputs: the sheet coordinates, the HTML table of the report pages and the
// tab-separated text form (workbook export, the analysis's text, the command-line tool).
#include "analysis/pelparstats.h"
#include "analysis/pelres.h"
#include "base/format.h"
#include "base/langmanager.h"
#include "base/orvstrings.h"
#include "base/text.h"
#include "platform/html.h"
#include "reports/pelrepanalysis.h"
#include "reports/peltable.h"

namespace quin {

namespace {

// Spreadsheet column letters: 1 "A" .. 26 "Z", 27 "AA" ...
std::string ColumnLetters(int N) {
  std::string S;
  while (N > 0) {
    --N;
    S.insert(S.begin(), static_cast<char>('A' + N % 26));
    N /= 26;
  }
  return S;
}

std::string Trimmed(const std::string& S) { return TrimChar(S, ' '); }

std::string WithoutTrailingLineBreaks(const std::string& S) {
  return RemoveTrailingText(S, "\r\n");
}

std::string Translated(std::string_view Utf8) {
  return CurrentLangManager().Translate(Cp1250(Utf8));
}

}  // namespace

std::string PelColumnLetters(int N) { return ColumnLetters(N); }

void TPelRepElemTable::RefreshTexts() {
  if (!Calculated) return;
  ClearHeaderTexts();
  BuildRowHeaders(false);
  BuildColHeaders(false);
  FillCoordinates();
  FormatCellTexts();
  ApplySort();
}

void TPelRepElemTable::FillCoordinates() {
  for (int R = 1; R < RowCount; ++R) SetTextAt(0, R, IntToStr(R));
  for (int C = 1; C < ColCount; ++C) SetTextAt(C, 0, ColumnLetters(C));
}

// ---- HTML

void TPelRepElemTable::WriteHtml(const std::function<void(std::string_view)>& Line) const {
  const TPelParStats* Stats = StatsPar();
  const bool Images = Stats && (Stats->SigPct || Stats->SigMeans);
  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  // The attributes every table repeats, made once; each line is written into one buffer.
  const std::string CoordinateBg = FormatHtmlBgColor(0xEEEEEE);
  const std::string ShadedBg = FormatHtmlBgColor(0xF8F8F8);
  const std::string AlignRight = FormatHtmlAlign(1);
  const std::string AlignCenter = FormatHtmlAlign(2);
  std::string L =
      "<table class=main border=0 cellspacing=0 cellpadding=2" + FormatHtmlBgColor(clWindow) + ">";
  Line(L);
  for (int J = 0; J < Rows; ++J) {
    Line("<tr>");
    for (int I = 0; I < Cols; ++I) {
      if (IsMergedDown(I, J - 1) || IsMergedRight(I - 1, J)) continue;
      const TPelRes* Cell = As<TPelRes>(GetCellObject(I, J));
      const bool Coordinate = I == 0 || J == 0;
      L = "<td nowrap";
      if (Cell && Cell->BaseKind != 0) L += " class=base";
      if (Coordinate)
        L += CoordinateBg;
      else if (CellBgColor(I, J) != clWindow)
        L += ShadedBg;
      switch (CellAlignment(I, J)) {
        case TPelCellAlign::Right:
          L += AlignRight;
          break;
        case TPelCellAlign::Center:
          L += AlignCenter;
          break;
        case TPelCellAlign::Left:
          break;
      }
      int Span = 1;
      while (IsMergedRight(I + Span - 1, J)) ++Span;
      if (Span > 1) L += FormatHtmlColSpan(Span);
      Span = 1;
      while (IsMergedDown(I, J + Span - 1)) ++Span;
      if (Span > 1) L += FormatHtmlRowSpan(Span);
      L += '>';
      const int Style = CellFontStyle(I, J);
      if (Style) L += FormatHtmlOpenStyleTags(Style);
      L += "&nbsp;";
      const std::string CellText = GetCellText(I, J);
      std::string_view Text = CellText;
      Text = Text.substr(std::min(Text.find_first_not_of(' '), Text.size()));
      Text = Text.substr(0, Text.find_last_not_of(' ') + 1);
      AppendHtmlEscaped(L, Text);
      if (Cell && Images) {
        if (Cell->BaseKind == 0 && Cell->SigMark == -1)
          L += "&nbsp;<img src=\"/Files/Quin/DownRed.gif\" align=\"middle\">";
        else if (Cell->BaseKind == 0 && Cell->SigMark == 1)
          L += "&nbsp;<img src=\"/Files/Quin/UpGreen.gif\" align=\"middle\">";
        else
          L += "&nbsp;<img src=\"/Files/Quin/SpaceUpDown.gif\">";
      }
      if (Coordinate) L += "&nbsp;";
      if (Style) L += FormatHtmlCloseStyleTags(Style);
      L += "</td>";
      Line(L);
    }
    Line("</tr>");
  }
  Line("</table>");
}

void TPelRepElemTable::RenderHtml(std::vector<std::string>& Lines) const {
  Lines.clear();
  Lines.reserve(
      static_cast<size_t>(VisibleRowCount()) * static_cast<size_t>(VisibleColCount() + 2) + 2);
  WriteHtml([&](std::string_view L) { Lines.emplace_back(L); });
}

std::string TPelRepElemTable::RenderHtmlText() const {
  std::string Text;
  // About 60 bytes a cell; the text grows beyond that on its own.
  Text.reserve(static_cast<size_t>(VisibleRowCount()) * static_cast<size_t>(VisibleColCount() + 1) *
               60);
  WriteHtml([&](std::string_view L) {
    Text += L;
    Text += "\r\n";
  });
  return Text;
}

// ---- Text form

void TPelRepElemTable::AppendText(std::vector<std::string>& Lines, int Options) {
  AppendTextLines(Lines, Options != 0, 0);
}

void TPelRepElemTable::AppendTextLines(std::vector<std::string>& Lines, bool WithMarks,
                                       int Options) {
  const TPelTableRegion Whole{FirstDataCol, FirstDataRow, VisibleColCount() - 1,
                              VisibleRowCount() - 1};
  CopyTableAsText(Lines, Whole, Options, false, WithMarks ? 63 : 31);
}

void TPelRepElemTable::CopyTableAsText(std::vector<std::string>& Lines,
                                       const TPelTableRegion& Region, int Options,
                                       bool AllDescriptions, int Flags) {
  const TPelParStats* Stats = StatsPar();
  const bool Headers = Flags & kPelTextHeaders;
  std::string Text;
  if (Headers) {
    Text += GetFullCaption() + "\r\n\r\n";
    for (int J = 1; J < FirstDataRow; ++J) {
      Text += std::string(static_cast<size_t>(std::max(FirstDataCol - 1, 0)), '\t');
      for (int I = Region.Left; I <= Region.Right; ++I) {
        std::string T = GetCellText(I, J);
        for (int K = I - 1; I == Region.Left && Trimmed(T).empty() && K >= 1; --K)
          T = GetCellText(K, J);
        if (I > Region.Left) Text += '\t';
        Text += Trimmed(T);
      }
      Text += "\r\n";
    }
  }
  for (int J = Region.Top; J <= Region.Bottom; ++J) {
    if (J == Region.Bottom && !As<TPelRes>(GetCellObject(Region.Left, J))) break;
    if (Headers)
      for (int D = 1; D < FirstDataCol; ++D) {
        std::string T = GetCellText(D, J);
        const int Level = RowLevelOfCol(D);
        TPelPar* Par =
            Level >= 0 && Level < RowParams->Count() ? RowParams->GetItem(Level) : nullptr;
        const bool Groups =
            Par && Par->GetGroupCount2D(/*Selectable=*/true, /*Means=*/false, UsesDays()) >= 1;
        // The first line of a region below the top of the data: the label of its span, and
        // the group title above it.
        if (J == Region.Top && J > FirstDataRow && (Trimmed(T).empty() || Groups)) {
          for (int K = J - 1; K >= FirstDataRow; --K) {
            const std::string Above = GetCellText(D, K);
            if (Trimmed(Above).empty()) continue;
            const int C = GridCol(D), R = GridRow(K);
            if (Groups && ElemAt(C, R)) {
              Text += Trimmed(Par->GetGroupLabel2D(HeaderPosAt(C, R), /*Selectable=*/true,
                                                   /*Means=*/false, UsesDays(),
                                                   /*LabelSwitch=*/false, /*ShowCodes=*/false));
              Text += "\r\n" + std::string(static_cast<size_t>(D - 1), '\t');
            }
            if (Trimmed(T).empty()) T = Above;
            break;
          }
        }
        Text += Trimmed(T) + "\t";
      }
    for (int I = Region.Left; I <= Region.Right; ++I) {
      if (I > Region.Left) Text += '\t';
      const std::string T = GetCellText(I, J);
      if (Trimmed(T).empty()) continue;
      TPelRes* Cell = As<TPelRes>(GetCellObject(I, J));
      if (!Cell) {
        Text += Trimmed(T);
        continue;
      }
      std::string V;
      Cell->FormatValueText(Options, Flags & kPelTextRaw, GetCellValue(I, J),
                            Flags & kPelTextPctSign, V);
      Text += V;
      if ((Flags & kPelTextMarkers) && Stats) {
        if (Stats->RecsetDiff && Cell->UsesOtherRecset())
          Text += " *";
        else if ((Stats->SigPct || Stats->SigMeans) && Cell->SigMark == 1)
          Text += " +";
        else if ((Stats->SigPct || Stats->SigMeans) && Cell->SigMark == -1)
          Text += " -";
      }
    }
    Text += "\r\n";
  }
  if (Flags & (kPelTextComments | kPelTextNotes))
    Text = WithoutTrailingLineBreaks(Text) + "\r\n\r\n";
  if ((Flags & kPelTextNotes) && !Notes.empty())
    Text += Translated("<PLK>Notatki<ENU>Notes") + "\r\n" + WithoutTrailingLineBreaks(Notes) +
            "\r\n\r\n";
  if (Flags & kPelTextComments) {
    // The text form is plain text: its comments too, whatever Options asks of the values.
    const std::string D = AllDescriptions ? GetDescription(0) : GetOwnDescription(0);
    if (!D.empty())
      Text += Translated("<PLK>Uwagi<ENU>Comments") + "\r\n" + WithoutTrailingLineBreaks(D) +
              "\r\n\r\n";
  }
  Lines.push_back(std::move(Text));
}

}  // namespace quin
