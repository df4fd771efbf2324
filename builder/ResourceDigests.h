// The installer's digest resource (id 117): for each named resource, the SHA-256 of every slice of
// its exact bytes, which host/SelfCheck checks on all cores at once.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// "ORVODIG1", the record count, the slice size (1 MiB); per resource its id, its size and the
// SHA-256 of each slice (a resource of 0 bytes has one, empty). Little-endian. Empty when SHA-256
// is not available.
std::vector<uint8_t> resourceDigests(const std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>>& resources);
