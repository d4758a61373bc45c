// The platform's formatting of values by a format string ("%s", "%d", "%.2n", "%0:s", ...)
// and the strict parsing of number texts. Separators always come from the TFormatSettings
// passed in, never from the process locale.
//
// A format specifier is
//   "%" [index ":"] ["-"] [width] ["." precision] type
// where index, width and precision are decimal numbers or "*" (taken from the next argument,
// which must be an integer). The types, in either case:
//   d  signed integer; precision = minimum digits, zero-padded ("%.3d" of -7 is "-007")
//   u  unsigned integer (a negative argument is read as its two's complement)
//   x  upper-case hexadecimal integer; precision = minimum digits
//   f  fixed, precision = decimals (default 2)
//   n  as f, with the thousands separator grouping the integer part
//   g  general, precision = significant digits (default 15), shortest form
//   e  scientific, precision = significant digits (default 15), exponent "E+003"
//   s  string (or character); precision = maximum characters
//   %  a percent sign ("%%")
// Width pads with blanks on the left, or on the right with "-". Floating conversions take
// only floating arguments, integer conversions only integers, "s" only strings and characters;
// anything else, a missing argument or an unknown type raises EConvertError.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/exception.h"
#include "base/formatsettings.h"

namespace quin {

// A text does not match the conversion asked of it (a format or a number text).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// One argument of Format: an integer, a double, a character or a string (held by value, so
// that an argument list may outlive the expressions that built it).
struct TFormatArg {
  enum class TKind : std::uint8_t { Int, UInt, Double, Char, String };

  TFormatArg(int V) : Kind(TKind::Int), Wide(false), I(V) {}
  TFormatArg(long V) : Kind(TKind::Int), Wide(sizeof(long) > 4), I(V) {}
  TFormatArg(long long V) : Kind(TKind::Int), Wide(true), I(V) {}
  TFormatArg(unsigned V) : Kind(TKind::UInt), Wide(false), U(V) {}
  TFormatArg(unsigned long V) : Kind(TKind::UInt), Wide(sizeof(long) > 4), U(V) {}
  TFormatArg(unsigned long long V) : Kind(TKind::UInt), Wide(true), U(V) {}
  TFormatArg(double V) : Kind(TKind::Double), D(V) {}
  TFormatArg(char V) : Kind(TKind::Char), C(V) {}
  TFormatArg(const char* V) : Kind(TKind::String), S(V ? V : "") {}
  TFormatArg(std::string V) : Kind(TKind::String), S(std::move(V)) {}
  TFormatArg(std::string_view V) : Kind(TKind::String), S(V) {}
  TFormatArg(bool) = delete;  // a Boolean is no format argument

  TKind Kind;
  bool Wide = true;  // integers: 64 bits rather than 32 (matters for "%u" and "%x" of negatives)
  union {
    long long I;
    unsigned long long U;
    double D;
    char C;
  };
  std::string S;
};

std::string Format(std::string_view Fmt, std::initializer_list<TFormatArg> Args,
                   const TFormatSettings& FS);
std::string Format(std::string_view Fmt, const std::vector<TFormatArg>& Args,
                   const TFormatSettings& FS);

// "%g" with precision 15: 0.1 gives "0.1", 1e20 gives "1E20".
std::string FloatToStr(double V, const TFormatSettings& FS);
std::string IntToStr(long long V);

// Format with "." as the decimal separator (and "," as the thousands separator), whatever the
// locale: the numbers written into definition texts. Literal text and string arguments are
// left as they are.
std::string FormatPointDecimal(std::string_view Fmt, std::initializer_list<TFormatArg> Args);

// Number texts: leading and trailing blanks, an optional sign, digits with at most one
// FS.DecimalSeparator (at least one digit in all, ".5" is a number), an optional exponent
// "E"/"e" with an optional sign and digits, nothing else. No "inf", "nan" or hexadecimal
// floats; a value beyond the range of a double fails, one below it becomes zero.
bool TryStrToFloat(std::string_view S, double& V, const TFormatSettings& FS);
double StrToFloatDef(std::string_view S, double Default, const TFormatSettings& FS);
// Raises EConvertError "'<S>' is not a valid floating point value".
double StrToFloat(std::string_view S, const TFormatSettings& FS);

// Integer texts: leading blanks, an optional sign, decimal digits, or hexadecimal digits after
// "$" or "0x"; nothing after them. A value outside the type's range fails.
bool TryStrToInt(std::string_view S, int& V);
bool TryStrToInt64(std::string_view S, long long& V);
int StrToIntDef(std::string_view S, int Default);
// Raises EConvertError "'<S>' is not a valid integer value".
int StrToInt(std::string_view S);

}  // namespace quin
