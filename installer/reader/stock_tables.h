// The game's stock vehicles and upgrade parts, as the mod folder reader
// recognises them. Order and letter case matter: the reader walks
// StockHandlingIds from the first entry, and the index of a StockModelNames
// entry is its vehicle id minus 400.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace wrenfield {

inline constexpr std::size_t kStockHandlingIdCount = 210;
inline constexpr std::size_t kStockModelNameCount = 212;
inline constexpr std::size_t kUpgradePartNameCount = 194;
inline constexpr int kFirstVehicleId = 400;

// The identifiers that begin a vehicle's line in handling.cfg. Two entries end
// in a tab (ROLLER at 161, DODO at 197), which belongs to the entry.
extern const std::array<const char*, kStockHandlingIdCount> StockHandlingIds;

// The model names of the stock vehicles with ids 400 to 611, in id order.
extern const std::array<const char*, kStockModelNameCount> StockModelNames;

// The model names of the upgrade parts; a line holding one is a carmods.dat line.
extern const std::array<const char*, kUpgradePartNameCount> UpgradePartNames;

// The vehicle id of a handling identifier: 400 plus the index of the
// StockModelNames entry equal to its lower-case form, or -1 when it has none.
int VehicleIdOf(const std::string& handlingId);

}  // namespace wrenfield
