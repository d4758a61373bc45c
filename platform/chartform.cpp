#include "platform/chartform.h"

#include <cmath>
#include <initializer_list>
#include <unordered_map>
#include <utility>

#include "base/text.h"

namespace quin {

namespace {

using TNames = std::initializer_list<const char*>;

// Every property of the model is described once (below); the visitors read it from a form
// tree or collect it into one.
class TPropVisitor {
 public:
  virtual ~TPropVisitor() = default;
  virtual void Int(const char* Name, int& V, int Min, int Max) = 0;
  virtual void Float(const char* Name, double& V) = 0;
  virtual void Bool(const char* Name, bool& V) = 0;
  virtual void Text(const char* Name, std::string& V) = 0;
  virtual void Color(const char* Name, TColor& V) = 0;
  virtual void Lines(const char* Name, std::vector<std::string>& V) = 0;
  virtual void Enum(const char* Name, int& V, TNames Names) = 0;
  // A set of named flags ("[fsBold, fsItalic]").
  virtual void Flags(const char* Name, std::initializer_list<std::pair<const char*, bool*>> F) = 0;
  // A list of integers ("(15 26 15 26)").
  virtual void IntList(const char* Name, std::initializer_list<int*> V, int Min, int Max) = 0;
  // A font's height in pixels (negative, as the desktop stores it) for its size in points;
  // only read.
  virtual void FontHeight(const char* Name, int& Size) {}

  void Enter(const char* Part) {
    FPrefix.push_back(FPrefix.empty() ? Part : FPrefix.back() + "." + Part);
  }
  void Leave() { FPrefix.pop_back(); }

 protected:
  std::string Qualified(const char* Name) const {
    return FPrefix.empty() ? std::string(Name) : FPrefix.back() + "." + Name;
  }

