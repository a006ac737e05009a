#include "view/request_body.h"

#include <charconv>
#include <cmath>

#include "panel/panel_session.h"

namespace gb::view {

using nlohmann::json;

Result<json> parseObject(const std::string& body, std::initializer_list<const char*> fields) {
  json value = json::parse(body.empty() ? std::string("{}") : body, nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return Error{"the body is not valid JSON"};
  if (!value.is_object()) return Error{"the body must be a JSON object"};
  for (const auto& [key, item] : value.items()) {
    bool known = false;
    for (const char* field : fields) known = known || key == field;
    if (!known) {
      std::string list;
      for (const char* field : fields) list += (list.empty() ? "" : ", ") + std::string(field);
      return Error{"unknown field '" + key.substr(0, 40) + "'" +
                   (list.empty() ? std::string(" (this request takes none)") : " (this request takes " + list + ")")};
    }
  }
  return value;
}

Result<double> numberField(const json& object, const char* name, double min, double max) {
  auto it = object.find(name);
  if (it == object.end()) return Error{std::string("field '") + name + "' is missing"};
  if (!it->is_number()) return Error{std::string("field '") + name + "' must be a number"};
  const double value = it->get<double>();
  if (!std::isfinite(value) || value < min || value > max)
    return Error{std::string("field '") + name + "' must lie from " + panel::formatNumber(min) + " to " +
                 panel::formatNumber(max)};
  return value;
}

Result<std::optional<double>> optionalNumberField(const json& object, const char* name, double min, double max) {
  if (!object.contains(name)) return std::optional<double>();
  Result<double> value = numberField(object, name, min, max);
  if (!value) return value.error();
  return std::optional<double>(*value);
}

Result<int64_t> integerField(const json& object, const char* name, int64_t min, int64_t max) {
  auto it = object.find(name);
  if (it == object.end()) return Error{std::string("field '") + name + "' is missing"};
  if (!it->is_number_integer()) return Error{std::string("field '") + name + "' must be a whole number"};
  // Large unsigned values do not fit int64; they are out of range anyway.
  if (it->is_number_unsigned() && it->get<uint64_t>() > uint64_t(max))
    return Error{std::string("field '") + name + "' must lie from " + std::to_string(min) + " to " + std::to_string(max)};
  const int64_t value = it->get<int64_t>();
  if (value < min || value > max)
    return Error{std::string("field '") + name + "' must lie from " + std::to_string(min) + " to " + std::to_string(max)};
  return value;
}

Result<bool> booleanField(const json& object, const char* name) {
  auto it = object.find(name);
  if (it == object.end()) return Error{std::string("field '") + name + "' is missing"};
  if (!it->is_boolean()) return Error{std::string("field '") + name + "' must be true or false"};
  return it->get<bool>();
}

Status checkQuery(const httplib::Request& request, std::initializer_list<const char*> names) {
  for (const auto& [key, value] : request.params) {
    bool known = false;
    for (const char* name : names) known = known || key == name;
    if (!known) return Error{"unknown query parameter '" + key.substr(0, 40) + "'"};
    if (request.get_param_value_count(key) > 1) return Error{"query parameter '" + key + "' is given more than once"};
  }
  return Ok{};
}

Result<int64_t> integerParameter(const httplib::Request& request, const char* name, int64_t min, int64_t max,
                                 int64_t fallback) {
  if (!request.has_param(name)) return fallback;
  const std::string text = request.get_param_value(name);
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
    return Error{std::string("query parameter '") + name + "' must be a whole number from " + std::to_string(min) +
                 " to " + std::to_string(max)};
  return value;
}

}  // namespace gb::view
