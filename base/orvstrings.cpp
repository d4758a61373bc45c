#include "base/orvstrings.h"

#include <bitset>
#include <climits>
#include <unordered_set>

#include "base/text.h"

namespace quin {

namespace {

constexpr size_t npos = std::string_view::npos;

// A 0-based offset as a 1-based position.
int ToPos(size_t Offset) {
  return Offset == npos || Offset >= size_t(INT_MAX) ? 0 : int(Offset) + 1;
}

// 0-based offset of the N-th occurrence of C from the start; npos when none.
size_t OffsetOfNthChar(std::string_view S, char C, int N) {
  if (N <= 0) return npos;
  for (size_t I = 0; I < S.size(); ++I)
    if (S[I] == C && --N == 0) return I;
  return npos;
}

size_t OffsetOfNthCharFromEnd(std::string_view S, char C, int N) {
  if (N <= 0) return npos;
  for (size_t I = S.size(); I > 0; --I)
    if (S[I - 1] == C && --N == 0) return I - 1;
  return npos;
}

size_t FirstOffset(std::string_view S, std::string_view Sub) {
  return Sub.empty() ? npos : S.find(Sub);
}

size_t LastOffset(std::string_view S, std::string_view Sub) {
  return Sub.empty() ? npos : S.rfind(Sub);
}

}  // namespace

std::string TrimLeftChar(std::string_view S, char C) {
  size_t I = 0;
  while (I < S.size() && S[I] == C) ++I;
  return std::string(S.substr(I));
}

std::string TrimRightChar(std::string_view S, char C) {
  size_t N = S.size();
  while (N > 0 && S[N - 1] == C) --N;
  return std::string(S.substr(0, N));
}

std::string TrimChar(std::string_view S, char C) { return TrimLeftChar(TrimRightChar(S, C), C); }

std::string RemoveLeadingText(std::string_view S, std::string_view Prefix) {
  if (!Prefix.empty())
    while (S.substr(0, Prefix.size()) == Prefix) S.remove_prefix(Prefix.size());
  return std::string(S);
}

std::string RemoveTrailingText(std::string_view S, std::string_view Suffix) {
  // An empty suffix would be "removed" for ever: S stays as it is.
  if (!Suffix.empty())
    while (S.size() >= Suffix.size() && S.substr(S.size() - Suffix.size()) == Suffix)
      S.remove_suffix(Suffix.size());
  return std::string(S);
}

std::string ReplaceChar(std::string_view S, char Old, char New) {
  std::string R(S);
  for (char& Ch : R)
    if (Ch == Old) Ch = New;
  return R;
}

std::string ReplaceText(std::string_view S, std::string_view Old, std::string_view New) {
  if (Old.empty()) return std::string(S);
  std::string R;
  size_t From = 0;
  for (size_t At = S.find(Old); At != npos; At = S.find(Old, From)) {
    R.append(S.substr(From, At - From));
    R.append(New);
    From = At + Old.size();
  }
  R.append(S.substr(From));
  return R;
}

std::string CommonPrefix(std::string_view A, std::string_view B) {
  size_t N = 0;
  while (N < A.size() && N < B.size() && A[N] == B[N]) ++N;
  return std::string(A.substr(0, N));
}

std::string LeftText(std::string_view S, int N) {
  if (N <= 0) return {};
  return std::string(S.substr(0, size_t(N)));
}

std::string RightText(std::string_view S, int N) {
  if (N <= 0) return {};
  if (size_t(N) >= S.size()) return std::string(S);
  return std::string(S.substr(S.size() - size_t(N)));
}

std::string RightTextUnchecked(std::string_view S, int N) {
  // Taken literally, N beyond the length would start before the text.
  return RightText(S, N);
}

void SplitAtFirst(std::string_view S, std::string& Left, std::string& Right, std::string_view Sep) {
  // S may view Left or Right: both results are built before either is assigned.
  const size_t At = FirstOffset(S, Sep);
  std::string NewLeft, NewRight;
  if (At == npos) {
    NewLeft = std::string(S);
  } else {
    NewLeft = std::string(S.substr(0, At));
    NewRight = std::string(S.substr(At + Sep.size()));
  }
  Left = std::move(NewLeft);
  Right = std::move(NewRight);
}

int PosOfNthChar(std::string_view S, char C, int N) { return ToPos(OffsetOfNthChar(S, C, N)); }

int PosOfNthCharFromEnd(std::string_view S, char C, int N) {
  return ToPos(OffsetOfNthCharFromEnd(S, C, N));
}

int PosOfText(std::string_view S, std::string_view Sub) { return ToPos(FirstOffset(S, Sub)); }

int LastPosOfText(std::string_view S, std::string_view Sub) { return ToPos(LastOffset(S, Sub)); }

std::string TextBeforeNthChar(std::string_view S, char C, int N) {
  const size_t At = OffsetOfNthChar(S, C, N);
  return At == npos ? std::string() : std::string(S.substr(0, At));
}

std::string TextBeforeNthCharFromEnd(std::string_view S, char C, int N) {
  const size_t At = OffsetOfNthCharFromEnd(S, C, N);
  return At == npos ? std::string() : std::string(S.substr(0, At));
}

std::string TextAfterNthChar(std::string_view S, char C, int N) {
  const size_t At = OffsetOfNthChar(S, C, N);
  return At == npos ? std::string() : std::string(S.substr(At + 1));
}

std::string TextAfterNthCharFromEnd(std::string_view S, char C, int N) {
  const size_t At = OffsetOfNthCharFromEnd(S, C, N);
  return At == npos ? std::string() : std::string(S.substr(At + 1));
}

std::string TextBeforeLast(std::string_view S, std::string_view Sub) {
  const size_t At = LastOffset(S, Sub);
  return At == npos ? std::string() : std::string(S.substr(0, At));
}

std::string TextAfterFirst(std::string_view S, std::string_view Sub) {
  const size_t At = FirstOffset(S, Sub);
  return At == npos ? std::string() : std::string(S.substr(At + Sub.size()));
}

std::string TextAfterLast(std::string_view S, std::string_view Sub) {
  const size_t At = LastOffset(S, Sub);
  return At == npos ? std::string() : std::string(S.substr(At + Sub.size()));
}

int CountChar(std::string_view S, char C) {
  int N = 0;
  for (char Ch : S)
    if (Ch == C) ++N;
  return N;
}

int CountText(std::string_view S, std::string_view Sub) {
  // An empty Sub would be found at every position without end.
  if (Sub.empty()) return 0;
  int N = 0;
  for (size_t At = S.find(Sub); At != npos; At = S.find(Sub, At + 1)) ++N;
  return N;
}

// Wildcard matching. The mask is first cut into elements of which each, except "*", matches
// exactly one character of S. With elements of fixed width, a failed attempt only ever needs to
// resume at the latest "*": letting an earlier "*" take more characters can reach no position
// that the latest one cannot reach as well. So one backtrack point suffices, and the search
// gives the same answer as trying every split of every "*" in turn.
namespace {

struct TMaskElem {
  enum TKind { Literal, AnyChar, AnyRun, Set, Broken } Kind;
  char Ch = 0;
  std::bitset<256> Members;  // for Set: the characters it matches (negation applied)
};

unsigned char Byte(char C) { return static_cast<unsigned char>(C); }

// Reads a set whose "[" is at Mask[I - 1]; I ends after the closing "]". False when the set is
// not closed.
bool ReadSet(std::string_view Mask, size_t& I, std::bitset<256>& Members) {
  Members.reset();
  bool Negated = false;
  if (I < Mask.size() && (Mask[I] == '!' || Mask[I] == '^')) {
    Negated = true;
    ++I;
  }
  // Reads one member character, honouring "\"; false at the end of the mask.
  auto ReadMember = [&](unsigned char& Out) {
    if (I < Mask.size() && Mask[I] == '\\') ++I;
    if (I >= Mask.size()) return false;
    Out = Byte(Mask[I++]);
    return true;
  };
  while (I < Mask.size() && Mask[I] != ']') {
    unsigned char Low;
    if (!ReadMember(Low)) return false;
    unsigned char High = Low;
    if (I + 1 < Mask.size() && Mask[I] == '-' && Mask[I + 1] != ']') {
      ++I;
      if (!ReadMember(High)) return false;
    }
    for (unsigned C = Low; C <= High; ++C) Members.set(C);
  }
  if (I >= Mask.size()) return false;
  ++I;  // the closing "]"
  if (Negated) Members.flip();
  return true;
}

std::vector<TMaskElem> ParseMask(std::string_view Mask, bool Wildcards, bool Sets) {
  std::vector<TMaskElem> Elems;
  Elems.reserve(Mask.size());
  const bool Escapes = Wildcards || Sets;
  size_t I = 0;
  while (I < Mask.size()) {
    const char Ch = Mask[I++];
    TMaskElem E{TMaskElem::Literal, Ch, {}};
    if (Wildcards && Ch == '*') {
      E.Kind = TMaskElem::AnyRun;
      if (!Elems.empty() && Elems.back().Kind == TMaskElem::AnyRun) continue;  // "**" is "*"
    } else if (Wildcards && Ch == '?') {
      E.Kind = TMaskElem::AnyChar;
    } else if (Sets && Ch == '[') {
      E.Kind = ReadSet(Mask, I, E.Members) ? TMaskElem::Set : TMaskElem::Broken;
      if (E.Kind == TMaskElem::Broken) {
        // An unterminated set fails wherever it is reached, so the whole mask fails.
        return {E};
      }
    } else if (Escapes && Ch == '\\' && I < Mask.size()) {
      E.Ch = Mask[I++];
    }
    Elems.push_back(E);
  }
  return Elems;
}

bool ElemMatches(const TMaskElem& E, char C) {
  switch (E.Kind) {
    case TMaskElem::Literal:
      return E.Ch == C;
    case TMaskElem::AnyChar:
      return true;
    case TMaskElem::Set:
      return E.Members.test(Byte(C));
    default:
      return false;
  }
}

}  // namespace

bool MatchesWildcard(std::string_view S, std::string_view Mask, bool Wildcards, bool Sets) {
  const std::vector<TMaskElem> Elems = ParseMask(Mask, Wildcards, Sets);
  if (!Elems.empty() && Elems.front().Kind == TMaskElem::Broken) return false;
  size_t M = 0, I = 0;             // next mask element, next character of S
  size_t StarM = npos, StarI = 0;  // the latest "*" and where its run would end next
  while (I < S.size()) {
    if (M < Elems.size() && Elems[M].Kind == TMaskElem::AnyRun) {
      StarM = M++;
      StarI = I;
    } else if (M < Elems.size() && ElemMatches(Elems[M], S[I])) {
      ++M;
      ++I;
    } else if (StarM != npos) {
      // Let the latest "*" take one more character and try the rest again.
      M = StarM + 1;
      I = ++StarI;
    } else {
      return false;
    }
  }
  while (M < Elems.size() && Elems[M].Kind == TMaskElem::AnyRun) ++M;
  return M == Elems.size();
}

std::string DoubleText(std::string_view S, std::string_view Q) {
  if (Q.empty()) return std::string(S);
  // Occurrences found from the end, each one wholly before the previous one.
  std::vector<size_t> Hits;
  size_t Limit = S.size();
  while (Limit >= Q.size()) {
    const size_t At = S.substr(0, Limit).rfind(Q);
    if (At == npos) break;
    Hits.push_back(At);
    Limit = At;
  }
  std::string R;
  R.reserve(S.size() + Hits.size() * Q.size());
  size_t From = 0;
  for (auto It = Hits.rbegin(); It != Hits.rend(); ++It) {
    R.append(S.substr(From, *It + Q.size() - From));
    R.append(Q);
    From = *It + Q.size();
  }
  R.append(S.substr(From));
  return R;
}

std::string UndoubleText(std::string_view S, std::string_view Q) {
  if (Q.empty()) return std::string(S);
  const std::string Pair = std::string(Q) + std::string(Q);
  std::string R;
  R.reserve(S.size());
  size_t From = 0;
  for (size_t At = S.find(Pair); At != npos; At = S.find(Pair, From)) {
    R.append(S.substr(From, At + Q.size() - From));  // up to and with the kept Q
    From = At + Pair.size();
  }
  R.append(S.substr(From));
  return R;
}

char LastChar(std::string_view S) { return S.empty() ? '\0' : S.back(); }

std::string Spaces(int N) { return N <= 0 ? std::string() : std::string(size_t(N), ' '); }

void RemoveDuplicateLines(std::vector<std::string>& List) {
  std::unordered_set<std::string> Seen;
  size_t Kept = 0;
  for (size_t I = 0; I < List.size(); ++I) {
    if (!Seen.insert(LowerCase(List[I])).second) continue;
    if (Kept != I) List[Kept] = std::move(List[I]);
    ++Kept;
  }
  List.resize(Kept);
}

void DebugTrace(std::string_view, int) {}

void AppendHtmlEscaped(std::string& To, std::string_view Text) {
  for (char C : Text) {
    switch (C) {
      case '&':
        To += "&amp;";
        break;
      case '<':
        To += "&lt;";
        break;
      case '>':
        To += "&gt;";
        break;
      case '"':
        To += "&quot;";
        break;
      case '\'':
        To += "&#39;";
        break;
      default:
        To += C;
    }
  }
}

std::string HtmlEscape(std::string_view Text) {
  std::string R;
  R.reserve(Text.size() + 16);
  AppendHtmlEscaped(R, Text);
  return R;
}

}  // namespace quin
