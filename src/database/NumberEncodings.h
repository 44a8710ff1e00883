// The six-byte real and the ten-byte extended number encodings, by hand and portable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace orlaventis {

double DecodeReal48(std::span<const uint8_t, 6> bytes);
// nullopt when the magnitude does not fit (about 1.7e38); tiny values become 0.
std::optional<std::array<uint8_t, 6>> EncodeReal48(double v);
double DecodeExtended(std::span<const uint8_t, 10> bytes);
std::array<uint8_t, 10> EncodeExtended(double v);

}  // namespace orlaventis
