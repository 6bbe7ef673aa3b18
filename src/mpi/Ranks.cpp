#include "Ranks.h"

#include <mpi.h>

#include <algorithm>
#include <stdexcept>

namespace ranks {

namespace {

constexpr std::size_t Piece = 4 << 20;
constexpr int FileTag = 7;

} // namespace

int Rank()
{
    int rank = 0;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    return rank;
}

int Count()
{
    int count = 1;
    MPI_Comm_size(MPI_COMM_WORLD, &count);
    return count;
}

std::vector<std::uint64_t> AllGather(std::uint64_t value)
{
    std::vector<std::uint64_t> all(static_cast<std::size_t>(Count()));
    MPI_Allgather(&value, 1, MPI_UINT64_T, all.data(), 1, MPI_UINT64_T, MPI_COMM_WORLD);
    return all;
}

void AllMax(std::vector<std::uint64_t>& values)
{
    MPI_Allreduce(MPI_IN_PLACE, values.data(), int(values.size()), MPI_UINT64_T, MPI_MAX, MPI_COMM_WORLD);
}

void AllSum(std::vector<std::uint64_t>& values)
{
    MPI_Allreduce(MPI_IN_PLACE, values.data(), int(values.size()), MPI_UINT64_T, MPI_SUM, MPI_COMM_WORLD);
}

void AllMin(std::vector<std::uint32_t>& values)
{
    constexpr std::size_t Step = std::size_t(1) << 26;
    for (std::size_t at = 0; at < values.size(); at += Step)
        MPI_Allreduce(MPI_IN_PLACE, values.data() + at, int(std::min(Step, values.size() - at)), MPI_UINT32_T, MPI_MIN, MPI_COMM_WORLD);
}

bool AnyOf(bool value)
{
    std::vector<std::uint64_t> any{value ? 1u : 0u};
    AllMax(any);
    return any[0] != 0;
}

std::vector<std::uint64_t> Gather(const std::vector<std::uint64_t>& values)
{
    std::vector<std::uint64_t> all(Rank() == 0 ? values.size() * std::size_t(Count()) : 0);
    MPI_Gather(values.data(), int(values.size()), MPI_UINT64_T, all.data(), int(values.size()), MPI_UINT64_T, 0, MPI_COMM_WORLD);
    return all;
}

// Texts of the lengths given, one after the other in all: each one's place and length, and the
// texts once all holds them.
struct Texts {
    std::vector<int> counts, offsets;
    std::string all;
    explicit Texts(const std::vector<std::uint64_t>& lengths)
    {
        for (const std::uint64_t length : lengths) {
            counts.push_back(int(length));
            offsets.push_back(int(all.size()));
            all.resize(all.size() + length);
        }
    }
    std::vector<std::string> split() const
    {
        std::vector<std::string> texts;
        for (std::size_t r = 0; r < counts.size(); ++r)
            texts.push_back(all.substr(std::size_t(offsets[r]), std::size_t(counts[r])));
        return texts;
    }
};

std::vector<std::string> GatherTexts(const std::string& text)
{
    Texts texts(Gather({text.size()}));
    MPI_Gatherv(text.data(), int(text.size()), MPI_CHAR, texts.all.data(), texts.counts.data(), texts.offsets.data(), MPI_CHAR, 0,
                MPI_COMM_WORLD);
    return texts.split();
}

std::vector<std::string> AllGatherTexts(const std::string& text)
{
    Texts texts(AllGather(text.size()));
    MPI_Allgatherv(text.data(), int(text.size()), MPI_CHAR, texts.all.data(), texts.counts.data(), texts.offsets.data(), MPI_CHAR,
                   MPI_COMM_WORLD);
    return texts.split();
}

std::size_t RoundBytes()
{
    // What one process receives in a round stays below what MPI counts in an int.
    return std::min<std::size_t>(Piece, (std::size_t(1) << 30) / std::size_t(Count()));
}

void Exchange(std::vector<std::string>& outgoing, const std::function<void(std::string_view bytes)>& received)
{
    const std::size_t count = std::size_t(Count());
    std::vector<int> sendCounts(count), sendOffsets(count), receiveCounts(count), receiveOffsets(count);
    std::string sent;
    for (std::size_t r = 0; r < count; ++r) {
        sendCounts[r] = int(outgoing[r].size());
        sendOffsets[r] = int(sent.size());
        sent += outgoing[r];
        outgoing[r].clear();
    }
    MPI_Alltoall(sendCounts.data(), 1, MPI_INT, receiveCounts.data(), 1, MPI_INT, MPI_COMM_WORLD);
    std::size_t total = 0;
    for (std::size_t r = 0; r < count; ++r) {
        receiveOffsets[r] = int(total);
        total += std::size_t(receiveCounts[r]);
    }
    std::string got(total, '\0');
    MPI_Alltoallv(sent.data(), sendCounts.data(), sendOffsets.data(), MPI_CHAR, got.data(), receiveCounts.data(), receiveOffsets.data(),
                  MPI_CHAR, MPI_COMM_WORLD);
    for (std::size_t r = 0; r < count; ++r)
        received(std::string_view(got).substr(std::size_t(receiveOffsets[r]), std::size_t(receiveCounts[r])));
}

int Broadcast(int value)
{
    MPI_Bcast(&value, 1, MPI_INT, 0, MPI_COMM_WORLD);
    return value;
}

void GatherFiles(std::FILE* file, const std::function<void(std::string_view piece)>& each)
{
    std::string buffer(Piece, '\0');
    std::rewind(file);
    const auto read = [&] { return std::fread(buffer.data(), 1, buffer.size(), file); };
    if (Rank() != 0) {
        // Pieces until an empty one.
        for (std::size_t got = 1; got;) {
            got = read();
            MPI_Send(buffer.data(), int(got), MPI_CHAR, 0, FileTag, MPI_COMM_WORLD);
        }
        return;
    }
    for (std::size_t got; (got = read());)
        each(std::string_view(buffer.data(), got));
    for (int from = 1; from < Count(); ++from)
        for (;;) {
            MPI_Status status;
            MPI_Recv(buffer.data(), int(buffer.size()), MPI_CHAR, from, FileTag, MPI_COMM_WORLD, &status);
            int got = 0;
            MPI_Get_count(&status, MPI_CHAR, &got);
            if (got == 0)
                break;
            each(std::string_view(buffer.data(), std::size_t(got)));
        }
}

} // namespace ranks
