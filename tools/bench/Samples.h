#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

// Seconds on the performance counter.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// Repeated timings of one operation, in seconds.
class Samples {
public:
    void Add(double seconds) { Values.push_back(seconds); }
    bool Empty() const { return Values.empty(); }
    double Median() const {
        if (Values.empty()) return 0;
        std::vector<double> sorted = Values;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Min() const { return Values.empty() ? 0 : *std::min_element(Values.begin(), Values.end()); }

private:
    std::vector<double> Values;
};

// Times one call.
template <class Call>
double Timed(Call call) {
    const double start = Now();
    call();
    return Now() - start;
}
