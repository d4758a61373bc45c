// The component text: reading every kind of value, writing and reading back, and refusing
// broken or hostile texts with a clear error instead of a crash or an unbounded allocation.
#include "platform/formtext.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"

namespace quin {
namespace {

const char* kTemplate =
    "object Chart1: TChart\r\n"
    "  Left = -1\r\n"
    "  Title.Text.Strings = (\r\n"
    "    'Readers'#13#10'by age'\r\n"
    "    'It''s' +\r\n"
    "      ' joined')\r\n"
    "  Legend.Alignment = laBottom\r\n"
    "  Font.Style = [fsBold, fsItalic]\r\n"
    "  Empty = []\r\n"
    "  Hex = $1F\r\n"
    "  Ratio = 1.250000000000000000\r\n"
    "  Small = -2.5E-3\r\n"
    "  Ref = Form1.Chart1\r\n"
    "  Data = {\r\n"
    "    0A0b FF}\r\n"
    "  CustomAxes = <\r\n"
    "    item\r\n"
    "      Horizontal = False\r\n"
    "    end\r\n"
    "    item\r\n"
    "    end>\r\n"
    "  object Series1: TBarSeries\r\n"
    "    Marks.Visible = False\r\n"
    "  end\r\n"
    "  inherited TSomeTool [2]\r\n"
    "  end\r\n"
    "end\r\n";

TEST(FormText, ReadsEveryKindOfValue) {
  const TFormObject F = ReadFormText(kTemplate);
  EXPECT_EQ(F.Name, "Chart1");
  EXPECT_EQ(F.ClassName, "TChart");
  EXPECT_EQ(F.Find("left")->Value.Int, -1);  // names without regard to case

  std::vector<std::string> Lines;
  ASSERT_TRUE(F.Find("Title.Text.Strings")->Value.GetLines(Lines));
  EXPECT_EQ(Lines, (std::vector<std::string>{"Readers\r\nby age", "It's joined"}));
  EXPECT_EQ(F.Find("Legend.Alignment")->Value.Text, "laBottom");
  EXPECT_EQ(F.Find("Font.Style")->Value.Names, (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_TRUE(F.Find("Empty")->Value.Names.empty());
  EXPECT_EQ(F.Find("Hex")->Value.Int, 31);
  double D = 0;
  ASSERT_TRUE(F.Find("Ratio")->Value.GetNumber(D));
  EXPECT_EQ(D, 1.25);
  ASSERT_TRUE(F.Find("Small")->Value.GetNumber(D));
  EXPECT_DOUBLE_EQ(D, -0.0025);
  EXPECT_EQ(F.Find("Ref")->Value.Text, "Form1.Chart1");
  EXPECT_EQ(F.Find("Data")->Value.Text, std::string("\x0A\x0B\xFF", 3));
  const TFormValue& Axes = F.Find("CustomAxes")->Value;
  ASSERT_EQ(Axes.Entries.size(), 2u);
  EXPECT_EQ(Axes.Entries[0].Find("Horizontal")->Value.Text, "False");
  EXPECT_TRUE(Axes.Entries[1].Properties.empty());

  ASSERT_EQ(F.Children.size(), 2u);
  EXPECT_EQ(F.Children[0].ClassName, "TBarSeries");
  EXPECT_EQ(F.Children[1].ClassName, "TSomeTool");
  EXPECT_EQ(F.Children[1].Name, "");
}

TEST(FormText, CharacterCodesBeyondAByteAreUnicode) {
  // #322 is l-stroke, #261 a-ogonek; #179 is a byte of the text's own code page.
  const TFormObject F = ReadFormText("object A: TX\n S = 'Pi'#322'ka '#261#179\nend");
  EXPECT_EQ(F.Find("S")->Value.Text, Cp1250("Piłka ą") + "\xB3");
}

TEST(FormText, WrittenTextReadsBackTheSameTree) {
  TFormObject F = ReadFormText(kTemplate);
  F.Add("Odd", TFormValue::String(std::string("a>>b'c\r\n\x01\xB9", 10)));
  F.Add("Float", TFormValue::Number(3.0));  // stays a float
  // Doubles that fifteen digits do not hold come back exactly.
  F.Add("Near", TFormValue::Number(71.000000000000008));
  F.Add("Tiny", TFormValue::Number(0.1 + 0.2));
  F.Add("Huge", TFormValue::Number(-1.2345678901234567e300));
  TFormValue Nested;
  Nested.Kind = TFormValue::TKind::List;
  Nested.Items = {TFormValue::Integer(1), TFormValue::Ident("x")};
  TFormValue Outer;
  Outer.Kind = TFormValue::TKind::List;
  Outer.Items = {Nested, TFormValue::String("")};
  F.Add("Lists", Outer);
  // Collections inside lists keep their items, also as the last item and when empty.
  TFormValue Items = F.Find("CustomAxes")->Value, Empty;
  Empty.Kind = TFormValue::TKind::Collection;
  TFormValue Mixed;
  Mixed.Kind = TFormValue::TKind::List;
  Mixed.Items = {Items, Empty, TFormValue::Integer(2), Items};
  F.Add("Mixed", Mixed);
  TFormValue Last;
  Last.Kind = TFormValue::TKind::List;
  Last.Items = {Empty};
  F.Add("Last", Last);
  const std::string Text = WriteFormText(F, "    ");
  const TFormObject Back = ReadFormText(Text);
  EXPECT_TRUE(Back == F) << Text;
  ASSERT_TRUE(Back.Find("Mixed"));
  ASSERT_EQ(Back.Find("Mixed")->Value.Items.size(), 4u);
  EXPECT_EQ(Back.Find("Mixed")->Value.Items[3].Entries.size(), 2u);
  // Every line carries the prefix; no ">>" could end a definition-text block early.
  size_t Start = 0;
  while (Start < Text.size()) {
    EXPECT_EQ(Text.compare(Start, 4, "    "), 0) << Text.substr(Start, 40);
    Start = Text.find("\r\n", Start) + 2;
  }
  EXPECT_EQ(Text.find(">>"), std::string::npos);
}

TEST(FormText, BrokenStructureRaisesWithTheLine) {
  const struct {
    const char* Text;
    EFormTextError::TReason Reason;
    int Line;
  } Cases[] = {
      {"", EFormTextError::kEndOfText, 1},
      {"thing A: TX\nend", EFormTextError::kExpected, 1},
      {"object A: TX\n  P = 1\n", EFormTextError::kEndOfText, 3},
      {"object A: TX\n  P 1\nend", EFormTextError::kExpected, 2},
      {"object A: TX\n  P = 'open\nend", EFormTextError::kExpected, 2},
      {"object A: TX\n  P = 'a' +\nend", EFormTextError::kExpected, 3},
      {"object A: TX\n  P = [a, ]\nend", EFormTextError::kBadChar, 2},
      {"object A: TX\n  P = {0A1}\nend", EFormTextError::kBadValue, 2},
      {"object A: TX\n  P = {0G}\nend", EFormTextError::kBadValue, 2},
      {"object A: TX\n  P = <\n thing\n end>\nend", EFormTextError::kExpected, 3},
      {"object A: TX\n  P = 12abc\nend", EFormTextError::kBadValue, 2},
      {"object A: TX\n  P = $\nend", EFormTextError::kBadValue, 2},
      {"object A: TX\n  P = #99999999\nend", EFormTextError::kBadValue, 2},
      {"object A: TX\n  P = ?\nend", EFormTextError::kBadValue, 2},
      {"inherited A: TX []\nend", EFormTextError::kBadValue, 1},
      {"object A: TX\nend\nobject B: TX\nend", EFormTextError::kExpected, 3},
      {"object A: TX\n  P = (1 2\n", EFormTextError::kEndOfText, 3},
  };
  for (const auto& C : Cases) {
    try {
      ReadFormText(C.Text);
      ADD_FAILURE() << "read: " << C.Text;
    } catch (const EFormTextError& E) {
      EXPECT_EQ(E.Reason, C.Reason) << C.Text << " -> " << E.Message;
      EXPECT_EQ(E.Line, C.Line) << C.Text;
      EXPECT_NE(E.Message.find(std::to_string(C.Line)), std::string::npos) << E.Message;
    }
  }
}

TEST(FormText, HostileTextsAreBounded) {
  auto Reason = [](const std::string& Text) {
    try {
      ReadFormText(Text);
    } catch (const EFormTextError& E) {
      return E.Reason;
    }
    return EFormTextError::kExpected;  // read: not expected here
  };
  std::string Deep;
  for (int I = 0; I < 10000; ++I) Deep += "object A: TX\n";
  EXPECT_EQ(Reason(Deep), EFormTextError::kTooDeep);
  EXPECT_EQ(Reason("object A: TX\nP = " + std::string(10000, '(')), EFormTextError::kTooDeep);
  std::string Lists = "object A: TX\nP = ";
  for (int I = 0; I < 10000; ++I) Lists += "<item P = ";
  EXPECT_EQ(Reason(Lists), EFormTextError::kTooDeep);
  EXPECT_EQ(Reason(std::string(kFormTextMaxSize + 1, ' ')), EFormTextError::kTooLarge);
  std::string Many = "object A: TX\nP = (";
  for (int I = 0; I <= kFormTextMaxNodes; ++I) Many += "1 ";
  EXPECT_EQ(Reason(Many + ")\nend"), EFormTextError::kTooLarge);
  // Within the bounds, nesting reads.
  std::string Fine;
  for (int I = 0; I < kFormTextMaxDepth; ++I) Fine += "object A: TX\n";
  for (int I = 0; I < kFormTextMaxDepth; ++I) Fine += "end\n";
  EXPECT_NO_THROW(ReadFormText(Fine));
}

}  // namespace
}  // namespace quin
