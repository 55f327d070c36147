#pragma once

class MainWindow;

// The window's tool bars: their buttons, made once and tied to the window's
// slots, and the Record button's two faces. The actions stay the window's.
class WindowToolBar
{
public:
    explicit WindowToolBar(MainWindow &window);

    void create();
    // While recording, Record is Stop Recording and what would disturb the
    // recording is disabled.
    void showRecordingState(bool recording);

private:
    MainWindow &m_window;
};
