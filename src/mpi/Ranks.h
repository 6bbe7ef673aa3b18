#pragma once
// What the processes of an MPI run tell each other, on the world communicator: every call is
// made by every process, in the same order.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ranks {

int Rank();
int Count();
// Each process's value, in rank order, at every process.
std::vector<std::uint64_t> AllGather(std::uint64_t value);
// The largest of each element over the processes, at every process.
void AllMax(std::vector<std::uint64_t>& values);
// The sum of each element over the processes, at every process.
void AllSum(std::vector<std::uint64_t>& values);
// The smallest of each element over the processes, at every process, however many there are.
void AllMin(std::vector<std::uint32_t>& values);
bool AnyOf(bool value);
// Each process's values (as many at each), in rank order, at rank 0 (empty elsewhere).
std::vector<std::uint64_t> Gather(const std::vector<std::uint64_t>& values);
std::vector<std::string> GatherTexts(const std::string& text);
// Each process's text, in rank order, at every process.
std::vector<std::string> AllGatherTexts(const std::string& text);
// outgoing[r] sent to process r (and emptied); the bytes each process sent this one handed to
// received, in rank order. Each process's outgoing should stay below RoundBytes() in all.
void Exchange(std::vector<std::string>& outgoing, const std::function<void(std::string_view bytes)>& received);
std::size_t RoundBytes();
int Broadcast(int value);
// The bytes of each process's file from its start, rank by rank, handed to each at rank 0 in
// pieces; the files are read to their ends.
void GatherFiles(std::FILE* file, const std::function<void(std::string_view piece)>& each);

} // namespace ranks
