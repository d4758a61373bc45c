// Definition texts for the benchmarks: the demonstration survey's own definition and data, and
// a large survey definition made from it, whose data section repeats the demonstration's
// modules under new identifiers (so it opens with the demonstration's data). A hand-written
// tokenizer of the definition language is the yardstick of the scanner.
#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "tools/demosurvey/demosurvey.h"

namespace quin::bench {

inline std::string ReadSourceFile(const std::string& Name) {
  std::ifstream In(std::string(QUIN_DEMO_DIR) + "/" + Name, std::ios::binary);
  if (!In) throw Exception("Cannot read " + Name + " of the demonstration survey.");
  std::stringstream Buf;
  Buf << In.rdbuf();
  return Buf.str();
}

// The demonstration survey's definition (UTF-8, as in the source tree) and parameters.
inline const std::string& DemoDefinitionUtf8() {
  static const std::string Text = ReadSourceFile("demo.def");
  return Text;
}
inline const std::string& DemoParams() {
  static const std::string Text = ReadSourceFile("params.txt");
  return Text;
}

// The demonstration definition with its data section's modules repeated until the text holds
// at least Size bytes; every identifier of a copy gets the copy's number. Windows-1250, CR LF.
inline std::string LargeDefinitionUtf8(size_t Size) {
  const std::string& Demo = DemoDefinitionUtf8();
  const size_t Data = Demo.find("\ndef data\n");
  const size_t Last = Demo.rfind("\nend;");
  if (Data == std::string::npos || Last == std::string::npos || Last < Data)
    throw Exception("The demonstration definition has no data section.");
  const size_t Modules = Data + std::string_view("\ndef data\n").size();
  const std::string Head = Demo.substr(0, Modules);
  const std::string Body = Demo.substr(Modules, Last + 1 - Modules);
  std::string Text = Head;
  for (int Copy = 0; Text.size() < Size; ++Copy) {
    const std::string Suffix = "_" + std::to_string(Copy);
    size_t From = 0;
    for (size_t At; (At = Body.find(" id = ", From)) != std::string::npos;) {
      const size_t End = Body.find(';', At);
      Text.append(Body, From, End - From);
      Text += Suffix;
      From = End;
    }
    Text.append(Body, From, std::string::npos);
  }
  return Text + "end;\n";
}

inline bool IsIdentChar(char C) {
  return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' ||
         C == '.';
}

// The tokens of a definition text as the language reads them (the text is taken to be free of
// errors), the way a plain hand-written tokenizer finds them: a loop over the characters that
// keeps the line and column and hands over what a reader needs of each token: its kind (the
// keywords told apart from identifiers), start and end, its text (strings and texts with their
// doubled delimiters made single) and the value of an integer. Counts the tokens and sums their
// lines, so that a scanner's tokens can be compared.
struct THandToken {
  // 'i' identifier, 'k' keyword, 'n' number, 's' string, 't' text, '$' binary, else the symbol
  char Kind = 0;
  size_t Start = 0, End = 0;
  int Line = 1, Column = 1, EndLine = 1, EndColumn = 1;
  std::string_view Text;  // the token's characters; Value holds strings' and texts' own text
  std::string Value;
  long long Integer = 0;
};

// "def", "end", "and", "or", "not" and "in", in any case.
inline bool IsKeyword(std::string_view W) {
  static const std::string_view Words[] = {"def", "end", "and", "or", "not", "in"};
  for (std::string_view K : Words) {
    if (K.size() != W.size()) continue;
    size_t I = 0;
    while (I < K.size() && (W[I] | 0x20) == K[I]) ++I;
    if (I == K.size()) return true;
  }
  return false;
}

struct THandTokens {
  size_t Tokens = 0;
  size_t LineSum = 0;
  size_t Check = 0;  // keeps the tokens' texts and values from being optimised away
};

class THandTokenizer {
 public:
  explicit THandTokenizer(std::string_view AText) : T(AText), N(AText.size()) {}

