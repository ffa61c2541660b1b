#pragma once
// What the planning tools measure a leg's ranges against: the seats of its
// equipment, or, without them, how far its services' ranges reach.
#include <optional>
#include <string>

#include "screen/PlanningContext.h"

namespace screen_tools {

// EQUIPAMENTO.QTASSENTOS of the equipment, read on the host's general
// database; nullopt for an equipment without seats stored, an unknown one
// or a blank code. Throws as the general database's queries do.
std::optional<int> EquipmentSeats(const std::string& equipment);

// The lowest of the highest upper bounds of the leg's services (a service
// being a service, class and cycle with ranges), read on the general
// database: every service has ranges at least that far. nullopt when the
// leg has no ranges.
std::optional<int> LowestTopBound(const PlanningContext& context);

}  // namespace screen_tools
