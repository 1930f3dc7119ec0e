// A 32-bit value that one thread writes while another reads it.
#pragma once

#include <atomic>
#include <cstdint>

namespace disctrove {

// Reads and writes are atomic, so a worker and the user-interface thread may share the value
// without a data race. Unlike std::atomic it can be copied (the copy takes the current value),
// so the records that hold it stay plain values.
class SharedInt {
  public:
    SharedInt(int32_t value = 0) : value_(value) {}  // NOLINT: used like the int it stands for
    SharedInt(const SharedInt& other) : value_(other.load()) {}
    SharedInt& operator=(const SharedInt& other) {
        store(other.load());
        return *this;
    }
    SharedInt& operator=(int32_t value) {
        store(value);
        return *this;
    }
    operator int32_t() const { return load(); }  // NOLINT: reads like the int it stands for

    int32_t load() const { return value_.load(); }
    void store(int32_t value) { value_.store(value); }

  private:
    std::atomic<int32_t> value_;
};

}  // namespace disctrove