  // The next token into Tok; false at the end of the text.
  bool Next(THandToken& Tok) {
    SkipBlanksAndComments();
    if (I >= N) return false;
    Tok.Start = I;
    Tok.Line = Line;
    Tok.Column = static_cast<int>(I - LineStart) + 1;
    const char C = T[I];
    if ((C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_') {
      for (++I; I < N && IsIdentChar(T[I]); ++I) {
      }
      Tok.Kind = IsKeyword(T.substr(Tok.Start, I - Tok.Start)) ? 'k' : 'i';
    } else if (C >= '0' && C <= '9') {
      Tok.Kind = 'n';
      Tok.Integer = 0;
      for (; I < N && (IsIdentChar(T[I]) ||
                       ((T[I] == '+' || T[I] == '-') && (T[I - 1] == 'e' || T[I - 1] == 'E')));
           ++I)
        Tok.Integer = Tok.Integer * 10 + (T[I] - '0');
    } else if (C == '"') {
      Tok.Kind = 's';
      Tok.Value.clear();
      for (++I; I < N && !(T[I] == '"' && (I + 1 >= N || T[I + 1] != '"'));) {
        Tok.Value += T[I];
        I += T[I] == '"' ? 2 : 1;
      }
      ++I;
    } else if (C == '<' && I + 1 < N && T[I + 1] == '<') {
      Tok.Kind = 't';
      Tok.Value.clear();
      for (I += 2; I < N;) {
        if (T[I] == '\r' && I + 1 < N && T[I + 1] == '\n') {
          Tok.Value += "\r\n";
          NewLine(I + 2);
        } else if (T.compare(I, 2, ">>") != 0 || T.compare(I + 2, 2, ">>") == 0) {
          Tok.Value += T[I];
          I += T.compare(I, 2, ">>") == 0 ? 4 : 1;
        } else if (I + 2 < N && T[I + 2] == '>') {
          Tok.Value += T[I++];
        } else {
          I += 2;
          break;
        }
      }
    } else if (C == '$') {
      Tok.Kind = '$';
      for (++I; I < N && IsIdentChar(T[I]); ++I) {
      }
    } else {
      Tok.Kind = C;
      ++I;
      if ((C == '<' || C == '>') && I < N && T[I] == '=') ++I;
    }
    Tok.End = I;
    Tok.Text = T.substr(Tok.Start, I - Tok.Start);
    Tok.EndLine = Line;
    Tok.EndColumn = static_cast<int>(I - LineStart) + 1;
    return true;
  }

 private:
  void NewLine(size_t After) {
    I = After;
    ++Line;
    LineStart = After;
  }
  void SkipBlanksAndComments() {
    while (I < N) {
      const char C = T[I];
      if (C == '\r' && I + 1 < N && T[I + 1] == '\n') {
        NewLine(I + 2);
      } else if (C == ' ' || C == '\r' || C == '\n' || C == '\t' || C == '\b') {
        ++I;
      } else if (C == '/' && I + 1 < N && T[I + 1] == '/') {
        while (I < N && T[I] != '\r') ++I;
      } else if (C == '/' && I + 1 < N && T[I + 1] == '*') {
        for (I += 2; I < N && T.compare(I, 2, "*/") != 0;) {
          if (T[I] == '\r' && I + 1 < N && T[I + 1] == '\n')
            NewLine(I + 2);
          else
            ++I;
        }
        I = std::min(N, I + 2);
      } else {
        return;
      }
    }
  }

  std::string_view T;
  size_t N;
  size_t I = 0;
  int Line = 1;
  size_t LineStart = 0;
};

inline THandTokens HandTokenize(std::string_view Text) {
  THandTokens R;
  THandTokenizer H(Text);
  for (THandToken Tok; H.Next(Tok);) {
    ++R.Tokens;
    R.LineSum += static_cast<size_t>(Tok.Line);
    R.Check += Tok.Value.size() + static_cast<size_t>(Tok.Integer) + Tok.Text.size();
  }
  return R;
}

}  // namespace quin::bench
