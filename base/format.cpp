#include "base/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/text.h"

namespace quin {

namespace {

// Widths and precisions beyond this are a broken format, not a request for megabytes of blanks.
constexpr int MaxWidthOrPrecision = 100000;
// Floating conversions keep at most this many decimals or significant digits.
constexpr int MaxFloatDigits = 18;

[[noreturn]] void RaiseFormatError(std::string_view Fmt) {
  std::string Msg = "Format '";
  Msg.append(Fmt);
  Msg += "' invalid or incompatible with argument";
  throw EConvertError(std::move(Msg));
}

// A finite double as decimal digits: |value| = 0.D1D2...DN * 10^Exp. The digits are the
// shortest expansion that reads back as the same double, without trailing zeros; N = 0 is zero.
struct TDecimal {
  char Digits[40];
  int N = 0;
  int Exp = 0;
  bool Neg = false;
};

TDecimal ToDecimal(double V) {
  TDecimal D;
  D.Neg = std::signbit(V);
  if (V == 0) return D;
  char Buf[64];
  const auto R = std::to_chars(Buf, Buf + sizeof(Buf), std::fabs(V), std::chars_format::scientific);
  const char* P = Buf;
  const char* End = R.ptr;
  while (P < End && *P != 'e') {
    if (*P >= '0' && *P <= '9' && D.N < int(sizeof(D.Digits))) D.Digits[D.N++] = *P;
    ++P;
  }
  int E = 0;
  bool ENeg = false;
  if (P < End) ++P;  // 'e'
  if (P < End && (*P == '+' || *P == '-')) ENeg = *P++ == '-';
  for (; P < End; ++P) E = E * 10 + (*P - '0');
  D.Exp = (ENeg ? -E : E) + 1;
  while (D.N > 0 && D.Digits[D.N - 1] == '0') --D.N;
  return D;
}

// Keeps the first Count digits, rounding half away from zero on the digits held.
void RoundDigits(TDecimal& D, int Count) {
  if (Count >= D.N) return;
  if (Count < 0) {
    D.N = 0;
    return;
  }
  const bool Up = D.Digits[Count] >= '5';
  D.N = Count;
  if (Up) {
    int K = Count - 1;
    while (K >= 0 && D.Digits[K] == '9') --K;
    if (K < 0) {
      D.Digits[0] = '1';
      D.N = 1;
      ++D.Exp;
    } else {
      ++D.Digits[K];
      D.N = K + 1;
    }
  }
  while (D.N > 0 && D.Digits[D.N - 1] == '0') --D.N;
}

char DigitAt(const TDecimal& D, int Index) {
  return (Index >= 0 && Index < D.N) ? D.Digits[Index] : '0';
}

void AppendGrouped(std::string& Out, const TDecimal& D, int IntDigits, char Thousand) {
  for (int K = 0; K < IntDigits; ++K) {
    if (Thousand != '\0' && K > 0 && (IntDigits - K) % 3 == 0) Out += Thousand;
    Out += DigitAt(D, K);
  }
}

// Fixed notation with Decimals decimals; grouped by the thousands separator when Grouped.
void AppendFixed(std::string& Out, double V, int Decimals, bool Grouped,
                 const TFormatSettings& FS) {
  TDecimal D = ToDecimal(V);
  RoundDigits(D, D.Exp + Decimals);
  if (D.Neg && D.N > 0) Out += '-';
  if (D.N == 0 || D.Exp <= 0) {
    Out += '0';
  } else {
    AppendGrouped(Out, D, D.Exp, Grouped ? FS.ThousandSeparator : '\0');
  }
  if (Decimals > 0) {
    Out += FS.DecimalSeparator;
    for (int K = 0; K < Decimals; ++K) Out += DigitAt(D, D.Exp + K);
  }
}

void AppendExponent(std::string& Out, int E, int MinDigits, bool PlusSign) {
  Out += 'E';
  if (E < 0) {
    Out += '-';
    E = -E;
  } else if (PlusSign) {
    Out += '+';
  }
  char Buf[16];
  const auto R = std::to_chars(Buf, Buf + sizeof(Buf), E);
  for (int K = int(R.ptr - Buf); K < MinDigits; ++K) Out += '0';
  Out.append(Buf, R.ptr);
}

// General notation with Precision significant digits, the shortest text.
void AppendGeneral(std::string& Out, double V, int Precision, const TFormatSettings& FS) {
  TDecimal D = ToDecimal(V);
  RoundDigits(D, Precision);
  if (D.N == 0) {
    Out += '0';
    return;
  }
  if (D.Neg) Out += '-';
  if (D.Exp <= Precision && std::fabs(V) >= 0.00001) {
    if (D.Exp <= 0) {
      Out += '0';
      Out += FS.DecimalSeparator;
      Out.append(size_t(-D.Exp), '0');
      Out.append(D.Digits, size_t(D.N));
    } else {
      for (int K = 0; K < D.Exp; ++K) Out += DigitAt(D, K);
      if (D.N > D.Exp) {
        Out += FS.DecimalSeparator;
        Out.append(D.Digits + D.Exp, size_t(D.N - D.Exp));
      }
    }
    return;
  }
  Out += D.Digits[0];
  if (D.N > 1) {
    Out += FS.DecimalSeparator;
    Out.append(D.Digits + 1, size_t(D.N - 1));
  }
  AppendExponent(Out, D.Exp - 1, 0, false);
}

// Scientific notation with Precision significant digits and a signed exponent of 3 digits.
void AppendScientific(std::string& Out, double V, int Precision, const TFormatSettings& FS) {
  TDecimal D = ToDecimal(V);
  RoundDigits(D, Precision);
  if (D.Neg && D.N > 0) Out += '-';
  Out += DigitAt(D, 0);
  if (Precision > 1) {
    Out += FS.DecimalSeparator;
    for (int K = 1; K < Precision; ++K) Out += DigitAt(D, K);
  }
  AppendExponent(Out, D.N == 0 ? 0 : D.Exp - 1, 3, true);
}

bool AppendNonFinite(std::string& Out, double V) {
  if (std::isnan(V)) {
    Out += "NAN";
  } else if (std::isinf(V)) {
    Out += V < 0 ? "-INF" : "INF";
  } else {
    return false;
  }
  return true;
}

void AppendUnsigned(std::string& Out, unsigned long long V, int Base, int MinDigits) {
  char Buf[80];
  auto R = std::to_chars(Buf, Buf + sizeof(Buf), V, Base);
  const int Len = int(R.ptr - Buf);
  if (MinDigits > Len) Out.append(size_t(MinDigits - Len), '0');
  for (const char* P = Buf; P < R.ptr; ++P) Out += UpperChar(*P);
}

class TFormatter {
 public:
  TFormatter(std::string_view Fmt, const TFormatArg* Args, size_t Count, const TFormatSettings& FS)
      : Fmt_(Fmt), Args_(Args), Count_(Count), FS_(FS) {}

