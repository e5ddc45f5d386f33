#include "runtime/context.h"

#include <gtest/gtest.h>

namespace kalvento::rt {
namespace {

struct Settings {
  static constexpr const char* kName = "cDatver";
  std::string dataFolder;
};

TEST(ContextTest, InnerScopeShadowsAndLeavingRestores) {
  EXPECT_FALSE(ContextScope<Settings>::Active());
  EXPECT_THROW(ContextScope<Settings>::Current(), RuntimeError);  // undeclared
  Settings outer{"C:\\LUMO\\"};
  ContextScope<Settings> outerScope(outer);
  {
    Settings inner{"D:\\"};
    ContextScope<Settings> innerScope(inner);
    EXPECT_EQ(ContextScope<Settings>::Current().dataFolder, "D:\\");
  }
  EXPECT_EQ(ContextScope<Settings>::Current().dataFolder, "C:\\LUMO\\");
}

}  // namespace
}  // namespace kalvento::rt
