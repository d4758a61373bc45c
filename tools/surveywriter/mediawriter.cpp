#include "tools/surveywriter/mediawriter.h"

#include "base/format.h"
#include "base/formatsettings.h"

namespace quin {

namespace {

class TLines {
 public:
  void Open(const std::string& Key) {
    Line("def " + Key);
    ++FDepth;
  }
  void Close() {
    --FDepth;
    Line("end;");
  }
  void Key(const std::string& Key, const std::string& Value) {
    if (!Value.empty()) Line(Key + " = " + Value + ";");
  }
  void Text(const std::string& Key, const std::string& Value) {
    if (!Value.empty()) Line(Key + " = " + SwQuote(Value) + ";");
  }
  void Raw(const std::string& Text) {
    // Every line of a raw body at the current depth.
    size_t Start = 0;
    while (Start < Text.size()) {
      size_t End = Text.find('\n', Start);
      if (End == std::string::npos) End = Text.size();
      std::string L = Text.substr(Start, End - Start);
      if (!L.empty() && L.back() == '\r') L.pop_back();
      if (!L.empty()) Line(L);
      Start = End + 1;
    }
  }
  void Line(const std::string& L) { FOut += std::string(size_t(2 * FDepth), ' ') + L + "\r\n"; }
  const std::string& Out() const { return FOut; }

 private:
  std::string FOut;
  int FDepth = 0;
};

std::string Join(const std::vector<std::string>& Items) {
  std::string R;
  for (const std::string& S : Items) R += (R.empty() ? "" : ", ") + S;
  return R;
}

std::string Number(double V) {
  TFormatSettings FS;
  FS.DecimalSeparator = '.';
  return FloatToStr(V, FS);
}

void WriteNamedBlock(TLines& L, const std::string& Key, const std::string& ItemKey,
                     const std::vector<TSwNamed>& Items) {
  if (Items.empty()) return;
  L.Open(Key);
  for (const TSwNamed& N : Items) {
    L.Open(ItemKey);
    L.Key("id", N.ID);
    L.Text("name", N.Name);
    L.Close();
  }
  L.Close();
}

void WriteObject(TLines& L, const std::string& Key, const TSwMediaObject& O) {
  L.Open(Key);
  L.Key("id", O.ID);
  L.Text("name", O.Name);
  L.Text("nick", O.Nick);
  L.Text("info", O.Info);
  if (O.HasCode) L.Key("code", Number(O.Code));
  L.Key("days", O.Days);
  L.Key("regions", Join(O.Regions));
  L.Key("groups", Join(O.Groups));
  L.Text("file", O.File);
  L.Close();
}

void WriteModuleBody(TLines& L, const std::string& ObjectKey, const TSwMediaModule& M) {
  for (const TSwMediaModule& Sub : M.Modules) {
    L.Open("module");
    L.Key("id", Sub.ID);
    L.Text("name", Sub.Name);
    WriteModuleBody(L, ObjectKey, Sub);
    L.Close();
  }
  for (const TSwMediaObject& O : M.Objects) WriteObject(L, ObjectKey, O);
}

void WriteIndicators(TLines& L, bool Has, const std::vector<TSwIndicator>& Inds) {
  if (!Has) return;
  L.Open("indicators");
  for (const TSwIndicator& I : Inds) {
    L.Open("indicator");
    L.Key("id", I.ID);
    L.Text("name", I.Name);
    L.Text("nick", I.Nick);
    L.Text("info", I.Info);
    L.Key("column", I.Column);
    L.Key("columnList", Join(I.ColumnList));
    L.Key("columnPrefix", I.ColumnPrefix);
    L.Text("columnMask", I.ColumnMask);
    if (I.IndependentColumns >= 0) L.Key("independentColumns", IntToStr(I.IndependentColumns));
    L.Key("numeric", I.Numeric);
    if (!I.ResponseList.empty()) {
      L.Open("responseList");
      L.Raw(I.ResponseList);
      L.Close();
    }
    L.Close();
  }
  L.Close();
}

}  // namespace

std::string SwQuote(const std::string& Text) {
  std::string R = "\"";
  for (char C : Text) {
    R += C;
    if (C == '"') R += '"';
  }
  return R + "\"";
}

std::string PressSectionText(const TSwPressSection& Press) {
  TLines L;
  L.Open("press");
  L.Key("hook", Press.Hook);
  if (Press.DistributionData) L.Key("distributionData", "1");
  WriteNamedBlock(L, "regions", "region", Press.Regions);
  for (const TSwGroupList& G : Press.GroupLists) {
    L.Open("groups");
    L.Text("name", G.Name);
    for (const TSwNamed& N : G.Groups) {
      L.Open("group");
      L.Key("id", N.ID);
      L.Text("name", N.Name);
      L.Close();
    }
    L.Close();
  }
  WriteModuleBody(L, "title", Press.Root);
  WriteIndicators(L, Press.HasIndicators, Press.Indicators);
  L.Close();
  return L.Out();
}

std::string RadioSectionText(const TSwRadioSection& Radio) {
  TLines L;
  L.Open("radio");
  L.Key("hook", Radio.Hook);
  L.Key("dayColumn", Radio.DayColumn);
  WriteNamedBlock(L, "regions", "region", Radio.Regions);
  WriteModuleBody(L, "station", Radio.Root);
  WriteIndicators(L, Radio.HasIndicators, Radio.Indicators);
  WriteNamedBlock(L, "places", "place", Radio.Places);
  WriteNamedBlock(L, "sources", "source", Radio.Sources);
  L.Close();
  return L.Out();
}

std::string TVSectionText(const TSwTVSection& TV) {
  TLines L;
  L.Open("tv");
  L.Key("stationsCol", TV.StationsCol);
  L.Key("minutesCol", TV.MinutesCol);
  L.Key("daysCol", TV.DaysCol);
  L.Key("qsCol", TV.QsCol);
  WriteModuleBody(L, "station", TV.Root);
  WriteIndicators(L, TV.HasIndicators, TV.Indicators);
  L.Close();
  return L.Out();
}

}  // namespace quin