  std::string Run();

 private:
  const TFormatArg& NextArg() {
    if (ArgIndex_ >= Count_) RaiseFormatError(Fmt_);
    return Args_[ArgIndex_++];
  }
  // A decimal number or "*" at the current position; -1 when there is none.
  int ReadNumber();
  void Convert(char Type, int Precision, std::string& Body);

  std::string_view Fmt_;
  const TFormatArg* Args_;
  size_t Count_;
  const TFormatSettings& FS_;
  size_t Pos_ = 0;
  size_t ArgIndex_ = 0;
};

int TFormatter::ReadNumber() {
  if (Pos_ < Fmt_.size() && Fmt_[Pos_] == '*') {
    ++Pos_;
    const TFormatArg& A = NextArg();
    long long V;
    if (A.Kind == TFormatArg::TKind::Int) {
      V = A.I;
    } else if (A.Kind == TFormatArg::TKind::UInt && A.U <= MaxWidthOrPrecision) {
      V = (long long)A.U;
    } else {
      RaiseFormatError(Fmt_);
    }
    if (V > MaxWidthOrPrecision) RaiseFormatError(Fmt_);
    return V < 0 ? -1 : int(V);
  }
  if (Pos_ >= Fmt_.size() || Fmt_[Pos_] < '0' || Fmt_[Pos_] > '9') return -1;
  int V = 0;
  while (Pos_ < Fmt_.size() && Fmt_[Pos_] >= '0' && Fmt_[Pos_] <= '9') {
    V = V * 10 + (Fmt_[Pos_++] - '0');
    if (V > MaxWidthOrPrecision) RaiseFormatError(Fmt_);
  }
  return V;
}

void TFormatter::Convert(char Type, int Precision, std::string& Body) {
  using K = TFormatArg::TKind;
  const TFormatArg& A = NextArg();
  switch (Type) {
    case 'd': {
      if (A.Kind == K::Int) {
        if (A.I < 0) Body += '-';
        const unsigned long long M = A.I < 0 ? 0ull - (unsigned long long)A.I : A.I;
        AppendUnsigned(Body, M, 10, Precision);
      } else if (A.Kind == K::UInt) {
        AppendUnsigned(Body, A.U, 10, Precision);
      } else {
        RaiseFormatError(Fmt_);
      }
      return;
    }
    case 'u':
    case 'x': {
      unsigned long long M;
      if (A.Kind == K::Int) {
        M = A.Wide ? (unsigned long long)A.I : (unsigned long long)(std::uint32_t)A.I;
      } else if (A.Kind == K::UInt) {
        M = A.U;
      } else {
        RaiseFormatError(Fmt_);
      }
      AppendUnsigned(Body, M, Type == 'x' ? 16 : 10, Precision);
      return;
    }
    case 'f':
    case 'n':
    case 'g':
    case 'e': {
      if (A.Kind != K::Double) RaiseFormatError(Fmt_);
      if (AppendNonFinite(Body, A.D)) return;
      if (Type == 'f' || Type == 'n') {
        const int Decimals = Precision < 0 ? 2 : std::min(Precision, MaxFloatDigits);
        AppendFixed(Body, A.D, Decimals, Type == 'n', FS_);
      } else {
        const int Digits = Precision < 0 ? 15 : std::clamp(Precision, 1, MaxFloatDigits);
        if (Type == 'g') {
          AppendGeneral(Body, A.D, Digits, FS_);
        } else {
          AppendScientific(Body, A.D, Digits, FS_);
        }
      }
      return;
    }
    case 's': {
      std::string_view Text;
      if (A.Kind == K::String) {
        Text = A.S;
      } else if (A.Kind == K::Char) {
        Text = std::string_view(&A.C, 1);
      } else {
        RaiseFormatError(Fmt_);
      }
      if (Precision >= 0 && size_t(Precision) < Text.size()) Text = Text.substr(0, Precision);
      Body.append(Text);
      return;
    }
    default:
      RaiseFormatError(Fmt_);
  }
}

std::string TFormatter::Run() {
  std::string Out;
  // Most results are short numbers that fit in the string itself: room is made only for long
  // formats.
  if (Fmt_.size() > 16) Out.reserve(Fmt_.size() + 16);
  std::string Body;
  while (Pos_ < Fmt_.size()) {
    const size_t Percent = Fmt_.find('%', Pos_);
    if (Percent == std::string_view::npos) {
      Out.append(Fmt_.substr(Pos_));
      break;
    }
    Out.append(Fmt_.substr(Pos_, Percent - Pos_));
    Pos_ = Percent + 1;
    if (Pos_ < Fmt_.size() && Fmt_[Pos_] == '%') {
      Out += '%';
      ++Pos_;
      continue;
    }
    int Number = ReadNumber();
    if (Pos_ < Fmt_.size() && Fmt_[Pos_] == ':') {
      if (Number < 0) RaiseFormatError(Fmt_);
      ArgIndex_ = size_t(Number);
      ++Pos_;
      Number = ReadNumber();
    }
    bool Left = false;
    if (Number < 0 && Pos_ < Fmt_.size() && Fmt_[Pos_] == '-') {
      Left = true;
      ++Pos_;
      Number = ReadNumber();
    }
    const int Width = Number;
    int Precision = -1;
    if (Pos_ < Fmt_.size() && Fmt_[Pos_] == '.') {
      ++Pos_;
      const bool FromArg = Pos_ < Fmt_.size() && Fmt_[Pos_] == '*';
      Precision = ReadNumber();
      if (Precision < 0 && !FromArg) Precision = 0;  // "%.f": no decimals
    }
    if (Pos_ >= Fmt_.size()) RaiseFormatError(Fmt_);
    const char Type = LowerChar(Fmt_[Pos_++]);
    Body.clear();
    Convert(Type, Precision, Body);
    const size_t Pad = (Width > 0 && size_t(Width) > Body.size()) ? Width - Body.size() : 0;
    if (!Left) Out.append(Pad, ' ');
    Out += Body;
    if (Left) Out.append(Pad, ' ');
  }
  return Out;
}

TFormatSettings PointDecimalSettings() {
  TFormatSettings FS;
  FS.DecimalSeparator = '.';
  FS.ThousandSeparator = ',';
  return FS;
}

}  // namespace

std::string Format(std::string_view Fmt, std::initializer_list<TFormatArg> Args,
                   const TFormatSettings& FS) {
  return TFormatter(Fmt, Args.begin(), Args.size(), FS).Run();
}

std::string Format(std::string_view Fmt, const std::vector<TFormatArg>& Args,
                   const TFormatSettings& FS) {
  return TFormatter(Fmt, Args.data(), Args.size(), FS).Run();
}

std::string FloatToStr(double V, const TFormatSettings& FS) {
  std::string Out;
  if (!AppendNonFinite(Out, V)) AppendGeneral(Out, V, 15, FS);
  return Out;
}

std::string IntToStr(long long V) {
  char Buf[24];
  const auto R = std::to_chars(Buf, Buf + sizeof(Buf), V);
  return std::string(Buf, R.ptr);
}

std::string FormatPointDecimal(std::string_view Fmt, std::initializer_list<TFormatArg> Args) {
  static const TFormatSettings PointFS = PointDecimalSettings();
  return Format(Fmt, Args, PointFS);
}

// ---- number texts ----

bool TryStrToFloat(std::string_view S, double& V, const TFormatSettings& FS) {
  size_t I = 0, End = S.size();
  while (I < End && S[I] == ' ') ++I;
  while (End > I && S[End - 1] == ' ') --End;
  std::string Buf;
  Buf.reserve(End - I);
  bool Neg = false;
  if (I < End && (S[I] == '+' || S[I] == '-')) {
    Neg = S[I] == '-';
    if (Neg) Buf += '-';
    ++I;
  }
  // The decimal magnitude of the first significant digit, to tell overflow from underflow.
  long long IntDigits = 0, LeadingZeros = 0;
  bool SeenSep = false, SeenNonZero = false;
  int Digits = 0;
  for (; I < End; ++I) {
    const char C = S[I];
    if (C >= '0' && C <= '9') {
      Buf += C;
      ++Digits;
      if (!SeenSep) ++IntDigits;
      if (C != '0') SeenNonZero = true;
      if (!SeenNonZero) ++LeadingZeros;
    } else if (C == FS.DecimalSeparator && !SeenSep) {
      Buf += '.';
      SeenSep = true;
    } else {
      break;
    }
  }
  if (Digits == 0) return false;
  long long Exp = 0;
  if (I < End && (S[I] == 'e' || S[I] == 'E')) {
    Buf += 'e';
    ++I;
    bool ExpNeg = false;
    if (I < End && (S[I] == '+' || S[I] == '-')) {
      ExpNeg = S[I] == '-';
      Buf += S[I++];
    }
    int ExpDigits = 0;
    for (; I < End && S[I] >= '0' && S[I] <= '9'; ++I, ++ExpDigits) {
      Buf += S[I];
      if (Exp < 1000000000) Exp = Exp * 10 + (S[I] - '0');
    }
    if (ExpDigits == 0) return false;
    if (ExpNeg) Exp = -Exp;
  }
  if (I != End) return false;
  double R = 0;
  const auto Res = std::from_chars(Buf.data(), Buf.data() + Buf.size(), R);
  if (Res.ptr != Buf.data() + Buf.size()) return false;
  if (Res.ec == std::errc::result_out_of_range) {
    if (!SeenNonZero) {
      R = 0;
    } else {
      const long long Magnitude = IntDigits - 1 - LeadingZeros + Exp;
      if (Magnitude >= 0) return false;  // beyond the largest double
      R = 0;                             // below the smallest: zero
    }
    R = Neg ? -R : R;
  } else if (Res.ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(R)) return false;
  V = R;
  return true;
}

double StrToFloatDef(std::string_view S, double Default, const TFormatSettings& FS) {
  double V;
  return TryStrToFloat(S, V, FS) ? V : Default;
}

double StrToFloat(std::string_view S, const TFormatSettings& FS) {
  double V;
  if (!TryStrToFloat(S, V, FS)) {
    throw EConvertError("'" + std::string(S) + "' is not a valid floating point value");
  }
  return V;
}

bool TryStrToInt64(std::string_view S, long long& V) {
  size_t I = 0;
  while (I < S.size() && S[I] == ' ') ++I;
  bool Neg = false;
  if (I < S.size() && (S[I] == '+' || S[I] == '-')) Neg = S[I++] == '-';
  unsigned Base = 10;
  if (I < S.size() && S[I] == '$') {
    Base = 16;
    ++I;
  } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
    Base = 16;
    I += 2;
  }
  const unsigned long long Limit =
      Neg ? 0ull - (unsigned long long)std::numeric_limits<long long>::min()
          : (unsigned long long)std::numeric_limits<long long>::max();
  unsigned long long M = 0;
  if (I >= S.size()) return false;
  for (; I < S.size(); ++I) {
    const char C = S[I];
    unsigned D;
    if (C >= '0' && C <= '9') {
      D = unsigned(C - '0');
    } else if (Base == 16 && C >= 'A' && C <= 'F') {
      D = unsigned(C - 'A' + 10);
    } else if (Base == 16 && C >= 'a' && C <= 'f') {
      D = unsigned(C - 'a' + 10);
    } else {
      return false;
    }
    if (M > (Limit - D) / Base) return false;
    M = M * Base + D;
  }
  V = Neg ? (long long)(0ull - M) : (long long)M;
  return true;
}

bool TryStrToInt(std::string_view S, int& V) {
  long long L;
  if (!TryStrToInt64(S, L)) return false;
  if (L < std::numeric_limits<int>::min() || L > std::numeric_limits<int>::max()) return false;
  V = int(L);
  return true;
}

int StrToIntDef(std::string_view S, int Default) {
  int V;
  return TryStrToInt(S, V) ? V : Default;
}

int StrToInt(std::string_view S) {
  int V;
  if (!TryStrToInt(S, V)) {
    throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
  }
  return V;
}

}  // namespace quin
