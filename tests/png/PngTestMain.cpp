// The PNG tests start the unit as the program does: by the one explicit call.
#include <gtest/gtest.h>

#include "png/QorvFormatPNG.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    RegisterPNGGraphicClass();
    return RUN_ALL_TESTS();
}
