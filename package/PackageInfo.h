#pragma once
// What a screen module tells its host about itself through
// GetPackageInfoTable: its name and the units it contains, in start-up
// order. Plain C layout, so that any host can read it.
extern "C" {

struct PackageUnitInfo {
  const char* name;
  unsigned flags;  // kUnitMain for the module's own unit, 0 for screen units
};

struct PackageInfoTable {
  const char* name;
  const char* description;
  int unitCount;
  const PackageUnitInfo* units;
};

enum : unsigned { kUnitMain = 1 };

// The exports of a screen module, as the host looks them up.
using PackageEntry = void (*)();
using PackageInfoEntry = const PackageInfoTable* (*)();

// One text of a language resource module: AteResourceTable returns them,
// ended by an entry with a null key.
struct AteResource {
  const char* key;
  const char* text;
};
using AteResourceEntry = const AteResource* (*)();
}
