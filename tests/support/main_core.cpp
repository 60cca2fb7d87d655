// SPDX-License-Identifier: GPL-2.0-or-later
// Test main for logic tests, in a private configuration home.
#include "testenvironment.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    trackmill::test::isolateEnvironment();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
