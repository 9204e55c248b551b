#pragma once

class MainWindow;

// Marks the window's account side busy for the life of the object: while a request or the browser
// sign-in waits in its nested loop, no other account operation may start, and a close waits for the
// call to return.
class AccountBusyScope
{
public:
    explicit AccountBusyScope(MainWindow *window);
    ~AccountBusyScope();
    AccountBusyScope(const AccountBusyScope &) = delete;
    AccountBusyScope &operator=(const AccountBusyScope &) = delete;

private:
    MainWindow *m_window;
    bool m_wasBusy;
};
