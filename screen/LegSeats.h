#pragma once
// The seats of a leg's equipment, which the planning tools measure the
// ranges against.
#include <optional>
#include <string>

namespace screen_tools {

// EQUIPAMENTO.QTASSENTOS of the equipment, read on the host's general
// database; nullopt for an equipment without seats stored, an unknown one
// or a blank code. Throws as the general database's queries do.
std::optional<int> EquipmentSeats(const std::string& equipment);

}  // namespace screen_tools
