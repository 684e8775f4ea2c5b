// The main of every test program. Under CI=true a skipped test fails the
// run: a test that cannot run where the tests are meant to run proves
// nothing, and must not pass for one that did.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    const char* ci = std::getenv("CI");
    const auto& tests = *::testing::UnitTest::GetInstance();
    if (result != 0 || !ci || std::strcmp(ci, "true") != 0 || tests.skipped_test_count() == 0) return result;
    for (int i = 0; i < tests.total_test_suite_count(); ++i) {
        const auto& suite = *tests.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j)
            if (suite.GetTestInfo(j)->result()->Skipped())
                std::printf("[  FAILED  ] %s.%s was skipped, and CI=true allows no skipped test\n", suite.name(),
                            suite.GetTestInfo(j)->name());
    }
    return 1;
}
