// main() of every test program. The locale comes from the environment, as it
// does in the program (Qt takes it from the desktop); a run that names a
// locale the machine lacks fails rather than quietly testing under "C".

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* wanted = std::getenv("LC_ALL");
    if (std::setlocale(LC_ALL, "") == nullptr && wanted != nullptr && *wanted != '\0' &&
        !::testing::GTEST_FLAG(list_tests)) {
        std::fprintf(stderr, "locale %s is not installed (scripts/setup generates it)\n", wanted);
        return 1;
    }
    return RUN_ALL_TESTS();
}
