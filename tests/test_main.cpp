// Entry point of every test executable. Under Windows the suites only mean something in the
// Simplified Chinese ANSI code page (a byte round trip also passes under 1252), so check it first.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

namespace {
class AnsiCodePage936 : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(GetACP(), 936u) << "tests must run with LC_ALL=zh_CN.UTF-8 under Wine"; }
};
}  // namespace
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    ::testing::AddGlobalTestEnvironment(new AnsiCodePage936);  // gtest takes ownership
#endif
    return RUN_ALL_TESTS();
}
