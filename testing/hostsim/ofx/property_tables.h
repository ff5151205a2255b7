// The properties of every object a plug-in sees, as the OpenFX property
// reference lists them per object, with the types, dimensions and writers
// real hosts give them. One table per kind of object; the parameter tables
// are assembled per parameter type.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

std::span<const PropertyRow> HostProperties();
std::span<const PropertyRow> EffectDescriptorProperties();
std::span<const PropertyRow> EffectInstanceProperties();
std::span<const PropertyRow> ClipDescriptorProperties();
std::span<const PropertyRow> ClipInstanceProperties();
std::span<const PropertyRow> ImageProperties();
std::span<const PropertyRow> ParamSetProperties();

// What a parameter of a type holds: the kind and number of its value's parts.
enum class ParamValueKind { kNone, kInt, kDouble, kString };
struct ParamType {
  const char* name;
  ParamValueKind kind;
  int dimension;
  bool animates;
};
// Null for a type the host does not know.
const ParamType* FindParamType(std::string_view name);
std::vector<PropertyRow> ParamDescriptorProperties(const ParamType& type);
// The properties of a parameter instance that a plug-in may still change.
std::span<const char* const> ParamInstanceWritableProperties();

// The arguments of the actions that take any.
std::span<const PropertyRow> DescribeInContextArguments();
std::span<const PropertyRow> SequenceRenderArguments();
std::span<const PropertyRow> RenderArguments();
std::span<const PropertyRow> RegionOfDefinitionArguments();
std::span<const PropertyRow> RegionOfDefinitionResults();
std::span<const PropertyRow> RegionsOfInterestArguments();
std::span<const PropertyRow> IsIdentityArguments();
std::span<const PropertyRow> IsIdentityResults();
std::span<const PropertyRow> ClipPreferencesResults();

}  // namespace hostsim::ofx
