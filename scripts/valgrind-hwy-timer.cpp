// Preloaded into test processes under valgrind. libhwy (loaded with
// FFmpeg's codecs) measures its timer at load time with RDTSCP when the
// processor model says it has one; valgrind's model says so on processors
// that lack the instruction, and valgrind then stops the process with an
// illegal instruction. This definition takes the place of that
// measurement, which nothing in the tests uses.
#include <cstdint>

namespace hwy::platform {

uint64_t TimerResolution() { return 1; }

}  // namespace hwy::platform
