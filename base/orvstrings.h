// The toolbox for 8-bit strings: trimming, cutting at occurrences of characters and texts,
// counting, replacing, doubling of quotes, wildcard matching and a few formatting helpers.
// Positions are 1-based; comparisons are exact unless noted; an absent occurrence or a count or
// position out of range yields "" or 0, never an error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quin {

// S without its leading / trailing characters C; TrimChar strips both ends.
std::string TrimLeftChar(std::string_view S, char C);
std::string TrimRightChar(std::string_view S, char C);
std::string TrimChar(std::string_view S, char C);

// S with Prefix removed from its start as long as it starts with it (S when Prefix is empty).
std::string RemoveLeadingText(std::string_view S, std::string_view Prefix);
// S with Suffix removed from its end as long as it ends with it (S when Suffix is empty).
std::string RemoveTrailingText(std::string_view S, std::string_view Suffix);

// S with every character Old replaced by New.
std::string ReplaceChar(std::string_view S, char Old, char New);
// S with every occurrence of Old replaced by New, left to right; inserted text is not searched
// again. S when Old is empty.
std::string ReplaceText(std::string_view S, std::string_view Old, std::string_view New);

// The longest common prefix of A and B.
std::string CommonPrefix(std::string_view A, std::string_view B);

// The first N characters of S (all of S when N is larger; "" when N <= 0).
std::string LeftText(std::string_view S, int N);
// The last N characters of S (all of S when N is larger; "" when N <= 0).
std::string RightText(std::string_view S, int N);
// The N characters ending at the end of S. Callers use it where N is known to fit; it is
// clamped all the same, as RightText.
std::string RightTextUnchecked(std::string_view S, int N);

// Left := the text before the first Sep, Right := the text after it; without Sep (or with an
// empty Sep) Left := S and Right := "". S may refer to Left or Right itself, so that repeated
// calls SplitAtFirst(Rest, Part, Rest, ".") peel off one part at a time.
void SplitAtFirst(std::string_view S, std::string& Left, std::string& Right, std::string_view Sep);

// Position of the N-th occurrence of C from the start / from the end; 0 when there are fewer
// than N or N <= 0.
int PosOfNthChar(std::string_view S, char C, int N);
int PosOfNthCharFromEnd(std::string_view S, char C, int N);
// Position of the first / last occurrence of Sub; 0 when none or when Sub is empty.
int PosOfText(std::string_view S, std::string_view Sub);
int LastPosOfText(std::string_view S, std::string_view Sub);

// The text before / after the N-th occurrence of C from the start or from the end; "" when
// there is no such occurrence.
std::string TextBeforeNthChar(std::string_view S, char C, int N);
std::string TextBeforeNthCharFromEnd(std::string_view S, char C, int N);
std::string TextAfterNthChar(std::string_view S, char C, int N);
std::string TextAfterNthCharFromEnd(std::string_view S, char C, int N);

// The text before the last / after the first / after the last occurrence of Sub; "" when Sub
// does not occur.
std::string TextBeforeLast(std::string_view S, std::string_view Sub);
std::string TextAfterFirst(std::string_view S, std::string_view Sub);
std::string TextAfterLast(std::string_view S, std::string_view Sub);

// The number of characters C in S.
int CountChar(std::string_view S, char C);
// The number of occurrences of Sub, overlapping ones included ("aaa" holds "aa" twice);
// 0 when Sub is empty.
int CountText(std::string_view S, std::string_view Sub);

// Whether S matches Mask. With Wildcards, "?" is any one character and "*" any run of
// characters; with Sets, "[...]" is one character of a set ("[!...]" or "[^...]" negated,
// ranges "a-z", "\" escaping inside); with either, "\" makes the next mask character literal.
// Every other mask character matches itself exactly. A mask holding an unterminated set matches
// nothing. Runs in time proportional to the product of the lengths.
bool MatchesWildcard(std::string_view S, std::string_view Mask, bool Wildcards, bool Sets);

// S with every occurrence of Q doubled; occurrences are found scanning from the end and do not
// overlap. S when Q is empty.
std::string DoubleText(std::string_view S, std::string_view Q);
// S with every Q doubled in a row replaced by one Q, scanning from the start and going on after
// the pair. UndoubleText(DoubleText(S, Q), Q) gives S back. S when Q is empty.
std::string UndoubleText(std::string_view S, std::string_view Q);

// The last character of S; the character 0 for an empty string.
char LastChar(std::string_view S);
// N blanks ("" when N <= 0).
std::string Spaces(int N);

// Removes every line equal, without regard to ASCII case, to an earlier line; the kept lines
// keep their order.
void RemoveDuplicateLines(std::vector<std::string>& List);

// The program's trace hook; does nothing.
void DebugTrace(std::string_view Text, int Level = 0);

// Text or attribute value in HTML: & < > " ' become character references.
std::string HtmlEscape(std::string_view Text);
// HtmlEscape(Text) appended to To.
void AppendHtmlEscaped(std::string& To, std::string_view Text);

}  // namespace quin
