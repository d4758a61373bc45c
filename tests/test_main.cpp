// Test programs start as the server does: classes registered, the locale pinned.
#include <gtest/gtest.h>

#include QUIN_REGISTER_HEADER
#include "base/systemlocale.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quin::SetSystemLocale(quin::LocaleFromName("en_US"));
  quin::QUIN_REGISTER_FUNCTION();
  return RUN_ALL_TESTS();
}
