#pragma once

#include "PdaRecords.h"

namespace sim {

// The set point (0x0300) and integrator (0x0301) records a station image is
// plugged with, derived from the calibration tables 0x0900 and 0x0901 by
// the card's domain (record 0x0103). 1: both put into `pda`; 0: a table or
// the domain record missing or of the wrong length; -1: unknown domain.
// Nothing is changed unless the result is 1.
int DeriveRadioCalibration(PdaRecords& pda);

}  // namespace sim
