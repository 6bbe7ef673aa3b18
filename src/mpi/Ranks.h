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
bool AnyOf(bool value);
// Each process's values (as many at each), in rank order, at rank 0 (empty elsewhere).
std::vector<std::uint64_t> Gather(const std::vector<std::uint64_t>& values);
std::vector<std::string> GatherTexts(const std::string& text);
int Broadcast(int value);
// The bytes of each process's file from its start, rank by rank, handed to each at rank 0 in
// pieces; the files are read to their ends.
void GatherFiles(std::FILE* file, const std::function<void(std::string_view piece)>& each);

} // namespace ranks
