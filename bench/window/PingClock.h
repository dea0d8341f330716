#pragma once
// Pings the thread it lives on as a window manager pings a window: a ping is
// due every interval, whatever the thread does, and is answered the next
// time the thread's event loop runs; its wait is the answer's time minus
// its due time. Each wait is told to the phase the thread was in when its
// event loop last ran, which is where the work that kept it away began.

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class PingClock : public QObject {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double kLateMs = 250;   // a wait the analyst notices

    struct Tally {
        long pings = 0;
        long late = 0;            // waited over kLateMs
        double longestMs = 0;
        double seconds = 0;       // the thread's time in the phase
        double LateShare() const { return pings ? static_cast<double>(late) / static_cast<double>(pings) : 0; }
        void Add(double waitMs) {
            ++pings;
            late += waitMs > kLateMs;
            longestMs = std::max(longestMs, waitMs);
        }
    };

    // phase names what the thread is doing; it is asked on the thread,
    // each time the loop runs.
    explicit PingClock(std::chrono::milliseconds every, std::function<std::string()> phase = {})
        : m_every(every), m_phaseOf(std::move(phase)) {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
    }

    void Start() {
        m_last = Clock::now();
        m_nextDue = m_last + m_every;
        m_phase = PhaseNow();
        Schedule();
    }
    // Answers the pings due by now, as the loop would on its next turn.
    void Stop() {
        Answer();
        m_timer.stop();
    }

    // Told every time the thread stays away from its loop over kLateMs:
    // when it left, when it came back, and the phase.
    std::function<void(Clock::time_point, Clock::time_point, const std::string&)> onAway;

    const Tally& All() const { return m_all; }
    // In the order the phases first came.
    const std::vector<std::pair<std::string, Tally>>& Phases() const { return m_phases; }

private:
    std::string PhaseNow() const { return m_phaseOf ? m_phaseOf() : std::string(); }

    Tally& PhaseTally(const std::string& phase) {
        for (auto& [name, tally] : m_phases)
            if (name == phase) return tally;
        return m_phases.emplace_back(phase, Tally{}).second;
    }

    void Answer() {
        const auto now = Clock::now();
        Tally& phase = PhaseTally(m_phase);
        const double since = std::chrono::duration<double>(now - m_last).count();
        phase.seconds += since;
        m_all.seconds += since;
        if (onAway && since * 1000 > kLateMs) onAway(m_last, now, m_phase);
        for (; m_nextDue <= now; m_nextDue += m_every) {
            const double waitMs = std::chrono::duration<double, std::milli>(now - m_nextDue).count();
            phase.Add(waitMs);
            m_all.Add(waitMs);
        }
        m_last = now;
        m_phase = PhaseNow();
        Schedule();
    }

    void Schedule() {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_nextDue - Clock::now());
        m_timer.start(std::max<std::chrono::milliseconds>(left, std::chrono::milliseconds(0)));
    }

    const Clock::duration m_every;
    std::function<std::string()> m_phaseOf;
    QTimer m_timer;
    Clock::time_point m_nextDue, m_last;
    std::string m_phase;
    Tally m_all;
    std::vector<std::pair<std::string, Tally>> m_phases;
};

}  // namespace bench
