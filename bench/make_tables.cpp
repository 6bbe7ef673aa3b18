// Writes a pair of generated tables for the benchmarks:
//   make_tables same|reformatted|short|perturbed ROWS COLS FILE1 FILE2
// Values look like -7.312715118e+02 ("short": like 0.731, for tables of many short lines).
// "named": both files begin with a line of column names; "named-shuffled": the same, with
// FILE2's columns (names and values) in reverse order.
// "perturbed": two runs of a numerical program that agree but in the last digits: values
// printed with %.15e, every value of FILE2 changed by a relative 1e-13 ("perturbed-gross": and
// about one cell in 100,000 changed grossly as well). "same": FILE2 equals FILE1 but for about 0.1 % of the
// cells. "reformatted": every cell of FILE2 is written with one more digit and an explicit
// sign, so the texts all differ while most values stay equal; about 0.1 % differ in value.
// "keyed-shuffled": a key column first (1 to ROWS), then the values of "same", the rows of each
// file in another order and a row in 10,000 left out of FILE2: for pairing rows by keys out of
// order (made row by row, whatever the size).

#include <cstdint>
#include <cstdio>
#include <numeric>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Row r of a file in its own order holds key Step * r + Offset (mod rows), a permutation.
int KeyedShuffled(long rows, long cols, std::FILE* out1, std::FILE* out2)
{
    const auto step = [rows](std::uint64_t from) {
        while (std::gcd(from, std::uint64_t(rows)) != 1)
            ++from;
        return from;
    };
    const std::uint64_t step1 = step(2654435761u % std::uint64_t(rows) + 1), step2 = step(40503u % std::uint64_t(rows) + 1);
    char text[64];
    for (long r = 0; r < rows; ++r) {
        for (int file = 0; file < 2; ++file) {
            const std::uint64_t key = ((file ? step2 : step1) * std::uint64_t(r) + std::uint64_t(file) * 7) % std::uint64_t(rows);
            std::FILE* out = file ? out2 : out1;
            if (file && key % 10'000 == 5'000)
                continue;
            std::fprintf(out, "%llu", static_cast<unsigned long long>(key + 1));
            for (long c = 0; c < cols; ++c) {
                const std::uint64_t bits = Mix(key * std::uint64_t(cols) + std::uint64_t(c));
                double value = (double(bits >> 11) / double(1ULL << 53) * 20 - 10) * std::pow(10.0, int(bits % 11) - 5);
                std::snprintf(text, sizeof text, "%.9e", value);
                if (file && Mix(bits) % 1000 == 0)
                    std::snprintf(text, sizeof text, "%.9e", std::strtod(text, nullptr) * (1 + 1e-6));
                std::fputc(' ', out);
                std::fputs(text, out);
            }
            std::fputc('\n', out);
        }
    }
    return std::fclose(out1) == 0 && std::fclose(out2) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: make_tables same|reformatted|short|perturbed|perturbed-gross|named|named-shuffled|keyed-shuffled ROWS COLS FILE1 FILE2\n");
        return 2;
    }
    const bool reformatted = std::strcmp(argv[1], "reformatted") == 0;
    const bool shortValues = std::strcmp(argv[1], "short") == 0;
    const bool gross = std::strcmp(argv[1], "perturbed-gross") == 0;
    const bool shuffled = std::strcmp(argv[1], "named-shuffled") == 0;
    const bool named = shuffled || std::strcmp(argv[1], "named") == 0;
    const bool perturbed = gross || std::strcmp(argv[1], "perturbed") == 0;
    std::uniform_int_distribution<int> perMillion(0, 99'999);
    const long rows = std::atol(argv[2]);
    const long cols = std::atol(argv[3]);
    std::FILE* out1 = std::fopen(argv[4], "wb");
    std::FILE* out2 = std::fopen(argv[5], "wb");
    if (!out1 || !out2) {
        std::perror("make_tables");
        return 2;
    }
    if (std::strcmp(argv[1], "keyed-shuffled") == 0)
        return KeyedShuffled(rows, cols, out1, out2);
    std::mt19937_64 random(20261206);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-5, 5);
    std::uniform_int_distribution<int> permille(0, 999);
    char text[64];
    auto column = [&](long c) { return shuffled ? cols - 1 - c : c; };
    if (named) {
        for (long c = 0; c < cols; ++c) {
            std::fprintf(out1, "value%ld%s", c + 1, c + 1 < cols ? " " : "\n");
            std::fprintf(out2, "value%ld%s", column(c) + 1, c + 1 < cols ? " " : "\n");
        }
    }
    std::vector<std::string> row2(static_cast<std::size_t>(cols));
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < cols; ++c) {
            const double value = shortValues ? std::fabs(mantissa(random)) / 10 : mantissa(random) * std::pow(10.0, exponent(random));
            const char* separator = c + 1 < cols ? " " : "\n";
            std::snprintf(text, sizeof text, shortValues ? "%.3f" : perturbed ? "%.15e" : "%.9e", value);
            std::fputs(text, out1);
            std::fputs(separator, out1);
            // The value as written, so that a reformatted text keeps it exactly.
            const double written = std::strtod(text, nullptr);
            const double value2 = perturbed ? written * (gross && perMillion(random) == 0 ? 1.5 : 1 + 1e-13)
                                            : permille(random) == 0 ? written * (1 + 1e-6) : written;
            std::snprintf(text, sizeof text, shortValues ? "%.3f" : perturbed ? "%.15e" : reformatted ? "%+.10e" : "%.9e", value2);
            row2[static_cast<std::size_t>(c)] = text;
        }
        for (long c = 0; c < cols; ++c) {
            std::fputs(row2[static_cast<std::size_t>(column(c))].c_str(), out2);
            std::fputs(c + 1 < cols ? " " : "\n", out2);
        }
    }
    return std::fclose(out1) == 0 && std::fclose(out2) == 0 ? 0 : 1;
}
