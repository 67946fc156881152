// Damage to saved settings records, the same for every campaign that feeds them to a reader:
// flipped and replaced bytes, cuts, additions, repeated runs, and lengths made zero or huge.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/fuzz/campaign.h"

namespace selvane::fuzz {

// One to four pieces of damage to the bytes of a record.
void Damage(Random& random, std::vector<std::uint8_t>& bytes);

// The payload's length and checksum made right for what the payload now holds, so that the
// damage reaches the entries.
void MendChecksum(std::vector<std::uint8_t>& bytes);

}  // namespace selvane::fuzz
