#include "analysis/pelsurvey.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <set>

#include "analysis/pelcolstore.h"
#include "analysis/peluserdef.h"
#include "base/orvbinary.h"
#include "base/orvmessages.h"
#include "base/orvstrings.h"
#include "base/scopeguard.h"
#include "base/text.h"
#include "deflang/rixscanner.h"
#include "surveykit/gimstat.h"
#include "surveykit/merenviron.h"
#include "surveykit/merkeys.h"

namespace quin {

QUIN_IMPLEMENT_CLASS(TPelRecset, TMerRecset)
QUIN_IMPLEMENT_CLASS(TPelDataBasedOn, TOrvObject)
QUIN_IMPLEMENT_CLASS(TPelDataBasedOnList, TOrvObjectList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRespInPanels, TMerRespInPanels)
QUIN_IMPLEMENT_CLASS(TPelWave, TGimWave)
QUIN_IMPLEMENT_CLASS(TPelWaveList, TGimWaveList)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelRecsetDef, TMerRecsetDef)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TPelSurveyParser, TMerSurveyParser)
QUIN_IMPLEMENT_CLASS(TPelSurvey, TMerSurvey)

const char* const kPelSurveyProductText =
    "\r\nTabulon survey file.\r\nDo not change - may not function properly.\r\n";

const TGUID& PelDefinitionSignature() {
  static const TGUID G = StringToGUID("{2F5B4C9C-9AC8-4A7D-BD8E-2E2E64A1F319}");
  return G;
}

const std::string& EPelSurveyLoadError::DefaultTemplate() {
  static const std::string T = Cp1250("<PLK>Błąd otwarcia badania.<ENU>Error loading the survey.");
  return T;
}
EPelSurveyLoadError::EPelSurveyLoadError() : EOrvException(DefaultTemplate()) {}

const std::string& EPelInternalSurvey::DefaultTemplate() {
  static const std::string T = Cp1250(
      "<PLK>Badania wewnętrzne (internal) nie są już obsługiwane.<ENU>Internal surveys "
      "are not supported anymore.");
  return T;
}
EPelInternalSurvey::EPelInternalSurvey() : EOrvException(DefaultTemplate()) {}

namespace {

int32_t ReadInt32(TStream& S) {
  uint8_t B[4];
  S.ReadBuffer(B);
  return static_cast<int32_t>(static_cast<uint32_t>(B[0]) | static_cast<uint32_t>(B[1]) << 8 |
                              static_cast<uint32_t>(B[2]) << 16 |
                              static_cast<uint32_t>(B[3]) << 24);
}

double ReadDouble(TStream& S) {
  uint8_t B[8];
  S.ReadBuffer(B);
  uint64_t U = 0;
  for (int I = 7; I >= 0; --I) U = U << 8 | B[I];
  double D;
  std::memcpy(&D, &U, 8);
  return D;
}

// A length-prefixed string passed over without allocating its bytes.
void SkipStreamString(TStream& S) {
  const int32_t N = ReadStreamLength(S);
  if (N > S.Remaining()) throw EReadError();
  S.Seek(N, TSeekOrigin::soCurrent);
}

// An absolute offset from the file: inside the file, else the file is damaged.
int64_t CheckedOffset(TStream& S, int64_t Offset, const char* What) {
  if (Offset < 0 || Offset >= S.Size()) throw EPelDamagedData(What);
  return Offset;
}

// The definition text of PackedSize compressed bytes at the stream's position. The stated
// plain size is an estimate only: it sets the first allocation, within what the packed bytes
// can inflate to; the text itself may be longer or shorter. A stream that inflates beyond the
// deflate ratio or kPelMaxDefinitionSize raises EDecompressionError.
std::string InflateDefinition(TStream& S, int32_t PackedSize, int32_t PlainSize) {
  TDynByteArr Packed(static_cast<size_t>(PackedSize));
  S.ReadBuffer(Packed);
  const int64_t Reachable = static_cast<int64_t>(PackedSize) * kMaxInflateRatio + 64;
  const int64_t Estimate =
      std::clamp<int64_t>(PlainSize, 0, std::min(Reachable, kPelMaxDefinitionSize));
  TDynByteArr Plain;
  int64_t PlainLen = 0;
  DecompressBuffer(Packed.data(), PackedSize, Estimate, Plain, PlainLen, kPelMaxDefinitionSize);
  return std::string(reinterpret_cast<const char*>(Plain.data()), static_cast<size_t>(PlainLen));
}

// Days since 1899-12-30 of a file time, in local time.
double LocalFileDate(const struct stat& St) {
  const time_t T = St.st_mtim.tv_sec;
  struct tm Tm {};
  if (!localtime_r(&T, &Tm)) return 0;
  const double Local = static_cast<double>(T) + static_cast<double>(Tm.tm_gmtoff) +
                       static_cast<double>(St.st_mtim.tv_nsec) / 1e9;
  return Local / 86400.0 + 25569.0;
}

}  // namespace

