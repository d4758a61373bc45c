#include "tools/surveywriter/zoswriter.h"

#include <cmath>
#include <cstring>
#include <set>

#include "base/format.h"
#include "base/orvbinary.h"
#include "base/text.h"

namespace quin {

const char* const kSwSurveyProductText =
    "\r\nTabulon survey file.\r\nDo not change - may not function properly.\r\n";

const TGUID& SwDefinitionSignature() {
  static const TGUID G = StringToGUID("{2F5B4C9C-9AC8-4A7D-BD8E-2E2E64A1F319}");
  return G;
}

namespace {

[[noreturn]] void Fail(const std::string& What) { throw ESurveyWriterError(What); }

void PutInt32(TStream& S, int32_t V) {
  const auto U = static_cast<uint32_t>(V);
  const uint8_t B[4] = {static_cast<uint8_t>(U), static_cast<uint8_t>(U >> 8),
                        static_cast<uint8_t>(U >> 16), static_cast<uint8_t>(U >> 24)};
  S.WriteBuffer(B);
}

void PutDouble(TStream& S, double D) {
  uint64_t U;
  std::memcpy(&U, &D, 8);
  uint8_t B[8];
  for (int I = 0; I < 8; ++I) B[I] = static_cast<uint8_t>(U >> (8 * I));
  S.WriteBuffer(B);
}

int32_t Int32Offset(int64_t V, const char* What) {
  if (V < 0 || V > INT32_MAX) Fail(std::string(What) + " beyond the 32-bit range");
  return static_cast<int32_t>(V);
}

}  // namespace

TPelColDataLayout SwSmallestLayout(const std::vector<double>& Values) {
  double Lo = 0, Hi = 0;
  bool Any = false;
  for (double V : Values) {
    if (V == kPelMissingDouble) continue;
    if (!std::isfinite(V) || std::floor(V) != V) return cdlfFlt8;
    Lo = Any ? std::min(Lo, V) : V;
    Hi = Any ? std::max(Hi, V) : V;
    Any = true;
  }
  // The highest value of each layout is its missing marker.
  if (Lo >= 0 && Hi <= 2) return cdlfBit2;
  if (Lo >= 0 && Hi <= 14) return cdlfBit4;
  if (Lo >= 0 && Hi <= 254) return cdlfUInt1;
  if (Lo >= -128 && Hi <= 126) return cdlfSInt1;
  if (Lo >= 0 && Hi <= 65534) return cdlfUInt2;
  if (Lo >= -32768 && Hi <= 32766) return cdlfSInt2;
  if (Lo >= 0 && Hi <= 4294967294.0) return cdlfUInt4;
  if (Lo >= -2147483648.0 && Hi <= 2147483646.0) return cdlfSInt4;
  return cdlfFlt8;
}

TSwRecset EncodeSurveyRecset(const TSwSurveyRecset& Recset) {
  TSwRecset R;
  R.Name = Recset.Name;
  for (size_t W = 0; W < Recset.Waves.size(); ++W) {
    const TSwSurveyWave& Wave = Recset.Waves[W];
    TSwDataFile F;
    F.Name = Recset.Name + "." + std::to_string(W + 1);
    F.Records = Wave.Records;
    std::set<std::string> Names;
    for (const TSwSurveyColumn& C : Wave.Columns) {
      if (!Names.insert(LowerCase(C.Name)).second) Fail("column " + C.Name + " repeated");
      if (C.Values.size() != static_cast<size_t>(Wave.Records))
        Fail("column " + C.Name + " does not hold one value per record");
      const auto Layout = static_cast<TPelColDataLayout>(
          C.Spec.Layout == kSwSmallestLayout ? SwSmallestLayout(C.Values) : C.Spec.Layout);
      if (C.Spec.Layout < kSwSmallestLayout || C.Spec.Layout >= kPelColDataLayoutCount)
        Fail("column " + C.Name + ": unknown layout");
      F.Columns.push_back({C.Name, EncodeColumnBlock(Layout, C.Spec.Compression, C.Values)});
    }
    R.Files.push_back(std::move(F));
  }
  return R;
}

void WriteSurveyFile(TStream& Stream, std::string_view Definition,
                     const std::vector<TSwRecset>& Recsets, const TSwSurveyOptions& Options) {
  const int64_t Base = Stream.Position();
  const int V = Options.Version;
  if (V < 0 || V > 255) Fail("version beyond a byte");
  WriteStreamGUIDHeader(Stream, {MerRecsetHeaderSignature(), static_cast<uint8_t>(V)});
  if (V >= 6) WriteStreamString(Stream, Options.Version6Text);
  WriteStreamString(Stream, Options.ProductText);
  if (V >= 8) WriteStreamString(Stream, Options.Version8Text);
  if (V >= 1) PutDouble(Stream, Options.DataDate);
  if (V >= 3) Stream.WriteBuffer({&Options.Internal, 1});
  if (V >= 5) {
    PutInt32(Stream, Int32Offset(static_cast<int64_t>(Options.ExtraBlock.size()), "extra block"));
    WriteStreamText(Stream, Options.ExtraBlock);
  }
  const int64_t OffsetsAt = Stream.Position();
  PutInt32(Stream, 0);
  PutInt32(Stream, 0);
  if (V >= 2) PutInt32(Stream, Options.Reserved);

  const int64_t DefinitionAt = Stream.Position();
  WriteStreamGUIDHeader(Stream, {SwDefinitionSignature(), 0});
  const std::string Packed = ZlibCompress(std::string(Definition));
  PutInt32(Stream, Int32Offset(static_cast<int64_t>(Packed.size()), "definition"));
  PutInt32(Stream, Int32Offset(static_cast<int64_t>(Definition.size()), "definition"));
  WriteStreamText(Stream, Packed);

  // The chain's offsets are absolute: it is written as if the file started at Base.
  const int64_t ChainAt = WriteRecsetChain(Stream, Recsets);
  const int64_t End = Stream.Position();
  Stream.SetPosition(OffsetsAt);
  PutInt32(Stream, Int32Offset(DefinitionAt - Base, "definition offset"));
  PutInt32(Stream, Int32Offset(ChainAt - Base, "record-set chain offset"));
  Stream.SetPosition(End);
}

void WriteSurveyFile(TStream& Stream, std::string_view Definition,
                     const std::vector<TSwSurveyRecset>& Recsets, const TSwSurveyOptions& Options) {
  std::vector<TSwRecset> Encoded;
  for (const TSwSurveyRecset& R : Recsets) Encoded.push_back(EncodeSurveyRecset(R));
  WriteSurveyFile(Stream, Definition, Encoded, Options);
}

std::string SurveyFileBytes(std::string_view Definition,
                            const std::vector<TSwSurveyRecset>& Recsets,
                            const TSwSurveyOptions& Options) {
  TMemoryStream S;
  WriteSurveyFile(S, Definition, Recsets, Options);
  return S.DataString();
}

namespace {
bool MatchName(std::string_view Name, std::string_view Full, std::string_view Prefix) {
  return SameText(Name, Full) || SameText(Name, Full.substr(Prefix.size()));
}
}  // namespace

bool SwParseLayout(std::string_view Name, int& Layout) {
  for (int I = 0; I < kPelColDataLayoutCount; ++I)
    if (MatchName(Name, PelColDataLayoutNames[I], "cdlf")) {
      Layout = I;
      return true;
    }
  return false;
}

bool SwParseCompression(std::string_view Name, TPelColDataCompression& Compression) {
  for (int I = 0; I < kPelColDataCompressionCount; ++I)
    if (MatchName(Name, PelColDataCompressionNames[I], "cdcf")) {
      Compression = static_cast<TPelColDataCompression>(I);
      return true;
    }
  return false;
}

namespace {

std::string_view Trim(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
  return S;
}

std::vector<std::string_view> SplitCells(std::string_view Line) {
  std::vector<std::string_view> R;
  size_t Start = 0;
  for (;;) {
    const size_t P = Line.find(',', Start);
    R.push_back(Trim(Line.substr(Start, P == std::string_view::npos ? P : P - Start)));
    if (P == std::string_view::npos) break;
    Start = P + 1;
  }
  return R;
}

}  // namespace

TSwSurveyRecset ParseSurveyCsv(std::string_view Name, std::string_view Csv) {
  std::vector<std::string_view> Lines;
  size_t Start = 0;
  while (Start < Csv.size()) {
    size_t P = Csv.find('\n', Start);
    if (P == std::string_view::npos) P = Csv.size();
    std::string_view L = Csv.substr(Start, P - Start);
    if (!L.empty() && L.back() == '\r') L.remove_suffix(1);
    Lines.push_back(L);
    Start = P + 1;
  }
  while (!Lines.empty() && Trim(Lines.back()).empty()) Lines.pop_back();
  if (Lines.empty()) Fail(std::string(Name) + ": no header row");
  const std::vector<std::string_view> Header = SplitCells(Lines[0]);
  int WaveCol = -1;
  for (size_t I = 0; I < Header.size(); ++I) {
    if (Header[I].empty()) Fail(std::string(Name) + ": an empty column name");
    if (SameText(Header[I], "wave")) WaveCol = static_cast<int>(I);
  }
  if (WaveCol < 0) Fail(std::string(Name) + ": no wave column");
  TFormatSettings FS;
  FS.DecimalSeparator = '.';
  // Rows by wave, then each wave's columns.
  std::vector<std::vector<std::vector<double>>> Rows;
  for (size_t L = 1; L < Lines.size(); ++L) {
    const std::string At = std::string(Name) + " line " + std::to_string(L + 1);
    const std::vector<std::string_view> Cells = SplitCells(Lines[L]);
    if (Cells.size() != Header.size())
      Fail(At + ": " + std::to_string(Cells.size()) + " cells where the header has " +
           std::to_string(Header.size()));
    int Wave = 0;
    if (!TryStrToInt(Cells[WaveCol], Wave) || Wave < 1 || Wave > 1000)
      Fail(At + ": the wave is no number from 1 to 1000");
    if (static_cast<int>(Rows.size()) < Wave) Rows.resize(Wave);
    std::vector<double> Row;
    for (size_t C = 0; C < Cells.size(); ++C) {
      if (static_cast<int>(C) == WaveCol) continue;
      double V = kPelMissingDouble;
      if (!Cells[C].empty() && !TryStrToFloat(Cells[C], V, FS))
        Fail(At + ": \"" + std::string(Cells[C]) + "\" is no number");
      Row.push_back(V);
    }
    Rows[Wave - 1].push_back(std::move(Row));
  }
  TSwSurveyRecset R;
  R.Name = std::string(Name);
  for (const auto& WaveRows : Rows) {
    TSwSurveyWave W;
    W.Records = static_cast<int32_t>(WaveRows.size());
    int Index = 0;
    for (size_t C = 0; C < Header.size(); ++C) {
      if (static_cast<int>(C) == WaveCol) continue;
      TSwSurveyColumn Col;
      Col.Name = std::string(Header[C]);
      for (const auto& Row : WaveRows) Col.Values.push_back(Row[Index]);
      W.Columns.push_back(std::move(Col));
      ++Index;
    }
    R.Waves.push_back(std::move(W));
  }
  return R;
}

}  // namespace quin
