// Little-endian loads and stores shared by the readers and writers of the data formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace orlaventis {

// Reads a T stored little-endian at `p`; the caller guarantees sizeof(T) readable bytes.
template <typename T>
T LoadLE(const uint8_t* p) {
  if constexpr (std::is_floating_point_v<T>) {
    using U = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
    const U bits = LoadLE<U>(p);
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  } else {
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(static_cast<U>(p[i]) << (8 * i));
    return static_cast<T>(u);
  }
}

// Writes `v` little-endian at `p`; the caller guarantees sizeof(T) writable bytes.
template <typename T>
void StoreLE(uint8_t* p, T v) {
  if constexpr (std::is_floating_point_v<T>) {
    using U = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
    U bits;
    std::memcpy(&bits, &v, sizeof v);
    StoreLE<U>(p, bits);
  } else {
    using U = std::make_unsigned_t<T>;
    const U u = static_cast<U>(v);
    for (size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
  }
}

}  // namespace orlaventis
