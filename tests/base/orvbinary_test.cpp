#include "base/orvbinary.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "base/orvexceptions.h"
#include "base/scramble.h"

namespace quin {
namespace {

std::string Bytes(std::initializer_list<int> B) {
  std::string S;
  for (int V : B) S += static_cast<char>(V);
  return S;
}

// A text of N bytes running through every byte value.
std::string Pattern(size_t N) {
  std::string S(N, '\0');
  for (size_t I = 0; I < N; ++I) S[I] = static_cast<char>((I * 7 + I / 251) & 0xFF);
  return S;
}

const TGUID kGuid = {0x3991C166, 0xF2A3, 0x4C70, {0xB1, 0x15, 0xFB, 0x13, 0xD7, 0x49, 0x14, 0x03}};

TEST(Guid, NewGUIDsAreDistinctRandomVersionFour) {
  std::set<std::string> Seen;
  for (int I = 0; I < 10000; ++I) {
    const TGUID G = NewGUID();
    EXPECT_FALSE(IsNullGUID(G));
    EXPECT_EQ(G.Data3 >> 12, 4);
    EXPECT_EQ(G.Data4[0] >> 6, 2);
    Seen.insert(GUIDToString(G));
  }
  EXPECT_EQ(Seen.size(), 10000u);
  // Each thread draws its own random bytes: none repeats another thread's.
  std::vector<std::string> Other;
  std::thread([&] {
    for (int I = 0; I < 1000; ++I) Other.push_back(GUIDToString(NewGUID()));
  }).join();
  for (const std::string& G : Other) Seen.insert(G);
  EXPECT_EQ(Seen.size(), 11000u);
  EXPECT_TRUE(IsNullGUID(TGUID{}));
}

TEST(Guid, TextForm) {
  EXPECT_EQ(GUIDToString(kGuid), "{3991C166-F2A3-4C70-B115-FB13D7491403}");
  EXPECT_EQ(StringToGUID("{3991C166-F2A3-4C70-B115-FB13D7491403}"), kGuid);
  EXPECT_EQ(StringToGUID("{3991c166-f2a3-4c70-b115-fb13d7491403}"), kGuid);
  EXPECT_EQ(GUIDToString(TGUID{}), "{00000000-0000-0000-0000-000000000000}");
  const char* Bad[] = {
      "3991C166-F2A3-4C70-B115-FB13D7491403",     // no braces
      "{3991C166-F2A3-4C70-B115-FB13D749140}",    // short
      "{3991C166-F2A3-4C70-B115-FB13D74914030}",  // long
      "{3991C166-F2A3-4C70-B115-FB13D749140G}",   // not hex
      "{3991C166-F2A3-4C70-B115 FB13D7491403}",   // blank for a dash
      "{3991C16-6F2A3-4C70-B115-FB13D7491403}",   // dash out of place
      "{ 991C166-F2A3-4C70-B115-FB13D7491403}",  "",
  };
  for (const char* S : Bad) {
    TGUID G = kGuid;
    EXPECT_FALSE(TryStringToGUID(S, G)) << S;
    EXPECT_EQ(G, kGuid) << "left alone on failure";
    EXPECT_THROW(StringToGUID(S), EOrvException) << S;
  }
  TGUID Other = kGuid;
  Other.Data4[7] ^= 1;
  EXPECT_NE(Other, kGuid);
}

TEST(OrvBinary, HeadersAreLittleEndianAndPacked) {
  TMemoryStream S;
  WriteStreamHeader(S, {0x12345678, 3});
  WriteStreamGUIDHeader(S, {kGuid, 7});
  EXPECT_EQ(S.DataString(), Bytes({0x78, 0x56, 0x34, 0x12, 0x03,                          //
                                   0x66, 0xC1, 0x91, 0x39, 0xA3, 0xF2, 0x70, 0x4C, 0xB1,  //
                                   0x15, 0xFB, 0x13, 0xD7, 0x49, 0x14, 0x03, 0x07}));
  S.SetPosition(0);
  TOrvStreamHeader H;
  ReadStreamHeaderRecord(S, H);
  EXPECT_EQ(H.Signature, 0x12345678u);
  EXPECT_EQ(H.Version, 3);
  TOrvStreamGUIDHeader G;
  ReadStreamGUIDHeaderRecord(S, G);
  EXPECT_EQ(G.Signature, kGuid);
  EXPECT_EQ(G.Version, 7);
  EXPECT_THROW(ReadStreamByte(S), EReadError);
  const std::string ShortData = Bytes({0x78, 0x56, 0x34, 0x12});
  TMemoryStream Short(ShortData);
  EXPECT_THROW(ReadStreamHeaderRecord(Short, H), EReadError);
}

TEST(OrvBinary, HeaderChecksSignatureThenVersion) {
  struct Case {
    uint32_t Sig;
    int Version;
    int Want;
  };  // Want: version, -1 ESIGErr, -2 EVERErr
  const Case Cases[] = {
      {0xABCD0001, 0, -2}, {0xABCD0001, 1, 1},  {0xABCD0001, 2, 2},  {0xABCD0001, 3, 3},
      {0xABCD0001, 4, -2}, {0xABCD0002, 2, -1}, {0xABCD0002, 9, -1},  // signature first
  };
  for (const Case& C : Cases) {
    TMemoryStream S;
    WriteStreamHeader(S, {C.Sig, static_cast<uint8_t>(C.Version)});
    S.WriteBuffer("x");
    S.SetPosition(0);
    if (C.Want >= 0) {
      TOrvStreamHeader H;
      EXPECT_EQ(ReadStreamHeader(S, 0xABCD0001, 1, 3, H), C.Want);
      EXPECT_EQ(H.Version, C.Want);
    } else if (C.Want == -1) {
      EXPECT_THROW(ReadStreamHeader(S, 0xABCD0001, 1, 3), ESIGErr) << C.Version;
    } else {
      EXPECT_THROW(ReadStreamHeader(S, 0xABCD0001, 1, 3), EVERErr) << C.Version;
    }
    EXPECT_EQ(S.Position(), kOrvStreamHeaderSize);  // just after the header in every case
  }
  TGUID Other = kGuid;
  Other.Data1 = 1;
  for (auto [Sig, Version] : {std::pair{kGuid, 2}, {kGuid, 5}, {Other, 2}}) {
    TMemoryStream S;
    WriteStreamGUIDHeader(S, {Sig, static_cast<uint8_t>(Version)});
    S.SetPosition(0);
    if (Sig != kGuid)
      EXPECT_THROW(ReadStreamGUIDHeader(S, kGuid, 1, 4), ESIGErr);
    else if (Version > 4)
      EXPECT_THROW(ReadStreamGUIDHeader(S, kGuid, 1, 4), EVERErr);
    else
      EXPECT_EQ(ReadStreamGUIDHeader(S, kGuid, 1, 4), Version);
    EXPECT_EQ(S.Position(), kOrvStreamGUIDHeaderSize);
  }
  EXPECT_EQ(CheckStreamVersion(5, 5, 5), 5);
  EXPECT_THROW(CheckSignature(1, 2), ESIGErr);
  EXPECT_NO_THROW(CheckGUIDSignature(kGuid, kGuid));
}

TEST(OrvBinary, LengthEncoding) {
  struct Case {
    int32_t N;
    std::string Want;
  };
  const Case Cases[] = {
      {0, Bytes({0x00})},
      {1, Bytes({0x01})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0xFF, 0x00, 0x00, 0x00})},
      {256, Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0x00, 0x01, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0x70, 0x11, 0x01, 0x00})},
      {INT32_MAX, Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0xFF, 0xFF, 0xFF, 0x7F})},
  };
  for (const Case& C : Cases) {
    TMemoryStream S;
    WriteStreamLength(S, C.N);
    EXPECT_EQ(S.DataString(), C.Want) << C.N;
    S.SetPosition(0);
    EXPECT_EQ(ReadStreamLength(S), C.N);
    EXPECT_EQ(S.Remaining(), 0);
  }
  TMemoryStream S;
  EXPECT_THROW(WriteStreamLength(S, -1), EWriteError);
}