// ---- TPelRecset

TPelRecset::TPelRecset() : Cols(std::make_unique<TPelColList>()) {}
TPelRecset::~TPelRecset() = default;

void TPelRecset::SetFileCount(int N) {
  if (N < 0) N = 0;
  FileRanges.assign(N, TPelBegFinIdx{});
  FileRecCounts.assign(N, 0);
  Cols = std::make_unique<TPelColList>();
  // The cached column belonged to the old list.
  CacheCol = nullptr;
}

int TPelRecset::MaxFileRecCount() const {
  int M = 0;
  for (int32_t C : FileRecCounts) M = std::max<int>(M, C);
  return M;
}

TPelCol* TPelRecset::FindCol(std::string_view Name) const {
  return Cols ? As<TPelCol>(Cols->FindCol(Name)) : nullptr;
}

TStream& TPelRecset::DataStream() const {
  auto* S = As<TPelSurvey>(Survey);
  if (!S) throw EStreamError("The record set belongs to no opened survey");
  return S->DataStream();
}

bool TPelRecset::ReadBlocks(const TPelCol* Col) {
  const int Files = FileCount();
  if (!Col || static_cast<int>(Col->Positions.size()) < Files) return false;
  TStream& S = DataStream();
  if (static_cast<int>(FBlocks.size()) < Files) FBlocks.resize(Files);
  for (int F = 0; F < Files; ++F) {
    const int64_t Pos = Col->Positions[F];
    if (Pos < 0) continue;
    S.SetPosition(Pos);
    ReadColumnBlock(S, FBlocks[F], FileRecCounts[F]);
  }
  ++ColumnDecodes;
  return true;
}

template <class T, class Decode>
void TPelRecset::DecodeBlocks(const TPelCol& Col, std::span<T> Out, T Missing, Decode Fn) {
  for (int F = 0; F < FileCount(); ++F) {
    const TPelBegFinIdx R = FileRanges[F];
    const std::span<T> Part = Out.subspan(R.First, static_cast<size_t>(FileRecCounts[F]));
    if (Col.Positions[F] < 0)
      std::fill(Part.begin(), Part.end(), Missing);
    else
      Fn(FBlocks[F], Part);
  }
}

void TPelRecset::ReadColumnBytes(const TPelCol* Col, std::vector<uint8_t>& Buffer) {
  // Every block is read, and its header checked, before the records' buffer is sized.
  const bool Stored = ReadBlocks(Col);
  Buffer.resize(FRecCount);
  if (!Stored) {
    std::fill(Buffer.begin(), Buffer.end(), kPelMissingByte);
    return;
  }
  DecodeBlocks<uint8_t>(*Col, Buffer, kPelMissingByte,
                        [](TPelColBlock& B, std::span<uint8_t> P) { DecodeColumnBytes(B, P); });
}

void TPelRecset::ReadColumnDoubles(const TPelCol* Col, std::vector<double>& Values) {
  if (!Col) {
    Values.assign(FRecCount, kPelMissingDouble);
    return;
  }
  if (Col == CacheCol) {
    Values.assign(CacheValues.begin(), CacheValues.end());
    return;
  }
  CacheCol = nullptr;
  const bool Stored = ReadBlocks(Col);
  Values.resize(FRecCount);
  if (!Stored) {
    std::fill(Values.begin(), Values.end(), kPelMissingDouble);
    return;
  }
  DecodeBlocks<double>(*Col, Values, kPelMissingDouble,
                       [](TPelColBlock& B, std::span<double> P) { DecodeColumnDoubles(B, P); });
  // The cache is sized at the first double read that decodes a column.
  CacheValues.assign(Values.begin(), Values.end());
  CacheCol = Col;
}

