// The one counts-to-volts rule of analog input.
//
// A range byte's bits 0-2 are the range code: bit 0 selects bipolar coding,
// bit 1 clear doubles the span, bit 2 clear multiplies it by five
// (0: 0..10 V, 1: +-10 V, 2: 0..5 V, 3: +-5 V, 4: 0..2 V, 5: +-2 V,
// 6: 0..1 V, 7: +-1 V).  For a mean count C: V = C / 65536, then 2V - 1 when
// bipolar, x2 when bit 1 is clear, x5 when bit 2 is clear.
//
// Every conversion of the library goes through CountsToVolts.  It takes the
// sum of `conversions` counts and works on the sum: the bipolar offset, the
// doubling and the factor five are exact in double arithmetic, so the only
// rounding is the final division by the number of conversions.
#pragma once

#include <cstdint>

namespace mirbax {

inline double CountsToVolts(double countSum, uint32_t conversions, uint8_t rangeByte) {
  double ct = countSum;
  if (rangeByte & 0x01) ct = 2.0 * ct - double(conversions) * 65536.0;
  if (!(rangeByte & 0x02)) ct = 2.0 * ct;
  if (!(rangeByte & 0x04)) ct = 5.0 * ct;
  // Scaling by 2^-16 is exact; the division by the count is the one rounding.
  const double volts = ct * (1.0 / 65536.0);
  return conversions == 1 ? volts : volts / double(conversions);
}

// The same rule folded for one range byte and number of conversions, for
// converting long runs: ct = Factor x sum + Offset, both integers, so the
// result equals CountsToVolts bit for bit.
struct TVoltsScale {
  double Factor = 1;
  double Offset = 0;
  uint32_t Conversions = 1;

  TVoltsScale(uint8_t rangeByte, uint32_t conversions) : Conversions(conversions) {
    if (rangeByte & 0x01) {
      Factor = 2;
      Offset = -double(conversions) * 65536.0;
    }
    const double span = ((rangeByte & 0x02) ? 1.0 : 2.0) * ((rangeByte & 0x04) ? 1.0 : 5.0);
    Factor *= span;
    Offset *= span;
  }
  double operator()(double countSum) const {
    const double volts = (Factor * countSum + Offset) * (1.0 / 65536.0);
    return Conversions == 1 ? volts : volts / double(Conversions);
  }
};

// The range byte that reads like the immediate inputs: 0 to 5 V.
inline constexpr uint8_t kImmediateRangeByte = 2;

}  // namespace mirbax
