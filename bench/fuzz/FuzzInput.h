// What the fuzz targets share: a reader that takes the fuzzer's bytes apart into the
// pieces a target needs, and the check that stops the run when a property fails.
#ifndef SKITTERA_BENCH_FUZZ_FUZZINPUT_H
#define SKITTERA_BENCH_FUZZ_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// A property that must hold: libFuzzer takes the abort for a crash and keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// The input as pieces: single bytes, numbers and texts that end at a separator byte, so
// that a seed file stays readable ("name=value\n...").
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // The bytes up to the next `end` (not included) or the end of the input.
    std::string Until(char end) {
        std::string piece;
        while (at_ < size_ && data_[at_] != static_cast<std::uint8_t>(end)) {
            piece += static_cast<char>(data_[at_++]);
        }
        if (at_ < size_) {
            ++at_;
        }
        return piece;
    }
    // A number made of the next bytes as they lie in memory (zeros past the end).
    template <typename Number> Number Take() {
        unsigned char bytes[sizeof(Number)];
        for (unsigned char& byte : bytes) {
            byte = Byte();
        }
        Number number;
        std::memcpy(&number, bytes, sizeof number);
        return number;
    }
    std::string Rest() {
        std::string piece(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
        at_ = size_;
        return piece;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

#endif
