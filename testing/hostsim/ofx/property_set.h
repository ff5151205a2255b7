// A property set as a strict host keeps it: every property it knows has a
// name, a type, a dimension (fixed, or variable) and a writer. A plug-in that
// asks for a name the set does not know, asks with the wrong type or an index
// past the dimension, or sets what only the host may set, is refused with the
// status real hosts give, and the refusal goes into the complaint log:
//
//   unknown name, wrong type         kOfxStatErrUnknown (a host looks the
//                                    property up by name and type together)
//   index or count out of range      kOfxStatErrBadIndex
//   a property only the host writes  kOfxStatErrValue
//   a null name or value pointer     kOfxStatErrValue
//
// The host itself sets and reads through the plain member functions, which
// abort on a name the set does not know: that is a fault of the simulator or
// of a test, not of the plug-in.
#pragma once

#include <cstddef>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ofx/api/ofx_core.h"
#include "testing/hostsim/ofx/complaints.h"
#include "testing/hostsim/ofx/handle.h"

namespace hostsim::ofx {

enum class PropertyType { kInt, kDouble, kString, kPointer };
enum class Writer { kHost, kPlugin };

inline constexpr int kVariableDimension = 0;

// One row of a property table. The default applies to every element of a
// fixed dimension; a property of variable dimension starts empty.
struct PropertyRow {
  const char* name;
  PropertyType type;
  int dimension;
  Writer writer;
  const char* default_value;
};

// What a property set belongs to, for the suites that reach an object
// through the set's handle.
enum class PropertySetOwner { kNone, kHost, kImage };

class PropertySet {
 public:
  PropertySet(std::string label, ComplaintLog& log, std::span<const PropertyRow> rows = {});
  // A copy of `other`'s properties and values under a new label.
  PropertySet(std::string label, const PropertySet& other);
  PropertySet(const PropertySet&) = delete;
  PropertySet& operator=(const PropertySet&) = delete;

  OfxPropertySetHandle handle() { return handle_.As<OfxPropertySetHandle>(); }
  static PropertySet* Find(OfxPropertySetHandle handle) { return Handle::Find(handle); }

  const std::string& label() const { return label_; }
  ComplaintLog& log() const { return *log_; }
  void SetOwner(PropertySetOwner kind, void* owner) {
    owner_kind_ = kind;
    owner_ = owner;
  }
  PropertySetOwner owner_kind() const { return owner_kind_; }
  void* owner() const { return owner_; }

  // Adds properties; a name already present is replaced.
  void Add(std::span<const PropertyRow> rows);
  // Reads that miss this set are answered from `fallback`, as an instance
  // answers for its descriptor.
  void Chain(const PropertySet* fallback) { fallback_ = fallback; }
  // Every property becomes the host's to write, e.g. a descriptor's values
  // copied into an instance.
  void MakeReadOnly();
  void MakeWritable(std::string_view name);

  // --- The host's side ------------------------------------------------------
  bool Has(std::string_view name) const;
  std::vector<std::string> Names() const;
  PropertyType TypeOf(std::string_view name) const;
  int Dimension(std::string_view name) const;
  void SetInt(std::string_view name, int value, int index = 0);
  void SetDouble(std::string_view name, double value, int index = 0);
  void SetString(std::string_view name, std::string value, int index = 0);
  void SetPointer(std::string_view name, void* value, int index = 0);
  void SetInts(std::string_view name, std::vector<int> values);
  void SetDoubles(std::string_view name, std::vector<double> values);
  void SetStrings(std::string_view name, std::vector<std::string> values);
  int Int(std::string_view name, int index = 0) const;
  double Double(std::string_view name, int index = 0) const;
  std::string String(std::string_view name, int index = 0) const;
  void* Pointer(std::string_view name, int index = 0) const;
  std::vector<int> Ints(std::string_view name) const;
  std::vector<double> Doubles(std::string_view name) const;
  std::vector<std::string> Strings(std::string_view name) const;
  // Every value as text, e.g. `OfxImagePropBounds = 0, 0, 16, 9`, one line a
  // property in name order, for reports.
  std::vector<std::string> Describe() const;

  // --- The plug-in's side, through the property suite ------------------------
  // `function` names the suite function in complaints.
  OfxStatus PluginSetInt(const char* function, const char* name, int index, int value);
  OfxStatus PluginSetDouble(const char* function, const char* name, int index, double value);
  OfxStatus PluginSetString(const char* function, const char* name, int index, const char* value);
  OfxStatus PluginSetPointer(const char* function, const char* name, int index, void* value);
  OfxStatus PluginSetIntN(const char* function, const char* name, int count, const int* values);
  OfxStatus PluginSetDoubleN(const char* function, const char* name, int count,
                             const double* values);
  OfxStatus PluginSetStringN(const char* function, const char* name, int count,
                             const char* const* values);
  OfxStatus PluginSetPointerN(const char* function, const char* name, int count,
                              void* const* values);
  OfxStatus PluginGetInt(const char* function, const char* name, int index, int* value) const;
  OfxStatus PluginGetDouble(const char* function, const char* name, int index, double* value) const;
  OfxStatus PluginGetString(const char* function, const char* name, int index, char** value) const;
  OfxStatus PluginGetPointer(const char* function, const char* name, int index, void** value) const;
  OfxStatus PluginGetIntN(const char* function, const char* name, int count, int* values) const;
  OfxStatus PluginGetDoubleN(const char* function, const char* name, int count,
                             double* values) const;
  OfxStatus PluginGetStringN(const char* function, const char* name, int count,
                             char** values) const;
  OfxStatus PluginGetPointerN(const char* function, const char* name, int count,
                              void** values) const;
  OfxStatus PluginReset(const char* function, const char* name);
  OfxStatus PluginGetDimension(const char* function, const char* name, int* count) const;

 private:
  using Handle = HandleOf<kPropertySetTag, PropertySet>;
  using Values = std::variant<std::vector<int>, std::vector<double>, std::vector<std::string>,
                              std::vector<void*>>;
  struct Property {
    std::string name;
    PropertyType type;
    int dimension;
    Writer writer;
    Values values;
    Values defaults;
  };

  const Property* Lookup(std::string_view name) const;
  Property* LookupOwn(std::string_view name);
  const Property& HostLookup(std::string_view name) const;
  Property& HostLookupOwn(std::string_view name);
  OfxStatus Refuse(const char* function, const char* name, const std::string& detail,
                   OfxStatus status) const;
  template <typename T>
  OfxStatus PluginSet(const char* function, const char* name, int index, T value);
  template <typename T>
  OfxStatus PluginSetN(const char* function, const char* name, int count, const T* values);
  template <typename T, typename Out>
  OfxStatus PluginGet(const char* function, const char* name, int index, Out* value) const;
  template <typename T, typename Out>
  OfxStatus PluginGetN(const char* function, const char* name, int count, Out* values) const;
  template <typename T>
  OfxStatus CheckPluginAccess(const char* function, const char* name, const Property* property,
                              const void* pointer) const;

  Handle handle_{this};
  std::string label_;
  ComplaintLog* log_;
  PropertySetOwner owner_kind_ = PropertySetOwner::kNone;
  void* owner_ = nullptr;
  const PropertySet* fallback_ = nullptr;
  // Plug-in threads read while the host may write (parameter changes between
  // renders, image properties being built): a host keeps its sets behind a
  // lock.
  mutable std::shared_mutex mutex_;
  std::vector<Property> properties_;
};

std::string_view TypeName(PropertyType type);

}  // namespace hostsim::ofx