void TPelRecset::ReadColumnDoublesInto(const TPelCol* Col, double* Out) {
  const std::span<double> Values(Out, static_cast<size_t>(FRecCount));
  if (!Col || !ReadBlocks(Col)) {
    std::fill(Values.begin(), Values.end(), kPelMissingDouble);
    return;
  }
  DecodeBlocks<double>(*Col, Values, kPelMissingDouble,
                       [](TPelColBlock& B, std::span<double> P) { DecodeColumnDoubles(B, P); });
}

void TPelRecset::ReadColumnBytesByName(std::string_view Name, std::vector<uint8_t>& Buffer) {
  ReadColumnBytes(FindCol(Name), Buffer);
}

void TPelRecset::LoadColumn(const std::string& Name, std::vector<double>& Values) {
  ReadColumnDoubles(FindCol(Name), Values);
}

bool TPelRecset::DistinctValues(const std::string& Name, std::vector<double>& Values) {
  auto* S = As<TPelSurvey>(Survey);
  const int Index = S && S->RecsetList ? S->RecsetList->IndexOf(this) : -1;
  if (Index < 0) return false;
  Values.clear();
  if (const TPelCol* C = FindCol(Name))
    if (std::shared_ptr<const TPelDoubleColumn> U = S->Columns().Distinct(*this, Index, C))
      Values = *U;
  return true;
}

std::vector<std::string> TPelRecset::GetColumnNames(std::string_view Mask) const {
  std::vector<std::string> R;
  if (!Cols) return R;
  for (int I = 0; I < Cols->Count(); ++I) {
    const std::string& N = Cols->GetItem(I)->Name();
    if (MatchesWildcard(N, Mask, /*Wildcards=*/true, /*Sets=*/false)) R.push_back(N);
  }
  std::sort(R.begin(), R.end());
  R.erase(std::unique(R.begin(), R.end()), R.end());
  return R;
}

// ---- based on

TPelDataBasedOn::TPelDataBasedOn(TMerRecset* ARecset)
    : ID(ARecset->ID), Info(ARecset->Info), Name(ARecset->Name), Recset(ARecset) {}

TPelDataBasedOn* TPelDataBasedOnList::FindByID(std::string_view AID) const {
  for (int I = 0; I < Count(); ++I)
    if (SameText(GetItem(I)->ID, AID)) return GetItem(I);
  return nullptr;
}

// ---- panel join

void TPelRespInPanels::BuildCaseRanges() {
  CaseRanges.clear();
  if (!Survey || RecsetIndex < 1 || RecsetIndex >= Survey->RecsetCount()) return;
  auto* Resp = As<TPelRecset>(Survey->Recset(0));
  auto* Panel = As<TPelRecset>(Survey->Recset(RecsetIndex));
  if (!Resp || !Panel) return;
  // Without the join column on either side nobody has panel records: every range stays empty
  // (CaseRange answers an empty range), and nothing is sized for the records.
  const TPelCol* RespCol = Resp->FindCol(Panel->Join);
  const TPelCol* PanelCol = Panel->FindCol(Panel->Join);
  if (!RespCol || !PanelCol) return;
  std::vector<double> R, P;
  Resp->ReadColumnDoubles(RespCol, R);
  Panel->ReadColumnDoubles(PanelCol, P);
  CaseRanges.assign(Resp->RecCount(), TCaseRange{});
  for (int F = 0; F < Resp->FileCount(); ++F) {
    const TPelBegFinIdx RF = Resp->FileRanges[F];
    // A wave the panel has no data file for: every respondent's range stays empty.
    const bool HasFile = F < Panel->FileCount();
    int D = HasFile ? Panel->FileRanges[F].First : 0;
    const int E = HasFile ? Panel->FileRanges[F].Last : -1;
    for (int I = RF.First; I <= RF.Last; ++I) {
      TCaseRange& C = CaseRanges[I];
      const double V = R[I];
      C.JoinValue = V;
      // A missing join value matches nothing, not even another missing value.
      if (V == kPelMissingDouble) {
        C.First = D;
        C.Last = D - 1;
        continue;
      }
      if (I > RF.First && V == R[I - 1]) {
        C.First = CaseRanges[I - 1].First;
        C.Last = CaseRanges[I - 1].Last;
        continue;
      }
      int J = D;
      while (J <= E && P[J] != V) ++J;
      C.First = J;
      if (J > E) {
        // No panel records for this respondent (no trace is written on the server).
        C.Last = J - 1;
        continue;
      }
      while (J <= E && P[J] == V) ++J;
      C.Last = J - 1;
      D = J;
    }
  }
}