TEST(OrvBinary, HostileLengths) {
  struct Case {
    std::string Data;
    int Error;
  };  // 0 EReadError, 1 ESIGErr, 2 EVERErr
  const Case Cases[] = {
      {Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x01, 0x05, 0, 0, 0}), 2},           // escape version 1
      {Bytes({0xFF, 0xBF, 0x52, 0x2A, 0xF3, 0x00, 0x05, 0, 0, 0}), 1},           // other signature
      {Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}), 0},  // -1
      {Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0x00, 0x00, 0x00, 0x80}), 0},  // INT32_MIN
      {Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0x05}), 0},  // cut in the length
      {Bytes({0xFF, 0xBE, 0x52}), 0},                          // cut in the header
      {"", 0},
  };
  for (const Case& C : Cases) {
    TMemoryStream S(C.Data);
    switch (C.Error) {
      case 0:
        EXPECT_THROW(ReadStreamString(S), EReadError);
        break;
      case 1:
        EXPECT_THROW(ReadStreamString(S), ESIGErr);
        break;
      default:
        EXPECT_THROW(ReadStreamString(S), EVERErr);
        break;
    }
  }
}

// Records the largest read asked of it: a reader that trusted a length would ask for it all.
class TWatchedStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  int64_t Read(std::span<uint8_t> Buffer) override {
    LargestRead = std::max(LargestRead, static_cast<int64_t>(Buffer.size()));
    return TMemoryStream::Read(Buffer);
  }
  int64_t LargestRead = 0;
};

