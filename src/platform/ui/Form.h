#pragma once

#include <QDialog>
#include <QMainWindow>

class QShowEvent;

// A window whose Form_Load runs once, when it is first shown (or loaded explicitly), so that
// the opener can set its public values between creating and showing it.
class FormLoad
{
public:
    virtual ~FormLoad() = default;
    virtual void Form_Load() { }
    void ensureLoaded();
    bool isLoaded() const { return loaded_; }

private:
    bool loaded_ = false;
};

template<class Window>
class Form
    : public Window
    , public FormLoad
{
public:
    explicit Form(QWidget *parent = nullptr)
        : Window(parent)
    { }

protected:
    void showEvent(QShowEvent *event) override
    {
        ensureLoaded();
        Window::showEvent(event);
    }
};

using FormDialog = Form<QDialog>;
using FormMainWindow = Form<QMainWindow>;

// Places a window where the user left it the last time it closed, when that place is still on
// a screen, and otherwise at the centre of the screen it is on. The program's own windows (named
// "frm...") remember their place and size when they close, by name, in the user's settings.
void CentreWindow(QWidget *window);
// Converts twips (1440 to the logical inch) to pixels of the window's screen.
int Twips(QWidget *window, int twips);