// ---- waves

int TPelWave::RecCount(TMerRecset* Recset) const {
  auto* R = As<TPelRecset>(Recset);
  const int F = Number - 1;
  if (!R || F < 0 || F >= R->FileCount()) return 0;
  return R->FileRecCounts[F];
}

std::unique_ptr<TGimWave> TPelWaveList::CreateWave() { return NewInSurvey<TPelWave>(Survey, this); }

// ---- parser

TPelRecsetDef::TPelRecsetDef(std::string_view AFileName) : TMerRecsetDef(AFileName) {
  Namespace = "Pel";
}

void TPelSurveyParser::AfterConstruction() {
  TMerSurveyParser::AfterConstruction();
  SetStrict(false);
}

std::unique_ptr<TRixDefComplex> TPelSurveyParser::CreateRecsetDef() {
  return New<TPelRecsetDef>(FileName);
}

// ---- survey

TPelSurvey::TPelSurvey(std::string_view AFileName, int AMode)
    : TMerSurvey(AFileName),
      DataBasedOnList(std::make_unique<TPelDataBasedOnList>()),
      Mode(AMode),
      UserDefFiles(std::make_unique<TPelUserDefFileList>(this)) {}

TPelSurvey::~TPelSurvey() {
  WizList.reset();  // the templates' parameters point into the survey
  PanelJoins.clear();
  FDataStream = nullptr;
  Stream.reset();
  DataBasedOnList.reset();
}

std::unique_ptr<TGimWaveList> TPelSurvey::CreateWaveList() {
  return std::make_unique<TPelWaveList>(this, true, nullptr);
}

std::unique_ptr<TGimWeightList> TPelSurvey::CreateWeightList() {
  return std::make_unique<TGimWeightList>(this);
}

std::unique_ptr<TRixParser> TPelSurvey::CreateParser(std::string_view AFileName) {
  return New<TPelSurveyParser>(AFileName);
}

TPelRecset* TPelSurvey::PelRecset(int Index) const { return As<TPelRecset>(Recset(Index)); }

TPelColumnStore& TPelSurvey::Columns() {
  if (!ColumnStore) ColumnStore = TPelColumnStore::ForFile(FileName);
  return *ColumnStore;
}

TStream& TPelSurvey::DataStream() const {
  if (!FDataStream) throw EStreamError("The survey has no open file");
  return *FDataStream;
}

void TPelSurvey::LoadFromFile(const std::string& AFileName) {
  struct stat St {};
  if (::stat(AFileName.c_str(), &St) == 0 && S_ISREG(St.st_mode)) DataDate = LocalFileDate(St);
  // A shared lock: any number of sessions read the same file; only an exclusive writer is
  // kept out.
  auto S = std::make_unique<TFileStream>(AFileName, fmOpenRead | fmShareDenyWrite);
  FDataStream = nullptr;
  Stream = std::move(S);
  ReadSurveyFile(*Stream);
}

