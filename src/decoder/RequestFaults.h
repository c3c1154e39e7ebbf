#pragma once

#include <optional>
#include <string>

namespace vistrel {

// Faults a test build's helper acts out on request, so that tests can prove the wall
// holds and the viewer survives what a hostile file could make a decoder do. Armed only
// in builds with tests and only while $VISTREL_DECODER_FAULTS is set; a file whose name
// holds "fault-<what>" then makes the helper, instead of decoding it:
//   crash     die by SIGSEGV, as a decoder writing past its buffer would
//   open      try to open a file by its name
//   connect   try to reach the network
//   spawn     try to start a process
//   allocate  allocate without end
//   spin      loop without end
//   garbage   answer bytes that are no answer
//   oversize  answer pixels larger than the memory it sends
// Every other build compiles none of it.
namespace RequestFaults {

// What the helper did instead of decoding, as the request's failure; nullopt when the
// file names no fault (or the build has none).
std::optional<std::string> actOn(const std::string& path);
// Writes a wrong answer to `reply` when the file names one; false otherwise.
bool answerWrongly(const std::string& path, int reply);

} // namespace RequestFaults

} // namespace vistrel
