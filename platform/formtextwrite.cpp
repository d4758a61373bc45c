// Writing the component text: one line per property, nested objects and collections indented.
#include <cmath>

#include "base/format.h"
#include "platform/formtext.h"

namespace quin {

namespace {

class TFormWriter {
 public:
  explicit TFormWriter(std::string_view Prefix) : FPrefix(Prefix) {}

  void WriteObject(const TFormObject& Obj, int Indent) {
    Line(Indent, "object " + (Obj.Name.empty() ? Obj.ClassName : Obj.Name + ": " + Obj.ClassName));
    for (const TFormProperty& P : Obj.Properties) WriteProperty(P, Indent + 1);
    for (const TFormObject& C : Obj.Children) WriteObject(C, Indent + 1);
    Line(Indent, "end");
  }

  std::string Text;

 private:
  void Line(int Indent, std::string_view S) {
    Text += FPrefix;
    Text.append(size_t(Indent) * 2, ' ');
    Text += S;
    Text += "\r\n";
  }

  void WriteProperty(const TFormProperty& P, int Indent) {
    const TFormValue& V = P.Value;
    switch (V.Kind) {
      case TFormValue::TKind::List:
        Line(Indent, P.Name + " = (");
        for (size_t I = 0; I < V.Items.size(); ++I)
          WriteListItem(V.Items[I], Indent + 1, I + 1 == V.Items.size() ? ")" : "");
        if (V.Items.empty()) Line(Indent + 1, ")");
        break;
      case TFormValue::TKind::Collection:
        Line(Indent, P.Name + " = <");
        WriteCollectionItems(V, Indent + 1, "");
        break;
      default:
        Line(Indent, P.Name + " = " + Scalar(V));
    }
  }

  // The items of a collection whose "<" is written, then its ">" followed by Close.
  void WriteCollectionItems(const TFormValue& V, int Indent, std::string_view Close) {
    for (size_t I = 0; I < V.Entries.size(); ++I) {
      Line(Indent, "item");
      for (const TFormProperty& E : V.Entries[I].Properties) WriteProperty(E, Indent + 1);
      Line(Indent, I + 1 == V.Entries.size() ? "end>" + std::string(Close) : "end");
    }
    if (V.Entries.empty()) Line(Indent, ">" + std::string(Close));
  }

  void WriteListItem(const TFormValue& V, int Indent, std::string_view Close) {
    if (V.Kind == TFormValue::TKind::List) {
      Line(Indent, "(");
      for (const TFormValue& I : V.Items) WriteListItem(I, Indent + 1, "");
      Line(Indent, std::string(")") + std::string(Close));
    } else if (V.Kind == TFormValue::TKind::Collection) {
      Line(Indent, "<");
      WriteCollectionItems(V, Indent + 1, Close);
    } else {
      Line(Indent, Scalar(V) + std::string(Close));
    }
  }

  static std::string Scalar(const TFormValue& V) {
    switch (V.Kind) {
      case TFormValue::TKind::Integer:
        return IntToStr(V.Int);
      case TFormValue::TKind::Float:
        return FloatText(V.Float);
      case TFormValue::TKind::String:
        return Quoted(V.Text);
      case TFormValue::TKind::Ident:
        return V.Text;
      case TFormValue::TKind::Set: {
        std::string R = "[";
        for (size_t I = 0; I < V.Names.size(); ++I) R += (I ? ", " : "") + V.Names[I];
        return R + "]";
      }
      case TFormValue::TKind::Binary: {
        static const char Hex[] = "0123456789ABCDEF";
        std::string R = "{";
        for (char C : V.Text) {
          R += Hex[(unsigned char)C >> 4];
          R += Hex[(unsigned char)C & 15];
        }
        return R + "}";
      }
      default:
        return "()";  // lists and collections are written by WriteProperty and WriteListItem
    }
  }

  // A float always shows a decimal point or an exponent, so it reads back as a float. Fifteen
  // digits where they read back to the same value, all seventeen where they do not (72 and a
  // little more must not come back as 72).
  static std::string FloatText(double V) {
    if (!std::isfinite(V)) return "0.0";
    const TFormatSettings Point;
    std::string S = FloatToStr(V, Point);
    double Back = 0;
    if (!TryStrToFloat(S, Back, Point) || Back != V) S = FormatPointDecimal("%.17g", {V});
    if (S.find_first_of(".E") == std::string::npos) S += ".0";
    return S;
  }

  static std::string Quoted(std::string_view S) {
    if (S.empty()) return "''";
    std::string R;
    bool InQuote = false;
    char Prev = '\0';
    for (char C : S) {
      const auto B = (unsigned char)C;
      const bool Plain = B >= 32 && B < 127 && !(C == '>' && Prev == '>');
      if (Plain != InQuote) {
        R += '\'';
        InQuote = Plain;
      }
      if (Plain)
        R += C == '\'' ? std::string("''") : std::string(1, C);
      else
        R += "#" + IntToStr(B);
      Prev = Plain ? C : '\0';
    }
    if (InQuote) R += '\'';
    return R;
  }

  std::string_view FPrefix;
};

}  // namespace

std::string WriteFormText(const TFormObject& Root, std::string_view LinePrefix) {
  TFormWriter W(LinePrefix);
  W.WriteObject(Root, 0);
  return W.Text;
}

}  // namespace quin