void TPelSurvey::ReadSurveyFile(TStream& AStream) {
  FDataStream = &AStream;
  TStream& S = AStream;
  const int V = ReadStreamGUIDHeader(S, MerRecsetHeaderSignature(), 0, kPelSurveyMaxVersion);
  FVersion = V;
  IsVersion6File = V >= 6;
  if (V >= 6) SkipStreamString(S);
  {
    // The product text: its length first, so that no other length is ever allocated.
    const std::string_view Product(kPelSurveyProductText);
    const int32_t N = ReadStreamLength(S);
    if (N != static_cast<int32_t>(Product.size())) throw ESIGErr();
    std::string Text(N, '\0');
    S.ReadBuffer(Text);
    if (Text != Product) throw ESIGErr();
  }
  if (V >= 8) SkipStreamString(S);
  if (V >= 1) DataDate = ReadDouble(S);
  if (V >= 3 && ReadStreamByte(S) != 0) throw EPelInternalSurvey();
  if (V >= 5) {
    const int32_t N = ReadInt32(S);
    if (N > 0) {
      const int64_t Start = S.Position();
      if (N > S.Remaining()) throw EPelDamagedData("extra block");
      ReadExtraBlock(S);
      S.SetPosition(Start + N);
    }
  }
  const int32_t DefinitionOffset = ReadInt32(S);
  const int32_t ChainOffset = ReadInt32(S);
  if (V >= 2) ReadInt32(S);
  RecsetChainOffset = ChainOffset;

  // The definition block.
  S.SetPosition(CheckedOffset(S, DefinitionOffset, "definition offset"));
  ReadStreamGUIDHeader(S, PelDefinitionSignature(), 0, 0);
  const int32_t PackedSize = ReadInt32(S);
  const int32_t PlainSize = ReadInt32(S);
  if (PackedSize < 0 || PackedSize > S.Remaining()) throw EPelDamagedData("definition size");
  std::string Text = InflateDefinition(S, PackedSize, PlainSize);

  TOrvMsgList Msgs(100, 100);
  TSaveRestore<TOrvMsgList*> UseMsgs(FMsgs, &Msgs);
  auto Scanner = TRixScanner::CreateFromText(std::move(Text), &Msgs);
  ReadDefinition(*Scanner);
  if (Msgs.ErrorCount() > 0) throw EPelSurveyLoadError();
}

// The headers met while the chains are walked: a header met twice means a loop.
class TPelChainWalk {
 public:
  explicit TPelChainWalk(TStream& AStream) : S(AStream), Size(AStream.Size()) {}
  // Moves to the header at Offset, which must lie in the file and not have been met before.
  void GoTo(int64_t Offset, const char* What) {
    if (Offset < 0 || Offset >= Size || !Met.insert(Offset).second) throw EPelDamagedData(What);
    S.SetPosition(Offset);
  }
  TStream& S;
  const int64_t Size;

 private:
  std::set<int64_t> Met;
};

void TPelSurvey::PrepareRecsets() {
  // A definition that did not read cleanly is refused as a whole; its record sets need not
  // match the file's chain.
  if (FMsgs && FMsgs->ErrorCount() > 0) return;
  TPelChainWalk Walk(DataStream());
  const int Count = RecsetCount();
  TMerRecsetHeader RH;
  int K = 0;
  for (int64_t Next = RecsetChainOffset; Next >= 0; Next = RH.Next) {
    if (K >= Count) throw EPelDamagedData("more record sets than the definition holds");
    Walk.GoTo(Next, "record-set chain");
    RH.Create(Walk.S);
    TPelRecset* R = PelRecset(K);
    if (!R) throw EPelDamagedData("record set of another class");
    ReadDataFiles(Walk, RH, *R);
    ++K;
  }
  if (K != Count) throw EPelDamagedData("fewer record sets than the definition holds");

  BuildDataBasedOnList();
  PanelJoins.clear();
  PanelJoins.resize(Count);
  for (int I = 1; I < Count; ++I) {
    auto J = std::make_unique<TPelRespInPanels>(this, I);
    J->BuildCaseRanges();
    PanelJoins[I] = std::move(J);
  }
}

