#pragma once

namespace meru {

class Pda;

// ComputeCalibrationRecords results.
constexpr int kCalibrationAdded = 1;
constexpr int kCalibrationInputsMissing = 0;
constexpr int kCalibrationUnknownDomain = -1;

// Derives the set point record 0x0300 and the integrator record 0x0301 from
// the calibration tables 0x0900 and 0x0901 and the domain in record 0x0103,
// and adds them to the PDA (replacing earlier ones). Nothing is added unless
// every input is present and the domain is known.
int ComputeCalibrationRecords(Pda& pda);

}  // namespace meru
