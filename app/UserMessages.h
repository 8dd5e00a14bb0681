// Where the window-free parts of the program tell the user something: a message box in the
// window, a line on the error stream of a console program.
#pragma once

class CUserMessages {
public:
    virtual ~CUserMessages() = default;
    virtual void Show(const char* text) = 0;
};
