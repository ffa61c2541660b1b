// The module's exports: the package start-up and shut-down that run the
// units' initialization and finalization, and the package information.
#include "package/PackageInfo.h"
#include "screen/Cli_ate11600.h"

namespace {

const PackageUnitInfo kUnits[] = {
    {"Pkg_ate11600", kUnitMain},
    {"Cli_ate11600", 0},
};

const PackageInfoTable kInfo = {
    "Pkg_ate11600",
    "Proporção de Serviço por Passageiro",
    static_cast<int>(sizeof kUnits / sizeof kUnits[0]),
    kUnits,
};

}  // namespace

extern "C" {

// Units start in the order they are listed and finish in reverse.
void Initialize() { Cli_ate11600_Initialization(); }

void Finalize() { Cli_ate11600_Finalization(); }

const PackageInfoTable* GetPackageInfoTable() { return &kInfo; }
}
