#pragma once

#include <filesystem>

// The tray program: one instance per user, its phone book in the working directory, and the
// hidden main window running until Exit.
class CPhoneBookApp
{
public:
    // Runs the program; returns its exit code. A second instance returns at once, silently,
    // without touching the phone book.
    int Run(int argc, char** argv);

    // The application's command table: what the main window passes on.
    static void OnCommand(unsigned id);
    static void OnHelp();

    // The phone book file: telmo.ini in the given working directory, however long its path.
    static std::filesystem::path ProfilePath(const std::filesystem::path& workingDirectory);
};
