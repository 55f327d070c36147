#pragma once

class MainWindow;

// What the window does on each status code of the link: the status line,
// the end of a download or a recording, the wait for a pulled adapter, and
// at most one box per failure. Part of MainWindow, whose onCommuStutusError
// hands the codes on.
class LinkAnswers
{
public:
    explicit LinkAnswers(MainWindow &window);

    void answer(int error);

private:
    void noPort(int error);
    void offline();

    MainWindow &m_window;
};
