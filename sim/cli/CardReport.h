#pragma once

#include <string>

#include "sim/CardState.h"

namespace sim {

// Human-readable views of a card for the command-line tool.

// Layout, identities as the card reports them, production data, records,
// session, faults and flash use.
std::string DescribeCard(const CardState& card);
// One line per OID that was used: name, requests, failures, bytes.
std::string DescribeCounters(const CardState& card);
// The request's name ("OID_CARD_DOWNLOAD"), or its number.
std::string OidName(uint32_t oid);
// Rows of 16 bytes: address, hexadecimal bytes.
std::string HexDump(uint32_t address, const std::vector<uint8_t>& bytes);

}  // namespace sim
