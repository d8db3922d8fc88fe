// The end-to-end tests run inside the program's own application object.
#include "app/SkedulaApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    skedula::SkedulaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
