#pragma once

namespace zen {

// The frame clock. It reads the system tick count (milliseconds, as an unsigned 32-bit value)
// and hands the frame loop the seconds since the previous frame. A pause is undone by Resume,
// which moves the start forward so the paused time does not count.
class Timer {
public:
    Timer();  // Starts now.

    void Reset();     // Start and last read = now; not paused.
    void Pause();     // Remembers when the pause began.
    void Resume();    // After a pause, shifts the start by the paused span; otherwise as Reset.
    double Delta();   // Seconds since the previous Delta or Reset; then last read = now.
    double Elapsed() const;  // Seconds since the start.

private:
    static double Now();

    double m_start = 0;   // Tick count at the start, ms.
    double m_pause = 0;   // Tick count when paused, ms; 0 when running.
    double m_last = 0;    // Tick count at the previous Delta, ms.
    bool m_paused = false;
};

}  // namespace zen