 private:
  std::vector<std::string> FPrefix;
};

template <class E>
void EnumProp(TPropVisitor& V, const char* Name, E& Value, TNames Names) {
  int I = int(Value);
  V.Enum(Name, I, Names);
  Value = E(I);
}

// Describes a part of the model under a name prefix.
template <class T, class F>
void Group(TPropVisitor& V, const char* Part, T& Value, F Describe) {
  V.Enter(Part);
  Describe(V, Value);
  V.Leave();
}

void DescribePen(TPropVisitor& V, TChartPen& P) {
  V.Bool("Visible", P.Visible);
  V.Color("Color", P.Color);
  V.Int("Width", P.Width, 0, 20);
  EnumProp(V, "Style", P.Style,
           {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear"});
}

void DescribeBrush(TPropVisitor& V, TChartBrush& B) {
  EnumProp(V, "Style", B.Style,
           {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
            "bsCross", "bsDiagCross"});
  V.Color("Color", B.Color);
}

void DescribeFont(TPropVisitor& V, TChartFont& F) {
  V.Text("Name", F.Name);
  V.Int("Size", F.Size, 1, 72);
  V.FontHeight("Height", F.Size);
  V.Color("Color", F.Color);
  V.Flags("Style", {{"fsBold", &F.Bold},
                    {"fsItalic", &F.Italic},
                    {"fsUnderline", &F.Underline},
                    {"fsStrikeOut", &F.StrikeOut}});
}

void DescribeGradient(TPropVisitor& V, TChartGradient& G) {
  V.Bool("Visible", G.Visible);
  V.Color("StartColor", G.StartColor);
  V.Color("EndColor", G.EndColor);
  EnumProp(V, "Direction", G.Direction,
           {"gdTopBottom", "gdBottomTop", "gdLeftRight", "gdRightLeft"});
}

void DescribeWall(TPropVisitor& V, TChartWall& W) {
  V.Bool("Visible", W.Visible);
  V.Color("Color", W.Color);
  Group(V, "Brush", W.Brush, DescribeBrush);
  Group(V, "Pen", W.Pen, DescribePen);
  V.Bool("Transparent", W.Transparent);
  V.Int("Size", W.Size, 0, 100);
}

void DescribeTitle(TPropVisitor& V, TChartTitle& T) {
  V.Bool("Visible", T.Visible);
  V.Lines("Text.Strings", T.Text);
  Group(V, "Font", T.Font, DescribeFont);
  EnumProp(V, "Alignment", T.Alignment, {"taLeftJustify", "taRightJustify", "taCenter"});
  V.Color("Color", T.Color);
  V.Bool("Transparent", T.Transparent);
  Group(V, "Frame", T.Frame, DescribePen);
}

void DescribeLegend(TPropVisitor& V, TChartLegend& L) {
  V.Bool("Visible", L.Visible);
  V.Bool("CheckBoxes", L.CheckBoxes);
  EnumProp(V, "Alignment", L.Alignment, {"laLeft", "laRight", "laTop", "laBottom"});
  EnumProp(V, "LegendStyle", L.LegendStyle, {"lsAuto", "lsSeries", "lsValues", "lsLastValues"});
  EnumProp(V, "TextStyle", L.TextStyle,
           {"ltsPlain", "ltsLeftValue", "ltsRightValue", "ltsLeftPercent", "ltsRightPercent",
            "ltsXValue", "ltsValue", "ltsPercent", "ltsXAndValue", "ltsXAndPercent"});
  Group(V, "Font", L.Font, DescribeFont);
  V.Color("Color", L.Color);
  V.Bool("Transparent", L.Transparent);
  V.Bool("FontSeriesColor", L.FontSeriesColor);
  V.Int("ShadowSize", L.ShadowSize, 0, 20);
  Group(V, "Frame", L.Frame, DescribePen);
}

void DescribeAxisTitle(TPropVisitor& V, TChartAxisTitle& T) {
  V.Text("Caption", T.Caption);
  V.Int("Angle", T.Angle, 0, 359);
  Group(V, "Font", T.Font, DescribeFont);
  V.Bool("Visible", T.Visible);
}

void DescribeAxis(TPropVisitor& V, TChartAxis& A) {
  V.Bool("Visible", A.Visible);
  V.Bool("Automatic", A.Automatic);
  V.Bool("AutomaticMinimum", A.AutomaticMinimum);
  V.Bool("AutomaticMaximum", A.AutomaticMaximum);
  V.Float("Minimum", A.Minimum);
  V.Float("Maximum", A.Maximum);
  V.Float("Increment", A.Increment);
  V.Bool("Labels", A.Labels);
  V.Int("LabelsAngle", A.LabelsAngle, 0, 359);
  V.Bool("LabelsMultiLine", A.LabelsMultiLine);
  Group(V, "LabelsFont", A.LabelsFont, DescribeFont);
  Group(V, "Grid", A.Grid, DescribePen);
  Group(V, "MinorGrid", A.MinorGrid, DescribePen);
  Group(V, "Axis", A.AxisPen, DescribePen);
  V.Bool("Inverted", A.Inverted);
  Group(V, "Title", A.Title, DescribeAxisTitle);
  V.Float("PositionPercent", A.PositionPercent);
  V.Bool("Horizontal", A.Horizontal);
  V.Bool("OtherSide", A.OtherSide);
}

void Describe3D(TPropVisitor& V, TChart3DOptions& O) {
  V.Int("Elevation", O.Elevation, 0, 360);
  V.Int("HorizOffset", O.HorizOffset, -10000, 10000);
  V.Int("VertOffset", O.VertOffset, -10000, 10000);
  V.Int("OrthoAngle", O.OrthoAngle, 0, 180);
  V.Bool("Orthogonal", O.Orthogonal);
  V.Int("Perspective", O.Perspective, 0, 100);
  V.Int("Rotation", O.Rotation, 0, 360);
  V.Int("Zoom", O.Zoom, 1, 1000);
  V.Bool("ZoomText", O.ZoomText);
}

void DescribeChart(TPropVisitor& V, TChart& C) {
  V.Int("Left", C.Left, -100000, 100000);
  V.Int("Top", C.Top, -100000, 100000);
  V.Int("Width", C.Width, 0, 100000);
  V.Int("Height", C.Height, 0, 100000);
  V.Bool("Visible", C.Visible);
  V.Color("Color", C.Color);
  Group(V, "Gradient", C.Gradient, DescribeGradient);
  EnumProp(V, "BevelInner", C.BevelInner, {"bvNone", "bvLowered", "bvRaised"});
  EnumProp(V, "BevelOuter", C.BevelOuter, {"bvNone", "bvLowered", "bvRaised"});
  V.Int("BevelWidth", C.BevelWidth, 0, 20);
  EnumProp(V, "AllowPanning", C.AllowPanning, {"pmNone", "pmHorizontal", "pmVertical", "pmBoth"});
  Group(V, "BackWall", C.BackWall, DescribeWall);
  Group(V, "LeftWall", C.LeftWall, DescribeWall);
  Group(V, "BottomWall", C.BottomWall, DescribeWall);
  Group(V, "Title", C.Title, DescribeTitle);
  Group(V, "Legend", C.Legend, DescribeLegend);
  Group(V, "LeftAxis", C.LeftAxis, DescribeAxis);
  Group(V, "RightAxis", C.RightAxis, DescribeAxis);
  Group(V, "TopAxis", C.TopAxis, DescribeAxis);
  Group(V, "BottomAxis", C.BottomAxis, DescribeAxis);
  V.Bool("View3D", C.View3D);
  V.Int("Chart3DPercent", C.Chart3DPercent, 1, 100);
  Group(V, "View3DOptions", C.View3DOptions, Describe3D);
  V.Int("MarginLeft", C.Margins.Left, 0, 45);
  V.Int("MarginTop", C.Margins.Top, 0, 45);
  V.Int("MarginRight", C.Margins.Right, 0, 45);
  V.Int("MarginBottom", C.Margins.Bottom, 0, 45);
  V.IntList(
      "PrintMargins",
      {&C.PrintMargins.Left, &C.PrintMargins.Top, &C.PrintMargins.Right, &C.PrintMargins.Bottom}, 0,
      100);
}

void DescribeMarks(TPropVisitor& V, TChartMarks& M) {
  V.Bool("Visible", M.Visible);
  EnumProp(V, "Style", M.Style,
           {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue", "smsLegend",
            "smsPercentTotal", "smsLabelPercentTotal", "smsXValue"});
  Group(V, "Font", M.Font, DescribeFont);
  V.Color("BackColor", M.BackColor);
  V.Bool("Transparent", M.Transparent);
  Group(V, "Frame", M.Frame, DescribePen);
  V.Int("ArrowLength", M.ArrowLength, 0, 100);
}

void DescribePointer(TPropVisitor& V, TChartPointer& P) {
  V.Bool("Visible", P.Visible);
  EnumProp(V, "Style", P.Style,
           {"psRectangle", "psCircle", "psTriangle", "psDownTriangle", "psCross", "psDiagCross",
            "psStar", "psDiamond", "psSmallDot"});
  V.Int("HorizSize", P.HorizSize, 0, 50);
  V.Int("VertSize", P.VertSize, 0, 50);
  Group(V, "Pen", P.Pen, DescribePen);
}

struct TSeriesNames {
  const char* Class;
  const char* Pen;
  const char* Brush;
};

constexpr TSeriesNames kSeriesNames[] = {
    {"TBarSeries", "BarPen", "BarBrush"},    {"THorizBarSeries", "BarPen", "BarBrush"},
    {"TLineSeries", "LinePen", "LineBrush"}, {"TAreaSeries", "AreaLinesPen", "AreaBrush"},
    {"TPointSeries", "Pen", "Brush"},        {"TPieSeries", "PiePen", "PieBrush"},
};

const TSeriesNames& NamesOf(TChartSeriesKind Kind) { return kSeriesNames[size_t(Kind)]; }

void DescribeSeries(TPropVisitor& V, TChartSeries& S) {
  V.Text("Title", S.Title);
  V.Bool("Active", S.Active);
  V.Color("SeriesColor", S.Color);
  V.Bool("ColorEachPoint", S.ColorEachPoint);
  switch (S.Kind) {
    case TChartSeriesKind::Bar:
    case TChartSeriesKind::HorizBar:
      EnumProp(V, "MultiBar", S.MultiBar, {"mbNone", "mbSide", "mbStacked", "mbStacked100"});
      V.Int("BarWidthPercent", S.BarWidthPercent, 1, 100);
      break;
    case TChartSeriesKind::Area:
      EnumProp(V, "MultiArea", S.MultiBar, {"maNone", "", "maStacked", "maStacked100"});
      break;
    case TChartSeriesKind::Line:
    case TChartSeriesKind::Point:
      EnumProp(V, "Stacked", S.MultiBar, {"cssNone", "cssOverlap", "cssStack", "cssStack100"});
      break;
    case TChartSeriesKind::Pie:
      V.Int("ExplodeBiggest", S.ExplodeBiggest, 0, 100);
      break;
  }
  Group(V, "Marks", S.Marks, DescribeMarks);
  Group(V, "Pointer", S.Pointer, DescribePointer);
  Group(V, NamesOf(S.Kind).Pen, S.Pen, DescribePen);
  Group(V, NamesOf(S.Kind).Brush, S.Brush, DescribeBrush);
  EnumProp(V, "VertAxis", S.VertAxis,
           {"aLeftAxis", "aRightAxis", "aBothVertAxis", "aCustomVertAxis"});
  EnumProp(V, "HorizAxis", S.HorizAxis,
           {"aTopAxis", "aBottomAxis", "aBothHorizAxis", "aCustomHorizAxis"});
  V.Int("CustomVertAxis", S.CustomVertAxis, -1, 1000);
  V.Int("CustomHorizAxis", S.CustomHorizAxis, -1, 1000);
}

void DescribePoint(TPropVisitor& V, TChartPoint& P) {
  V.Float("Value", P.Value);
  V.Text("Label", P.Label);
  V.Color("Color", P.Color);
  V.Bool("IsNull", P.IsNull);
}

// ----- Reading: each described property takes the value of the form, when it has one of
// the right kind and range.

class TFormReadVisitor : public TPropVisitor {
 public:
  explicit TFormReadVisitor(const TFormObject& Form) {
    for (const TFormProperty& P : Form.Properties) FProps[LowerCase(P.Name)] = &P.Value;
  }

  void Int(const char* Name, int& V, int Min, int Max) override {
    if (const TFormValue* F = Get(Name)) NumberInRange(*F, V, Min, Max);
  }
  void Float(const char* Name, double& V) override {
    if (const TFormValue* F = Get(Name)) F->GetNumber(V);
  }
  void Bool(const char* Name, bool& V) override {
    if (const TFormValue* F = Get(Name)) F->GetBool(V);
  }
  void Text(const char* Name, std::string& V) override {
    const TFormValue* F = Get(Name);
    if (F && F->Kind == TFormValue::TKind::String) V = F->Text;
  }
  void Color(const char* Name, TColor& V) override {
    const TFormValue* F = Get(Name);
    if (!F) return;
    if (F->Kind == TFormValue::TKind::Ident) {
      IdentToColor(F->Text, V);
    } else if (F->Kind == TFormValue::TKind::Integer && F->Int >= INT32_MIN &&
               F->Int <= std::int64_t(UINT32_MAX)) {
      V = TColor(std::uint32_t(F->Int));
    }
  }
  void Lines(const char* Name, std::vector<std::string>& V) override {
    if (const TFormValue* F = Get(Name)) F->GetLines(V);
  }
  void Enum(const char* Name, int& V, TNames Names) override {
    const TFormValue* F = Get(Name);
    if (!F || F->Kind != TFormValue::TKind::Ident) return;
    int I = 0;
    for (const char* N : Names) {
      if (*N && SameText(N, F->Text)) V = I;
      ++I;
    }
  }
  void Flags(const char* Name,
             std::initializer_list<std::pair<const char*, bool*>> Flags) override {
    const TFormValue* F = Get(Name);
    if (!F || F->Kind != TFormValue::TKind::Set) return;
    for (const auto& [Flag, Member] : Flags) {
      *Member = false;
      for (const std::string& N : F->Names) *Member = *Member || SameText(N, Flag);
    }
  }
  void IntList(const char* Name, std::initializer_list<int*> V, int Min, int Max) override {
    const TFormValue* F = Get(Name);
    if (!F || F->Kind != TFormValue::TKind::List || F->Items.size() != V.size()) return;
    size_t I = 0;
    for (int* Member : V) NumberInRange(F->Items[I++], *Member, Min, Max);
  }
  void FontHeight(const char* Name, int& Size) override {
    double D;
    if (const TFormValue* F = Get(Name); F && F->GetNumber(D) && D < 0 && D >= -96)
      Size = int(std::lround(-D * 72 / 96));
  }

 private:
  const TFormValue* Get(const char* Name) const {
    auto I = FProps.find(LowerCase(Qualified(Name)));
    return I == FProps.end() ? nullptr : I->second;
  }
  static void NumberInRange(const TFormValue& F, int& V, int Min, int Max) {
    double D;
    if (F.GetNumber(D) && D >= Min && D <= Max) V = int(D);
  }

  std::unordered_map<std::string, const TFormValue*> FProps;
};

// ----- Writing: every described property as a form value, in the order of description.

class TFormCollectVisitor : public TPropVisitor {
 public:
  std::vector<TFormProperty> Props;

  void Int(const char* Name, int& V, int, int) override { Add(Name, TFormValue::Integer(V)); }
  void Float(const char* Name, double& V) override {
    Add(Name, V == std::floor(V) && std::fabs(V) < 1e15 ? TFormValue::Integer(std::int64_t(V))
                                                        : TFormValue::Number(V));
  }
  void Bool(const char* Name, bool& V) override {
    Add(Name, TFormValue::Ident(V ? "True" : "False"));
  }
  void Text(const char* Name, std::string& V) override { Add(Name, TFormValue::String(V)); }
  void Color(const char* Name, TColor& V) override {
    const std::string Ident = ColorToIdent(V);
    Add(Name, Ident.empty() ? TFormValue::Integer(V) : TFormValue::Ident(Ident));
  }
  void Lines(const char* Name, std::vector<std::string>& V) override {
    TFormValue L;
    L.Kind = TFormValue::TKind::List;
    for (const std::string& S : V) L.Items.push_back(TFormValue::String(S));
    Add(Name, std::move(L));
  }
  // An ordinal without a name for this kind (a series kind that lacks a mode) as the first.
  void Enum(const char* Name, int& V, TNames Names) override {
    const bool Named = V >= 0 && V < int(Names.size()) && *Names.begin()[V];
    Add(Name, TFormValue::Ident(Names.begin()[Named ? V : 0]));
  }
  void Flags(const char* Name, std::initializer_list<std::pair<const char*, bool*>> F) override {
    TFormValue S;
    S.Kind = TFormValue::TKind::Set;
    for (const auto& [Flag, Member] : F)
      if (*Member) S.Names.emplace_back(Flag);
    Add(Name, std::move(S));
  }
  void IntList(const char* Name, std::initializer_list<int*> V, int, int) override {
    TFormValue L;
    L.Kind = TFormValue::TKind::List;
    for (int* Member : V) L.Items.push_back(TFormValue::Integer(*Member));
    Add(Name, std::move(L));
  }

 private:
  void Add(const char* Name, TFormValue V) { Props.push_back({Qualified(Name), std::move(V)}); }
};

// The properties of Value that differ from those of Default, both described by Describe.
template <class T, class F>
std::vector<TFormProperty> ChangedProperties(const T& Value, T Default, F Describe) {
  TFormCollectVisitor Now, Was;
  Describe(Now, const_cast<T&>(Value));  // the collecting visitor only reads
  Describe(Was, Default);
  std::vector<TFormProperty> R;
  for (size_t I = 0; I < Now.Props.size(); ++I)
    if (I >= Was.Props.size() || !(Now.Props[I].Value == Was.Props[I].Value))
      R.push_back(std::move(Now.Props[I]));
  return R;
}

template <class T, class F>
TFormValue Collection(const std::vector<T>& Items, F Describe) {
  TFormValue C;
  C.Kind = TFormValue::TKind::Collection;
  for (const T& Item : Items) {
    TFormObject Entry;
    Entry.Properties = ChangedProperties(Item, T(), Describe);
    C.Entries.push_back(std::move(Entry));
  }
  return C;
}

template <class T, class F>
std::vector<T> ReadCollection(const TFormObject& Form, const char* Name, F Describe) {
  std::vector<T> R;
  const TFormProperty* P = Form.Find(Name);
  if (!P || P->Value.Kind != TFormValue::TKind::Collection) return R;
  for (const TFormObject& Entry : P->Value.Entries) {
    T Item;
    TFormReadVisitor Reader(Entry);
    Describe(Reader, Item);
    R.push_back(std::move(Item));
  }
  return R;
}

bool IsChartClass(std::string_view ClassName) {
  return SameText(ClassName, "TChart") || SameText(ClassName, "TDBChart");
}

TChartSeries SeriesOfForm(const TFormObject& Form, TChartSeriesKind Kind) {
  TChartSeries S(Kind);
  S.Name = Form.Name;
  TFormReadVisitor Reader(Form);
  DescribeSeries(Reader, S);
  S.Points = ReadCollection<TChartPoint>(Form, "Points", DescribePoint);
  for (TChartPoint& P : S.Points)
    if (!std::isfinite(P.Value)) P = {0, P.Label, P.Color, true};
  return S;
}

}  // namespace

std::string SeriesClassName(TChartSeriesKind Kind) { return NamesOf(Kind).Class; }

bool SeriesKindOfClass(std::string_view ClassName, TChartSeriesKind& Kind) {
  for (size_t I = 0; I < std::size(kSeriesNames); ++I)
    if (SameText(kSeriesNames[I].Class, ClassName)) {
      Kind = TChartSeriesKind(I);
      return true;
    }
  return false;
}

TFormObject SeriesToForm(const TChartSeries& Series) {
  TFormObject F;
  F.Name = Series.Name;
  F.ClassName = SeriesClassName(Series.Kind);
  F.Properties = ChangedProperties(Series, TChartSeries(Series.Kind), DescribeSeries);
  if (!Series.Points.empty()) F.Add("Points", Collection(Series.Points, DescribePoint));
  return F;
}

TFormObject ChartToForm(const TChart& Chart) {
  TFormObject F;
  F.Name = Chart.Name;
  F.ClassName = "TChart";
  F.Properties = ChangedProperties(Chart, TChart(), DescribeChart);
  if (!Chart.CustomAxes.empty()) F.Add("CustomAxes", Collection(Chart.CustomAxes, DescribeAxis));
  for (size_t I = 0; I < Chart.Series.size(); ++I) {
    TFormObject S = SeriesToForm(Chart.Series[I]);
    if (S.Name.empty()) S.Name = "Series" + std::to_string(I + 1);
    F.Children.push_back(std::move(S));
  }
  return F;
}

TChart FormToChart(const TFormObject& Form) {
  if (!IsChartClass(Form.ClassName)) throw EFormTextError(EFormTextError::kExpected, 1, "TChart");
  TChart C;
  C.Name = Form.Name;
  TFormReadVisitor Reader(Form);
  DescribeChart(Reader, C);
  C.CustomAxes = ReadCollection<TChartAxis>(Form, "CustomAxes", DescribeAxis);
  for (const TFormObject& Child : Form.Children) {
    TChartSeriesKind Kind;
    if (SeriesKindOfClass(Child.ClassName, Kind)) C.Series.push_back(SeriesOfForm(Child, Kind));
  }
  return C;
}

TChartSeries FormToSeries(const TFormObject& Form) {
  TChartSeriesKind Kind;
  if (!SeriesKindOfClass(Form.ClassName, Kind))
    throw EFormTextError(EFormTextError::kExpected, 1, "TBarSeries");
  return SeriesOfForm(Form, Kind);
}

std::string ComponentToText(const TChart& Chart, std::string_view LinePrefix) {
  return WriteFormText(ChartToForm(Chart), LinePrefix);
}

std::string ComponentToText(const TChartSeries& Series, std::string_view LinePrefix) {
  return WriteFormText(SeriesToForm(Series), LinePrefix);
}

template <>
TChart TextToComponent<TChart>(std::string_view Text) {
  return FormToChart(ReadFormText(Text));
}

template <>
TChartSeries TextToComponent<TChartSeries>(std::string_view Text) {
  return FormToSeries(ReadFormText(Text));
}

}  // namespace quin
