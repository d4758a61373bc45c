#include "base/orvexceptions.h"

#include <gtest/gtest.h>

#include "base/langmanager.h"
#include "base/text.h"

namespace quin {
namespace {

TEST(OrvExceptions, PlaceholdersFillRightToLeft) {
  struct Case {
    const char* Text;
    TDynStringArr Args;
    const char* Want;
  };
  const Case Cases[] = {
      {"%s-%s-%s", {"x", "y"}, "x-x-y"},
      {"A %s", {"%s"}, "A %s"},  // inserted text is not scanned again
      {"%s%s", {"a", "b", "c"}, "bc"},
      {"%d %s %%s", {"q"}, "%d q %q"},
      {"none", {"x"}, "none"},
      {"%s", {}, "%s"},
      {"%", {"x"}, "%"},
  };
  for (const Case& C : Cases) EXPECT_EQ(FillStringPlaceholders(C.Text, C.Args), C.Want) << C.Text;
}

TEST(OrvExceptions, MessageFixedAtCreationInTheCurrentLanguage) {
  auto En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind(En.get());
  EOrvException E(Cp1250("<PLK>Plik %s nie istnieje.<ENU>File %s does not exist."), {"a.zos"});
  EXPECT_STREQ(E.what(), "File a.zos does not exist.");
  En->SetLanguage("plk");
  EXPECT_STREQ(E.what(), "File a.zos does not exist.");    // fixed
  EXPECT_EQ(E.MessageText(), "Plik a.zos nie istnieje.");  // produced again on demand
  EXPECT_EQ(EOrvException("Line\\nLine").Message, "Line\r\nLine");
}

TEST(OrvExceptions, FixedMembers) {
  auto En = New<TOrvLangManager>("enu");
  TLangManagerBinding Bind(En.get());
  EXPECT_EQ(ESIGErr().Message,
            "Error in file / stream signature.\r\nProbably you are trying to open a file of "
            "another type\r\n(than expected in the current situation).");
  EXPECT_EQ(EVERErr().Message.substr(0, 31), "Error in file / stream version.");
  EXPECT_STREQ(EOrvInvalidBinData(EOrvInvalidBinData::kInvalidSize).what(),
               "Invalid binary data size.");
  EXPECT_STREQ(EOrvInvalidBinData(EOrvInvalidBinData::kInvalidChars).what(),
               "Invalid characters in binary data.");
  EXPECT_STREQ(EDecompressionError().what(), "");
  // Family membership as handlers rely on it.
  try {
    throw EMsgList_FatalError("<ENU>stop");
  } catch (const EMsgList& E) {
    EXPECT_STREQ(E.what(), "stop");
  }
  EXPECT_THROW(throw EDecompressionError(), EZlibError);
  EXPECT_THROW(throw ESIGErr(), Exception);
  auto Pl = New<TOrvLangManager>("plk");
  TLangManagerBinding PlBind(Pl.get());
  EXPECT_EQ(ESIGErr().Message.substr(0, 26), Cp1250("Błąd w sygnaturze pliku / "));
}

}  // namespace
}  // namespace quin