void TPelSurvey::ReadDataFiles(TPelChainWalk& Walk, const TMerRecsetHeader& RH, TPelRecset& R) {
  // Each data-file header takes at least its GUID header: more files than that is damage (and
  // is never allocated).
  if (RH.Files > Walk.Size / kOrvStreamGUIDHeaderSize) throw EPelDamagedData("data-file count");
  if (RH.Records > kPelMaxRecords) throw EPelDamagedData("record count");
  R.SetRecCount(RH.Records);
  R.SetFileCount(RH.Files);
  TGimFileHeader FH;
  TGimColPosArr Dir;
  int64_t Sum = 0;
  // The first file lies anywhere relative to the record-set header; the later ones are found
  // through each file's Next, negative for the last.
  int64_t Offset = RH.Position + RH.FirstFile;
  for (int F = 0; F < RH.Files; ++F) {
    Walk.GoTo(Offset, "data-file chain");
    FH.Create(Walk.S);
    Sum += FH.Records;
    if (Sum > RH.Records) throw EPelDamagedData("data files holding more records than their set");
    const int First = F == 0 ? 0 : R.FileRanges[F - 1].Last + 1;
    R.FileRanges[F] = {First, First + FH.Records - 1};
    R.FileRecCounts[F] = FH.Records;
    ReadColumnDirectory(Walk.S, FH, Dir);
    SortColumnDirectory(Dir);
    R.Cols->MergeFilePositions(F, RH.Files, Dir, FH.Position);
    if (FH.Next < 0) {
      if (F + 1 != RH.Files) throw EPelDamagedData("fewer data files than stated");
      break;
    }
    if (F + 1 == RH.Files) throw EPelDamagedData("more data files than stated");
    Offset = RH.Position + FH.Next;
  }
  if (Sum != RH.Records) throw EPelDamagedData("data files holding fewer records than their set");
}

void TPelSurvey::BuildDataBasedOnList() {
  DataBasedOnList->Clear();
  for (int I = 0; I < RecsetCount(); ++I) {
    TMerRecset* R = Recset(I);
    if (!R->Hidden) DataBasedOnList->Add(std::make_unique<TPelDataBasedOn>(R));
  }
}

namespace {

int StatKeyIndex(const TGimStat* S) {
  const std::string ID = S->ID();
  for (int K = 0; K < StatKindCount; ++K)
    if (SameText(MerStatKeys[K], ID)) return K;
  return -1;
}

void EraseIndex(std::vector<int>& V, int K) {
  V.erase(std::remove(V.begin(), V.end(), K), V.end());
}

}  // namespace

void TPelSurvey::PrepareStatLists() {
  if (!Info) return;
  TGimStatList& All = Info->StatCatalogue;
  TGimStatList& Std = Info->StdStatList;
  TGimStatList& Adv = Info->AdvStatList;
  // A kind leaves every list that refers to it before the catalogue frees it.
  auto Drop = [&](TGimStat* S) {
    const int K = StatKeyIndex(S);
    Std.Remove(S);
    Adv.Remove(S);
    EraseIndex(Info->StdStats, K);
    EraseIndex(Info->AdvStats, K);
    for (int I = 0; I < RecsetCount(); ++I) EraseIndex(Recset(I)->Stats, K);
    All.Remove(S);
  };
  auto DropID = [&](const char* ID) {
    if (TGimStat* S = All.FindByID(ID)) Drop(S);
  };
  if (!IsVersion6File)
    for (const char* ID : {"sumRow", "sumCol", "shareRow", "shareCol"}) DropID(ID);
  if (!Press && !Radio && !TV)
    for (const char* ID : {"indLayer", "indRow", "indCol"}) DropID(ID);
  if (Std.Empty()) {
    for (int I = 0; I < All.Count(); ++I) {
      TGimStat* S = All.GetItem(I);
      if (Adv.IndexOf(S) < 0) {
        Std.Add(S);
        Info->StdStats.push_back(StatKeyIndex(S));
      }
    }
    return;
  }
  const bool KeepAdv = !Adv.Empty();
  for (int I = All.Count() - 1; I >= 0; --I) {
    TGimStat* S = All.GetItem(I);
    if (Std.IndexOf(S) >= 0 || (KeepAdv && Adv.IndexOf(S) >= 0)) continue;
    Drop(S);
  }
}

bool TPelSurvey::AfterOpen() {
  PrepareStatLists();
  PrepareTemplates();
  AddBaseParameter();
  if (Press) PreparePressData();
  DropUnavailable();
  RegisterParPanes();
  return true;
}

}  // namespace quin
