// The alert tests listen through SDL's disk driver (one capture file for the process) and
// pump a QCoreApplication's events while sounds play.

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

std::string g_captureFile;

int main(int argc, char** argv)
{
    g_captureFile = (std::filesystem::temp_directory_path() / ("tkw-alert-" + std::to_string(::getpid()) + ".raw")).string();
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", g_captureFile.c_str(), 1);
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::remove(g_captureFile.c_str());
    return result;
}
