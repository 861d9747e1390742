#pragma once

#include <string>

// The "Dialing..." box: up while a dial goes on, its text and buttons following the dial, so
// that the user can stop it at any moment. While it waits for the user the program's events run,
// so the answers of services come in meanwhile.
class DialingBox
{
public:
    enum class Buttons
    {
        Cancel,    // while a service is asked
        Ok,        // the modem dials; OK ends the dial
        HangUpOrOk // a call is placed; OK leaves it going
    };
    enum class Choice
    {
        Ok,
        Cancel,
        HangUp,
        Ended // what the box waited for has happened
    };

    virtual ~DialingBox() = default;

    // Shows the box with this text and these buttons, or changes them.
    virtual void Show(const std::string& text, Buttons buttons) = 0;
    // The user's choice, or Ended when End came first (also when it came before the wait).
    virtual Choice Wait() = 0;
    virtual void End() = 0;
    // Takes the box off the screen.
    virtual void Hide() = 0;
};
