#include "deflang/rixscanner.h"
#include <gtest/gtest.h>
namespace quin {
namespace {
TEST(RixScanner, Smoke) {
  TOrvMsgList Msgs;
  auto S = TRixScanner::CreateFromText("a = 5;", &Msgs);
  S->NextToken();
  int32_t V = 0;
  EXPECT_TRUE(S->ReadInteger("a", V));
  EXPECT_EQ(V, 5);
}
}  // namespace
}  // namespace quin
