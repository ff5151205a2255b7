// The properties of every object a plug-in sees, as the OpenFX property
// reference lists them per object, with the types, dimensions and writers
// real hosts give them. One table per kind of object; the parameter tables
// are assembled per parameter type.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "hostsim/ofx/property_set.h"

namespace hostsim::ofx {

std::span<const PropertySpec> HostProperties();
std::span<const PropertySpec> EffectDescriptorProperties();
std::span<const PropertySpec> EffectInstanceProperties();
std::span<const PropertySpec> ClipDescriptorProperties();
std::span<const PropertySpec> ClipInstanceProperties();
std::span<const PropertySpec> ImageProperties();
std::span<const PropertySpec> ParamSetProperties();

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
std::vector<PropertySpec> ParamDescriptorProperties(const ParamType& type);
// The properties of a parameter instance that a plug-in may still change.
std::span<const char* const> ParamInstanceWritableProperties();

// The arguments of the actions that take any.
std::span<const PropertySpec> DescribeInContextArguments();
std::span<const PropertySpec> SequenceRenderArguments();
std::span<const PropertySpec> RenderArguments();
std::span<const PropertySpec> RegionOfDefinitionArguments();
std::span<const PropertySpec> RegionOfDefinitionResults();
std::span<const PropertySpec> RegionsOfInterestArguments();
std::span<const PropertySpec> IsIdentityArguments();
std::span<const PropertySpec> IsIdentityResults();
std::span<const PropertySpec> ClipPreferencesResults();

}  // namespace hostsim::ofx
