// The alert window tests run headless with one QApplication, and listen through SDL's disk
// driver (one capture file for the process).

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

std::string g_captureFile;

int main(int argc, char** argv)
{
    const auto name = "tkw-runner-" + std::to_string(::getpid()) + ".raw";
    g_captureFile = (std::filesystem::temp_directory_path() / name).string();
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", g_captureFile.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::remove(g_captureFile.c_str());
    return result;
}
