#include <gtest/gtest.h>
#include <QApplication>

// The calls under test show windows, so a widget application runs them (as a Qt host would).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
