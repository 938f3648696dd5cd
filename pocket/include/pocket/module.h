// A program's resources as the resource compiler embeds them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace pk {

// A resource type or name: a number, or an upper-case name when `name` is set.
struct ResourceId {
  uint16_t number;
  const char* name;
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  const unsigned char* data;
  uint32_t size;
};

struct ModuleImage {
  const char* name;
  const ResourceEntry* entries;
  size_t count;
};

}  // namespace pk

// Each program links exactly one resource module under this name.
extern const pk::ModuleImage pkProgramModule;
