#include "testing/hostsim/ofx/property_set.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <type_traits>
#include <utility>

namespace hostsim::ofx {
namespace {

template <typename T>
constexpr PropertyType kTypeOf = PropertyType::kInt;
template <>
constexpr PropertyType kTypeOf<double> = PropertyType::kDouble;
template <>
constexpr PropertyType kTypeOf<std::string> = PropertyType::kString;
template <>
constexpr PropertyType kTypeOf<void*> = PropertyType::kPointer;

[[noreturn]] void HostFault(const std::string& what) {
  std::fprintf(stderr, "simulated OFX host: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string Quoted(const char* text) {
  return text == nullptr ? std::string("null") : "\"" + std::string(text) + "\"";
}

template <typename T>
std::vector<T> Repeated(int count, const T& value) {
  return std::vector<T>(static_cast<std::size_t>(count), value);
}

std::string ValueText(int value) { return std::to_string(value); }
std::string ValueText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}
std::string ValueText(const std::string& value) { return "\"" + value + "\""; }
std::string ValueText(void* value) { return value == nullptr ? "null" : "(pointer)"; }

}  // namespace

std::string_view TypeName(PropertyType type) {
  switch (type) {
    case PropertyType::kInt:
      return "int";
    case PropertyType::kDouble:
      return "double";
    case PropertyType::kString:
      return "string";
    case PropertyType::kPointer:
      return "pointer";
  }
  return "unknown";
}

PropertySet::PropertySet(std::string label, ComplaintLog& log, std::span<const PropertyRow> rows)
    : label_(std::move(label)), log_(&log) {
  Add(rows);
}

PropertySet::PropertySet(std::string label, const PropertySet& other)
    : label_(std::move(label)), log_(other.log_), fallback_(other.fallback_) {
  const std::shared_lock lock(other.mutex_);
  properties_ = other.properties_;
}

void PropertySet::Add(std::span<const PropertyRow> rows) {
  const std::unique_lock lock(mutex_);
  for (const PropertyRow& row : rows) {
    const int count = row.dimension == kVariableDimension ? 0 : row.dimension;
    const std::string text = row.default_value != nullptr ? row.default_value : "";
    Values defaults;
    switch (row.type) {
      case PropertyType::kInt:
        defaults = Repeated(count, static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
        break;
      case PropertyType::kDouble:
        defaults = Repeated(count, std::strtod(text.c_str(), nullptr));
        break;
      case PropertyType::kString:
        defaults = Repeated(count, text);
        break;
      case PropertyType::kPointer:
        defaults = Repeated<void*>(count, nullptr);
        break;
    }
    Property property{row.name, row.type, row.dimension, row.writer, defaults, defaults};
    const auto same = std::find_if(properties_.begin(), properties_.end(),
                                   [&](const Property& p) { return p.name == row.name; });
    if (same != properties_.end()) {
      *same = std::move(property);
    } else {
      properties_.push_back(std::move(property));
    }
  }
}

void PropertySet::MakeReadOnly() {
  const std::unique_lock lock(mutex_);
  for (Property& property : properties_) property.writer = Writer::kHost;
}

void PropertySet::MakeWritable(std::string_view name) {
  const std::unique_lock lock(mutex_);
  HostLookupOwn(name).writer = Writer::kPlugin;
}

const PropertySet::Property* PropertySet::Lookup(std::string_view name) const {
  for (const Property& property : properties_) {
    if (property.name == name) return &property;
  }
  return nullptr;
}

PropertySet::Property* PropertySet::LookupOwn(std::string_view name) {
  for (Property& property : properties_) {
    if (property.name == name) return &property;
  }
  return nullptr;
}

const PropertySet::Property& PropertySet::HostLookup(std::string_view name) const {
  const Property* property = Lookup(name);
  if (property == nullptr) HostFault(label_ + " has no property " + std::string(name));
  return *property;
}

PropertySet::Property& PropertySet::HostLookupOwn(std::string_view name) {
  Property* property = LookupOwn(name);
  if (property == nullptr) HostFault(label_ + " has no property " + std::string(name));
  return *property;
}

// --- The host's side ----------------------------------------------------------

bool PropertySet::Has(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  return Lookup(name) != nullptr || (fallback_ != nullptr && fallback_->Has(name));
}

std::vector<std::string> PropertySet::Names() const {
  const std::shared_lock lock(mutex_);
  std::vector<std::string> names;
  for (const Property& property : properties_) names.push_back(property.name);
  std::sort(names.begin(), names.end());
  return names;
}

PropertyType PropertySet::TypeOf(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  return HostLookup(name).type;
}

int PropertySet::Dimension(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  const Property& property = HostLookup(name);
  return static_cast<int>(std::visit([](const auto& v) { return v.size(); }, property.values));
}

namespace {

template <typename T>
void SetOne(std::vector<T>& values, int dimension, int index, T value, const std::string& where) {
  const bool fixed = dimension != kVariableDimension;
  if (index < 0 || (fixed && index >= dimension) || (!fixed && index > std::ssize(values))) {
    HostFault(where + ": index " + std::to_string(index) + " out of range");
  }
  if (index == std::ssize(values)) values.resize(values.size() + 1);
  values[static_cast<std::size_t>(index)] = std::move(value);
}

}  // namespace

void PropertySet::SetInt(std::string_view name, int value, int index) {
  const std::unique_lock lock(mutex_);
  Property& property = HostLookupOwn(name);
  SetOne(std::get<std::vector<int>>(property.values), property.dimension, index, value,
         label_ + " " + property.name);
}

void PropertySet::SetDouble(std::string_view name, double value, int index) {
  const std::unique_lock lock(mutex_);
  Property& property = HostLookupOwn(name);
  SetOne(std::get<std::vector<double>>(property.values), property.dimension, index, value,
         label_ + " " + property.name);
}

void PropertySet::SetString(std::string_view name, std::string value, int index) {
  const std::unique_lock lock(mutex_);
  Property& property = HostLookupOwn(name);
  SetOne(std::get<std::vector<std::string>>(property.values), property.dimension, index,
         std::move(value), label_ + " " + property.name);
}

void PropertySet::SetPointer(std::string_view name, void* value, int index) {
  const std::unique_lock lock(mutex_);
  Property& property = HostLookupOwn(name);
  SetOne(std::get<std::vector<void*>>(property.values), property.dimension, index, value,
         label_ + " " + property.name);
}

void PropertySet::SetInts(std::string_view name, std::vector<int> values) {
  const std::unique_lock lock(mutex_);
  std::get<std::vector<int>>(HostLookupOwn(name).values) = std::move(values);
}

void PropertySet::SetDoubles(std::string_view name, std::vector<double> values) {
  const std::unique_lock lock(mutex_);
  std::get<std::vector<double>>(HostLookupOwn(name).values) = std::move(values);
}

void PropertySet::SetStrings(std::string_view name, std::vector<std::string> values) {
  const std::unique_lock lock(mutex_);
  std::get<std::vector<std::string>>(HostLookupOwn(name).values) = std::move(values);
}

namespace {

template <typename T>
const T& GetOne(const std::vector<T>& values, int index, const std::string& where) {
  if (index < 0 || index >= std::ssize(values)) {
    HostFault(where + ": index " + std::to_string(index) + " out of range");
  }
  return values[static_cast<std::size_t>(index)];
}

}  // namespace

int PropertySet::Int(std::string_view name, int index) const {
  const std::shared_lock lock(mutex_);
  const Property& property = HostLookup(name);
  return GetOne(std::get<std::vector<int>>(property.values), index, label_ + " " + property.name);
}

double PropertySet::Double(std::string_view name, int index) const {
  const std::shared_lock lock(mutex_);
  const Property& property = HostLookup(name);
  return GetOne(std::get<std::vector<double>>(property.values), index,
                label_ + " " + property.name);
}

std::string PropertySet::String(std::string_view name, int index) const {
  const std::shared_lock lock(mutex_);
  const Property& property = HostLookup(name);
  return GetOne(std::get<std::vector<std::string>>(property.values), index,
                label_ + " " + property.name);
}

void* PropertySet::Pointer(std::string_view name, int index) const {
  const std::shared_lock lock(mutex_);
  const Property& property = HostLookup(name);
  return GetOne(std::get<std::vector<void*>>(property.values), index, label_ + " " + property.name);
}

std::vector<int> PropertySet::Ints(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  return std::get<std::vector<int>>(HostLookup(name).values);
}

std::vector<double> PropertySet::Doubles(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  return std::get<std::vector<double>>(HostLookup(name).values);
}

std::vector<std::string> PropertySet::Strings(std::string_view name) const {
  const std::shared_lock lock(mutex_);
  return std::get<std::vector<std::string>>(HostLookup(name).values);
}

std::vector<std::string> PropertySet::Describe() const {
  const std::shared_lock lock(mutex_);
  std::vector<std::string> lines;
  for (const Property& property : properties_) {
    std::string line = property.name + " =";
    std::visit(
        [&line](const auto& values) {
          for (std::size_t i = 0; i < values.size(); ++i) {
            line += (i == 0 ? " " : ", ") + ValueText(values[i]);
          }
        },
        property.values);
    lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// --- The plug-in's side ----------------------------------------------------------

OfxStatus PropertySet::Refuse(const char* function, const char* name, const std::string& detail,
                              OfxStatus status) const {
  log_->Add(ComplaintKind::kRefusal, std::string(function) + " on " + label_ + ", property " +
                                         Quoted(name) + ": " + detail + ", returned " +
                                         std::to_string(status));
  return status;
}

template <typename T>
OfxStatus PropertySet::CheckPluginAccess(const char* function, const char* name,
                                         const Property* property, const void* pointer) const {
  if (property == nullptr) return Refuse(function, name, "no such property", kOfxStatErrUnknown);
  if (property->type != kTypeOf<T>) {
    return Refuse(function, name,
                  "is a " + std::string(TypeName(property->type)) + " property, asked as " +
                      std::string(TypeName(kTypeOf<T>)),
                  kOfxStatErrUnknown);
  }
  if (pointer == nullptr) return Refuse(function, name, "null value pointer", kOfxStatErrValue);
  return kOfxStatOK;
}

template <typename T>
OfxStatus PropertySet::PluginSet(const char* function, const char* name, int index, T value) {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  const std::unique_lock lock(mutex_);
  Property* property = LookupOwn(name);
  const void* present = &value;
  if (const OfxStatus status = CheckPluginAccess<T>(function, name, property, present);
      status != kOfxStatOK) {
    return status;
  }
  if (property->writer != Writer::kPlugin) {
    return Refuse(function, name, "only the host sets it", kOfxStatErrValue);
  }
  auto& values = std::get<std::vector<T>>(property->values);
  const bool fixed = property->dimension != kVariableDimension;
  if (index < 0 || (fixed && index >= property->dimension) ||
      (!fixed && index > std::ssize(values))) {
    return Refuse(function, name,
                  "index " + std::to_string(index) + " of dimension " +
                      std::to_string(fixed ? property->dimension : std::ssize(values)),
                  kOfxStatErrBadIndex);
  }
  if (index == std::ssize(values)) values.resize(values.size() + 1);
  values[static_cast<std::size_t>(index)] = std::move(value);
  return kOfxStatOK;
}

template <typename T>
OfxStatus PropertySet::PluginSetN(const char* function, const char* name, int count,
                                  const T* values) {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  const std::unique_lock lock(mutex_);
  Property* property = LookupOwn(name);
  if (const OfxStatus status = CheckPluginAccess<T>(function, name, property, values);
      status != kOfxStatOK) {
    return status;
  }
  if (property->writer != Writer::kPlugin) {
    return Refuse(function, name, "only the host sets it", kOfxStatErrValue);
  }
  const bool fixed = property->dimension != kVariableDimension;
  if (count < 0 || (fixed && count > property->dimension)) {
    return Refuse(
        function, name,
        "count " + std::to_string(count) + " of dimension " + std::to_string(property->dimension),
        kOfxStatErrBadIndex);
  }
  auto& stored = std::get<std::vector<T>>(property->values);
  if (!fixed) stored.resize(static_cast<std::size_t>(count));
  std::copy(values, values + count, stored.begin());
  return kOfxStatOK;
}

template <typename T, typename Out>
OfxStatus PropertySet::PluginGet(const char* function, const char* name, int index,
                                 Out* value) const {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  {
    const std::shared_lock lock(mutex_);
    if (const Property* property = Lookup(name);
        property != nullptr || fallback_ == nullptr || !fallback_->Has(name)) {
      if (const OfxStatus status = CheckPluginAccess<T>(function, name, property, value);
          status != kOfxStatOK) {
        return status;
      }
      const auto& values = std::get<std::vector<T>>(property->values);
      if (index < 0 || index >= std::ssize(values)) {
        return Refuse(
            function, name,
            "index " + std::to_string(index) + " of dimension " + std::to_string(values.size()),
            kOfxStatErrBadIndex);
      }
      if constexpr (std::is_same_v<T, std::string>) {
        // The text stays where it is until the property changes, as the API
        // promises.
        *value = const_cast<char*>(values[static_cast<std::size_t>(index)].c_str());
      } else {
        *value = values[static_cast<std::size_t>(index)];
      }
      return kOfxStatOK;
    }
  }
  return fallback_->PluginGet<T>(function, name, index, value);
}

template <typename T, typename Out>
OfxStatus PropertySet::PluginGetN(const char* function, const char* name, int count,
                                  Out* values) const {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  {
    const std::shared_lock lock(mutex_);
    if (const Property* property = Lookup(name);
        property != nullptr || fallback_ == nullptr || !fallback_->Has(name)) {
      if (const OfxStatus status = CheckPluginAccess<T>(function, name, property, values);
          status != kOfxStatOK) {
        return status;
      }
      const auto& stored = std::get<std::vector<T>>(property->values);
      if (count < 0 || count > std::ssize(stored)) {
        return Refuse(
            function, name,
            "count " + std::to_string(count) + " of dimension " + std::to_string(stored.size()),
            kOfxStatErrBadIndex);
      }
      for (int i = 0; i < count; ++i) {
        if constexpr (std::is_same_v<T, std::string>) {
          values[i] = const_cast<char*>(stored[static_cast<std::size_t>(i)].c_str());
        } else {
          values[i] = stored[static_cast<std::size_t>(i)];
        }
      }
      return kOfxStatOK;
    }
  }
  return fallback_->PluginGetN<T>(function, name, count, values);
}

OfxStatus PropertySet::PluginSetInt(const char* function, const char* name, int index, int value) {
  return PluginSet<int>(function, name, index, value);
}
OfxStatus PropertySet::PluginSetDouble(const char* function, const char* name, int index,
                                       double value) {
  return PluginSet<double>(function, name, index, value);
}
OfxStatus PropertySet::PluginSetString(const char* function, const char* name, int index,
                                       const char* value) {
  if (value == nullptr) return Refuse(function, name, "null string", kOfxStatErrValue);
  return PluginSet<std::string>(function, name, index, value);
}
OfxStatus PropertySet::PluginSetPointer(const char* function, const char* name, int index,
                                        void* value) {
  return PluginSet<void*>(function, name, index, value);
}
OfxStatus PropertySet::PluginSetIntN(const char* function, const char* name, int count,
                                     const int* values) {
  return PluginSetN<int>(function, name, count, values);
}
OfxStatus PropertySet::PluginSetDoubleN(const char* function, const char* name, int count,
                                        const double* values) {
  return PluginSetN<double>(function, name, count, values);
}
OfxStatus PropertySet::PluginSetStringN(const char* function, const char* name, int count,
                                        const char* const* values) {
  if (values == nullptr) return Refuse(function, name, "null value pointer", kOfxStatErrValue);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    if (values[i] == nullptr) return Refuse(function, name, "null string", kOfxStatErrValue);
    texts.emplace_back(values[i]);
  }
  return PluginSetN<std::string>(function, name, count, texts.data());
}
OfxStatus PropertySet::PluginSetPointerN(const char* function, const char* name, int count,
                                         void* const* values) {
  return PluginSetN<void*>(function, name, count, values);
}
OfxStatus PropertySet::PluginGetInt(const char* function, const char* name, int index,
                                    int* value) const {
  return PluginGet<int>(function, name, index, value);
}
OfxStatus PropertySet::PluginGetDouble(const char* function, const char* name, int index,
                                       double* value) const {
  return PluginGet<double>(function, name, index, value);
}
OfxStatus PropertySet::PluginGetString(const char* function, const char* name, int index,
                                       char** value) const {
  return PluginGet<std::string>(function, name, index, value);
}
OfxStatus PropertySet::PluginGetPointer(const char* function, const char* name, int index,
                                        void** value) const {
  return PluginGet<void*>(function, name, index, value);
}
OfxStatus PropertySet::PluginGetIntN(const char* function, const char* name, int count,
                                     int* values) const {
  return PluginGetN<int>(function, name, count, values);
}
OfxStatus PropertySet::PluginGetDoubleN(const char* function, const char* name, int count,
                                        double* values) const {
  return PluginGetN<double>(function, name, count, values);
}
OfxStatus PropertySet::PluginGetStringN(const char* function, const char* name, int count,
                                        char** values) const {
  return PluginGetN<std::string>(function, name, count, values);
}
OfxStatus PropertySet::PluginGetPointerN(const char* function, const char* name, int count,
                                         void** values) const {
  return PluginGetN<void*>(function, name, count, values);
}

OfxStatus PropertySet::PluginReset(const char* function, const char* name) {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  const std::unique_lock lock(mutex_);
  Property* property = LookupOwn(name);
  if (property == nullptr) return Refuse(function, name, "no such property", kOfxStatErrUnknown);
  if (property->writer != Writer::kPlugin) {
    return Refuse(function, name, "only the host sets it", kOfxStatErrValue);
  }
  property->values = property->defaults;
  return kOfxStatOK;
}

OfxStatus PropertySet::PluginGetDimension(const char* function, const char* name,
                                          int* count) const {
  if (name == nullptr) return Refuse(function, name, "null name", kOfxStatErrValue);
  {
    const std::shared_lock lock(mutex_);
    if (const Property* property = Lookup(name);
        property != nullptr || fallback_ == nullptr || !fallback_->Has(name)) {
      if (property == nullptr) {
        return Refuse(function, name, "no such property", kOfxStatErrUnknown);
      }
      if (count == nullptr) return Refuse(function, name, "null count", kOfxStatErrValue);
      *count = property->dimension != kVariableDimension
                   ? property->dimension
                   : static_cast<int>(
                         std::visit([](const auto& v) { return v.size(); }, property->values));
      return kOfxStatOK;
    }
  }
  return fallback_->PluginGetDimension(function, name, count);
}

}  // namespace hostsim::ofx
