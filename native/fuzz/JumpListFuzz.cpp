// libFuzzer target: the jump list reader's byte-level half on any bytes,
// taken both as a compound file and as a DestList stream. Besides the
// sanitizers' checks (and libFuzzer's timeout, which catches a check that
// loops) it traps on broken promises: a parsed DestList whose entries leave
// the stream or overlap, a pinned-only stream that does not parse back to
// exactly the pinned entries, and a stream name that does not give back
// its entry's number.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "formats/JumpList.h"

namespace {

using namespace klarvex;

void Check(bool promise) {
    if (!promise) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CompoundFileIsSound(bytes);
    const auto list = ParseDestList(bytes);
    if (!list) return 0;
    size_t end = size == 0 ? 0 : 32;  // a stream of no bytes is a list of no entries
    size_t pinned = 0;
    for (const auto& entry : list->entries) {
        Check(entry.offset == end && entry.size <= size - end);
        end += entry.size;
        pinned += entry.pinned;
        Check(EntryNumberOfStream(EntryStreamName(entry.number)) == entry.number);
    }
    Check(end == size);
    const std::string kept = PinnedOnlyDestList(bytes, *list);
    const auto again = ParseDestList(kept);
    Check(again && again->entries.size() == pinned);
    for (const auto& entry : again->entries) Check(entry.pinned);
    return 0;
}
