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

void TPelRepElemTable::FillCoordinates() {
  for (int R = 1; R < RowCount; ++R) SetTextAt(0, R, IntToStr(R));
  for (int C = 1; C < ColCount; ++C) SetTextAt(C, 0, ColumnLetters(C));
}

// ---- HTML

void TPelRepElemTable::RenderHtml(std::vector<std::string>& Lines) const {
  Lines.clear();
  const TPelParStats* Stats = StatsPar();
  const bool Images = Stats && (Stats->SigPct || Stats->SigMeans);
  const int Cols = VisibleColCount(), Rows = VisibleRowCount();
  Lines.reserve(static_cast<size_t>(Rows) * static_cast<size_t>(Cols + 2) + 2);
  Lines.push_back("<table class=main border=0 cellspacing=0 cellpadding=2" +
                  FormatHtmlBgColor(clWindow) + ">");
  std::string L;
  for (int J = 0; J < Rows; ++J) {
    Lines.emplace_back("<tr>");
    for (int I = 0; I < Cols; ++I) {
      if (IsMergedDown(I, J - 1) || IsMergedRight(I - 1, J)) continue;
      const TPelRes* Cell = As<TPelRes>(GetCellObject(I, J));
      const bool Coordinate = I == 0 || J == 0;
      L = "<td nowrap";
      if (Cell && Cell->BaseKind != 0) L += " class=base";
      if (Coordinate)
        L += FormatHtmlBgColor(0xEEEEEE);
      else if (CellBgColor(I, J) != clWindow)
        L += FormatHtmlBgColor(0xF8F8F8);
      switch (CellAlignment(I, J)) {
        case TPelCellAlign::Right:
          L += FormatHtmlAlign(1);
          break;
        case TPelCellAlign::Center:
          L += FormatHtmlAlign(2);
          break;
        case TPelCellAlign::Left:
          break;
      }
      int Span = 1;
      while (IsMergedRight(I + Span - 1, J)) ++Span;
      L += FormatHtmlColSpan(Span);
      Span = 1;
      while (IsMergedDown(I, J + Span - 1)) ++Span;
      L += FormatHtmlRowSpan(Span);
      L += '>';
      const int Style = CellFontStyle(I, J);
      L += FormatHtmlOpenStyleTags(Style);
      L += "&nbsp;";
      L += HtmlEscape(Trimmed(GetCellText(I, J)));
      if (Cell && Images) {
        if (Cell->BaseKind == 0 && Cell->SigMark == -1)
          L += "&nbsp;<img src=\"/Files/Quin/DownRed.gif\" align=\"middle\">";
        else if (Cell->BaseKind == 0 && Cell->SigMark == 1)
          L += "&nbsp;<img src=\"/Files/Quin/UpGreen.gif\" align=\"middle\">";
        else
          L += "&nbsp;<img src=\"/Files/Quin/SpaceUpDown.gif\">";
      }
      if (Coordinate) L += "&nbsp;";
      L += FormatHtmlCloseStyleTags(Style);
      L += "</td>";
      Lines.push_back(L);
    }
    Lines.emplace_back("</tr>");
  }
  Lines.emplace_back("</table>");
}

std::string TPelRepElemTable::RenderHtmlText() const {
  std::vector<std::string> Lines;
  RenderHtml(Lines);
  size_t Size = 0;
  for (const std::string& S : Lines) Size += S.size() + 2;
  std::string Text;
  Text.reserve(Size);
  for (const std::string& S : Lines) {
    Text += S;
    Text += "\r\n";
  }
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
    const std::string D = AllDescriptions ? GetDescription(Options) : GetOwnDescription(Options);
    if (!D.empty())
      Text += Translated("<PLK>Uwagi<ENU>Comments") + "\r\n" + WithoutTrailingLineBreaks(D) +
              "\r\n\r\n";
  }
  Lines.push_back(std::move(Text));
}

}  // namespace quin