TEST(OrvBinary, StringLongerThanTheStreamFailsBeforeAllocating) {
  const std::string Huge =
      Bytes({0xFF, 0xBE, 0x52, 0x2A, 0xF3, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}) + "only a few bytes";
  TWatchedStream S(Huge);
  EXPECT_THROW(ReadStreamString(S), EReadError);
  EXPECT_LE(S.LargestRead, 16);
  const std::string ShortData = Bytes({10, 'a', 'b', 'c'}), ExactData = Bytes({3, 'a', 'b', 'c'});
  TMemoryStream Short(ShortData);
  EXPECT_THROW(ReadStreamString(Short), EReadError);
  TMemoryStream Exact(ExactData);
  EXPECT_EQ(ReadStreamString(Exact), "abc");
}

TEST(OrvBinary, StringsRoundTrip) {
  TMemoryStream S;
  const size_t Lengths[] = {0, 1, 254, 255, 256, 70000};
  for (size_t N : Lengths) WriteStreamString(S, Pattern(N));
  EXPECT_EQ(S.Size(), 1 + 2 + 255 + 10 + 255 + 10 + 256 + 10 + 70000);
  S.SetPosition(0);
  for (size_t N : Lengths) EXPECT_EQ(ReadStreamString(S), Pattern(N)) << N;
  EXPECT_EQ(S.Remaining(), 0);
  EXPECT_THROW(ReadStreamString(S), EReadError);
}

TEST(OrvBinary, TextAndLineWriters) {
  TMemoryStream S;
  WriteStreamText(S, "");
  EXPECT_EQ(S.Size(), 0);
  WriteStreamText(S, "ab");
  WriteStreamLine(S, "cd");
  WriteStreamLine(S, "");
  EXPECT_EQ(S.DataString(), "abcd\r\n\r\n");
}

TEST(OrvBinary, ScrambledStrings) {
  const std::string Name = "Kana\xB3 1";
  TMemoryStream S;
  WriteScrambledString(S, Name);
  WriteScrambledString(S, "");
  EXPECT_EQ(S.DataString(), std::string(1, char(Name.size())) + ScrambleString(Name) + '\0');
  S.SetPosition(0);
  EXPECT_EQ(ReadScrambledString(S), Name);
  EXPECT_EQ(ReadScrambledString(S), "");
}

// ----- DecompressBuffer

std::string Compress(const std::string& Plain, int Level = Z_DEFAULT_COMPRESSION) {
  uLongf Len = compressBound(Plain.size());
  std::string Out(Len, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(Out.data()), &Len,
                      reinterpret_cast<const Bytef*>(Plain.data()), Plain.size(), Level),
            Z_OK);
  Out.resize(Len);
  return Out;
}

// Text that compresses, but not to nothing.
std::string SurveyLikeText(size_t N) {
  std::string S;
  uint32_t X = 12345;
  while (S.size() < N) {
    X = X * 1103515245 + 12345;
    S += "resp" + std::to_string((X >> 16) % 1000) + ";";
  }
  S.resize(N);
  return S;
}

std::string Inflate(const std::string& Packed, int64_t Estimate, int64_t Max = kNoOutLimit) {
  TDynByteArr Out;
  int64_t OutSize = -1;
  EXPECT_EQ(DecompressBuffer(Packed.data(), static_cast<int64_t>(Packed.size()), Estimate, Out,
                             OutSize, Max),
            0);
  EXPECT_EQ(OutSize, static_cast<int64_t>(Out.size()));
  return std::string(Out.begin(), Out.end());
}

TEST(DecompressBuffer, InflatesWhateverTheEstimate) {
  const std::string Plain = SurveyLikeText(300000);
  const std::string Packed = Compress(Plain);
  const int64_t N = static_cast<int64_t>(Plain.size());
  for (int64_t Estimate : {N, int64_t{0}, N / 4, N / 8, int64_t{1}, N + 1, int64_t{1} << 40})
    EXPECT_EQ(Inflate(Packed, Estimate), Plain) << Estimate;
  EXPECT_EQ(Inflate(Compress(Plain, 0), 0), Plain);  // stored blocks: output below input
  EXPECT_EQ(Inflate(Compress(""), 0), "");
  EXPECT_EQ(Inflate(Compress(""), 100, 0), "");
  EXPECT_EQ(Inflate(Compress("x"), 1, 1), "x");
}

