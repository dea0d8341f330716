#pragma once
// The progress protocol every long operation reports through. The main window
// implements it with its progress strip and Cancel button; tests and
// benchmarks implement it with a recorder, so operations run headless.

#include <string>

namespace common {

class IProgress {
public:
    virtual ~IProgress() = default;
    // Opens one progress level; nested levels extend the bar's maximum.
    virtual void StartProgress(const std::string& action, long totalLength, bool withCancel) = 0;
    // Shows a step caption (unless empty) and lets pending window events run.
    virtual void StartStep(const std::string& action) = 0;
    virtual void FinishStep(long length) = 0;
    // How far the step under way has come, from 0 to 1, for a bar that can
    // show part of a step (see StepShareBar); the next FinishStep ends the
    // step whole. A bar of whole steps shows nothing of it.
    virtual void StepShare(double share) { (void)share; }
    // Closes one progress level.
    virtual void FinishProgress() = 0;
    // True once the user has confirmed Cancel.
    virtual bool Cancelled() const = 0;
    // Keeps the caption the cancel confirmation names.
    virtual void Action(const std::string& caption) = 0;
};

// Closes a progress level on every path out of a scope, so an error inside
// a long operation never leaves the strip shown; Close closes it earlier.
class ProgressScope {
public:
    ProgressScope(IProgress& p, const std::string& action, long total, bool withCancel) : m_p(p) {
        m_p.StartProgress(action, total, withCancel);
    }
    ~ProgressScope() { Close(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void Close() {
        if (!m_open) return;
        m_open = false;
        m_p.FinishProgress();
    }
private:
    IProgress& m_p;
    bool m_open = true;
};

// A progress sink that does nothing and never cancels.
class NullProgress : public IProgress {
public:
    void StartProgress(const std::string&, long, bool) override {}
    void StartStep(const std::string&) override {}
    void FinishStep(long) override {}
    void FinishProgress() override {}
    bool Cancelled() const override { return false; }
    void Action(const std::string&) override {}
};

}  // namespace common
