#include "deflang/rixwriter.h"

#include <gtest/gtest.h>

#include "base/orvclasses.h"

namespace quin {
namespace {

TEST(RixWriter, BlockLayoutAndKeys) {
  TMemoryStream S;
  int Indent = 0;
  WriteDoNotChangeNote(S);
  TOrvStreamGUIDHeader H;
  H.Signature = StringToGUID("{3991C166-F2A3-4C70-B115-FB13D7491403}");
  H.Version = 2;
  WriteFileHeader(S, Indent, H);
  WriteDefStart(S, Indent, "param");
  EXPECT_EQ(Indent, 2);
  WriteKeyInteger(S, Indent, "count", "", -12);
  WriteKeyBoolean(S, Indent, "on", "flag", true);
  WriteKeyBoolean(S, Indent, "off", "", false);
  WriteKeyIdentifier(S, Indent, "kind", "", "press.title");
  WriteKeyDoubleBin(S, Indent, "value", "", 1.0);
  WriteDefStart(S, Indent, "inner", "nested");
  WriteKeyString(S, Indent, "name", "", "say \"hi\"");
  WriteDefEnd(S, Indent);
  WriteDefEnd(S, Indent, "done");
  EXPECT_EQ(Indent, 0);
  EXPECT_EQ(S.DataString(),
            "// Do not change - may not function properly.\r\n"
            "\r\n"
            "signature = \"{3991C166-F2A3-4C70-B115-FB13D7491403}\";\r\n"
            "version = 2;\r\n"
            "\r\n"
            "def param\r\n"
            "  count = -12;\r\n"
            "  on = 1; // flag\r\n"
            "  off = 0;\r\n"
            "  kind = press.title;\r\n"
            "  value = $000000000000F03F;\r\n"
            "  def inner // nested\r\n"
            "    name = \"say \"\"hi\"\"\";\r\n"
            "  end;\r\n"
            "end; // done\r\n");
}

TEST(RixWriter, TextsDoubleTheirClosingBrackets) {
  struct Case {
    const char* Text;
    const char* Line;
  };
  const Case Cases[] = {
      {"a >> b", "t = <<a >>>> b>>;\r\n"},
      {"line 1\r\nline 2", "t = <<line 1\r\nline 2>>;\r\n"},
      {"", "t = <<>>;\r\n"},
      {"x > y", "t = <<x > y>>;\r\n"},
  };
  for (const Case& C : Cases) {
    TMemoryStream S;
    int Indent = 0;
    WriteKeyText(S, Indent, "t", "", C.Text);
    EXPECT_EQ(S.DataString(), C.Line) << C.Text;
  }
}

TEST(RixWriter, StringsStayOnTheirLineAndIndentationNeverGoesNegative) {
  TMemoryStream S;
  int Indent = 0;
  WriteKeyString(S, Indent, "s", "", "a\r\nb\nc\rd");
  WriteDefEnd(S, Indent);  // an end without a start
  EXPECT_EQ(Indent, 0);
  EXPECT_EQ(S.DataString(), "s = \"a\\nb\\nc\\nd\";\r\nend;\r\n");
}

TEST(RixWriter, ObjectBlocksAndIndentedText) {
  TMemoryStream S;
  int Indent = 4;
  WriteObjectBlock(S, Indent, "Chart1", "chart", "\r\n\r\nobject Chart1: TChart\r\nend\r\n   ");
  WriteObjectBlock(S, Indent, "", "", "no line end >>");
  WriteIndentedText(S, Indent, "x");
  WriteIndentedLine(S, Indent, "y");
  EXPECT_EQ(S.DataString(),
            "    object Chart1 <<\r\n"
            "object Chart1: TChart\r\nend\r\n"
            "    >>; // chart\r\n"
            "    object <<\r\n"
            "no line end >>>>    >>;\r\n"
            "    x    y\r\n");
}

}  // namespace
}  // namespace quin
