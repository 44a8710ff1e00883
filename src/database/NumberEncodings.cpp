// The six-byte real and the ten-byte extended number encodings, by hand and portable.
#include "database/NumberEncodings.h"

#include "database/Bytes.h"

#include <cmath>
#include <limits>

namespace orlaventis {

double DecodeReal48(std::span<const uint8_t, 6> b) {
  if (b[0] == 0) return 0.0;
  uint64_t frac = 0;
  for (int i = 1; i <= 4; ++i) frac |= static_cast<uint64_t>(b[i]) << (8 * (i - 1));
  frac |= static_cast<uint64_t>(b[5] & 0x7F) << 32;
  const double m = 1.0 + std::ldexp(static_cast<double>(frac), -39);
  const double v = std::ldexp(m, b[0] - 129);
  return (b[5] & 0x80) ? -v : v;
}

std::optional<std::array<uint8_t, 6>> EncodeReal48(double v) {
  std::array<uint8_t, 6> out{};
  if (!std::isfinite(v)) return std::nullopt;
  if (v == 0.0) return out;
  int e = 0;
  const double m = std::frexp(std::fabs(v), &e);  // |v| = m * 2^e, m in [0.5, 1)
  int exponent = e + 128;
  uint64_t frac = static_cast<uint64_t>(std::llround(std::ldexp(2.0 * m - 1.0, 39)));
  if (frac >> 39) {
    frac = 0;
    ++exponent;
  }
  if (exponent > 255) return std::nullopt;
  if (exponent < 1) return out;  // below the smallest 6-byte real
  out[0] = static_cast<uint8_t>(exponent);
  for (int i = 1; i <= 4; ++i) out[i] = static_cast<uint8_t>(frac >> (8 * (i - 1)));
  out[5] = static_cast<uint8_t>((frac >> 32) & 0x7F) | (v < 0 ? 0x80 : 0);
  return out;
}

double DecodeExtended(std::span<const uint8_t, 10> b) {
  const uint64_t mant = LoadLE<uint64_t>(b.data());
  const uint16_t se = LoadLE<uint16_t>(b.data() + 8);
  const bool negative = (se & 0x8000) != 0;
  const int exp = se & 0x7FFF;
  double v;
  if (exp == 0x7FFF)
    v = (mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                         : std::numeric_limits<double>::quiet_NaN();
  else
    v = std::ldexp(static_cast<double>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
  return negative ? -v : v;
}

std::array<uint8_t, 10> EncodeExtended(double v) {
  std::array<uint8_t, 10> out{};
  uint64_t mant = 0;
  uint16_t se = std::signbit(v) ? 0x8000 : 0;
  if (std::isnan(v)) {
    mant = 0xC000000000000000ull;
    se |= 0x7FFF;
  } else if (std::isinf(v)) {
    mant = 0x8000000000000000ull;
    se |= 0x7FFF;
  } else if (v != 0.0) {
    int e = 0;
    const double m = std::frexp(std::fabs(v), &e);
    mant = static_cast<uint64_t>(std::ldexp(m, 64));  // exact: 53 significant bits
    se |= static_cast<uint16_t>(e - 1 + 16383);
  }
  StoreLE(out.data(), mant);
  StoreLE(out.data() + 8, se);
  return out;
}

}  // namespace orlaventis
