#pragma once
// The texts of the About box's pages, made from the figures the system reports.

#include "platform/SystemFacts.h"

#include <QString>

namespace AboutText {

// Kilobytes as "0,000 KB": a whole number, grouped, at least four digits (512 gives 0,512 KB).
QString KiloBytes(std::uint64_t bytes);
// A fraction as "0.0 %" (0.5 gives 50.0 %).
QString Percent(double fraction);

struct Bar {
    double value;    // 0 to 1
    QString toolTip; // "50.0 %", "More than 100.0 %", "Less than 0.0 %"
};
// A memory bar for available out of total; a total of 0 (no swap) shows an empty bar.
Bar MemoryBar(std::uint64_t available, std::uint64_t total);

// "2x x86_64 Intel(R) Xeon(R) CPU": processors, architecture, model.
QString Processor(const platform::SystemFacts& facts);
// "High Color (1plane/16bit)", "True Color (1plane/32bit)", "8 Colors (1plane/8bit)".
QString Colors(int planes, int bits);
// The system line: distribution and kernel release.
QString SystemVersion(const platform::SystemFacts& facts);

} // namespace AboutText
