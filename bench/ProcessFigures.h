#pragma once
// What a benchmark reads of its own process: the CPU time of all its
// threads, and its resident memory and the peak of it, which can be set
// back so that the next peak is the next run's own.

#include <malloc.h>
#include <sys/resource.h>

#include <fstream>
#include <string>

namespace bench {

// User and system seconds of every thread of the process so far.
inline double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// Sets the process's peak resident size back to its present one, after
// handing freed memory back, so that the next peak is the next run's own.
inline void ResetPeakMemory() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A size of /proc/self/status ("VmRSS", "VmHWM") in MB; 0 when unknown.
inline double StatusMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024;
    return 0;
}

// The resident size now, and its peak since the last reset, in MB.
inline double ResidentMemoryMb() { return StatusMb("VmRSS"); }
inline double PeakMemoryMb() { return StatusMb("VmHWM"); }

}  // namespace bench
