#include <gtest/gtest.h>
#include <QApplication>

// The runner's grid and windows are widgets, so a widget application runs the tests.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
