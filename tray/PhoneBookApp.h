#pragma once

#include <filesystem>

// The tray program: one instance per user, its phone book in the working directory (or, installed
// for every user of the machine, in the user's data folder), and the hidden main window running
// until Exit.
class CPhoneBookApp
{
public:
    // Runs the program; returns its exit code. A second instance returns at once, silently,
    // without touching the phone book.
    int Run(int argc, char** argv);

    // The application's command table: what the main window passes on.
    static void OnCommand(unsigned id);
    static void OnHelp();

    // The phone book file: telmo.ini in the working directory, however long its path. A working
    // directory deleted before the start has no path any more; the file is then named relative
    // to it, so that the book reads as empty and a save says why it failed. A shared installation
    // keeps each user's book in the user's data folder instead.
    static std::filesystem::path ProfilePath();

private:
    // A shared installation is started from the menu in its program folder, as its launcher
    // says; started by name from a terminal, it goes there itself, so that Import and Export find
    // their programs beside it.
    static void GoToSharedProgramFolder();
};
