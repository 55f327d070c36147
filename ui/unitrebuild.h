#pragma once

class MainWindow;

// The table and the chart re-expressed in the units just chosen in the
// options, at once for a short table, behind the busy indicator for a
// long one. Part of MainWindow.
class UnitRebuild
{
public:
    explicit UnitRebuild(MainWindow &window);

    void run();

private:
    void reexpress(bool turns);

    MainWindow &m_window;
};
