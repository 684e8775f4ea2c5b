// libFuzzer target: the index.dat reader and one wipe pass on any bytes.
// Besides the sanitizers' checks it traps on broken promises: a row with an
// empty address or a byte 0 in it, a progress position that falls or leaves
// 0..100, and a write outside [33, min(S, length)) or longer than 4096.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ie/IndexDat.h"

namespace {

using namespace klarvex;

class CheckedProgress final : public IndexDatProgress {
public:
    int Position() const override { return position_; }
    void SetPosition(int percent) override {
        if (percent < position_ || percent > 100) std::abort();
        position_ = percent;
    }
    void PumpOneMessage() override { ++pumps_; }

private:
    int position_ = 0;
    uint64_t pumps_ = 0;
};

class CheckedRows final : public IndexDatRowSink {
public:
    void OnRow(std::string_view address, uint64_t) override {
        if (address.empty() || address.find('\0') != std::string_view::npos) std::abort();
    }
};

class CheckedWrites final : public IndexDatWritableBytes {
public:
    CheckedWrites(std::vector<uint8_t>& bytes, int64_t recordedSize)
        : file_(bytes), limit_(std::min<int64_t>(recordedSize, static_cast<int64_t>(bytes.size()))) {}
    uint64_t Length() const override { return file_.Length(); }
    size_t ReadAt(uint64_t o, void* d, size_t n) override { return file_.ReadAt(o, d, n); }
    bool WriteAt(uint64_t o, const void* s, size_t n) override {
        if (n == 0 || n > 4096 || o < 33 || static_cast<int64_t>(o + n) > limit_) std::abort();
        return file_.WriteAt(o, s, n);
    }

private:
    IndexDatMemory file_;
    int64_t limit_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    {
        IndexDatMemory file(bytes);
        CheckedProgress progress;
        CheckedRows rows;
        WalkIndexDat(file, progress, rows);
        if (progress.Position() != 100) std::abort();
    }
    if (size >= 36) {
        int32_t recorded;
        std::memcpy(&recorded, data + 28, 4);
        CheckedWrites file(bytes, recorded);
        // Three passes: later ones read what the earlier ones wrote.
        for (uint8_t filler : {0xA5, 0x5A, 0x00})
            if (!WipeIndexDatPass(file, filler)) std::abort();
        if (bytes.size() != size) std::abort();
    }
    return 0;
}
