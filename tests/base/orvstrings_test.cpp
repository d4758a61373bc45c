#include "base/orvstrings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "base/text.h"

namespace quin {
namespace {

TEST(OrvStrings, TrimmingAndRemovingRepeatedAffixes) {
  EXPECT_EQ(TrimChar("--a--", '-'), "a");
  EXPECT_EQ(TrimChar("-a-b-", '-'), "a-b");
  EXPECT_EQ(TrimLeftChar("aaa", 'a'), "");
  EXPECT_EQ(TrimLeftChar("xaa", 'a'), "xaa");
  EXPECT_EQ(TrimRightChar("xaa", 'a'), "x");
  EXPECT_EQ(TrimRightChar("", 'a'), "");
  EXPECT_EQ(TrimChar("\xB9\xB9z\xB9", '\xB9'), "z");  // high bytes are characters like any other

  EXPECT_EQ(RemoveLeadingText("ababc", "ab"), "c");
  EXPECT_EQ(RemoveLeadingText("abc", ""), "abc");
  EXPECT_EQ(RemoveLeadingText("ab", "abc"), "ab");
  EXPECT_EQ(RemoveTrailingText("line\r\n\r\n", "\r\n"), "line");
  EXPECT_EQ(RemoveTrailingText("\r\n", "\r\n"), "");
  EXPECT_EQ(RemoveTrailingText("\n", "\r\n"), "\n");
  // An empty suffix would be removed for ever; the text comes back as it is.
  EXPECT_EQ(RemoveTrailingText("abc", ""), "abc");
  EXPECT_EQ(RemoveTrailingText("", ""), "");
}

TEST(OrvStrings, ReplacingAndPrefixes) {
  EXPECT_EQ(ReplaceChar("a.b.c", '.', ','), "a,b,c");
  struct Case {
    const char *S, *Old, *New, *Want;
  };
  // "aaa" -> "aaaaaa": inserted text is not searched again.
  const Case Cases[] = {
      {"abab", "ab", "b", "bb"},  {"aaa", "a", "aa", "aaaaaa"}, {"aaaa", "aa", "a", "aa"},
      {"abc", "", "x", "abc"},    {"abc", "abcd", "x", "abc"},  {"", "a", "b", ""},
      {"x--y--", "--", "", "xy"},
  };
  for (const Case& C : Cases) EXPECT_EQ(ReplaceText(C.S, C.Old, C.New), C.Want) << C.S;

  EXPECT_EQ(CommonPrefix("q1_3", "q1_4"), "q1_");
  EXPECT_EQ(CommonPrefix("abc", "ab"), "ab");
  EXPECT_EQ(CommonPrefix("abc", "xbc"), "");
  EXPECT_EQ(CommonPrefix("", "abc"), "");
}

TEST(OrvStrings, LeftAndRightClampTheCount) {
  struct Case {
    int N;
    const char *Left, *Right;
  };
  const Case Cases[] = {
      {-5, "", ""},
      {0, "", ""},
      {1, "a", "e"},
      {3, "abc", "cde"},
      {5, "abcde", "abcde"},
      {6, "abcde", "abcde"},
      {INT32_MAX, "abcde", "abcde"},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(LeftText("abcde", C.N), C.Left) << C.N;
    EXPECT_EQ(RightText("abcde", C.N), C.Right) << C.N;
    // Taken literally, the unchecked form would start before the text for N > 5.
    EXPECT_EQ(RightTextUnchecked("abcde", C.N), C.Right) << C.N;
  }
  EXPECT_EQ(RightTextUnchecked("", 3), "");
}

TEST(OrvStrings, SplitAtFirstPeelsOffOnePartAtATime) {
  std::string Left, Right;
  SplitAtFirst("1.2.3", Left, Right, ".");
  EXPECT_EQ(Left, "1");
  EXPECT_EQ(Right, "2.3");
  SplitAtFirst("123", Left, Right, ".");
  EXPECT_EQ(Left, "123");
  EXPECT_EQ(Right, "");
  SplitAtFirst("a::b", Left, Right, "::");
  EXPECT_EQ(Left, "a");
  EXPECT_EQ(Right, "b");
  SplitAtFirst("a.b", Left, Right, "");
  EXPECT_EQ(Left, "a.b");
  EXPECT_EQ(Right, "");

  // The rest passed as the text and as Right at once.
  std::string Rest = "alpha.beta..gamma-long-enough-to-leave-the-small-buffer";
  std::vector<std::string> Parts;
  while (!Rest.empty()) {
    std::string Part;
    SplitAtFirst(Rest, Part, Rest, ".");
    Parts.push_back(Part);
  }
  const std::vector<std::string> Want = {"alpha", "beta", "",
                                         "gamma-long-enough-to-leave-the-small-buffer"};
  EXPECT_EQ(Parts, Want);

  // ... and as Left.
  std::string Text = "head.tail";
  SplitAtFirst(Text, Text, Right, ".");
  EXPECT_EQ(Text, "head");
  EXPECT_EQ(Right, "tail");
}

TEST(OrvStrings, PositionsOfCharactersAndTexts) {
  // "a b c": blanks at 2 and 4.
  struct Case {
    int N, Pos, PosFromEnd;
    const char *Before, *After, *BeforeFromEnd, *AfterFromEnd;
  };
  const Case Cases[] = {
      {1, 2, 4, "a", "b c", "a b", "c"}, {2, 4, 2, "a b", "c", "a", "b c"},
      {3, 0, 0, "", "", "", ""},         {0, 0, 0, "", "", "", ""},
      {-1, 0, 0, "", "", "", ""},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(PosOfNthChar("a b c", ' ', C.N), C.Pos) << C.N;
    EXPECT_EQ(PosOfNthCharFromEnd("a b c", ' ', C.N), C.PosFromEnd) << C.N;
    EXPECT_EQ(TextBeforeNthChar("a b c", ' ', C.N), C.Before) << C.N;
    EXPECT_EQ(TextAfterNthChar("a b c", ' ', C.N), C.After) << C.N;
    EXPECT_EQ(TextBeforeNthCharFromEnd("a b c", ' ', C.N), C.BeforeFromEnd) << C.N;
    EXPECT_EQ(TextAfterNthCharFromEnd("a b c", ' ', C.N), C.AfterFromEnd) << C.N;
  }
  EXPECT_EQ(TextAfterNthChar("lang=en", '=', 1), "en");
  EXPECT_EQ(TextAfterNthChar("lang=", '=', 1), "");
  EXPECT_EQ(PosOfNthChar("", 'x', 1), 0);

  struct TextCase {
    const char *S, *Sub;
    int First, Last;
    const char *Before, *AfterFirst, *AfterLast;
  };
  const TextCase TextCases[] = {
      {"a::b::c", "::", 2, 5, "a::b", "b::c", "c"},
      {"abc", "abc", 1, 1, "", "", ""},
      {"abc", "x", 0, 0, "", "", ""},
      {"abc", "", 0, 0, "", "", ""},
      {"ab", "abc", 0, 0, "", "", ""},
      {"aaa", "aa", 1, 2, "a", "a", ""},
  };
  for (const TextCase& C : TextCases) {
    EXPECT_EQ(PosOfText(C.S, C.Sub), C.First) << C.S << " / " << C.Sub;
    EXPECT_EQ(LastPosOfText(C.S, C.Sub), C.Last) << C.S << " / " << C.Sub;
    EXPECT_EQ(TextBeforeLast(C.S, C.Sub), C.Before) << C.S << " / " << C.Sub;
    EXPECT_EQ(TextAfterFirst(C.S, C.Sub), C.AfterFirst) << C.S << " / " << C.Sub;
    EXPECT_EQ(TextAfterLast(C.S, C.Sub), C.AfterLast) << C.S << " / " << C.Sub;
  }
}

TEST(OrvStrings, CountingCountsOverlappingOccurrences) {
  EXPECT_EQ(CountChar("a.b.c", '.'), 2);
  EXPECT_EQ(CountChar("", '.'), 0);
  EXPECT_EQ(CountText("aaaa", "aa"), 3);
  EXPECT_EQ(CountText("aaa", "aa"), 2);
  EXPECT_EQ(CountText("abcabc", "bc"), 2);
  EXPECT_EQ(CountText("abc", "abcd"), 0);
  EXPECT_EQ(CountText("abc", ""), 0);  // an empty text would be found for ever
}

TEST(OrvStrings, SmallFormattingHelpers) {
  EXPECT_EQ(LastChar("abc"), 'c');
  EXPECT_EQ(LastChar(""), '\0');
  EXPECT_EQ(Spaces(3), "   ");
  EXPECT_EQ(Spaces(0), "");
  EXPECT_EQ(Spaces(-2), "");
}

TEST(OrvStrings, RemoveDuplicateLinesIgnoresAsciiCaseAndKeepsOrder) {
  std::vector<std::string> List = {"Beta", "alpha",        "BETA",        "", "Alpha", "gamma", "",
                                   "beta", Cp1250("Łódź"), Cp1250("łódź")};
  RemoveDuplicateLines(List);
  // Polish letters are different characters, not different cases, here.
  const std::vector<std::string> Want = {"Beta",  "alpha",        "",
                                         "gamma", Cp1250("Łódź"), Cp1250("łódź")};
  EXPECT_EQ(List, Want);
  std::vector<std::string> Empty;
  RemoveDuplicateLines(Empty);
  EXPECT_TRUE(Empty.empty());
}

// ---- Wildcards --------------------------------------------------------------------------------

TEST(OrvStringsWildcard, Cases) {
  struct Case {
    const char *S, *Mask;
    bool Wildcards, Sets, Want;
  };
  const Case Cases[] = {
      {"q1_3", "q1_*", true, false, true},
      {"q1", "q1?", true, false, false},
      {"q1", "q1*", true, false, true},
      {"", "", true, true, true},
      {"a", "", true, true, false},
      {"", "*", true, false, true},
      {"", "?", true, false, false},
      {"abc", "a*c", true, false, true},
      {"abc", "a*b", true, false, false},
      {"abcbc", "a*bc", true, false, true},
      {"ab", "a**b*", true, false, true},
      {"Q1_3", "q1_*", true, false, false},  // exact case
      // Wildcards off: "*" and "?" are plain characters.
      {"*", "*", false, false, true},
      {"abc", "*", false, false, false},
      {"?", "?", false, false, true},
      {"a", "?", false, false, false},
      {"\\a", "\\a", false, false, true},  // no escapes either
      // Escapes.
      {"a*", "a\\*", true, false, true},
      {"ab", "a\\*", true, false, false},
      {"?", "\\?", true, false, true},
      {"[", "\\[", false, true, true},
      {"\\", "\\\\", true, false, true},
      // Sets.
      {"b", "[abc]", false, true, true},
      {"d", "[abc]", false, true, false},
      {"m", "[a-z]", false, true, true},
      {"M", "[a-z]", false, true, false},
      {"5", "[!a-z]", false, true, true},
      {"m", "[^a-z]", false, true, false},
      {"-", "[a-]", false, true, true},
      {"]", "[\\]]", false, true, true},
      {"x]", "[x]]", false, true, true},
      {"!", "[\\!]", false, true, true},
      {"", "[a]", false, true, false},  // a set never matches the end
      {"", "[!a]", false, true, false},
      {"x", "[]", false, true, false},  // the empty set
      {"x", "[!]", false, true, true},
      {"a", "[a", false, true, false},  // unterminated
      {"a[b", "a[b", false, true, false},
      {"a\\", "[a\\]", false, true, false},        // the "]" is escaped: still open
      {"[a]", "[a]", true, false, true},           // sets off: brackets are plain
      {"\xB9", "[\xA5-\xBF]", false, true, true},  // ranges over high bytes
      {"q1_3", "q[0-9]_*", true, true, true},
      {"q12_3", "q[0-9]_*", true, true, false},
      {"q12_3", "q*[0-9]_?", true, true, true},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(MatchesWildcard(C.S, C.Mask, C.Wildcards, C.Sets), C.Want)
        << "'" << C.S << "' ~ '" << C.Mask << "' w=" << C.Wildcards << " s=" << C.Sets;
}

// The matching as a direct recursion over the mask, tried at every position: the reference
// that the linear-backtracking matcher must agree with. Exponential, so only for short texts.
bool ReferenceMatch(std::string_view S, std::string_view M, bool W, bool Sets) {
  if (M.empty()) return S.empty();
  const char Ch = M[0];
  if (W && Ch == '*') {
    if (M.size() == 1) return true;
    for (size_t I = 0; I <= S.size(); ++I)
      if (ReferenceMatch(S.substr(I), M.substr(1), W, Sets)) return true;
    return false;
  }
  if (W && Ch == '?') return !S.empty() && ReferenceMatch(S.substr(1), M.substr(1), W, Sets);
  if (Sets && Ch == '[') {
    size_t I = 1;
    bool Neg = I < M.size() && (M[I] == '!' || M[I] == '^');
    if (Neg) ++I;
    bool In = false;
    const unsigned char C = S.empty() ? 0 : static_cast<unsigned char>(S[0]);
    for (;;) {
      if (I >= M.size()) return false;
      if (M[I] == ']') break;
      if (M[I] == '\\') ++I;
      if (I >= M.size()) return false;
      unsigned char Lo = M[I++], Hi = Lo;
      if (I + 1 < M.size() && M[I] == '-' && M[I + 1] != ']') {
        ++I;
        if (M[I] == '\\') ++I;
        if (I >= M.size()) return false;
        Hi = M[I++];
      }
      if (C >= Lo && C <= Hi) In = true;
    }
    if (S.empty() || In == Neg) return false;
    return ReferenceMatch(S.substr(1), M.substr(I + 1), W, Sets);
  }
  size_t Len = 1;
  char Lit = Ch;
  if ((W || Sets) && Ch == '\\' && M.size() > 1) {
    Lit = M[1];
    Len = 2;
  }
  return !S.empty() && S[0] == Lit && ReferenceMatch(S.substr(1), M.substr(Len), W, Sets);
}

TEST(OrvStringsWildcard, AgreesWithTheRecursiveDefinition) {
  // A small deterministic generator: the test must not depend on the default source.
  uint32_t State = 12345;
  auto Next = [&](uint32_t Range) {
    State = State * 1103515245u + 12345u;
    return (State >> 16) % Range;
  };
  const char MaskChars[] = "ab*?[]!^-\\";
  int Checked = 0;
  for (int Round = 0; Round < 20000; ++Round) {
    std::string S, Mask;
    for (uint32_t I = Next(7); I > 0; --I) S += "ab-]"[Next(4)];
    for (uint32_t I = Next(8); I > 0; --I) Mask += MaskChars[Next(sizeof(MaskChars) - 1)];
    const bool W = Next(4) != 0, Sets = Next(3) != 0;
    ASSERT_EQ(MatchesWildcard(S, Mask, W, Sets), ReferenceMatch(S, Mask, W, Sets))
        << "'" << S << "' ~ '" << Mask << "' w=" << W << " s=" << Sets;
    ++Checked;
  }
  EXPECT_EQ(Checked, 20000);
}

TEST(OrvStringsWildcard, PathologicalMasksFinish) {
  // A recursive search tries about C(200, 8) splits here; the matcher must answer at once.
  const std::string As(200, 'a');
  EXPECT_FALSE(MatchesWildcard(As, "*a*a*a*a*a*a*a*a*b", true, false));
  EXPECT_TRUE(MatchesWildcard(As + "b", "*a*a*a*a*a*a*a*a*b", true, false));
  EXPECT_FALSE(MatchesWildcard(As, "*[a]*[a]*[a]*[a]*[a]*[a]*[!a]", true, true));
  EXPECT_TRUE(MatchesWildcard(std::string(5000, 'x'), "*x*x*x*x*x*x*x*x*", true, false));
}

// ---- Doubling of quotes -----------------------------------------------------------------------

TEST(OrvStringsDoubling, QuoteCharacter) {
  EXPECT_EQ(DoubleText("say \"hi\"", "\""), "say \"\"hi\"\"");
  EXPECT_EQ(UndoubleText("say \"\"hi\"\"", "\""), "say \"hi\"");
  EXPECT_EQ(DoubleText("'''", "'"), "''''''");
  EXPECT_EQ(UndoubleText("'''", "'"), "''");  // goes on after the kept quote
  EXPECT_EQ(DoubleText("abc", ""), "abc");
  EXPECT_EQ(UndoubleText("abc", ""), "abc");
  EXPECT_EQ(DoubleText("", "'"), "");
}

// Texts between "<<" and ">>" double every ">>" in them. Occurrences are found from the end
// without overlapping, so a run of k ">" gains 2*(k/2) characters: the pairs are taken from
// the end of the run and an odd ">" stays at its start. Undoubling takes ">>>>" pairs from the
// start of a run and so recovers k for every run length, in the middle and at the end of a text.
TEST(OrvStringsDoubling, RunsOfClosersRoundTrip) {
  struct Case {
    int Run;
    const char* Doubled;
  };
  const Case Cases[] = {
      {1, ">"}, {2, ">>>>"}, {3, ">>>>>"}, {4, ">>>>>>>>"}, {5, ">>>>>>>>>"},
  };
  for (const Case& C : Cases) {
    const std::string Run(size_t(C.Run), '>');
    for (const std::string& S : {"a" + Run + "b", "a" + Run, Run}) {
      const std::string Doubled = DoubleText(S, ">>");
      EXPECT_EQ(Doubled, ReplaceText(S, Run, C.Doubled)) << S;
      EXPECT_EQ(UndoubleText(Doubled, ">>"), S) << S;
    }
  }
  EXPECT_EQ(DoubleText("x>>y>>>z", ">>"), "x>>>>y>>>>>z");
  EXPECT_EQ(UndoubleText("x>>>>y>>>>>z", ">>"), "x>>y>>>z");
}

// What cannot round-trip: runs of ">" that doubling never produces (2, 3, 6, 7 ... ">" stand
// for no text), as in text written by hand. They are read as well as they go, and doubling the
// result gives a different text. (Where such a text ends against the closing ">>", the scanner
// decides where the text ends; a single ">" before the closer belongs to the text.)
TEST(OrvStringsDoubling, RunsThatDoublingNeverProducesDoNotRoundTrip) {
  struct Case {
    int Run, Undoubled;
  };
  const Case Cases[] = {{2, 2}, {3, 3}, {6, 4}, {7, 5}};
  for (const Case& C : Cases) {
    const std::string Run(size_t(C.Run), '>');
    const std::string Undone = UndoubleText("a" + Run + "b", ">>");
    EXPECT_EQ(Undone, "a" + std::string(size_t(C.Undoubled), '>') + "b") << C.Run;
    EXPECT_NE(DoubleText(Undone, ">>"), "a" + Run + "b") << C.Run;
  }
}

TEST(OrvStringsDoubling, UndoublingInvertsDoublingForAnyText) {
  // Every text over {a, b} up to 10 characters against every Q up to 3 characters, including
  // quotes that overlap themselves ("aa", "aba").
  std::vector<std::string> Qs;
  for (int L = 1; L <= 3; ++L)
    for (int M = 0; M < (1 << L); ++M) {
      std::string Q;
      for (int I = 0; I < L; ++I) Q += (M >> I & 1) ? 'b' : 'a';
      Qs.push_back(Q);
    }
  int Failures = 0;
  for (const std::string& Q : Qs)
    for (int L = 0; L <= 10; ++L)
      for (int M = 0; M < (1 << L); ++M) {
        std::string S;
        for (int I = 0; I < L; ++I) S += (M >> I & 1) ? 'b' : 'a';
        if (UndoubleText(DoubleText(S, Q), Q) != S && ++Failures <= 5)
          ADD_FAILURE() << "Q '" << Q << "' S '" << S << "'";
      }
  EXPECT_EQ(Failures, 0);
  EXPECT_EQ(DoubleText("ababa", "aba"), "ababaaba");  // only the last of two overlapping hits
}

}  // namespace
}  // namespace quin