TEST(DecompressBuffer, MaximumIsHonouredExactly) {
  const std::string Plain = SurveyLikeText(50000);
  const std::string Packed = Compress(Plain);
  const int64_t N = static_cast<int64_t>(Plain.size());
  for (int64_t Estimate : {int64_t{0}, N, N - 1})
    EXPECT_EQ(Inflate(Packed, Estimate, N), Plain) << Estimate;
  TDynByteArr Out;
  int64_t OutSize;
  for (int64_t Estimate : {int64_t{0}, N})
    EXPECT_THROW(DecompressBuffer(Packed.data(), Packed.size(), Estimate, Out, OutSize, N - 1),
                 EDecompressionError);
  EXPECT_TRUE(Out.empty());
}

TEST(DecompressBuffer, BombStopsAtTheCap) {
  const std::string Packed = Compress(std::string(64 << 20, '\0'), 9);  // 64 MB of zeros
  ASSERT_LT(Packed.size(), 100000u);
  TDynByteArr Out;
  int64_t OutSize = 7;
  EXPECT_THROW(DecompressBuffer(Packed.data(), Packed.size(), 0, Out, OutSize, 1 << 20),
               EDecompressionError);
  EXPECT_TRUE(Out.empty());
  EXPECT_EQ(Out.capacity(), 0u);
  EXPECT_EQ(OutSize, 0);
  // A hostile estimate does not become the allocation: it is bounded by the input's size.
  EXPECT_THROW(
      DecompressBuffer(Packed.data(), Packed.size(), int64_t{1} << 40, Out, OutSize, 1 << 20),
      EDecompressionError);
}

TEST(DecompressBuffer, DamagedStreamsRaise) {
  const std::string Plain = SurveyLikeText(100000);
  const std::string Packed = Compress(Plain);
  std::vector<std::string> Bad = {
      Packed.substr(0, Packed.size() - 1),  // checksum cut
      Packed.substr(0, Packed.size() / 2),  // data cut
      Packed.substr(0, 2),                  // header only
      Packed.substr(0, 1),
      "",
  };
  std::string Flipped = Packed;
  Flipped[Flipped.size() / 2] ^= 0x55;
  Bad.push_back(Flipped);
  std::string BadSum = Packed;
  BadSum.back() ^= 1;
  Bad.push_back(BadSum);
  std::string BadHeader = Packed;
  BadHeader[0] = 0x79;
  Bad.push_back(BadHeader);
  std::string Noise(5000, '\0');
  uint32_t X = 99;
  for (char& C : Noise) C = static_cast<char>((X = X * 1664525 + 1013904223) >> 24);
  Bad.push_back(Noise);
  const int64_t N = static_cast<int64_t>(Plain.size());
  for (size_t I = 0; I < Bad.size(); ++I)
    for (int64_t Estimate : {int64_t{0}, N, N * 2}) {
      TDynByteArr Out;
      int64_t OutSize = 1;
      EXPECT_THROW(DecompressBuffer(Bad[I].data(), Bad[I].size(), Estimate, Out, OutSize),
                   EDecompressionError)
          << I << " " << Estimate;
      EXPECT_TRUE(Out.empty());
      EXPECT_EQ(OutSize, 0);
    }
}

TEST(DecompressBuffer, PresetDictionaryAndBadArgumentsRaise) {
  z_stream Z{};
  ASSERT_EQ(deflateInit(&Z, Z_DEFAULT_COMPRESSION), Z_OK);
  const std::string Dict = "resp;resp;resp";
  ASSERT_EQ(deflateSetDictionary(&Z, reinterpret_cast<const Bytef*>(Dict.data()), Dict.size()),
            Z_OK);
  std::string In = "resp;resp;data", Out(256, '\0');
  Z.next_in = reinterpret_cast<Bytef*>(In.data());
  Z.avail_in = In.size();
  Z.next_out = reinterpret_cast<Bytef*>(Out.data());
  Z.avail_out = Out.size();
  ASSERT_EQ(deflate(&Z, Z_FINISH), Z_STREAM_END);
  Out.resize(Z.total_out);
  deflateEnd(&Z);
  TDynByteArr Buf;
  int64_t OutSize;
  EXPECT_THROW(DecompressBuffer(Out.data(), Out.size(), 0, Buf, OutSize), EDecompressionError);

  const std::string Packed = Compress("abc");
  EXPECT_THROW(DecompressBuffer(Packed.data(), Packed.size(), -1, Buf, OutSize),
               EDecompressionError);
  EXPECT_THROW(DecompressBuffer(Packed.data(), -1, 0, Buf, OutSize), EDecompressionError);
  EXPECT_THROW(DecompressBuffer(nullptr, 10, 0, Buf, OutSize), EDecompressionError);
  EXPECT_THROW(DecompressBuffer(Packed.data(), Packed.size(), 0, Buf, OutSize, -2),
               EDecompressionError);
  try {
    DecompressBuffer(Packed.data(), 3, 0, Buf, OutSize);
    FAIL() << "no error";
  } catch (const EZlibError& E) {
    EXPECT_STREQ(E.what(), "");
  }
}

}  // namespace
}  // namespace quin
