// The window tests run inside the program's own application object, so that an error that
// escapes a handler reaches the catch point as it does in the program.
#include "app/SkedulaApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    skedula::SkedulaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
