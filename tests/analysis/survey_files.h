// Survey files for the analysis tests, written with the survey-file writer: a definition text
// with a respondent record set and optional panels, and helpers that open the bytes and find
// the chain's headers for damaging them.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/pelsurvey.h"
#include "base/langmanager.h"
#include "base/orvbinary.h"
#include "base/orvstreams.h"
#include "tools/surveywriter/zoswriter.h"

namespace quin::test {

struct TEnglishSession {
  std::unique_ptr<TOrvLangManager> Manager = New<TOrvLangManager>("enu");
  TLangManagerBinding Binding{Manager.get()};
};

struct TDefOptions {
  int Waves = 2;
  std::vector<std::string> Panels;  // IDs of panel record sets joined by "id"
  std::string InfoLines;            // extra keys of the survey block
  std::string RespLines;            // extra keys of the respondents' record set
  bool HiddenPanel = false;
};

inline std::string Definition(const TDefOptions& O = {}) {
  std::string S =
      "def environ languages = plk, enu; end;\r\n"
      "def survey namespace = ns; id = s1; name = \"Survey\"; wizards = table1d;\r\n" +
      O.InfoLines +
      "end;\r\n"
      "def recordset id = resp; name = \"Respondents\";\r\n" +
      O.RespLines +
      "  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\n"
      "end;\r\n";
  for (const std::string& P : O.Panels)
    S += "def recordset id = " + P + "; name = \"Panel " + P + "\"; join = id;" +
         (O.HiddenPanel ? " hidden = 1;" : "") +
         "\r\n  def files colSpec = \"x\"; dataFile = \"y\"; end;\r\nend;\r\n";
  S += "def waves\r\n";
  for (int W = 1; W <= O.Waves; ++W)
    S += "  def wave id = w" + std::to_string(W) + "; name = \"W" + std::to_string(W) +
         "\"; end;\r\n";
  S += "end;\r\ndef data end;\r\n";
  return S;
}

// One wave of columns given as {name, values}.
inline TSwSurveyWave Wave(std::vector<std::pair<std::string, std::vector<double>>> Cols,
                          TSwColumnSpec Spec = {}) {
  TSwSurveyWave W;
  W.Records = Cols.empty() ? 0 : static_cast<int32_t>(Cols[0].second.size());
  for (auto& [N, V] : Cols) W.Columns.push_back({N, V, Spec});
  return W;
}

// A small survey for damaging: two waves of respondents and a panel joined to them.
inline std::string SmallSurvey(const TSwSurveyOptions& Options = {}) {
  TDefOptions O;
  O.Panels = {"pan"};
  return SurveyFileBytes(
      Definition(O),
      {{"resp", {Wave({{"id", {1, 2}}}), Wave({{"id", {3}}})}}, {"pan", {Wave({{"id", {1, 1}}})}}},
      Options);
}

// A survey read from bytes held in memory; the bytes live as long as the object.
template <class TSurveyClass = TPelSurvey>
struct TOpened {
  std::string Bytes;
  std::unique_ptr<TMemoryStream> Stream;
  std::unique_ptr<TSurveyClass> Survey;
  explicit TOpened(std::string ABytes) : Bytes(std::move(ABytes)) {
    Stream = std::make_unique<TMemoryStream>(std::string_view(Bytes));
    Survey = New<TSurveyClass>("s.zos", 1);
    Survey->ReadSurveyFile(*Stream);
  }
  TPelRecset& R(int K) { return *Survey->PelRecset(K); }
};

// Where the fields of the chain's headers lie in a file's bytes.
struct TChainSpots {
  int64_t Recset = 0, Records = 0, Next = 0, FirstFile = 0, Files = 0;  // first record set
  int64_t File = 0, FileRecords = 0, FileNext = 0, FileColumns = 0;     // its first data file
  int64_t SecondFile = -1;  // where its second data file begins (-1: none)
};

inline TChainSpots FindChain(const std::string& Bytes, int RecsetIndex = 0) {
  uint8_t Sig[16];
  GUIDToBytes(MerRecsetHeaderSignature(), Sig);
  // The file header carries the same signature at offset 0; the chain's headers follow the
  // definition block.
  int64_t Pos = 0;
  for (int K = 0; K <= RecsetIndex; ++K) {
    Pos = static_cast<int64_t>(Bytes.find(std::string(reinterpret_cast<char*>(Sig), 16), Pos + 1));
  }
  TMemoryStream S{std::string_view(Bytes)};
  S.SetPosition(Pos);
  TMerRecsetHeader H;
  H.Create(S);
  TChainSpots C;
  const int64_t End = S.Position();
  C.Recset = Pos;
  C.Records = End - 16;
  C.Next = End - 12;
  C.FirstFile = End - 8;
  C.Files = End - 4;
  C.File = H.Position + H.FirstFile;
  S.SetPosition(C.File);
  TGimFileHeader F;
  F.Create(S);
  const int64_t FEnd = S.Position();
  C.FileRecords = FEnd - 28;
  C.FileNext = FEnd - 24;
  C.FileColumns = FEnd - 20;
  if (F.Next >= 0) C.SecondFile = H.Position + F.Next;
  return C;
}

// The offset of the record-set chain's offset in a version-0 file's header.
inline int64_t ChainOffsetAt() {
  return kOrvStreamGUIDHeaderSize + 1 + std::strlen(kSwSurveyProductText) + 4;
}

// Appends a copy of Bytes[From, To) to Bytes and returns where the copy begins. Offsets inside
// a record set's or data file's bytes are relative to its header, so the copy reads as the
// original does once something points at it.
inline int64_t AppendCopy(std::string& Bytes, int64_t From, int64_t To) {
  const auto At = static_cast<int64_t>(Bytes.size());
  Bytes += Bytes.substr(static_cast<size_t>(From), static_cast<size_t>(To - From));
  return At;
}

inline void PutInt32At(std::string& Bytes, int64_t At, int32_t V) {
  std::memcpy(Bytes.data() + At, &V, 4);  // the files are little-endian, as is the host
}

}  // namespace quin::test
