// The textual form of a component: an object with its class, its properties and its owned
// objects, as the desktop's form files hold it and as chart settings are kept in report files:
//
//   object Chart1: TChart
//     Title.Text.Strings = (
//       'Readers'#13#10'by age')
//     Legend.Alignment = laBottom
//     PrintMargins = (15 26 15 26)
//     CustomAxes = <
//       item
//         Horizontal = False
//       end>
//     object Series1: TBarSeries
//       Marks.Visible = False
//     end
//   end
//
// Values: integers (also "$" hexadecimal), floating numbers, strings ('...' with doubled
// quotes, #nnn characters and '+' joining the parts), identifiers (True, clRed, mbSide, also
// dotted), sets [a, b], lists ( v v ... ), collections < item ... end ... > and binary data
// {hex}. The reader builds a tree and knows no classes: the model that reads the tree takes
// the properties it knows and ignores the rest. A text that breaks the structure raises
// EFormTextError; nesting, size and node count are bounded, so no text can exhaust the stack
// or the memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/orvexceptions.h"

namespace quin {

struct TFormObject;

struct TFormValue {
  enum class TKind : std::uint8_t { Integer, Float, String, Ident, Set, List, Collection, Binary };
  TKind Kind = TKind::Integer;
  std::int64_t Int = 0;
  double Float = 0;
  std::string Text;                  // String, Ident; Binary: the bytes
  std::vector<std::string> Names;    // Set
  std::vector<TFormValue> Items;     // List
  std::vector<TFormObject> Entries;  // Collection: the items (properties only)

  static TFormValue Integer(std::int64_t V);
  static TFormValue Number(double V);
  static TFormValue String(std::string_view V);
  static TFormValue Ident(std::string_view V);

  // An Integer or Float as a double; false for other kinds.
  bool GetNumber(double& V) const;
  // True / False identifiers; false for other values.
  bool GetBool(bool& V) const;
  // A List of strings (lines), or a single String; false for other values.
  bool GetLines(std::vector<std::string>& Lines) const;
};
bool operator==(const TFormValue& A, const TFormValue& B);

struct TFormProperty {
  std::string Name;  // dotted: "Legend.Alignment"
  TFormValue Value;
};

struct TFormObject {
  std::string Name;
  std::string ClassName;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;

  // The last property of that name (case ignored); null when none.
  const TFormProperty* Find(std::string_view PropName) const;
  void Add(std::string_view PropName, TFormValue Value);
};
bool operator==(const TFormObject& A, const TFormObject& B);

// A component text that cannot be read: the message names the line and the fault.
class EFormTextError : public EOrvException {
 public:
  enum TReason { kExpected, kEndOfText, kBadValue, kBadChar, kTooDeep, kTooLarge };
  EFormTextError(TReason Reason, int Line, std::string_view What = "");
  TReason Reason;
  int Line;
};

// Bounds of the reader: the text's size, the nesting of objects, lists and collections, and
// the number of properties, values and objects in all.
constexpr std::size_t kFormTextMaxSize = 4 << 20;
constexpr int kFormTextMaxDepth = 32;
constexpr int kFormTextMaxNodes = 200000;

// Reads the one root object of Text (blanks and line breaks around it are allowed, nothing
// else after it). Raises EFormTextError.
TFormObject ReadFormText(std::string_view Text);
// The text of Root, two blanks of indentation per level, CR LF line ends, LinePrefix before
// every line. Strings are written with #nnn for control characters and bytes from 127 up, and
// never hold two '>' in a row.
std::string WriteFormText(const TFormObject& Root, std::string_view LinePrefix = "");

}  // namespace quin
