// libFuzzer target: the index.dat reader and one wipe pass on any bytes.
// Besides the sanitizers' checks it traps on broken promises: a row with an
// empty address or a byte 0 in it, rows longer together than the file, a
// walk that reads more than 40 times the file's size, a progress position
// that falls or leaves 0..100, and a write outside [33, min(S, length)),
// longer than 4096, or over a byte the same pass wrote already.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/IndexDat.h"

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
        total += address.size();
    }
    uint64_t total = 0;
};

// Counts the bytes read: the walk's work, whatever the clock says.
class CountedReads final : public IndexDatBytes {
public:
    explicit CountedReads(std::vector<uint8_t>& bytes) : file_(bytes) {}
    uint64_t Length() const override { return file_.Length(); }
    size_t ReadAt(uint64_t o, void* d, size_t n) override {
        const size_t got = file_.ReadAt(o, d, n);
        read += got;
        return got;
    }
    uint64_t read = 0;

private:
    IndexDatMemory file_;
};

class CheckedWrites final : public IndexDatWritableBytes {
public:
    CheckedWrites(std::vector<uint8_t>& bytes, int64_t recordedSize)
        : file_(bytes), limit_(std::min<int64_t>(recordedSize, static_cast<int64_t>(bytes.size()))),
          written_(bytes.size(), 0) {}
    uint64_t Length() const override { return file_.Length(); }
    size_t ReadAt(uint64_t o, void* d, size_t n) override { return file_.ReadAt(o, d, n); }
    bool WriteAt(uint64_t o, const void* s, size_t n) override {
        if (n == 0 || n > 4096 || o < 33 || static_cast<int64_t>(o + n) > limit_) std::abort();
        for (size_t i = o; i < o + n; ++i)
            if (written_[i]++) std::abort();
        return file_.WriteAt(o, s, n);
    }
    void NewPass() { std::fill(written_.begin(), written_.end(), 0); }

private:
    IndexDatMemory file_;
    int64_t limit_;
    std::vector<uint8_t> written_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    {
        CountedReads file(bytes);
        CheckedProgress progress;
        CheckedRows rows;
        WalkIndexDat(file, progress, rows);
        if (progress.Position() != 100) std::abort();
        // Every entry costs its own fields and one 256-byte read past its
        // address at most, and no byte is scanned for an address twice.
        if (rows.total > size || file.read > 40 * uint64_t{size} + 64) std::abort();
    }
    if (size >= 36) {
        int32_t recorded;
        std::memcpy(&recorded, data + 28, 4);
        CheckedWrites file(bytes, recorded);
        // Three passes: later ones read what the earlier ones wrote.
        for (uint8_t filler : {0xA5, 0x5A, 0x00}) {
            file.NewPass();
            if (!WipeIndexDatPass(file, filler)) std::abort();
        }
        if (bytes.size() != size) std::abort();
    }
    return 0;
}
