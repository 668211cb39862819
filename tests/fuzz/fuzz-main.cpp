// One libFuzzer binary per entry; PONDERIX_FUZZ_ENTRY names the entry this binary runs.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz-entries.h"

namespace {
const fuzzentries::Entry* entry = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    entry = fuzzentries::FindEntry(PONDERIX_FUZZ_ENTRY);
    if (entry == nullptr) {
        std::fprintf(stderr, "no fuzz entry named %s\n", PONDERIX_FUZZ_ENTRY);
        std::abort();
    }
    fuzzentries::PrepareQuietAppData();
    return 0;
}

// No exception is caught here: an escaping one terminates at its throw site, which is the stack to report.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    entry->run(fuzzentries::Bytes(data, size));
    return 0;
}
